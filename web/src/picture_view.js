// The picture panel's stage: a ".k" drawn from the core's pixels, or a BMP,
// PNG or GIF drawn by the browser, zoomed by the menu, the wheel or a pinch
// and moved by dragging, its pixels kept square and sharp.

const kMinZoom = 1 / 16;
const kMaxZoom = 64;

export class PictureView {
    // stage: the element the picture is drawn in; zoomSelect: the zoom menu
    // (1, 2, 4, 8 or "fit", and "custom" for a wheel's or a pinch's zoom).
    constructor({stage, canvas, image, noPreview, zoomSelect}) {
        Object.assign(this, {stage, canvas, image, noPreview, zoomSelect});
        this.shown = null;  // the canvas or the image, whichever shows
        this.zoom = 1;
        this.x = 0;
        this.y = 0;
        this.pointers = new Map();
        zoomSelect.addEventListener('change', () => this.applyZoomChoice());
        stage.addEventListener('wheel', (e) => this.onWheel(e), {passive: false});
        stage.addEventListener('pointerdown', (e) => this.onPointerDown(e));
        stage.addEventListener('pointermove', (e) => this.onPointerMove(e));
        for (const type of ['pointerup', 'pointercancel', 'pointerleave'])
            stage.addEventListener(type, (e) => this.pointers.delete(e.pointerId));
        stage.addEventListener('dblclick', () => {
            zoomSelect.value = zoomSelect.value === 'fit' ? '1' : 'fit';
            this.applyZoomChoice();
        });
        new ResizeObserver(() => {
            if (this.zoomSelect.value === 'fit')
                this.applyZoomChoice();
        }).observe(stage);
    }

    // pixels: {width, height, rgba} of a ".k", straight alpha.
    drawPixels(pixels) {
        const canvas = this.canvas;
        canvas.width = pixels.width;
        canvas.height = pixels.height;
        if (pixels.width > 0 && pixels.height > 0) {
            const rgba = pixels.rgba;
            canvas.getContext('2d').putImageData(
                new ImageData(new Uint8ClampedArray(rgba.buffer, rgba.byteOffset, rgba.length),
                              pixels.width, pixels.height),
                0, 0);
        }
        this.showOnly(canvas);
    }

    // A picture the browser draws itself; resolves once it is decoded.
    async drawImage(bytes, type) {
        if (this.imageUrl)
            URL.revokeObjectURL(this.imageUrl);
        this.imageUrl = URL.createObjectURL(new Blob([bytes], {type}));
        this.image.src = this.imageUrl;
        this.showOnly(this.image);
        await this.image.decode().catch(() => {});
        this.applyZoomChoice();
        return {width: this.image.naturalWidth, height: this.image.naturalHeight};
    }

    drawNothing() { this.showOnly(null); }

    showOnly(element) {
        const keepView = this.shown === element && element !== null;
        this.canvas.hidden = element !== this.canvas;
        this.image.hidden = element !== this.image;
        this.noPreview.hidden = element !== null;
        this.shown = element;
        if (!keepView || this.zoomSelect.value === 'fit')
            this.applyZoomChoice();
        else
            this.place();
    }

    size() {
        if (this.shown === this.canvas)
            return {width: this.canvas.width, height: this.canvas.height};
        if (this.shown === this.image)
            return {width: this.image.naturalWidth, height: this.image.naturalHeight};
        return {width: 0, height: 0};
    }

    // The menu's zoom, the picture centred.
    applyZoomChoice() {
        const {width, height} = this.size();
        const roomWidth = Math.max(1, this.stage.clientWidth - 16);
        const roomHeight = Math.max(1, this.stage.clientHeight - 16);
        const choice = this.zoomSelect.value;
        if (choice === 'fit') {
            // As large as the stage allows, in whole steps while the picture is
            // smaller than the stage, so that its pixels stay even.
            const fits = Math.min(roomWidth / Math.max(1, width), roomHeight / Math.max(1, height));
            this.zoom = fits >= 1 ? Math.floor(fits) : fits;
        } else if (choice !== 'custom') {
            this.zoom = Number(choice);
        }
        this.x = (this.stage.clientWidth - width * this.zoom) / 2;
        this.y = (this.stage.clientHeight - height * this.zoom) / 2;
        this.place();
    }

    // Sized rather than scaled, so that the checkerboard behind the picture
    // keeps its squares at every zoom.
    place() {
        const {width, height} = this.size();
        for (const element of [this.canvas, this.image]) {
            element.style.transform = `translate(${this.x}px, ${this.y}px)`;
            element.style.width = `${width * this.zoom}px`;
            element.style.height = `${height * this.zoom}px`;
        }
        this.stage.dataset.zoom = String(this.zoom);
    }

    // Zooms by factor around the stage's point (px, py).
    zoomAt(factor, px, py) {
        const zoom = Math.min(kMaxZoom, Math.max(kMinZoom, this.zoom * factor));
        if (zoom === this.zoom)
            return;
        this.x = px - ((px - this.x) * zoom) / this.zoom;
        this.y = py - ((py - this.y) * zoom) / this.zoom;
        this.zoom = zoom;
        const custom = this.zoomSelect.querySelector('option[value=custom]');
        custom.textContent = `${Math.round(zoom * 100)}%`;
        this.zoomSelect.value = 'custom';
        this.place();
    }

    onWheel(e) {
        if (!this.shown)
            return;
        e.preventDefault();
        const box = this.stage.getBoundingClientRect();
        // A trackpad's pinch arrives as a wheel with Ctrl held, in finer steps.
        const step = e.ctrlKey ? 0.01 : 0.002;
        this.zoomAt(Math.exp(-e.deltaY * step), e.clientX - box.left, e.clientY - box.top);
    }

    onPointerDown(e) {
        if (!this.shown)
            return;
        this.stage.setPointerCapture(e.pointerId);
        this.pointers.set(e.pointerId, {x: e.clientX, y: e.clientY});
    }

    onPointerMove(e) {
        const last = this.pointers.get(e.pointerId);
        if (!last)
            return;
        const now = {x: e.clientX, y: e.clientY};
        if (this.pointers.size === 2) {
            // A pinch: the two fingers' distance scales, their middle moves.
            const [other] = [...this.pointers].filter(([id]) => id !== e.pointerId).map(([, p]) => p);
            const before = Math.hypot(last.x - other.x, last.y - other.y);
            const after = Math.hypot(now.x - other.x, now.y - other.y);
            const box = this.stage.getBoundingClientRect();
            if (before > 0) {
                this.zoomAt(after / before, (now.x + other.x) / 2 - box.left,
                            (now.y + other.y) / 2 - box.top);
            }
        } else if (this.pointers.size === 1) {
            this.x += now.x - last.x;
            this.y += now.y - last.y;
            this.place();
        }
        this.pointers.set(e.pointerId, now);
    }
}
