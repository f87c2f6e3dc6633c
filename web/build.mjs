// Assembles the site: the page's scripts bundled by esbuild into classic
// scripts (so that a file:// copy loads them: browsers refuse ES modules
// there), the core (lumigram.js), the page, its style and manifest, the icons
// rendered from the project's own icon, and the service worker with the
// version and names of every file it keeps for offline use.
//   node web/build.mjs SITE_DIR LUMIGRAM_JS
import {spawnSync} from 'node:child_process';
import {createHash} from 'node:crypto';
import {copyFileSync, mkdirSync, readdirSync, readFileSync, rmSync, statSync, writeFileSync} from 'node:fs';
import {dirname, join, relative, resolve} from 'node:path';
import {fileURLToPath} from 'node:url';

import {build} from 'esbuild';

const here = dirname(fileURLToPath(import.meta.url));
const [siteArg, coreArg] = process.argv.slice(2);
if (!siteArg || !coreArg) {
    console.error('usage: node web/build.mjs SITE_DIR LUMIGRAM_JS');
    process.exit(2);
}
const site = resolve(siteArg);
const iconSvg = join(here, '../data/icons/org.lumigram.Lumigram.svg');

rmSync(site, {recursive: true, force: true});
mkdirSync(join(site, 'icons'), {recursive: true});

// The page's script, the Worker's, and the core host the page loads itself
// where no Worker starts: three bundles of the same modules.
await build({
    entryPoints: {
        'app': join(here, 'src/app.js'),
        'worker': join(here, 'src/worker_main.js'),
        'page-core': join(here, 'src/page_core_main.js'),
    },
    outdir: site,
    bundle: true,
    format: 'iife',
    minify: true,
    target: ['chrome109', 'edge109', 'firefox115', 'safari16'],
    legalComments: 'none',
    logLevel: 'warning',
});

for (const file of ['index.html', 'style.css', 'manifest.webmanifest'])
    copyFileSync(join(here, file), join(site, file));
copyFileSync(resolve(coreArg), join(site, 'lumigram.js'));

// The icons: the application's own, at the manifest's sizes, and a maskable
// one with the picture inside the safe zone (the middle 80%) on the theme's
// colour, so that a round or squircle mask never cuts it.
function render(svgFile, size, out) {
    const run = spawnSync('rsvg-convert', ['-w', String(size), '-h', String(size), svgFile, '-o', out]);
    if (run.status !== 0)
        throw new Error(`rsvg-convert ${svgFile}: ${run.stderr || run.error}`);
}
render(iconSvg, 192, join(site, 'icons/icon-192.png'));
render(iconSvg, 512, join(site, 'icons/icon-512.png'));
const inner = readFileSync(iconSvg, 'utf8').replace(/<\?xml[^>]*>/, '').trim();
const maskable = join(site, 'icons/maskable.svg');
writeFileSync(maskable,
    '<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 512 512">' +
    '<rect width="512" height="512" fill="#1f5fbf"/>' +
    inner.replace(/<svg\b[^>]*>/, '<svg x="76.8" y="76.8" width="358.4" height="358.4" viewBox="0 0 256 256">') +
    '</svg>');
render(maskable, 512, join(site, 'icons/icon-maskable-512.png'));
rmSync(maskable);

// The service worker keeps every file but itself, and the folder's own
// address (a visit to the site's folder rather than to index.html).
function filesUnder(dir) {
    return readdirSync(dir).flatMap((name) => {
        const path = join(dir, name);
        return statSync(path).isDirectory() ? filesUnder(path) : [path];
    });
}
const files = filesUnder(site).map((path) => relative(site, path).split('\\').join('/')).sort();
const hash = createHash('sha256');
for (const file of files) {
    hash.update(file);
    hash.update(readFileSync(join(site, file)));
}
const version = hash.digest('hex').slice(0, 16);
const worker = readFileSync(join(here, 'src/service_worker.js'), 'utf8');
writeFileSync(join(site, 'sw.js'),
    `const kVersion = ${JSON.stringify(version)};\n` +
    `const kFiles = ${JSON.stringify(['./', ...files])};\n${worker}`);
console.log(`site: ${files.length + 1} files, version ${version}`);
