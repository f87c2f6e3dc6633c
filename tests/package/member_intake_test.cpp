// Which member a file becomes, and how: the one rule every front end asks.
#include "package/member_intake.h"

#include <gtest/gtest.h>

#include "package/editable_package.h"
#include "platform/io_error.h"

namespace lumigram::test {
namespace {

constexpr auto kBmp = PictureKind::kBmp;
constexpr auto kPng = PictureKind::kPng;
constexpr auto kGif = PictureKind::kGif;
constexpr auto kSkin = PictureKind::kSkin;
constexpr auto kOther = PictureKind::kUnknown;
constexpr auto kByContent = IntakeMode::kByContent;
constexpr auto kAsNamed = IntakeMode::kAsNamed;
constexpr auto kEncode = MemberEncoding::kEncodeSkin;
constexpr auto kSame = MemberEncoding::kUnchanged;
constexpr auto kRefused = static_cast<MemberEncoding>(-1);

TEST(MemberIntake, PlanMemberNamesAndEncodesAsTheRuleSays) {
    const struct {
        const char* what;
        const char* file;
        PictureKind kind;
        IntakeMode mode;
        const char* member;  // or, with the encoding kRefused, the refusal's words
        MemberEncoding encoding;
    } rows[] = {
        {"a PNG becomes .k, encoded", "dir/logo.png", kPng, kByContent, "logo.k", kEncode},
        {"upper case stays upper", "LOGO.PNG", kPng, kByContent, "LOGO.K", kEncode},
        {"mixed case gives lower", "Logo.Bmp", kBmp, kByContent, "Logo.k", kEncode},
        {"a GIF becomes .g unchanged", "anim.gif", kGif, kByContent, "anim.g", kSame},
        {"a .g holding a PNG stays .g", "wall.g", kPng, kByContent, "wall.g", kSame},
        {"a .k named file holding a PNG is encoded", "icon.K", kPng, kByContent, "icon.K", kEncode},
        {"a .k picture as it is", "icon.k", kSkin, kByContent, "icon.k", kSame},
        {"a .k of unknown content as it is", "odd.k", kOther, kByContent, "odd.k", kSame},
        {"an .a takes anything", "x.a", kBmp, kByContent, "x.a", kSame},
        {"a GIF refused by a .k", "icon.k", kGif, kByContent, "cannot hold", kRefused},
        {"a BMP refused by a .g", "wall.g", kBmp, kByContent, "is neither", kRefused},
        {"other files keep their name, refused", "notes.txt", kOther, kByContent,
         ".k, .g and .a files only", kRefused},
        {"as named: a PNG keeps its name, refused", "logo.png", kPng, kAsNamed,
         ".k, .g and .a files only", kRefused},
        {"as named: a .g is taken unchecked", "wall.g", kBmp, kAsNamed, "wall.g", kSame},
        {"a name without Windows-1252 form", "\xe2\x82\xac\xe2\x9c\x93.k", kSkin, kByContent,
         "Windows-1252", kRefused},
        {"a hidden name", ".icon.k", kSkin, kByContent, "hidden", kRefused},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            const MemberPlan plan = PlanMember(row.file, row.kind, row.mode);
            EXPECT_NE(row.encoding, kRefused);
            EXPECT_EQ(plan.storedName, row.member);
            EXPECT_EQ(plan.encoding, row.encoding);
        } catch (const FormatError& error) {
            EXPECT_EQ(row.encoding, kRefused);
            EXPECT_NE(std::string(error.what()).find(row.member), std::string::npos)
                << error.what();
            EXPECT_EQ(error.path(), row.file);
        }
    }
}

TEST(MemberIntake, PlanIntakeMatchesFilesToMembersOrSaysWhyNot) {
    std::vector<PackageEntry> members(4);
    members[0].storedName = "icon.k";
    members[1].storedName = "dup.k";
    members[2].storedName = "dup.k";
    members[3].storedName = "Wall.g";
    const std::vector<IntakeFile> files = {
        {"new/icon.png", kPng}, {"dup.k", kSkin},        {"wall.g", kPng},
        {"new.gif", kGif},      {"other/icon.k", kSkin}, {"bad.txt", kOther},
    };
    const struct {
        IntakeStep::Action action;
        std::size_t member;
        const char* reason;
    } expected[] = {
        {IntakeStep::Action::kReplace, 0, ""},
        {IntakeStep::Action::kSkip, 0, "holds 2 members named \"dup.k\""},
        {IntakeStep::Action::kSkip, 0, "matches the member \"Wall.g\" only when case is ignored"},
        {IntakeStep::Action::kAdd, 0, ""},
        {IntakeStep::Action::kSkip, 0, "goes into the member \"icon.k\", as new/icon.png does"},
        {IntakeStep::Action::kSkip, 0, "cannot be a member"},
    };
    const std::vector<IntakeStep> steps = PlanIntake(files, members, kByContent);
    ASSERT_EQ(steps.size(), files.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(files[i].file);
        EXPECT_EQ(steps[i].action, expected[i].action);
        EXPECT_EQ(steps[i].member, expected[i].member);
        EXPECT_NE(steps[i].reason.find(expected[i].reason), std::string::npos) << steps[i].reason;
    }
    EXPECT_EQ(steps[0].plan.storedName, "icon.k");
    EXPECT_EQ(steps[0].plan.encoding, kEncode);
    EXPECT_EQ(steps[3].plan.storedName, "new.g");
}

}  // namespace
}  // namespace lumigram::test
