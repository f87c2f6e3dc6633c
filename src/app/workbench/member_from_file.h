#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/picture_conversion.h"
#include "package/member_intake.h"

namespace lumigram {

// A file made into a member by the core's one intake rule (PlanMember), in
// memory: no scratch file is written.
struct MemberFromFile {
    std::string storedName;  // Windows-1252
    std::vector<std::uint8_t> bytes;
};

// The member the file at path becomes when it is added: `icon.png` gives an
// encoded `icon.k`, `logo.gif` a `logo.g`, a ".k", ".g" or ".a" file itself.
// Raises FormatError naming the file, with what would work, when no member can
// be made of it.
MemberFromFile MemberForFile(const std::string& path, const ConversionOptions& options);

// The bytes the member storedName gets from the file at path when it takes the
// file's place (Replace): a ".k" takes a ".k" file as it is and a BMP or PNG
// encoded (PNG alpha as the mask, BMP keyed on the transparency colour); a
// ".g" a GIF or PNG as it is; an ".a" any file. Raises FormatError naming the
// file otherwise.
std::vector<std::uint8_t> MemberBytesFromFile(const std::string& storedName,
                                              const std::string& path,
                                              const ConversionOptions& options);

// The bytes the file at path, of kind, gives a member by plan (PlanMember,
// PlanReplacement, PlanIntake), encoded in memory.
std::vector<std::uint8_t> MemberBytesBy(const MemberPlan& plan, const std::string& path,
                                        PictureKind kind, const ConversionOptions& options);

}  // namespace lumigram
