// What the browser journeys share: the game's screens composed from its picture files as the
// game draws them, the files the game keeps in the page, the page's sound, and waiting.
import { readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";

import { decodePng, evaluate, sleep } from "../../tools/web/browsers.mjs";

export const Data = "/zantorvix";

export async function waitFor(what, test, seconds = 60) {
  const until = Date.now() + seconds * 1000;
  for (;;) {
    const value = await test();
    if (value) return value;
    if (Date.now() > until) throw new Error(`${what}: not within ${seconds} s`);
    await sleep(100);
  }
}

// --- The title menu, composed from the picture files as the game draws it -------------------
// The pictures are decoded once, by the browser itself.
const pictures = new Map();
export async function decodePictures(page, gfx) {
  const names = ["titlebkg.png", "start2.png", "options.png", "exit.png"];
  for (const c of "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") names.push(`font/${c}.png`);
  for (const name of names) {
    if (!pictures.has(name)) pictures.set(name, await decodePng(page, readFileSync(join(gfx, name))));
  }
}
function picture(name) {
  if (!pictures.has(name)) throw new Error(`${name} was not decoded`);
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

// The title menu with `table` ([name, score] five times) as the game shows it.
export function titleMenu(table) {
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

// Waits for the title menu with `table`, the whole picture compared but for the page's notice,
// which covers only background; `keep(name, shot)` is handed the screenshot that matched, or the
// last one as "failed-NAME" when none did.
export async function waitForTitleMenu(page, gfx, table, name, keep, seconds = 60) {
  await decodePictures(page, gfx);
  const expected = titleMenu(table);
  let last = Infinity, shot = null;
  try {
    await waitFor(`the title menu (${name})`, async () => {
      const skip = await noticeBox(page);
      shot = await page.screenshot();
      last = difference(await decodePng(page, shot), expected, skip);
      return last < 4;
    }, seconds);
  } catch (error) {
    if (shot) keep(`failed-${name}`, shot);
    throw new Error(`${error.message}; the screen differs by ${last.toFixed(1)} levels`);
  }
  keep(name, shot);
}

// True when `screen` shows nothing but the title's background inside `box`: a label there
// covers nothing of the menu or the table.
export function onlyBackground(screen, box) {
  const background = picture("titlebkg.png");
  for (let y = Math.max(box.y, 0); y < Math.min(box.y + box.height, screen.height); ++y) {
    for (let x = Math.max(box.x, 0); x < Math.min(box.x + box.width, screen.width); ++x) {
      if (screen.pixels[y * screen.width + x] !== background.pixels[y * background.width + x]) return false;
    }
  }
  return true;
}

// Mean difference per channel between a screenshot `shot` of the whole 1024x768 picture and
// `screen`, leaving out the rectangle `skip` ({ x, y, width, height }, or null).
export function difference(shot, screen, skip = null) {
  const skipped = (x, y) =>
    skip && x >= skip.x && x < skip.x + skip.width && y >= skip.y && y < skip.y + skip.height;
  let sum = 0, count = 0;
  for (let y = 0; y < screen.height; ++y) {
    for (let x = 0; x < screen.width; ++x) {
      if (skipped(x, y)) continue;
      const p = shot.pixels[y * shot.width + x], q = screen.pixels[y * screen.width + x];
      for (const shift of [16, 8, 0]) sum += Math.abs(((p >>> shift) & 0xff) - ((q >>> shift) & 0xff));
      count += 3;
    }
  }
  return sum / count;
}

// The largest difference between `screen` and the picture in `shot` where the page shows it
// scaled to `place` ({ x, y, width, height } in the screenshot's pixels), over blocks of about
// 1/32 of the picture each way: blocks average out how the scaling filtered the pixels.
export function scaledDifference(shot, place, screen) {
  const Blocks = 32;
  let largest = 0;
  for (let by = 0; by < Blocks; ++by) {
    for (let bx = 0; bx < Blocks; ++bx) {
      const mean = (image, x0, y0, width, height) => {
        const sums = [0, 0, 0];
        let count = 0;
        for (let y = Math.floor(y0 + (by * height) / Blocks); y < Math.floor(y0 + ((by + 1) * height) / Blocks); ++y) {
          for (let x = Math.floor(x0 + (bx * width) / Blocks); x < Math.floor(x0 + ((bx + 1) * width) / Blocks); ++x) {
            const p = image.pixels[y * image.width + x];
            sums[0] += (p >>> 16) & 0xff;
            sums[1] += (p >>> 8) & 0xff;
            sums[2] += p & 0xff;
            ++count;
          }
        }
        return sums.map((sum) => sum / Math.max(count, 1));
      };
      const a = mean(shot, place.x, place.y, place.width, place.height);
      const b = mean(screen, 0, 0, screen.width, screen.height);
      largest = Math.max(largest, ...a.map((value, i) => Math.abs(value - b[i])));
    }
  }
  return largest;
}

// The table as the title menu shows it, from the text of scores.dat (blanks coded as 0x0B).
export function tableOf(text) {
  const items = text.split(/[ \t\r\n]+/).filter((item) => item !== "");
  const table = [];
  for (let i = 0; i + 1 < items.length && table.length < 5; i += 2) {
    table.push([items[i].replace(/\x0b/g, " ").replace(/\x0c/g, ""), Number(items[i + 1])]);
  }
  return table;
}
export const DefaultTable = Array(5).fill(["DEFAULT", 0]);

// --- The page ---------------------------------------------------------------------------------
export async function readFile(page, path) {
  return evaluate(page, (path) => {
    try {
      return new TextDecoder("latin1").decode(Module.FS.readFile(path));
    } catch (e) {
      return null;
    }
  }, path);
}

export const bytesOf = (page, path) => evaluate(page, (path) => Array.from(Module.FS.readFile(path)), path);

// The page's notice ("" when hidden), and where it stands.
export const notice = (page) =>
  evaluate(page, () => {
    const notice = document.getElementById("notice");
    return notice.hidden ? "" : notice.textContent;
  });

export const noticeBox = (page) =>
  evaluate(page, () => {
    const notice = document.getElementById("notice");
    if (notice.hidden) return null;
    const box = notice.getBoundingClientRect();
    return { x: Math.floor(box.left), y: Math.floor(box.top), width: Math.ceil(box.width) + 1,
             height: Math.ceil(box.height) + 1 };
  });

// What the keys are for now, as the game last told the page: "menus", "play" or "name".
export const keyMode = (page) => evaluate(page, () => document.body.dataset.keyMode || "menus");

export const waitForKeyMode = (page, mode, what, seconds = 60) =>
  waitFor(what, async () => (await keyMode(page)) === mode, seconds);

// Every request for sound the page makes, counted from the page's first script on.
export async function countSoundRequests(page) {
  await page.evaluateOnNewDocument(() => {
    window.soundRequests = 0;
    const resume = AudioContext.prototype.resume;
    AudioContext.prototype.resume = function () {
      window.soundRequests += 1;
      return resume.call(this);
    };
  });
}

export const soundState = (page) =>
  evaluate(page, () => ({
    state: Module.SDL2 && Module.SDL2.audioContext ? Module.SDL2.audioContext.state : null,
    requests: window.soundRequests,
  }));

export function checkConsole(lines, where) {
  const bad = lines.filter((line) =>
    line.level === "error" || line.level === "exception" || /cannot load|zantorvix:/.test(line.text));
  if (bad.length > 0) {
    throw new Error(`the console of ${where} shows errors:\n` +
                    lines.map((line) => `  ${line.level}: ${line.text}`).join("\n"));
  }
}

// Keeps what the browser's page shows as `name` in ZANTORVIX_SHOTS, when a journey fails.
export async function keepLastScreen(browser, name) {
  const shots = process.env.ZANTORVIX_SHOTS;
  if (!shots || !browser) return;
  try {
    const [page] = await browser.pages();
    writeFileSync(join(shots, name), await page.screenshot());
  } catch {
    // the browser has gone: nothing to keep
  }
}
