// Packs and unpacks two folders with lumigram-cli, and with tar on the same
// folders in the same run: 2,000 files of 20 KiB, and 8 files of 64 MiB.
// Prints each time and its ratio to tar's (targets: 1.0 or less for the small
// files, 0.8 or less for the large ones), and the peak
// memory of each lumigram-cli run, which must not grow with member size.
// Then the cost of the sync that an edit in place makes: update of a 10 MiB
// package in place (synced before its rename) against the same update written
// to a new file (not synced), on the system's temporary folder, a disk where
// /dev/shm is memory.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "platform/byte_file.h"

using namespace lumigram;
namespace fs = std::filesystem;

namespace {

void FillFolder(const std::string& folder, int files, std::size_t size) {
    fs::create_directories(folder);
    static const char* kExtensions[] = {".k", ".g", ".a"};
    std::vector<std::uint8_t> block(1 << 20);
    for (int i = 0; i < files; ++i) {
        ByteFile file =
            ByteFile::Create(folder + "/member" + std::to_string(i) + kExtensions[i % 3]);
        for (std::size_t left = size; left > 0;) {
            const std::size_t n = std::min(left, block.size());
            for (std::size_t k = 0; k < n; ++k) {
                block[k] = static_cast<std::uint8_t>(k * 31 + i + left);
            }
            file.Write(std::span(block.data(), n));
            left -= n;
        }
        file.Close();
    }
}

void Fresh(const std::string& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

// Runs ours and tar's command turn about, each from the same state of the
// machine (nothing waiting to be written back), and keeps the median run of
// each: a single lucky or unlucky run moves neither figure.
std::pair<bench::CommandRun, bench::CommandRun> TurnAbout(
    int runs, const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
    const std::function<void(int side)>& prepare) {
    std::vector<bench::CommandRun> sides[2];
    for (int i = 0; i < runs; ++i) {
        for (int side = 0; side < 2; ++side) {
            if (prepare) {
                prepare(side);
            }
            ::sync();
            const bench::CommandRun run = bench::RunCommand(side == 0 ? ours : theirs);
            if (run.peakKiB < 0) {
                std::printf("  (a command failed)\n");
            }
            sides[side].push_back(run);
        }
    }
    for (auto& side : sides) {
        std::sort(side.begin(), side.end(),
                  [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    }
    return {sides[0][sides[0].size() / 2], sides[1][sides[1].size() / 2]};
}

void Report(const char* what, const char* tarWhat, const bench::CommandRun& ours,
            const bench::CommandRun& tar, double target) {
    std::printf("  %-7s %7.3f s, %s %7.3f s, ratio %.2f (target <= %.1f), peak %.1f MiB\n", what,
                ours.seconds, tarWhat, tar.seconds, ours.seconds / tar.seconds, target,
                bench::MiBOf(ours.peakKiB));
    std::printf("          user+system %7.3f s against %7.3f s, ratio %.2f\n", ours.cpuSeconds,
                tar.cpuSeconds, ours.cpuSeconds / tar.cpuSeconds);
}

void Compare(const char* label, const bench::ScratchFolder& dir, const std::string& src, int runs,
             double target) {
    const std::string ezx = dir.File("bench.ezx");
    const std::string tarFile = dir.File("bench.tar");
    const std::string out = dir.File("out");
    std::printf("%s\n", label);
    // Both write a new file each time: replacing an existing package costs ours
    // a second copy's worth of space until the rename, which is not packing.
    const auto [pack, tarPack] =
        TurnAbout(runs, {LUMIGRAM_CLI, "pack", src, ezx}, {"tar", "-cf", tarFile, "-C", src, "."},
                  [&](int side) { fs::remove(side == 0 ? ezx : tarFile); });
    Report("pack:", "tar -cf", pack, tarPack, target);
    const auto [unpack, tarUnpack] =
        TurnAbout(runs, {LUMIGRAM_CLI, "unpack", ezx, out}, {"tar", "-xf", tarFile, "-C", out},
                  [&](int) { Fresh(out); });
    Report("unpack:", "tar -xf", unpack, tarUnpack, target);
}

void SyncCost(int runs) {
    bench::ScratchFolder dir(std::filesystem::temp_directory_path().string());
    const std::string members = dir.File("ten");
    FillFolder(members, 160, 64 * 1024);
    const std::string pkg = dir.File("ten.ezx");
    const std::string fresh = dir.File("new.ezx");
    const std::string member = members + "/member0.k";
    bench::RunCommand({LUMIGRAM_CLI, "pack", members, pkg});
    std::printf("update of a 10 MiB package in %s (median of %d)\n", dir.path().c_str(), runs);
    const auto [inPlace, toNew] =
        TurnAbout(runs, {LUMIGRAM_CLI, "update", pkg, member},
                  {LUMIGRAM_CLI, "update", pkg, member, "-o", fresh}, [&](int side) {
                      if (side == 1) {
                          fs::remove(fresh);
                      }
                  });
    std::printf(
        "  in place, synced %7.3f s; to a new file, not synced %7.3f s; the sync costs "
        "%.3f s (ratio %.2f)\n",
        inPlace.seconds, toNew.seconds, inPlace.seconds - toNew.seconds,
        inPlace.seconds / toNew.seconds);
}

}  // namespace

int main() {
    bench::ScratchFolder dir(bench::BenchBase());
    std::printf("working in %s\n", dir.path().c_str());
    const std::string small = dir.File("small");
    const std::string large = dir.File("large");
    FillFolder(small, 2000, 20 * 1024);
    FillFolder(large, 8, 64u << 20);
    Compare("2,000 files of 20 KiB (median of 9)", dir, small, 9, 1.0);
    Compare("8 files of 64 MiB (median of 7)", dir, large, 7, 0.8);
    SyncCost(9);
    return 0;
}
