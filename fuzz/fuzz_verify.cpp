// The whole-package check and the listing on arbitrary bytes from memory: they agree with
// each other and every member they report lies inside the file.
#include "fuzz_support.h"
#include "package/ezx_reader.h"
#include "package/member_names.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        MemorySource file(std::span(data, size), "in.ezx");
        const PackageCheck check = CheckPackage(file);
        for (const PackageMember& member : check.members) {
            if (member.contentOffset + member.size > size || member.storedName.empty() ||
                member.storedName.size() > 255) {
                fuzz::Fail("a checked member lies outside the package");
            }
            UnsafeMemberNameReason(member.storedName);
            EscapeName(AnsiToUtf8(member.storedName), true);
        }
        try {
            const std::vector<PackageMember> listed = ReadPackageMembers(file);
            if (!check.problems.empty() || listed.size() != check.members.size()) {
                fuzz::Fail("listing and check disagree");
            }
        } catch (const FormatError& refusal) {
            if (check.problems.empty()) {
                fuzz::Fail("listing refused a package the check passed");
            }
            // The listing stops at its first fault: the one the check tells first.
            if (refusal.what() != kDamagedPackage + check.problems.front().Message()) {
                fuzz::Fail("listing refused with another fault than the check's first");
            }
        }
    } catch (const Error&) {
    }
    return 0;
}
