// The page's touch controls and the phone's keyboard for the name.
//
// The controls are a gamepad whose buttons are fixed: the page keeps which of them are held,
// and which were pressed since the program last looked (so that a tap shorter than a frame
// still counts once), and the program reads both at each poll of its keys, through
// Module.readTouch. They show from the start on a phone or a tablet, and at the first touch on
// a computer that also has a touch screen; a computer without one never sees them.
//
// While the game asks for a name (the program says so through Module.keyModeChanged), a touch
// screen also shows a text field: phone keyboards send text rather than keys, so each letter,
// blank and deletion typed there is queued and handed to the program as a key that is down for
// one poll and up for the next, which is how the name entry takes keys.
"use strict";

(function () {
  // The buttons in the order of the bits the program reads.
  var Buttons = ["left", "right", "up", "down", "turn", "drop", "start", "back"];
  var StartBit = 1 << Buttons.indexOf("start");
  var BackBit = 1 << Buttons.indexOf("back");
  var MaxNameLength = 8;
  var Backspace = "\b";

  var controls = document.getElementById("touch-controls");
  var form = document.getElementById("name-form");
  var field = document.getElementById("name-field");
  var buttons = Array.prototype.slice.call(controls.querySelectorAll("[data-button]"));

  var shown = false;
  var keyMode = "menus"; // menus, play or name, as the program last said
  var fingers = new Map(); // each finger (pointer id) on the controls: the button under it, or -1
  var held = 0; // the buttons held now, one bit each
  var pressed = 0; // the buttons pressed since the program last read them

  // --- Showing the controls -------------------------------------------------------------------
  function wantsTouchFromStart() {
    var coarse = window.matchMedia && matchMedia("(pointer: coarse)").matches;
    var fine = window.matchMedia && matchMedia("(any-pointer: fine)").matches;
    return coarse || (navigator.maxTouchPoints > 0 && !fine);
  }

  // The canvas changes its size with the layout, and the program follows the window's resize.
  function relayout() {
    window.dispatchEvent(new Event("resize"));
  }

  function showControls() {
    if (shown) return;
    shown = true;
    document.body.classList.add("touch");
    controls.hidden = false;
    form.hidden = keyMode !== "name";
    relayout();
  }

  Module.touchScreen = function () {
    return shown;
  };

  if (wantsTouchFromStart()) showControls();
  window.addEventListener("pointerdown", function (event) {
    if (event.pointerType === "touch" || event.pointerType === "pen") showControls();
  }, true);
  window.addEventListener("touchstart", showControls, { capture: true, passive: true });

  // --- The buttons ----------------------------------------------------------------------------
  function buttonAt(x, y) {
    var element = document.elementFromPoint(x, y);
    var button = element && element.closest ? element.closest("[data-button]") : null;
    return button && controls.contains(button) ? Buttons.indexOf(button.dataset.button) : -1;
  }

  function showHeld() {
    buttons.forEach(function (button) {
      var bit = 1 << Buttons.indexOf(button.dataset.button);
      button.classList.toggle("pressed", (held & bit) !== 0);
    });
  }

  function heldNow() {
    var now = 0;
    fingers.forEach(function (index) {
      if (index >= 0) now |= 1 << index;
    });
    return now;
  }

  // A short pulse marks a hard drop, where the phone can vibrate.
  function pulse() {
    if (typeof navigator.vibrate === "function") {
      try {
        navigator.vibrate(15);
      } catch (e) {
        // refused (no gesture yet): no pulse
      }
    }
  }

  // A finger on `index` (-1: on no button). A finger that slides onto another button lets the
  // first go and presses the second, as on a real pad.
  function fingerOn(id, index) {
    if (fingers.get(id) === index) return;
    fingers.set(id, index);
    if (index >= 0) {
      pressed |= 1 << index;
      if (Buttons[index] === "drop" && keyMode === "play") pulse();
    }
    held = heldNow();
    showHeld();
  }

  function fingerOff(id) {
    if (!fingers.delete(id)) return;
    held = heldNow();
    showHeld();
  }

  function letAllGo() {
    fingers.clear();
    held = 0;
    showHeld();
  }

  controls.addEventListener("pointerdown", function (event) {
    event.preventDefault(); // no focus, no text selection, no mouse events after it
    fingerOn(event.pointerId, buttonAt(event.clientX, event.clientY));
  });
  window.addEventListener("pointermove", function (event) {
    if (fingers.has(event.pointerId)) fingerOn(event.pointerId, buttonAt(event.clientX, event.clientY));
  });
  ["pointerup", "pointercancel"].forEach(function (type) {
    window.addEventListener(type, function (event) {
      fingerOff(event.pointerId);
    });
  });
  // Fingers still down when the page loses the screen are let go.
  window.addEventListener("blur", letAllGo);
  document.addEventListener("visibilitychange", function () {
    if (document.hidden) letAllGo();
  });

  // Nothing under a finger zooms, scrolls, pulls to refresh, selects or opens a menu; the name
  // field and the replays' list keep their own touches.
  function ownTouch(event) {
    var target = event.target;
    return target === field || (target.closest && target.closest("#replays"));
  }
  ["touchstart", "touchmove"].forEach(function (type) {
    document.addEventListener(type, function (event) {
      if (shown && !ownTouch(event) && event.cancelable) event.preventDefault();
    }, { passive: false });
  });
  controls.addEventListener("contextmenu", function (event) {
    event.preventDefault();
  });
  // Safari's own pinch zoom.
  document.addEventListener("gesturestart", function (event) {
    if (shown) event.preventDefault();
  });

  // A rotation (and on some phones a resize) reports the new size a moment late: the canvas
  // is measured again once the screen has settled.
  function settle() {
    if (!shown) return;
    setTimeout(relayout, 120);
    setTimeout(relayout, 600);
  }
  window.addEventListener("orientationchange", settle);
  if (window.visualViewport) window.visualViewport.addEventListener("resize", settle);

  // --- The name, typed on the phone's keyboard --------------------------------------------------
  var sent = ""; // the name as the program has been handed it
  var queue = []; // characters waiting for the program: A to Z, a blank, or a deletion
  var queuedDown = false; // the first of them is being shown as down
  var clearFirst = false; // the program's name may hold keys typed before the field was used
  var composing = false;

  // Start or Back, pressed from the phone's keyboard as a short tap.
  function tap(name) {
    var id = "keyboard-" + name;
    fingerOn(id, Buttons.indexOf(name));
    setTimeout(function () {
      fingerOff(id);
    }, 150);
  }

  function takeFieldText() {
    var wanted = field.value.toUpperCase().replace(/[^A-Z ]/g, "").slice(0, MaxNameLength);
    if (clearFirst) {
      for (var n = 0; n < MaxNameLength; ++n) queue.push(Backspace);
      clearFirst = false;
      sent = "";
    }
    var same = 0;
    while (same < sent.length && same < wanted.length && sent[same] === wanted[same]) ++same;
    for (var i = sent.length; i > same; --i) queue.push(Backspace);
    for (var j = same; j < wanted.length; ++j) queue.push(wanted[j]);
    sent = wanted;
    if (!composing && field.value.toUpperCase() !== wanted) field.value = wanted;
  }

  field.addEventListener("input", function (event) {
    if (event.isComposing) return;
    takeFieldText();
  });
  field.addEventListener("compositionstart", function () {
    composing = true;
  });
  field.addEventListener("compositionend", function () {
    composing = false;
    takeFieldText();
  });
  // The field's own keys never reach the game (a keyboard that sends key events as well as
  // text would type each letter twice); Enter and Escape finish the name as Start and Back.
  ["keydown", "keyup", "keypress"].forEach(function (type) {
    field.addEventListener(type, function (event) {
      event.stopPropagation();
      if (type === "keydown" && event.key === "Escape") {
        event.preventDefault();
        tap("back");
      }
    });
  });
  form.addEventListener("submit", function (event) {
    event.preventDefault();
    takeFieldText();
    tap("start");
  });

  function askForName() {
    queue = [];
    queuedDown = false;
    sent = "";
    clearFirst = true;
    field.value = "";
    form.hidden = !shown;
  }

  function nameDone() {
    queue = [];
    queuedDown = false;
    form.hidden = true;
    if (document.activeElement === field) field.blur();
    window.scrollTo(0, 0); // a phone may have moved the page to show the field
  }

  // --- What the program reads -----------------------------------------------------------------
  // Called by the program as its scenes change what the keys are for, numbered as it numbers
  // them.
  var KeyModes = ["menus", "play", "name"];
  Module.keyModeChanged = function (number) {
    var mode = KeyModes[number] || "menus";
    if (mode === keyMode) return;
    var was = keyMode;
    keyMode = mode;
    document.body.dataset.keyMode = mode;
    if (mode === "name") askForName();
    else if (was === "name") nameDone();
  };

  // Called by the program at each poll of its keys: the buttons held or pressed since the last
  // call, one bit each in the order of Buttons, and in bits 8 to 15 the character typed in the
  // name field that is down at this poll (0: none). Start and Back wait until every character
  // typed before them has been taken.
  Module.readTouch = function () {
    var typing = queue.length > 0;
    var finishing = StartBit | BackBit;
    var buttonsNow = held | pressed;
    if (typing) {
      buttonsNow &= ~finishing;
      pressed &= finishing;
    } else {
      pressed = 0;
    }
    var typed = 0;
    if (typing && !queuedDown) {
      typed = queue[0].charCodeAt(0);
      queuedDown = true;
    } else if (typing) {
      queue.shift();
      queuedDown = false;
    }
    return buttonsNow | (typed << 8);
  };
})();
