// The WebAssembly decode of a 4096 x 4096 ".k" (18-bit with a mask, a third of
// it transparent) against the native decode of the same picture, both from
// bytes already in memory, in the same run: turn about, best of 9 each, so that
// both see the same state of a shared machine. Target: the WebAssembly side
// within 3 times the native one.
// Usage: node bench/web/decode_bench.mjs LUMIGRAM_JS MEMORY_DECODE_BENCH
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';

const [jsPath, nativeBench] = process.argv.slice(2).map((p) => path.resolve(p));
const L = await createRequire(import.meta.url)(jsPath)();
const side = 4096;
const rounds = 9;

function pictureBmp() {
    const stride = side * 3;
    const b = Buffer.alloc(54 + stride * side);
    b.write('BM', 0, 'latin1');
    b.writeUInt32LE(b.length, 2);
    b.writeUInt32LE(54, 10);
    b.writeUInt32LE(40, 14);
    b.writeInt32LE(side, 18);
    b.writeInt32LE(side, 22);
    b.writeUInt16LE(1, 26);
    b.writeUInt16LE(24, 28);
    for (let y = 0, at = 54; y < side; y++) {
        for (let x = 0; x < side; x++, at += 3) {
            const key = (((x >> 6) + (y >> 6)) % 3) === 0;
            b[at] = key ? 255 : x & 255;
            b[at + 1] = key ? 0 : y & 255;
            b[at + 2] = key ? 255 : (x ^ y) & 255;
        }
    }
    return new Uint8Array(b.buffer, b.byteOffset, b.length);
}

function seconds(work) {
    const start = process.hrtime.bigint();
    work();
    return Number(process.hrtime.bigint() - start) / 1e9;
}

const skin = L.pictureToSkin(pictureBmp(), 'bench.bmp');
const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'lumigram-bench-'));
const skinPath = path.join(folder, 'bench.k');
fs.writeFileSync(skinPath, skin);
try {
    let wasmDecode = Infinity;
    let wasmBmp = Infinity;
    let native = Infinity;
    for (let round = 0; round < rounds; round++) {
        wasmDecode =
            Math.min(wasmDecode, seconds(() => L.decodeSkin(skin, 'bench.k', true, 0xff00ff)));
        wasmBmp = Math.min(wasmBmp, seconds(() => L.skinToBmp(skin, 'bench.k')));
        const line = execFileSync(nativeBench, [skinPath, '1']).toString();
        native = Math.min(native, Number(/native decode: ([0-9.]+) s/.exec(line)[1]));
    }
    const ratio = wasmDecode / native;
    console.log(
        `${side} x ${side} .k (${skin.length} bytes), from memory, best of ${rounds} turns:`);
    console.log(`  wasm decodeSkin (bytes in, RGBA out)   ${(wasmDecode * 1e3).toFixed(1)} ms`);
    console.log(`  wasm skinToBmp (through memory files)  ${(wasmBmp * 1e3).toFixed(1)} ms`);
    console.log(`  native decode to pixels                ${(native * 1e3).toFixed(1)} ms`);
    console.log(
        `  wasm / native: ${ratio.toFixed(2)} (target <= 3): ${ratio <= 3 ? 'met' : 'NOT met'}`);
} finally {
    fs.rmSync(folder, {recursive: true, force: true});
}
