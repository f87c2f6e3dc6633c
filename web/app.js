'use strict';
// Lumigram's page: opens ".k" pictures, BMP and PNG pictures and ".ezx"
// packages chosen or dropped by the user, and hands every decode and edit to
// the WebAssembly core in a Web Worker (worker.js). Files stay in the page.

const $ = (id) => document.getElementById(id);

const ui = {
    drop: $('drop'),
    file: $('file'),
    status: $('status'),
    progress: $('progress'),
    alert: $('alert'),
    alertText: $('alert-text'),
    salvage: $('salvage'),
    note: $('note'),
    package: $('package'),
    packageTitle: $('package-title'),
    findings: $('findings'),
    grid: $('grid'),
    replace: $('replace'),
    add: $('add'),
    rename: $('rename'),
    remove: $('delete'),
    savePackage: $('save-package'),
    memberFile: $('member-file'),
    renameForm: $('rename-form'),
    renameName: $('rename-name'),
    renameCancel: $('rename-cancel'),
    picture: $('picture'),
    pictureTitle: $('picture-title'),
    pictureInfo: $('picture-info'),
    transparency: $('transparency'),
    colour: $('colour'),
    checkerboard: $('checkerboard'),
    zoom: $('zoom'),
    viewTools: $('view-tools'),
    downloadStored: $('download-stored'),
    downloadK: $('download-k'),
    downloadBmp: $('download-bmp'),
    downloadPng: $('download-png'),
    stage: $('stage'),
    canvas: $('canvas'),
    image: $('image'),
    noPreview: $('no-preview'),
};

// ---- The core, in a Worker or, where none can start, in the page ----------

const core = (() => {
    const pending = new Map();
    let nextId = 1;
    let send = null;
    let onThumbs = () => {};
    let readyResolve;
    let readyReject;
    const ready = new Promise((resolve, reject) => {
        readyResolve = resolve;
        readyReject = reject;
    });

    function receive(message) {
        if (message.event === 'ready')
            return readyResolve();
        if (message.event === 'failed')
            return readyReject(new Error(message.message));
        if (message.event === 'thumbs')
            return onThumbs(message);
        const request = pending.get(message.id);
        if (!request)
            return;
        pending.delete(message.id);
        if (message.ok) {
            request.resolve(message.result);
        } else {
            request.reject(new Error(message.message));
        }
    }

    function loadScript(src) {
        return new Promise((resolve, reject) => {
            const script = document.createElement('script');
            script.src = src;
            script.onload = resolve;
            script.onerror = () => reject(new Error(`${src} could not be loaded`));
            document.head.appendChild(script);
        });
    }

    // The same host code as the Worker's, run on the page's thread.
    async function startInPage(reason) {
        ui.note.textContent =
            `The decoder runs in this page (${reason}), so the page may pause on large files. ` +
            'Served over http:// it runs in the background.';
        ui.note.hidden = false;
        document.documentElement.dataset.core = 'page';
        await loadScript('lumigram.js');
        await loadScript('worker.js');
        const L = await createLumigram();
        const handle = createCoreHost(L, (message) => receive(message));
        send = (message) => setTimeout(() => handle(message), 0);
        readyResolve();
    }

    function start() {
        let worker;
        try {
            worker = new Worker('worker.js');
        } catch (e) {
            startInPage('a Worker cannot start from this address').catch(readyReject);
            return;
        }
        let started = false;
        worker.onmessage = (e) => {
            if (e.data.event === 'ready')
                started = true;
            receive(e.data);
        };
        worker.onerror = (e) => {
            if (started)
                return;
            e.preventDefault();
            worker.terminate();
            startInPage('a Worker cannot start from this address').catch(readyReject);
        };
        document.documentElement.dataset.core = 'worker';
        send = (message, transfer) => worker.postMessage(message, transfer || []);
    }

    function call(op, args, transfer) {
        return ready.then(() => new Promise((resolve, reject) => {
                              const id = nextId++;
                              pending.set(id, {resolve, reject});
                              send({id, op, args}, transfer);
                          }));
    }

    return {
        start,
        ready,
        call,
        set onThumbs(f) { onThumbs = f; },
    };
})();

// ---- Messages ---------------------------------------------------------------

function showError(fileName, message, canSalvage) {
    ui.alertText.textContent = fileName ? `${fileName}: ${message}` : message;
    ui.salvage.hidden = !canSalvage;
    ui.alert.hidden = false;
    setStatus('');
}

function clearError() {
    ui.alert.hidden = true;
    ui.alertText.textContent = '';
    ui.salvage.hidden = true;
}

function setStatus(text) { ui.status.textContent = text; }

// ---- Files in and out ---------------------------------------------------------

function stemOf(name) {
    const dot = name.lastIndexOf('.');
    return dot <= 0 ? name : name.slice(0, dot);
}

function download(bytes, name, type) {
    const url = URL.createObjectURL(new Blob([bytes], {type: type || 'application/octet-stream'}));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
}

async function bytesOf(file) { return new Uint8Array(await file.arrayBuffer()); }

function colourValue() { return parseInt(ui.colour.value.slice(1), 16); }

function settings() { return {transparency: ui.transparency.checked, colour: colourValue()}; }

// ---- State ----------------------------------------------------------------------

const state = {
    // What the picture section shows: {name, kind, bytes, member} (member: name in the package).
    shown: null,
    pkg: null,             // {name, members, readOnly, findings, selected}
    pendingSalvage: null,  // {name, bytes} of a package refused as damaged
    thumbs: new Map(),     // member id -> element drawn
    run: 0,
    objectUrl: null,
};

async function openFile(file) {
    // Marks for timing from a file's opening to its grid's last thumbnail.
    performance.clearMarks();
    performance.mark('lumigram-open');
    clearError();
    const name = file.name;
    let bytes;
    try {
        bytes = await bytesOf(file);
        setStatus(`Opening ${name}…`);
        // A file too damaged to be recognised goes by its extension, so that the
        // core names what is wrong with it.
        const described = (await core.call('describe', {bytes: bytes.slice(), name})).kind;
        const extension = name.slice(name.lastIndexOf('.') + 1).toLowerCase();
        const kind = described === 'other' && (extension === 'k' || extension === 'ezx') ?
            extension :
            described;
        if (kind === 'ezx') {
            await openPackage(name, bytes, false);
        } else if (kind === 'other') {
            throw new Error('not a skin picture, skin package, BMP, GIF or PNG');
        } else {
            // Decoded before anything changes: a refused picture leaves the page as it was.
            const item = {name, kind, bytes};
            const picture = kind === 'k' ? await decodeSkin(item) : null;
            closePackageView();
            await showPicture(item, picture);
        }
    } catch (e) {
        showError(name, e.message, false);
    }
}

// ---- The picture -----------------------------------------------------------------

// Shows a picture; a ".k" decoded already may come along.
async function showPicture(item, decoded) {
    const picture = item.kind === 'k' ? decoded || await decodeSkin(item) : null;
    state.shown = item;
    ui.picture.hidden = false;
    ui.pictureTitle.textContent = item.name;
    ui.canvas.hidden = true;
    ui.image.hidden = true;
    ui.noPreview.hidden = true;
    if (state.objectUrl)
        URL.revokeObjectURL(state.objectUrl);
    state.objectUrl = null;

    const isSkin = item.kind === 'k';
    ui.downloadStored.textContent = `Download ${item.name}`;
    ui.downloadK.hidden = !(item.kind === 'bmp' || item.kind === 'png');
    ui.downloadBmp.hidden = !isSkin;
    ui.downloadPng.hidden = !isSkin;
    ui.viewTools.hidden = !isSkin && !['bmp', 'png', 'gif'].includes(item.kind);

    if (isSkin) {
        drawSkin(item, picture);
    } else if (item.kind === 'bmp' || item.kind === 'png' || item.kind === 'gif') {
        const type = {bmp: 'image/bmp', png: 'image/png', gif: 'image/gif'}[item.kind];
        state.objectUrl = URL.createObjectURL(new Blob([item.bytes], {type}));
        ui.image.src = state.objectUrl;
        ui.image.hidden = false;
        await ui.image.decode().catch(() => {});
        ui.pictureInfo.textContent = `${item.kind.toUpperCase()} picture, ` +
            `${ui.image.naturalWidth} × ${ui.image.naturalHeight}, ${item.bytes.length} bytes`;
    } else {
        ui.noPreview.hidden = false;
        ui.pictureInfo.textContent = `${item.bytes.length} bytes`;
    }
    applyZoom();
    setStatus(`${item.name} shown`);
}

function decodeSkin(item) {
    const {transparency, colour} = settings();
    return core.call(
        'decodeSkin', {bytes: item.bytes.slice(), name: item.name, transparency, colour});
}

function drawSkin(item, picture) {
    const canvas = ui.canvas;
    canvas.width = picture.width;
    canvas.height = picture.height;
    if (picture.width > 0 && picture.height > 0) {
        const image = new ImageData(
            new Uint8ClampedArray(
                picture.rgba.buffer, picture.rgba.byteOffset, picture.rgba.length),
            picture.width, picture.height);
        canvas.getContext('2d').putImageData(image, 0, 0);
    }
    canvas.hidden = false;
    const mask = picture.hasMask ? 'with a transparency mask' : 'no mask';
    ui.pictureInfo.textContent = `${picture.width} × ${picture.height}, ${picture.bits}-bit, ${
        mask}, ${item.bytes.length} bytes`;
    applyZoom();
}

// Transparent pixels show the checkerboard, or the transparency colour as the
// desktop window paints them.
function applyBackground() {
    const plain = !ui.checkerboard.checked;
    for (const element of [ui.canvas, ui.image]) {
        element.classList.toggle('checkered', !plain);
        element.style.backgroundColor = plain ? ui.colour.value : '';
    }
}

function applyZoom() {
    const zoom = ui.zoom.value;
    const fit = zoom === 'fit';
    ui.stage.classList.toggle('fit', fit);
    for (const element of [ui.canvas, ui.image]) {
        const width = element === ui.canvas ? element.width : element.naturalWidth;
        const height = element === ui.canvas ? element.height : element.naturalHeight;
        if (fit) {
            // As large as the stage allows, in whole steps while the picture is
            // smaller than the stage, so that its pixels stay even.
            const roomWidth = Math.max(1, ui.stage.clientWidth - 16);
            const roomHeight = Math.max(1, window.innerHeight * 0.7);
            const fits = Math.min(roomWidth / Math.max(1, width), roomHeight / Math.max(1, height));
            const scale = fits >= 1 ? Math.floor(fits) : fits;
            element.style.width = `${Math.round(width * scale)}px`;
            element.style.height = `${Math.round(height * scale)}px`;
        } else {
            element.style.width = `${width * Number(zoom)}px`;
            element.style.height = `${height * Number(zoom)}px`;
        }
    }
}

async function redrawForSettings() {
    try {
        const shown = state.shown;
        if (shown && shown.kind === 'k') {
            const picture = await decodeSkin(shown);
            if (state.shown === shown)
                drawSkin(shown, picture);
        }
        if (state.pkg) {
            // Every cell made again, with thumbnails in the new settings.
            state.thumbs.clear();
            cellObserver.disconnect();
            nearCells.clear();
            ui.grid.replaceChildren();
            renderGrid();
        }
    } catch (e) {
        showError(state.shown ? state.shown.name : '', e.message, false);
    }
}

async function downloadShown(how) {
    const item = state.shown;
    if (!item)
        return;
    try {
        if (how === 'stored') {
            download(item.bytes, item.name);
        } else if (how === 'bmp') {
            const bmp = await core.call('skinToBmp', {bytes: item.bytes.slice(), name: item.name});
            download(bmp, `${stemOf(item.name)}.bmp`, 'image/bmp');
        } else if (how === 'png') {
            // The browser's PNG encoder, from the pixels on the canvas: transparent
            // pixels stay transparent.
            const blob = await new Promise((resolve) => ui.canvas.toBlob(resolve, 'image/png'));
            download(blob, `${stemOf(item.name)}.png`, 'image/png');
        } else if (how === 'k') {
            const skin =
                await core.call('pictureToSkin', {bytes: item.bytes.slice(), name: item.name});
            download(skin, `${stemOf(item.name)}.k`);
        }
    } catch (e) {
        showError(item.name, e.message, false);
    }
}

// ---- The package ------------------------------------------------------------------

async function openPackage(name, bytes, salvage) {
    state.pendingSalvage = null;
    let listing;
    try {
        listing = await core.call('openPackage', {bytes: bytes.slice(), name, salvage});
    } catch (e) {
        closePackageView();
        // The offer only when there is something intact to open.
        const damaged = !salvage && e.message.startsWith('damaged package: ') &&
            await core.call('intactMembers', {bytes: bytes.slice(), name}).catch(() => 0) > 0;
        if (damaged)
            state.pendingSalvage = {name, bytes};
        showError(name, e.message, damaged);
        return;
    }
    state.pkg = {name, selected: null};
    state.thumbs.clear();
    cellObserver.disconnect();
    nearCells.clear();
    ui.grid.replaceChildren();
    ui.picture.hidden = true;
    state.shown = null;
    applyListing(listing);
    ui.package.hidden = false;
    setStatus(`${name} opened`);
}

function closePackageView() {
    if (state.pkg)
        core.call('closePackage', {}).catch(() => {});
    if (state.shown && state.shown.member) {
        ui.picture.hidden = true;
        state.shown = null;
    }
    state.pkg = null;
    state.thumbs.clear();
    cellObserver.disconnect();
    nearCells.clear();
    ui.package.hidden = true;
    ui.grid.replaceChildren();
    ui.progress.hidden = true;
}

function applyListing(listing) {
    const pkg = state.pkg;
    pkg.members = listing.members;
    pkg.readOnly = listing.readOnly;
    const count = listing.members.length;
    ui.packageTitle.textContent = `${pkg.name} — ${count} member${count === 1 ? '' : 's'}` +
        (pkg.readOnly ? ' (intact members, read-only)' : '');
    const findings = listing.findings ? listing.findings.split('\n').filter((line) => line) : [];
    ui.findings.replaceChildren(...findings.map((line) => {
        const li = document.createElement('li');
        li.textContent = line;
        return li;
    }));
    ui.findings.hidden = findings.length === 0;
    ui.add.disabled = pkg.readOnly;
    ui.savePackage.textContent =
        pkg.readOnly ? 'Download the intact members as a package' : 'Download package';
    if (pkg.selected !== null && !pkg.members.some((m) => m.name === pkg.selected)) {
        pkg.selected = null;
    }
    renderGrid();
    updateMemberButtons();
}

function updateMemberButtons() {
    const pkg = state.pkg;
    const editable = pkg && !pkg.readOnly && pkg.selected !== null;
    ui.replace.disabled = !editable;
    ui.rename.disabled = !editable;
    ui.remove.disabled = !editable;
}

function formatSize(size) { return `${size} byte${size === 1 ? '' : 's'}`; }

function makeCell(member, index) {
    const li = document.createElement('li');
    li.className = 'cell';
    li.setAttribute('role', 'option');
    li.dataset.name = member.name;
    li.dataset.index = index;
    li.dataset.id = member.id;
    li.tabIndex = -1;
    const thumb = document.createElement('div');
    thumb.className = 'thumb';
    const cached = state.thumbs.get(member.id);
    if (cached) {
        thumb.appendChild(cached);
    } else if (member.kind !== 'k' && member.kind !== 'g') {
        thumb.appendChild(label(member.kind === 'a' ? '.a' : '?'));
    }
    const text = document.createElement('div');
    text.className = 'text';
    const name = document.createElement('span');
    name.className = 'name';
    name.textContent = member.name;
    const size = document.createElement('span');
    size.className = 'size';
    size.textContent = formatSize(member.size);
    const dims = document.createElement('span');
    dims.className = 'dims';
    dims.textContent = cached ? cached.dataset.dims || '' : '';
    text.append(name, size, dims);
    li.append(thumb, text);
    return li;
}

function label(text) {
    const div = document.createElement('div');
    div.className = 'label';
    div.textContent = text;
    return div;
}

// A package's cells are made a batch at a time, the rest as the grid is
// scrolled near its last cell, so that a package of tens of thousands of
// members opens at once and only the cells made hold thumbnails.
const kCellBatch = 600;

function renderGrid() {
    const pkg = state.pkg;
    const focusedName = document.activeElement && document.activeElement.closest &&
            document.activeElement.closest('.cell') ?
        document.activeElement.dataset.name :
        null;
    const count = Math.min(pkg.members.length, Math.max(kCellBatch, ui.grid.children.length));
    patchCells(count);
    const cells = [...ui.grid.children];
    for (const cell of cells) {
        const selected = cell.dataset.name === pkg.selected;
        cell.setAttribute('aria-selected', String(selected));
        cell.tabIndex = -1;
    }
    const current = cells.find((c) => c.dataset.name === (focusedName || pkg.selected)) || cells[0];
    if (current) {
        current.tabIndex = 0;
        if (focusedName)
            current.focus();
    }
    ui.grid.tabIndex = cells.length ? -1 : 0;
    drawMissingThumbnails();
}

// The cells made brought in line with the members after an edit: those
// unchanged stay (an edit of a large package rebuilds nothing), the others are
// removed or made. Each step either keeps or makes the cell of member i, or
// removes a cell, so the first count cells end up as the members.
function patchCells(count) {
    const pkg = state.pkg;
    const grid = ui.grid;
    const lazy = lazyThumbnails();
    const made = (member, i) => {
        const cell = makeCell(member, i);
        if (lazy)
            cellObserver.observe(cell);
        return cell;
    };
    for (let i = 0; i < count;) {
        const member = pkg.members[i];
        const cell = grid.children[i];
        if (!cell) {
            grid.append(made(member, i++));
        } else if (cell.dataset.name === member.name && cell.dataset.id === String(member.id)) {
            cell.dataset.index = i++;
        } else if (
            cell.nextElementSibling && cell.nextElementSibling.dataset.name === member.name) {
            cellObserver.unobserve(cell);
            nearCells.delete(cell);
            cell.remove();
        } else {
            cell.before(made(member, i++));
        }
    }
    while (grid.children.length > count) {
        cellObserver.unobserve(grid.lastElementChild);
        nearCells.delete(grid.lastElementChild);
        grid.lastElementChild.remove();
    }
}

// Another batch of cells when the last one made is near the visible part.
function moreCells() {
    const pkg = state.pkg;
    const last = ui.grid.lastElementChild;
    if (!pkg || !last || ui.grid.children.length >= pkg.members.length)
        return;
    const visibleBottom = Math.min(window.innerHeight, ui.grid.getBoundingClientRect().bottom);
    if (last.getBoundingClientRect().top > visibleBottom + 1500)
        return;
    addCells(ui.grid.children.length + kCellBatch);
}

function addCells(upTo) {
    const pkg = state.pkg;
    const from = ui.grid.children.length;
    const cells = pkg.members.slice(from, upTo).map((m, i) => makeCell(m, from + i));
    for (const cell of cells)
        cell.setAttribute('aria-selected', String(cell.dataset.name === pkg.selected));
    ui.grid.append(...cells);
    if (lazyThumbnails())
        cells.forEach((cell) => cellObserver.observe(cell));
    drawMissingThumbnails();
}

// A package of more members than one batch draws thumbnails only for the
// cells near the visible part, and lets go of those far from it once it holds
// more than kMostThumbnails, so that scrolling through every member never
// holds them all.
const kMostThumbnails = 1500;
const nearCells = new Set();  // the cells near the visible part
let nearTimer = 0;
const cellObserver = new IntersectionObserver((entries) => {
    for (const entry of entries) {
        if (entry.isIntersecting) {
            nearCells.add(entry.target);
        } else {
            nearCells.delete(entry.target);
        }
    }
    clearTimeout(nearTimer);
    nearTimer = setTimeout(() => state.pkg && drawMissingThumbnails(), 100);
}, {rootMargin: '800px'});

function lazyThumbnails() { return state.pkg.members.length > kCellBatch; }

function forgetFarThumbnails() {
    const pkg = state.pkg;
    if (state.thumbs.size <= kMostThumbnails)
        return;
    const cells = ui.grid.children;
    for (let i = 0; i < cells.length && state.thumbs.size > kMostThumbnails; ++i) {
        const member = pkg.members[i];
        if (nearCells.has(cells[i]) || !state.thumbs.has(member.id))
            continue;
        state.thumbs.delete(member.id);
        cells[i].querySelector('.thumb').replaceChildren();
    }
}

function drawMissingThumbnails() {
    const pkg = state.pkg;
    // Thumbnails not drawn yet for the cells made (or, in a large package, the
    // cells near the visible part): ".k" members decoded, ".g" drawn from their
    // bytes.
    const lazy = lazyThumbnails();
    if (lazy)
        forgetFarThumbnails();
    const candidates = lazy ?
        [...nearCells].map((cell) => Number(cell.dataset.index)).sort((a, b) => a - b) :
        pkg.members.slice(0, ui.grid.children.length).map((m, i) => i);
    const missing = candidates.filter((i) => {
        const m = pkg.members[i];
        return m && (m.kind === 'k' || m.kind === 'g') && !state.thumbs.has(m.id);
    });
    requestAnimationFrame(moreCells);
    if (missing.length === 0) {
        gridFilled();
        return;
    }
    ui.grid.dataset.complete = 'false';
    ui.progress.max = missing.length;
    ui.progress.value = 0;
    ui.progress.hidden = false;
    setStatus(`Drawing ${missing.length} thumbnails…`);
    core.call('thumbnails', Object.assign({indices: missing}, settings())).then(({run}) => {
        state.run = run;
    }, (e) => showError(pkg.name, e.message, false));
}

// Small pictures are enlarged by whole steps to fill the thumbnail's square,
// large ones shrunk to fit it.
const kThumbnailSide = 64;

function fitThumbnail(element, width, height) {
    const longest = Math.max(width, height, 1);
    const scale =
        longest >= kThumbnailSide ? kThumbnailSide / longest : Math.floor(kThumbnailSide / longest);
    element.style.width = `${Math.max(1, Math.round(width * scale))}px`;
    element.style.height = `${Math.max(1, Math.round(height * scale))}px`;
}

// The thumbnail into its cell, with the picture's size under its name.
function showThumbnail(cell, element) {
    cell.querySelector('.thumb').replaceChildren(element);
    cell.querySelector('.dims').textContent = element.dataset.dims || '';
}

function drawThumbnail(item) {
    if (item.error !== undefined) {
        const div = label('!');
        div.title = item.error;
        return div;
    }
    if (item.kind === 'k') {
        const canvas = document.createElement('canvas');
        canvas.width = item.width;
        canvas.height = item.height;
        if (item.width > 0 && item.height > 0) {
            const data =
                new Uint8ClampedArray(item.rgba.buffer, item.rgba.byteOffset, item.rgba.length);
            canvas.getContext('2d').putImageData(
                new ImageData(data, item.width, item.height), 0, 0);
        }
        canvas.className = 'checkered';
        canvas.dataset.dims = item.dims;
        fitThumbnail(canvas, item.width, item.height);
        return canvas;
    }
    // A ".g" member's GIF or PNG, drawn by the browser from its bytes.
    const img = document.createElement('img');
    img.alt = '';
    const url = URL.createObjectURL(new Blob([item.bytes]));
    img.onload = () => {
        URL.revokeObjectURL(url);
        img.dataset.dims = `${img.naturalWidth} × ${img.naturalHeight}`;
        fitThumbnail(img, img.naturalWidth, img.naturalHeight);
        const cell = img.closest('.cell');
        if (cell)
            showThumbnail(cell, img);
    };
    img.onerror = () => {
        URL.revokeObjectURL(url);
        img.replaceWith(label('?'));
    };
    img.src = url;
    return img;
}

function gridFilled() {
    ui.progress.hidden = true;
    ui.grid.dataset.complete = 'true';
    performance.mark('lumigram-grid-filled');
    const count = state.pkg.members.length;
    const made = ui.grid.children.length;
    setStatus(
        `${state.pkg.name}: ${count} member${count === 1 ? '' : 's'}` +
        (made < count ? ` (the first ${made} shown, the rest appear as you scroll)` : ''));
}

core.onThumbs = (message) => {
    const pkg = state.pkg;
    if (!pkg || message.run < state.run)
        return;
    state.run = message.run;
    for (const item of message.items) {
        const element = drawThumbnail(item);
        state.thumbs.set(item.id, element);
        const member = pkg.members[item.index];
        if (!member || member.id !== item.id)
            continue;
        const cell = ui.grid.children[item.index];
        if (cell)
            showThumbnail(cell, element);
    }
    ui.progress.value = message.done;
    if (message.done === message.total) {
        gridFilled();
    } else {
        setStatus(`Drawing thumbnails: ${message.done} of ${message.total}`);
    }
};

async function selectMember(name) {
    const pkg = state.pkg;
    pkg.selected = name;
    for (const cell of ui.grid.children) {
        const selected = cell.dataset.name === name;
        cell.setAttribute('aria-selected', String(selected));
        cell.tabIndex = selected ? 0 : -1;
    }
    updateMemberButtons();
    const member = pkg.members.find((m) => m.name === name);
    try {
        const bytes = await core.call('memberBytes', {name});
        if (pkg.selected !== name)
            return;
        let kind = member.kind === 'k' ? 'k' : 'other';
        if (member.kind === 'g') {
            kind = (await core.call('describe', {bytes: bytes.slice(), name})).kind;
            if (kind !== 'gif' && kind !== 'png')
                kind = 'other';
        }
        await showPicture({name, kind, bytes, member: name});
    } catch (e) {
        showError(name, e.message, false);
    }
}

async function edit(op, args, transfer) {
    const pkg = state.pkg;
    clearError();
    try {
        const listing = await core.call(op, args, transfer);
        if (state.pkg !== pkg)
            return null;
        applyListing(listing);
        return listing;
    } catch (e) {
        showError(args.fileName || args.name || args.target || pkg.name, e.message, false);
        return null;
    }
}

function chooseMemberFile() {
    return new Promise((resolve) => {
        ui.memberFile.value = '';
        ui.memberFile.onchange = () => resolve(ui.memberFile.files[0] || null);
        ui.memberFile.click();
    });
}

async function replaceSelected(file) {
    const target = state.pkg.selected;
    const bytes = await bytesOf(file);
    const listing = await edit('replace', {target, fileName: file.name, bytes}, [bytes.buffer]);
    if (listing)
        await selectMember(target);
}

async function addFile(file) {
    const bytes = await bytesOf(file);
    const listing = await edit('add', {fileName: file.name, bytes}, [bytes.buffer]);
    if (listing) {
        await selectMember(listing.added);
        focusCell(listing.added);
    }
}

async function deleteSelected() {
    const pkg = state.pkg;
    const name = pkg.selected;
    const index = pkg.members.findIndex((m) => m.name === name);
    const listing = await edit('remove', {name});
    if (!listing)
        return;
    ui.picture.hidden = true;
    state.shown = null;
    const next = pkg.members[Math.min(index, pkg.members.length - 1)];
    if (next) {
        await selectMember(next.name);
        focusCell(next.name);
    }
    setStatus(`${name} deleted`);
}

function startRename() {
    ui.renameForm.hidden = false;
    ui.renameName.value = state.pkg.selected;
    ui.renameName.focus();
    ui.renameName.select();
}

function endRename() {
    ui.renameForm.hidden = true;
    focusCell(state.pkg && state.pkg.selected);
}

async function finishRename() {
    const from = state.pkg.selected;
    const to = ui.renameName.value;
    const listing = await edit('rename', {from, to, name: to});
    if (!listing)
        return;
    state.pkg.selected = listing.renamed;
    ui.renameForm.hidden = true;
    renderGrid();
    await selectMember(listing.renamed);
    focusCell(listing.renamed);
}

async function savePackage() {
    const pkg = state.pkg;
    try {
        const bytes = await core.call('save', {});
        download(bytes, pkg.readOnly ? `${stemOf(pkg.name)}-intact.ezx` : pkg.name);
        setStatus(`${pkg.name} downloaded`);
    } catch (e) {
        showError(pkg.name, e.message, false);
    }
}

function focusCell(name) {
    const index = state.pkg ? state.pkg.members.findIndex((m) => m.name === name) : -1;
    if (index >= ui.grid.children.length)
        addCells(index + 1);
    const cell = ui.grid.children[index];
    if (!cell)
        return;
    for (const c of ui.grid.children)
        c.tabIndex = c === cell ? 0 : -1;
    cell.focus();
}

// Columns of the grid as laid out now, for the up and down arrow keys.
function gridColumns() {
    const cells = ui.grid.children;
    if (cells.length === 0)
        return 1;
    const top = cells[0].offsetTop;
    let n = 0;
    while (n < cells.length && cells[n].offsetTop === top)
        ++n;
    return Math.max(1, n);
}

function onGridKey(event) {
    const cell = event.target.closest('.cell');
    if (!cell)
        return;
    const cells = [...ui.grid.children];
    const index = cells.indexOf(cell);
    const moves = {
        ArrowLeft: -1,
        ArrowRight: 1,
        ArrowUp: -gridColumns(),
        ArrowDown: gridColumns(),
        Home: -index,
        End: cells.length - 1 - index,
    };
    if (event.key in moves) {
        const target = cells[Math.min(cells.length - 1, Math.max(0, index + moves[event.key]))];
        focusCell(target.dataset.name);
    } else if (event.key === 'Enter' || event.key === ' ') {
        selectMember(cell.dataset.name);
    } else if (event.key === 'Delete' && !state.pkg.readOnly) {
        if (state.pkg.selected !== cell.dataset.name)
            return;
        deleteSelected();
    } else if (
        event.key === 'F2' && !state.pkg.readOnly && state.pkg.selected === cell.dataset.name) {
        startRename();
    } else {
        return;
    }
    event.preventDefault();
}

// ---- Wiring ----------------------------------------------------------------------

function wire() {
    ui.file.addEventListener('change', () => {
        if (ui.file.files.length)
            openFile(ui.file.files[0]);
    });
    // Files may be dropped anywhere on the page.
    document.addEventListener('dragover', (e) => {
        e.preventDefault();
        ui.drop.classList.add('over');
    });
    document.addEventListener('dragleave', (e) => {
        if (e.target === document.documentElement || e.target === ui.drop)
            ui.drop.classList.remove('over');
    });
    document.addEventListener('drop', (e) => {
        e.preventDefault();
        ui.drop.classList.remove('over');
        const file = e.dataTransfer && e.dataTransfer.files[0];
        if (file)
            openFile(file);
    });
    ui.salvage.addEventListener('click', () => {
        const pending = state.pendingSalvage;
        if (!pending)
            return;
        clearError();
        openPackage(pending.name, pending.bytes, true);
    });
    ui.transparency.addEventListener('change', () => {
        ui.colour.disabled = !ui.transparency.checked;
        redrawForSettings();
    });
    ui.colour.addEventListener('change', () => {
        applyBackground();
        redrawForSettings();
    });
    ui.checkerboard.addEventListener('change', applyBackground);
    ui.zoom.addEventListener('change', applyZoom);
    window.addEventListener('resize', () => {
        if (ui.zoom.value === 'fit')
            applyZoom();
    });
    ui.downloadStored.addEventListener('click', () => downloadShown('stored'));
    ui.downloadK.addEventListener('click', () => downloadShown('k'));
    ui.downloadBmp.addEventListener('click', () => downloadShown('bmp'));
    ui.downloadPng.addEventListener('click', () => downloadShown('png'));

    ui.grid.addEventListener('click', (e) => {
        const cell = e.target.closest('.cell');
        if (!cell)
            return;
        focusCell(cell.dataset.name);
        selectMember(cell.dataset.name);
    });
    ui.grid.addEventListener('keydown', onGridKey);
    ui.grid.addEventListener('scroll', moreCells, {passive: true});
    window.addEventListener('scroll', moreCells, {passive: true});
    ui.replace.addEventListener('click', async () => {
        const file = await chooseMemberFile();
        if (file)
            await replaceSelected(file);
    });
    ui.add.addEventListener('click', async () => {
        const file = await chooseMemberFile();
        if (file)
            await addFile(file);
    });
    ui.remove.addEventListener('click', deleteSelected);
    ui.rename.addEventListener('click', startRename);
    ui.renameForm.addEventListener('submit', (e) => {
        e.preventDefault();
        finishRename();
    });
    ui.renameCancel.addEventListener('click', endRename);
    ui.renameForm.addEventListener('keydown', (e) => {
        if (e.key === 'Escape')
            endRename();
    });
    ui.savePackage.addEventListener('click', savePackage);
}

wire();
core.start();
core.ready.then(
    () => {
        document.documentElement.dataset.ready = 'true';
        setStatus('Ready: nothing is uploaded.');
    },
    (e) => {
        document.documentElement.dataset.ready = 'failed';
        showError('lumigram.js', e.message, false);
    });
