// The module's functions hand errors back as Error values rather than throwing
// them through the WebAssembly frames (which would skip their clean-up); here
// they become ordinary exceptions once the runtime is up.
function lumigramThrowing(raw) {
    return function() {
        const result = raw.apply(this, arguments);
        if (result instanceof Error) {
            throw result;
        }
        return result;
    };
}

// Arguments are checked before they reach embind, which would otherwise read
// an ArrayBuffer or a plain object as no bytes, a string as bytes, wrap a large
// number and name its own types in its refusals.
function lumigramBytes(value, what) {
    if (value instanceof Uint8Array) {
        return value;
    }
    if (value instanceof ArrayBuffer) {
        return new Uint8Array(value);
    }
    throw new Error(what + ' must be a Uint8Array or an ArrayBuffer');
}

function lumigramName(value, what) {
    if (typeof value !== 'string') {
        throw new Error(what + ' must be a string');
    }
    return value;
}

function lumigramWhole(value, what) {
    if (!Number.isInteger(value) || value < 0 || value > 0xFFFFFFFF) {
        throw new Error(what + ' must be a whole number from 0 to 4294967295');
    }
    return value;
}

// Flags keep JavaScript's truth, as embind gives them.
function lumigramAsIs(value) { return value; }

// [{name, bytes}], each checked as a name and bytes are.
function lumigramFiles(value, what) {
    if (!Array.isArray(value)) {
        throw new Error(what + ' must be an array of {name, bytes}');
    }
    return value.map(function(file, i) {
        const where = what + '[' + i + ']';
        if (file === null || typeof file !== 'object') {
            throw new Error(where + ' must be {name, bytes}');
        }
        return {name: lumigramName(file.name, where + '.name'),
                bytes: lumigramBytes(file.bytes, where + '.bytes')};
    });
}

// Transparency options left out are the CLI's defaults: on, magenta.
function lumigramTransparency(value) { return value === undefined ? true : value; }

function lumigramColour(value, what) {
    return value === undefined ? 0xFF00FF : lumigramWhole(value, what);
}

// Each entry: the argument checks, in order; the last argument of rgbaToSkin
// may be left out, which embind alone refuses.
const lumigramFunctions = {
    'describe': [lumigramBytes, lumigramName],
    'decodeSkin': [lumigramBytes, lumigramName, lumigramAsIs, lumigramWhole],
    'skinToBmp': [lumigramBytes, lumigramName, lumigramTransparency, lumigramColour],
    'skinToPng': [lumigramBytes, lumigramName, lumigramTransparency, lumigramColour],
    'pictureToSkin': [lumigramBytes, lumigramName, lumigramTransparency, lumigramColour],
    'rgbaToSkin': [lumigramBytes, lumigramWhole, lumigramWhole, lumigramAsIs,
        lumigramTransparency, lumigramColour],
    'openPackage': [lumigramBytes, lumigramName, lumigramAsIs],
};
const lumigramMethods = {
    'member': [lumigramWhole],
    'bytes': [lumigramWhole],
    'members': [],
    'put': [lumigramName, lumigramBytes],
    'putConverted': [lumigramName, lumigramBytes, lumigramTransparency, lumigramColour],
    'replace': [lumigramWhole, lumigramBytes],
    'planIntake': [lumigramFiles],
    'planReplacement': [lumigramWhole, lumigramName, lumigramBytes],
    'remove': [lumigramWhole],
    'rename': [lumigramWhole, lumigramName],
    'checkpoint': [],
    'restore': [lumigramWhole],
    'save': [],
};
const lumigramArgumentNames = {
    'describe': ['bytes', 'name'],
    'decodeSkin': ['bytes', 'name', 'transparency', 'colour'],
    'skinToBmp': ['bytes', 'name', 'transparency', 'colour'],
    'skinToPng': ['bytes', 'name', 'transparency', 'colour'],
    'pictureToSkin': ['bytes', 'name', 'transparency', 'colour'],
    'rgbaToSkin': ['rgba', 'width', 'height', 'hasAlpha', 'transparency', 'colour'],
    'openPackage': ['bytes', 'name', 'salvage'],
    'member': ['index'],
    'bytes': ['index'],
    'members': [],
    'put': ['name', 'bytes'],
    'putConverted': ['name', 'bytes', 'transparency', 'colour'],
    'replace': ['index', 'bytes'],
    'planIntake': ['files'],
    'planReplacement': ['index', 'fileName', 'bytes'],
    'remove': ['index'],
    'rename': ['index', 'newName'],
    'checkpoint': [],
    'restore': ['state'],
    'save': [],
};

function lumigramChecked(name, checks, raw) {
    const names = lumigramArgumentNames[name];
    return lumigramThrowing(function() {
        const args = [];
        for (let i = 0; i < checks.length; ++i) {
            args.push(checks[i](arguments[i], name + ': ' + names[i]));
        }
        return raw.apply(this, args);
    });
}

function lumigramThrowErrors() {
    for (const name of Object.keys(lumigramFunctions)) {
        Module[name] = lumigramChecked(name, lumigramFunctions[name], Module[name]);
    }
    const methods = Module['Package'].prototype;
    for (const name of Object.keys(lumigramMethods)) {
        methods[name] = lumigramChecked(name, lumigramMethods[name], methods[name]);
    }
}

const lumigramInitialized = Module['onRuntimeInitialized'];
Module['onRuntimeInitialized'] = function() {
    lumigramThrowErrors();
    if (lumigramInitialized) {
        lumigramInitialized();
    }
};
