#include "package/ezx_pack.h"

#include <algorithm>
#include <array>
#include <limits>

#include "package/ezx_format.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/ansi_codepage.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/thread_buffer.h"

namespace lumigram {
namespace {

constexpr std::string_view kMemberExtensions[] = {".k", ".g", ".a"};

std::vector<MemberFile> CollectGroup(const std::string& folder,
                                     std::vector<std::string> fileNames) {
    std::vector<MemberFile> group;
    for (std::string& fileName : fileNames) {
        std::optional<std::string> stored = Utf8ToAnsi(fileName);
        if (!stored) {
            throw FormatError("file name has no Windows-1252 form, so a package cannot store it",
                              JoinPath(folder, EscapeName(fileName, true)));
        }
        group.push_back(MemberFile{std::move(fileName), std::move(*stored)});
    }
    std::sort(group.begin(), group.end(), [](const MemberFile& a, const MemberFile& b) {
        return SearchOrderLess(a.storedName, b.storedName);
    });
    return group;
}

// Sizes of every member, checked against the format's limits before anything
// is written. Returns the package's IndexOffset.
std::int64_t PlanPackage(const std::string& folder, const std::vector<MemberFile>& members,
                         std::vector<std::uint32_t>& sizes, OutputRules& inputs) {
    if (members.size() > static_cast<std::size_t>(MaxMembers)) {
        throw FormatError("too many member files: " + std::to_string(members.size()) +
                              ", a package holds at most " + std::to_string(MaxMembers),
                          folder);
    }
    std::int64_t nameListBytes = 0;
    std::int64_t dataBytes = 0;
    for (const MemberFile& member : members) {
        const std::string path = JoinPath(folder, member.fileName);
        if (member.storedName.size() > kMaxMemberNameBytes) {
            throw FormatError("file name is " + std::to_string(member.storedName.size()) +
                                  " bytes, a package stores at most " +
                                  std::to_string(kMaxMemberNameBytes),
                              path);
        }
        // A name the package cannot hold whole, or that unpacking would skip.
        if (const std::string why = UnstorableNameReason(member.storedName); !why.empty()) {
            throw FormatError("cannot be packed: " + why,
                              JoinPath(folder, EscapeName(member.fileName, true)));
        }
        FileIdentity identity;
        const std::uint64_t size = FileSizeOf(path, identity);
        inputs.inputs.push_back(identity);  // the package never replaces a member
        if (size > static_cast<std::uint64_t>(kMaxPackageBytes)) {
            throw FormatError("file is too large for a package (2 GiB at most)", path);
        }
        sizes.push_back(static_cast<std::uint32_t>(size));
        nameListBytes += static_cast<std::int64_t>(member.storedName.size()) + 1;
        dataBytes += static_cast<std::int64_t>(size) + static_cast<std::int64_t>(kRecordHeadSize);
    }
    const PackageLayout layout = LayOutPackage(nameListBytes, members.size(), dataBytes);
    CheckPackageLength(layout.length, folder);
    return layout.indexOffset;
}

// A file that grew since it was measured would lose its tail without a word.
// Asked by position, so it holds whichever way the content was copied.
void CheckDidNotGrow(ByteFile& file, std::uint32_t size) {
    std::array<std::uint8_t, 1> probe{};
    if (file.ReadAt(size, probe) != 0) {
        throw IoError(IoCode::kFileAccessDenied, file.path(),
                      "grew while it was being packed; pack again");
    }
}

// Copies exactly size bytes of a member; a file that shrank or grew since it
// was measured would leave the package's offsets or its content wrong, so it
// stops the packing.
void CopyMember(const std::string& path, std::uint32_t size, BlockWriter& writer) {
    ByteFile file = ByteFile::OpenRead(path);
    CopyExactly(file, 0, size, writer);
    CheckDidNotGrow(file, size);
    file.Close();
}

}  // namespace

PackageLayout LayOutPackage(std::int64_t nameListBytes, std::size_t memberCount,
                            std::int64_t dataBytes) {
    PackageLayout layout;
    layout.indexOffset =
        (static_cast<std::int64_t>(kHeaderSize) + nameListBytes + 3) & ~std::int64_t{3};
    layout.length = layout.indexOffset + static_cast<std::int64_t>(kIndexBlockSize) +
                    static_cast<std::int64_t>(kEntrySize * memberCount) + dataBytes;
    return layout;
}

void CheckPackageLength(std::int64_t length, const std::string& folder) {
    if (length > kMaxPackageBytes) {
        throw FormatError("the package would be " + std::to_string(length) +
                              " bytes, a package must stay below 2 GiB",
                          folder);
    }
}

std::vector<MemberFile> CollectMemberFiles(const std::string& folder) {
    // One listing of the folder serves all three kinds.
    std::vector<std::vector<MemberFile>> groups;
    for (std::vector<std::string>& names : FindFilesOfEach(folder, kMemberExtensions)) {
        groups.push_back(CollectGroup(folder, std::move(names)));
    }
    std::vector<MemberFile> members;
    for (std::size_t i = 0;; ++i) {
        bool any = false;
        for (std::vector<MemberFile>& group : groups) {
            if (i < group.size()) {
                members.push_back(std::move(group[i]));
                any = true;
            }
        }
        if (!any) {
            break;
        }
    }
    std::vector<std::string> names;
    for (const MemberFile& member : members) {
        names.push_back(member.fileName);
    }
    if (const std::string why = CaseFoldPairReason(names); !why.empty()) {
        throw FormatError(why, folder);
    }
    return members;
}

PackResult PackEZX(const std::string& folder, const std::string& packageFileName,
                   const PackOptions& options) {
    const std::vector<MemberFile> members = CollectMemberFiles(folder);
    PackResult result;
    if (members.empty()) {
        return result;
    }
    std::vector<std::uint32_t> sizes;
    OutputRules rules;
    const std::int64_t indexOffset = PlanPackage(folder, members, sizes, rules);
    const auto count = static_cast<std::int32_t>(members.size());

    const std::unique_ptr<OutputFile> target = OutputFile::ForPath(packageFileName, false, rules);
    ByteFile& package = target->file();
    {
        // Content is read straight into the block, as much as it has room for,
        // which goes to the package in one write when full.
        BlockWriter writer(package, 0, ThreadBuffer<CopyBlock>());
        writer.AppendText(EZXHeader);

        // Names, and the table entries that point at them and at the records.
        MemberTable table;
        table.reserve(members.size());
        std::int32_t nameOffset = 0;
        std::int32_t recordOffset = 0;
        for (std::size_t i = 0; i < members.size(); ++i) {
            const std::string& name = members[i].storedName;
            writer.AppendText(name);
            writer.AppendText("\n");
            table.push_back(TEZXEntry{NameToID(name), nameOffset, recordOffset});
            nameOffset += static_cast<std::int32_t>(name.size() + 1);
            recordOffset += static_cast<std::int32_t>(sizes[i] + kRecordHeadSize);
        }
        const std::int64_t written = static_cast<std::int64_t>(kHeaderSize) + nameOffset;
        static constexpr std::array<std::uint8_t, 3> kFill{};
        writer.Append(std::span(kFill.data(), static_cast<std::size_t>(indexOffset - written)));

        const auto tableOffset = static_cast<std::int32_t>(indexOffset + kIndexBlockSize);
        writer.AppendU32LE(IndexMagic);
        writer.AppendU32LE(static_cast<std::uint32_t>(kHeaderSize));
        writer.AppendU32LE(static_cast<std::uint32_t>(count));
        writer.AppendU32LE(static_cast<std::uint32_t>(tableOffset));
        writer.AppendU32LE(static_cast<std::uint32_t>(tableOffset + kEntrySize * members.size()));
        for (const TEZXEntry& entry : table) {
            writer.AppendU32LE(entry.ID);
            writer.AppendU32LE(static_cast<std::uint32_t>(entry.NameOffset));
            writer.AppendU32LE(static_cast<std::uint32_t>(entry.RecordOffset));
        }

        for (std::size_t i = 0; i < members.size(); ++i) {
            writer.AppendU32LE(RecordMagic);
            writer.AppendU32LE(sizes[i]);
            CopyMember(JoinPath(folder, members[i].fileName), sizes[i], writer);
            if (options.onProgress && !options.onProgress(i + 1, members.size())) {
                result.cancelled = true;
                return result;  // the temporary file goes; an earlier package stays
            }
        }
        writer.Flush();
    }

    // The index digits go in last, once the rest is complete, through the same
    // descriptor: the file is never looked up by name again.
    std::array<std::uint8_t, kIndexDigitsCount> digits{};
    for (std::size_t k = 0; k < kIndexDigitsCount; ++k) {
        digits[k] = static_cast<std::uint8_t>(
            HexDigitChar(static_cast<unsigned>(indexOffset >> (4 * (kIndexDigitsCount - 1 - k)))));
    }
    package.WriteAt(kIndexDigitsOffset, digits);
    target->Commit();
    result.members = members.size();
    return result;
}

}  // namespace lumigram
