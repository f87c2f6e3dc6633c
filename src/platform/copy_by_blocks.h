#pragma once

#include <string>

namespace lumigram {

// Copies source to destination in blocks of 4,096 bytes, through the output
// layer: the copy is written whole and then renamed over destination, so a
// failure (which raises IoError) leaves an earlier destination as it was.
// Source and destination being the same file is refused before anything is
// written.
void CopyFileByBlocks(const std::string& source, const std::string& destination);

// Copies source over destination (replacing it through the output layer: written
// whole, then renamed into place). Fire-and-forget, like the platform copy the
// program relies on: a failure raises nothing and leaves an earlier destination
// as it was; the result tells whether the copy was made.
bool CopyFileQuietly(const std::string& source, const std::string& destination);

}  // namespace lumigram
