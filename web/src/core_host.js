// The core's side of the protocol: runs each request on the WebAssembly core
// (L, from lumigram.js) and answers through post. Runs in the Worker, or on
// the page's thread where no Worker can start; the same code either way.
import {checkRequest, checkResult, transfers} from './protocol.js';

// Thumbnails are posted in batches of about this many milliseconds' work, so
// the page draws steadily and other requests get in between.
const kBatchMillis = 30;

// Thumbnails larger than this many pixels a side are sampled down here: a
// wallpaper's full pixels would cost the page memory for nothing.
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
        for (let x = 0; x < w; ++x)
            words[y * w + x] = source[row + Math.min(width - 1, Math.floor(x * scale))];
    }
    return {rgba: out, width: w, height: h};
}

const messageOf = (e) => String(e && e.message !== undefined ? e.message : e);

export function createCoreHost(L, post) {
    let pkg = null;
    let readOnly = false;
    let generation = 0;  // a newer request for thumbnails ends an older run
    let nextId = 1;
    let ids = [];               // per member: the id of its content
    let state = 0;              // the undo state the members are in
    const idsOf = new Map();    // state -> ids

    function closePackage() {
        if (pkg)
            pkg.delete();
        pkg = null;
        ids = [];
        idsOf.clear();
        ++generation;
    }

    function memberAt(i) { return Object.assign(pkg.member(i), {id: ids[i]}); }

    function writable() {
        if (!pkg)
            throw new Error('no package is open');
        if (readOnly)
            throw new Error(
                'a damaged package is read-only; download its intact members as a new package');
        ++generation;  // positions shift: thumbnails under way are stale
    }

    // Pictures go to the core with the user's transparency settings; a PNG
    // is read by the core's own reader, as convert reads it.
    function skinOfPicture(bytes, name, transparency, colour) {
        return L.pictureToSkin(bytes, name, transparency, colour);
    }

    // A file's bytes as its plan (the core's intake rule) says: as they are,
    // or a picture encoded into a ".k".
    function planned(plan, fileName, bytes, settings) {
        return plan.encode ? skinOfPicture(bytes, fileName, settings.transparency, settings.colour) :
                             bytes;
    }

    // One step of an edit; the member list's changes go into changes.
    async function applyStep(step, settings, changes) {
        if (step.op === 'remove') {
            pkg.remove(step.index);
            ids.splice(step.index, 1);
            changes.push({at: step.index, removed: 1, inserted: []});
            return step.index;
        }
        if (step.op === 'rename') {
            const to = pkg.rename(step.index, step.to);
            const [id] = ids.splice(step.index, 1);
            ids.splice(to, 0, id);
            changes.push({at: step.index, removed: 1, inserted: []});
            changes.push({at: to, removed: 0, inserted: [memberAt(to)]});
            return to;
        }
        if (step.op === 'replace') {
            const plan = pkg.planReplacement(step.index, step.fileName, step.bytes);
            pkg.replace(step.index, await planned(plan, step.fileName, step.bytes, settings));
            ids[step.index] = nextId++;
            changes.push({at: step.index, removed: 1, inserted: [memberAt(step.index)]});
            return step.index;
        }
        // add: a new member, or the one member of that name replaced.
        const plan = step.plan;
        const bytes = await planned(plan, step.fileName, step.bytes, settings);
        const before = pkg.size();
        const at = pkg.put(plan.name, bytes);
        const added = pkg.size() > before;
        if (added) {
            ids.splice(at, 0, nextId++);
        } else {
            ids[at] = nextId++;
        }
        changes.push({at, removed: added ? 0 : 1, inserted: [memberAt(at)]});
        return at;
    }

    // The files an edit adds, planned together before anything changes, as
    // update plans them: a file no member can be made of, or two files for one
    // member, refuse the whole edit.
    function planAdds(steps) {
        const adds = steps.filter((step) => step.op === 'add');
        if (adds.length === 0)
            return;
        const plans = pkg.planIntake(adds.map((step) => ({name: step.fileName, bytes: step.bytes})));
        plans.forEach((plan, i) => {
            if (plan.action === 'skip')
                throw new Error(adds.length > 1 ? `${adds[i].fileName}: ${plan.reason}` : plan.reason);
            adds[i].plan = plan;
        });
    }

    async function edit({steps, transparency, colour}) {
        writable();
        planAdds(steps);
        const changes = [];
        const touched = [];
        try {
            for (const step of steps)
                touched.push(await applyStep(step, {transparency, colour}, changes));
        } catch (e) {
            // All of the steps or none.
            pkg.restore(state);
            ids = idsOf.get(state).slice();
            throw e;
        }
        for (const kept of idsOf.keys()) {
            if (kept > state)
                idsOf.delete(kept);
        }
        state = pkg.checkpoint();
        idsOf.set(state, ids.slice());
        const oldest = pkg.oldest();
        for (const kept of idsOf.keys()) {
            if (kept < oldest)
                idsOf.delete(kept);
        }
        return {state, oldest, changes, touched};
    }

    function restore({state: wanted}) {
        if (!pkg)
            throw new Error('no package is open');
        pkg.restore(wanted);
        state = wanted;
        ids = idsOf.get(wanted).slice();
        ++generation;
        return {state};
    }

    function thumbnailOf(i, transparency, colour, transfer) {
        const m = pkg.member(i);
        const item = {index: i, id: ids[i], kind: m.kind};
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
            item.error = messageOf(e);
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
                if (indices[next] < pkg.size())
                    items.push(thumbnailOf(indices[next], transparency, colour, transfer));
                ++next;
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
        skinToBmp: ({bytes, name, transparency, colour}) =>
            L.skinToBmp(bytes, name, transparency, colour),
        skinToPng: ({bytes, name, transparency, colour}) =>
            L.skinToPng(bytes, name, transparency, colour),
        pictureToSkin: ({bytes, name, transparency, colour}) =>
            skinOfPicture(bytes, name, transparency, colour),
        openPackage: ({bytes, name, salvage}) => {
            closePackage();
            pkg = L.openPackage(bytes, name, salvage);
            readOnly = salvage;
            state = 0;
            const members = pkg.members();
            ids = members.map(() => nextId++);
            idsOf.set(0, ids.slice());
            members.forEach((m, i) => (m.id = ids[i]));
            return {members, readOnly, findings: pkg.findings(), state};
        },
        closePackage: () => closePackage(),
        intactMembers: ({bytes, name}) => {
            let salvaged = null;
            try {
                salvaged = L.openPackage(bytes, name, true);
                return salvaged.size();
            } catch {
                return 0;
            } finally {
                if (salvaged)
                    salvaged.delete();
            }
        },
        memberBytes: ({index}) => {
            if (!pkg)
                throw new Error('no package is open');
            return pkg.bytes(index);
        },
        thumbnails: (args) => runThumbnails(args),
        edit: (args) => edit(args),
        restore: (args) => restore(args),
        // A salvaged package saves its intact members as a new package.
        save: () => {
            if (!pkg)
                throw new Error('no package is open');
            return pkg.save();
        },
    };

    return async function handle(message) {
        const id = message && Number.isInteger(message.id) ? message.id : 0;
        try {
            checkRequest(message);
            const result = await ops[message.op](message.args);
            checkResult(message.op, result);
            post({id, ok: true, result}, message.op === 'openPackage' ? [] : transfers(result));
        } catch (e) {
            post({id, ok: false, message: messageOf(e)});
        }
    };
}
