// The service worker: keeps every file of the site for offline use, as one
// set per version. The build puts the version (a hash of every file) and the
// files' names in front of this script. A new version is fetched whole when
// it is installed and waits; the page offers to switch to it, and once it
// takes over, the old set is deleted. Hand-written: the site is a handful of
// files, and the whole job is these few lines.
/* global kVersion, kFiles */
const kCache = `lumigram-${kVersion}`;

// Fetched from the server itself, past the browser's HTTP cache: a static
// host lets the browser keep files for a while (or the browser guesses a time
// from their age), and a new version's set filled from there would be the
// old version's files under the new name, for good.
self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(kCache).then(
        (cache) => cache.addAll(kFiles.map((file) => new Request(file, {cache: 'reload'})))));
});

self.addEventListener('activate', (event) => {
    event.waitUntil((async () => {
        for (const name of await caches.keys()) {
            if (name.startsWith('lumigram-') && name !== kCache)
                await caches.delete(name);
        }
        await self.clients.claim();
    })());
});

self.addEventListener('message', (event) => {
    if (event.data === 'skip-waiting')
        self.skipWaiting();
});

// The kept files first; anything else (nothing the site needs) from the network.
self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET')
        return;
    event.respondWith((async () => {
        const cache = await caches.open(kCache);
        const kept = await cache.match(event.request, {ignoreSearch: true});
        return kept || fetch(event.request);
    })());
});
