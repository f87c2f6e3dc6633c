// How long the page takes to fill a 500-member package's grid in headless
// Chromium: from the file being chosen to the last thumbnail drawn, as the
// page's own performance marks time it. Target: 2 s.
//   node bench/web/grid_bench.mjs [MEMBERS] [RUNS]
import {ball, launchBrowser, makeFixtures, openPage, serveSite} from '../../tests/web/page_support.mjs';

const members = Number(process.argv[2] || 500);
const runs = Number(process.argv[3] || 5);
const targetMs = 2000;

// Icon-sized balls, 48 to 72 pixels a side, as a skin holds them.
const fx = makeFixtures(members, (i) => ball(48 + 8 * (i % 4), 48 + 8 * (i % 3), i / members));
const site = await serveSite();
const browser = await launchBrowser();
const times = [];
try {
    for (let run = 0; run < runs; ++run) {
        // A fresh page each time: the core starts cold, no thumbnail is cached.
        const page = await openPage(browser.context, site.url);
        await page.setInputFiles('#file', fx.path('skin.ezx'));
        await page.waitForFunction(
            (n) => document.querySelectorAll('#grid .cell').length === n &&
                document.getElementById('grid').dataset.complete === 'true',
            members + 2, {polling: 20, timeout: 60000});
        times.push(await page.evaluate(
            () => performance.measure('grid', 'lumigram-open', 'lumigram-grid-filled').duration));
        await page.close();
    }
} finally {
    await browser.close();
    site.close();
    fx.close();
}
times.sort((a, b) => a - b);
const median = times[Math.floor(times.length / 2)];
console.log(
    `grid of ${members} members (+2 not pictures) filled: median ${median.toFixed(0)} ms ` +
    `over ${runs} runs (min ${times[0].toFixed(0)}, max ${times.at(-1).toFixed(0)}); ` +
    `target ${targetMs} ms: ${median <= targetMs ? 'met' : 'NOT met'}`);
