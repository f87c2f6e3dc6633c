#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "cli/cli_test_support.h"
#include "codec/skin_encoder.h"
#include "support/pictures.h"

namespace lumigram::test {
namespace {

TEST(ThumbnailCommand, WritesAPngWithRealTransparencyNoLargerThanAsked) {
    TempDir dir;
    BmpSpec spec;
    spec.width = 200;
    spec.height = 100;
    spec.pixel = [](int x, int) { return x < 100 ? Rgb{255, 0, 255} : Rgb{10, 20, 30}; };
    WriteAll(dir.File("pic.bmp"), MakeBmp(spec));
    EncodeSkinPictureTo(dir.File("pic.bmp"), dir.File("pic.k"), TransparencyColour{}, true);

    ASSERT_EQ(RunCli("thumbnail " + Args(dir.File("pic.k"), dir.File("thumb.png"), "50")).exitCode,
              0);
    QImage thumb(QString::fromStdString(dir.File("thumb.png")), "PNG");
    ASSERT_FALSE(thumb.isNull());
    EXPECT_EQ(thumb.size(), QSize(50, 25));
    EXPECT_EQ(qAlpha(thumb.pixel(5, 12)), 0);               // the transparent half
    EXPECT_EQ(thumb.pixel(45, 12), qRgba(28, 20, 8, 255));  // narrowed and widened

    // A picture smaller than the size keeps its own size; a 32-bit one is opaque.
    ASSERT_EQ(RunCli("thumbnail " + Args(dir.File("pic.k"), dir.File("big.png"), "400")).exitCode,
              0);
    EXPECT_EQ(QImage(QString::fromStdString(dir.File("big.png"))).size(), QSize(200, 100));

    WriteAll(dir.File("bad.k"), Bytes(4, 0));
    const CommandResult bad =
        RunCli("thumbnail " + Args(dir.File("bad.k"), dir.File("bad.png"), "64"));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_FALSE(Exists(dir.File("bad.png")));
    EXPECT_EQ(RunCli("thumbnail " + Args(dir.File("pic.k"), dir.File("x.png"), "0")).exitCode, 2);
}

TEST(ThumbnailCommand, AHugePictureCostsWhatItsThumbnailDoes) {
    // 16,383 × 65,535 at 32 bits: a 4 GiB file, sparse here; only sampled rows are read.
    TempDir dir;
    WriteAll(dir.File("huge.k"), MakeSkin(16383, 65535, 32, 65532, {}));
    std::filesystem::resize_file(dir.File("huge.k"), 16 + std::uint64_t{65535} * 65532);
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer reserves terabytes of address space for itself.
    const std::string limit;
#else
    const std::string limit = "ulimit -v 1000000; ";
#endif
    const CommandResult r = RunCommand(limit + ShellQuote(LUMIGRAM_CLI) + " thumbnail " +
                                       Args(dir.File("huge.k"), dir.File("huge.png"), "128"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QImage thumb(QString::fromStdString(dir.File("huge.png")), "PNG");
    EXPECT_EQ(thumb.size(), QSize(31, 128));
    EXPECT_EQ(thumb.pixel(3, 100), qRgba(0, 0, 0, 255));
}

}  // namespace
}  // namespace lumigram::test
