// Reads PNG pictures (8 bits a sample, not interlaced: what the game's generator and Chromium's
// screenshots write) into 0xAARRGGBB pixels, and writes such pixels back as PNG for keeping.
import { deflateSync, inflateSync } from "node:zlib";

const Signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
const ChannelsOf = { 0: 1, 2: 3, 3: 1, 4: 2, 6: 4 };

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// { width, height, pixels: Uint32Array of 0xAARRGGBB }
export function decodePng(bytes) {
  const data = Buffer.from(bytes);
  if (!data.subarray(0, 8).equals(Signature)) throw new Error("not a PNG file");
  let width = 0, height = 0, depth = 0, type = 0, interlace = 0;
  let palette = null, transparency = null;
  const compressed = [];
  for (let at = 8; at + 8 <= data.length;) {
    const length = data.readUInt32BE(at);
    const kind = data.toString("latin1", at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (kind === "IHDR") {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      depth = body[8];
      type = body[9];
      interlace = body[12];
    } else if (kind === "PLTE") {
      palette = body;
    } else if (kind === "tRNS") {
      transparency = body;
    } else if (kind === "IDAT") {
      compressed.push(body);
    } else if (kind === "IEND") {
      break;
    }
    at += 12 + length;
  }
  if (depth !== 8 || interlace !== 0 || !(type in ChannelsOf)) {
    throw new Error(`unsupported PNG (depth ${depth}, colour type ${type}, interlace ${interlace})`);
  }
  const channels = ChannelsOf[type];
  const stride = width * channels;
  const raw = inflateSync(Buffer.concat(compressed));
  const rows = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = y * stride;
    for (let x = 0; x < stride; ++x) {
      const left = x >= channels ? rows[out + x - channels] : 0;
      const up = y > 0 ? rows[out - stride + x] : 0;
      const upLeft = y > 0 && x >= channels ? rows[out - stride + x - channels] : 0;
      const predicted = [0, left, up, (left + up) >> 1, paeth(left, up, upLeft)][filter];
      rows[out + x] = (line[x] + predicted) & 0xff;
    }
  }
  const pixels = new Uint32Array(width * height);
  for (let i = 0; i < width * height; ++i) {
    const s = i * channels;
    let r, g, b, a = 255;
    if (type === 0) {
      r = g = b = rows[s];
    } else if (type === 4) {
      r = g = b = rows[s];
      a = rows[s + 1];
    } else if (type === 3) {
      const index = rows[s];
      r = palette[index * 3];
      g = palette[index * 3 + 1];
      b = palette[index * 3 + 2];
      if (transparency && index < transparency.length) a = transparency[index];
    } else {
      r = rows[s];
      g = rows[s + 1];
      b = rows[s + 2];
      if (type === 6) a = rows[s + 3];
    }
    pixels[i] = ((a << 24) | (r << 16) | (g << 8) | b) >>> 0;
  }
  return { width, height, pixels };
}

const CrcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(buffer) {
  let c = 0xffffffff;
  for (const byte of buffer) c = CrcTable[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(kind, body) {
  const out = Buffer.alloc(12 + body.length);
  out.writeUInt32BE(body.length, 0);
  out.write(kind, 4, "latin1");
  body.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + body.length)), 8 + body.length);
  return out;
}

export function encodePng({ width, height, pixels }) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;
  header[9] = 6;
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const p = pixels[y * width + x];
      const at = y * (width * 4 + 1) + 1 + x * 4;
      raw[at] = (p >>> 16) & 0xff;
      raw[at + 1] = (p >>> 8) & 0xff;
      raw[at + 2] = p & 0xff;
      raw[at + 3] = (p >>> 24) & 0xff;
    }
  }
  return Buffer.concat([Signature, chunk("IHDR", header), chunk("IDAT", deflateSync(raw)),
                        chunk("IEND", Buffer.alloc(0))]);
}
