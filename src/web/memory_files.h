#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/temporary_folder.h"

namespace lumigram::web {

// A private folder of the module's in-memory file system, for the files one call
// or one open package works on, so that the path-based core does the work.
// Removed with its files when the object goes away.
class MemoryFolder {
  public:
    // A file holding bytes, named as the user's file was (its last path part),
    // in a folder of its own so that no two inputs meet; returns its path.
    std::string Put(const std::string& name, std::span<const std::uint8_t> bytes);
    // A stand-in for bytes, for checks that read only a file's first bytes and
    // its size (what a file holds, whether its header fits it): a file as long
    // as bytes that holds only their first headBytes, so that the rest is not
    // copied. Named as Put names it; returns its path.
    std::string PutHead(const std::string& name, std::span<const std::uint8_t> bytes,
                        std::size_t headBytes);
    // A path in the folder for an output called name.
    std::string PathOf(const std::string& name) const;

  private:
    TemporaryFolder folder_;
    unsigned inputs_ = 0;
};

// The whole content of the file at path.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

}  // namespace lumigram::web
