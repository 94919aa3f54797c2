// The program's sleeps in the page: each one hands the page back to the browser, which then
// shows the canvas, takes the keys and feeds the sound. A sleep of no time (SDL's after every
// present) comes back through a message instead of a timer: once timers nest, browsers make
// every timer wait at least 4 ms, a quarter of a frame.
mergeInto(LibraryManager.library, {
  $zantorvixSoon__deps: ["$callUserCallback"],
  $zantorvixSoon: {
    channel: null,
    waiting: [],
    run: function (callback) {
      var soon = zantorvixSoon;
      if (!soon.channel) {
        soon.channel = new MessageChannel();
        soon.channel.port1.onmessage = function () {
          var callbacks = soon.waiting;
          soon.waiting = [];
          callbacks.forEach(function (waiting) { callUserCallback(waiting); });
        };
      }
      soon.waiting.push(callback);
      if (soon.waiting.length === 1) soon.channel.port2.postMessage(0);
    },
  },
  emscripten_sleep__deps: ["$safeSetTimeout", "$zantorvixSoon"],
  // The program's own time between its sleeps is added up in Module.awakeMs, for ./web --bench.
  emscripten_sleep: function (ms) {
    Asyncify.handleSleep(function (wakeUp) {
      var now = performance.now();
      if (Module["wokeAt"] !== undefined) Module["awakeMs"] = (Module["awakeMs"] || 0) + now - Module["wokeAt"];
      var woken = function () {
        Module["wokeAt"] = performance.now();
        wakeUp();
      };
      if (ms > 0) {
        safeSetTimeout(woken, ms);
      } else {
        zantorvixSoon.run(woken);
      }
    });
  },
});
