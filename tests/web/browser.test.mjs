// The page in headless Chromium, held to the native CLI's bytes and messages.
import assert from 'node:assert/strict';
import {copyFileSync, mkdirSync, readFileSync, writeFileSync} from 'node:fs';
import {join} from 'node:path';
import {after, before, test} from 'node:test';
import {pathToFileURL} from 'node:url';
import {crc32} from 'node:zlib';

import {bmp, cli, cliMessage, cliOk, emptyBmp, launchBrowser, makeFixtures, openPage, png, samplePixel, serveSite, siteDir} from './page_support.mjs';

let site;
let browser;
let fx;

before(async () => {
    fx = makeFixtures();
    site = await serveSite();
    browser = await launchBrowser();
});

after(async () => {
    await browser?.close();
    site?.close();
    fx?.close();
});

async function page(viewport) { return openPage(browser.context, site.url, viewport); }

async function choose(p, name) { await p.setInputFiles('#file', fx.path(name)); }

// A real drop: a DataTransfer holding the files, dispatched on the drop zone.
async function drop(p, ...names) {
    const files = names.map((name) => ({name, data: [...readFileSync(fx.path(name))]}));
    await p.evaluate((files) => {
        const transfer = new DataTransfer();
        for (const {name, data} of files)
            transfer.items.add(new File([new Uint8Array(data)], name.split('/').at(-1)));
        document.getElementById('drop').dispatchEvent(
            new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
    }, files);
}

async function downloaded(p, click) {
    const [download] = await Promise.all([p.waitForEvent('download'), click()]);
    return readFileSync(await download.path());
}

async function gridFilled(p) {
    await p.waitForSelector('#grid[data-complete=true]');
    return p.$$eval(
        '#grid .cell',
        (cells) => cells.map((c) => ({
                                 name: c.dataset.name,
                                 thumb: c.querySelector('.thumb > *')?.tagName.toLowerCase(),
                             })));
}

// The pixels of a 24- or 32-bit bottom-up BMP as the CLI's decode writes it, as [r, g, b].
function bmpPixels(bytes) {
    const width = bytes.readInt32LE(18);
    const height = bytes.readInt32LE(22);
    const depth = bytes.readUInt16LE(28) / 8;
    const stride = Math.ceil((width * depth) / 4) * 4;
    const offset = bytes.readUInt32LE(10);
    const pixels = [];
    for (let y = 0; y < height; ++y) {
        for (let x = 0; x < width; ++x) {
            const at = offset + (height - 1 - y) * stride + x * depth;
            pixels.push([bytes[at + 2], bytes[at + 1], bytes[at]]);
        }
    }
    return {width, height, pixels};
}

test('a ".k" chosen or dropped is drawn with the pixels the CLI decodes', async (t) => {
    cliOk('decode', fx.path('icon.k'), fx.path('icon-cli.bmp'));
    const expected = bmpPixels(readFileSync(fx.path('icon-cli.bmp')));
    for (const open of [choose, drop]) {
        await t.test(open.name, async () => {
            const p = await page();
            await open(p, 'icon.k');
            await p.waitForSelector('#canvas:not([hidden])');
            const shown = await p.$eval(
                '#canvas',
                (c) => ({
                    width: c.width,
                    height: c.height,
                    rgba: [...c.getContext('2d').getImageData(0, 0, c.width, c.height).data],
                }));
            assert.equal(shown.width, expected.width);
            assert.equal(shown.height, expected.height);
            // Where decode paints the transparency colour the canvas is transparent.
            const wanted = expected.pixels.flatMap(
                ([r, g, b]) => (r === 255 && g === 0 && b === 255 ? [0, 0, 0, 0] : [r, g, b, 255]));
            assert.deepEqual(shown.rgba, wanted);
            assert.ok(wanted.includes(0));
            await p.close();
        });
    }
});

test('pictures download with the CLI\'s bytes', async (t) => {
    const rows = [
        {open: 'icon.png', button: '#download-k', cli: ['convert', 'icon.png', '-o', 'out-png.k']},
        {open: 'soft.png', button: '#download-k', cli: ['convert', 'soft.png', '-o', 'out-soft.k']},
        {open: 'icon.bmp', button: '#download-k', cli: ['convert', 'icon.bmp', '-o', 'out-bmp.k']},
        {open: 'icon.k', button: '#download-bmp', cli: ['decode', 'icon.k', 'out-k.bmp']},
        // The panel's transparency settings, as the CLI's options.
        {
            open: 'icon.k',
            button: '#download-bmp',
            colour: '#00ff00',
            cli: ['decode', '--transparency-color', '00FF00', 'icon.k', 'out-green.bmp'],
        },
        {
            open: 'icon.k',
            button: '#download-bmp',
            transparency: false,
            cli: ['decode', '--no-transparency', 'icon.k', 'out-opaque.bmp'],
        },
        {
            open: 'icon.bmp',
            button: '#download-k',
            colour: '#00ff00',
            cli: ['convert', '--transparency-color', '00FF00', 'icon.bmp', '-o', 'out-green.k'],
        },
    ];
    for (const row of rows) {
        const options = row.cli.filter((a) => a.startsWith('--')).join(' ');
        await t.test(`${row.open} ${row.button} ${options}`, async () => {
            cliOk(...row.cli.map((a) => (/\.(k|bmp|png)$/.test(a) ? fx.path(a) : a)));
            const p = await page();
            await choose(p, row.open);
            await p.waitForSelector(`${row.button}:not([hidden])`);
            await p.$eval('#colour', (input, colour) => {
                input.value = colour;
                input.dispatchEvent(new Event('change'));
            }, row.colour || '#ff00ff');
            await p.setChecked('#transparency', row.transparency !== false);
            const bytes = await downloaded(p, () => p.click(row.button));
            assert.ok(bytes.equals(readFileSync(fx.path(row.cli.at(-1)))));
            await p.close();
        });
    }
});

// A 32-bit BMP (bottom-up rows of blue, green, red, alpha), which encodes to a
// 32-bit ".k"; byteAt(i) gives each pixel byte from its offset i in the file.
function bmp32(width, height, byteAt) {
    const {bytes} = emptyBmp(width, height, 32);
    for (let i = 54; i < bytes.length; ++i)
        bytes[i] = byteAt(i);
    return bytes;
}

test('a .k downloaded as PNG comes back byte for byte through convert', async (t) => {
    // Its pixels' bytes run through every value, so colour and alpha both vary.
    const deep = bmp32(5, 3, (i) => (i * 37) & 255);
    writeFileSync(fx.path('deep.bmp'), deep);
    cliOk('encode', fx.path('deep.bmp'), fx.path('deep.k'));
    for (const name of ['icon.k', 'deep.k']) {
        await t.test(name, async () => {
            const p = await page();
            await choose(p, name);
            await p.waitForSelector('#download-png:not([hidden])');
            writeFileSync(fx.path('page.png'), await downloaded(p, () => p.click('#download-png')));
            cliOk('convert', fx.path('page.png'), '-o', fx.path('back.k'));
            assert.ok(readFileSync(fx.path('back.k')).equals(readFileSync(fx.path(name))));
            await p.close();
        });
    }
});

// As the desktop windows draw it: with "Enable transparency" unticked nothing is
// see-through, neither a masked 18-bit pixel nor a 32-bit pixel's alpha.
test('with transparency off the preview is opaque, as decode --no-transparency paints it', async (t) => {
    // Its alpha bytes take values from 0 to 255.
    const alpha = bmp32(4, 2, (i) => (i * 53) & 255);
    writeFileSync(fx.path('alpha.bmp'), alpha);
    cliOk('encode', fx.path('alpha.bmp'), fx.path('alpha.k'));
    for (const name of ['icon.k', 'alpha.k']) {
        await t.test(name, async () => {
            cliOk('decode', '--no-transparency', fx.path(name), fx.path('opaque.bmp'));
            const expected = bmpPixels(readFileSync(fx.path('opaque.bmp')));
            const p = await page();
            await choose(p, name);
            await p.waitForSelector('#canvas:not([hidden])');
            await p.setChecked('#transparency', false);
            await p.waitForFunction(() => {
                const c = document.getElementById('canvas');
                const a = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
                return a.every((v, i) => i % 4 !== 3 || v === 255);
            });
            const rgba = await p.$eval(
                '#canvas', (c) => [...c.getContext('2d').getImageData(0, 0, c.width, c.height).data]);
            assert.deepEqual(rgba, expected.pixels.flatMap(([r, g, b]) => [r, g, b, 255]));
            await p.close();
        });
    }
});

// From a file:// copy the Worker may be refused; the page then runs the core
// itself. At a phone's width the grid is one column and nothing scrolls sideways.
test('a package opens as a grid of thumbnails', async (t) => {
    const http = () => site.url;
    const file = () => pathToFileURL(join(siteDir, 'index.html')).href;
    const rows = [
        {name: 'http', url: http, core: 'worker', width: 1100, columns: (n) => n > 1},
        {name: 'file', url: file, core: 'page', width: 1100, columns: (n) => n > 1},
        {name: 'phone', url: http, core: 'worker', width: 360, columns: (n) => n === 1},
    ];
    const listed = cli('list', fx.path('skin.ezx')).stdout.toString().trim().split('\n');
    for (const row of rows) {
        await t.test(row.name, async () => {
            const p = await openPage(browser.context, row.url(), {width: row.width, height: 800});
            assert.equal(await p.evaluate(() => document.documentElement.dataset.core), row.core);
            await choose(p, 'skin.ezx');
            const cells = await gridFilled(p);
            assert.equal(cells.length, listed.length);
            assert.equal(cells.filter((c) => c.thumb === 'canvas').length, 6);  // ".k" decoded
            assert.deepEqual(
                cells.filter((c) => c.thumb !== 'canvas').map((c) => [c.name, c.thumb]),
                [['logo.g', 'img'], ['ring.a', 'div']]);
            await p.click('#grid .cell');
            await p.waitForSelector('#canvas:not([hidden])');
            const layout = await p.evaluate(
                () => ({
                    columns: new Set([...document.querySelectorAll('#grid .cell')].map(
                                         (c) => Math.round(c.getBoundingClientRect().left)))
                                 .size,
                    sideways:
                        document.documentElement.scrollWidth - document.documentElement.clientWidth,
                }));
            assert.ok(row.columns(layout.columns), `${layout.columns} columns`);
            assert.equal(layout.sideways, 0);
            await p.close();
        });
    }
});

test('a package dropped with other files on an open package opens, whatever its place', async () => {
    copyFileSync(fx.path('skin.ezx'), fx.path('other.ezx'));
    const p = await page();
    await choose(p, 'skin.ezx');
    await gridFilled(p);
    await drop(p, 'icon.bmp', 'other.ezx');
    await p.waitForFunction(() => document.getElementById('doc-name').textContent === 'other.ezx');
    assert.equal((await gridFilled(p)).length, 8);
    await p.close();
});

test('edited packages download as update writes them, and verify', async (t) => {
    mkdirSync(fx.path('new'));
    writeFileSync(fx.path('new/m002.bmp'), bmp(10, 10, samplePixel(7)));
    copyFileSync(fx.path('icon.png'), fx.path('new/extra.png'));
    copyFileSync(fx.path('icon.png'), fx.path('new/wall.g'));
    const rows = [
        {edit: '#replace', select: 'm002.k', file: 'new/m002.bmp', update: ['--convert']},
        {edit: '#add', select: null, file: 'new/extra.png', update: ['--convert']},
        {edit: '#add', select: null, file: 'new/wall.g', update: []},  // a ".g" stays one
    ];
    for (const row of rows) {
        await t.test(`${row.edit} ${row.file}`, async () => {
            const expected = fx.path('expected.ezx');
            cliOk('update', fx.path('skin.ezx'), fx.path(row.file), ...row.update, '-o', expected);
            const p = await page();
            await choose(p, 'skin.ezx');
            await gridFilled(p);
            if (row.select)
                await p.click(`.cell[data-name="${row.select}"]`);
            const [chooser] = await Promise.all([p.waitForEvent('filechooser'), p.click(row.edit)]);
            await chooser.setFiles(fx.path(row.file));
            await gridFilled(p);
            const bytes = await downloaded(p, () => p.click('#save-package'));
            writeFileSync(fx.path('page.ezx'), bytes);
            assert.equal(cli('verify', fx.path('page.ezx')).status, 0);
            assert.ok(bytes.equals(readFileSync(expected)));
            await p.close();
        });
    }
});

test('damaged files show the CLI\'s message', async (t) => {
    const rows = [
        {file: 'cut.k', cli: ['decode', 'cut.k', 'cut.bmp'], salvage: false},
        {file: 'cut.ezx', cli: ['list', 'cut.ezx'], salvage: true},
        // Nothing intact to offer.
        {file: 'zip.ezx', cli: ['list', 'zip.ezx'], salvage: false},
        // Refused from its header, before a pixel is decoded.
        {file: 'wide.png', cli: ['convert', 'wide.png', '-o', 'wide.k'], salvage: false},
    ];
    writeFileSync(fx.path('zip.ezx'), `PK\x03\x04${'0'.repeat(60)}`, 'latin1');
    // A 60,000 × 60,000 PNG: a small picture whose header says so.
    const wide = png(2, 1, () => [0, 0, 0, 255]);
    wide.writeUInt32BE(60000, 16);
    wide.writeUInt32BE(60000, 20);
    wide.writeUInt32BE(crc32(wide.subarray(12, 29)) >>> 0, 29);
    writeFileSync(fx.path('wide.png'), wide);
    for (const row of rows) {
        await t.test(row.file, async () => {
            const message = cliMessage(
                row.cli.map((a) => (a.includes('.') ? fx.path(a) : a)), fx.path(row.file));
            assert.notEqual(message, '');
            const p = await page();
            await choose(p, row.file);
            await p.waitForSelector('#alert:not([hidden])');
            assert.equal(await p.textContent('#alert-text'), `${row.file}: ${message}`);
            assert.equal(await p.isVisible('#salvage'), row.salvage);
            await p.close();
        });
    }
});

test('a damaged package opens its intact members read-only, to save as a new package', async () => {
    const prefix = `lumigram-cli: ${fx.path('cut.ezx')}: `;
    const findings = cli('verify', fx.path('cut.ezx'))
                         .stderr.toString()
                         .trim()
                         .split('\n')
                         .map((line) => line.slice(prefix.length));
    const p = await page();
    await choose(p, 'cut.ezx');
    await p.click('#salvage');
    const cells = await gridFilled(p);
    assert.ok(cells.length > 0 && cells.length < 8);
    assert.deepEqual(
        await p.$$eval('#findings li', (items) => items.map((li) => li.textContent)), findings);
    assert.ok(await p.isDisabled('#add'));
    const saved = await downloaded(p, () => p.click('#save-package'));
    writeFileSync(fx.path('salvaged.ezx'), saved);
    assert.equal(cli('verify', fx.path('salvaged.ezx')).status, 0);
    assert.equal(
        cli('list', fx.path('salvaged.ezx')).stdout.toString().trim().split('\n').length,
        cells.length);
    await p.close();
});

test('keyboard only: open a package, delete a member, download it', async () => {
    const p = await page();
    const tabTo = async (selector) => {
        for (let i = 0; i < 30; ++i) {
            await p.keyboard.press('Tab');
            if (await p.evaluate((s) => document.activeElement.matches(s), selector))
                return;
        }
        assert.fail(`Tab never reached ${selector}`);
    };
    await tabTo('#file');
    const [chooser] = await Promise.all([p.waitForEvent('filechooser'), p.keyboard.press('Space')]);
    await chooser.setFiles(fx.path('skin.ezx'));
    await gridFilled(p);
    await tabTo('.cell');
    assert.ok(await p.evaluate(() => document.activeElement.matches(':focus-visible')));
    await p.keyboard.press('ArrowRight');
    await p.keyboard.press('ArrowRight');
    const name = await p.evaluate(() => document.activeElement.dataset.name);
    await p.keyboard.press('Enter');
    await p.waitForSelector(`.cell[data-name="${name}"][aria-selected=true]`);
    await p.keyboard.press('Delete');
    await p.waitForFunction((n) => !document.querySelector(`.cell[data-name="${n}"]`), name);
    copyFileSync(fx.path('skin.ezx'), fx.path('deleted.ezx'));
    cliOk('delete', fx.path('deleted.ezx'), name);
    for (let i = 0;
         i < 30 && !(await p.evaluate(() => document.activeElement.id === 'save-package')); ++i) {
        await p.keyboard.press('Shift+Tab');
    }
    const bytes = await downloaded(p, () => p.keyboard.press('Enter'));
    assert.ok(bytes.equals(readFileSync(fx.path('deleted.ezx'))));
    await p.close();
});

test('a package of 20,000 members opens without freezing the page', async () => {
    mkdirSync(fx.path('many'));
    const member = readFileSync(fx.path('icon.k'));
    for (let i = 0; i < 20000; ++i)
        writeFileSync(fx.path(`many/p${i}.k`), member);
    cliOk('pack', fx.path('many'), fx.path('many.ezx'));
    const p = await page();
    // The longest wait between two frames while the package opens.
    await p.evaluate(() => {
        window.longestGap = 0;
        let last = performance.now();
        const frame = (now) => {
            window.longestGap = Math.max(window.longestGap, now - last);
            last = now;
            requestAnimationFrame(frame);
        };
        requestAnimationFrame(frame);
    });
    await choose(p, 'many.ezx');
    await gridFilled(p);
    assert.equal(await p.textContent('#package-title'), 'many.ezx — 20000 members');
    assert.ok(await p.evaluate(() => window.longestGap) < 1000);
    await p.close();
});
