#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codec/picture_conversion.h"

namespace lumigram {

class ByteFile;
struct PackageEntry;

// How a file goes into a package: which member it becomes and how its bytes
// are encoded. Every front end that puts files into a package asks here
// (update with and without --convert, pack --from-png, the workbench's Add,
// Replace and batch replace, the page's Add and Replace), so all of them give
// a file the same member and the same bytes.
//
// The rule (docs/formats.md, "Files into members"):
// - By content (update --convert, pack --from-png, the workbench, the page):
//   - a file named .k, .g or .a (any case) becomes the member of its own name;
//   - a BMP or PNG picture of another name becomes stem + ".k", encoded with the
//     user's transparency settings; a GIF becomes stem + ".g", unchanged; the new
//     extension takes the case of the file's own ("LOGO.PNG" gives "LOGO.K");
//   - the member's extension says what it must hold: a ".k" takes a ".k" file
//     (or any file that is no BMP, PNG or GIF picture) as it is and a BMP or PNG
//     encoded, and refuses a GIF; a ".g" takes a GIF or PNG as it is and refuses
//     anything else (a ".g" holding a PNG stays a ".g"); an ".a" takes any file.
// - As named (update without --convert): every file goes in byte for byte
//   under its own name.
// - The stored name must be one pack could store (EditablePackage::NameRefusal),
//   and have a Windows-1252 form.
enum class IntakeMode { kAsNamed, kByContent };

enum class MemberEncoding {
    kUnchanged,   // the file's bytes as they are
    kEncodeSkin,  // a BMP or PNG picture encoded into a ".k" (ConvertPicture)
};

struct MemberPlan {
    std::string storedName;  // Windows-1252
    MemberEncoding encoding = MemberEncoding::kUnchanged;
};

// The member file (a path or a name; only its name part counts) becomes. kind
// is what the file holds (ReadPictureKind), only looked at by content. Raises
// FormatError naming file when no member can be made of it.
MemberPlan PlanMember(const std::string& file, PictureKind kind, IntakeMode mode);

// The plan for putting file, of kind, into the existing member storedName (a
// Replace): its name stays, its bytes are as PlanMember's rule says for a member
// of that name. Raises FormatError naming file.
MemberPlan PlanReplacement(const std::string& storedName, const std::string& file,
                           PictureKind kind);

// file's name (no folder) with its extension replaced by newExtension, in the
// case of the file's own extension ("ICON.K", ".bmp" gives "ICON.BMP"). The name
// Convert all and a member taken by content both give a converted file.
std::string NameWithExtension(std::string_view file, std::string_view newExtension);

// Writes the bytes a member gets from the file at path by plan into output,
// from its start.
void WriteMemberBytes(const MemberPlan& plan, const std::string& path, PictureKind kind,
                      ByteFile& output, const ConversionOptions& options);

// A file offered to a package, with what it holds (kUnknown when as named).
struct IntakeFile {
    std::string file;
    PictureKind kind = PictureKind::kUnknown;
};

// What a batch of files does to a package's members.
struct IntakeStep {
    enum class Action { kReplace, kAdd, kSkip };
    std::string file;
    Action action = Action::kSkip;
    MemberPlan plan;
    std::size_t member = 0;  // kReplace: the member's position
    std::string reason;      // kSkip: why, a whole sentence naming the member
};

// Matches files to the members of a package by the stored name each file
// becomes (PlanMember): the one member of that name is replaced; a name no
// member has is added. Skipped, with the reason, is a file
// - of which no member can be made (PlanMember's refusal);
// - whose member name two or more members share (which one is meant?);
// - whose name matches a member only when case is ignored (the two would be
//   one file on a memory card);
// - that goes into the same member as an earlier file of the batch.
// One step per file, in the files' order.
std::vector<IntakeStep> PlanIntake(const std::vector<IntakeFile>& files,
                                   const std::vector<PackageEntry>& members, IntakeMode mode);

}  // namespace lumigram
