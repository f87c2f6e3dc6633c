#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/test_files.h"

namespace lumigram::test {

// A package laid out by hand, independently of the writer under test: names as
// stored bytes, contents as given, IDs computed the same way.
struct Member {
    std::string name;
    Bytes content;
};
Bytes BuildPackage(const std::vector<Member>& members);

// The two-member example package (icon.k 01..05, wall.g AA BB CC), 140 bytes.
Bytes ExamplePackage();

}  // namespace lumigram::test
