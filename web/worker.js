'use strict';
// The core's work off the page's thread: the page posts requests
// {id, op, args} and gets back {id, ok, result} or {id, ok: false, message};
// thumbnails come as {event: 'thumbs', ...} batches so the grid fills while the
// rest are decoded. Where a Worker cannot start (some browsers refuse one from
// file://), the page loads this same file and runs createCoreHost itself.

// Thumbnails are posted in batches of about this many milliseconds' work, so
// the page draws steadily and other requests get in between.
const kBatchMillis = 30;

// A ".k" member takes a ".k", BMP or PNG picture; a ".g" member a GIF or PNG;
// any other member any file.
function memberKind(name) {
    const dot = name.lastIndexOf('.');
    const ext = dot < 0 ? '' : name.slice(dot + 1).toLowerCase();
    return ext === 'k' || ext === 'g' || ext === 'a' ? ext : 'other';
}

function stemOf(name) {
    const dot = name.lastIndexOf('.');
    return dot <= 0 ? name : name.slice(0, dot);
}

// The name a file added to a package gets: ".k", ".g" and ".a" files keep
// theirs; pictures that become ".k" or ".g" members are named after what they
// become, as the desktop workbench names them.
function addedMemberName(fileName, kind) {
    if (memberKind(fileName) !== 'other')
        return fileName;
    if (kind === 'bmp' || kind === 'png')
        return stemOf(fileName) + '.k';
    if (kind === 'gif')
        return stemOf(fileName) + '.g';
    return fileName;
}

// A PNG's straight-alpha pixels through the browser's own decoder: the core
// has no PNG codec here (libspng and zlib would come from emscripten's ports,
// fetched over the network at build time), and every browser has one. A canvas
// keeps its pixels premultiplied, which in 8 bits loses a half-transparent
// pixel's colour by one step; a float16 canvas keeps it exactly, so 8 bits are
// only the fallback of browsers without one.
async function rgbaOfPng(bytes) {
    const bitmap = await createImageBitmap(
        new Blob([bytes], {type: 'image/png'}),
        {premultiplyAlpha: 'none', colorSpaceConversion: 'none'});
    try {
        const {width, height} = bitmap;
        const canvas = new OffscreenCanvas(width, height);
        const wide = canvas.getContext('2d', {colorType: 'float16', willReadFrequently: true});
        if (wide && wide.getContextAttributes().colorType === 'float16') {
            wide.drawImage(bitmap, 0, 0);
            const data = wide.getImageData(0, 0, width, height, {pixelFormat: 'rgba-float16'}).data;
            if (!(data instanceof Uint8ClampedArray)) {
                const rgba = new Uint8Array(data.length);
                for (let i = 0; i < data.length; ++i) {
                    rgba[i] = Math.min(255, Math.max(0, Math.round(data[i] * 255)));
                }
                return {rgba, width, height};
            }
        }
        const narrow =
            new OffscreenCanvas(width, height).getContext('2d', {willReadFrequently: true});
        narrow.drawImage(bitmap, 0, 0);
        const data = narrow.getImageData(0, 0, width, height).data;
        return {rgba: new Uint8Array(data.buffer), width, height};
    } finally {
        bitmap.close();
    }
}

// Thumbnails larger than this many pixels a side are sampled down in the
// worker: a wallpaper's full pixels would cost the page memory for nothing.
const kThumbnailMax = 128;

// Nearest-neighbour sampling keeps a skin's hard pixel edges.
function shrink(rgba, width, height) {
    const scale = Math.max(width, height) / kThumbnailMax;
    if (scale <= 1)
        return {rgba, width, height};
    const w = Math.max(1, Math.round(width / scale));
    const h = Math.max(1, Math.round(height / scale));
    const out = new Uint8Array(w * h * 4);
    const words = new Uint32Array(out.buffer);
    const aligned = rgba.byteOffset % 4 === 0 ? rgba : new Uint8Array(rgba);
    const source = new Uint32Array(aligned.buffer, aligned.byteOffset, width * height);
    for (let y = 0; y < h; ++y) {
        const row = Math.min(height - 1, Math.floor(y * scale)) * width;
        for (let x = 0; x < w; ++x) {
            words[y * w + x] = source[row + Math.min(width - 1, Math.floor(x * scale))];
        }
    }
    return {rgba: out, width: w, height: h};
}

function createCoreHost(L, post) {
    let pkg = null;
    let readOnly = false;
    let generation = 0;  // a newer request for thumbnails ends an older run
    let nextId = 1;
    const ids = new Map();  // member name -> id of its current content

    function closePackage() {
        if (pkg)
            pkg.delete();
        pkg = null;
        ids.clear();
        ++generation;
    }

    function members() {
        const list = [];
        for (let i = 0; i < pkg.size(); ++i) {
            const m = pkg.member(i);
            if (!ids.has(m.name))
                ids.set(m.name, nextId++);
            list.push({name: m.name, size: m.size, kind: m.kind, id: ids.get(m.name)});
        }
        return {members: list, readOnly, findings: pkg.findings()};
    }

    function indexOf(name) {
        for (let i = 0; i < pkg.size(); ++i) {
            if (pkg.member(i).name === name)
                return i;
        }
        throw new Error(`no member named "${name}"`);
    }

    function writable() {
        if (!pkg)
            throw new Error('no package is open');
        if (readOnly)
            throw new Error(
                'a damaged package is read-only; download its intact members as a new package');
        ++generation;  // indices shift: thumbnails under way are stale
    }

    // A PNG is decoded by the browser (the core has no PNG decoder here);
    // whether it carried transparency decides its mask, as convert decides.
    async function skinOfPicture(bytes, name) {
        const {kind, alpha} = L.describe(bytes, name);
        if (kind !== 'png')
            return L.pictureToSkin(bytes, name);
        const {rgba, width, height} = await rgbaOfPng(bytes);
        return L.rgbaToSkin(rgba, width, height, alpha);
    }

    // Puts a chosen file into the package as the member `target`, encoded as
    // that member needs.
    async function putFile(target, fileName, bytes) {
        const kind = L.describe(bytes, fileName).kind;
        const wants = memberKind(target);
        if (wants === 'k') {
            if (kind === 'k') {
                pkg.put(target, bytes);
            } else if (kind === 'bmp') {
                pkg.putConverted(target, bytes);
            } else if (kind === 'png') {
                pkg.put(target, await skinOfPicture(bytes, fileName));
            } else {
                throw new Error(
                    `cannot become ${target}: a ".k" member takes a ".k", BMP or PNG picture`);
            }
        } else if (wants === 'g') {
            if (kind !== 'gif' && kind !== 'png') {
                throw new Error(
                    `cannot become ${target}: a ".g" member takes a GIF or PNG picture`);
            }
            pkg.put(target, bytes);
        } else {
            pkg.put(target, bytes);
        }
        ids.set(target, nextId++);
    }

    function thumbnailOf(i, transparency, colour, transfer) {
        const m = pkg.member(i);
        const item = {index: i, id: ids.get(m.name), kind: m.kind};
        try {
            if (m.kind === 'k') {
                const picture = L.decodeSkin(pkg.bytes(i), m.name, transparency, colour);
                Object.assign(item, shrink(picture.rgba, picture.width, picture.height));
                item.dims = `${picture.width} × ${picture.height}`;
                transfer.push(item.rgba.buffer);
            } else if (m.kind === 'g') {
                item.bytes = pkg.bytes(i);
                transfer.push(item.bytes.buffer);
            }
        } catch (e) {
            item.error = String(e && e.message !== undefined ? e.message : e);
        }
        return item;
    }

    function runThumbnails({indices, transparency, colour}) {
        const run = ++generation;
        let next = 0;
        const step = () => {
            if (run !== generation || !pkg)
                return;
            const started = Date.now();
            const items = [];
            const transfer = [];
            while (next < indices.length &&
                   (items.length === 0 || Date.now() - started < kBatchMillis)) {
                items.push(thumbnailOf(indices[next++], transparency, colour, transfer));
            }
            post({event: 'thumbs', run, items, done: next, total: indices.length}, transfer);
            if (next < indices.length)
                setTimeout(step, 0);
        };
        setTimeout(step, 0);
        return {run};
    }

    const ops = {
        describe: ({bytes, name}) => L.describe(bytes, name),
        decodeSkin: ({bytes, name, transparency, colour}) => {
            const picture = L.decodeSkin(bytes, name, transparency, colour);
            return {
                width: picture.width,
                height: picture.height,
                bits: picture.bits,
                hasMask: picture.hasMask,
                rgba: picture.rgba,
            };
        },
        skinToBmp: ({bytes, name}) => L.skinToBmp(bytes, name),
        pictureToSkin: ({bytes, name}) => skinOfPicture(bytes, name),
        openPackage: ({bytes, name, salvage}) => {
            closePackage();
            pkg = L.openPackage(bytes, name, salvage);
            readOnly = salvage;
            return members();
        },
        closePackage: () => closePackage(),
        // How many members a salvage would open, without keeping it open.
        intactMembers: ({bytes, name}) => {
            let salvaged = null;
            try {
                salvaged = L.openPackage(bytes, name, true);
                return salvaged.size();
            } catch (e) {
                return 0;
            } finally {
                if (salvaged)
                    salvaged.delete();
            }
        },
        members: () => members(),
        memberBytes: ({name}) => pkg.bytes(indexOf(name)),
        thumbnails: (args) => runThumbnails(args),
        replace: async ({target, fileName, bytes}) => {
            writable();
            indexOf(target);
            await putFile(target, fileName, bytes);
            return members();
        },
        add: async ({fileName, bytes}) => {
            writable();
            const target = addedMemberName(fileName, L.describe(bytes, fileName).kind);
            await putFile(target, fileName, bytes);
            return Object.assign(members(), {added: target});
        },
        remove: ({name}) => {
            writable();
            pkg.remove(name);
            ids.delete(name);
            return members();
        },
        rename: ({from, to}) => {
            writable();
            const before = new Set(members().members.map((m) => m.name));
            pkg.rename(from, to);
            // The name as stored (a folder part is dropped, as update drops it);
            // the member moves to where that name belongs.
            let renamed = from;
            for (let i = 0; i < pkg.size(); ++i) {
                if (!before.has(pkg.member(i).name))
                    renamed = pkg.member(i).name;
            }
            const id = ids.get(from);
            ids.delete(from);
            ids.set(renamed, id);
            return Object.assign(members(), {renamed});
        },
        // A salvaged package saves its intact members as a new package.
        save: () => {
            if (!pkg)
                throw new Error('no package is open');
            return pkg.save();
        },
    };

    return async function handle({id, op, args}) {
        try {
            if (!Object.prototype.hasOwnProperty.call(ops, op))
                throw new Error(`unknown request ${op}`);
            const result = await ops[op](args || {});
            const transfer = [];
            if (result instanceof Uint8Array)
                transfer.push(result.buffer);
            if (result && result.rgba instanceof Uint8Array)
                transfer.push(result.rgba.buffer);
            post({id, ok: true, result}, transfer);
        } catch (e) {
            post({id, ok: false, message: String(e && e.message !== undefined ? e.message : e)});
        }
    };
}

if (typeof WorkerGlobalScope !== 'undefined' && self instanceof WorkerGlobalScope) {
    let handle = null;
    const waiting = [];
    self.onmessage = (e) => (handle ? handle(e.data) : waiting.push(e.data));
    const failed = (e) => postMessage(
        {event: 'failed', message: String(e && e.message !== undefined ? e.message : e)});
    try {
        importScripts('lumigram.js');
        createLumigram().then((L) => {
            handle = createCoreHost(L, (message, transfer) => postMessage(message, transfer));
            postMessage({event: 'ready'});
            waiting.splice(0).forEach(handle);
        }, failed);
    } catch (e) {
        failed(e);
    }
}
