#include "web/js_bytes.h"

#include <new>
#include <stdexcept>

namespace lumigram::web {

using emscripten::val;

std::vector<std::uint8_t> BytesFrom(const val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

val Uint8ArrayOf(std::span<const std::uint8_t> bytes) {
    // The view is over the module's memory, which may move when it grows; the
    // new array is a copy taken before anything else can allocate.
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(), bytes.data()));
}

val Guarded(const std::function<val()>& work) {
    // A JavaScript exception thrown from inside the module would skip the C++
    // destructors of the frames it crosses, so errors leave as values.
    std::string message;
    try {
        return work();
    } catch (const std::bad_alloc&) {
        message = "out of memory";
    } catch (const std::exception& error) {
        message = error.what();
    }
    return val::global("Error").new_(message);
}

}  // namespace lumigram::web
