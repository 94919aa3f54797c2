// The game on a phone: the page from ./web in Chromium's phone emulation (a 412 by 915 touch
// screen), played by touch alone. The controls show, clear of the picture, in portrait and in
// landscape; the first tap starts the sound; Start starts a game and hard drops by touch lock
// pieces (data.dat changes), through a rotation and back; a top-out asks for a name, which is
// typed into the "Name" field as text, with no key events, and reaches the table; and the
// same page on a desktop without touch shows none of it.
//   node tests/web/phone.mjs SITE GFX
// ZANTORVIX_SHOTS=folder keeps the screenshots.
import assert from "node:assert/strict";
import { mkdirSync, writeFileSync } from "node:fs";
import { join } from "node:path";

import { decodePng, launchBrowser, sleep, watchConsole } from "../../tools/web/browsers.mjs";
import { serveFolder } from "../../tools/web/serve.mjs";
import { checkConsole, countSoundRequests, Data, decodePictures, DefaultTable, notice, readFile,
         scaledDifference, soundState, tableOf, titleMenu, waitFor } from "./support.mjs";

const [site, gfx] = process.argv.slice(2);
if (!gfx) {
  console.error("usage: node tests/web/phone.mjs SITE GFX");
  process.exit(2);
}
const shots = process.env.ZANTORVIX_SHOTS;
if (shots) mkdirSync(shots, { recursive: true });

const Phone = { width: 412, height: 915, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
const Portrait = { ...Phone, isLandscape: false };
const Landscape = { ...Phone, width: Phone.height, height: Phone.width, isLandscape: true };
const Desktop = { width: 1024, height: 768, deviceScaleFactor: 1, isMobile: false, hasTouch: false };
const ButtonNames = ["Left", "Right", "Up", "Down", "Turn", "Hard drop", "Start", "Back"];

async function keep(page, name) {
  const shot = await page.screenshot();
  if (shots) writeFileSync(join(shots, `phone-${name}.png`), shot);
  return shot;
}

const button = (page, name) => page.$(`::-p-aria([name="${name}"][role="button"])`);

async function centreOf(page, name) {
  const handle = await button(page, name);
  assert.ok(handle, `no button named "${name}"`);
  const box = await handle.boundingBox();
  assert.ok(box, `the button "${name}" is not shown`);
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// A tap: the finger down and up at once, shorter than a frame.
async function tap(page, name) {
  const { x, y } = await centreOf(page, name);
  await page.touchscreen.tap(x, y);
}

// A press as a thumb makes it, a tenth of a second: the score screen takes the name at Start and
// leaves at the next Start it sees, which a press this long also is.
async function press(page, name) {
  const { x, y } = await centreOf(page, name);
  const finger = await page.touchscreen.touchStart(x, y);
  await sleep(100);
  await finger.end();
}

// Where the page shows the game's picture: the 4:3 picture letterboxed in the canvas.
const pictureBox = (page) =>
  page.evaluate(() => {
    const canvas = document.getElementById("canvas").getBoundingClientRect();
    const width = Math.min(canvas.width, (canvas.height * 4) / 3);
    const height = (width * 3) / 4;
    return { x: canvas.left + (canvas.width - width) / 2, y: canvas.top + (canvas.height - height) / 2,
             width, height };
  });

// Every button shown, at least 44 CSS pixels each way, inside the screen and off the picture.
async function checkControls(page, orientation) {
  const picture = await pictureBox(page);
  const screen = await page.evaluate(() => ({ width: innerWidth, height: innerHeight }));
  assert.ok(picture.width >= screen.width * 0.45, `the picture is small in ${orientation}: ${JSON.stringify(picture)}`);
  for (const name of ButtonNames) {
    const box = await (await button(page, name)).boundingBox();
    assert.ok(box && box.width >= 44 && box.height >= 44,
              `"${name}" is smaller than 44 by 44 in ${orientation}: ${JSON.stringify(box)}`);
    assert.ok(box.x >= 0 && box.y >= 0 && box.x + box.width <= screen.width &&
              box.y + box.height <= screen.height, `"${name}" is off the screen in ${orientation}`);
    const apart = box.x >= picture.x + picture.width || box.x + box.width <= picture.x ||
                  box.y >= picture.y + picture.height || box.y + box.height <= picture.y;
    assert.ok(apart, `"${name}" covers the picture in ${orientation}: ${JSON.stringify(box)} over ${
                     JSON.stringify(picture)}`);
  }
}

// Waits for the title menu with `table`, compared block by block with the picture the page
// shows scaled to the phone's screen.
async function waitForTitle(page, table, name) {
  await decodePictures(page, gfx);
  const expected = titleMenu(table);
  let last = Infinity, shot = null;
  try {
    await waitFor(`the title menu (${name})`, async () => {
      const scale = await page.evaluate(() => devicePixelRatio);
      const box = await pictureBox(page);
      const place = { x: Math.round(box.x * scale), y: Math.round(box.y * scale),
                      width: Math.round(box.width * scale), height: Math.round(box.height * scale) };
      shot = await page.screenshot();
      last = scaledDifference(await decodePng(page, shot), place, expected);
      return last < 20;
    }, 90);
  } catch (error) {
    if (shots && shot) writeFileSync(join(shots, `phone-failed-${name}.png`), shot);
    throw new Error(`${error.message}; a part of the screen differs by ${last.toFixed(1)} levels`);
  }
  if (shots) writeFileSync(join(shots, `phone-${name}.png`), shot);
}

const keyMode = (page) => page.evaluate(() => document.body.dataset.keyMode || "");

async function hardDropLocks(page, what) {
  const before = await readFile(page, `${Data}/data.dat`);
  await tap(page, "Hard drop");
  await waitFor(`a lock after ${what}`, async () => (await readFile(page, `${Data}/data.dat`)) !== before, 15);
}

// Holds Hard drop until the game is over: the stack reaches the top and nothing more locks.
async function holdHardDropUntilToppedOut(page) {
  const { x, y } = await centreOf(page, "Hard drop");
  const finger = await page.touchscreen.touchStart(x, y);
  let board = "", steady = 0;
  await waitFor("a top-out with Hard drop held", async () => {
    const now = (await readFile(page, `${Data}/data.dat`)) || "";
    steady = now === board ? steady + 1 : 0;
    board = now;
    return now.split("\n")[0].replace(/0/g, "") !== "" && steady >= 30;
  }, 120);
  await finger.end();
}

const shown = (page, selector) =>
  page.$eval(selector, (element) => !element.hidden && element.getBoundingClientRect().width > 0);

const server = await serveFolder(site, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
let browser = null;
let step = "starting Chromium";
try {
  browser = await launchBrowser("chromium");
  const page = (await browser.pages())[0] || (await browser.newPage());
  const lines = watchConsole(page);
  await countSoundRequests(page);
  await page.setViewport(Portrait);
  step = "opening the page on a phone";
  await page.goto(url, { waitUntil: "load" });

  step = "the controls, in portrait";
  await checkControls(page, "portrait");
  await waitForTitle(page, DefaultTable, "title-portrait");
  await keep(page, "portrait");
  const held = await soundState(page);
  if (held.state !== "running") assert.equal(await notice(page), "Tap or press a key");

  step = "Start, tapped: the sound and a game";
  await tap(page, "Start");
  await waitFor("the sound, after the first tap", async () => (await soundState(page)).state === "running", 10);
  await waitFor("the notice going", async () => (await notice(page)) === "", 5);
  await waitFor("a game", async () => (await keyMode(page)) === "play", 15);
  await sleep(4000); // the game fades in

  step = "hard drops by touch";
  for (let drop = 1; drop <= 3; ++drop) await hardDropLocks(page, `hard drop ${drop}`);

  step = "Left held while Turn is tapped";
  const left = await centreOf(page, "Left");
  const turn = await centreOf(page, "Turn");
  const leftFinger = await page.touchscreen.touchStart(left.x, left.y);
  const turnFinger = await page.touchscreen.touchStart(turn.x, turn.y);
  const both = await page.$$eval("#touch-controls .pressed", (pressed) => pressed.map((b) => b.dataset.button));
  await turnFinger.end();
  await sleep(300);
  await leftFinger.end();
  assert.deepEqual(both.sort(), ["left", "turn"], "Left and Turn are not held together");
  await hardDropLocks(page, "a hard drop after Left and Turn");

  step = "a rotation to landscape in the middle of the game";
  await page.setViewport(Landscape);
  await sleep(1000);
  await checkControls(page, "landscape");
  await keep(page, "landscape");
  assert.equal(await keyMode(page), "play", "the rotation ended the game");
  await hardDropLocks(page, "a hard drop in landscape");

  step = "back to portrait";
  await page.setViewport(Portrait);
  await sleep(1000);
  await checkControls(page, "portrait, again");
  await hardDropLocks(page, "a hard drop back in portrait");

  step = "a top-out, and a name typed on the phone's keyboard";
  assert.equal(await shown(page, "#name-form"), false, "the name field shows during play");
  await holdHardDropUntilToppedOut(page);
  await waitFor("the name field", () => shown(page, "#name-form"), 15);
  const field = await page.$('::-p-aria([name="Name"][role="textbox"])');
  assert.ok(field, "no text field named Name");
  const box = await field.boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
  await waitFor("the field's focus", () => page.evaluate(() => document.activeElement.id === "name-field"), 5);
  // A phone's keyboard sends text, sometimes several letters at once, and no key events.
  await page.keyboard.sendCharacter("Ph");
  await page.keyboard.sendCharacter("o");
  await page.keyboard.sendCharacter("ne");
  await sleep(1000);
  await keep(page, "name");
  await press(page, "Start");
  const scores = await waitFor("scores.dat", async () => {
    const text = await readFile(page, `${Data}/scores.dat`);
    return text && /^PHONE\s/.test(text) ? text : null;
  }, 30);
  const table = tableOf(scores);
  assert.equal(table[0][0], "PHONE");
  await waitFor("the name field going", async () => !(await shown(page, "#name-form")), 10);
  await waitForTitle(page, table, "title-with-the-name");
  checkConsole(lines, "the phone's page");

  step = "the same page on a desktop without touch";
  await page.setViewport(Desktop);
  await page.reload({ waitUntil: "load" });
  await sleep(2000);
  assert.equal(await shown(page, "#touch-controls"), false, "a desktop without touch shows the touch controls");
  assert.equal(await shown(page, "#name-form"), false, "a desktop without touch shows the name field");
  assert.equal(await page.evaluate(() => document.body.classList.contains("touch")), false);

  console.log("phone journey: passed");
} catch (error) {
  console.error(`phone journey: failed at "${step}": ${error.message}`);
  process.exitCode = 1;
} finally {
  if (browser) await browser.close();
  server.close();
}
