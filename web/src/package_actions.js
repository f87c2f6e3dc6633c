// An open package's edits and their undo stack. Every edit goes to the core
// as one request of one or more steps (several dropped files are one step to
// undo); the core keeps each state's members, so undo and redo restore the
// exact bytes of every earlier state. Requests run one after another, so
// rapid edits and undos never overtake each other.

// The member list after the core's changes (see protocol.js's edit).
function applyChanges(members, changes) {
    const list = members.slice();
    for (const {at, removed, inserted} of changes)
        list.splice(at, removed, ...inserted);
    return list;
}

export class PackageSession {
    // listing: the core's answer to openPackage. file: {name, handle, stamp}
    // of where the package came from (handle and stamp null without one).
    constructor(core, file, listing, settings) {
        this.core = core;
        this.file = file;
        this.readOnly = listing.readOnly;
        this.findings = listing.findings ? listing.findings.split('\n').filter(Boolean) : [];
        this.settings = settings;  // () => {transparency, colour}
        this.history = [{label: 'Open', state: listing.state, members: listing.members}];
        this.position = 0;
        // The state the file holds; a salvaged package was never a file.
        this.savedState = this.readOnly ? -1 : listing.state;
        this.queue = Promise.resolve();
        this.onChange = () => {};
    }

    get name() { return this.file.name; }
    get members() { return this.history[this.position].members; }
    get state() { return this.history[this.position].state; }
    get unsaved() { return !this.readOnly && this.state !== this.savedState; }
    get canUndo() { return this.position > 0; }
    get canRedo() { return this.position < this.history.length - 1; }
    get undoLabel() { return this.canUndo ? this.history[this.position].label : ''; }
    get redoLabel() { return this.canRedo ? this.history[this.position + 1].label : ''; }

    // Runs work after every request sent before it.
    serial(work) {
        const run = this.queue.then(work);
        this.queue = run.catch(() => {});
        return run;
    }

    // steps: see protocol.js, or a function of the member list as it stands
    // when the edit's turn comes that gives them (or null: nothing to do);
    // label: what undo names ("Delete m002.k"). Resolves to where each step's
    // member ended up, or null.
    edit(steps, label, transfer) {
        return this.serial(async () => {
            const planned = typeof steps === 'function' ? steps(this.members) : steps;
            if (!planned)
                return null;
            const result = await this.core.call(
                'edit', Object.assign({steps: planned}, this.settings()), transfer);
            const members = applyChanges(this.members, result.changes);
            this.history.splice(this.position + 1);
            this.history.push({label, state: result.state, members});
            // The core lets the oldest states go once they hold too many members.
            const gone = this.history.findIndex((entry) => entry.state >= result.oldest);
            if (gone > 0)
                this.history.splice(0, gone);
            this.position = this.history.length - 1;
            this.onChange();
            return result.touched;
        });
    }

    undo() { return this.move(-1); }
    redo() { return this.move(1); }

    move(by) {
        return this.serial(async () => {
            const to = this.position + by;
            if (to < 0 || to >= this.history.length)
                return false;
            await this.core.call('restore', {state: this.history[to].state});
            this.position = to;
            this.onChange();
            return true;
        });
    }

    // {bytes, state}: the whole package as it stands, for a save or a
    // download, and the state they hold.
    bytes() {
        return this.serial(async () => ({bytes: await this.core.call('save', {}), state: this.state}));
    }

    // The file now holds state (bytes() told which).
    markSaved(file, state) {
        this.file = file;
        this.savedState = state;
        this.onChange();
    }
}
