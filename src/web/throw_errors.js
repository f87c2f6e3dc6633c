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

function lumigramThrowErrors() {
    // rgbaToSkin's last argument may be left out, which embind alone refuses.
    const rgbaToSkin = Module['rgbaToSkin'];
    Module['rgbaToSkin'] = function(
        rgba, width, height, hasAlpha) { return rgbaToSkin(rgba, width, height, hasAlpha); };
    const functions = ['describe', 'decodeSkin', 'skinToBmp', 'pictureToSkin', 'rgbaToSkin'];
    for (const name of functions.concat(['openPackage'])) {
        Module[name] = lumigramThrowing(Module[name]);
    }
    const methods = Module['Package'].prototype;
    for (const name of ['member', 'bytes', 'put', 'putConverted', 'remove', 'rename', 'save']) {
        methods[name] = lumigramThrowing(methods[name]);
    }
}

const lumigramInitialized = Module['onRuntimeInitialized'];
Module['onRuntimeInitialized'] = function() {
    lumigramThrowErrors();
    if (lumigramInitialized) {
        lumigramInitialized();
    }
};
