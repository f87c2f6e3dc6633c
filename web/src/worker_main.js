// The Worker: loads the core (lumigram.js, beside this script) and answers
// the page's requests (core_host.js). Requests that come before the core is
// up wait for it.
import {createCoreHost} from './core_host.js';

/* global importScripts, createLumigram */
let handle = null;
const waiting = [];
self.onmessage = (e) => (handle ? handle(e.data) : waiting.push(e.data));
const failed = (e) => postMessage(
    {event: 'failed', message: String(e && e.message !== undefined ? e.message : e)});
try {
    importScripts('lumigram.js');
    createLumigram().then((L) => {
        handle = createCoreHost(L, (message, transfer) => postMessage(message, transfer || []));
        postMessage({event: 'ready'});
        waiting.splice(0).forEach(handle);
    }, failed);
} catch (e) {
    failed(e);
}
