// The in-memory package against hand-laid packages: each edit saved must give
// exactly the package laid out by hand with the members in the expected order.
#include "package/editable_package.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "package/package_diff.h"
#include "platform/io_error.h"
#include "support/packages.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

// In pack's order: first .k, first .g, first .a, second .k, second .a.
const std::vector<Member> kStart = {
    {"a.k", {1, 2, 3}}, {"x.g", {4}}, {"y.a", {}}, {"b.k", CountingBytes(70000)}, {"z.a", {5, 6}}};

TEST(EditablePackage, EditsKeepTheOtherMembersAndPutNewOnesWherePackWould) {
    const Bytes fresh = {9, 9};
    struct Row {
        const char* what;
        std::function<void(EditablePackage&)> edit;
        std::vector<Member> expected;
    };
    const Row rows[] = {
        {"nothing", [](EditablePackage&) {}, kStart},
        {"replace keeps the place",
         [&](EditablePackage& p) { p.Put("b.k", fresh); },
         {kStart[0], kStart[1], kStart[2], {"b.k", fresh}, kStart[4]}},
        {"a new .k after the first round, the others in their order",
         [&](EditablePackage& p) { p.Put("aa.k", fresh); },
         {kStart[0], kStart[1], kStart[2], {"aa.k", fresh}, kStart[3], kStart[4]}},
        {"a new .g first in its group",
         [&](EditablePackage& p) { p.Put("w.g", fresh); },
         {kStart[0], {"w.g", fresh}, kStart[1], kStart[2], kStart[3], kStart[4]}},
        {"a new last .a",
         [&](EditablePackage& p) { p.Put("zz.a", fresh); },
         {kStart[0], kStart[1], kStart[2], kStart[3], kStart[4], {"zz.a", fresh}}},
        {"delete",
         [](EditablePackage& p) { p.Remove(*p.Find("x.g")); },
         {kStart[0], kStart[2], kStart[3], kStart[4]}},
        {"rename moves to the new name's place",
         [](EditablePackage& p) { p.Rename(*p.Find("y.a"), "c.k"); },
         {kStart[0], kStart[1], kStart[3], kStart[4], {"c.k", kStart[2].content}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // From memory to memory, as the page and the workbench hold packages.
        EditablePackage held = EditablePackage::Open(std::make_unique<MemorySource>(
            std::make_shared<const Bytes>(BuildPackage(kStart)), "held.ezx"));
        row.edit(held);
        MemorySink out("out.ezx");
        held.Save(out);
        EXPECT_EQ(out.bytes(), BuildPackage(row.expected));
#ifndef _WIN32  // Windows does not replace a package that is still open for reading
        TempDir dir;
        WriteAll(dir.File("in.ezx"), BuildPackage(kStart));
        EditablePackage package = EditablePackage::Open(dir.File("in.ezx"));
        row.edit(package);
        package.Save(dir.File("in.ezx"));  // over the package it reads from
        EXPECT_EQ(ReadAll(dir.File("in.ezx")), BuildPackage(row.expected));
#endif
    }
}

TEST(EditablePackage, RefusesWhatPackRefusesAndDamagedPackages) {
    TempDir dir;
    WriteAll(dir.File("in.ezx"), BuildPackage(kStart));
    EditablePackage package = EditablePackage::Open(dir.File("in.ezx"));
    const struct {
        const char* what;
        std::function<void()> edit;
        const char* message;
    } rows[] = {
        {"a folder in the name", [&] { package.Put("sub/a.k", {}); }, "path separator"},
        {"a hidden name", [&] { package.Put(".a.k", {}); }, "hidden"},
        {"another extension", [&] { package.Put("a.bmp", {}); }, ".k, .g and .a files only"},
        {"too long a name", [&] { package.Put(std::string(254, 'n') + ".k", {}); }, "256 bytes"},
        {"a rename onto a member", [&] { package.Rename(0, "b.k"); }, "already in the package"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            row.edit();
            ADD_FAILURE() << "not refused";
        } catch (const FormatError& error) {
            EXPECT_NE(std::string(error.what()).find(row.message), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(package.members().size(), kStart.size());

    while (!package.members().empty()) {
        package.Remove(0);
    }
    EXPECT_THROW(package.Save(dir.File("in.ezx")), FormatError);
    EXPECT_EQ(ReadAll(dir.File("in.ezx")), BuildPackage(kStart));

    Bytes damaged = ExamplePackage();
    damaged.resize(130);
    WriteAll(dir.File("damaged.ezx"), damaged);
    EXPECT_THROW(EditablePackage::Open(dir.File("damaged.ezx")), FormatError);
}

TEST(EditablePackage, DiffNamesAddedRemovedChangedAndMovedMembers) {
    TempDir dir;
    WriteAll(
        dir.File("a.ezx"),
        BuildPackage({{"a.k", {1}}, {"b.k", {2}}, {"c.k", {3}}, {"d.k", {4}}, {"gone.a", {}}}));
    // b.k moved to the end; c.k same size, other bytes; d.k longer.
    WriteAll(
        dir.File("b.ezx"),
        BuildPackage({{"a.k", {1}}, {"c.k", {9}}, {"d.k", {4, 4}}, {"new.g", {}}, {"b.k", {2}}}));
    const PackageDiff diff = ComparePackages(EditablePackage::Open(dir.File("a.ezx")),
                                             EditablePackage::Open(dir.File("b.ezx")));
    EXPECT_EQ(diff.added, std::vector<std::string>{"new.g"});
    EXPECT_EQ(diff.removed, std::vector<std::string>{"gone.a"});
    ASSERT_EQ(diff.changed.size(), 2u);
    EXPECT_EQ(diff.changed[0].name, "c.k");
    EXPECT_EQ(diff.changed[1].sizeB, 2u);
    EXPECT_EQ(diff.moved, std::vector<std::string>{"b.k"});
    // Positions name the very records: B's new.g, A's gone.a, c.k in both, b.k moved.
    EXPECT_EQ(diff.addedAt, std::vector<std::size_t>{3});
    EXPECT_EQ(diff.removedAt, std::vector<std::size_t>{4});
    EXPECT_EQ(diff.changed[0].at.inA, 2u);
    EXPECT_EQ(diff.changed[0].at.inB, 1u);
    ASSERT_EQ(diff.movedAt.size(), 1u);
    EXPECT_EQ(diff.movedAt[0].inA, 1u);
    EXPECT_EQ(diff.movedAt[0].inB, 4u);
}

}  // namespace
}  // namespace lumigram::test
