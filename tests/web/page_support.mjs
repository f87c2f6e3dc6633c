// Serves the built page and drives it in the system's Chromium, for the
// browser tests and the grid bench. Fixtures are made with the native CLI, so
// the page is held to the CLI's bytes and messages.
import {execFileSync, spawnSync} from 'node:child_process';
import {mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync} from 'node:fs';
import {createServer} from 'node:http';
import {tmpdir} from 'node:os';
import {dirname, extname, join, normalize, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';
import {crc32, deflateSync} from 'node:zlib';
import {chromium} from 'playwright-core';

const root = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const siteDir = process.env.LUMIGRAM_SITE || join(root, 'build/web/site');
export const cliPath = process.env.LUMIGRAM_CLI || join(root, 'build/dev/src/cli/lumigram-cli');
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript',
    '.css': 'text/css',
    '.wasm': 'application/wasm',
    '.png': 'image/png',
    '.webmanifest': 'application/manifest+json',
};

// A static server on a free port of 127.0.0.1, as any static host would serve
// the site, under prefix (a folder of the host). alter(path, body) may change
// what a file serves (a new version of the site); with keepFor, the browser
// may keep the files that many seconds without asking again, as many hosts let it.
export async function serveSite({prefix = '/', alter = (path, body) => body, keepFor = 0} = {}) {
    const server = createServer((request, response) => {
        const full = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const path = full.startsWith(prefix) ? `/${full.slice(prefix.length)}` : null;
        const file = path && normalize(join(siteDir, path === '/' ? 'index.html' : path));
        if (!file || !file.startsWith(siteDir)) {
            response.writeHead(403).end();
            return;
        }
        try {
            const body = alter(path, readFileSync(file));
            response.writeHead(200, {
                'content-type': types[extname(file)] || 'application/octet-stream',
                ...(keepFor ? {'cache-control': `max-age=${keepFor}`} : {}),
            });
            response.end(body);
        } catch {
            response.writeHead(404).end();
        }
    });
    await new Promise((ready) => server.listen(0, '127.0.0.1', ready));
    return {
        url: `http://127.0.0.1:${server.address().port}${prefix}`,
        close: () => {
            server.closeAllConnections();
            server.close();
        },
    };
}

// Headless Chromium from the system; its own background connections are off,
// as the machine's network refuses them.
export async function launchBrowser() {
    const profile = mkdtempSync(join(tmpdir(), 'lumigram-chromium-'));
    const context = await chromium.launchPersistentContext(profile, {
        executablePath: chromiumPath,
        headless: true,
        acceptDownloads: true,
        args: [
            '--no-sandbox',
            '--disable-gpu',
            '--disable-quic',
            '--no-first-run',
            '--disable-background-networking',
            '--disable-component-update',
            '--disable-sync',
        ],
    });
    return {
        context,
        close: async () => {
            await context.close();
            rmSync(profile, {recursive: true, force: true});
        },
    };
}

// A fresh page with the core started.
export async function openPage(context, url, viewport = {
    width: 1100,
    height: 800
}) {
    const page = await context.newPage();
    await page.setViewportSize(viewport);
    await page.goto(url);
    await page.waitForFunction(() => document.documentElement.dataset.ready !== undefined);
    return page;
}

// Its output may be long: a list of 65,536 members.
export function cli(...args) {
    return spawnSync(cliPath, args, {encoding: 'buffer', maxBuffer: 1 << 26});
}

export function cliOk(...args) {
    execFileSync(cliPath, args, {stdio: ['ignore', 'ignore', 'pipe']});
}

// The message the CLI gives for FILE after "lumigram-cli: FILE: ".
export function cliMessage(args, file) {
    const stderr = cli(...args).stderr.toString().trim().split('\n')[0];
    return stderr.slice(`lumigram-cli: ${file}: `.length);
}

// A bottom-up BMP of bits per pixel with its header written and its rows
// (padded to four bytes) all zero, and the length of a row.
export function emptyBmp(width, height, bits) {
    const stride = Math.ceil((width * bits) / 32) * 4;
    const bytes = Buffer.alloc(54 + stride * height);
    bytes.write('BM', 0, 'latin1');
    bytes.writeUInt32LE(bytes.length, 2);
    bytes.writeUInt32LE(54, 10);
    bytes.writeUInt32LE(40, 14);
    bytes.writeInt32LE(width, 18);
    bytes.writeInt32LE(height, 22);
    bytes.writeUInt16LE(1, 26);
    bytes.writeUInt16LE(bits, 28);
    bytes.writeUInt32LE(stride * height, 34);
    return {bytes, stride};
}

// A bottom-up 24-bit BMP; pixel(x, y) gives [r, g, b].
export function bmp(width, height, pixel) {
    const {bytes, stride} = emptyBmp(width, height, 24);
    for (let y = 0; y < height; ++y) {
        for (let x = 0; x < width; ++x) {
            const [r, g, b] = pixel(x, y);
            bytes.set([b, g, r], 54 + (height - 1 - y) * stride + x * 3);
        }
    }
    return bytes;
}

function pngChunk(type, data) {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length);
    head.write(type, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])) >>> 0);
    return Buffer.concat([head, data, crc]);
}

// An 8-bit RGBA PNG; pixel(x, y) gives [r, g, b, a].
export function png(width, height, pixel) {
    const header = Buffer.alloc(13);
    header.writeUInt32BE(width, 0);
    header.writeUInt32BE(height, 4);
    header.set([8, 6], 8);
    const rows = Buffer.alloc((width * 4 + 1) * height);
    for (let y = 0; y < height; ++y) {
        for (let x = 0; x < width; ++x)
            rows.set(pixel(x, y), y * (width * 4 + 1) + 1 + x * 4);
    }
    return Buffer.concat([
        Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]), pngChunk('IHDR', header),
        pngChunk('IDAT', deflateSync(rows)), pngChunk('IEND', Buffer.alloc(0))
    ]);
}

// A picture with a magenta (transparent) corner and colours that survive 6:6:6.
export const samplePixel = (seed) => (x, y) => x + y < 2 ?
    [255, 0, 255] :
    [(x * 36 + seed * 20) & 0xfc, (y * 52) & 0xfc, (seed * 60 + 16) & 0xfc];

// A shaded ball of hue 0..1 on magenta (transparent), like a skin's icons.
export function ball(width, height, hue) {
    const [r, g, b] = [0, 2 / 3, 1 / 3].map(
        (shift) => Math.round(255 * (0.5 + 0.45 * Math.cos(2 * Math.PI * (hue + shift)))));
    return bmp(width, height, (x, y) => {
        const d = Math.hypot(x - width / 2, y - height / 2) / (Math.min(width, height) / 2 - 2);
        const shade = Math.max(0.35, 1.1 - d * 0.8);
        return d < 1 ? [r, g, b].map((c) => Math.min(255, Math.round(c * shade))) : [255, 0, 255];
    });
}

const smallMember = (i) => bmp(8 + (i % 9), 6 + (i % 7), samplePixel(i));
const numbered = (i) => `m${String(i).padStart(3, '0')}`;

// A folder of fixtures: pictures and a package of `count` ".k" members (BMPs
// from member(i), encoded, named name(i)) plus a ".g" and an ".a".
export function makeFixtures(count = 6, member = smallMember, name = numbered) {
    const dir = mkdtempSync(join(tmpdir(), 'lumigram-web-'));
    const path = (name) => join(dir, name);
    writeFileSync(path('icon.bmp'), bmp(13, 9, samplePixel(1)));
    cliOk('encode', path('icon.bmp'), path('icon.k'));
    cliOk('convert', path('icon.k'), '-o', path('icon.png'));
    // Every colour under every alpha from half to whole: soft edges.
    writeFileSync(path('soft.png'), png(256, 128, (x, y) => [x, 255 - x, (x * 7) & 255, 128 + y]));
    mkdirSync(path('skin'));
    for (let i = 0; i < count; ++i) {
        writeFileSync(path(`m${i}.bmp`), member(i));
        cliOk('encode', path(`m${i}.bmp`), path(`skin/${name(i)}.k`));
    }
    writeFileSync(path('skin/logo.g'), readFileSync(path('icon.png')));
    writeFileSync(path('skin/ring.a'), 'ring');
    cliOk('pack', path('skin'), path('skin.ezx'));
    const whole = readFileSync(path('skin.ezx'));
    writeFileSync(path('cut.ezx'), whole.subarray(0, whole.length - 40));
    writeFileSync(path('cut.k'), readFileSync(path('icon.k')).subarray(0, 30));
    return {dir, path, close: () => rmSync(dir, {recursive: true, force: true})};
}

// fx's huge.ezx: count copies of its icon.k.
export function hugePackage(fx, count) {
    mkdirSync(fx.path('huge'));
    const member = readFileSync(fx.path('icon.k'));
    for (let i = 0; i < count; ++i)
        writeFileSync(fx.path(`huge/p${String(i).padStart(5, '0')}.k`), member);
    cliOk('pack', fx.path('huge'), fx.path('huge.ezx'));
}

// The longest wait between two frames while the open package's grid is
// scrolled from top to bottom in two seconds.
export function longestScrollFrame(page) {
    return page.evaluate(async () => {
        const grid = document.getElementById('grid');
        grid.scrollTop = 0;
        let longest = 0;
        let previous = performance.now();
        const started = previous;
        await new Promise((resolve) => {
            const frame = (now) => {
                longest = Math.max(longest, now - previous);
                previous = now;
                const done = Math.min(1, (now - started) / 2000);
                grid.scrollTop = done * (grid.scrollHeight - grid.clientHeight);
                if (done < 1)
                    requestAnimationFrame(frame);
                else
                    resolve();
            };
            requestAnimationFrame(frame);
        });
        return longest;
    });
}

// Milliseconds from a key pressed on the focused element (Ctrl held for "z")
// to the package's title telling count members.
export function timeKey(page, key, count) {
    return page.evaluate(({key, count}) => new Promise((resolve) => {
        const title = document.getElementById('package-title');
        const started = performance.now();
        new MutationObserver((_, observer) => {
            if (title.textContent.endsWith(`${count} members`)) {
                observer.disconnect();
                resolve(performance.now() - started);
            }
        }).observe(title, {childList: true, characterData: true, subtree: true});
        document.activeElement.dispatchEvent(new KeyboardEvent('keydown', {
            key,
            ctrlKey: key === 'z',
            bubbles: true,
            cancelable: true,
        }));
    }), {key, count});
}
