// Serves a folder over HTTP on localhost, as any static web host would (with the types a
// browser insists on, such as application/wasm, compressed with gzip where that makes a file
// smaller, and with the validators that let a browser ask whether a file changed), for trying
// the page:
//   node tools/web/serve.mjs FOLDER [PORT]     (port 0: any free one)
import { readFileSync, statSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize, resolve, sep } from "node:path";
import { fileURLToPath } from "node:url";
import { gzipSync } from "node:zlib";

const Types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
  ".png": "image/png",
  ".webmanifest": "application/manifest+json",
  ".zrp": "application/octet-stream",
};

// Each file's bytes as sent, plain and compressed, kept while the file stays the same.
const Sent = new Map();

function bytesOf(file, info) {
  const tag = `"${info.size}-${Math.floor(info.mtimeMs)}"`;
  let entry = Sent.get(file);
  if (!entry || entry.tag !== tag) {
    const plain = readFileSync(file);
    const packed = gzipSync(plain);
    entry = { tag, plain, packed: packed.length < plain.length * 0.9 ? packed : null,
              modified: new Date(info.mtimeMs).toUTCString() };
    Sent.set(file, entry);
  }
  return entry;
}

// Starts serving `folder`; resolves to the server once it listens on 127.0.0.1.
export function serveFolder(folder, port = 0) {
  const root = resolve(folder);
  const server = createServer((request, response) => {
    let path;
    try {
      path = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (path.endsWith("/")) path += "index.html";
    const file = normalize(join(root, path));
    if (file !== root && !file.startsWith(root + sep)) {
      response.writeHead(403).end();
      return;
    }
    let entry;
    try {
      const info = statSync(file);
      if (!info.isFile()) throw new Error("not a file");
      entry = bytesOf(file, info);
    } catch {
      response.writeHead(404, { "Content-Type": "text/plain" }).end("not found\n");
      return;
    }
    const headers = {
      "Content-Type": Types[extname(file)] || "application/octet-stream",
      "Cache-Control": "no-cache",
      "ETag": entry.tag,
      "Last-Modified": entry.modified,
      "Vary": "Accept-Encoding",
    };
    if (request.headers["if-none-match"] === entry.tag) {
      response.writeHead(304, headers).end();
      return;
    }
    const gzip = entry.packed && /\bgzip\b/.test(request.headers["accept-encoding"] || "");
    const body = gzip ? entry.packed : entry.plain;
    if (gzip) headers["Content-Encoding"] = "gzip";
    headers["Content-Length"] = body.length;
    response.writeHead(200, headers);
    response.end(request.method === "HEAD" ? undefined : body);
  });
  return new Promise((done, fail) => {
    server.once("error", fail);
    server.listen(port, "127.0.0.1", () => done(server));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2];
  const port = Number(process.argv[3] || 8080);
  if (!folder) {
    console.error("usage: node tools/web/serve.mjs FOLDER [PORT]");
    process.exit(2);
  }
  serveFolder(folder, port).then(
    (server) => {
      console.log(`Zantorvix is served at http://localhost:${server.address().port}/ ` +
                  "(Ctrl+C stops it)");
    },
    (error) => {
      console.error(`cannot serve on port ${port}: ${error.message}`);
      process.exit(1);
    });
}
