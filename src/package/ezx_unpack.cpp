#include "package/ezx_unpack.h"

#include <array>
#include <optional>

#include "package/ezx_format.h"
#include "package/ezx_reader.h"
#include "package/member_names.h"
#include "package/member_screening.h"
#include "platform/ansi_codepage.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/folder_writes.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/thread_buffer.h"

namespace lumigram {
namespace {

// Copies the member's content from the package into the member file. The
// check saw the content in the file: running short means it shrank under us.
void CopyContent(ByteSource& package, const PackageMember& member, ByteFile& output,
                 CopyBlock& block) {
    BlockWriter writer(output, 0, block);
    CopyExactly(package, member.contentOffset, member.size, writer);
    writer.Flush();
}

// Writes one member through the output layer. A member that fails is reported
// and the run goes on, with two exceptions that end it: the package itself
// failing, and a full disk, where every member after would fail the same way.
template <typename Report>
bool WriteMember(ByteSource& package, const PackageMember& member, const OutputFolder& folder,
                 const std::string& name, const OutputRules& rules, CopyBlock& buffers,
                 const Report& report) {
    std::optional<OutputFile> output;
    try {
        output.emplace(folder, name, rules);
    } catch (const IoError& error) {
        if (error.code() == IoCode::kDiskFull) {
            throw;
        }
        report("cannot create \"" + EscapeName(name, true) + "\": " + error.what());
        return false;
    }
    try {
        CopyContent(package, member, output->file(), buffers);
        output->Commit();
        return true;
    } catch (const IoError& error) {
        if (error.code() == IoCode::kDiskFull || error.path() == package.name()) {
            throw;
        }
        report("cannot write \"" + EscapeName(name, true) + "\": " + error.what());
        return false;
    }
}

}  // namespace

UnpackResult UnpackEZX(const std::string& packageFileName, const std::string& folder,
                       const UnpackOptions& options) {
    ByteFile package = ByteFile::OpenRead(packageFileName);
    UnpackResult result = UnpackEZX(package, folder, options);
    package.Close();
    return result;
}

UnpackResult UnpackEZX(ByteSource& package, const std::string& folder,
                       const UnpackOptions& options) {
    const std::vector<PackageMember> members = ReadPackageMembers(package);
    // The folder is made only now that the package has passed its check, and it
    // is opened once: every member is created and renamed relative to it.
    OutputFolder output =
        options.createFolder ? OutputFolder::OpenCreating(folder) : OutputFolder::Open(folder);
    // Probed before the listing, so that the probe is never among the entries.
    FolderWrites writes(output);
    output.ListEntriesOnce();
    OutputRules rules;
    if (const auto* file = dynamic_cast<const ByteFile*>(&package)) {
        rules.inputs.push_back(IdentityOf(*file));  // a member named like the package
    }
    CopyBlock& buffers = ThreadBuffer<CopyBlock>();

    UnpackResult result;
    const auto report = [&](const PackageMember& member, const std::string& path,
                            const std::string& what) {
        ++result.notWritten;
        if (options.onMemberNotWritten) {
            options.onMemberNotWritten(MemberProblem{
                member.number, path, "member " + std::to_string(member.number) + ": " + what});
        }
    };

    // Unsafe, hidden and repeated names are skipped and reported.
    const std::vector<std::string> skipped = ScreenMemberNames(members);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const PackageMember& member = members[i];
        const std::string name = AnsiToUtf8(member.storedName);
        const std::string path = output.PathOf(name);
        if (!skipped[i].empty()) {
            report(member, path, skipped[i]);
        } else if (const std::optional<std::string> earlier = writes.EarlierOutput(name)) {
            // The first of the names wins, as for duplicate names.
            report(
                member, path,
                "another member, " + EscapeName(*earlier, true) + ", " + writes.SameFileReason());
        } else if (options.skipExisting && output.Holds(name)) {
            ++result.skipped;
        } else {
            const auto reportThis = [&](const std::string& what) { report(member, path, what); };
            if (WriteMember(package, member, output, name, rules, buffers, reportThis)) {
                ++result.written;
            }
            // Taken even when it failed: the first member of a file's names is
            // the one for it, as for duplicate names.
            writes.Written(name);
        }
        if (options.onProgress && !options.onProgress(i + 1, members.size())) {
            result.cancelled = i + 1 < members.size();
            break;
        }
    }
    return result;
}

}  // namespace lumigram
