#include "package/png_package.h"

#include <algorithm>
#include <array>
#include <memory>
#include <set>

#include "codec/conversion_run.h"
#include "codec/png_reader.h"
#include "codec/skin_decoder.h"
#include "codec/skin_from_rgba.h"
#include "codec/skin_to_png.h"
#include "package/editable_package.h"
#include "package/member_intake.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/ansi_codepage.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/folder_writes.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_folder.h"

namespace lumigram {
namespace {

constexpr std::string_view kPackedExtensions[] = {".k", ".g", ".a", ".png"};

}  // namespace

UnpackResult UnpackAsPng(const std::string& packagePath, const std::string& folder,
                         const UnpackOptions& options) {
    auto opened = std::make_unique<ByteFile>(ByteFile::OpenRead(packagePath));
    ByteFile& original = *opened;
    EditablePackage package = EditablePackage::Open(std::move(opened));
    std::vector<PackageMember> members;
    for (std::size_t i = 0; i < package.members().size(); ++i) {
        PackageMember member;
        member.number = i + 1;
        member.storedName = package.members()[i].storedName;
        members.push_back(std::move(member));
    }
    const std::vector<std::string> reasons = ScreenMemberNames(members);
    OutputFolder out =
        options.createFolder ? OutputFolder::OpenCreating(folder) : OutputFolder::Open(folder);
    OutputRules rules;
    rules.inputs.push_back(IdentityOf(original));
    rules.keepExisting = options.skipExisting;
    FolderWrites writes(out);
    UnpackResult result;
    std::set<std::string> written;
    const auto problem = [&](std::size_t i, const std::string& path, const std::string& what) {
        ++result.notWritten;
        if (options.onMemberNotWritten) {
            options.onMemberNotWritten(
                MemberProblem{i + 1, path, "member " + std::to_string(i + 1) + ": " + what});
        }
    };
    for (std::size_t i = 0; i < package.members().size(); ++i) {
        const PackageEntry& entry = package.members()[i];
        std::string name = AnsiToUtf8(entry.storedName);
        const bool picture = HasExtensionIgnoringCase(name, ".k");
        if (picture) {
            name = ChangeFileExt(name, ExtensionInCaseOf(".png", ExtractFileExt(name)));
        }
        const std::string path = out.PathOf(name);
        if (!reasons[i].empty()) {
            problem(i, path, reasons[i]);
            continue;
        }
        if (!written.insert(name).second) {
            problem(i, path, "another member was already written as \"" + EscapeName(name) + "\"");
            continue;
        }
        if (const std::optional<std::string> earlier = writes.EarlierOutput(name)) {
            problem(
                i, path,
                "another member, " + EscapeName(*earlier, true) + ", " + writes.SameFileReason());
            continue;
        }
        std::string fileName = name;  // the name the member's file gets
        const auto writeUnchanged = [&](const std::string& target) {
            OutputFile file(out, target, rules);
            CopyBlock block{};
            BlockWriter writer(file.file(), 0, block);
            CopyExactly(original, entry.source.offset, entry.size, writer);
            writer.Flush();
            file.Commit();
        };
        try {
            if (picture) {
                // A ".k" member with no PNG form (another depth, no pixels,
                // damaged) is written unchanged under its own name, so that
                // pack --from-png takes it back as it was.
                bool pngForm = true;
                try {
                    SubSource member(original, entry.source.offset, entry.size);
                    const SkinHeader header = ReadCheckedSkinHeader(member);
                    pngForm = (header.bitsPerPixel == 18 || header.bitsPerPixel == 32) &&
                              header.width > 0 && header.height > 0;
                    if (pngForm) {
                        OutputFile file(out, name, rules);
                        EncodeSkinAsPng(member, header, file.file(), true);
                        file.Commit();
                    }
                } catch (const FormatError&) {
                    pngForm = false;
                }
                if (!pngForm) {
                    fileName = AnsiToUtf8(entry.storedName);
                    if (const std::optional<std::string> earlier = writes.EarlierOutput(fileName)) {
                        throw FormatError("another member, " + EscapeName(*earlier, true) + ", " +
                                              writes.SameFileReason(),
                                          path);
                    }
                    writeUnchanged(fileName);
                }
            } else {
                writeUnchanged(name);
            }
            ++result.written;
            writes.Written(fileName);
        } catch (const IoError& error) {
            // A full disk or a failing package ends the run; a path that cannot
            // take this member (a folder, FIFO or device there, no permission)
            // costs only the member.
            if (error.code() == IoCode::kDiskFull || error.path() == original.path()) {
                throw;
            }
            problem(i, path, "cannot write \"" + EscapeName(name, true) + "\": " + error.what());
        } catch (const FormatError& error) {
            problem(i, path, error.what());
        }
        if (options.onProgress && !options.onProgress(i + 1, package.members().size())) {
            result.cancelled = true;
            break;
        }
    }
    return result;
}

PackResult PackFromPng(const std::string& folder, const std::string& packagePath,
                       const ConversionOptions& options) {
    std::vector<std::vector<MemberFile>> groups = CollectFileGroups(folder, kPackedExtensions);
    std::vector<MemberFile> pngs = std::move(groups.back());
    groups.pop_back();
    std::set<std::string> skinStems;
    for (const MemberFile& file : groups[0]) {
        skinStems.insert(ChangeFileExt(file.fileName, ""));
    }
    for (MemberFile& png : pngs) {
        const std::string stem = ChangeFileExt(png.fileName, "");
        if (skinStems.contains(stem)) {
            const auto k = std::find_if(
                groups[0].begin(), groups[0].end(),
                [&](const MemberFile& f) { return ChangeFileExt(f.fileName, "") == stem; });
            throw FormatError("both " + EscapeName(png.fileName, true) + " and " +
                                  EscapeName(k->fileName, true) + " would become the member " +
                                  EscapeName(k->fileName, true) + "; keep one of them",
                              folder);
        }
        png.storedName =
            PlanMember(JoinPath(folder, png.fileName), PictureKind::kPng, IntakeMode::kByContent)
                .storedName;
        groups[0].push_back(std::move(png));
    }
    std::sort(groups[0].begin(), groups[0].end(), [](const MemberFile& a, const MemberFile& b) {
        return SearchOrderLess(a.storedName, b.storedName);
    });
    const std::vector<MemberFile> members = InterleaveGroups(std::move(groups));
    std::vector<std::string> names;
    for (const MemberFile& file : members) {
        names.push_back(AnsiToUtf8(file.storedName));
    }
    if (const std::string why = CaseFoldPairReason(names); !why.empty()) {
        throw FormatError(why, folder);
    }
    PackResult result;
    EditablePackage package;
    OutputRules rules;  // the package never replaces one of the files it reads
    TemporaryFolder scratch;
    std::unique_ptr<OutputFolder> scratchFolder;
    std::size_t encoded = 0;
    for (const MemberFile& file : members) {
        const std::string path = JoinPath(folder, file.fileName);
        FileIdentity identity;
        const std::uint64_t size = FileSizeOf(path, identity);
        rules.inputs.push_back(identity);
        if (!HasExtensionIgnoringCase(file.fileName, ".png")) {
            package.AddInOrder(file.storedName, path, size);
            continue;
        }
        if (!scratchFolder) {
            scratchFolder = std::make_unique<OutputFolder>(OutputFolder::Open(scratch.path()));
        }
        const std::string scratchName = std::to_string(++encoded) + ".k";
        {
            OutputFile output(*scratchFolder, scratchName);
            WriteMemberBytes(MemberPlan{file.storedName, MemberEncoding::kEncodeSkin}, path,
                             PictureKind::kPng, output.file(), options);
            output.Commit();
        }
        const std::string encodedPath = JoinPath(scratch.path(), scratchName);
        package.AddInOrder(file.storedName, encodedPath, FileSizeOf(encodedPath));
    }
    if (package.members().empty()) {
        return result;
    }
    package.Save(packagePath, rules);
    result.members = package.members().size();
    return result;
}

}  // namespace lumigram
