// The edits every front end must carry out alike (tests/support/edit_cases.json),
// through the workbench's document: by position, as its user does them, with
// each row's transparency settings; the package saved afterwards must be the
// one laid out from the row's members.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "app/workbench/member_from_file.h"
#include "app/workbench/workbench_document.h"
#include "package/editable_package.h"
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

TEST(EditCases, TheWorkbenchDocumentGivesEveryRowsMembers) {
    std::ifstream in(LUMIGRAM_EDIT_CASES);
    ASSERT_TRUE(in) << LUMIGRAM_EDIT_CASES;
    const nlohmann::json table = nlohmann::json::parse(in);
    for (const nlohmann::json& row : table["cases"]) {
        SCOPED_TRACE(row["what"].get<std::string>());
        TempDir dir;
        const std::vector<Member> start =
            MembersOf(table["packages"][row["package"].get<std::string>()]);
        WriteAll(dir.File("p.ezx"), BuildPackage(start));
        std::unique_ptr<WorkbenchDocument> document = WorkbenchDocument::Open(dir.File("p.ezx"));
        ConversionOptions options;
        options.transparencyEnabled = row.value("transparency", true);
        if (row.contains("colour")) {
            const auto rgb = static_cast<std::uint32_t>(
                std::stoul(row["colour"].get<std::string>(), nullptr, 16));
            options.colour = TransparencyColour{static_cast<std::uint8_t>(rgb),
                                                static_cast<std::uint8_t>(rgb >> 8),
                                                static_cast<std::uint8_t>(rgb >> 16)};
        }
        const auto file = [&] {
            const std::string name = row["file"];
            WriteAll(dir.File(name), FromHex(table["files"][name]));
            return dir.File(name);
        };
        const std::string edit = row["edit"];
        const std::size_t member = row.value("member", std::size_t{0});
        // Rows the CLI cannot carry out say nothing of the members afterwards:
        // by position the member is deleted, or takes the file as it is.
        std::vector<Member> expected = row.contains("members") ? MembersOf(row["members"]) : start;
        if (edit == "replace") {
            document->Replace(
                member, MemberBytesFromFile(document->member(member).storedName, file(), options));
            if (!row.contains("members")) {
                expected[member].content = FromHex(table["files"][row["file"].get<std::string>()]);
            }
        } else if (edit == "add") {
            MemberFromFile added = MemberForFile(file(), options);
            document->Add(added.storedName, std::move(added.bytes));
        } else if (edit == "rename") {
            document->Rename(member, row["to"].get<std::string>());
        } else if (edit == "delete") {
            document->Remove({member});
            if (!row.contains("members")) {
                expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(member));
            }
        } else {
            FAIL() << "unknown edit " << edit;
        }
        document->package().Save(dir.File("saved.ezx"));
        EXPECT_EQ(ReadAll(dir.File("saved.ezx")), BuildPackage(expected));
    }
}

}  // namespace
}  // namespace lumigram::test
