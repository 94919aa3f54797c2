// Serves a folder over HTTP on localhost, as any static web host would (with the types a
// browser insists on, such as application/wasm), for trying the page:
//   node tools/web/serve.mjs FOLDER [PORT]     (port 0: any free one)
import { createReadStream, statSync } from "node:fs";
import { createServer } from "node:http";
import { extname, join, normalize, resolve, sep } from "node:path";
import { fileURLToPath } from "node:url";

const Types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".mjs": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".data": "application/octet-stream",
  ".png": "image/png",
  ".zrp": "application/octet-stream",
};

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
    let size;
    try {
      const info = statSync(file);
      if (!info.isFile()) throw new Error("not a file");
      size = info.size;
    } catch {
      response.writeHead(404, { "Content-Type": "text/plain" }).end("not found\n");
      return;
    }
    response.writeHead(200, {
      "Content-Type": Types[extname(file)] || "application/octet-stream",
      "Content-Length": size,
      "Cache-Control": "no-cache",
    });
    if (request.method === "HEAD") {
      response.end();
      return;
    }
    createReadStream(file).pipe(response);
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
