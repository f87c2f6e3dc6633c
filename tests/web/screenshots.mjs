// Screenshots of the page for the README, taken in headless Chromium:
//   node tests/web/screenshots.mjs   (after bash scripts/web.sh --build-only)
// docs/web-picture.png: a ".k" picture zoomed 4× at desktop width;
// docs/web-package.png: a package's grid with a member selected;
// docs/web-phone.png: the same package at a phone's width (375 px).
import {dirname, join, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';

import {ball, launchBrowser, makeFixtures, openPage, serveSite} from './page_support.mjs';

const docs = join(resolve(dirname(fileURLToPath(import.meta.url)), '../..'), 'docs');
const names = [
    'battery', 'bluetooth', 'call', 'camera', 'clock', 'contacts', 'games', 'inbox', 'mail',
    'media', 'music', 'phone', 'photos', 'settings', 'signal', 'video'
];
const fx = makeFixtures(
    names.length, (i) => ball(48 + 8 * (i % 4), 48 + 8 * (i % 3), i / names.length),
    (i) => names[i]);
const site = await serveSite();
const browser = await launchBrowser();
try {
    const shots = [
        {
            file: 'web-picture.png',
            viewport: {width: 1100, height: 760},
            open: 'skin/call.k',
            zoom: '4'
        },
        {
            file: 'web-package.png',
            viewport: {width: 1100, height: 900},
            open: 'skin.ezx',
            select: 'clock.k'
        },
        {file: 'web-phone.png', viewport: {width: 375, height: 800}, open: 'skin.ezx'},
    ];
    for (const shot of shots) {
        const page = await openPage(browser.context, site.url, shot.viewport);
        await page.setInputFiles('#file', fx.path(shot.open));
        if (shot.open.endsWith('.ezx')) {
            await page.waitForSelector('#grid[data-complete=true]');
        } else {
            await page.waitForSelector('#canvas:not([hidden])');
        }
        if (shot.zoom)
            await page.selectOption('#zoom', shot.zoom);
        if (shot.select) {
            await page.click(`.cell[data-name="${shot.select}"]`);
            await page.waitForSelector('#canvas:not([hidden])');
            await page.selectOption('#zoom', '2');
        }
        await page.waitForTimeout(200);  // ".g" thumbnails decode asynchronously
        await page.screenshot({path: join(docs, shot.file), fullPage: false});
        console.log(`docs/${shot.file}`);
        await page.close();
    }
} finally {
    await browser.close();
    site.close();
    fx.close();
}
