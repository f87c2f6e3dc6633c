// The same inputs through lumigram.js (the WebAssembly core) and the native
// lumigram-cli, byte for byte and message for message. One row a situation.
// Usage: node tests/web/vectors.test.mjs LUMIGRAM_JS LUMIGRAM_CLI
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

const [jsPath, cliPath] = process.argv.slice(2).map((p) => path.resolve(p));
const L = await createRequire(import.meta.url)(jsPath)();
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumigram-web-'));
process.on('exit', () => fs.rmSync(work, {recursive: true, force: true}));

// ---- inputs -------------------------------------------------------------

let seed = 12345;
const random = () => (seed = (seed * 1103515245 + 12345) >>> 0) >>> 24;

const le = (bytes, at, value, size) => {
    for (let i = 0; i < size; i++) {
        bytes[at + i] = (value >>> (8 * i)) & 255;
    }
};

// A BI_RGB BMP of 16, 24 or 32 bits with random pixels, every fifth one the
// transparency colour (magenta).
function bmp(width, height, bits) {
    const rowBytes = ((width * bits) / 8 + 3) & ~3;
    const b = new Uint8Array(54 + rowBytes * height);
    b.set([66, 77]);
    le(b, 2, b.length, 4);
    le(b, 10, 54, 4);
    le(b, 14, 40, 4);
    le(b, 18, width, 4);
    le(b, 22, height, 4);
    le(b, 26, 1, 2);
    le(b, 28, bits, 2);
    le(b, 34, rowBytes * height, 4);
    for (let y = 0; y < height; y++) {
        for (let x = 0; x < width; x++) {
            const at = 54 + y * rowBytes + (x * bits) / 8;
            const magenta = (x + y) % 5 === 0;
            if (bits === 16) {
                le(b, at, magenta ? 0x7c1f : random() | (random() << 8), 2);
            } else {
                for (let k = 0; k < bits / 8; k++) {
                    b[at + k] = magenta && k < 3 ? [255, 0, 255][k] : random();
                }
            }
        }
    }
    return b;
}

// A 32-bit ".k": header, then rows of blue, green, red, alpha.
function skin32(width, height) {
    const stride = width * 4;
    const b = new Uint8Array(16 + stride * height);
    skinHeader(b, width, height, 32, stride);
    for (let i = 16; i < b.length; i++) {
        b[i] = random();
    }
    return b;
}

function skinHeader(b, width, height, bits, stride) {
    le(b, 0, width, 2);
    le(b, 4, height, 2);
    b[8] = bits;
    le(b, 12, stride, 2);
    return b;
}

const crcTable = Array.from({length: 256}, (_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) {
        c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    }
    return c >>> 0;
});
function crc32(bytes) {
    let c = 0xffffffff;
    for (const x of bytes) {
        c = crcTable[(c ^ x) & 255] ^ (c >>> 8);
    }
    return (c ^ 0xffffffff) >>> 0;
}
function chunk(type, data) {
    const b = Buffer.alloc(12 + data.length);
    b.writeUInt32BE(data.length, 0);
    b.write(type, 4, 'latin1');
    Buffer.from(data).copy(b, 8);
    b.writeUInt32BE(crc32(b.subarray(4, 8 + data.length)), 8 + data.length);
    return b;
}
// An 8-bit PNG of the rgba pixels: RGBA (colour type 6) or RGB (2), the
// latter with pixels of alpha 0 made transparent by a tRNS colour when asked.
function png(width, height, rgba, withAlpha, keyed = false) {
    const channels = withAlpha ? 4 : 3;
    const raw = Buffer.alloc(height * (1 + width * channels));
    for (let y = 0, at = 0; y < height; y++) {
        raw[at++] = 0;
        for (let x = 0; x < width; x++) {
            for (let k = 0; k < channels; k++) {
                raw[at++] = rgba[(y * width + x) * 4 + k];
            }
        }
    }
    const head = Buffer.alloc(13);
    head.writeUInt32BE(width, 0);
    head.writeUInt32BE(height, 4);
    head.set([8, withAlpha ? 6 : 2, 0, 0, 0], 8);
    const key = rgba.findIndex((x, i) => i % 4 === 3 && x === 0) - 3;
    const trns = keyed && key >= 0 ?
        [chunk('tRNS', [0, rgba[key], 0, rgba[key + 1], 0, rgba[key + 2]])] :
        [];
    return Buffer.concat([
        Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', head), ...trns,
        chunk('IDAT', zlib.deflateSync(raw)), chunk('IEND', Buffer.alloc(0))
    ]);
}
function rgbaPixels(width, height, opaque) {
    return Uint8Array.from(
        {length: width * height * 4},
        (_, i) => i % 4 === 3 ? (opaque ? 255 : [0, 255, 127, 128, 200][(i >> 2) % 5]) : random());
}

// The package docs/formats.md works through: icon.k (01..05) and wall.g (AA BB CC).
const worked = Uint8Array.from(Buffer.from(
    '6d6f746f736b696e0a0a76312e30300a30303030303034380a0a436f6d6d656e' +
        '743a204c756d696772616d0a4944207461626c653a0a0a69636f6e2e6b0a7761' +
        '6c6c2e670a000000badccdab3700000002000000' +
        '5c00000074000000e7090000' +
        '00000000000000001b0a0000070000000d000000cdabbadc050000000102030405cdabbadc03000000aabbcc',
    'hex'));

// ---- the two sides ------------------------------------------------------

let files = 0;
function file(name, bytes) {
    const folder = path.join(work, String(files++));
    fs.mkdirSync(folder);
    const at = path.join(folder, name);
    fs.writeFileSync(at, bytes);
    return at;
}
const read = (at) => new Uint8Array(fs.readFileSync(at));

// Runs the CLI; the bytes it wrote to out, or its message about shown (the
// text after "lumigram-cli: SHOWN: ").
function cli(args, out, shown) {
    const run = spawnSync(cliPath, args, {cwd: work});
    if (run.status === 0) {
        return out ? read(out) : 'ok';
    }
    const line = run.stderr.toString().split('\n')[0];
    const prefix = `lumigram-cli: ${shown}: `;
    return line.startsWith(prefix) ? line.slice(prefix.length) : line;
}
function wasm(work) {
    try {
        return work();
    } catch (error) {
        if (!(error instanceof Error)) {
            return `not an Error: ${error}`;
        }
        return error.message;
    }
}
// Every line the CLI wrote to stderr, without "lumigram-cli: SHOWN: ".
function cliLines(args, shown) {
    const run = spawnSync(cliPath, args, {cwd: work});
    return run.stderr.toString()
        .split('\n')
        .filter(Boolean)
        .map((line) => line.replace(`lumigram-cli: ${shown}: `, ''))
        .join('\n');
}

function same(a, b, what) {
    const text = (x) => (typeof x === 'string' ? JSON.stringify(x) : `${x.length} bytes`);
    if (typeof a === 'string' || typeof b === 'string') {
        if (a !== b) {
            throw new Error(`${what}: wasm ${text(a)}, cli ${text(b)}`);
        }
        return;
    }
    if (!Buffer.from(a).equals(Buffer.from(b))) {
        const at = a.findIndex((x, i) => x !== b[i]);
        throw new Error(`${what}: ${text(a)} vs ${text(b)}, first difference at ${at}`);
    }
}

// ---- rows ---------------------------------------------------------------

// A BMP both ways: convert to ".k", decode back, and the window's pixels.
function pictureRoundTrip(width, height, bits) {
    const input = file('p.bmp', bmp(width, height, bits));
    const k = cli(['convert', input, '-o', `${input}.k`], `${input}.k`, input);
    same(wasm(() => L.pictureToSkin(read(input), 'p.bmp')), k, 'convert');
    const kPath = file('p.k', k);
    const decoded = cli(['decode', kPath, `${kPath}.bmp`], `${kPath}.bmp`, kPath);
    same(wasm(() => L.skinToBmp(k, 'p.k')), decoded, 'decode');
    const shown = L.decodeSkin(k, 'p.k', true, 0xff00ff);
    if (shown.bits === 18) {
        shownMatchesBmp(shown, decoded);
    } else {
        shownMatchesSkin32(shown, k);
    }
}

// A 32-bit picture is shown with its own four bytes a pixel, alpha included.
function shownMatchesSkin32(shown, k) {
    const stride = k[12] | (k[13] << 8);
    for (let y = 0; y < shown.height; y++) {
        for (let x = 0; x < shown.width; x++) {
            const [b, g, r, a] = k.subarray(16 + y * stride + x * 4);
            const p = shown.rgba.subarray((y * shown.width + x) * 4);
            if (p[0] !== r || p[1] !== g || p[2] !== b || p[3] !== a) {
                throw new Error(
                    `decodeSkin pixel ${x},${y}: ${[...p.subarray(0, 4)]} vs .k ${[r, g, b, a]}`);
            }
        }
    }
}

// decodeSkin's pixels are the decoded BMP's, alpha 0 exactly where it has the
// transparency colour (a widened 6:6:6 channel never reaches 255).
function shownMatchesBmp(shown, decodedBmp) {
    const width = shown.width;
    const rowBytes = (width * 3 + 3) & ~3;
    for (let y = 0; y < shown.height; y++) {
        for (let x = 0; x < width; x++) {
            const at = 54 + (shown.height - 1 - y) * rowBytes + x * 3;
            const [b, g, r] = decodedBmp.subarray(at, at + 3);
            const p = shown.rgba.subarray((y * width + x) * 4, (y * width + x) * 4 + 4);
            const magenta = r === 255 && g === 0 && b === 255;
            if (p[0] !== r || p[1] !== g || p[2] !== b || (p[3] === 0) !== magenta) {
                throw new Error(`decodeSkin pixel ${x},${y}: ${[...p]} vs BMP ${[r, g, b]}`);
            }
        }
    }
}

function decodeOnly(name, bytes) {
    const input = file(name, bytes);
    same(
        wasm(() => L.skinToBmp(read(input), name)),
        cli(['decode', input, `${input}.bmp`], `${input}.bmp`, input), 'decode');
}

function refusedAsDecode(name, bytes) {
    const input = file(name, bytes);
    const cliMessage = cli(['decode', input, `${input}.bmp`], null, input);
    same(wasm(() => L.skinToBmp(bytes, name)), cliMessage, 'skinToBmp');
    same(wasm(() => L.decodeSkin(bytes, name, true, 0)), cliMessage, 'decodeSkin');
}

function refusedAsConvert(name, bytes) {
    const input = file(name, bytes);
    same(
        wasm(() => L.pictureToSkin(bytes, name)),
        cli(['convert', input, '-o', `${input}.k`], null, input), 'pictureToSkin');
}

// The page hands over the pixels the browser decoded, and whether the PNG
// carried transparency (describe's alpha).
function rgbaAsPng(width, height, opaque, withAlpha, keyed = false) {
    const pixels = rgbaPixels(width, height, opaque);
    if (keyed) {
        // One colour, transparent wherever it is.
        for (let i = 0; i < pixels.length; i += 4) {
            pixels.set(
                (i / 4) % 7 === 2 ? [10, 20, 30, 0] :
                                    [pixels[i] | 1, pixels[i + 1], pixels[i + 2], 255],
                i);
        }
    }
    const bytes = png(width, height, pixels, withAlpha, keyed);
    const input = file('p.png', bytes);
    const alpha = L.describe(bytes, 'p.png').alpha;
    same(
        wasm(() => L.rgbaToSkin(pixels, width, height, alpha)),
        cli(['convert', input, '-o', `${input}.k`], `${input}.k`, input), 'rgbaToSkin');
    if (!opaque || !withAlpha) {
        same(
            L.rgbaToSkin(pixels, width, height), L.rgbaToSkin(pixels, width, height, alpha),
            'no alpha given');
    }
}

// A package packed by the CLI from members { name: bytes }.
function packed(members) {
    const folder = path.join(work, `pack${files++}`);
    fs.mkdirSync(folder);
    for (const [name, bytes] of Object.entries(members)) {
        fs.writeFileSync(path.join(folder, name), Uint8Array.from(bytes));
    }
    return read(cliOk(['pack', folder, `${folder}.ezx`], `${folder}.ezx`));
}
function cliOk(args, out) {
    const result = cli(args, out, '');
    if (typeof result === 'string') {
        throw new Error(`lumigram-cli ${args[0]}: ${result}`);
    }
    return out;
}
// One member large enough that saving copies it in blocks rather than whole.
const large = Uint8Array.from({length: 300000}, (_, i) => (i * 7) & 255);
const base = () =>
    packed({'a.k': [1, 2, 3], 'b.g': [4, 5], 'c.a': [6], 'd.k': [7, 8, 9, 10], 'e.g': large});

function withPackage(bytes, salvage, work) {
    const pkg = L.openPackage(bytes, 'skin.ezx', salvage);
    try {
        return work(pkg);
    } finally {
        pkg.delete();
    }
}

// An edit in the page against the CLI commands that make it.
function edit(page, commands) {
    const original = base();
    const pkgPath = file('skin.ezx', original);
    for (const [command, ...args] of commands(pkgPath)) {
        const result = cli([command, pkgPath, ...args], null, pkgPath);
        if (result !== 'ok') {
            throw new Error(`lumigram-cli ${command}: ${result}`);
        }
    }
    same(withPackage(original, false, (pkg) => (page(pkg), pkg.save())), read(pkgPath), 'save');
}
const memberFile = (name, bytes) => file(name, Uint8Array.from(bytes));

// The CLI's words for a package it cannot open, and verify's findings, for
// bytes made from a sound package by damage().
function hostile(damage) {
    const bytes = damage(base());
    const input = file('bad.ezx', bytes);
    same(
        wasm(() => L.openPackage(bytes, 'bad.ezx', false)),
        cli(['extract', input, 'a.k', '-o', `${input}.out`], null, input), 'openPackage');
    withPackage(bytes, true, (pkg) => {
        same(pkg.findings(), cliLines(['verify', input], input), 'findings');
        for (let i = 0; i < pkg.size(); i++) {
            pkg.bytes(i);
        }
    });
}
const view = (b) => new DataView(b.buffer, b.byteOffset);
const indexAt = (b) => parseInt(Buffer.from(b.subarray(16, 24)).toString('latin1'), 16);

const rows = [];
for (const width of [1, 2, 3, 4, 5, 31, 32, 33, 34, 35, 36, 37, 63, 64, 65, 66, 67, 68, 69]) {
    rows.push([`24-bit BMP ${width} wide both ways`, () => pictureRoundTrip(width, 3, 24)]);
}
for (const width of [1, 5, 33, 67]) {
    rows.push([`16-bit BMP ${width} wide both ways`, () => pictureRoundTrip(width, 2, 16)]);
    rows.push([`32-bit BMP ${width} wide both ways`, () => pictureRoundTrip(width, 2, 32)]);
    rows.push([`32-bit .k ${width} wide decoded`, () => decodeOnly('p.k', skin32(width, 2))]);
}
rows.push(
    [
        '.k with half its mask plane decoded',
        () => {
            const k = L.pictureToSkin(bmp(40, 4, 24), 'p.bmp');
            decodeOnly('p.k', k.subarray(0, k.length - 10));
        }
    ],
    ['RGBA pixels as a PNG with alpha', () => rgbaAsPng(37, 5, false, true)],
    ['opaque pixels as an RGB PNG', () => rgbaAsPng(66, 3, true, false)],
    ['opaque pixels as an RGBA PNG', () => rgbaAsPng(35, 4, true, true)],
    ['pixels of an RGB PNG with a transparent colour', () => rgbaAsPng(33, 3, true, false, true)],
    [
        'refused: RGBA pixels of the wrong length or size',
        () => {
            same(
                [
                    wasm(() => L.rgbaToSkin(new Uint8Array(7), 1, 2)),
                    wasm(() => L.rgbaToSkin(new Uint8Array(4), 21845, 1))
                ].join('; '),
                'RGBA pixels: 7 bytes, not width x height x 4; a picture of 21845 x 1 pixels ' +
                    'cannot be a skin picture: it takes 1 to 21844 columns and 1 to 65535 rows',
                'rgbaToSkin');
        }
    ],
    ['refused: .k shorter than its header', () => refusedAsDecode('x.k', new Uint8Array(5))],
    [
        'refused: .k rows past the end',
        () => refusedAsDecode('x.k', skinHeader(new Uint8Array(40), 4, 100, 18, 12))
    ],
    [
        'refused: 18-bit .k too wide',
        () => refusedAsDecode('x.k', skinHeader(new Uint8Array(16), 30000, 0, 18, 0))
    ],
    [
        'refused: .k RowStride short',
        () => refusedAsDecode('x.k', skinHeader(new Uint8Array(36), 10, 1, 18, 20))
    ],
    [
        'refused: a PNG to decode',
        () => refusedAsDecode('x.k', png(2, 2, rgbaPixels(2, 2, true), false))
    ],
    [
        'refused: a GIF to convert to .k',
        () =>
            refusedAsConvert('x.gif', Buffer.from('GIF89a\x01\x00\x01\x00\x00\x00\x00;', 'latin1'))
    ],
    [
        'refused: a compressed BMP',
        () => {
            const b = bmp(4, 2, 24);
            le(b, 30, 1, 4);
            refusedAsConvert('x.bmp', b);
        }
    ],
    ['refused: a BMP cut short', () => refusedAsConvert('x.bmp', bmp(9, 9, 24).subarray(0, 100))],
    [
        'worked package: packed, opened, saved',
        () => {
            same(packed({'icon.k': [1, 2, 3, 4, 5], 'wall.g': [0xaa, 0xbb, 0xcc]}), worked, 'pack');
            withPackage(worked, false, (pkg) => {
                const members = [0, 1].map((i) => pkg.member(i));
                same(
                    JSON.stringify(members), JSON.stringify([
                        {name: 'icon.k', shown: 'icon.k', size: 5, kind: 'k'},
                        {name: 'wall.g', shown: 'wall.g', size: 3, kind: 'g'}
                    ]),
                    'members');
                same(pkg.bytes(0), Uint8Array.of(1, 2, 3, 4, 5), 'member bytes');
                same(pkg.save(), worked, 'save');
            });
        }
    ],
    [
        'describe tells each kind and size',
        () => {
            const described = [
                [bmp(7, 3, 24), 'p.bmp'], [skin32(5, 2), 'p.k'],
                [png(6, 4, rgbaPixels(6, 4, false), true), 'p.png'], [worked, 'p.ezx'],
                [[1, 2, 3], 'p.txt']
            ].map(([bytes,
                    name]) => Object.values(L.describe(Uint8Array.from(bytes), name)).join(' '));
            same(
                described.join(', '),
                'bmp 7 3 24 false , k 5 2 32 false , png 6 4 32 true , ' +
                    'ezx 0 0 0 false , other 0 0 0 false ',
                'describe');
        }
    ],
    [
        'describe refuses a PNG as convert does, from its chunks alone',
        () => {
            const wide = Buffer.from(png(2, 1, rgbaPixels(2, 1, true), false));
            wide.writeUInt32BE(30000, 16);  // IHDR's width, its CRC made again
            wide.writeUInt32BE(crc32(wide.subarray(12, 29)), 29);
            const input = file('wide.png', wide);
            same(
                wasm(() => L.describe(wide, 'wide.png').refusal),
                cli(['convert', input, '-o', `${input}.k`], null, input), 'refusal');
        }
    ],
    [
        'put replaces a member in place',
        () => edit(
            (p) => p.put('b.g', Uint8Array.of(9, 9)),
            () => [['update', memberFile('b.g', [9, 9])]])
    ],
    [
        'put adds a member where pack puts it',
        () => edit(
            (p) => p.put('B2.k', Uint8Array.of(3)), () => [['update', memberFile('B2.k', [3])]])
    ],
    [
        'putConverted adds a BMP as a .k',
        () => {
            const picture = bmp(6, 2, 24);
            edit(
                (p) => p.putConverted('pic.bmp', picture),
                () => [['update', '--convert', memberFile('pic.bmp', picture)]]);
        }
    ],
    [
        'putConverted encodes with the transparency options given',
        () => {
            const picture = bmp(6, 2, 24);
            edit(
                (p) => p.putConverted('pic.bmp', picture, true, 0x00FF00),
                () => [[
                    'update', '--convert', '--transparency-color', '00FF00',
                    memberFile('pic.bmp', picture)
                ]]);
            edit(
                (p) => p.putConverted('pic.bmp', picture, false),
                () => [['update', '--convert', '--no-transparency', memberFile('pic.bmp', picture)]]);
        }
    ],
    ['remove drops a member', () => edit((p) => p.remove(2), () => [['delete', 'c.a']])],
    [
        'rename moves a member to its new place',
        () => edit(
            (p) => same(String(p.rename(3, 'aa.k')), '3', 'new place'),
            () => [['delete', 'd.k'], ['update', memberFile('aa.k', [7, 8, 9, 10])]])
    ],
    [
        'refused: a member name pack cannot store',
        () => {
            const pkgPath = file('skin.ezx', base());
            const bad = memberFile('notes.txt', [1]);
            same(
                wasm(() => withPackage(base(), false, (p) => p.put('notes.txt', Uint8Array.of(1)))),
                cli(['update', pkgPath, bad], null, bad), 'put');
        }
    ],
    [
        'refused: removing a member that is not there',
        () => same(
            wasm(() => withPackage(base(), false, (p) => p.remove(5))),
            'no member 5: the package has 5', 'remove')
    ],
    ...[
        ['colour 00FF00', ['--transparency-color', '00FF00'], true, 0x00ff00],
        ['no transparency', ['--no-transparency'], false, 0xff00ff],
    ].flatMap(([what, options, transparency, colour]) => [
        [
            `decode with ${what}`,
            () => {
                const k = L.pictureToSkin(bmp(9, 4, 24), 'p.bmp');
                const input = file('p.k', k);
                same(
                    wasm(() => L.skinToBmp(k, 'p.k', transparency, colour)),
                    cli(['decode', ...options, input, `${input}.bmp`], `${input}.bmp`, input),
                    'skinToBmp');
            }
        ],
        [
            `convert with ${what}`,
            () => {
                const picture = bmp(9, 4, 24);
                const input = file('p.bmp', picture);
                same(
                    wasm(() => L.pictureToSkin(picture, 'p.bmp', transparency, colour)),
                    cli(['convert', ...options, input, '-o', `${input}.k`], `${input}.k`, input),
                    'pictureToSkin');
            }
        ],
    ]),
    [
        'two members of one name each edited by position',
        () => {
            // The worked package with its ".g" member renamed "icon.k".
            const twins = Uint8Array.from(worked);
            twins.set(Buffer.from('icon.k', 'latin1'), Buffer.from(worked).indexOf('wall.g'));
            const first = [1, 2, 3, 4, 5];
            const second = [0xaa, 0xbb, 0xcc];
            for (const [what, page, members] of [
                     ['remove the second', (p) => p.remove(1), {'icon.k': first}],
                     ['remove the first', (p) => p.remove(0), {'icon.k': second}],
                     ['rename the second', (p) => p.rename(1, 'b.k'), {'icon.k': first, 'b.k': second}],
                     [
                         'replace the second', (p) => (p.replace(1, Uint8Array.of(7)), p.rename(1, 'z.k')),
                         {'icon.k': first, 'z.k': [7]}
                     ],
            ]) {
                withPackage(twins, false, (p) => {
                    same(p.bytes(1), Uint8Array.from(second), `${what}: second member's bytes`);
                    page(p);
                    same(p.save(), packed(members), what);
                });
            }
        }
    ],
    [
        'names with control characters shown as list shows them',
        () => {
            const odd = Uint8Array.from(worked);
            odd.set(Buffer.from('i\x1bo\t.k', 'latin1'), Buffer.from(worked).indexOf('icon.k'));
            odd.set(Buffer.from('w\x9dll.g', 'latin1'), Buffer.from(worked).indexOf('wall.g'));
            const input = file('odd.ezx', odd);
            const listed = spawnSync(cliPath, ['list', input])
                               .stdout.toString()
                               .trim()
                               .split('\n')
                               .map((line) => line.replace(/^\s*\d+ {2}/, ''))
                               .join('\n');
            same(
                withPackage(odd, true, (p) => [0, 1].map((i) => p.member(i).shown).join('\n')),
                listed, 'shown names');
        }
    ],
    [
        'undo and redo give back every state\'s bytes',
        () => {
            const original = base();
            const pkgPath = file('skin.ezx', original);
            const states = [original];
            withPackage(original, false, (p) => {
                const steps = [
                    [(q) => q.remove(2), ['delete', 'c.a']],
                    [(q) => q.put('B2.k', Uint8Array.of(3)), ['update', memberFile('B2.k', [3])]],
                    [(q) => q.rename(0, 'zz.k'), null],
                ];
                for (const [page, command] of steps) {
                    page(p);
                    same(String(p.checkpoint()), String(states.length), 'state number');
                    if (command) {
                        cli([command[0], pkgPath, ...command.slice(1)], null, pkgPath);
                        same(p.save(), read(pkgPath), `after ${command[0]}`);
                    }
                    states.push(p.save());
                }
                for (const n of [0, 2, 1, 3, 0]) {
                    p.restore(n);
                    same(p.save(), states[n], `state ${n}`);
                }
                // An edit after an undo lets the undone states go.
                p.restore(1);
                p.remove(0);
                same(String(p.checkpoint()), '2', 'a new state after an undo');
                same(wasm(() => p.restore(3)), 'no state 3 is kept (states 0 to 2)', 'redo gone');
            });
        }
    ],
    ['hostile: package cut short', () => hostile((b) => b.subarray(0, b.length - 3))],
    ['hostile: package cut inside its header', () => hostile((b) => b.subarray(0, 30))],
    [
        'hostile: member count far past the file',
        () => hostile((b) => (view(b).setInt32(indexAt(b) + 8, 0x7fffffff, true), b))
    ],
    [
        'hostile: two members share one record', () => hostile((b) => {
                                                     const table =
                                                         view(b).getInt32(indexAt(b) + 12, true);
                                                     view(b).setInt32(table + 12 + 8, 0, true);
                                                     return b;
                                                 })
    ],
    [
        'hostile: a record offset far past the end',
        () => hostile((b) => {
            const table = view(b).getInt32(indexAt(b) + 12, true);
            view(b).setInt32(table + 8, 0x40000000, true);
            return b;
        })
    ],
);

// Arguments of the wrong kind are refused by name, not read as other data.
const expected = (what) => `${what} must be a Uint8Array or an ArrayBuffer`;
const whole = (what) => `${what} must be a whole number from 0 to 4294967295`;
for (const [call, message] of [
         [() => L.describe(new ArrayBuffer(3), 'x'), 'other'],
         [() => L.describe(new DataView(new ArrayBuffer(3)), 'x'), expected('describe: bytes')],
         [() => L.describe({}, 'x'), expected('describe: bytes')],
         [() => L.describe(7, 'x'), expected('describe: bytes')],
         [() => L.describe('GIF89a', 'x'), expected('describe: bytes')],
         [() => L.describe(new Int16Array(3), 'x'), expected('describe: bytes')],
         [() => L.describe(null, 'x'), expected('describe: bytes')],
         [() => L.describe(new Uint8Array(3)), 'describe: name must be a string'],
         [() => L.rgbaToSkin(new Uint8Array(4), 2 ** 32 + 1, 1), whole('rgbaToSkin: width')],
         [() => L.rgbaToSkin(new Uint8Array(4), 1, -1), whole('rgbaToSkin: height')],
         [() => L.decodeSkin(new Uint8Array(4), 'x.k', true, 0.5), whole('decodeSkin: colour')],
         [() => withPackage(worked, false, (p) => p.member(-1)), whole('member: index')],
         [() => withPackage(worked, false, (p) => p.member('0')), whole('member: index')],
         [() => withPackage(worked, false, (p) => p.bytes(NaN)), whole('bytes: index')],
         [() => withPackage(worked, false, (p) => p.member(2)), 'no member 2: the package has 2'],
         [() => withPackage(worked, false, (p) => p.remove('c.a')), whole('remove: index')],
         [() => withPackage(worked, false, (p) => p.rename(0, 7)), 'rename: newName must be a string'],
         [() => withPackage(worked, false, (p) => p.put('a.k', [1])), expected('put: bytes')],
]) {
    rows.push([
        `arguments: ${call.toString().slice(6, 70)}`,
        () => {
            const got = wasm(call);
            // describe's answer is an object: an ArrayBuffer is read as its bytes.
            same(typeof got === 'string' ? got : got.kind, message, 'refusal');
        }
    ]);
}
rows.push([
    'packages left open hold only memory: no limit of open files',
    () => {
        const open = [];
        try {
            while (open.length < 3000)
                open.push(L.openPackage(worked, 'skin.ezx', false));
            same(open[2999].save(), worked, 'the last one opened');
        } finally {
            open.forEach((pkg) => pkg.delete());
        }
    }
]);

// ---- PNG through the core's own reader and writer -----------------------
// Every PNG the CLI's tests read (16-bit, interlaced, palettes, low depths)
// becomes the CLI's ".k" in the page too; a ".k" made into PNG by the page
// has the CLI's colour type and chunks, and its pixels come back byte for
// byte through lumigram-cli convert.

// A PNG of any colour type and depth from sample(x, y, channel), Adam7 when
// asked, every row with filter 0.
function rawPng(width, height, depth, type, adam7, sample, extra = []) {
    const channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[type];
    const passes = adam7 ?
        [[0, 0, 8, 8], [4, 0, 8, 8], [0, 4, 4, 8], [2, 0, 4, 4], [0, 2, 2, 4], [1, 0, 2, 2], [0, 1, 1, 2]] :
        [[0, 0, 1, 1]];
    const rows = [];
    for (const [x0, y0, dx, dy] of passes) {
        const columns = width > x0 ? Math.ceil((width - x0) / dx) : 0;
        if (columns === 0) {
            continue;
        }
        for (let y = y0; y < height; y += dy) {
            const row = Buffer.alloc(1 + Math.ceil((columns * channels * depth) / 8));
            let bit = 8;
            for (let i = 0; i < columns; i++) {
                for (let c = 0; c < channels; c++) {
                    const v = sample(x0 + i * dx, y, c);
                    if (depth === 16) {
                        row.writeUInt16BE(v, 1 + ((i * channels + c) * 2));
                    } else {
                        row[bit >> 3] |= v << (8 - depth - (bit & 7));
                    }
                    bit += depth;
                }
            }
            rows.push(row);
        }
    }
    const head = Buffer.alloc(13);
    head.writeUInt32BE(width, 0);
    head.writeUInt32BE(height, 4);
    head.set([depth, type, 0, 0, adam7 ? 1 : 0], 8);
    return Buffer.concat([
        Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', head), ...extra,
        chunk('IDAT', zlib.deflateSync(Buffer.concat(rows))), chunk('IEND', Buffer.alloc(0))
    ]);
}

function chunkTypes(bytes) {
    const types = [];
    for (let at = 8; at + 8 <= bytes.length; at += 12 + Buffer.from(bytes).readUInt32BE(at)) {
        types.push(Buffer.from(bytes.subarray(at + 4, at + 8)).toString('latin1'));
    }
    return types.filter((type, i) => type !== 'IDAT' || types[i - 1] !== 'IDAT').join(' ');
}

function pngToSkinAsCli(bytes) {
    const input = file('p.png', bytes);
    const out = path.join(path.dirname(input), 'out.k');
    same(wasm(() => L.pictureToSkin(bytes, 'p.png')), cli(['convert', input, '-o', out], out, input),
         'PNG to .k');
}

function skinToPngAsCli(k, transparency) {
    const input = file('p.k', k);
    const folder = path.dirname(input);
    const flags = transparency ? [] : ['--no-transparency'];
    const theirs = cli(['convert', input, '-o', path.join(folder, 'cli.png'), ...flags],
                       path.join(folder, 'cli.png'), input);
    const ours = wasm(() => L.skinToPng(k, 'p.k', transparency));
    if (typeof ours === 'string') {
        throw new Error(`skinToPng: ${ours}`);
    }
    same(chunkTypes(ours), chunkTypes(theirs), 'chunks');
    same(ours.subarray(0, 33), theirs.subarray(0, 33), 'signature and IHDR');
    // Back through the CLI, both PNGs give the same ".k": the original one
    // when transparency was kept.
    fs.writeFileSync(path.join(folder, 'wasm.png'), ours);
    const back = (name) => cli(['convert', path.join(folder, name), '-o', path.join(folder, name + '.k'), ...flags],
                               path.join(folder, name + '.k'), name);
    same(back('wasm.png'), back('cli.png'), 'the .k back from each PNG');
    if (transparency) {
        same(back('wasm.png'), k, 'the .k back from the page\'s PNG');
    }
}

const ramp = (x, y, c) => (x * 37 + y * 91 + c * 53) % 256;
const deepRamp = (x, y, c) => (x * 9001 + y * 4099 + c * 17389) % 65536;
const corePngs = [
    ['8-bit RGBA', rawPng(7, 5, 8, 6, false, (x, y, c) => c === 3 ? ((x + y) % 3 ? 255 : 0) : ramp(x, y, c))],
    ['16-bit RGBA', rawPng(9, 4, 16, 6, false, deepRamp)],
    ['16-bit RGB with tRNS', rawPng(5, 3, 16, 2, false, (x, y, c) => (x % 2 ? 4000 : 9000) + c,
                                    [chunk('tRNS', [0x23, 0x28, 0x23, 0x29, 0x23, 0x2a])])],
    ['16-bit grey + alpha, Adam7', rawPng(11, 9, 16, 4, true, deepRamp)],
    ['8-bit RGB, Adam7', rawPng(9, 7, 8, 2, true, ramp)],
    ['1 x 1, Adam7 (six empty passes)', rawPng(1, 1, 8, 6, true, ramp)],
    ['2-bit palette with tRNS', rawPng(7, 3, 2, 3, false, (x, y) => (x + y) % 4,
                                       [chunk('PLTE', [200, 10, 10, 10, 200, 10, 10, 10, 200]), chunk('tRNS', [255, 0])])],
    ['1-bit grey', rawPng(13, 2, 1, 0, false, (x, y) => (x ^ y) & 1)],
    ['4-bit grey with tRNS, Adam7', rawPng(6, 6, 4, 0, true, (x, y) => (x + 2 * y) % 16, [chunk('tRNS', [0, 5])])],
];
for (const [what, bytes] of corePngs) {
    rows.push([`PNG to .k through the core: ${what}`, () => pngToSkinAsCli(bytes)]);
}
{
    const masked = cli(['convert', file('p.png', corePngs[0][1]), '-o', path.join(work, 'masked.k')],
                       path.join(work, 'masked.k'), 'p.png');
    rows.push(['.k to PNG through the core: 18-bit with a mask', () => skinToPngAsCli(masked, true)]);
    rows.push(['.k to PNG through the core: 18-bit, no transparency', () => skinToPngAsCli(masked, false)]);
    rows.push(['.k to PNG through the core: 32-bit', () => skinToPngAsCli(skin32(9, 4), true)]);
    // Large enough for the writer's bands (all deflated on the one thread).
    const big = cli(['convert', file('big.png', rawPng(700, 500, 8, 6, false, (x, y, c) => c === 3 ? (x % 7 ? 255 : 0) : (x * y + c) & 252)),
                     '-o', path.join(work, 'big.k')], path.join(work, 'big.k'), 'big.png');
    rows.push(['.k to PNG through the core: 700 x 500, in bands', () => skinToPngAsCli(big, true)]);
}
rows.push(['a PNG the CLI refuses for its size is refused with its words, before decoding', () => {
    const huge = rawPng(1, 1, 8, 0, false, () => 0);
    huge.writeUInt32BE(60000, 16);
    huge.writeUInt32BE(60000, 20);
    huge.writeUInt32BE(crc32(huge.subarray(12, 29)), 29);
    const input = file('huge.png', huge);
    same(wasm(() => L.pictureToSkin(huge, 'huge.png')),
         cli(['convert', input, '-o', path.join(path.dirname(input), 'x.k')], null, input), 'refusal');
}]);

let failed = 0;
for (const [name, run] of rows) {
    try {
        run();
        console.log(`ok    ${name}`);
    } catch (error) {
        failed++;
        console.log(`FAIL  ${name}: ${error.message}`);
    }
}
const total = rows.length;
console.log(`\nvectors: ${failed} failed out of ${total}`);
process.exitCode = failed === 0 ? 0 : 1;
