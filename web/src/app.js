// Lumigram's page: opens ".k" pictures, BMP, PNG and GIF pictures and ".ezx"
// packages chosen, dropped or launched by the operating system, edits
// packages with undo, and saves them back into their files. Every decode and
// edit runs in the WebAssembly core (core_client.js); files stay in the page.
import {startCore} from './core_client.js';
import {canWriteFiles, download, keepOffline, pickFileToOpen, pickFileToSave, stampOf, takeLaunchedFiles, writeFile} from './file_access.js';
import {PackageSession} from './package_actions.js';
import {PackageGrid} from './package_grid.js';
import {PictureView} from './picture_view.js';
import {closeSheet, messages, openSheet, warnOnLeaving} from './shell.js';

const $ = (id) => document.getElementById(id);
const ui = Object.fromEntries([
    'drop', 'file', 'status', 'alert', 'alert-text', 'salvage', 'note', 'workspace', 'package',
    'package-title', 'findings', 'grid', 'member-file', 'rename-form', 'rename-name',
    'rename-cancel', 'picture', 'picture-title', 'picture-info', 'transparency', 'colour',
    'checkerboard', 'zoom', 'view-tools', 'download-stored', 'download-k', 'download-bmp',
    'download-png', 'stage', 'canvas', 'image', 'no-preview', 'sheet-close', 'open', 'save',
    'save-as', 'add', 'replace', 'rename', 'delete', 'undo', 'redo', 'save-package', 'unsaved',
    'doc-name', 'update', 'update-reload',
].map((id) => [id.replace(/-(.)/g, (_, c) => c.toUpperCase()), $(id)]));

// ---- State ----------------------------------------------------------------

const state = {
    session: null,         // the open package (package_actions.js)
    picture: null,         // a picture opened on its own: {name}
    shown: null,           // what the picture panel shows: {name, shown, kind, bytes, index, id}
    pendingSalvage: null,  // {name, bytes} of a package refused as damaged
    renaming: null,        // the member the rename form was opened for
    selectRun: 0,          // a newer selection makes an older one's preview stale
    toldDownloadSave: false,
    saving: Promise.resolve(),  // the save under way (save())
};

const {showError, clearError, showNote, setStatus} = messages(ui);

const core = startCore({
    onThumbs: (message) => state.session && grid.takeThumbnails(message),
    onInPage: (reason) => {
        showNote(`The decoder runs in this page (${reason}), so the page may pause on large ` +
                 'files. Served over http:// it runs in the background.');
    },
});

const view = new PictureView({
    stage: ui.stage,
    canvas: ui.canvas,
    image: ui.image,
    noPreview: ui.noPreview,
    zoomSelect: ui.zoom,
});

const grid = new PackageGrid(ui.grid, {
    requestThumbnails: (indices) => {
        core.call('thumbnails', Object.assign({indices}, settings()))
            .catch((e) => showError(state.session ? state.session.name : '', e.message));
    },
    onSelect: (index) => selectMember(index),
    onFilled: () => {
        if (!state.session)
            return;
        performance.mark('lumigram-grid-filled');
        const count = state.session.members.length;
        setStatus(`${state.session.name}: ${count} member${count === 1 ? '' : 's'}`);
    },
});

// ---- Helpers ------------------------------------------------------------------

function stemOf(name) {
    const dot = name.lastIndexOf('.');
    return dot <= 0 ? name : name.slice(0, dot);
}

async function bytesOf(file) { return new Uint8Array(await file.arrayBuffer()); }

function settings() {
    return {transparency: ui.transparency.checked, colour: parseInt(ui.colour.value.slice(1), 16)};
}

const isPhone = () => matchMedia('(max-width: 700px)').matches;

// ---- The shell: title, buttons, unsaved changes ---------------------------------

function updateShell() {
    const s = state.session;
    const name = s ? s.name : state.picture ? state.picture.name : '';
    const unsaved = Boolean(s && s.unsaved);
    ui.docName.textContent = name || 'Lumigram';
    ui.unsaved.hidden = !unsaved;
    document.title = name ? `${unsaved ? '• ' : ''}${name} — Lumigram` : 'Lumigram';
    warnOnLeaving(unsaved);
    document.documentElement.dataset.unsaved = String(unsaved);
    const editable = Boolean(s && !s.readOnly);
    const member = editable && grid.selected >= 0 && grid.selected < s.members.length;
    ui.save.disabled = !editable;
    ui.saveAs.disabled = !editable;
    ui.add.disabled = !editable;
    ui.replace.disabled = !member;
    ui.rename.disabled = !member;
    ui.delete.disabled = !member;
    ui.undo.disabled = !(s && s.canUndo);
    ui.redo.disabled = !(s && s.canRedo);
    ui.undo.title = s && s.canUndo ? `Undo ${s.undoLabel} (Ctrl+Z)` : 'Undo (Ctrl+Z)';
    ui.redo.title =
        s && s.canRedo ? `Redo ${s.redoLabel} (Ctrl+Shift+Z or Ctrl+Y)` : 'Redo (Ctrl+Shift+Z or Ctrl+Y)';
    ui.savePackage.disabled = !s;
    ui.savePackage.title = s && s.readOnly ? 'Download the intact members as a package' :
                                             'Download the package';
    ui.drop.classList.toggle('compact', Boolean(s || state.picture));
    ui.drop.querySelector('.drop-text').textContent = s && !s.readOnly ?
        'Drop files here to add them to the package, or a package to open it, or' :
        'Drop a ".k", ".ezx", BMP or PNG file here, or';
}

// A file with unsaved changes is only let go when the user says so.
function mayDiscard() {
    const s = state.session;
    return !s || !s.unsaved ||
        window.confirm(`${s.name} has unsaved changes. Discard them?`);
}

// ---- Opening --------------------------------------------------------------------

// file: a File; handle: its FileSystemFileHandle where there is one.
async function openFile(file, handle = null) {
    if (!mayDiscard())
        return;
    // Marks for timing from a file's opening to its grid's thumbnails.
    performance.clearMarks();
    performance.mark('lumigram-open');
    clearError();
    const name = file.name;
    try {
        const bytes = await bytesOf(file);
        const stamp = handle ? await stampOf(handle).catch(() => null) : null;
        setStatus(`Opening ${name}…`);
        // A file too damaged to be recognised goes by its extension, so that the
        // core names what is wrong with it.
        // What a file holds is told by its first bytes: a large file is not copied.
        const head = bytes.slice(0, 65536);
        let description = await core.call('describe', {bytes: head, name}, [head.buffer]);
        // A PNG's chunks before its pixels may run past the head.
        if (description.kind === 'png')
            description = await core.call('describe', {bytes: bytes.slice(), name});
        // A PNG the CLI refuses (too wide or too high for a skin picture,
        // damaged chunks) is refused in its words before anything decodes it.
        if (description.refusal)
            throw new Error(description.refusal);
        const described = description.kind;
        const extension = name.slice(name.lastIndexOf('.') + 1).toLowerCase();
        const kind = described === 'other' && (extension === 'k' || extension === 'ezx') ?
            extension :
            described;
        if (kind === 'ezx') {
            await openPackage({name, handle, stamp}, bytes, false);
        } else if (kind === 'other') {
            throw new Error('not a skin picture, skin package, BMP, GIF or PNG');
        } else {
            // Decoded before anything changes: a refused picture leaves the page as it was.
            const item = {name, shown: name, kind, bytes, index: -1, id: 0};
            const picture = kind === 'k' ? await decodeSkin(item) : null;
            closePackage();
            state.picture = {name};
            await showPicture(item, picture);
            updateShell();
        }
    } catch (e) {
        showError(name, e.message);
    }
}

async function openHandles(handles) {
    const handle = handles[0];
    try {
        await openFile(await handle.getFile(), handle);
    } catch (e) {
        showError(handle.name, e.message);
    }
}

async function chooseAndOpen() {
    if (!canWriteFiles()) {
        ui.file.click();
        return;
    }
    try {
        const chosen = await pickFileToOpen();
        if (chosen)
            await openFile(chosen.file, chosen.handle);
    } catch (e) {
        showError('', e.message);
    }
}

async function openPackage(file, bytes, salvage) {
    state.pendingSalvage = null;
    let listing;
    try {
        listing = await core.call('openPackage', {bytes: bytes.slice(), name: file.name, salvage});
    } catch (e) {
        closePackage();
        // The offer only when there is something intact to open.
        const damaged = !salvage && e.message.startsWith('damaged package: ') &&
            await core.call('intactMembers', {bytes: bytes.slice(), name: file.name})
                    .catch(() => 0) > 0;
        if (damaged)
            state.pendingSalvage = {file, bytes};
        showError(file.name, e.message, damaged);
        return;
    }
    closePackage(false);
    const session = new PackageSession(core, file, listing, settings);
    state.session = session;
    state.picture = null;
    session.onChange = () => {
        if (state.session !== session)
            return;
        grid.setMembers(session.members);
        showListing();
        updateShell();
        refreshShown();
    };
    ui.workspace.classList.add('with-package');
    ui.package.hidden = false;
    ui.picture.hidden = true;
    state.shown = null;
    grid.clear();
    grid.setMembers(session.members);
    showListing();
    updateShell();
    setStatus(`${file.name} opened`);
}

function showListing() {
    const s = state.session;
    const count = s.members.length;
    ui.packageTitle.textContent = `${s.name} — ${count} member${count === 1 ? '' : 's'}` +
        (s.readOnly ? ' (intact members, read-only)' : '');
    ui.findings.replaceChildren(...s.findings.map((line) => {
        const li = document.createElement('li');
        li.textContent = line;
        return li;
    }));
    ui.findings.hidden = s.findings.length === 0;
}

function closePackage(tellCore = true) {
    if (state.session && tellCore)
        core.call('closePackage', {}).catch(() => {});
    state.session = null;
    closeSheet();
    ui.workspace.classList.remove('with-package');
    ui.package.hidden = true;
    ui.renameForm.hidden = true;
    if (state.shown && state.shown.index >= 0) {
        ui.picture.hidden = true;
        state.shown = null;
    }
    grid.clear();
    updateShell();
}

// ---- The picture --------------------------------------------------------------------

function decodeSkin(item) {
    return core.call('decodeSkin', Object.assign({bytes: item.bytes.slice(), name: item.name}, settings()));
}

// Shows a picture; a ".k" decoded already may come along.
async function showPicture(item, decoded) {
    const picture = item.kind === 'k' ? decoded || await decodeSkin(item) : null;
    state.shown = item;
    ui.picture.hidden = false;
    ui.pictureTitle.textContent = item.shown;
    const isSkin = item.kind === 'k';
    const isPicture = ['bmp', 'png', 'gif'].includes(item.kind);
    ui.downloadStored.querySelector('span').textContent = `Download ${item.shown}`;
    ui.downloadK.hidden = !(item.kind === 'bmp' || item.kind === 'png');
    ui.downloadBmp.hidden = !isSkin;
    ui.downloadPng.hidden = !isSkin;
    ui.viewTools.hidden = !isSkin && !isPicture;
    if (isSkin) {
        drawSkin(item, picture);
    } else if (isPicture) {
        const type = `image/${item.kind}`;
        const {width, height} = await view.drawImage(item.bytes, type);
        ui.pictureInfo.textContent =
            `${item.kind.toUpperCase()} picture, ${width} × ${height}, ${item.bytes.length} bytes`;
    } else {
        view.drawNothing();
        ui.pictureInfo.textContent = `${item.bytes.length} bytes`;
    }
    applyBackground();
    setStatus(`${item.shown} shown`);
}

function drawSkin(item, picture) {
    view.drawPixels(picture);
    const mask = picture.hasMask ? 'with a transparency mask' : 'no mask';
    ui.pictureInfo.textContent = `${picture.width} × ${picture.height}, ${picture.bits}-bit, ${
        mask}, ${item.bytes.length} bytes`;
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

async function redrawForSettings() {
    try {
        const shown = state.shown;
        if (shown && shown.kind === 'k') {
            const picture = await decodeSkin(shown);
            if (state.shown === shown)
                drawSkin(shown, picture);
        }
        if (state.session)
            grid.forgetThumbnails();
    } catch (e) {
        showError(state.shown ? state.shown.shown : '', e.message);
    }
}

async function downloadShown(how) {
    const item = state.shown;
    if (!item)
        return;
    const args = () => Object.assign({bytes: item.bytes.slice(), name: item.name}, settings());
    try {
        if (how === 'stored') {
            download(item.bytes, item.name);
        } else if (how === 'bmp') {
            download(await core.call('skinToBmp', args()), `${stemOf(item.name)}.bmp`, 'image/bmp');
        } else if (how === 'png') {
            download(await core.call('skinToPng', args()), `${stemOf(item.name)}.png`, 'image/png');
        } else if (how === 'k') {
            download(await core.call('pictureToSkin', args()), `${stemOf(item.name)}.k`);
        }
    } catch (e) {
        showError(item.shown, e.message);
    }
}

// ---- Members --------------------------------------------------------------------------

async function selectMember(index) {
    const s = state.session;
    const run = ++state.selectRun;
    updateShell();
    if (isPhone())
        openSheet();
    try {
        // In turn with the edits, so that the position names the member meant.
        const loaded = await s.serial(async () => {
            const member = s.members[index];
            return member ? {member, bytes: await core.call('memberBytes', {index})} : null;
        });
        if (!loaded || run !== state.selectRun || state.session !== s)
            return;
        const {member, bytes} = loaded;
        let kind = member.kind === 'k' ? 'k' : 'other';
        if (member.kind === 'g') {
            kind = (await core.call('describe', {bytes: bytes.slice(), name: member.name})).kind;
            if (kind !== 'gif' && kind !== 'png')
                kind = 'other';
        }
        const item = {name: member.name, shown: member.shown, kind, bytes, index, id: member.id};
        const picture = kind === 'k' ? await decodeSkin(item) : null;
        if (run === state.selectRun && state.session === s)
            await showPicture(item, picture);
    } catch (e) {
        if (run === state.selectRun)
            showError(s.members[index] ? s.members[index].shown : s.name, e.message);
    }
}

// After an edit, undo or redo: the panel follows the selected member.
function refreshShown() {
    const s = state.session;
    const index = grid.selected;
    const member = index >= 0 ? s.members[index] : null;
    if (!member) {
        if (state.shown && state.shown.index >= 0) {
            ui.picture.hidden = true;
            state.shown = null;
            closeSheet();
        }
        return;
    }
    if (!state.shown || state.shown.index !== index || state.shown.id !== member.id)
        selectMember(index);
}

function chooseMemberFiles(multiple) {
    return new Promise((resolve) => {
        ui.memberFile.value = '';
        ui.memberFile.multiple = multiple;
        ui.memberFile.onchange = () => resolve([...ui.memberFile.files]);
        ui.memberFile.click();
    });
}

// Runs an edit of the open package; shows what the core refused.
async function edit(steps, label, what) {
    const s = state.session;
    if (!s || s.readOnly)
        return null;
    clearError();
    try {
        return await s.edit(steps, label);
    } catch (e) {
        showError(what, e.message);
        return null;
    }
}

const selectedMember = () => {
    const s = state.session;
    return s && grid.selected >= 0 ? s.members[grid.selected] || null : null;
};

// The steps of an edit of one member, found by its id when the edit's turn
// comes: edits asked for faster than the core answers would otherwise meet
// positions that earlier edits have shifted, and touch the wrong member. A
// member gone by then (deleted twice in a row) is left alone.
const onMember = (member, step) => (members) => {
    const index = members.findIndex((m) => m.id === member.id);
    return index < 0 ? null : [step(index)];
};

async function addFiles(files) {
    if (files.length === 0)
        return;
    const steps = [];
    for (const file of files)
        steps.push({op: 'add', fileName: file.name, bytes: await bytesOf(file)});
    const label = files.length === 1 ? `Add ${files[0].name}` : `Add ${files.length} files`;
    const touched = await edit(steps, label, files.length === 1 ? files[0].name : state.session.name);
    if (touched) {
        grid.select(touched[touched.length - 1], {focus: true});
        setStatus(`${label}: done`);
    }
}

async function replaceSelected(file) {
    const member = selectedMember();
    if (!member || !file)
        return;
    const bytes = await bytesOf(file);
    await edit(onMember(member, (index) => ({op: 'replace', index, fileName: file.name, bytes})),
               `Replace ${member.shown}`, file.name);
}

async function deleteSelected() {
    const member = selectedMember();
    if (!member)
        return;
    const touched = await edit(onMember(member, (index) => ({op: 'remove', index})),
                               `Delete ${member.shown}`, member.shown);
    if (!touched)
        return;
    const count = state.session.members.length;
    if (count > 0)
        grid.select(Math.min(touched[0], count - 1), {focus: true});
    setStatus(`${member.shown} deleted`);
}

function startRename() {
    const member = selectedMember();
    if (!member || state.session.readOnly)
        return;
    state.renaming = member;
    ui.renameForm.hidden = false;
    ui.renameName.value = member.name;
    ui.renameName.focus();
    ui.renameName.select();
}

function endRename() {
    ui.renameForm.hidden = true;
    grid.focus();
}

// Renames the member the form was opened for, wherever it stands by then.
async function finishRename() {
    const member = state.renaming;
    if (!member)
        return;
    const to = ui.renameName.value;
    const touched = await edit(onMember(member, (index) => ({op: 'rename', index, to})),
                               `Rename ${member.shown}`, to);
    if (!touched) {
        // Refused: the form stays for another name. Gone (undone meanwhile):
        // there is nothing left to rename.
        if (ui.alert.hidden)
            endRename();
        return;
    }
    ui.renameForm.hidden = true;
    grid.select(touched[0], {focus: true});
}

async function undoOrRedo(redo) {
    const s = state.session;
    if (!s)
        return;
    clearError();
    const label = redo ? s.redoLabel : s.undoLabel;
    try {
        if (await (redo ? s.redo() : s.undo()))
            setStatus(`${redo ? 'Redone' : 'Undone'}: ${label}`);
    } catch (e) {
        showError(s.name, e.message);
    }
}

// ---- Saving ------------------------------------------------------------------------------

async function writeInto(handle, stamp) {
    const s = state.session;
    const {bytes, state: saved} = await s.bytes();
    const written = await writeFile(handle, bytes, stamp, async () => window.confirm(
        `${handle.name} has changed since it was opened here. Replace it with this version?`));
    if (!written) {
        setStatus(`${handle.name} not saved`);
        return;
    }
    s.markSaved({name: handle.name, handle, stamp: written}, saved);
    setStatus(`Saved ${handle.name}`);
}

// One save at a time: a Save asked for while another is writing waits for it,
// so that it compares the file with what that one wrote rather than with what
// was opened (which would ask whether to replace a file only the page changed).
function save(asNew) {
    const run = state.saving.then(() => saveNow(asNew));
    state.saving = run.catch(() => {});
    return run;
}

async function saveNow(asNew) {
    const s = state.session;
    if (!s)
        return;
    clearError();
    try {
        if (s.readOnly) {
            await downloadPackage();
        } else if (s.file.handle && !asNew) {
            try {
                await writeInto(s.file.handle, s.file.stamp);
            } catch (e) {
                // Moved, deleted, locked or write-protected since it was opened.
                const why = e.message.replace(/\.$/, '');
                throw new Error(`not saved: ${why} (Save As… writes a new file)`, {cause: e});
            }
        } else if (canWriteFiles()) {
            const handle = await pickFileToSave(s.name);
            if (handle)
                await writeInto(handle, null);
        } else {
            if (!state.toldDownloadSave) {
                showNote('This browser cannot write into files: Save downloads the package ' +
                         'instead (Chrome and Edge save into the file itself).');
                state.toldDownloadSave = true;
            }
            const {bytes, state: saved} = await s.bytes();
            download(bytes, s.name);
            s.markSaved(s.file, saved);
        }
    } catch (e) {
        showError(s.name, e.message);
    }
}

async function downloadPackage() {
    const s = state.session;
    if (!s)
        return;
    try {
        const {bytes} = await s.bytes();
        download(bytes, s.readOnly ? `${stemOf(s.name)}-intact.ezx` : s.name);
        setStatus(`${s.name} downloaded`);
    } catch (e) {
        showError(s.name, e.message);
    }
}

// ---- Wiring -------------------------------------------------------------------------------

const typing = (target) => target && (target.isContentEditable ||
    (target.tagName === 'INPUT' && target.type === 'text') || target.tagName === 'TEXTAREA');

function onShortcut(e) {
    const ctrl = e.ctrlKey || e.metaKey;
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    const actions = [
        [ctrl && !e.shiftKey && key === 'o', chooseAndOpen],
        [ctrl && !e.shiftKey && key === 's', () => save(false)],
        [ctrl && e.shiftKey && key === 's', () => save(true)],
        [!typing(e.target) && ctrl && !e.shiftKey && key === 'z', () => undoOrRedo(false)],
        [!typing(e.target) && ctrl && ((e.shiftKey && key === 'z') || key === 'y'),
         () => undoOrRedo(true)],
        [ctrl && !e.shiftKey && key === 'r' && !ui.replace.disabled,
         async () => replaceSelected((await chooseMemberFiles(false))[0])],
        [!ctrl && key === 'Insert' && !ui.add.disabled,
         async () => addFiles(await chooseMemberFiles(true))],
        [!ctrl && key === 'F2' && !ui.rename.disabled, startRename],
        [!ctrl && key === 'Delete' && !typing(e.target) && !ui.delete.disabled, deleteSelected],
        [key === 'Escape' && document.body.classList.contains('sheet-open'),
         () => closeSheet() && grid.focus()],
    ];
    const action = actions.find(([when]) => when);
    if (!action)
        return;
    e.preventDefault();
    action[1]();
}

function onGridKey(e) {
    if (e.ctrlKey || e.metaKey || e.altKey || !state.session)
        return;
    if (grid.move(e.key)) {
        e.preventDefault();
    } else if (e.key === 'Enter' || e.key === ' ') {
        const index = grid.indexOf(e.target);
        if (index >= 0) {
            e.preventDefault();
            if (index !== grid.selected)
                grid.select(index, {focus: true});
            else if (isPhone())
                openSheet();
        }
    }
}

// Dropped files: on an open package they are added (all of them one step to
// undo), unless a package is among them, which opens; otherwise the first
// package, or the first file, opens.
function onDrop(e) {
    e.preventDefault();
    ui.drop.classList.remove('over');
    const transfer = e.dataTransfer;
    const files = transfer ? [...transfer.files] : [];
    if (files.length === 0)
        return;
    const s = state.session;
    const packageAt = files.findIndex((f) => /\.ezx$/i.test(f.name));
    if (s && !s.readOnly && packageAt < 0) {
        addFiles(files);
        return;
    }
    const at = Math.max(0, packageAt);
    // A handle, where the browser gives one, so that Save writes into the file.
    const items = transfer.items ? [...transfer.items].filter((i) => i.kind === 'file') : [];
    const item = items[at];
    const handle = item && typeof item.getAsFileSystemHandle === 'function' ?
        item.getAsFileSystemHandle().catch(() => null) :
        Promise.resolve(null);
    handle.then((h) => openFile(files[at], h && h.kind === 'file' ? h : null));
}

function wire() {
    ui.file.addEventListener('change', () => {
        if (ui.file.files.length)
            openFile(ui.file.files[0]);
    });
    document.addEventListener('dragover', (e) => {
        e.preventDefault();
        ui.drop.classList.add('over');
    });
    document.addEventListener('dragleave', (e) => {
        if (e.target === document.documentElement || e.target === ui.drop)
            ui.drop.classList.remove('over');
    });
    document.addEventListener('drop', onDrop);
    ui.salvage.addEventListener('click', () => {
        const pending = state.pendingSalvage;
        if (!pending)
            return;
        clearError();
        openPackage(pending.file, pending.bytes, true);
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
    ui.downloadStored.addEventListener('click', () => downloadShown('stored'));
    ui.downloadK.addEventListener('click', () => downloadShown('k'));
    ui.downloadBmp.addEventListener('click', () => downloadShown('bmp'));
    ui.downloadPng.addEventListener('click', () => downloadShown('png'));

    ui.grid.addEventListener('click', (e) => {
        const index = grid.indexOf(e.target);
        if (index < 0)
            return;
        if (index === grid.selected) {
            grid.focus();
            if (isPhone())
                openSheet();
        } else {
            grid.select(index, {focus: true});
        }
    });
    ui.grid.addEventListener('keydown', onGridKey);
    document.addEventListener('keydown', onShortcut);

    ui.open.addEventListener('click', chooseAndOpen);
    ui.save.addEventListener('click', () => save(false));
    ui.saveAs.addEventListener('click', () => save(true));
    ui.add.addEventListener('click', async () => addFiles(await chooseMemberFiles(true)));
    ui.replace.addEventListener(
        'click', async () => replaceSelected((await chooseMemberFiles(false))[0]));
    ui.delete.addEventListener('click', deleteSelected);
    ui.rename.addEventListener('click', startRename);
    ui.undo.addEventListener('click', () => undoOrRedo(false));
    ui.redo.addEventListener('click', () => undoOrRedo(true));
    ui.savePackage.addEventListener('click', downloadPackage);
    ui.renameForm.addEventListener('submit', (e) => {
        e.preventDefault();
        finishRename();
    });
    ui.renameCancel.addEventListener('click', endRename);
    ui.renameForm.addEventListener('keydown', (e) => {
        if (e.key === 'Escape') {
            e.stopPropagation();
            endRename();
        }
    });
    ui.sheetClose.addEventListener('click', () => closeSheet() && grid.focus());
    window.addEventListener('popstate', () => closeSheet(true) && grid.focus());
    ui.updateReload.addEventListener('click', () => state.reloadForUpdate());
}

wire();
updateShell();
takeLaunchedFiles(openHandles);
keepOffline((reload) => {
    state.reloadForUpdate = reload;
    ui.update.hidden = false;
}).catch(() => {});
core.ready.then(
    () => {
        document.documentElement.dataset.core = core.where;
        document.documentElement.dataset.ready = 'true';
        setStatus('Ready: nothing is uploaded.');
    },
    (e) => {
        document.documentElement.dataset.ready = 'failed';
        showError('lumigram.js', e.message);
    });
