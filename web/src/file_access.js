// Files in and out: file handles where the browser has the File System Access
// API (a file opened with Open or launched by the operating system can be
// saved back into), a download where it has not, the service worker that keeps
// the site for offline use, and the files the operating system launches.

export function canWriteFiles() {
    return typeof window.showOpenFilePicker === 'function' &&
        typeof window.showSaveFilePicker === 'function';
}

const kOpenTypes = [{
    description: 'Skin pictures, skin packages and pictures',
    accept: {'application/octet-stream': ['.k', '.ezx', '.g', '.a', '.bmp', '.png', '.gif']},
}];

const isAbort = (e) => e && e.name === 'AbortError';

// What was known of a file when it was read or last written, to tell whether
// something else changed it since.
export async function stampOf(handle) {
    const file = await handle.getFile();
    return {size: file.size, lastModified: file.lastModified};
}

// {file, handle} for a file chosen in the browser's picker, or null.
export async function pickFileToOpen() {
    try {
        const [handle] = await window.showOpenFilePicker({types: kOpenTypes, multiple: false});
        return {file: await handle.getFile(), handle};
    } catch (e) {
        if (isAbort(e))
            return null;
        throw e;
    }
}

// A handle to save a package as, or null when the user cancels.
export async function pickFileToSave(suggestedName) {
    try {
        return await window.showSaveFilePicker({
            suggestedName,
            types: [{description: 'Skin package', accept: {'application/octet-stream': ['.ezx']}}],
        });
    } catch (e) {
        if (isAbort(e))
            return null;
        throw e;
    }
}

async function mayWrite(handle) {
    if (typeof handle.queryPermission !== 'function')
        return true;
    const mode = {mode: 'readwrite'};
    if ((await handle.queryPermission(mode)) === 'granted')
        return true;
    return (await handle.requestPermission(mode)) === 'granted';
}

// Writes bytes into the file of handle; the browser writes a temporary file
// and swaps it in when it is closed, so a failure leaves the file as it was.
// stamp: what was known of the file; when it has changed since, askReplace()
// decides. Returns the file's new stamp, or null when nothing was written.
export async function writeFile(handle, bytes, stamp, askReplace) {
    if (!(await mayWrite(handle)))
        throw new Error('permission to write the file was not given');
    if (stamp) {
        const now = await stampOf(handle);
        const changed = now.size !== stamp.size || now.lastModified !== stamp.lastModified;
        if (changed && !(await askReplace()))
            return null;
    }
    const writable = await handle.createWritable();
    try {
        await writable.write(bytes);
        await writable.close();
    } catch (e) {
        await writable.abort().catch(() => {});
        throw e;
    }
    return stampOf(handle);
}

export function download(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type: type || 'application/octet-stream'}));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The service worker that keeps every file of the site for offline use
// (sw.js, beside the page, so its scope is the site's folder wherever it is
// served). onUpdate(reload) is called when a new version is installed and
// waits; reload() switches to it and reloads the page. Not from file://.
export function keepOffline(onUpdate) {
    if (!('serviceWorker' in navigator) || !/^https?:$/.test(location.protocol))
        return Promise.resolve(null);
    let reloading = false;
    // Once the new version has taken over (a reload the user called off when
    // asked about unsaved changes), Reload only reloads.
    const offer = (worker) => onUpdate(() => {
        reloading = true;
        if (navigator.serviceWorker.controller === worker)
            location.reload();
        else
            worker.postMessage('skip-waiting');
    });
    navigator.serviceWorker.addEventListener('controllerchange', () => {
        if (reloading)
            location.reload();
    });
    const follow = (worker) => worker && worker.addEventListener('statechange', () => {
        if (worker.state === 'installed' && navigator.serviceWorker.controller)
            offer(worker);
    });
    return navigator.serviceWorker.register('sw.js').then((registration) => {
        if (registration.waiting && navigator.serviceWorker.controller)
            offer(registration.waiting);
        // One being installed already, found before this page listened.
        follow(registration.installing);
        registration.addEventListener('updatefound', () => follow(registration.installing));
        return registration;
    });
}

// Files the operating system opens with the installed app (its manifest's
// file_handlers): open(handles) gets their handles.
export function takeLaunchedFiles(open) {
    if (!('launchQueue' in window))
        return;
    window.launchQueue.setConsumer((params) => {
        if (params && params.files && params.files.length > 0)
            open([...params.files]);
    });
}
