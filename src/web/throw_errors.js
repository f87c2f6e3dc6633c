// The module's functions hand errors back as Error values rather than throwing
// them through the WebAssembly frames (which would skip their clean-up); here
// they become ordinary exceptions once the runtime is up.
(function () {
  var previous = Module['onRuntimeInitialized'];
  Module['onRuntimeInitialized'] = function () {
    function throwing(raw) {
      return function () {
        var result = raw.apply(this, arguments);
        if (result instanceof Error) {
          throw result;
        }
        return result;
      };
    }
    // Its last argument may be left out, which embind alone would refuse.
    var rgbaToSkin = Module['rgbaToSkin'];
    Module['rgbaToSkin'] = function (rgba, width, height, hasAlpha) {
      return rgbaToSkin(rgba, width, height, hasAlpha);
    };
    ['describe', 'decodeSkin', 'skinToBmp', 'pictureToSkin', 'rgbaToSkin', 'openPackage']
        .forEach(function (name) { Module[name] = throwing(Module[name]); });
    var methods = Module['Package'].prototype;
    ['member', 'bytes', 'put', 'putConverted', 'remove', 'rename', 'save']
        .forEach(function (name) { methods[name] = throwing(methods[name]); });
    if (previous) {
      previous();
    }
  };
})();
