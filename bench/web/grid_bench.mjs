// The page's grid in headless Chromium, against its targets:
// - a 500-member package: from the file being chosen to the thumbnails in view
//   drawn, as the page's own performance marks time it (target 0.5 s);
// - a 65,536-member package: the longest frame while its grid is scrolled from
//   top to bottom in two seconds (50 ms), and a Delete and an undo from the key
//   to the grid telling the new count (100 ms each).
// Each a median over RUNS fresh pages. Other work on the machine disturbs them.
//   node bench/web/grid_bench.mjs [MEMBERS] [RUNS]
import {ball, hugePackage, launchBrowser, longestScrollFrame, makeFixtures, openPage, serveSite, timeKey} from '../../tests/web/page_support.mjs';

const members = Number(process.argv[2] || 500);
const runs = Number(process.argv[3] || 5);

// Icon-sized balls, 48 to 72 pixels a side, as a skin holds them.
const fx = makeFixtures(members, (i) => ball(48 + 8 * (i % 4), 48 + 8 * (i % 3), i / members));
hugePackage(fx, 65536);
const site = await serveSite();
const browser = await launchBrowser();
const figures = {fill: [], frame: [], remove: [], undo: []};
try {
    for (let run = 0; run < runs; ++run) {
        // A fresh page each time: the core starts cold, no thumbnail is kept.
        let page = await openPage(browser.context, site.url);
        await page.setInputFiles('#file', fx.path('skin.ezx'));
        await page.waitForFunction(() => performance.getEntriesByName('lumigram-grid-filled').length > 0,
                                   null, {polling: 10, timeout: 60000});
        figures.fill.push(await page.evaluate(
            () => performance.measure('grid', 'lumigram-open', 'lumigram-grid-filled').duration));
        await page.close();

        page = await openPage(browser.context, site.url);
        await page.setInputFiles('#file', fx.path('huge.ezx'));
        await page.waitForSelector('#grid[data-complete=true]', {timeout: 60000});
        await page.click('#grid .cell');
        figures.frame.push(await longestScrollFrame(page));
        await page.click('#grid .cell');
        figures.remove.push(await timeKey(page, 'Delete', 65535));
        figures.undo.push(await timeKey(page, 'z', 65536));
        await page.close();
    }
} finally {
    await browser.close();
    site.close();
    fx.close();
}
const median = (list) => list.sort((a, b) => a - b)[Math.floor(list.length / 2)];
const line = (what, list, target) => {
    const m = median(list);
    console.log(`${what}: median ${m.toFixed(1)} ms over ${runs} runs (min ${list[0].toFixed(1)}, ` +
                `max ${list.at(-1).toFixed(1)}); target ${target} ms: ${m <= target ? 'met' : 'NOT met'}`);
};
line(`grid of ${members} members (+2 not pictures) filled in view`, figures.fill, 500);
line('65,536 members: longest frame while scrolling', figures.frame, 50);
line('65,536 members: Delete', figures.remove, 100);
line('65,536 members: undo', figures.undo, 100);
