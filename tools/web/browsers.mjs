// Debian's Chromium and Firefox without a screen, driven with puppeteer-core (installed from
// tools/web/package-lock.json by ./test and ./web --bench): Chromium over its DevTools protocol
// on a pipe, Firefox over WebDriver BiDi. Nothing is downloaded: the browsers are Debian's own,
// and every address the page loads is on this machine.
import { createRequire } from "node:module";

const require = createRequire(import.meta.url);

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

export const BrowserKinds = ["chromium", "firefox"];

function loadPuppeteer() {
  try {
    return require("puppeteer-core");
  } catch (error) {
    throw new Error("puppeteer-core is not installed in tools/web/node_modules " +
                    `(./test and ./web --bench install it with npm ci): ${error.message}`);
  }
}

const Programs = {
  chromium: process.env.CHROMIUM || "/usr/bin/chromium",
  firefox: process.env.FIREFOX || "/usr/bin/firefox-esr",
};

const ChromiumArguments = [
  "--no-first-run", "--no-default-browser-check",
  "--disable-background-networking", "--disable-component-update", "--disable-sync",
  "--disable-quic", "--disable-extensions", "--mute-audio",
  // WebGL on the CPU, as on a machine without a graphics card.
  "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
  // A page in the background keeps its timers at full speed here.
  "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
  "--disable-backgrounding-occluded-windows",
];

const kinds = new WeakMap(); // each browser started here: chromium or firefox

// Starts `kind` (chromium or firefox) without a screen, its page `width` by `height` CSS pixels.
// `profile` keeps the browser's storage between starts (a scratch folder when not given);
// `extraArguments` go on Chromium's command line.
export async function launchBrowser(kind, { profile = undefined, width = 1024, height = 768,
                                            extraArguments = [] } = {}) {
  const puppeteer = loadPuppeteer();
  const common = {
    executablePath: Programs[kind],
    headless: true,
    userDataDir: profile,
    defaultViewport: { width, height },
    // A slow machine may take a while over a screenshot of a busy page.
    protocolTimeout: 120000,
  };
  if (kind === "chromium") {
    const args = [...ChromiumArguments, ...extraArguments];
    if (process.getuid && process.getuid() === 0) args.push("--no-sandbox");
    const browser = await puppeteer.launch({ ...common, browser: "chrome", pipe: true, args });
    kinds.set(browser, kind);
    return browser;
  }
  if (kind === "firefox") {
    if (extraArguments.length > 0) throw new Error("Firefox takes no extra arguments here");
    const browser = await puppeteer.launch({ ...common, browser: "firefox" });
    kinds.set(browser, kind);
    return browser;
  }
  throw new Error(`no such browser: ${kind} (${BrowserKinds.join(" or ")})`);
}

// The value of `fn(...args)` in the page (awaited when it is a promise); `fn` stands alone and
// `args` are plain data. Puppeteer's own page.evaluate counts in Chromium as a gesture of the
// player, which would let the sound start before any key or tap; this one does not.
const sessions = new WeakMap();
export async function evaluate(page, fn, ...args) {
  if (kinds.get(page.browser()) !== "chromium") return page.evaluate(fn, ...args);
  if (!sessions.has(page)) sessions.set(page, await page.createCDPSession());
  const { result, exceptionDetails } = await sessions.get(page).send("Runtime.evaluate", {
    expression: `(${fn.toString()})(...${JSON.stringify(args)})`,
    returnByValue: true,
    awaitPromise: true,
  });
  if (exceptionDetails) {
    throw new Error(`in the page: ${exceptionDetails.exception?.description || exceptionDetails.text}`);
  }
  return result.value;
}

// The browser's own name for a key. Firefox takes puppeteer's "Enter" as the keypad's Enter
// (WebDriver's U+E007), which the game leaves alone; the main Return key is U+E006.
export function keyName(kind, key) {
  return kind === "firefox" && key === "Enter" ? "\uE006" : key;
}

// Collects what the page says in its console, and what it throws, as { level, text }.
export function watchConsole(page) {
  const lines = [];
  page.on("console", (message) => lines.push({ level: message.type(), text: message.text() }));
  page.on("pageerror", (error) => lines.push({ level: "exception", text: String(error.message || error) }));
  return lines;
}

// Decodes a PNG in a worker: [PNG bytes in base64, region or null] in, [width, height, RGBA
// bytes in base64] out.
function pngWorker() {
  onmessage = async ({ data: [base64, region] }) => {
    const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    const bitmap = await createImageBitmap(new Blob([bytes], { type: "image/png" }),
                                           { premultiplyAlpha: "none", colorSpaceConversion: "none" });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d");
    context.drawImage(bitmap, 0, 0);
    const { x, y, width, height } = region || { x: 0, y: 0, width: bitmap.width, height: bitmap.height };
    const rgba = context.getImageData(x, y, width, height).data;
    let text = "";
    for (let i = 0; i < rgba.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
    }
    postMessage([width, height, btoa(text)]);
  };
}

// A PNG (a screenshot, a picture file) decoded by the browser of `page`, as { width, height,
// pixels } with one 0xAARRGGBB number a pixel; only `region` ({ x, y, width, height }) of it
// when given. The work is done on a thread of its own, so that the game in the page keeps its
// frames.
export async function decodePng(page, png, region = null) {
  const [width, height, rgba] = await evaluate(page, (source, base64, region) => {
    if (!window.zantorvixPngWorker) {
      const script = new Blob([`(${source})()`], { type: "text/javascript" });
      window.zantorvixPngWorker = new Worker(URL.createObjectURL(script));
    }
    const worker = window.zantorvixPngWorker;
    return new Promise((done, fail) => {
      worker.onmessage = (event) => done(event.data);
      worker.onerror = (event) => fail(new Error(event.message || "the picture cannot be decoded"));
      worker.postMessage([base64, region]);
    });
  }, pngWorker.toString(), Buffer.from(png).toString("base64"), region);
  const bytes = Buffer.from(rgba, "base64");
  const pixels = new Uint32Array(width * height);
  for (let i = 0; i < pixels.length; ++i) {
    const at = 4 * i;
    pixels[i] = ((bytes[at + 3] << 24) | (bytes[at] << 16) | (bytes[at + 1] << 8) | bytes[at + 2]) >>> 0;
  }
  return { width, height, pixels };
}
