#include "platform/path.h"

#include <gtest/gtest.h>

namespace lumigram {
namespace {

TEST(Path, ExtensionIsFromTheLastDotAfterTheLastSeparator) {
    const std::pair<const char*, const char*> cases[] = {
        {"/skins/icon.k", ".k"},
        {"/skins/a.b.k", ".k"},
        {"/skins.v2/readme", ""},
        {"/skins/noext", ""},
        {"icon.", "."},
        {"/x/.hidden", ".hidden"},
        {"/x/PIC.K", ".K"},
        {"", ""},
        {"/skins/a.tar.gz", ".gz"},
    };
    for (const auto& [path, ext] : cases) {
        EXPECT_EQ(ExtractFileExt(path), ext) << path;
    }
}

TEST(Path, FolderAndNameParts) {
    EXPECT_EQ(ExtractFilePath("/skins/icon.k"), "/skins/");
    EXPECT_EQ(ExtractFileName("/skins/icon.k"), "icon.k");
    EXPECT_EQ(ExtractFilePath("icon.k"), "");
    EXPECT_EQ(ExtractFileName("icon.k"), "icon.k");
    EXPECT_EQ(ExtractFilePath("/icon.k"), "/");
#ifndef _WIN32
    // ":" is an ordinary character on POSIX.
    EXPECT_EQ(ExtractFileName("/a/c:d.k"), "c:d.k");
#endif
}

TEST(Path, ChangeExtensionAndJoin) {
    EXPECT_EQ(ChangeFileExt("/s/icon.k", ".bmp"), "/s/icon.bmp");
    EXPECT_EQ(ChangeFileExt("/s/my.skin.a", ".k"), "/s/my.skin.k");
    EXPECT_EQ(ChangeFileExt("/s.d/noext", ".k"), "/s.d/noext.k");
#ifdef _WIN32
    EXPECT_EQ(JoinPath("C:\\out", "temp.bmp"), "C:\\out\\temp.bmp");
#else
    EXPECT_EQ(JoinPath("/out", "temp.bmp"), "/out/temp.bmp");
    // At the root the separator doubles; the platform accepts that.
    EXPECT_EQ(JoinPath("/", "temp.bmp"), "//temp.bmp");
#endif
}

TEST(Path, FileKindIgnoresCase) {
    const std::pair<const char*, FileKind> cases[] = {
        {"/s/icon.k", FileKind::kSkin},     {"/s/wall.g", FileKind::kGPicture},
        {"/s/PIC.K", FileKind::kSkin},      {"/s/PIC.G", FileKind::kGPicture},
        {"/s/menu.a", FileKind::kOrdinary}, {"/s/pic.bmp", FileKind::kOrdinary},
        {"/s/noext", FileKind::kOrdinary},  {"/s.k/noext", FileKind::kOrdinary},
    };
    for (const auto& [path, kind] : cases) {
        EXPECT_EQ(FileKindOf(path), kind) << path;
    }
}

}  // namespace
}  // namespace lumigram
