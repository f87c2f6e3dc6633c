// Every write, close and rename that lumigram-cli makes while replacing an
// existing output fails in turn, run in this process through the byte-file
// layer's fault seam: the earlier output must survive byte for byte, no
// temporary file may stay, and the message must name a path.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "cli/cli_app.h"
#include "platform/fault_injection.h"
#include "support/packages.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

struct SweepResult {
    int failures = 0;  // runs in which the injected fault was reached
};

// Runs the CLI with arguments, failing the nth counted operation; returns the
// exit code and what it printed on stderr.
std::pair<int, std::string> RunFailing(std::vector<std::string> arguments, int n, bool& reached) {
    std::vector<char*> argv;
    static std::string program = "lumigram-cli";
    argv.push_back(program.data());
    for (std::string& a : arguments) {
        argv.push_back(a.data());
    }
    std::ostringstream captured;
    std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
    std::streambuf* savedOut = std::cout.rdbuf(captured.rdbuf());
    int calls = 0;
    reached = false;
    int code;
    {
        ScopedIoFault fault([&](IoOp op) {
            const bool counted = op == IoOp::kWrite || op == IoOp::kClose || op == IoOp::kRename ||
                                 op == IoOp::kCreate;
            if (counted && ++calls == n) {
                reached = true;
                return ENOSPC;
            }
            return 0;
        });
        code = cli::RunCli(static_cast<int>(argv.size()), argv.data());
    }
    std::cerr.rdbuf(saved);
    std::cout.rdbuf(savedOut);
    return {code, captured.str()};
}

SweepResult Sweep(const TempDir& dir, const std::string& output, const Bytes& earlier,
                  const std::vector<std::string>& arguments) {
    SweepResult result;
    for (int n = 1;; ++n) {
        WriteAll(output, earlier);
        const std::vector<std::string> before = ListFolder(dir.path());
        bool reached = false;
        const auto [code, printed] = RunFailing(arguments, n, reached);
        if (!reached) {
            EXPECT_EQ(code, 0) << printed;
            return result;
        }
        ++result.failures;
        EXPECT_EQ(code, 1) << "failure at operation " << n;
        // The message names the file by its full path.
#ifdef _WIN32
        EXPECT_NE(printed.find("lumigram-cli: C:\\"), std::string::npos) << printed;
#else
        EXPECT_NE(printed.find("lumigram-cli: /"), std::string::npos) << printed;
#endif
        EXPECT_NE(printed.find("Disk full"), std::string::npos) << printed;
        EXPECT_EQ(ReadAll(output), earlier) << "failure at operation " << n;
        EXPECT_EQ(ListFolder(dir.path()), before) << "failure at operation " << n;
    }
}

TEST(FaultSweep, EncodeAndDecodeNeverDamageAnEarlierOutput) {
    TempDir dir;
    BmpSpec spec;
    spec.width = 300;  // rows big enough for several block writes
    spec.height = 700;
    WriteAll(dir.File("in.bmp"), MakeBmp(spec));
    const Bytes earlier{'o', 'l', 'd'};
    const SweepResult encode =
        Sweep(dir, dir.File("out.k"), earlier, {"encode", dir.File("in.bmp"), dir.File("out.k")});
    EXPECT_GE(encode.failures, 4);

    WriteAll(dir.File("in.k"), ReadAll(dir.File("out.k")));
    const SweepResult decode =
        Sweep(dir, dir.File("out.bmp"), earlier, {"decode", dir.File("in.k"), dir.File("out.bmp")});
    EXPECT_GE(decode.failures, 4);
    std::cout << "fault sweep: encode " << encode.failures << " failure points, decode "
              << decode.failures << "\n";
}

TEST(FaultSweep, PackNeverDamagesAnEarlierPackage) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("src"));
    WriteAll(dir.File("src/icon.k"), CountingBytes(200000));
    WriteAll(dir.File("src/wall.g"), CountingBytes(3000, 5));
    const SweepResult pack = Sweep(dir, dir.File("skin.ezx"), ExamplePackage(),
                                   {"pack", dir.File("src"), dir.File("skin.ezx")});
    EXPECT_GE(pack.failures, 4);
    std::cout << "fault sweep: pack " << pack.failures << " failure points\n";
}

}  // namespace
}  // namespace lumigram::test
