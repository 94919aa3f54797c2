// The page around the game. It starts the program on the canvas; leaves the browser its own
// shortcuts and gives the game every other key; asks the browser for sound at each key, click
// or tap until it plays, and says "press a key" until the first; lists the recorded games to
// download or watch, and plays a replay file from this computer; offers a new start when the
// program ends; and, once every file of the page is in, has the service worker keep the page for
// offline play, saying when a new version waits. The touch controls are touch.js's.
"use strict";

(function () {
  var DataFolder = "/zantorvix"; // the player's files, kept in the browser's storage
  var ChosenReplay = "/tmp/chosen.zrp";
  var ChosenKey = "zantorvix-chosen-replay"; // carries a chosen file over the reload
  var notice = document.getElementById("notice");
  var panel = document.getElementById("replays");
  var started = false;
  var ended = false;

  function say(text) {
    notice.textContent = text;
    notice.hidden = !text;
  }

  function startAfresh() {
    location.href = location.pathname;
  }

  // "Press a key", or on a touch screen "Tap or press a key".
  function pressWords() {
    var touch = Module.touchScreen && Module.touchScreen();
    return touch ? "tap or press a key" : "press a key";
  }

  // What the program does: play; watch a replay (?replay=NAME, one of the recorded games); or
  // check one without showing it, as --check does (?check=NAME). An empty NAME is the file
  // chosen on this computer just before the page was loaded again.
  var args = [];
  var chosen = null;
  var query = new URLSearchParams(location.search);
  var verb = query.has("check") ? "check" : query.has("replay") ? "replay" : null;
  var wanted = verb ? query.get(verb) : null;
  if (wanted === "") {
    chosen = sessionStorage.getItem(ChosenKey);
    sessionStorage.removeItem(ChosenKey);
    if (chosen) args = ["--" + verb, ChosenReplay];
  } else if (wanted !== null && /^[A-Za-z0-9._-]+\.zrp$/.test(wanted)) {
    args = ["--" + verb, DataFolder + "/replays/" + wanted];
  }
  var watching = args.length > 0;
  if (verb && !watching) history.replaceState(null, "", location.pathname);

  function bytesOf(base64) {
    var text = atob(base64);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
  }

  function base64Of(bytes) {
    var text = "";
    for (var i = 0; i < bytes.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    }
    return btoa(text);
  }

  window.Module = {
    canvas: document.getElementById("canvas"),
    arguments: args,
    preRun: [function () {
      if (chosen) Module.FS.writeFile(ChosenReplay, bytesOf(chosen));
    }],
    print: function (text) {
      console.log(text);
    },
    printErr: function (text) {
      console.warn(text);
    },
    setStatus: function (text) {
      var progress = /\((\d+(?:\.\d+)?)\/(\d+(?:\.\d+)?)\)/.exec(text || "");
      if (progress && Number(progress[2]) > 0) {
        say("Downloading " + Math.floor(100 * Number(progress[1]) / Number(progress[2])) + "%");
      } else if (!started) {
        say(text ? "Loading" : "");
      }
    },
    onRuntimeInitialized: function () {
      started = true;
      say("");
    },
    onAbort: function (what) {
      ended = true;
      say("Zantorvix stopped: " + what);
    },
    // Called once the last picture and sound is in.
    allFilesArrived: keepForOffline,
    // Called by the program as it ends, with its exit status.
    programEnded: function (status) {
      ended = true;
      if (verb === "check") {
        say(status === 0 ? "The replay matches its recording" : "The replay does not match (see the console)");
      } else {
        say(watching ? "The replay is over: " + pressWords() + " to play"
                     : "Zantorvix has ended: " + pressWords() + " to play again");
      }
      setTimeout(function () {
        window.addEventListener("keydown", startAfresh, true);
        window.addEventListener("pointerdown", startAfresh, true);
      }, 300);
    },
  };

  // The browser keeps its shortcuts (reload, tabs, zoom, developer tools): those keys never
  // reach the game. Every other key is the game's, and the game keeps the page from scrolling.
  function browserShortcut(event) {
    return event.ctrlKey || event.metaKey || event.key === "F5" || event.key === "F12";
  }
  var scrollingKeys = /^(Arrow(Up|Down|Left|Right)| |Spacebar|PageUp|PageDown|Home|End|Tab)$/;
  ["keydown", "keyup"].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (browserShortcut(event)) {
        event.stopImmediatePropagation();
      } else if (scrollingKeys.test(event.key) && !(event.target instanceof HTMLInputElement)) {
        event.preventDefault(); // also while the program is still loading
      }
    }, true);
  });

  // Browsers start sound only from a key, a click or a tap on the page; until then the game
  // plays on silently and the page asks for one. The sound is asked for again at every such
  // gesture until it plays: iOS Safari counts no touchstart as one (SDL's own start listens
  // for that), and a phone holds the sound again after a call or another app. A browser that
  // still holds it after the first gesture (one with no sound device) is not asked again by
  // the page's words, which would not help.
  var gestureSeen = false;
  function askForSound() {
    gestureSeen = true;
    var sound = Module.SDL2 && Module.SDL2.audioContext;
    if (sound && sound.state !== "running" && sound.state !== "closed") {
      sound.resume().catch(function () {});
    }
  }
  ["touchend", "pointerup", "click", "keydown", "mousedown"].forEach(function (type) {
    window.addEventListener(type, askForSound, true);
  });

  var asking = "";
  setInterval(function () {
    var sound = Module.SDL2 && Module.SDL2.audioContext;
    var held = started && !ended && !gestureSeen && sound && sound.state !== "running";
    var words = pressWords();
    var text = words.charAt(0).toUpperCase() + words.slice(1);
    if (held && notice.textContent !== text) {
      say(text);
      asking = text;
    } else if (!held && asking && notice.textContent === asking) {
      say("");
      asking = "";
    }
  }, 200);

  // The service worker keeps this whole build for offline play. It is registered only once the
  // page has every file, so that it takes them from the browser's cache instead of fetching
  // them a second time; a later visit is served by it, and asks the site for a new build.
  function keepForOffline() {
    if (!("serviceWorker" in navigator)) return;
    navigator.serviceWorker.register("service-worker.js").then(function (registration) {
      // A new build fetched while an old one runs waits until every window of the page is
      // closed: the next start is the new build, whole.
      function tellOfWaitingBuild() {
        if (!registration.waiting || !navigator.serviceWorker.controller) return;
        var update = document.getElementById("update");
        update.textContent = "A new version of Zantorvix is ready: it starts when every " +
                             "Zantorvix tab and window is closed";
        update.hidden = false;
        setTimeout(function () { update.hidden = true; }, 15000);
      }
      tellOfWaitingBuild();
      registration.addEventListener("updatefound", function () {
        var worker = registration.installing;
        if (!worker) return;
        worker.addEventListener("statechange", function () {
          if (worker.state === "installed") tellOfWaitingBuild();
        });
      });
      // Asks the site for a new build at every start (the browser itself may wait a day).
      registration.update().catch(function () {});
    }, function (error) {
      console.warn("zantorvix: the page cannot be kept for offline play (" + error.message + ")");
    });
  }

  // The recorded games in the player's folder: the last game first, then the best ones.
  function listReplays() {
    var list = document.getElementById("replay-list");
    list.textContent = "";
    var names = [];
    try {
      names = Module.FS.readdir(DataFolder + "/replays").filter(function (name) {
        return /\.zrp$/.test(name);
      });
    } catch (e) {
      names = [];
    }
    names.sort(function (a, b) {
      return a === "last.zrp" ? -1 : b === "last.zrp" ? 1 : b.localeCompare(a);
    });
    if (names.length === 0) {
      var none = document.createElement("li");
      none.textContent = "None yet: every game is recorded when it ends.";
      list.appendChild(none);
    }
    names.forEach(function (name) {
      var item = document.createElement("li");
      var label = document.createElement("span");
      label.textContent = name === "last.zrp" ? "The last game" : name.replace(/\.zrp$/, "");
      var download = document.createElement("a");
      download.textContent = "download";
      download.href = "#";
      download.addEventListener("click", function (event) {
        event.preventDefault();
        var bytes = Module.FS.readFile(DataFolder + "/replays/" + name);
        var url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
        var link = document.createElement("a");
        link.href = url;
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(function () { URL.revokeObjectURL(url); }, 10000);
      });
      var watch = document.createElement("a");
      watch.textContent = "watch";
      watch.href = location.pathname + "?replay=" + encodeURIComponent(name);
      item.append(label, download, watch);
      list.appendChild(item);
    });
  }

  // The button shows while the mouse moves over the page and while the list is open, and keeps
  // out of the game's picture otherwise.
  var button = document.getElementById("replays-button");
  var hideButton = null;
  window.addEventListener("pointermove", function (event) {
    if (event.pointerType !== "mouse") return;
    button.classList.add("shown");
    clearTimeout(hideButton);
    hideButton = setTimeout(function () {
      if (panel.hidden) button.classList.remove("shown");
    }, 3000);
  });

  button.addEventListener("click", function () {
    panel.hidden = !panel.hidden;
    if (!panel.hidden) {
      // With the ones another tab recorded since this page was opened.
      var storage = Module.zantorvixStorage;
      (storage ? storage.refreshFolder(DataFolder + "/replays") : Promise.resolve()).then(listReplays);
    }
    this.blur(); // a later Space is the game's, not the button's
  });

  document.getElementById("replay-file").addEventListener("change", function () {
    var file = this.files && this.files[0];
    if (!file) return;
    file.arrayBuffer().then(function (buffer) {
      try {
        sessionStorage.setItem(ChosenKey, base64Of(new Uint8Array(buffer)));
      } catch (e) {
        say("That file is too large to be a replay");
        return;
      }
      location.href = location.pathname + "?replay=";
    });
  });
})();
