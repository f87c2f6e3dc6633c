#pragma once

#include <string>

namespace lumigram {

// Copies source to destination in blocks of 4,096 bytes, creating or emptying
// destination. Every failure raises IoError. Source and destination being the
// same file is refused before anything is opened for writing: emptying the
// destination would empty the source.
void CopyFileByBlocks(const std::string& source, const std::string& destination);

}  // namespace lumigram
