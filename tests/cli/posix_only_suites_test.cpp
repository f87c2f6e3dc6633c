// Windows only: the CLI suites that need what only POSIX systems have are not
// built here; each is listed as skipped with the reason, so a run says so.
#include <gtest/gtest.h>

namespace {

TEST(KillTest, SkippedOnWindows) {
    GTEST_SKIP() << "POSIX only: SIGKILL mid-write and fork have no Windows form";
}

TEST(HostileOutputs, SkippedOnWindows) {
    GTEST_SKIP() << "POSIX only: FIFOs, hard and symbolic links, /dev/zero and /dev/full "
                    "as outputs; Windows counterparts are in windows_outputs_test";
}

}  // namespace
