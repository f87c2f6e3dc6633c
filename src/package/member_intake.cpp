#include "package/member_intake.h"

#include <optional>
#include <unordered_map>

#include "codec/conversion_run.h"
#include "package/editable_package.h"
#include "package/member_names.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/case_folding.h"
#include "platform/copy_range.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/path.h"

namespace lumigram {
namespace {

bool IsMemberExtension(std::string_view name) {
    return HasExtensionIgnoringCase(name, ".k") || HasExtensionIgnoringCase(name, ".g") ||
           HasExtensionIgnoringCase(name, ".a");
}

std::string Stored(const std::string& name, const std::string& file) {
    std::optional<std::string> stored = Utf8ToAnsi(name);
    if (!stored) {
        throw FormatError("file name has no Windows-1252 form, so a package cannot store it", file);
    }
    return std::move(*stored);
}

// By content: how a member of storedName takes a file of kind.
MemberEncoding EncodingFor(const std::string& storedName, const std::string& file,
                           PictureKind kind) {
    const std::string member = AnsiToUtf8(storedName);
    if (HasExtensionIgnoringCase(storedName, ".k")) {
        if (kind == PictureKind::kBmp || kind == PictureKind::kPng) {
            return MemberEncoding::kEncodeSkin;
        }
        if (kind == PictureKind::kGif) {
            throw FormatError("is a GIF picture, which the skin picture " + member +
                                  " cannot hold; use a BMP, PNG or .k picture, or put the GIF "
                                  "in a .g member",
                              file);
        }
    } else if (HasExtensionIgnoringCase(storedName, ".g") && kind != PictureKind::kGif &&
               kind != PictureKind::kPng) {
        throw FormatError(
            "the member " + member + " holds a GIF or PNG picture; this file is neither", file);
    }
    return MemberEncoding::kUnchanged;
}

void CheckStorable(const std::string& storedName, const std::string& file) {
    if (const std::string why = EditablePackage::NameRefusal(storedName); !why.empty()) {
        throw FormatError("cannot be a member: " + why, file);
    }
}

}  // namespace

std::string NameWithExtension(std::string_view file, std::string_view newExtension) {
    return ChangeFileExt(ExtractFileName(file),
                         ExtensionInCaseOf(newExtension, ExtractFileExt(file)));
}

MemberPlan PlanMember(const std::string& file, PictureKind kind, IntakeMode mode) {
    std::string name = ExtractFileName(file);
    if (mode == IntakeMode::kByContent && !IsMemberExtension(name)) {
        if (kind == PictureKind::kBmp || kind == PictureKind::kPng) {
            name = NameWithExtension(name, ".k");
        } else if (kind == PictureKind::kGif) {
            name = NameWithExtension(name, ".g");
        }
    }
    MemberPlan plan;
    plan.storedName = Stored(name, file);
    CheckStorable(plan.storedName, file);
    if (mode == IntakeMode::kByContent) {
        plan.encoding = EncodingFor(plan.storedName, file, kind);
    }
    return plan;
}

MemberPlan PlanReplacement(const std::string& storedName, const std::string& file,
                           PictureKind kind) {
    MemberPlan plan;
    plan.storedName = storedName;
    plan.encoding = EncodingFor(storedName, file, kind);
    return plan;
}

void WriteMemberBytes(const MemberPlan& plan, const std::string& path, PictureKind kind,
                      ByteFile& output, const ConversionOptions& options) {
    if (plan.encoding == MemberEncoding::kEncodeSkin) {
        ConvertPicture(path, kind, TargetFormat::kK, output, options);
        return;
    }
    ByteFile input = ByteFile::OpenRead(path);
    CopyBlock block{};
    CopyToEnd(input, output, block);
    input.Close();
}

std::vector<IntakeStep> PlanIntake(const std::vector<IntakeFile>& files,
                                   const std::vector<PackageEntry>& members, IntakeMode mode) {
    std::unordered_map<std::string, std::vector<std::size_t>> byName;
    std::unordered_map<std::string, std::vector<std::size_t>> byFolded;
    for (std::size_t i = 0; i < members.size(); ++i) {
        byName[members[i].storedName].push_back(i);
        byFolded[FoldCase(AnsiToUtf8(members[i].storedName))].push_back(i);
    }
    std::unordered_map<std::string, std::string> taken;  // folded member name -> file
    std::vector<IntakeStep> steps;
    for (const IntakeFile& offered : files) {
        IntakeStep& step = steps.emplace_back();
        step.file = offered.file;
        try {
            step.plan = PlanMember(offered.file, offered.kind, mode);
        } catch (const FormatError& error) {
            step.reason = error.what();
            continue;
        }
        const std::string shown = "\"" + EscapeName(AnsiToUtf8(step.plan.storedName), true) + "\"";
        const std::string folded = FoldCase(AnsiToUtf8(step.plan.storedName));
        if (const auto earlier = taken.find(folded); earlier != taken.end()) {
            step.reason = "goes into the member " + shown + ", as " + earlier->second +
                          " does; give only one of them";
            continue;
        }
        taken.emplace(folded, offered.file);
        const auto exact = byName.find(step.plan.storedName);
        if (exact != byName.end() && exact->second.size() > 1) {
            step.reason = "the package holds " + std::to_string(exact->second.size()) +
                          " members named " + shown + "; which one to replace is not clear";
            continue;
        }
        if (exact == byName.end()) {
            if (const auto alike = byFolded.find(folded); alike != byFolded.end()) {
                step.reason =
                    "matches the member \"" +
                    EscapeName(AnsiToUtf8(members[alike->second.front()].storedName), true) +
                    "\" only when case is ignored; on a memory card the two would be "
                    "one file";
                continue;
            }
            step.action = IntakeStep::Action::kAdd;
            continue;
        }
        step.action = IntakeStep::Action::kReplace;
        step.member = exact->second.front();
    }
    return steps;
}

}  // namespace lumigram
