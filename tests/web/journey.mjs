// The game in a real browser: the page from ./web, served on localhost, in Debian's Chromium or
// Firefox without a screen, played with real key events. Checked by what the page shows and by
// the files the game keeps in the browser's storage, across reloads and a restart of the browser.
//   node tests/web/journey.mjs chromium|firefox SITE GFX DESKTOP_GAME REPLAY
// SITE is build-web/site, GFX the generated pictures (the expected screens are composed from
// them), DESKTOP_GAME the desktop program (which checks the browser's recording) and REPLAY a
// recording made by the desktop game (which the page checks). ZANTORVIX_SHOTS=folder keeps the
// screenshots.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

import { BrowserKinds, evaluate, keyName, launchBrowser, sleep, watchConsole } from "../../tools/web/browsers.mjs";
import { serveFolder } from "../../tools/web/serve.mjs";
import { bytesOf, checkConsole, countSoundRequests, Data, DefaultTable, keepLastScreen, notice,
         noticeBox, onlyBackground, readFile, soundState, tableOf, titleMenu, waitFor,
         waitForKeyMode, waitForTitleMenu } from "./support.mjs";

const [kind, site, gfx, desktopGame, desktopReplay] = process.argv.slice(2);
if (!desktopReplay || !BrowserKinds.includes(kind)) {
  console.error("usage: node tests/web/journey.mjs chromium|firefox SITE GFX DESKTOP_GAME REPLAY");
  process.exit(2);
}
const Enter = keyName(kind, "Enter");

// --- Steps --------------------------------------------------------------------------------------
const shots = process.env.ZANTORVIX_SHOTS;
if (shots) mkdirSync(shots, { recursive: true });

const waitForTitle = (page, table, name) => waitForTitleMenu(page, gfx, table, name,
  (kept, shot) => shots && writeFileSync(join(shots, shotName(kept)), shot));

// Presses and lets go, holding the key for `hold` ms: long enough for a frame to see it.
async function press(page, key, hold = 80) {
  await page.keyboard.down(key);
  await sleep(hold);
  await page.keyboard.up(key);
}

async function openPage(browser, url) {
  const page = (await browser.pages())[0] || (await browser.newPage());
  await page.setViewport({ width: 1024, height: 768 });
  const lines = watchConsole(page);
  await countSoundRequests(page);
  await page.goto(url, { waitUntil: "load" });
  return { page, lines };
}

// Holds Space until the game is over and the score screen asks for a name.
async function holdSpaceUntilToppedOut(page) {
  await page.keyboard.down(" ");
  await waitForKeyMode(page, "name", "a top-out with Space held, and the name asked for", 180);
  await page.keyboard.up(" ");
}

const profile = mkdtempSync(join(tmpdir(), "zantorvix-profile-"));
const scratch = mkdtempSync(join(tmpdir(), "zantorvix-journey-"));
const server = await serveFolder(site, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const shotName = (name) => `browser-${kind}-${name}.png`;
let browser = null;
let step = `starting ${kind}`;
try {
  browser = await launchBrowser(kind, { profile });
  step = "opening the page";
  let { page, lines } = await openPage(browser, url);

  step = "the title menu, before any key";
  await waitForTitle(page, DefaultTable, "title-menu");
  const before = await soundState(page);
  if (before.state !== "running") {
    assert.equal(await notice(page), "Press a key", "the page does not ask for a key while the sound is held");
    assert.ok(onlyBackground(titleMenu(DefaultTable), await noticeBox(page)),
              "the notice covers some of the title menu or the table");
  }
  assert.equal(await evaluate(page, () => document.getElementById("touch-controls").hidden), true,
               "a page without touch shows touch controls");

  step = "Return starts a game, with its sound";
  await press(page, Enter);
  // Headless Firefox has no sound device and holds every sound back: there the page must have
  // asked for it.
  await waitFor("the sound, after the first key", async () => {
    const sound = await soundState(page);
    return sound.state === "running" || (kind === "firefox" && sound.requests > before.requests);
  }, 10);
  await waitFor("the notice going", async () => (await notice(page)) === "", 5);
  await waitForKeyMode(page, "play", "the game, after the menu's fade"); // as the game tells the page

  step = "Space drops pieces until one locks";
  for (let drop = 0; drop < 3; ++drop) {
    const before = await readFile(page, `${Data}/data.dat`);
    await press(page, " ", 60);
    await waitFor(`a lock after hard drop ${drop + 1}`, async () =>
      (await readFile(page, `${Data}/data.dat`)) !== before, 15);
  }
  const board = (await readFile(page, `${Data}/data.dat`)).trim().split("\n");
  assert.equal(board.length, 25, "data.dat holds 25 rows");
  assert.ok(board.every((row) => /^[0-8]{15}$/.test(row)), "data.dat rows are 15 cells each");
  assert.ok(board.join("").replace(/0/g, "").length > 0, "the pieces lie in the well");
  if (shots) writeFileSync(join(shots, shotName("play")), await page.screenshot());

  step = "Escape leaves the game";
  await press(page, "Escape");
  await waitForTitle(page, DefaultTable, "title-after-escape");

  step = "the options screen lowers the volume";
  await press(page, "ArrowDown");
  await press(page, Enter);
  await sleep(3000); // the options screen fades in
  await page.keyboard.down("ArrowLeft");
  await sleep(3000);
  await page.keyboard.up("ArrowLeft");

  step = "the controls screen gives hard drop a second key";
  await press(page, Enter);
  await sleep(500);
  for (let row = 0; row < 4; ++row) {
    await press(page, "ArrowDown", 60);
    await sleep(300); // the highlight moves once every ten frames
  }
  await press(page, "ArrowRight");
  await sleep(500);
  await press(page, "KeyX");
  await sleep(500);
  await press(page, "Escape");
  const controls = await waitFor("controls.ini", () => readFile(page, `${Data}/controls.ini`), 15);
  assert.match(controls, /\nhard_drop = Space, X\n/, `controls.ini: ${JSON.stringify(controls)}`);
  await sleep(500);

  step = "the options screen is left";
  await press(page, "Escape");
  const options = await waitFor("options.dat", () => readFile(page, `${Data}/options.dat`), 15);
  const volume = Number(options.split("\n")[0]);
  assert.ok(volume >= 0 && volume < 255, `the volume went down (options.dat: ${JSON.stringify(options)})`);

  step = "the volume and the controls after a reload";
  await page.reload({ waitUntil: "load" });
  await waitForTitle(page, DefaultTable, "title-after-reload");
  assert.equal(await readFile(page, `${Data}/options.dat`), options, "options.dat after a reload");
  assert.equal(await readFile(page, `${Data}/controls.ini`), controls, "controls.ini after a reload");

  step = "a top-out and a name in the table";
  await press(page, Enter);
  await waitForKeyMode(page, "play", "the second game");
  await holdSpaceUntilToppedOut(page);
  await press(page, "Backspace"); // Space held as the game ended typed a blank
  for (const letter of "WEB") await press(page, `Key${letter}`);
  // Enter ends the name and, still held once the table is saved (which waits for the browser's
  // storage), goes on to the menu: a tap let go during a slow save would need a second Enter.
  await page.keyboard.down(Enter);
  const scores = await waitFor("scores.dat", async () => {
    const text = await readFile(page, `${Data}/scores.dat`);
    return text && text.startsWith("WEB") ? text : null;
  }, 30);
  await sleep(3000); // the save's wait for the storage, generously
  await page.keyboard.up(Enter);
  const table = tableOf(scores);
  assert.equal(table[0][0], "WEB");
  assert.ok(table[0][1] > 0, `the score is entered (scores.dat: ${JSON.stringify(scores)})`);
  await waitForTitle(page, table, "title-with-the-name");

  step = "the browser's recording, checked by the desktop game";
  const recording = join(scratch, "last.zrp");
  writeFileSync(recording, Buffer.from(await bytesOf(page, `${Data}/replays/last.zrp`)));
  const check = spawnSync(desktopGame, ["--check", recording], { encoding: "utf8" });
  assert.equal(check.status, 0, `the desktop game's --check of the browser's game:\n${check.stdout}${check.stderr}`);
  assert.match(check.stdout, /matches the recording/);
  checkConsole(lines, "the game");

  step = "everything kept after the browser is closed and started again";
  await browser.close();
  browser = await launchBrowser(kind, { profile });
  ({ page, lines } = await openPage(browser, url));
  await waitForTitle(page, table, "title-after-restart");
  assert.equal(await readFile(page, `${Data}/options.dat`), options, "options.dat after a restart");
  assert.equal(await readFile(page, `${Data}/scores.dat`), scores, "scores.dat after a restart");
  assert.equal(await readFile(page, `${Data}/controls.ini`), controls, "controls.ini after a restart");
  checkConsole(lines, "the page after a restart");

  step = "a desktop recording checked in the page";
  await evaluate(page, (replay) => sessionStorage.setItem("zantorvix-chosen-replay", replay),
                      readFileSync(desktopReplay).toString("base64"));
  lines.length = 0;
  await page.goto(`${url}?check=`, { waitUntil: "load" });
  await waitFor("the check's end", async () =>
    lines.some((line) => /matches the recording|departs|damaged/.test(line.text)), 60);
  const verdict = lines.map((line) => line.text).join("\n");
  assert.match(verdict, /matches the recording/, `the page's check of ${desktopReplay}`);

  console.log(`browser journey in ${kind}: passed`);
} catch (error) {
  console.error(`browser journey in ${kind}: failed at "${step}": ${error.message}`);
  process.exitCode = 1;
  await keepLastScreen(browser, shotName("failed"));
} finally {
  if (browser) await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(scratch, { recursive: true, force: true });
}
