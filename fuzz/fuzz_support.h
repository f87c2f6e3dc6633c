#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lumigram::fuzz {

// A private folder for one fuzzing process (under TMPDIR), made on first use and
// reused by every input; removed when the process ends normally.
const std::string& WorkFolder();

// Writes the input to a file in the work folder and returns its path.
std::string WriteInput(const std::uint8_t* data, std::size_t size, const char* name);

// Stops the process with a message: a property of the harness does not hold.
[[noreturn]] void Fail(const std::string& what);

// Size of a file, or -1 when it does not exist.
long long SizeOf(const std::string& path);

// A BMP of the given shape with a plain 54-byte header and zeroed pixel rows
// (bottom-up, or top-down with a negative height), for the harness and the
// corpus generator to fill in.
std::vector<std::uint8_t> BlankBmp(int width, int height, int bitCount, bool topDown = false);

}  // namespace lumigram::fuzz
