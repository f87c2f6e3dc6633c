// The page's view of the core, through embind rather than a C API of
// EMSCRIPTEN_KEEPALIVE functions: byte arrays cross as Uint8Arrays
// (typed_memory_view, no hand-written malloc/free and length pairs), results as
// plain objects, and an open package is a class with .delete() that owns its
// in-memory files. Errors cross as Error values (js_bytes.h).
#include <emscripten/bind.h>

#include "web/picture_functions.h"
#include "web/web_package.h"

EMSCRIPTEN_BINDINGS(lumigram) {
    using namespace lumigram::web;
    emscripten::function("describe", &Describe);
    emscripten::function("decodeSkin", &DecodeSkin);
    emscripten::function("skinToBmp", &SkinToBmp);
    emscripten::function("skinToPng", &SkinToPng);
    emscripten::function("pictureToSkin", &PictureToSkin);
    emscripten::function("rgbaToSkin", &RgbaToSkin);
    emscripten::function("openPackage", &WebPackage::Open);
    emscripten::class_<WebPackage>("Package")
        .function("size", &WebPackage::size)
        .function("member", &WebPackage::member)
        .function("members", &WebPackage::members)
        .function("bytes", &WebPackage::bytes)
        .function("put", &WebPackage::put)
        .function("putConverted", &WebPackage::putConverted)
        .function("replace", &WebPackage::replace)
        .function("planIntake", &WebPackage::planIntake)
        .function("planReplacement", &WebPackage::planReplacement)
        .function("remove", &WebPackage::remove)
        .function("rename", &WebPackage::rename)
        .function("checkpoint", &WebPackage::checkpoint)
        .function("restore", &WebPackage::restore)
        .function("oldest", &WebPackage::oldest)
        .function("save", &WebPackage::save)
        .function("findings", &WebPackage::findings);
}
