// The edits every front end must carry out alike (tests/support/edit_cases.json),
// through lumigram-cli: each row's package afterwards must be exactly the one
// laid out by hand from its members.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/cli_test_support.h"
#include "support/packages.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::vector<Member> MembersOf(const nlohmann::json& list) {
    std::vector<Member> members;
    for (const auto& pair : list) {
        members.push_back({pair[0].get<std::string>(), FromHex(pair[1].get<std::string>())});
    }
    return members;
}

TEST(EditCases, TheCliGivesEveryRowsMembers) {
    std::ifstream in(LUMIGRAM_EDIT_CASES);
    ASSERT_TRUE(in) << LUMIGRAM_EDIT_CASES;
    const nlohmann::json table = nlohmann::json::parse(in);
    for (const nlohmann::json& row : table["cases"]) {
        const std::string what = row["what"];
        SCOPED_TRACE(what);
        const std::string cli = row.value("cli", "");
        if (cli == "by position only") {
            continue;
        }
        TempDir dir;
        const std::vector<Member> start =
            MembersOf(table["packages"][row["package"].get<std::string>()]);
        const std::string package = dir.File("p.ezx");
        WriteAll(package, BuildPackage(start));
        std::string options;
        if (!row.value("transparency", true)) {
            options += " --no-transparency";
        }
        if (row.contains("colour")) {
            options += " --transparency-color " + row["colour"].get<std::string>();
        }
        const std::string edit = row["edit"];
        const auto member = [&] { return start[row["member"].get<std::size_t>()].name; };
        CommandResult result;
        if (edit == "replace" || edit == "add") {
            // Named as the member it replaces: update matches files to members by name.
            const std::string file =
                dir.File(edit == "replace" ? member() : row["file"].get<std::string>());
            WriteAll(file, FromHex(table["files"][row["file"].get<std::string>()]));
            result = RunCli(Args("update", package, file, "--convert") + options);
        } else if (edit == "delete") {
            result = RunCli(Args("delete", package, member()));
        } else if (edit == "rename") {
            const std::string file = dir.File(row["to"].get<std::string>());
            result = RunCli(Args("extract", package, member(), "-o", file));
            ASSERT_EQ(result.exitCode, 0) << result.err;
            result = RunCli(Args("delete", package, member()));
            ASSERT_EQ(result.exitCode, 0) << result.err;
            result = RunCli(Args("update", package, file));
        } else {
            FAIL() << "unknown edit " << edit;
        }
        if (cli == "refused") {
            EXPECT_EQ(result.exitCode, 1) << result.err;
            EXPECT_EQ(ReadAll(package), BuildPackage(start))
                << "a refused edit changed the package";
            continue;
        }
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(ReadAll(package), BuildPackage(MembersOf(row["members"])));
    }
}

}  // namespace
}  // namespace lumigram::test
