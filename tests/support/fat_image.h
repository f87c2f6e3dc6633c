#pragma once

#include <string>

#include "support/test_files.h"

namespace lumigram::test {

// A FAT file system of 8 MiB in an image file, mounted through fusefat at
// folder for as long as the object lives: a file system that ignores case and
// keeps no modes, owners or attributes, as a phone's memory card. mounted()
// says whether it worked and whyNot() why not (the caller skips its test).
class FatImage {
  public:
    FatImage(const TempDir& dir, const std::string& folderName);
    ~FatImage();
    FatImage(const FatImage&) = delete;
    FatImage& operator=(const FatImage&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& whyNot() const { return whyNot_; }
    const std::string& path() const { return folder_; }

  private:
    std::string folder_;
    bool mounted_ = false;
    std::string whyNot_;
};

}  // namespace lumigram::test
