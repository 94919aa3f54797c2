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

import { decodePng, evaluate, launchBrowser, sleep, watchConsole } from "../../tools/web/browsers.mjs";
import { serveFolder } from "../../tools/web/serve.mjs";
import { checkConsole, countSoundRequests, Data, decodePictures, DefaultTable, keepLastScreen, notice,
         keyMode, readFile, scaledDifference, soundState, tableOf, titleMenu, waitFor, waitForKeyMode }
  from "./support.mjs";

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
// The buttons by their accessible names, and the page's own names for them.
const Buttons = { Left: "left", Right: "right", Up: "up", Down: "down", Turn: "turn",
                  "Hard drop": "drop", Start: "start", Back: "back" };

async function keep(page, name) {
  const shot = await page.screenshot();
  if (shots) writeFileSync(join(shots, `phone-${name}.png`), shot);
  return shot;
}

// Where the button named `name` is on the screen (null when it is not shown). Read without
// puppeteer's element handles, which Chromium would count as the player's gestures.
const boxOf = (page, name) =>
  evaluate(page, (button) => {
    const element = document.querySelector(`#touch-controls [data-button="${button}"]`);
    const box = element && element.getBoundingClientRect();
    return box && box.width > 0 ? { x: box.left, y: box.top, width: box.width, height: box.height } : null;
  }, Buttons[name]);

async function centreOf(page, name) {
  const box = await boxOf(page, name);
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
  evaluate(page, () => {
    const canvas = document.getElementById("canvas").getBoundingClientRect();
    const width = Math.min(canvas.width, (canvas.height * 4) / 3);
    const height = (width * 3) / 4;
    return { x: canvas.left + (canvas.width - width) / 2, y: canvas.top + (canvas.height - height) / 2,
             width, height };
  });

// Every button shown, at least 44 CSS pixels each way, inside the screen and off the picture.
async function checkControls(page, orientation) {
  const picture = await pictureBox(page);
  const screen = await evaluate(page, () => ({ width: innerWidth, height: innerHeight }));
  assert.ok(picture.width >= screen.width * 0.45, `the picture is small in ${orientation}: ${JSON.stringify(picture)}`);
  for (const name of Object.keys(Buttons)) {
    const box = await boxOf(page, name);
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
      const scale = await evaluate(page, () => devicePixelRatio);
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


async function hardDropLocks(page, what) {
  const before = await readFile(page, `${Data}/data.dat`);
  await tap(page, "Hard drop");
  await waitFor(`a lock after ${what}`, async () => (await readFile(page, `${Data}/data.dat`)) !== before, 15);
}

// Holds Hard drop until the game is over and the score screen asks for a name.
async function holdHardDropUntilToppedOut(page) {
  const { x, y } = await centreOf(page, "Hard drop");
  const finger = await page.touchscreen.touchStart(x, y);
  await waitForKeyMode(page, "name", "a top-out with Hard drop held, and the name asked for", 180);
  await finger.end();
}

const shown = (page, selector) =>
  evaluate(page, (selector) => {
    const element = document.querySelector(selector);
    return !element.hidden && element.getBoundingClientRect().width > 0;
  }, selector);

// Each button is a real button, found by its accessible name.
async function checkNames(page) {
  for (const [name, button] of Object.entries(Buttons)) {
    const handle = await page.$(`::-p-aria([name="${name}"][role="button"])`);
    assert.ok(handle, `no button named "${name}"`);
    assert.equal(await handle.evaluate((element) => element.dataset.button), button,
                 `the button named "${name}"`);
  }
}

const server = await serveFolder(site, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
let browser = null;
let step = "starting Chromium";
try {
  browser = await launchBrowser("chromium");
  const page = (await browser.pages())[0] || (await browser.newPage());
  const lines = watchConsole(page);
  await countSoundRequests(page);
  // The phone's pulses, counted.
  await page.evaluateOnNewDocument(() => {
    window.pulses = 0;
    navigator.vibrate = () => {
      window.pulses += 1;
      return true;
    };
  });
  await page.setViewport(Portrait);
  step = "opening the page on a phone";
  await page.goto(url, { waitUntil: "load" });

  step = "the controls, in portrait";
  await checkControls(page, "portrait");
  await waitForTitle(page, DefaultTable, "title-portrait");
  await keep(page, "portrait");
  assert.equal((await soundState(page)).state, "suspended", "the sound plays before any tap");
  assert.equal(await notice(page), "Tap or press a key");

  step = "Start, tapped: the sound and a game";
  await tap(page, "Start");
  await waitFor("the sound, after the first tap", async () => (await soundState(page)).state === "running", 10);
  await waitFor("the notice going", async () => (await notice(page)) === "", 5);
  await waitForKeyMode(page, "play", "a game, after the menu's fade"); // as the game tells the page
  await checkNames(page); // after the first tap: puppeteer's element handles count as gestures

  step = "hard drops by touch";
  for (let drop = 1; drop <= 3; ++drop) await hardDropLocks(page, `hard drop ${drop}`);
  assert.equal(await evaluate(page, () => window.pulses), 3, "a hard drop by touch is not marked by a pulse");

  step = "Left held while Turn is tapped";
  const left = await centreOf(page, "Left");
  const turn = await centreOf(page, "Turn");
  const leftFinger = await page.touchscreen.touchStart(left.x, left.y);
  const turnFinger = await page.touchscreen.touchStart(turn.x, turn.y);
  const both = await evaluate(page, () =>
    Array.from(document.querySelectorAll("#touch-controls .pressed"), (button) => button.dataset.button));
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
  await waitFor("the name field", () => shown(page, "#name-form"), 5);
  const field = await page.$('::-p-aria([name="Name"][role="textbox"])');
  assert.ok(field, "no text field named Name");
  const box = await field.boundingBox();
  await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
  await waitFor("the field's focus", () => evaluate(page, () => document.activeElement.id === "name-field"), 5);
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

  step = "a resize that leaves the picture as large as it was";
  // The canvas is sized again, which clears it; the menu, standing still, must show again.
  await evaluate(page, () => window.dispatchEvent(new Event("resize")));
  await sleep(500);
  await waitForTitle(page, table, "title-after-a-resize");
  checkConsole(lines, "the phone's page");

  step = "the same page on a desktop without touch";
  await page.setViewport(Desktop);
  await page.reload({ waitUntil: "load" });
  await sleep(2000);
  assert.equal(await shown(page, "#touch-controls"), false, "a desktop without touch shows the touch controls");
  assert.equal(await shown(page, "#name-form"), false, "a desktop without touch shows the name field");
  assert.equal(await evaluate(page, () => document.body.classList.contains("touch")), false);

  console.log("phone journey: passed");
} catch (error) {
  console.error(`phone journey: failed at "${step}": ${error.message}`);
  process.exitCode = 1;
  await keepLastScreen(browser, "phone-failed.png");
} finally {
  if (browser) await browser.close();
  server.close();
}
