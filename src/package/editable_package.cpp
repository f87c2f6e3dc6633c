#include "package/editable_package.h"

#include <algorithm>
#include <array>
#include <limits>

#include "package/ezx_format.h"
#include "package/ezx_pack.h"
#include "package/ezx_reader.h"
#include "package/intact_members.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/block_writer.h"
#include "platform/copy_range.h"
#include "platform/folder_search.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/little_endian.h"
#include "platform/output_file.h"
#include "platform/thread_buffer.h"

namespace lumigram {
namespace {

constexpr std::string_view kMemberExtensions[] = {".k", ".g", ".a"};

// The extension group a name packs in (0 .k, 1 .g, 2 .a), or 3 for others.
std::size_t GroupOf(std::string_view name) {
    for (std::size_t g = 0; g < 3; ++g) {
        if (HasExtensionIgnoringCase(name, kMemberExtensions[g])) {
            return g;
        }
    }
    return 3;
}

// A member whose content is the file at path, of size bytes, read when the
// package is written.
PackageEntry FileEntry(const std::string& storedName, const std::string& path, std::uint64_t size) {
    if (size > static_cast<std::uint64_t>(kMaxPackageBytes)) {
        throw FormatError("file is too large for a package (2 GiB at most)", path);
    }
    PackageEntry entry;
    entry.storedName = storedName;
    entry.size = static_cast<std::uint32_t>(size);
    entry.source.kind = MemberSource::Kind::kFile;
    entry.source.path = path;
    return entry;
}

// A file that grew since it was measured would lose its tail without a word
// (one that shrank already stops the copy). Asked by position, so it holds
// whichever way the content was copied.
void CheckDidNotGrow(ByteFile& file, std::uint32_t size) {
    std::array<std::uint8_t, 1> probe{};
    if (file.ReadAt(size, probe) != 0) {
        throw IoError(IoCode::kFileAccessDenied, file.path(),
                      "grew while it was being packed; try again");
    }
}

}  // namespace

// A package whose members are the given ones, read in place from its source.
EditablePackage EditablePackage::Refer(std::unique_ptr<ByteSource> original,
                                       const std::vector<PackageMember>& members) {
    EditablePackage package;
    package.path_ = original->name();
    package.original_ = std::move(original);
    for (const PackageMember& member : members) {
        PackageEntry entry;
        entry.storedName = member.storedName;
        entry.size = member.size;
        entry.source.offset = member.contentOffset;
        package.members_.push_back(std::move(entry));
    }
    return package;
}

namespace {

std::optional<FileStamp> StampOfSource(const ByteSource& source) {
    if (const auto* file = dynamic_cast<const ByteFile*>(&source)) {
        return StampOf(*file);
    }
    return std::nullopt;
}

}  // namespace

EditablePackage EditablePackage::Open(std::unique_ptr<ByteSource> source) {
    const std::optional<FileStamp> stamp = StampOfSource(*source);
    const std::vector<PackageMember> members = ReadPackageMembers(*source);
    EditablePackage package = Refer(std::move(source), members);
    package.openedStamp_ = stamp;
    return package;
}

EditablePackage EditablePackage::Open(const std::string& path) {
    return Open(std::make_unique<ByteFile>(ByteFile::OpenRead(path)));
}

EditablePackage EditablePackage::OpenIntact(std::unique_ptr<ByteSource> source) {
    const std::optional<FileStamp> stamp = StampOfSource(*source);
    const std::vector<PackageMember> members = ReadIntactMembers(*source);
    EditablePackage package = Refer(std::move(source), members);
    package.openedStamp_ = stamp;
    return package;
}

EditablePackage EditablePackage::OpenIntact(const std::string& path) {
    return OpenIntact(std::make_unique<ByteFile>(ByteFile::OpenRead(path)));
}

std::optional<FileIdentity> EditablePackage::OriginalIdentity() const {
    return openedStamp_ ? std::optional(openedStamp_->identity) : std::nullopt;
}

std::optional<std::size_t> EditablePackage::Find(std::string_view storedName) const {
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (members_[i].storedName == storedName) {
            return i;
        }
    }
    return std::nullopt;
}

std::string EditablePackage::NameRefusal(std::string_view storedName) {
    if (storedName.empty()) {
        return "a member needs a name";
    }
    if (storedName.size() > kMaxMemberNameBytes) {
        return "the name is " + std::to_string(storedName.size()) +
               " bytes, a package stores at most " + std::to_string(kMaxMemberNameBytes);
    }
    if (std::string why = UnstorableNameReason(storedName); !why.empty()) {
        return why;
    }
    if (GroupOf(storedName) == 3) {
        return "a package holds .k, .g and .a files only";
    }
    return "";
}

void EditablePackage::CheckNewName(const std::string& storedName) const {
    if (const std::string why = NameRefusal(storedName); !why.empty()) {
        throw FormatError("cannot be a member: " + why, EscapeName(storedName));
    }
}

std::size_t EditablePackage::PlaceFor(const std::string& storedName) const {
    // Pack's order puts a member by its round (its rank within its group) and
    // then its group. The new member goes after the last member that pack would
    // put before it; the others keep their order whatever it is.
    std::array<std::vector<std::string_view>, 3> groups;
    for (const PackageEntry& entry : members_) {
        if (const std::size_t g = GroupOf(entry.storedName); g < 3) {
            groups[g].push_back(entry.storedName);
        }
    }
    const std::size_t group = GroupOf(storedName);
    groups[group].push_back(storedName);
    for (auto& names : groups) {
        std::sort(names.begin(), names.end(), SearchOrderLess);
    }
    const auto key = [&](std::string_view name) {
        const std::size_t g = GroupOf(name);
        const auto& names = groups[g];
        const auto at = std::lower_bound(names.begin(), names.end(), name, SearchOrderLess);
        return std::pair{static_cast<std::size_t>(at - names.begin()), g};
    };
    const auto mine = key(storedName);
    std::size_t place = 0;
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (GroupOf(members_[i].storedName) < 3 && key(members_[i].storedName) < mine) {
            place = i + 1;
        }
    }
    return place;
}

std::size_t EditablePackage::AddInOrder(const std::string& storedName, const std::string& path,
                                        std::uint64_t size) {
    CheckNewName(storedName);
    members_.push_back(FileEntry(storedName, path, size));
    modified_ = true;
    return members_.size() - 1;
}

std::size_t EditablePackage::Insert(PackageEntry entry) {
    modified_ = true;
    if (const std::optional<std::size_t> at = Find(entry.storedName)) {
        members_[*at] = std::move(entry);
        return *at;
    }
    CheckNewName(entry.storedName);
    const std::size_t place = PlaceFor(entry.storedName);
    members_.insert(members_.begin() + static_cast<std::ptrdiff_t>(place), std::move(entry));
    return place;
}

std::size_t EditablePackage::Put(const std::string& storedName, std::vector<std::uint8_t> bytes) {
    if (bytes.size() > static_cast<std::uint64_t>(kMaxPackageBytes)) {
        throw FormatError("too large for a package (2 GiB at most)", EscapeName(storedName));
    }
    PackageEntry entry;
    entry.storedName = storedName;
    entry.size = static_cast<std::uint32_t>(bytes.size());
    entry.source.kind = MemberSource::Kind::kBytes;
    entry.source.bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    return Insert(std::move(entry));
}

std::size_t EditablePackage::PutFile(const std::string& storedName, const std::string& path,
                                     std::uint64_t size) {
    return Insert(FileEntry(storedName, path, size));
}

void EditablePackage::Remove(std::size_t index) {
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(index));
    modified_ = true;
}

void EditablePackage::Rename(std::size_t index, const std::string& newStoredName) {
    if (members_[index].storedName == newStoredName) {
        return;
    }
    if (Find(newStoredName)) {
        throw FormatError("a member of this name is already in the package",
                          EscapeName(newStoredName));
    }
    CheckNewName(newStoredName);
    PackageEntry entry = std::move(members_[index]);
    members_.erase(members_.begin() + static_cast<std::ptrdiff_t>(index));
    entry.storedName = newStoredName;
    const std::size_t place = PlaceFor(newStoredName);
    members_.insert(members_.begin() + static_cast<std::ptrdiff_t>(place), std::move(entry));
    modified_ = true;
}

std::vector<std::uint8_t> ReadEntryContent(const PackageEntry& entry, ByteSource& original) {
    switch (entry.source.kind) {
        case MemberSource::Kind::kBytes:
            return *entry.source.bytes;
        case MemberSource::Kind::kOriginal: {
            std::vector<std::uint8_t> bytes(entry.size);
            if (original.ReadAt(entry.source.offset, bytes) != bytes.size()) {
                throw IoError(IoCode::kReadBeyondEndOfFile, original.name());
            }
            return bytes;
        }
        case MemberSource::Kind::kFile: {
            ByteFile file = ByteFile::OpenRead(entry.source.path);
            std::vector<std::uint8_t> bytes(entry.size);
            if (file.ReadAt(0, bytes) != bytes.size()) {
                throw IoError(IoCode::kReadBeyondEndOfFile, entry.source.path);
            }
            return bytes;
        }
    }
    return {};
}

std::vector<std::uint8_t> EditablePackage::ReadContent(std::size_t index) const {
    return ReadEntryContent(members_[index], *original_);
}

void EditablePackage::ReadContentInBlocks(
    std::size_t index, const std::function<void(std::span<const std::uint8_t>)>& take) const {
    const PackageEntry& entry = members_[index];
    if (entry.source.kind == MemberSource::Kind::kBytes) {
        take(*entry.source.bytes);
        return;
    }
    std::optional<ByteFile> opened;
    ByteSource* file = original_.get();
    std::uint64_t offset = entry.source.offset;
    if (entry.source.kind == MemberSource::Kind::kFile) {
        opened.emplace(ByteFile::OpenRead(entry.source.path));
        file = &*opened;
        offset = 0;
    }
    CopyBlock block{};
    for (std::uint64_t left = entry.size; left > 0;) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
        const std::size_t got = file->ReadAt(offset, std::span(block.data(), want));
        if (got == 0) {
            throw IoError(IoCode::kReadBeyondEndOfFile, file->name());
        }
        take(std::span<const std::uint8_t>(block.data(), got));
        offset += got;
        left -= got;
    }
}

void EditablePackage::AppendContent(const PackageEntry& entry, BlockWriter& writer) const {
    switch (entry.source.kind) {
        case MemberSource::Kind::kOriginal:
            CopyExactly(*original_, entry.source.offset, entry.size, writer);
            break;
        case MemberSource::Kind::kBytes:
            writer.Append(*entry.source.bytes);
            break;
        case MemberSource::Kind::kFile: {
            ByteFile file = ByteFile::OpenRead(entry.source.path);
            CopyExactly(file, 0, entry.size, writer);
            CheckDidNotGrow(file, entry.size);
            file.Close();
            break;
        }
    }
}

void EditablePackage::WriteContent(std::size_t index, ByteSink& out) const {
    CopyBlock block{};
    BlockWriter writer(out, 0, block);
    AppendContent(members_[index], writer);
    writer.Flush();
}

namespace {

struct SavedLayout {
    std::int64_t nameListBytes = 0;
    PackageLayout layout;
};

SavedLayout LayOutMembers(const std::vector<PackageEntry>& members) {
    std::int64_t nameListBytes = 0;
    std::int64_t dataBytes = 0;
    for (const PackageEntry& entry : members) {
        nameListBytes += static_cast<std::int64_t>(entry.storedName.size()) + 1;
        dataBytes += std::int64_t{entry.size} + static_cast<std::int64_t>(kRecordHeadSize);
    }
    return {nameListBytes, LayOutPackage(nameListBytes, members.size(), dataBytes)};
}

}  // namespace

void EditablePackage::CheckSavable(const std::string& target) const {
    if (members_.empty()) {
        throw FormatError("a package needs at least one member", target);
    }
    if (members_.size() > static_cast<std::size_t>(MaxMembers)) {
        throw FormatError("too many members: " + std::to_string(members_.size()) +
                              ", a package holds at most " + std::to_string(MaxMembers),
                          target);
    }
    CheckPackageLength(LayOutMembers(members_).layout.length, target);
}

bool EditablePackage::Save(const std::string& path, const OutputRules& rules,
                           const ProgressCallback& onProgress) const {
    CheckSavable(path);
    const std::unique_ptr<OutputFile> target = OutputFile::ForPath(path, false, rules);
    if (!Save(target->file(), onProgress)) {
        return false;  // the temporary file goes; an earlier file of that name stays
    }
    target->Commit();
    return true;
}

bool EditablePackage::Save(ByteSink& out, const ProgressCallback& onProgress) const {
    CheckSavable(out.name());
    const auto [nameListBytes, layout] = LayOutMembers(members_);
    BlockWriter writer(out, 0, ThreadBuffer<CopyBlock>());
    std::string header(EZXHeader);
    for (std::size_t k = 0; k < kIndexDigitsCount; ++k) {
        header[kIndexDigitsOffset + k] = HexDigitChar(
            static_cast<unsigned>(layout.indexOffset >> (4 * (kIndexDigitsCount - 1 - k))) & 15);
    }
    writer.AppendText(header);
    for (const PackageEntry& entry : members_) {
        writer.AppendText(entry.storedName);
        writer.AppendText("\n");
    }
    static constexpr std::array<std::uint8_t, 3> kFill{};
    writer.Append(std::span(
        kFill.data(),
        static_cast<std::size_t>(layout.indexOffset - std::int64_t{kHeaderSize} - nameListBytes)));
    const auto count = static_cast<std::uint32_t>(members_.size());
    const auto tableOffset = static_cast<std::uint32_t>(layout.indexOffset + kIndexBlockSize);
    writer.AppendU32LE(IndexMagic);
    writer.AppendU32LE(static_cast<std::uint32_t>(kHeaderSize));
    writer.AppendU32LE(count);
    writer.AppendU32LE(tableOffset);
    writer.AppendU32LE(tableOffset + static_cast<std::uint32_t>(kEntrySize) * count);
    std::uint32_t nameOffset = 0;
    std::uint32_t recordOffset = 0;
    for (const PackageEntry& entry : members_) {
        writer.AppendU32LE(NameToID(entry.storedName));
        writer.AppendU32LE(nameOffset);
        writer.AppendU32LE(recordOffset);
        nameOffset += static_cast<std::uint32_t>(entry.storedName.size() + 1);
        recordOffset += entry.size + static_cast<std::uint32_t>(kRecordHeadSize);
    }
    for (std::size_t i = 0; i < members_.size(); ++i) {
        const PackageEntry& entry = members_[i];
        writer.AppendU32LE(RecordMagic);
        writer.AppendU32LE(entry.size);
        AppendContent(entry, writer);
        if (onProgress && !onProgress(i + 1, members_.size())) {
            return false;
        }
    }
    writer.Flush();
    return true;
}

}  // namespace lumigram
