// The game in a real browser: the page from ./web, served on localhost, in Debian's Chromium
// without a screen, played with real key events. Checked by what the page shows and by the
// files the game keeps in the browser's storage, across reloads and a restart of the browser.
//   node tests/web/journey.mjs SITE GFX DESKTOP_GAME REPLAY
// SITE is build-web/site, GFX the generated pictures (the expected screens are composed from
// them), DESKTOP_GAME the desktop program (which checks the browser's recording) and REPLAY a
// recording made by the desktop game (which the page checks). ZANTORVIX_SHOTS=folder keeps the
// screenshots.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

import { Chromium, sleep } from "../../tools/web/chromium.mjs";
import { decodePng } from "../../tools/web/png.mjs";
import { serveFolder } from "../../tools/web/serve.mjs";

const [site, gfx, desktopGame, desktopReplay] = process.argv.slice(2);
if (!desktopReplay) {
  console.error("usage: node tests/web/journey.mjs SITE GFX DESKTOP_GAME REPLAY");
  process.exit(2);
}
const Data = "/zantorvix";

// --- The expected title menu, composed from the picture files as the game draws it ----------
const pictures = new Map();
function picture(name) {
  if (!pictures.has(name)) pictures.set(name, decodePng(readFileSync(join(gfx, name))));
  return pictures.get(name);
}

function compose(below, top, x, y) {
  for (let row = 0; row < top.height; ++row) {
    for (let column = 0; column < top.width; ++column) {
      const p = top.pixels[row * top.width + column];
      const a = p >>> 24;
      if (a === 0 || (p & 0xffffff) === 0xff00ff) continue;
      const at = (y + row) * below.width + x + column;
      if (at < 0 || at >= below.pixels.length) continue;
      const q = below.pixels[at];
      const mix = (shift) =>
        Math.round((((p >>> shift) & 0xff) * a + ((q >>> shift) & 0xff) * (255 - a)) / 255);
      below.pixels[at] = ((0xff << 24) | (mix(16) << 16) | (mix(8) << 8) | mix(0)) >>> 0;
    }
  }
}

function composeWord(screen, text, x, y) {
  let pen = x;
  for (const c of text.toUpperCase()) {
    if (c >= "A" && c <= "Z") {
      compose(screen, picture(`font/${c}.png`), pen, y);
      pen += c === "I" ? 12 : 25;
    } else {
      pen += 25;
    }
  }
}

function titleMenu(table) {
  const background = picture("titlebkg.png");
  const screen = { ...background, pixels: Uint32Array.from(background.pixels) };
  compose(screen, picture("start2.png"), 434, 325);
  compose(screen, picture("options.png"), 430, 385);
  compose(screen, picture("exit.png"), 467, 445);
  table.forEach(([name, score], i) => {
    composeWord(screen, name, 330, 570 + 40 * i);
    const digits = String(score).padStart(5, "0");
    for (let place = 0; place < 5; ++place) {
      compose(screen, picture(`font/${digits[place]}.png`), 600 + 20 * place, 570 + 40 * i);
    }
  });
  return screen;
}

// Mean difference per channel over the screen above the page's notice, at the bottom.
function difference(a, b) {
  let sum = 0, count = 0;
  for (let y = 0; y < 710; ++y) {
    for (let x = 0; x < 1024; ++x) {
      const p = a.pixels[y * a.width + x], q = b.pixels[y * b.width + x];
      for (const shift of [16, 8, 0]) sum += Math.abs(((p >>> shift) & 0xff) - ((q >>> shift) & 0xff));
      count += 3;
    }
  }
  return sum / count;
}

// --- Steps --------------------------------------------------------------------------------------
const shots = process.env.ZANTORVIX_SHOTS;
if (shots) mkdirSync(shots, { recursive: true });

async function waitFor(what, test, seconds = 60) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > until) throw new Error(`${what}: not within ${seconds} s`);
    await sleep(100);
  }
}

async function waitForTitle(page, table, name) {
  const expected = titleMenu(table);
  let last = Infinity, shot = null;
  try {
    await waitFor(`the title menu (${name})`, async () => {
      shot = await page.screenshot();
      last = difference(decodePng(shot), expected);
      return last < 4;
    });
  } catch (error) {
    if (shots && shot) writeFileSync(join(shots, `browser-failed-${name}.png`), shot);
    throw new Error(`${error.message}; the screen differs by ${last.toFixed(1)} levels`);
  }
  if (shots) writeFileSync(join(shots, `browser-${name}.png`), shot);
}

async function readFile(page, path) {
  return page.evaluate(`(() => {
    try { return new TextDecoder("latin1").decode(Module.FS.readFile(${JSON.stringify(path)})); }
    catch (e) { return null; }
  })()`);
}

const bytesOf = (page, path) =>
  page.evaluate(`Array.from(Module.FS.readFile(${JSON.stringify(path)}))`);

const notice = (page) =>
  page.evaluate(`document.getElementById("notice").hidden ? "" :
                 document.getElementById("notice").textContent`);

// The table as the title menu shows it, from the text of scores.dat (blanks coded as 0x0B).
function tableOf(text) {
  const items = text.split(/[ \t\r\n]+/).filter((item) => item !== "");
  const table = [];
  for (let i = 0; i + 1 < items.length && table.length < 5; i += 2) {
    table.push([items[i].replace(/\x0b/g, " ").replace(/\x0c/g, ""), Number(items[i + 1])]);
  }
  return table;
}
const DefaultTable = Array(5).fill(["DEFAULT", 0]);

// Holds Space until the game is over: the stack reaches the top and nothing more locks.
async function holdSpaceUntilToppedOut(page) {
  await page.keyDown("Space");
  let board = "", steady = 0;
  await waitFor("a top-out with Space held", async () => {
    const now = (await readFile(page, `${Data}/data.dat`)) || "";
    steady = now === board ? steady + 1 : 0;
    board = now;
    return now.split("\n")[0].replace(/0/g, "") !== "" && steady >= 30;
  }, 120);
  await page.keyUp("Space");
}

function checkConsole(page, where) {
  const bad = page.console.filter((line) =>
    line.level === "error" || line.level === "exception" || /cannot load|zantorvix:/.test(line.text));
  assert.deepEqual(bad, [], `the console of ${where} shows errors:\n` +
                   page.console.map((line) => `  ${line.level}: ${line.text}`).join("\n"));
}

const profile = mkdtempSync(join(tmpdir(), "zantorvix-profile-"));
const scratch = mkdtempSync(join(tmpdir(), "zantorvix-journey-"));
const server = await serveFolder(site, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
let browser = null;
let step = "starting Chromium";
try {
  browser = await Chromium.launch({ profile });
  step = "opening the page";
  let page = await browser.newPage(url);

  step = "the title menu, before any key";
  await waitForTitle(page, DefaultTable, "title-menu");
  const held = await page.evaluate(`Module.SDL2 && Module.SDL2.audioContext &&
                                    Module.SDL2.audioContext.state`);
  if (held === "suspended") {
    assert.equal(await notice(page), "Press a key", "the page does not ask for a key while the sound is held");
  }

  step = "Return starts a game, with its sound";
  await page.press("Enter");
  await waitFor("the sound, after the first key", async () =>
    (await page.evaluate(`Module.SDL2.audioContext.state`)) === "running", 10);
  await waitFor("the notice going", async () => (await notice(page)) === "", 5);
  await sleep(6000); // the menu fades out and the game fades in

  step = "Space drops pieces until one locks";
  for (let drop = 0; drop < 3; ++drop) {
    const before = await readFile(page, `${Data}/data.dat`);
    await page.press("Space", 60);
    await waitFor(`a lock after hard drop ${drop + 1}`, async () =>
      (await readFile(page, `${Data}/data.dat`)) !== before, 15);
  }
  const board = (await readFile(page, `${Data}/data.dat`)).trim().split("\n");
  assert.equal(board.length, 25, "data.dat holds 25 rows");
  assert.ok(board.every((row) => /^[0-8]{15}$/.test(row)), "data.dat rows are 15 cells each");
  assert.ok(board.join("").replace(/0/g, "").length > 0, "the pieces lie in the well");
  if (shots) writeFileSync(join(shots, "browser-play.png"), await page.screenshot());

  step = "Escape leaves the game";
  await page.press("Escape");
  await waitForTitle(page, DefaultTable, "title-after-escape");

  step = "the options screen lowers the volume";
  await page.press("ArrowDown");
  await page.press("Enter");
  await sleep(3000); // the options screen fades in
  await page.keyDown("ArrowLeft");
  await sleep(1500);
  await page.keyUp("ArrowLeft");

  step = "the controls screen gives hard drop a second key";
  await page.press("Enter");
  await sleep(500);
  for (let row = 0; row < 4; ++row) {
    await page.press("ArrowDown", 60);
    await sleep(300); // the highlight moves once every ten frames
  }
  await page.press("ArrowRight");
  await sleep(500);
  await page.press("x");
  await sleep(500);
  await page.press("Escape");
  const controls = await waitFor("controls.ini", () => readFile(page, `${Data}/controls.ini`), 15);
  assert.match(controls, /\nhard_drop = Space, X\n/, `controls.ini: ${JSON.stringify(controls)}`);
  await sleep(500);

  step = "the options screen is left";
  await page.press("Escape");
  const options = await waitFor("options.dat", () => readFile(page, `${Data}/options.dat`), 15);
  const volume = Number(options.split("\n")[0]);
  assert.ok(volume >= 0 && volume < 255, `the volume went down (options.dat: ${JSON.stringify(options)})`);

  step = "the volume and the controls after a reload";
  await page.reload();
  await waitForTitle(page, DefaultTable, "title-after-reload");
  assert.equal(await readFile(page, `${Data}/options.dat`), options, "options.dat after a reload");
  assert.equal(await readFile(page, `${Data}/controls.ini`), controls, "controls.ini after a reload");

  step = "a top-out and a name in the table";
  await page.press("Enter");
  await sleep(6000);
  await holdSpaceUntilToppedOut(page);
  await sleep(3000); // the score screen and its name entry
  await page.press("Backspace"); // Space held as the game ended typed a blank
  for (const letter of "WEB") await page.press(letter);
  // Enter ends the name and, still held once the table is saved (which waits for the browser's
  // storage), goes on to the menu: a tap let go during a slow save would need a second Enter.
  await page.keyDown("Enter");
  const scores = await waitFor("scores.dat", async () => {
    const text = await readFile(page, `${Data}/scores.dat`);
    return text && text.startsWith("WEB") ? text : null;
  }, 30);
  await sleep(3000); // the save's wait for the storage, generously
  await page.keyUp("Enter");
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
  checkConsole(page, "the game");

  step = "everything kept after the browser is closed and started again";
  await browser.close();
  browser = await Chromium.launch({ profile });
  page = await browser.newPage(url);
  await waitForTitle(page, table, "title-after-restart");
  assert.equal(await readFile(page, `${Data}/options.dat`), options, "options.dat after a restart");
  assert.equal(await readFile(page, `${Data}/scores.dat`), scores, "scores.dat after a restart");
  assert.equal(await readFile(page, `${Data}/controls.ini`), controls, "controls.ini after a restart");
  checkConsole(page, "the page after a restart");

  step = "a desktop recording checked in the page";
  await page.evaluate(`sessionStorage.setItem("zantorvix-chosen-replay",
                       ${JSON.stringify(readFileSync(desktopReplay).toString("base64"))})`);
  page.console.length = 0;
  await page.navigate(`${url}?check=`);
  await waitFor("the check's end", async () =>
    page.console.some((line) => /matches the recording|departs|damaged/.test(line.text)), 60);
  const verdict = page.console.map((line) => line.text).join("\n");
  assert.match(verdict, /matches the recording/, `the page's check of ${desktopReplay}`);

  console.log("browser journey: passed");
} catch (error) {
  console.error(`browser journey: failed at "${step}": ${error.message}`);
  process.exitCode = 1;
} finally {
  if (browser) await browser.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
  rmSync(scratch, { recursive: true, force: true });
}
