// Screenshots of the page for the README, taken in headless Chromium:
//   node tests/web/screenshots.mjs   (after bash scripts/web.sh --build-only)
// docs/web-app.png: a package with a member selected, at a desktop window's size;
// docs/web-dark.png: the same in the dark theme, with an unsaved edit;
// docs/web-phone.png: the member's sheet over the grid at a phone's width;
// docs/web-picture.png: a ".k" picture opened on its own.
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
        {file: 'web-app.png', viewport: {width: 1280, height: 800}, open: 'skin.ezx', select: 'clock.k'},
        {
            file: 'web-dark.png',
            viewport: {width: 1280, height: 800},
            scheme: 'dark',
            open: 'skin.ezx',
            select: 'music.k',
            remove: 'video.k',
        },
        {file: 'web-phone.png', viewport: {width: 360, height: 740}, open: 'skin.ezx', select: 'camera.k'},
        {file: 'web-picture.png', viewport: {width: 1100, height: 700}, open: 'skin/call.k'},
    ];
    for (const shot of shots) {
        const shown = await openPage(browser.context, site.url, shot.viewport);
        await shown.emulateMedia({colorScheme: shot.scheme || 'light'});
        await shown.setInputFiles('#file', fx.path(shot.open));
        if (shot.open.endsWith('.ezx'))
            await shown.waitForSelector('#grid[data-complete=true]');
        if (shot.remove) {
            await shown.click(`.cell[data-name="${shot.remove}"]`);
            await shown.keyboard.press('Delete');
            await shown.waitForFunction(() => document.title.startsWith('•'));
        }
        if (shot.select) {
            await shown.click(`.cell[data-name="${shot.select}"]`);
            await shown.waitForFunction(
                (name) => document.getElementById('picture-title').textContent === name, shot.select);
        }
        await shown.waitForSelector('#canvas:not([hidden])');
        await shown.waitForTimeout(300);  // ".g" thumbnails decode asynchronously
        await shown.screenshot({path: join(docs, shot.file), fullPage: false});
        console.log(`docs/${shot.file}`);
        await shown.close();
    }
} finally {
    await browser.close();
    site.close();
    fx.close();
}
