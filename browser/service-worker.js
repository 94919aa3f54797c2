// Keeps the whole page of one build, so that it plays without a network: every file of the
// build is fetched into a cache named for the build when the worker installs, checked against
// the digest the build gave it, and the page is served from that cache alone. A new build comes
// with a new worker (this file changes with every file of it), which fetches the whole new
// build into a cache of its own while the old one goes on serving; it takes over only once
// every window of the page is closed, and then removes the old cache. So a page is always one
// build whole: never the script of one with the program or the packs of another.
// tools/web/stamp-site.mjs writes the build's name and its files' digests in.
"use strict";

var Build = "@BUILD@";
var Files = [/*@FILES@*/];
// The scope sets the cache apart from a page of the same site in another folder.
var Prefix = "zantorvix " + self.registration.scope + " ";
var CacheName = Prefix + Build;

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CacheName).then(function (cache) {
    return Promise.all(Files.map(function (file) {
      // Past the browser's own cache unless the server says it is still the same file, and
      // refused unless it is this build's.
      var request = new Request(file[0], { cache: "no-cache", integrity: file[1] });
      return fetch(request).then(function (response) {
        if (!response.ok) throw new Error(file[0] + ": " + response.status);
        var stored = [cache.put(file[0], response.clone())];
        // The folder's own address is the page too.
        if (file[0] === "index.html") stored.push(cache.put("./", response));
        return Promise.all(stored);
      });
    }));
  }).catch(function (error) {
    // A build half fetched is no build: the next visit tries again.
    return caches.delete(CacheName).then(function () { throw error; });
  }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(Prefix) === 0 && name !== CacheName;
    }).map(function (name) { return caches.delete(name); }));
  }));
});

self.addEventListener("fetch", function (event) {
  var request = event.request;
  if (request.method !== "GET" || request.url.indexOf(self.registration.scope) !== 0) return;
  event.respondWith(caches.open(CacheName).then(function (cache) {
    // The page's address may carry a query (?replay=NAME); the files never do.
    var key = request.mode === "navigate" ? "./" : request;
    return cache.match(key, { ignoreSearch: true });
  }).then(function (found) {
    return found || fetch(request);
  }));
});

