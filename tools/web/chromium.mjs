// Drives Debian's Chromium without a screen, over its DevTools protocol on a pipe
// (--remote-debugging-pipe): no network port, nothing downloaded, no package from npm. Keys
// are sent as real key events, which also count as the player's gesture that lets sound start.
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";

export const ChromiumBinary = process.env.CHROMIUM || "/usr/bin/chromium";

// The keys the game uses, as a browser reports them.
const Keys = {
  Enter: { code: "Enter", keyCode: 13, text: "\r" },
  Escape: { code: "Escape", keyCode: 27 },
  Space: { key: " ", code: "Space", keyCode: 32, text: " " },
  Backspace: { code: "Backspace", keyCode: 8 },
  ArrowUp: { code: "ArrowUp", keyCode: 38 },
  ArrowDown: { code: "ArrowDown", keyCode: 40 },
  ArrowLeft: { code: "ArrowLeft", keyCode: 37 },
  ArrowRight: { code: "ArrowRight", keyCode: 39 },
};

function keyFields(name) {
  if (/^[A-Za-z]$/.test(name)) {
    const upper = name.toUpperCase();
    return { key: name.toLowerCase(), code: "Key" + upper, keyCode: upper.charCodeAt(0),
             text: name.toLowerCase() };
  }
  const known = Keys[name];
  if (!known) throw new Error(`no such key: ${name}`);
  return { key: known.key || name, ...known };
}

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

class Connection {
  constructor(child) {
    this.child = child;
    this.nextId = 1;
    this.waiting = new Map();
    this.listeners = new Map();
    this.closed = false;
    let pending = Buffer.alloc(0);
    child.stdio[4].on("data", (chunk) => {
      pending = Buffer.concat([pending, chunk]);
      for (let end; (end = pending.indexOf(0)) >= 0;) {
        const message = JSON.parse(pending.subarray(0, end).toString("utf8"));
        pending = pending.subarray(end + 1);
        this.dispatch(message);
      }
    });
    child.on("exit", () => {
      this.closed = true;
      for (const { fail } of this.waiting.values()) fail(new Error("Chromium has gone"));
      this.waiting.clear();
    });
  }

  dispatch(message) {
    if (message.id !== undefined) {
      const waiter = this.waiting.get(message.id);
      if (!waiter) return;
      this.waiting.delete(message.id);
      if (message.error) {
        waiter.fail(new Error(`${waiter.method}: ${message.error.message}`));
      } else {
        waiter.done(message.result);
      }
      return;
    }
    for (const listener of this.listeners.get(message.method) || []) {
      listener(message.params, message.sessionId);
    }
  }

  send(method, params = {}, sessionId = undefined) {
    if (this.closed) return Promise.reject(new Error("Chromium has gone"));
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((done, fail) => {
      this.waiting.set(id, { done, fail, method });
      this.child.stdio[3].write(JSON.stringify(message) + "\0");
    });
  }

  on(method, listener) {
    if (!this.listeners.has(method)) this.listeners.set(method, []);
    this.listeners.get(method).push(listener);
  }
}

export class Page {
  constructor(connection, sessionId) {
    this.connection = connection;
    this.sessionId = sessionId;
    this.console = []; // { level, text }
    connection.on("Runtime.consoleAPICalled", (params, session) => {
      if (session !== this.sessionId) return;
      const text = params.args.map((arg) => arg.value ?? arg.description ?? "").join(" ");
      this.console.push({ level: params.type, text });
    });
    connection.on("Runtime.exceptionThrown", (params, session) => {
      if (session !== this.sessionId) return;
      const details = params.exceptionDetails;
      const text = details.exception?.description || details.text;
      this.console.push({ level: "exception", text });
    });
    connection.on("Log.entryAdded", (params, session) => {
      if (session !== this.sessionId) return;
      this.console.push({ level: params.entry.level, text: params.entry.text });
    });
  }

  send(method, params = {}) {
    return this.connection.send(method, params, this.sessionId);
  }

  async open(url, { width, height }) {
    await this.send("Page.enable");
    await this.send("Runtime.enable");
    await this.send("Log.enable");
    await this.send("Emulation.setDeviceMetricsOverride",
                    { width, height, deviceScaleFactor: 1, mobile: false });
    await this.navigate(url);
  }

  // Loads `url` and waits for its load event.
  async navigate(url) {
    const loaded = new Promise((done) => {
      const listener = (params, session) => {
        if (session === this.sessionId) done();
      };
      this.connection.on("Page.loadEventFired", listener);
    });
    await this.send("Page.navigate", { url });
    await loaded;
  }

  async reload() {
    const loaded = new Promise((done) => {
      this.connection.on("Page.loadEventFired", (params, session) => {
        if (session === this.sessionId) done();
      });
    });
    await this.send("Page.reload", { ignoreCache: false });
    await loaded;
  }

  // The value of a JavaScript expression in the page (awaited when it is a promise).
  async evaluate(expression) {
    const result = await this.send("Runtime.evaluate",
                                   { expression, returnByValue: true, awaitPromise: true });
    if (result.exceptionDetails) {
      throw new Error(`in the page: ${result.exceptionDetails.exception?.description ||
                                       result.exceptionDetails.text}`);
    }
    return result.result.value;
  }

  async screenshot() {
    const { data } = await this.send("Page.captureScreenshot", { format: "png" });
    return Buffer.from(data, "base64");
  }

  async keyDown(name) {
    const fields = keyFields(name);
    await this.send("Input.dispatchKeyEvent", {
      type: fields.text ? "keyDown" : "rawKeyDown", key: fields.key, code: fields.code,
      text: fields.text, unmodifiedText: fields.text, windowsVirtualKeyCode: fields.keyCode,
      nativeVirtualKeyCode: fields.keyCode,
    });
  }

  async keyUp(name) {
    const fields = keyFields(name);
    await this.send("Input.dispatchKeyEvent", {
      type: "keyUp", key: fields.key, code: fields.code, windowsVirtualKeyCode: fields.keyCode,
      nativeVirtualKeyCode: fields.keyCode,
    });
  }

  // Presses and lets go, holding the key for `hold` ms: long enough for a frame to see it.
  async press(name, hold = 80) {
    await this.keyDown(name);
    await sleep(hold);
    await this.keyUp(name);
  }
}

export class Chromium {
  // Starts Chromium without a screen; `profile` keeps its storage between starts (a new
  // scratch folder when not given); `extraArguments` go on its command line.
  static async launch({ profile = null, width = 1024, height = 768, extraArguments = [] } = {}) {
    const scratch = profile ? null : mkdtempSync(join(tmpdir(), "zantorvix-chromium-"));
    const args = [
      "--headless", "--remote-debugging-pipe", `--user-data-dir=${profile || scratch}`,
      `--window-size=${width},${height}`, "--no-first-run", "--no-default-browser-check",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--disable-quic", "--disable-extensions", "--mute-audio",
      // WebGL on the CPU, as on a machine without a graphics card.
      "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
      // A page in the background keeps its timers at full speed here.
      "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
      "--disable-backgrounding-occluded-windows",
    ];
    if (process.getuid && process.getuid() === 0) args.push("--no-sandbox");
    args.push(...extraArguments);
    const child = spawn(ChromiumBinary, [...args, "about:blank"],
                        { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"] });
    const errors = [];
    child.stderr.on("data", (chunk) => errors.push(chunk.toString()));
    const started = new Promise((done, fail) => {
      child.once("spawn", done);
      child.once("error", (error) => fail(new Error(`cannot start ${ChromiumBinary}: ${error.message}`)));
    });
    await started;
    const browser = new Chromium(child, scratch, errors, { width, height });
    await browser.connection.send("Target.setDiscoverTargets", { discover: true });
    return browser;
  }

  constructor(child, scratch, errors, size) {
    this.child = child;
    this.scratch = scratch;
    this.errors = errors;
    this.size = size;
    this.connection = new Connection(child);
  }

  async newPage(url) {
    const { targetId } = await this.connection.send("Target.createTarget", { url: "about:blank" });
    const { sessionId } = await this.connection.send("Target.attachToTarget",
                                                     { targetId, flatten: true });
    const page = new Page(this.connection, sessionId);
    await page.open(url, this.size);
    return page;
  }

  async close() {
    try {
      await Promise.race([this.connection.send("Browser.close"), sleep(5000)]);
    } catch {
      // already gone
    }
    const ended = new Promise((done) => this.child.once("exit", done));
    if (this.child.exitCode === null) {
      await Promise.race([ended, sleep(5000)]);
      if (this.child.exitCode === null) this.child.kill("SIGKILL");
    }
    if (this.scratch) rmSync(this.scratch, { recursive: true, force: true });
  }
}
