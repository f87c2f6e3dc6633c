#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include <emscripten/val.h>

namespace lumigram::web {

// A Uint8Array (or any array of numbers) copied into the module's memory.
std::vector<std::uint8_t> BytesFrom(const emscripten::val& array);

// A new Uint8Array holding a copy of bytes, owned by JavaScript.
emscripten::val Uint8ArrayOf(std::span<const std::uint8_t> bytes);

// Runs work and returns what it returns. An error it raises comes back as a
// JavaScript Error value carrying the message the CLI prints after the file's
// name (never thrown across the module's boundary: throw_errors.js throws it).
emscripten::val Guarded(const std::function<emscripten::val()>& work);

}  // namespace lumigram::web
