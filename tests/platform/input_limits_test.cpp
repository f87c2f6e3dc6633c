// Every input limit of the core, at the limit (accepted) and one past it
// (refused before anything is allocated or written). Limits with tests of their
// own elsewhere are named there: picture widths and heights in the BMP and
// decoder tests, member count and name length in the package tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec/codec_test_support.h"
#include "package/ezx_pack.h"
#include "package/ezx_unpack.h"
#include "platform/input_limits.h"
#include "support/packages.h"

namespace lumigram::test {
namespace {

using InputLimits = CodecTest;

TEST_F(InputLimits, PictureBytesMustAllBeInTheFile) {
    // Every row present (the file ends at the last row): accepted.
    const Bytes rows(3 * 8, 0);
    EXPECT_EQ(Decode(MakeSkin(2, 3, 18, 8, rows)).size(), 54u + 24);
    // One byte short: refused, nothing written.
    EXPECT_NE(DecodeRefusal(MakeSkin(2, 3, 18, 8, Bytes(23, 0))).find("pixel rows run past"),
              std::string::npos);
    // A BMP whose pixel data ends exactly at the end of the file, and one byte short.
    BmpSpec spec;
    spec.width = 3;
    spec.height = 3;
    Bytes bmp = MakeBmp(spec);
    EXPECT_EQ(Encode(bmp).size(), 16u + 36);  // 3 pixels wide: no mask bytes
    bmp.pop_back();
    EXPECT_NE(EncodeRefusal(bmp).find("pixel data runs past"), std::string::npos);
}

TEST(PackageLimits, LengthMustStayBelowTwoGibibytes) {
    const PackageLayout example = LayOutPackage(14, 2, 5 + 8 + 3 + 8);
    EXPECT_EQ(example.indexOffset, 72);
    EXPECT_EQ(example.length, 140);  // the two-member example

    // Choose the data area so that the package is exactly 2^31 - 1 bytes.
    const PackageLayout base = LayOutPackage(13, 1, 0);
    const std::int64_t fits = kMaxPackageBytes - base.length;
    EXPECT_EQ(LayOutPackage(13, 1, fits).length, kMaxPackageBytes);
    EXPECT_NO_THROW(CheckPackageLength(LayOutPackage(13, 1, fits).length, "/skin"));
    try {
        CheckPackageLength(LayOutPackage(13, 1, fits + 1).length, "/skin");
        FAIL() << "not refused";
    } catch (const FormatError& error) {
        EXPECT_STREQ(error.what(),
                     "the package would be 2147483648 bytes, a package must stay below 2 GiB");
        EXPECT_EQ(error.path(), "/skin");
    }
}

TEST(PackageLimits, ANameOf255BytesIsReadAnd256IsRefused) {
    TempDir dir;
    const std::string name255 = std::string(253, 'n') + ".k";
    WriteAll(dir.File("ok.ezx"), BuildPackage({{name255, {1}}}));
    std::filesystem::create_directory(dir.File("out"));
    EXPECT_EQ(UnpackEZX(dir.File("ok.ezx"), dir.File("out")).written, 1u);
    WriteAll(dir.File("long.ezx"), BuildPackage({{name255 + "x", {1}}}));
    EXPECT_THROW(UnpackEZX(dir.File("long.ezx"), dir.File("out")), FormatError);
}

}  // namespace
}  // namespace lumigram::test
