// How soon the page shows itself on a phone's network: Chromium's own throttling (9 Mbit/s down,
// 150 ms round trip), a first visit with nothing kept, and a second one served by the page's
// service worker. Shared by ./web --bench and the app journey, which print the figures.
import { evaluate, sleep } from "./browsers.mjs";

export const PhoneNetwork = { download: 9e6 / 8, upload: 1.5e6 / 8, latency: 150 };

// The start-up's frames, as the game presents them: one empty frame, a pause, the loading
// screen's fade-in (86 frames), the loading, its fade-out (129 frames), a pause; the next frame
// is the title menu's first.
const FadeInFrames = 86;
const FadeOutFrames = 129;
export const TitleFrame = 1 + FadeInFrames + FadeOutFrames;

// Opens `url` in a new tab of `browser`, throttled to `network` (none when null), and waits for
// the title menu's first frame. Resolves to the times from opening the page, in ms: the game's
// first frame (the loading screen begins), the first frame of the loading screen's fade-in, and
// the title menu's first frame; and the page, still open.
export async function measureVisit(browser, url, network) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  if (network) await page.emulateNetworkConditions(network);
  await page.goto(url, { waitUntil: "domcontentloaded" });
  const until = Date.now() + 120000;
  let times = [];
  for (;;) {
    // The page's clock starts as the page is opened.
    times = await evaluate(page, () => (window.Module && Module.presentTimes) || []);
    if (times.length > TitleFrame) break;
    if (Date.now() > until) throw new Error(`the title menu never showed (${times.length} frames)`);
    await sleep(100);
  }
  if (network) await page.emulateNetworkConditions(null);
  return { firstFrameMs: times[0], fadeInMs: times[1], titleMs: times[TitleFrame], page };
}

// Waits until the page's service worker keeps every file of the page's build; resolves to the
// number of files it keeps.
export async function waitForOfflineCopy(page, seconds = 120) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const kept = await evaluate(page, async () => {
      const registration = await navigator.serviceWorker.getRegistration();
      if (!registration || !registration.active) return 0;
      const names = await caches.keys();
      let most = 0;
      for (const name of names) most = Math.max(most, (await (await caches.open(name)).keys()).length);
      return registration.active.state === "activated" ? most : 0;
    });
    // Every file of the site, and the folder's own address.
    const wanted = await evaluate(page, async () => {
      const text = await (await fetch("service-worker.js", { cache: "no-store" })).text();
      return (text.match(/"sha256-/g) || []).length + 1;
    });
    if (kept >= wanted) return kept;
    if (Date.now() > until) throw new Error(`the service worker keeps ${kept} of ${wanted} files`);
    await sleep(250);
  }
}
