#include "platform/copy_by_blocks.h"

#include <array>
#include <cstdint>

#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

constexpr std::size_t kBlockSize = 4096;

bool SameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = IdentityOfPath(a);
    return first && first == IdentityOfPath(b);
}

}  // namespace

void CopyFileByBlocks(const std::string& source, const std::string& destination) {
    ByteFile in = ByteFile::OpenRead(source);
    if (SameFile(source, destination)) {
        throw Error("cannot copy a file onto itself", destination);
    }
    OutputRules rules;
    rules.inputs.push_back(IdentityOf(in));  // a link swapped in meanwhile changes nothing
    const std::unique_ptr<OutputFile> out = OutputFile::ForPath(destination, false, rules);
    std::array<std::uint8_t, kBlockSize> block{};
    CopyToEnd(in, out->file(), block);
    in.Close();
    out->Commit();
}

bool CopyFileQuietly(const std::string& source, const std::string& destination) {
    try {
        ByteFile in = ByteFile::OpenRead(source);
        const std::unique_ptr<OutputFile> out = OutputFile::ForPath(destination, false);
        CopyBlock block{};
        CopyToEnd(in, out->file(), block);
        out->Commit();
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace lumigram
