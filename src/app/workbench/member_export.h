#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/picture_conversion.h"
#include "platform/output_file.h"

namespace lumigram {

// How members leave the package: as stored, or with ".k" pictures converted
// (other members are always written as stored).
enum class ExportForm { kAsStored, kPng, kBmp };

// The name a member is written under: its own, or for a converted ".k" that
// name with ".png" or ".bmp" (UTF-8).
std::string ExportName(const std::string& storedName, ExportForm form);

// Writes one member's bytes into folder through the output layer and returns
// the name written: the member's own name, or for a converted ".k" that name
// with ".png" or ".bmp", converted straight from the bytes in memory.
std::string ExportMember(const OutputFolder& folder, const std::string& storedName,
                         const std::vector<std::uint8_t>& bytes, ExportForm form,
                         const ConversionOptions& options, const OutputRules& rules);

}  // namespace lumigram
