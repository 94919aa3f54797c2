// Writes the page's service worker for the build in SITE: the template with the build's name (a
// digest of every file of it) and each file's own digest (SHA-256, as the browser checks it when
// the worker fetches the file). The files are those named, all of them in SITE.
//   node tools/web/stamp-site.mjs SITE TEMPLATE FILE...
import { createHash } from "node:crypto";
import { readFileSync, statSync, writeFileSync } from "node:fs";
import { join } from "node:path";

const [site, template, ...listed] = process.argv.slice(2);
if (listed.length === 0) {
  console.error("usage: node tools/web/stamp-site.mjs SITE TEMPLATE FILE...");
  process.exit(2);
}
const Worker = "service-worker.js";

const names = [...new Set(listed)].sort();
for (const name of names) {
  if (name === Worker || name.includes("/") || !statSync(join(site, name)).isFile()) {
    console.error(`${name} cannot be one of the page's files`);
    process.exit(1);
  }
}
const files = names.map((name) => [
  name, `sha256-${createHash("sha256").update(readFileSync(join(site, name))).digest("base64")}`]);
const build = createHash("sha256").update(files.map((file) => file.join(" ")).join("\n"))
  .digest("hex").slice(0, 16);

const text = readFileSync(template, "utf8");
if (!text.includes('"@BUILD@"') || !text.includes("[/*@FILES@*/]")) {
  console.error(`${template} has no place for the build's name or its files`);
  process.exit(1);
}
const files_ = files.map((file) => `\n  ${JSON.stringify(file)}`).join(",");
writeFileSync(join(site, Worker), text.replace('"@BUILD@"', JSON.stringify(build))
  .replace("[/*@FILES@*/]", `[${files_}\n]`));
console.log(`the page's build ${build}: ${files.length} files`);
