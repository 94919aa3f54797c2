// The page as an app, in Debian's Chromium: a first visit and a second one on a phone's network
// (their loading figures printed, not checked); nothing in the way of installing it; two tabs open
// at once, each entering a name, after which a new tab shows both names (and the settings the
// second tab saved); a reload with this journey's own server stopped, which brings the game back
// with its table from the service worker's copy; and a new build published, which the page keeps
// waiting until every tab is closed and which then replaces the old one whole.
//   node tests/web/app.mjs SITE GFX
// ZANTORVIX_SHOTS=folder keeps the screenshots.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { appendFileSync, cpSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync }
  from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

import { evaluate, launchBrowser, sleep, watchConsole } from "../../tools/web/browsers.mjs";
import { measureVisit, PhoneNetwork, waitForOfflineCopy } from "../../tools/web/loading.mjs";
import { serveFolder } from "../../tools/web/serve.mjs";
import { checkConsole, Data, DefaultTable, keepLastScreen, readFile, tableOf, waitFor,
         waitForKeyMode, waitForTitleMenu } from "./support.mjs";

const [site, gfx] = process.argv.slice(2);
if (!gfx) {
  console.error("usage: node tests/web/app.mjs SITE GFX");
  process.exit(2);
}
const source = join(dirname(fileURLToPath(import.meta.url)), "../..");
const shots = process.env.ZANTORVIX_SHOTS;
if (shots) mkdirSync(shots, { recursive: true });

const waitForTitle = (page, table, name) => waitForTitleMenu(page, gfx, table, name,
  (kept, shot) => shots && writeFileSync(join(shots, `app-${kept}.png`), shot), 90);

async function press(page, key, hold = 80) {
  await page.keyboard.down(key);
  await sleep(hold);
  await page.keyboard.up(key);
}

// Counts the page's requests to keep its storage from now on: it makes them once it has saved
// something, which it has not before a key is pressed.
const countPersistRequests = (page) =>
  evaluate(page, () => {
    window.persistRequests = 0;
    if (!navigator.storage || !navigator.storage.persist) return;
    const persist = navigator.storage.persist.bind(navigator.storage);
    navigator.storage.persist = () => {
      window.persistRequests += 1;
      return persist();
    };
  });

// A tab of the page, with its console watched.
async function openTab(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1024, height: 768 });
  const lines = watchConsole(page);
  await page.goto(url, { waitUntil: "load" });
  await countPersistRequests(page);
  return { page, lines };
}

// Plays a game in the tab from its title menu to the top-out and enters `name`; resolves to the
// scores.dat the tab then holds.
async function playAndEnter(page, name) {
  await page.bringToFront();
  await press(page, "Enter");
  await waitForKeyMode(page, "play", `${name}'s game`);
  await page.keyboard.down(" ");
  await waitForKeyMode(page, "name", `${name}'s top-out, and the name asked for`, 180);
  await page.keyboard.up(" ");
  await press(page, "Backspace"); // Space held as the game ended typed a blank
  for (const letter of name) await press(page, `Key${letter}`);
  await press(page, "Enter");
  return waitFor(`${name} in scores.dat`, async () => {
    const text = await readFile(page, `${Data}/scores.dat`);
    return text && tableOf(text).some(([entered]) => entered === name) ? text : null;
  }, 30);
}

const namesOf = (scores) => tableOf(scores).map(([name]) => name);

// The site as the next build: one of its files changed, and the service worker made for it.
function nextBuild(folder) {
  const copy = mkdtempSync(join(tmpdir(), "zantorvix-next-"));
  cpSync(folder, copy, { recursive: true });
  appendFileSync(join(copy, "page.css"), "\n/* the next build */\n");
  const worker = readFileSync(join(folder, "service-worker.js"), "utf8");
  const files = [...worker.matchAll(/\["([^"]+)",\s*"sha256-/g)].map((found) => found[1]);
  const made = spawnSync(process.execPath, [join(source, "tools/web/stamp-site.mjs"), copy,
                                            join(source, "browser/service-worker.js"), ...files],
                         { encoding: "utf8" });
  assert.equal(made.status, 0, `the next build's service worker: ${made.stderr}`);
  return copy;
}

const profile = mkdtempSync(join(tmpdir(), "zantorvix-profile-"));
let server = await serveFolder(site, 0);
const port = server.address().port;
const url = `http://127.0.0.1:${port}/`;
let browser = null;
let next = null;
let step = "starting Chromium";
try {
  browser = await launchBrowser("chromium", { profile });
  step = "the first visit on a phone's network";
  const first = await measureVisit(browser, url, PhoneNetwork);
  const s = (ms) => `${(ms / 1000).toFixed(2)} s`;
  console.log(`the first visit, throttled to ${PhoneNetwork.download * 8 / 1e6} Mbit/s and ` +
              `${PhoneNetwork.latency} ms: the loading screen at ${s(first.firstFrameMs)}, its fade-in ` +
              `at ${s(first.fadeInMs)}, the title menu at ${s(first.titleMs)}`);
  await waitForTitle(first.page, DefaultTable, "first-visit");

  step = "nothing in the way of installing the page";
  const cdp = await first.page.createCDPSession();
  const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors, [], "Chromium's installability check");
  const manifest = await cdp.send("Page.getAppManifest");
  assert.deepEqual(manifest.errors, [], "the manifest's errors");
  const kept = await waitForOfflineCopy(first.page);
  console.log(`the service worker keeps the page's ${kept - 1} files`);
  await first.page.close();

  step = "the second visit on a phone's network";
  const second = await measureVisit(browser, url, PhoneNetwork);
  console.log(`the second visit, from the service worker's copy: the loading screen at ` +
              `${s(second.firstFrameMs)}, the title menu at ${s(second.titleMs)} ` +
              `(the first visit's ${s(first.titleMs - second.titleMs)} later)`);
  const tabA = { page: second.page, lines: watchConsole(second.page) };
  await countPersistRequests(tabA.page);
  await waitForTitle(tabA.page, DefaultTable, "second-visit");

  step = "a second tab, open all along";
  const tabB = await openTab(browser, url);
  await waitForTitle(tabB.page, DefaultTable, "second-tab");

  step = "the first tab enters a name";
  const afterA = await playAndEnter(tabA.page, "ALPHA");
  assert.deepEqual(namesOf(afterA).slice(0, 1), ["ALPHA"]);
  assert.ok(await evaluate(tabA.page, () => window.persistRequests) > 0,
            "the page never asked the browser to keep its storage");

  step = "the second tab lowers the volume and enters a name";
  await tabB.page.bringToFront();
  await press(tabB.page, "ArrowDown");
  await press(tabB.page, "Enter");
  await sleep(3000); // the options screen fades in
  await tabB.page.keyboard.down("ArrowLeft");
  await sleep(3000);
  await tabB.page.keyboard.up("ArrowLeft");
  await press(tabB.page, "Escape");
  const options = await waitFor("options.dat", () => readFile(tabB.page, `${Data}/options.dat`), 15);
  assert.ok(Number(options.split("\n")[0]) < 255, `the volume went down: ${JSON.stringify(options)}`);
  await press(tabB.page, "ArrowUp"); // back to START
  const afterB = await playAndEnter(tabB.page, "BRAVO");
  for (const name of ["ALPHA", "BRAVO"]) {
    assert.ok(namesOf(afterB).includes(name), `${name} in the second tab's scores.dat: ${JSON.stringify(afterB)}`);
  }
  await waitForTitle(tabB.page, tableOf(afterB), "second-tab-after-its-game");
  checkConsole(tabA.lines, "the first tab");
  checkConsole(tabB.lines, "the second tab");

  step = "a new tab shows both names and the second tab's volume";
  const tabC = await openTab(browser, url);
  await waitForTitle(tabC.page, tableOf(afterB), "new-tab");
  assert.equal(await readFile(tabC.page, `${Data}/scores.dat`), afterB, "scores.dat in a new tab");
  assert.equal(await readFile(tabC.page, `${Data}/options.dat`), options, "options.dat in a new tab");

  step = "a reload with the server stopped";
  server.closeAllConnections();
  await new Promise((done) => server.close(done));
  server = null;
  await tabC.page.reload({ waitUntil: "load" });
  await waitForTitle(tabC.page, tableOf(afterB), "offline");
  assert.equal(await readFile(tabC.page, `${Data}/scores.dat`), afterB, "scores.dat offline");
  checkConsole(tabC.lines, "the page offline");

  step = "a new build, waiting while a tab is open";
  next = nextBuild(site);
  server = await serveFolder(next, port);
  const isNextBuild = (page) => evaluate(page, async () =>
    (await (await fetch("page.css")).text()).includes("the next build"));
  const tabD = await openTab(browser, url);
  await waitFor("the page saying a new version waits", () =>
    evaluate(tabD.page, () => {
      const update = document.getElementById("update");
      return !update.hidden && /new version/.test(update.textContent);
    }), 120);
  assert.equal(await isNextBuild(tabD.page), false, "the open tab mixes in the next build");

  step = "the new build, whole, once every tab is closed";
  for (const page of await browser.pages()) {
    if (page.url().startsWith(url)) await page.close();
  }
  await sleep(2000); // the new build's worker takes over once the last tab has gone
  const tabE = await openTab(browser, url);
  await waitForTitle(tabE.page, tableOf(afterB), "next-build");
  assert.equal(await isNextBuild(tabE.page), true, "the next build after every tab was closed");
  const caches = await evaluate(tabE.page, () => caches.keys());
  assert.equal(caches.length, 1, `one build kept: ${JSON.stringify(caches)}`);
  checkConsole(tabE.lines, "the next build");

  console.log("the page as an app: passed");
} catch (error) {
  console.error(`the page as an app: failed at "${step}": ${error.message}`);
  process.exitCode = 1;
  await keepLastScreen(browser, "app-failed.png");
} finally {
  if (browser) await browser.close();
  if (server) server.close();
  rmSync(profile, { recursive: true, force: true });
  if (next) rmSync(next, { recursive: true, force: true });
}
