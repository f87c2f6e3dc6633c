#include "app/workbench/workbench_document.h"

#include <algorithm>

#include "app/workbench/member_picture.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

bool SameContent(const MemberSource& a, const MemberSource& b) {
    if (a.kind != b.kind) {
        return false;
    }
    switch (a.kind) {
        case MemberSource::Kind::kOriginal:
            return a.offset == b.offset;
        case MemberSource::Kind::kBytes:
            return a.bytes == b.bytes;
        case MemberSource::Kind::kFile:
            return a.path == b.path;
    }
    return false;
}

}  // namespace

std::unique_ptr<WorkbenchDocument> WorkbenchDocument::Open(const std::string& path) {
    std::unique_ptr<WorkbenchDocument> document(new WorkbenchDocument);
    document->reader_ = std::make_shared<SharedPackageFile>(ByteFile::OpenRead(path));
    try {
        document->package_ = EditablePackage::Open(path);
    } catch (const FormatError&) {
        // Damaged: looked at, exported from and salvaged, never changed.
        document->readOnly_ = true;
        document->findings_ = FindPackageFindings(document->reader_->file);
        document->package_ = EditablePackage::OpenIntact(path);
    }
    return document;
}

std::vector<std::uint8_t> WorkbenchDocument::ReadMember(std::size_t index) const {
    return package_.ReadContent(index);
}

QImage WorkbenchDocument::MemberImage(std::size_t index, bool transparencyEnabled) const {
    const PackageEntry& entry = member(index);
    return DecodeMemberPicture(entry.storedName, ReadMember(index), transparencyEnabled,
                               AnsiToUtf8(entry.storedName));
}

void WorkbenchDocument::Replace(std::size_t index, std::vector<std::uint8_t> bytes) {
    if (bytes.size() > static_cast<std::uint64_t>(kMaxPackageBytes)) {
        throw FormatError("too large for a package (2 GiB at most)",
                          AnsiToUtf8(member(index).storedName));
    }
    std::vector<PackageEntry> members = package_.members();
    PackageEntry& entry = members[index];
    entry.size = static_cast<std::uint32_t>(bytes.size());
    entry.source = MemberSource{};
    entry.source.kind = MemberSource::Kind::kBytes;
    entry.source.bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
    package_.Restore(std::move(members));
}

std::size_t WorkbenchDocument::Add(const std::string& storedName, std::vector<std::uint8_t> bytes) {
    if (package_.Find(storedName)) {
        throw FormatError(
            "the package holds a member " + AnsiToUtf8(storedName) + " already; Replace changes it",
            AnsiToUtf8(storedName));
    }
    return package_.Put(storedName, std::move(bytes));
}

void WorkbenchDocument::Remove(std::vector<std::size_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto index = indices.rbegin(); index != indices.rend(); ++index) {
        package_.Remove(*index);
    }
}

std::size_t WorkbenchDocument::Rename(std::size_t index, const std::string& newStoredName) {
    const PackageEntry before = member(index);
    package_.Rename(index, newStoredName);
    const std::ptrdiff_t now = Find(before);
    return now < 0 ? index : static_cast<std::size_t>(now);
}

std::ptrdiff_t WorkbenchDocument::Find(const PackageEntry& entry) const {
    const std::vector<PackageEntry>& members = package_.members();
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (SameContent(members[i].source, entry.source)) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

MemberBytesSource WorkbenchDocument::SourceOf(std::size_t index) const {
    return {reader_, package_.members()[index]};
}

}  // namespace lumigram
