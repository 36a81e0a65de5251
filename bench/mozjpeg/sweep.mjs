// Writes mozjpeg's baseline JPEG of a raw RGBA picture at every quality 1..100:
//   node sweep.mjs picture.rgba width height outdir   ->  outdir/q001.jpg .. q100.jpg
// Bench only: run `npm install` in this folder first (see ../README.md).
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import encode, { init } from '@jsquash/jpeg/encode.js';

const [, , input, width, height, outdir] = process.argv;
const here = path.dirname(fileURLToPath(import.meta.url));
const wasm = fs.readFileSync(
  path.join(here, 'node_modules/@jsquash/jpeg/codec/enc/mozjpeg_enc.wasm'));
await init(await WebAssembly.compile(wasm));
const pixels = new Uint8ClampedArray(fs.readFileSync(input));
const picture = { data: pixels, width: Number(width), height: Number(height) };
fs.mkdirSync(outdir, { recursive: true });
for (let q = 1; q <= 100; ++q) {
  const file = await encode(picture, { quality: q, baseline: true, progressive: false });
  fs.writeFileSync(path.join(outdir, `q${String(q).padStart(3, '0')}.jpg`), Buffer.from(file));
}
