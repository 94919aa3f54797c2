// Runs inside the program's own scope before it starts: the folder of the player's files
// (options.dat, controls.ini, scores.dat, display.dat, replays/) is the browser's own storage
// (IndexedDB), loaded here before the program reads anything; every save writes it back and
// waits for it.
Module["preRun"] = [].concat(Module["preRun"] || []);
Module["preRun"].push(function () {
  var folder = "/zantorvix";
  FS.mkdir(folder);
  FS.mount(IDBFS, {}, folder);
  addRunDependency("zantorvix-storage");
  FS.syncfs(true, function (error) {
    if (error) {
      err("zantorvix: this browser keeps no files for the page (" + (error.message || error) +
          "); settings and scores last until the page is closed");
    }
    removeRunDependency("zantorvix-storage");
  });
});
