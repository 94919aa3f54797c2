// Runs inside the program's own scope before it starts. The pictures and sounds come in two
// packs (made by the generator; ZantorvixPackIndex, put before this at link time, names every
// file's place in them): the first holds what the loading screen shows, and the program starts
// once it is in; the second is fetched while the loading screen shows, and each of its files can
// be read as soon as its own bytes are in, so the game's loading runs behind the download
// (ZantorvixPacks.wait, which the browser host calls before it reads a picture or sound).
var ZantorvixPacks = {
  arrived: {},  // path -> true once the file is in the file system
  waiting: {},  // path -> the functions to call when it is
  failed: "",   // why the second pack could not be had, once it could not

  // The game names its files with doubled slashes ("/gfx//font//A.png").
  normal: function (path) {
    return path.replace(/\/+/g, "/");
  },

  place: function (path, bytes) {
    FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
    FS.writeFile(path, bytes);
    ZantorvixPacks.arrived[path] = true;
    var waiters = ZantorvixPacks.waiting[path] || [];
    delete ZantorvixPacks.waiting[path];
    waiters.forEach(function (done) { done(); });
  },

  // Stops every wait: what has not arrived will not.
  fail: function (reason) {
    ZantorvixPacks.failed = reason || "the download stopped";
    var waiting = ZantorvixPacks.waiting;
    ZantorvixPacks.waiting = {};
    Object.keys(waiting).forEach(function (path) {
      waiting[path].forEach(function (done) { done(); });
    });
  },

  // Resolves once the file at path can be read, at once for a file of no pack (or one that will
  // not come); resolves with the reason when it will not.
  wait: function (path) {
    path = ZantorvixPacks.normal(path);
    if (ZantorvixPacks.arrived[path] || !ZantorvixPacks.packed[path]) return Promise.resolve("");
    if (ZantorvixPacks.failed) return Promise.resolve(ZantorvixPacks.failed);
    return new Promise(function (done) {
      (ZantorvixPacks.waiting[path] = ZantorvixPacks.waiting[path] || []).push(function () {
        done(ZantorvixPacks.arrived[path] ? "" : ZantorvixPacks.failed);
      });
    });
  },

  // Places one file of a pack: as it is, or unpacked where the pack holds it compressed
  // (gzip, where that makes it much smaller, so that it comes small from any host).
  unpack: function (file, bytes) {
    var unpacked = !file[3] ? Promise.resolve(bytes) : new Response(
      new Blob([bytes]).stream().pipeThrough(new DecompressionStream("gzip"))).arrayBuffer();
    // The file system takes files once the program's memory is there.
    return Promise.all([unpacked, ZantorvixPacks.memory]).then(function (both) {
      ZantorvixPacks.place(file[0], new Uint8Array(both[0]));
    });
  },

  // Fetches one pack, placing each file as soon as its last byte is in; `progress` hears of
  // every piece. Resolves when the whole pack is in.
  fetch: function (name, progress) {
    var pack = ZantorvixPackIndex[name];
    var files = pack.files;
    var all = new Uint8Array(pack.size);
    var received = 0;
    var next = 0;
    var placed = [];
    function take(piece) {
      all.set(piece, received);
      received += piece.length;
      if (progress) progress(received, pack.size);
      while (next < files.length && files[next][2] <= received) {
        placed.push(ZantorvixPacks.unpack(files[next], all.slice(files[next][1], files[next][2])));
        ++next;
      }
    }
    return fetch(name).then(function (response) {
      if (!response.ok) throw new Error(name + ": " + response.status + " " + response.statusText);
      if (!response.body || !response.body.getReader) {
        return response.arrayBuffer().then(function (buffer) { take(new Uint8Array(buffer)); });
      }
      var reader = response.body.getReader();
      function read() {
        return reader.read().then(function (piece) {
          if (piece.done) return;
          if (received + piece.value.length > pack.size) throw new Error(name + " is larger than it should be");
          take(piece.value);
          return read();
        });
      }
      return read();
    }).then(function () {
      if (next < files.length) throw new Error(name + " is cut short");
      return Promise.all(placed);
    });
  },
};
ZantorvixPacks.memory = new Promise(function (done) { ZantorvixPacks.memoryReady = done; });
ZantorvixPacks.packed = {};
Object.keys(ZantorvixPackIndex).forEach(function (name) {
  ZantorvixPackIndex[name].files.forEach(function (file) { ZantorvixPacks.packed[file[0]] = true; });
});

// The first pack's download starts at once, beside the program's own; the page's address bar
// may carry a query, so the names are taken from the page's folder.
ZantorvixPacks.first = ZantorvixPacks.fetch("first.data", function (received, total) {
  if (Module["setStatus"]) Module["setStatus"]("Downloading (" + received + "/" + total + ")");
});
Module["preRun"] = [].concat(Module["preRun"] || []);
Module["preRun"].push(function () {
  ZantorvixPacks.memoryReady();
  addRunDependency("zantorvix-first-pack");
  ZantorvixPacks.first.then(function () {
    removeRunDependency("zantorvix-first-pack");
  }, function (error) {
    abort("the page could not download its pictures (" + (error.message || error) + ")");
  });
  // The rest once the program runs, so that it never slows what the loading screen needs.
  addOnInit(function () {
    ZantorvixPacks.fetch("rest.data").then(function () {
      if (Module["allFilesArrived"]) Module["allFilesArrived"]();
    }, function (error) {
      err("zantorvix: the rest of the pictures and sounds could not be downloaded (" +
          (error.message || error) + ")");
      ZantorvixPacks.fail(String(error.message || error));
    });
  });
});
