#include "package/package_findings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <set>
#include <unordered_map>

#include "package/ezx_format.h"
#include "package/ezx_reader.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_source.h"
#include "platform/case_folding.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

// The longest file name the file systems Lumigram unpacks onto allow.
constexpr std::size_t kMaxFileNameBytes = 255;

std::string Hex32(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

void Add(PackageFindings& out, std::optional<std::size_t> member, FindingSeverity severity,
         std::string message) {
    out.findings.push_back({member, severity, std::move(message)});
}

// The 55 bytes Lumigram writes, the eight index digits aside; lower-case digits.
void CheckTextHeader(ByteSource& package, PackageFindings& out) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    const std::size_t got = package.ReadAt(0, bytes);
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        const bool digit = i >= kIndexDigitsOffset && i < kIndexDigitsOffset + kIndexDigitsCount;
        if (i >= got || (!digit && bytes[i] != static_cast<std::uint8_t>(EZXHeader[i]))) {
            Add(out, std::nullopt, FindingSeverity::kUnusual,
                "the text header is not the one Lumigram writes: it differs at byte " +
                    std::to_string(i));
            return;
        }
        if (digit && bytes[i] >= 'A' && bytes[i] <= 'F') {
            Add(out, std::nullopt, FindingSeverity::kUnusual,
                "the index offset digits are not all lower case");
            return;
        }
    }
}

void CheckRecordFields(const PackageMember& member, PackageFindings& out) {
    if (member.recordMagic != RecordMagic) {
        Add(out, member.number, FindingSeverity::kUnusual,
            "record magic " + Hex32(member.recordMagic) + " is not " + Hex32(RecordMagic));
    }
    const std::uint32_t expected = NameToID(member.storedName);
    if (member.id != expected) {
        Add(out, member.number, FindingSeverity::kUnusual,
            "ID " + Hex32(member.id) + " is not " + Hex32(expected) + ", the ID of its name");
    }
}

}  // namespace

const char* FindingSeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::kDamaged ? "damaged" : "unusual";
}

PackageFindings FindPackageFindings(ByteSource& package) {
    PackageFindings out;
    CheckTextHeader(package, out);
    PackageCheck check;
    try {
        check = CheckPackage(package);
    } catch (const FormatError& error) {
        std::string message = error.what();
        if (message.starts_with(kDamagedPackage)) {
            message.erase(0, std::string_view(kDamagedPackage).size());
        }
        Add(out, std::nullopt, FindingSeverity::kDamaged, std::move(message));
        return out;
    }
    out.members = check.memberCount;
    if (check.indexMagic != IndexMagic) {
        Add(out, std::nullopt, FindingSeverity::kUnusual,
            "index magic " + Hex32(check.indexMagic) + " is not " + Hex32(IndexMagic));
    }
    for (const MemberFault& fault : check.problems) {
        Add(out, fault.member, FindingSeverity::kDamaged, fault.what);
    }
    const std::vector<std::string> skipped = ScreenMemberNames(check.members);
    std::unordered_map<std::string, const PackageMember*> byFolded;
    for (std::size_t i = 0; i < check.members.size(); ++i) {
        const PackageMember& member = check.members[i];
        CheckRecordFields(member, out);
        const std::string shown = "\"" + ShownMemberName(member.storedName) + "\"";
        if (skipped[i].empty() && !HasExtensionIgnoringCase(member.storedName, ".k") &&
            !HasExtensionIgnoringCase(member.storedName, ".g") &&
            !HasExtensionIgnoringCase(member.storedName, ".a")) {
            Add(out, member.number, FindingSeverity::kUnusual,
                shown + ": not a .k, .g or .a name, which pack would not store");
        }
        const auto [alike, first] =
            byFolded.emplace(FoldCase(AnsiToUtf8(member.storedName)), &member);
        if (skipped[i].empty() && !first && alike->second->storedName != member.storedName) {
            Add(out, member.number, FindingSeverity::kUnusual,
                shown + ": differs from member " + std::to_string(alike->second->number) + ", \"" +
                    ShownMemberName(alike->second->storedName) +
                    "\", only in case: where case is ignored (a memory card), unpacking writes "
                    "only the first");
        }
        if (!skipped[i].empty()) {
            Add(out, check.members[i].number, FindingSeverity::kUnusual, skipped[i]);
        } else if (const std::size_t onDisk = AnsiToUtf8(check.members[i].storedName).size();
                   onDisk > kMaxFileNameBytes) {
            // Windows-1252 letters above 0x7F take two or three bytes in UTF-8.
            Add(out, check.members[i].number, FindingSeverity::kUnusual,
                "its name is " + std::to_string(onDisk) + " bytes as a file name, more than " +
                    std::to_string(kMaxFileNameBytes) + ": unpacking cannot write it");
        }
    }
    std::set<std::size_t> emptyNamed;
    for (const PackageMember& member : check.emptyNamed) {
        emptyNamed.insert(member.number);
        Add(out, member.number, FindingSeverity::kUnusual, "empty name: unpacking skips it");
        CheckRecordFields(member, out);
    }
    for (const MemberFault& fault : check.emptyNamedFaults) {
        Add(out, fault.member, FindingSeverity::kUnusual, "empty name, and its " + fault.what);
    }
    // Overlaps among named members are damage, found above; those that involve
    // an entry unpacking skips are only unusual.
    std::vector<const PackageMember*> records;
    for (const std::vector<PackageMember>* group : {&check.members, &check.emptyNamed}) {
        for (const PackageMember& member : *group) {
            records.push_back(&member);
        }
    }
    for (const MemberFault& fault : FindOverlappingRecords(records)) {
        if (emptyNamed.contains(fault.member) || emptyNamed.contains(fault.otherMember)) {
            Add(out, fault.member, FindingSeverity::kUnusual, fault.what);
        }
    }
    std::stable_sort(out.findings.begin(), out.findings.end(),
                     [](const PackageFinding& a, const PackageFinding& b) {
                         return a.member.value_or(0) < b.member.value_or(0);
                     });
    return out;
}

}  // namespace lumigram
