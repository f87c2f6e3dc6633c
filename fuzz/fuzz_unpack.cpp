// The package reader on arbitrary bytes from memory, unpacked into a fresh
// folder. Nothing
// may appear outside that folder, and every member file written has exactly its
// stated size.
#include <filesystem>
#include <map>

#include "fuzz_support.h"
#include "package/ezx_reader.h"
#include "package/ezx_unpack.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

using namespace lumigram;
namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemorySource package(std::span(data, size), "in.ezx");
    const std::string target = fuzz::WorkFolder() + "/target";
    std::error_code ignored;
    fs::remove_all(target, ignored);
    fs::create_directory(target);

    std::map<std::string, std::uint32_t> stated;  // the first member of a name is unpacked
    std::map<std::string, bool> refused;
    try {
        for (const PackageMember& member : ReadPackageMembers(package)) {
            stated.emplace(AnsiToUtf8(member.storedName), member.size);
        }
    } catch (const Error&) {
    }
    try {
        UnpackOptions options;
        options.onMemberNotWritten = [&](const MemberProblem& problem) {
            refused[problem.memberPath] = true;
        };
        UnpackEZX(package, target, options);
    } catch (const Error&) {
    }

    for (const auto& entry : fs::directory_iterator(fuzz::WorkFolder())) {
        const std::string name = entry.path().filename().string();
        if (name != "target") {
            fuzz::Fail("file written outside the target folder: " + name);
        }
    }
    for (const auto& entry : fs::directory_iterator(target)) {
        const std::string name = entry.path().filename().string();
        const auto it = stated.find(name);
        if (it == stated.end()) {
            fuzz::Fail("file that is no member: " + name);
        }
        if (entry.is_regular_file() && fuzz::SizeOf(entry.path().string()) != it->second) {
            fuzz::Fail("member file of the wrong size: " + name);
        }
    }
    return 0;
}
