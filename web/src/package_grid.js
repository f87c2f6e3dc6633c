// A package's members as a grid of cells. Only the rows in view and a margin
// around them exist in the DOM, so a package of 65,536 members scrolls, edits
// and undoes as fast as one of ten. Thumbnails come from the core for the cells
// in view and are kept, by the id of the member's content, for the most
// recently shown.

const kMarginRows = 3;
const kMostThumbnails = 1500;

function label(text) {
    const div = document.createElement('div');
    div.className = 'label';
    div.textContent = text;
    return div;
}

const plural = (n, what) => `${n} ${what}${n === 1 ? '' : 's'}`;

export class PackageGrid {
    // grid: the listbox element. requestThumbnails(indices) asks the core;
    // onSelect(index) is told of every change of the selected member.
    // onFilled() is told each time every thumbnail in view is drawn.
    constructor(grid, {requestThumbnails, onSelect, onFilled}) {
        this.grid = grid;
        this.sizer = document.createElement('div');
        this.sizer.className = 'grid-sizer';
        this.sizer.setAttribute('aria-hidden', 'true');
        this.requestThumbnails = requestThumbnails;
        this.onSelect = onSelect;
        this.onFilled = onFilled;
        this.members = [];
        this.cells = new Map();  // index -> cell element
        this.thumbs = new Map(); // member id -> {element, dims}
        this.wanted = new Set(); // ids asked of the core and not come yet
        this.selected = -1;
        this.layout = {columns: 1, rowHeight: 100, cellWidth: 100, thumb: undefined};
        this.thumbTimer = 0;
        this.frame = 0;
        grid.addEventListener('scroll', () => this.schedule(), {passive: true});
        new ResizeObserver(() => this.schedule(true)).observe(grid);
    }

    clear() {
        this.members = [];
        this.selected = -1;
        this.forgetThumbnails();
        this.render(true);
    }

    // Thumbnails drawn in other settings (the transparency colour) are stale.
    forgetThumbnails() {
        this.thumbs.clear();
        this.wanted.clear();
        for (const cell of this.cells.values())
            delete cell.dataset.shows;
        this.schedule();
    }

    setMembers(members) {
        this.members = members;
        if (this.selected >= members.length)
            this.selected = members.length - 1;
        this.render(true);
    }

    schedule(relayout = false) {
        this.relayout = this.relayout || relayout;
        if (this.frame)
            return;
        this.frame = requestAnimationFrame(() => {
            this.frame = 0;
            this.render(this.relayout);
        });
    }

    measure() {
        const style = getComputedStyle(this.grid);
        const minWidth = parseFloat(style.getPropertyValue('--cell-min')) || 120;
        const rowHeight = parseFloat(style.getPropertyValue('--row-height')) || 140;
        const thumb = parseFloat(style.getPropertyValue('--thumb')) || 96;
        const width = this.grid.clientWidth;
        const columns = Math.max(1, Math.floor(width / minWidth));
        if (this.layout.thumb !== undefined && thumb !== this.layout.thumb)
            this.forgetThumbnails();  // drawn for another cell size
        this.layout = {columns, rowHeight, cellWidth: width / columns, thumb};
    }

    render(relayout = false) {
        this.relayout = false;
        if (relayout)
            this.measure();
        const {columns, rowHeight} = this.layout;
        const count = this.members.length;
        const rows = Math.ceil(count / columns);
        this.sizer.style.height = `${rows * rowHeight}px`;
        if (this.sizer.parentNode !== this.grid)
            this.grid.replaceChildren(this.sizer);
        const top = this.grid.scrollTop;
        const first = Math.max(0, Math.floor(top / rowHeight) - kMarginRows) * columns;
        const last = Math.min(
            count, (Math.ceil((top + this.grid.clientHeight) / rowHeight) + kMarginRows) * columns);
        const focused = document.activeElement && document.activeElement.parentNode === this.grid ?
            Number(document.activeElement.dataset.index) :
            -1;
        // Cells out of range are taken for the cells coming into it (moving a
        // cell costs less than making one), never the focused one (focus
        // would be lost); those left over go.
        const spare = [];
        for (const [index, cell] of this.cells) {
            if ((index < first || index >= last || index >= count) && index !== focused) {
                spare.push(cell);
                this.cells.delete(index);
            }
        }
        for (let i = first; i < last; ++i)
            this.fill(i, relayout, spare);
        if (focused >= 0 && focused < count)
            this.fill(focused, relayout, spare);
        for (const cell of spare)
            cell.remove();
        this.grid.tabIndex = count > 0 ? -1 : 0;
        this.askThumbnails(first, last);
    }

    // The cell of member i, made or brought in line with the member.
    fill(i, relayout, spare = []) {
        const member = this.members[i];
        let cell = this.cells.get(i);
        if (!cell) {
            cell = spare.pop();
            if (!cell) {
                cell = this.makeCell();
                this.grid.appendChild(cell);
            }
            this.cells.set(i, cell);
            relayout = true;
        }
        if (relayout || cell.dataset.index !== String(i)) {
            const {columns, rowHeight, cellWidth} = this.layout;
            cell.style.transform =
                `translate(${(i % columns) * cellWidth}px, ${Math.floor(i / columns) * rowHeight}px)`;
            cell.style.width = `${cellWidth}px`;
            cell.style.height = `${rowHeight}px`;
            cell.dataset.index = i;
            // Only some cells exist: each says where it stands among all.
            cell.setAttribute('aria-posinset', String(i + 1));
        }
        if (cell.getAttribute('aria-setsize') !== String(this.members.length))
            cell.setAttribute('aria-setsize', String(this.members.length));
        if (cell.dataset.id !== String(member.id) || cell.dataset.name !== member.name) {
            cell.dataset.id = member.id;
            cell.dataset.name = member.name;
            cell.title = member.shown;
            cell.parts.name.textContent = member.shown;
            cell.parts.size.textContent = plural(member.size, 'byte');
            delete cell.dataset.shows;
        }
        if (cell.dataset.shows !== String(member.id))
            this.showThumbnail(cell, member);
        const selected = i === this.selected;
        if (cell.getAttribute('aria-selected') !== String(selected)) {
            cell.setAttribute('aria-selected', String(selected));
            cell.tabIndex = selected ? 0 : -1;
        }
        if (this.selected < 0 && i === 0)
            cell.tabIndex = 0;
    }

    makeCell() {
        const cell = document.createElement('div');
        cell.className = 'cell';
        cell.setAttribute('role', 'option');
        cell.tabIndex = -1;
        const thumb = document.createElement('div');
        thumb.className = 'thumb';
        const text = document.createElement('div');
        text.className = 'text';
        cell.parts = {thumb};
        for (const part of ['name', 'size', 'dims']) {
            const span = document.createElement('span');
            span.className = part;
            text.appendChild(span);
            cell.parts[part] = span;
        }
        cell.append(thumb, text);
        return cell;
    }

    showThumbnail(cell, member) {
        const {thumb, dims} = cell.parts;
        const kept = this.thumbs.get(member.id);
        if (kept) {
            // Most recently shown last, so the oldest go first.
            this.thumbs.delete(member.id);
            this.thumbs.set(member.id, kept);
            thumb.replaceChildren(kept.element);
            dims.textContent = kept.dims;
            cell.dataset.shows = member.id;
        } else if (member.kind === 'k' || member.kind === 'g') {
            thumb.replaceChildren();
            dims.textContent = '';
        } else {
            thumb.replaceChildren(label(member.kind === 'a' ? '.a' : '?'));
            dims.textContent = '';
            cell.dataset.shows = member.id;
        }
    }

    // The thumbnails missing in view, asked for once the scrolling settles.
    askThumbnails(first, last) {
        const missing = [];
        for (let i = first; i < last; ++i) {
            const m = this.members[i];
            if ((m.kind === 'k' || m.kind === 'g') && !this.thumbs.has(m.id) &&
                !this.wanted.has(m.id))
                missing.push(i);
        }
        this.setComplete(missing.length === 0 && this.wanted.size === 0);
        if (missing.length === 0)
            return;
        clearTimeout(this.thumbTimer);
        this.thumbTimer = setTimeout(() => {
            // A new request ends the core's older run: all that is missing now.
            this.wanted.clear();
            const {columns, rowHeight} = this.layout;
            const top = this.grid.scrollTop;
            const from = Math.max(0, Math.floor(top / rowHeight) - kMarginRows) * columns;
            const to = Math.min(this.members.length,
                (Math.ceil((top + this.grid.clientHeight) / rowHeight) + kMarginRows) * columns);
            const indices = [];
            for (let i = from; i < to; ++i) {
                const m = this.members[i];
                if ((m.kind === 'k' || m.kind === 'g') && !this.thumbs.has(m.id)) {
                    indices.push(i);
                    this.wanted.add(m.id);
                }
            }
            if (indices.length > 0)
                this.requestThumbnails(indices);
            else
                this.setComplete(true);
        }, 40);
    }

    setComplete(complete) {
        const was = this.grid.dataset.complete;
        this.grid.dataset.complete = String(complete);
        if (complete && was !== 'true')
            this.onFilled();
    }

    // A batch of thumbnails from the core (protocol.js's thumbs event).
    takeThumbnails(message) {
        for (const item of message.items) {
            this.wanted.delete(item.id);
            const entry = this.drawThumbnail(item);
            this.thumbs.set(item.id, entry);
            const member = this.members[item.index];
            const cell = this.cells.get(item.index);
            if (member && member.id === item.id && cell)
                this.showThumbnail(cell, member);
        }
        while (this.thumbs.size > kMostThumbnails)
            this.thumbs.delete(this.thumbs.keys().next().value);
        if (message.done === message.total) {
            this.wanted.clear();
            this.schedule();
        }
    }

    drawThumbnail(item) {
        if (item.error !== undefined) {
            const div = label('!');
            div.title = item.error;
            return {element: div, dims: ''};
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
            const [width, height] = item.dims.split(' × ').map(Number);
            this.fit(canvas, width, height);
            return {element: canvas, dims: item.dims};
        }
        // A ".g" member's GIF or PNG, drawn by the browser from its bytes.
        const img = document.createElement('img');
        img.alt = '';
        img.className = 'checkered';
        const entry = {element: img, dims: ''};
        const url = URL.createObjectURL(new Blob([item.bytes]));
        img.onload = () => {
            URL.revokeObjectURL(url);
            entry.dims = `${img.naturalWidth} × ${img.naturalHeight}`;
            this.fit(img, img.naturalWidth, img.naturalHeight);
            const cell = img.closest('.cell');
            if (cell)
                cell.querySelector('.dims').textContent = entry.dims;
        };
        img.onerror = () => {
            URL.revokeObjectURL(url);
            entry.element = label('?');
            img.replaceWith(entry.element);
        };
        img.src = url;
        return entry;
    }

    // Every thumbnail at its own size, one pixel a pixel, and only a picture
    // larger than the cell's square shrunk to fit it: sizes compare at a glance.
    fit(element, width, height) {
        const side = this.layout.thumb || 96;
        const scale = Math.min(1, side / Math.max(width, height, 1));
        element.style.width = `${Math.max(1, Math.round(width * scale))}px`;
        element.style.height = `${Math.max(1, Math.round(height * scale))}px`;
    }

    // ---- Selection and focus ------------------------------------------------

    select(index, {focus = false} = {}) {
        if (index < 0 || index >= this.members.length)
            return;
        const changed = index !== this.selected;
        this.selected = index;
        for (const [i, cell] of this.cells) {
            cell.setAttribute('aria-selected', String(i === index));
            cell.tabIndex = i === index ? 0 : -1;
        }
        this.scrollTo(index);
        this.render();
        const cell = this.cells.get(index);
        if (focus && cell)
            cell.focus({preventScroll: true});
        if (changed)
            this.onSelect(index);
    }

    scrollTo(index) {
        const {columns, rowHeight} = this.layout;
        const top = Math.floor(index / columns) * rowHeight;
        if (top < this.grid.scrollTop) {
            this.grid.scrollTop = top;
        } else if (top + rowHeight > this.grid.scrollTop + this.grid.clientHeight) {
            this.grid.scrollTop = top + rowHeight - this.grid.clientHeight;
        }
    }

    // The arrow keys, Page Up and Down, Home and End move the selection.
    move(key) {
        const {columns, rowHeight} = this.layout;
        const page = Math.max(1, Math.floor(this.grid.clientHeight / rowHeight)) * columns;
        const at = Math.max(0, this.selected);
        const moves = {
            ArrowLeft: -1,
            ArrowRight: 1,
            ArrowUp: -columns,
            ArrowDown: columns,
            PageUp: -page,
            PageDown: page,
            Home: -Infinity,
            End: Infinity,
        };
        if (!(key in moves))
            return false;
        const to = this.selected < 0 && key !== 'End' ? 0 :
            Math.min(this.members.length - 1, Math.max(0, at + moves[key]));
        this.select(to, {focus: true});
        return true;
    }

    focus() {
        const cell = this.cells.get(Math.max(0, this.selected));
        if (cell)
            cell.focus({preventScroll: true});
    }

    indexOf(element) {
        const cell = element && element.closest ? element.closest('.cell') : null;
        return cell && cell.parentNode === this.grid ? Number(cell.dataset.index) : -1;
    }
}
