#pragma once

#include <vector>

#include "package/ezx_reader.h"

namespace lumigram {

class ByteSource;

// The members of a package, damaged or not, whose records can be read safely:
// every named member whose name and record lie within the file and whose record
// overlaps no earlier member's. A package whose header, index or member table
// cannot be read has none. Nothing is raised for the package's faults; an input
// that cannot be read raises IoError.
std::vector<PackageMember> ReadIntactMembers(ByteSource& package);

}  // namespace lumigram
