// The messages between the page and the core (a Worker, or the page itself
// where no Worker can start). Both sides check every message against the
// shapes below, so a mistake on either side is named where it happens instead
// of showing up later as a wrong picture.
//
// page → core:  {id, op, args}
// core → page:  {id, ok: true, result} | {id, ok: false, message}
//               {event: 'ready'} | {event: 'failed', message}
//               {event: 'thumbs', run, items, done, total}

// ---- Shapes: each a function (value, where) → '' or what is wrong ----------

const is = (test, what) => (value, where) => (test(value) ? '' : `${where} must be ${what}`);

export const T = {
    bytes: is((v) => v instanceof Uint8Array, 'a Uint8Array'),
    string: is((v) => typeof v === 'string', 'a string'),
    bool: is((v) => typeof v === 'boolean', 'true or false'),
    int: is((v) => Number.isInteger(v) && v >= 0 && v <= 0xffffffff, 'a whole number'),
    nothing: is((v) => v === undefined || v === null, 'absent'),
    optional: (shape) => (v, where) => (v === undefined ? '' : shape(v, where)),
    arrayOf: (shape) => (v, where) => {
        if (!Array.isArray(v))
            return `${where} must be an array`;
        for (let i = 0; i < v.length; ++i) {
            const wrong = shape(v[i], `${where}[${i}]`);
            if (wrong)
                return wrong;
        }
        return '';
    },
    object: (fields) => (v, where) => {
        if (v === null || typeof v !== 'object' || Array.isArray(v))
            return `${where} must be an object`;
        for (const [name, shape] of Object.entries(fields)) {
            const wrong = shape(v[name], `${where}.${name}`);
            if (wrong)
                return wrong;
        }
        return '';
    },
    // An object told apart by one field's value: {op: 'remove', ...}.
    tagged: (tag, variants) => (v, where) => {
        const shape = v && typeof v === 'object' ? variants[v[tag]] : undefined;
        if (!shape)
            return `${where}.${tag} must be one of ${Object.keys(variants).join(', ')}`;
        return shape(v, where);
    },
};

const colour = T.int;
const picture = {bytes: T.bytes, name: T.string};
const withSettings = {...picture, transparency: T.bool, colour};

export const memberShape = T.object({
    name: T.string,  // as stored, for messages and file names
    shown: T.string, // as the CLI shows it: control characters escaped
    size: T.int,
    kind: T.string,  // 'k', 'g', 'a' or 'other'
    id: T.int,       // its content: a new id whenever its bytes change
});

// A change to the member list: at `at`, `removed` members out, `inserted` in.
const change = T.object({at: T.int, removed: T.int, inserted: T.arrayOf(memberShape)});

const step = T.tagged('op', {
    replace: T.object({index: T.int, fileName: T.string, bytes: T.bytes}),
    add: T.object({fileName: T.string, bytes: T.bytes}),
    remove: T.object({index: T.int}),
    rename: T.object({index: T.int, to: T.string}),
});

export const requests = {
    describe: {
        args: T.object(picture),
        result: T.object({
            kind: T.string,
            width: T.int,
            height: T.int,
            bits: T.int,
            alpha: T.bool,
            refusal: T.string,  // why convert would refuse it before reading a pixel, or ''
        }),
    },
    decodeSkin: {
        args: T.object(withSettings),
        result: T.object({
            width: T.int,
            height: T.int,
            bits: T.int,
            hasMask: T.bool,
            rgba: T.bytes,
        }),
    },
    skinToBmp: {args: T.object(withSettings), result: T.bytes},
    skinToPng: {args: T.object(withSettings), result: T.bytes},
    pictureToSkin: {args: T.object(withSettings), result: T.bytes},
    openPackage: {
        args: T.object({...picture, salvage: T.bool}),
        result: T.object({
            members: T.arrayOf(memberShape),
            readOnly: T.bool,
            findings: T.string,
            state: T.int,
        }),
    },
    closePackage: {args: T.object({}), result: T.nothing},
    // How many members a salvage would open, without keeping it open.
    intactMembers: {args: T.object(picture), result: T.int},
    memberBytes: {args: T.object({index: T.int}), result: T.bytes},
    thumbnails: {
        args: T.object({indices: T.arrayOf(T.int), transparency: T.bool, colour}),
        result: T.object({run: T.int}),
    },
    // Several steps as one: all of them or, when one is refused, none.
    edit: {
        args: T.object({steps: T.arrayOf(step), transparency: T.bool, colour}),
        result: T.object({
            state: T.int,
            oldest: T.int,
            changes: T.arrayOf(change),
            // Where each step's member ended up (a removed one: where it was).
            touched: T.arrayOf(T.int),
        }),
    },
    restore: {args: T.object({state: T.int}), result: T.object({state: T.int})},
    save: {args: T.object({}), result: T.bytes},
};

const thumbItem = T.object({
    index: T.int,
    id: T.int,
    kind: T.string,
    width: T.optional(T.int),
    height: T.optional(T.int),
    rgba: T.optional(T.bytes),
    dims: T.optional(T.string),
    bytes: T.optional(T.bytes),
    error: T.optional(T.string),
});

export const events = {
    ready: T.object({}),
    failed: T.object({message: T.string}),
    thumbs: T.object({run: T.int, items: T.arrayOf(thumbItem), done: T.int, total: T.int}),
};

function fail(wrong) {
    if (wrong)
        throw new Error(`protocol: ${wrong}`);
}

// The core's check of a request before it runs.
export function checkRequest(message) {
    fail(T.object({id: T.int, op: T.string})(message, 'request'));
    const request = requests[message.op];
    fail(request ? '' : `request.op: unknown request ${message.op}`);
    fail(request.args(message.args, `${message.op}.args`));
}

// The page's check of a request before it is sent.
export function checkArgs(op, args) {
    const request = requests[op];
    fail(request ? '' : `unknown request ${op}`);
    fail(request.args(args, `${op}.args`));
}

// The page's check of what came back, and the core's before it answers.
export function checkResult(op, result) { fail(requests[op].result(result, `${op}.result`)); }

export function checkEvent(message) {
    const shape = events[message.event];
    fail(shape ? '' : `unknown event ${message.event}`);
    const {event: _event, ...fields} = message;
    fail(shape(fields, message.event));
}

// A reply, told apart from an event by its id.
export function checkReply(message) {
    fail(T.object({id: T.int, ok: T.bool})(message, 'reply'));
    if (!message.ok)
        fail(T.string(message.message, 'reply.message'));
}

// The buffers of a message's byte arrays, to transfer rather than copy.
export function transfers(value, found = []) {
    if (value instanceof Uint8Array) {
        if (value.byteLength === value.buffer.byteLength && !found.includes(value.buffer))
            found.push(value.buffer);
    } else if (Array.isArray(value)) {
        value.forEach((v) => transfers(v, found));
    } else if (value && typeof value === 'object') {
        Object.values(value).forEach((v) => transfers(v, found));
    }
    return found;
}
