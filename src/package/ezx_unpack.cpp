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
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/thread_buffer.h"

namespace lumigram {
namespace {

// Content is read straight into this block, as much as it has room for,
// which goes to the member file in one write when full.
struct UnpackBuffers {
    std::array<std::uint8_t, 65536> block{};
};

// Copies size bytes from the package into the member file, chunk by chunk.
void CopyContent(ByteFile& package, const PackageMember& member, ByteFile& output,
                 UnpackBuffers& buffers) {
    // Large contents go from the package to the member file inside the kernel.
    if (member.size >= kKernelCopyMinimum) {
        if (CopyRange(package, member.contentOffset, output, 0, member.size, buffers.block) !=
            member.size) {
            throw IoError(kReadBeyondEndOfFile, package.path());
        }
        return;
    }
    BlockWriter writer(output, 0, buffers.block);
    std::uint64_t offset = member.contentOffset;
    std::uint64_t left = member.size;
    while (left > 0) {
        const std::span<std::uint8_t> room = writer.ReserveUpTo(
            static_cast<std::size_t>(std::min<std::uint64_t>(left, buffers.block.size())));
        const std::size_t want = room.size();
        const std::size_t got = package.ReadAt(offset, room);
        if (got != want) {
            // The check saw the content in the file: it shrank under us.
            throw IoError(kReadBeyondEndOfFile, package.path());
        }
        writer.Commit(got);
        offset += got;
        left -= got;
    }
    writer.Flush();
}

// Writes one member through the output layer. A member that fails is reported
// and the run goes on, with two exceptions that end it: the package itself
// failing, and a full disk, where every member after would fail the same way.
template <typename Report>
bool WriteMember(ByteFile& package, const PackageMember& member, const OutputFolder& folder,
                 const std::string& name, const OutputRules& rules, UnpackBuffers& buffers,
                 const Report& report) {
    std::optional<OutputFile> output;
    try {
        output.emplace(folder, name, rules);
    } catch (const IoError& error) {
        if (error.code() == kDiskFull) {
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
        if (error.code() == kDiskFull || error.path() == package.path()) {
            throw;
        }
        report("cannot write \"" + EscapeName(name, true) + "\": " + error.what());
        return false;
    }
}

}  // namespace

UnpackResult UnpackEZX(const std::string& PackageFileName, const std::string& Folder,
                       const UnpackOptions& options) {
    ByteFile package = ByteFile::OpenRead(PackageFileName);
    const std::vector<PackageMember> members = ReadPackageMembers(package);
    // The folder is made only now that the package has passed its check, and it
    // is opened once: every member is created and renamed relative to it.
    OutputFolder folder =
        options.createFolder ? OutputFolder::OpenCreating(Folder) : OutputFolder::Open(Folder);
    folder.ListEntriesOnce();
    OutputRules rules;
    rules.inputs.push_back(IdentityOf(package));  // a member named like the package
    UnpackBuffers& buffers = ThreadBuffer<UnpackBuffers>();

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
        const std::string path = folder.PathOf(name);
        if (!skipped[i].empty()) {
            report(member, path, skipped[i]);
        } else if (options.skipExisting && folder.Holds(name)) {
            ++result.skipped;
        } else {
            const auto reportThis = [&](const std::string& what) { report(member, path, what); };
            if (WriteMember(package, member, folder, name, rules, buffers, reportThis)) {
                ++result.written;
            }
        }
        if (options.onProgress && !options.onProgress(i + 1, members.size())) {
            result.cancelled = i + 1 < members.size();
            break;
        }
    }
    package.Close();
    return result;
}

}  // namespace lumigram
