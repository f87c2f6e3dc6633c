// How long the page takes to be ready (the core started, the page answering)
// in headless Chromium, from the navigation's start: on a first visit, and on
// a repeat visit served by the service worker. Medians over RUNS fresh
// browser profiles; also the site's size, gzipped file by file as a server
// would send it.
//   node bench/web/load_bench.mjs [RUNS]
import {readdirSync, readFileSync, statSync} from 'node:fs';
import {join} from 'node:path';
import {gzipSync} from 'node:zlib';

import {launchBrowser, serveSite, siteDir} from '../../tests/web/page_support.mjs';

const runs = Number(process.argv[2] || 5);
const site = await serveSite();
const ready = (page) => page.evaluate(async () => {
    while (document.documentElement.dataset.ready !== 'true')
        await new Promise((resolve) => setTimeout(resolve, 5));
    return performance.now();
});
const first = [];
const repeat = [];
try {
    for (let run = 0; run < runs; ++run) {
        const browser = await launchBrowser();
        const page = await browser.context.newPage();
        await page.goto(site.url);
        first.push(await ready(page));
        await page.evaluate(async () => {
            await navigator.serviceWorker.ready;
            while (!navigator.serviceWorker.controller)
                await new Promise((resolve) => setTimeout(resolve, 20));
        });
        await page.reload();
        repeat.push(await ready(page));
        await browser.close();
    }
} finally {
    site.close();
}
const median = (list) => list.sort((a, b) => a - b)[Math.floor(list.length / 2)];
console.log(`ready on a first visit: median ${median(first).toFixed(0)} ms over ${runs} runs ` +
            `(min ${first[0].toFixed(0)}, max ${first.at(-1).toFixed(0)})`);
console.log(`ready on a repeat visit: median ${median(repeat).toFixed(0)} ms ` +
            `(min ${repeat[0].toFixed(0)}, max ${repeat.at(-1).toFixed(0)})`);
const files = (dir) => readdirSync(dir).flatMap((name) => {
    const path = join(dir, name);
    return statSync(path).isDirectory() ? files(path) : [path];
});
let raw = 0;
let gzipped = 0;
for (const file of files(siteDir)) {
    const bytes = readFileSync(file);
    raw += bytes.length;
    gzipped += gzipSync(bytes, {level: 9}).length;
}
console.log(`site: ${raw} bytes, ${gzipped} gzipped`);
