#pragma once

#include <cstddef>
#include <functional>

namespace lumigram {

// Called after each member with (members done, members in all); returning
// false stops the work between members.
using ProgressCallback = std::function<bool(std::size_t done, std::size_t total)>;

}  // namespace lumigram
