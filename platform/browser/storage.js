// Runs inside the program's own scope before it starts. The folder of the player's files
// (options.dat, controls.ini, scores.dat, display.dat, replays/) lives in memory and is kept,
// file by file, in the browser's own storage (IndexedDB), which every tab and installed window of
// the site shares: loaded whole here before the program reads anything, each file brought up to
// date from it before the program reads it again, and each save written to it alone, so that a
// save in one tab never removes or rolls back what another tab saved. The storage keeps the
// layout of Emscripten's IDBFS (one database named for the folder, each file and folder a record
// under its full path), which holds the files saved by earlier versions of the page.
var ZantorvixStorage = {
  Folder: "/zantorvix",
  // False when the browser keeps nothing for the page (some private windows): the files then
  // last until the page is closed, as the console says once.
  available: false,
  heldLocks: {},
  askedToPersist: false,

  database: function () {
    return new Promise(function (done, fail) {
      IDBFS.getDB(ZantorvixStorage.Folder, function (error, db) {
        if (error) fail(error);
        else done(db);
      });
    });
  },

  // Runs `use` on the file records in one transaction of the given mode; resolves once the
  // transaction is complete, with what `use` returned, or fails with the reason.
  transaction: function (mode, use) {
    return ZantorvixStorage.database().then(function (db) {
      return new Promise(function (done, fail) {
        var transaction = db.transaction([IDBFS.DB_STORE_NAME], mode);
        var result = use(transaction.objectStore(IDBFS.DB_STORE_NAME));
        transaction.oncomplete = function () { done(result); };
        transaction.onerror = function (event) {
          event.preventDefault();
          fail(transaction.error || event.target.error);
        };
        transaction.onabort = function () { fail(transaction.error || new Error("aborted")); };
      });
    });
  },

  inFolder: function (path) {
    return path.indexOf(ZantorvixStorage.Folder + "/") === 0;
  },

  reason: function (error) {
    return String((error && (error.message || error.name)) || error);
  },

  // Writes one stored record into the page's folder.
  place: function (path, record) {
    var time = new Date(record.timestamp).getTime();
    FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
    FS.writeFile(path, record.contents);
    FS.chmod(path, record.mode);
    FS.utime(path, time, time);
  },

  // Makes the page's copy of the file at `path` (absolute) the one the storage holds now; a
  // file the storage does not hold is not there. Resolves when done; leaves the page's copy as
  // it is when the storage cannot be read.
  refresh: function (path) {
    if (!ZantorvixStorage.available || !ZantorvixStorage.inFolder(path)) return Promise.resolve();
    var request = null;
    return ZantorvixStorage.transaction("readonly", function (store) {
      request = store.get(path);
    }).then(function () {
      var record = request.result;
      try {
        if (record && record.contents && FS.isFile(record.mode)) {
          ZantorvixStorage.place(path, record);
        } else if (!record && FS.analyzePath(path).exists && FS.isFile(FS.stat(path).mode)) {
          FS.unlink(path);
        }
      } catch (e) {
        // the page's copy stays
      }
    }, function () {});
  },

  // Brings into the page the stored files under the folder `path` that it does not have yet
  // (the replays another tab recorded). Resolves when done.
  refreshFolder: function (path) {
    if (!ZantorvixStorage.available) return Promise.resolve();
    var records = [];
    return ZantorvixStorage.transaction("readonly", function (store) {
      var range = IDBKeyRange.bound(path + "/", path + "/\uffff");
      store.openCursor(range).onsuccess = function (event) {
        var cursor = event.target.result;
        if (!cursor) return;
        records.push([cursor.primaryKey, cursor.value]);
        cursor.continue();
      };
    }).then(function () {
      records.forEach(function (entry) {
        try {
          if (entry[1].contents && FS.isFile(entry[1].mode) && !FS.analyzePath(entry[0]).exists) {
            ZantorvixStorage.place(entry[0], entry[1]);
          }
        } catch (e) {
          // left out of the list
        }
      });
    }, function () {});
  },

  // Writes the page's file at `path` (absolute) to the storage, with the folders it lies in.
  // Resolves with "" once the storage holds it, or with the reason it does not.
  store: function (path) {
    if (!ZantorvixStorage.available || !ZantorvixStorage.inFolder(path)) return Promise.resolve("");
    var stat, contents;
    try {
      stat = FS.stat(path);
      contents = FS.readFile(path);
    } catch (e) {
      return Promise.resolve(ZantorvixStorage.reason(e));
    }
    return ZantorvixStorage.transaction("readwrite", function (store) {
      var folder = ZantorvixStorage.Folder;
      var parts = path.slice(folder.length + 1).split("/");
      for (var i = 0; i + 1 < parts.length; ++i) {
        folder += "/" + parts[i];
        var info = FS.stat(folder);
        store.put({ timestamp: info.mtime, mode: info.mode }, folder);
      }
      store.put({ timestamp: stat.mtime, mode: stat.mode, contents: contents }, path);
    }).then(function () {
      ZantorvixStorage.persist();
      return "";
    }, ZantorvixStorage.reason);
  },

  // Once something worth keeping is stored, asks the browser not to clear the site's storage
  // when it runs short of space.
  persist: function () {
    if (ZantorvixStorage.askedToPersist) return;
    ZantorvixStorage.askedToPersist = true;
    if (navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().catch(function () {});
    }
  },

  // Waits for the Web Lock of that name, which every tab and window of the site shares; resolves
  // with true once it is held, false where the browser has no locks (then nothing is held).
  lock: function (name) {
    if (!navigator.locks || !navigator.locks.request) return Promise.resolve(false);
    return new Promise(function (granted) {
      navigator.locks.request(name, function () {
        return new Promise(function (release) {
          ZantorvixStorage.heldLocks[name] = release;
          granted(true);
        });
      }).catch(function () { granted(false); });
    });
  },

  unlock: function (name) {
    var release = ZantorvixStorage.heldLocks[name];
    delete ZantorvixStorage.heldLocks[name];
    if (release) release();
  },
};
Module["zantorvixStorage"] = ZantorvixStorage;

Module["preRun"] = [].concat(Module["preRun"] || []);
Module["preRun"].push(function () {
  var folder = ZantorvixStorage.Folder;
  FS.mkdir(folder);
  FS.mount(IDBFS, {}, folder);
  addRunDependency("zantorvix-storage");
  FS.syncfs(true, function (error) {
    if (error) {
      err("zantorvix: this browser keeps no files for the page (" + ZantorvixStorage.reason(error) +
          "); settings and scores last until the page is closed");
    }
    ZantorvixStorage.available = !error;
    removeRunDependency("zantorvix-storage");
  });
});
