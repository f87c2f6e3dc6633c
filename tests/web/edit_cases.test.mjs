// The table of package edits every front end carries out alike
// (tests/support/edit_cases.json), through the page's own core host
// (web/src/core_host.js) on lumigram.js: each edit sent as the page's Replace,
// Add, Rename and Delete send it, the members afterwards compared with the
// table's, and an undo giving back the package's first bytes.
// Usage: node tests/web/edit_cases.test.mjs LUMIGRAM_JS LUMIGRAM_CLI
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

import {createCoreHost} from '../../web/src/core_host.js';

const [jsPath, cliPath] = process.argv.slice(2).map((p) => path.resolve(p));
const L = await createRequire(import.meta.url)(jsPath)();
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const table = JSON.parse(fs.readFileSync(path.join(root, 'tests/support/edit_cases.json'), 'utf8'));
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lumigram-edits-'));
process.on('exit', () => fs.rmSync(work, {recursive: true, force: true}));

const hex = (bytes) => Buffer.from(bytes).toString('hex');
const unhex = (text) => new Uint8Array(Buffer.from(text, 'hex'));

// A start package as lumigram-cli packs it. A name that comes again is packed
// under a stand-in of the same length that sorts where it stands (the letter
// before its dot one higher), then given its name back in the bytes.
let packs = 0;
function layOut(members) {
    const folder = path.join(work, `pack${packs++}`);
    fs.mkdirSync(folder);
    const seen = new Set();
    const standIns = [];
    for (const [name, content] of members) {
        let stored = name;
        if (seen.has(name)) {
            const dot = name.lastIndexOf('.');
            stored = name.slice(0, dot - 1) +
                String.fromCharCode(name.charCodeAt(dot - 1) + 1) + name.slice(dot);
            standIns.push([stored, name]);
        }
        seen.add(name);
        fs.writeFileSync(path.join(folder, stored), unhex(content));
    }
    const run = spawnSync(cliPath, ['pack', folder, `${folder}.ezx`]);
    if (run.status !== 0)
        throw new Error(`lumigram-cli pack: ${run.stderr}`);
    let bytes = fs.readFileSync(`${folder}.ezx`);
    if (standIns.length === 0)
        return new Uint8Array(bytes);
    for (const [standIn, name] of standIns)
        bytes = Buffer.from(bytes.toString('latin1').split(standIn).join(name), 'latin1');
    // Saved once, so that the header's sum over the names fits them again.
    const pkg = L.openPackage(new Uint8Array(bytes), 'start.ezx', false);
    try {
        return pkg.save();
    } finally {
        pkg.delete();
    }
}

function membersOf(bytes) {
    const pkg = L.openPackage(bytes, 'after.ezx', false);
    try {
        return pkg.members().map((m, i) => [m.name, hex(pkg.bytes(i))]);
    } finally {
        pkg.delete();
    }
}

// The host as the page's Worker runs it, called as the page calls it.
const replies = new Map();
const host = createCoreHost(L, (message) => {
    if (message.id !== undefined)
        replies.get(message.id)(message);
});
let nextId = 1;
function call(op, args) {
    const id = nextId++;
    return new Promise((resolve, reject) => {
        replies.set(id, (m) => (m.ok ? resolve(m.result) : reject(new Error(m.message))));
        host({id, op, args});
    });
}

// What the page's buttons send for a row.
function steps(row) {
    const file = row.file && {fileName: row.file, bytes: unhex(table.files[row.file])};
    switch (row.edit) {
        case 'replace': return [{op: 'replace', index: row.member, ...file}];
        case 'add': return [{op: 'add', ...file}];
        case 'rename': return [{op: 'rename', index: row.member, to: row.to}];
        case 'delete': return [{op: 'remove', index: row.member}];
    }
    throw new Error(`unknown edit ${row.edit}`);
}

// Rows the CLI cannot carry out say nothing of the members afterwards; by
// position they are the start's with that one member replaced or gone.
function expected(row) {
    if (row.members)
        return row.members;
    const members = table.packages[row.package].map((m) => m.slice());
    if (row.edit === 'delete')
        members.splice(row.member, 1);
    else if (row.edit === 'replace')
        members[row.member][1] = table.files[row.file];
    return members;
}

let failed = 0;
for (const row of table.cases) {
    try {
        const start = layOut(table.packages[row.package]);
        const opened = await call('openPackage', {bytes: start.slice(), name: 'skin.ezx', salvage: false});
        const names = opened.members.map((m) => m.name).join(' ');
        const wanted = table.packages[row.package].map(([name]) => name).join(' ');
        if (names !== wanted)
            throw new Error(`laid out as ${names}, not ${wanted}`);
        await call('edit', {
            steps: steps(row),
            transparency: row.transparency !== false,
            colour: parseInt(row.colour || 'FF00FF', 16),
        });
        const got = JSON.stringify(membersOf(await call('save', {})));
        if (got !== JSON.stringify(expected(row)))
            throw new Error(`members ${got}, expected ${JSON.stringify(expected(row))}`);
        await call('restore', {state: opened.state});
        if (hex(await call('save', {})) !== hex(start))
            throw new Error('undo did not give back the first bytes');
        console.log(`ok    ${row.what}`);
    } catch (error) {
        failed++;
        console.log(`FAIL  ${row.what}: ${error.message}`);
    }
}
await call('closePackage', {});
console.log(`\nedit cases: ${failed} failed out of ${table.cases.length}`);
process.exitCode = failed === 0 ? 0 : 1;
