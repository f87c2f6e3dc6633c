// The edit transaction of a package file: two edits of one version never both
// succeed, the loser says why, nothing is lost; links are followed by edits in
// place and replaced by new outputs.
#include "package/package_edit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/scoped_hook.h"
#include "support/packages.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

namespace fs = std::filesystem;

const std::vector<Member> kStart = {{"a.k", {1}}, {"b.k", {2}}};

// The member names of the package at path, in order.
std::vector<std::string> NamesIn(const std::string& path) {
    std::vector<std::string> names;
    const EditablePackage package = EditablePackage::Open(path);
    for (const PackageEntry& entry : package.members()) {
        names.push_back(entry.storedName);
    }
    return names;
}

// Runs save, returning the text of what it raised, or "" when it succeeded.
std::string Outcome(const std::function<void()>& save) {
    try {
        save();
        return "";
    } catch (const Error& error) {
        return error.what();
    }
}

TEST(PackageEdit, TwoEditsOfOneVersionNeverBothSucceed) {
    constexpr std::chrono::milliseconds kShortWait{60};
    const std::string changed = "changed on disk since it was read; nothing was written";
    struct Row {
        const char* what;
        // Runs while the first edit holds the package's lock, just before its
        // check and rename (nothing: the second edit ran before the first saved).
        std::function<void(const std::string& pkg, const std::string& dir)> meanwhile;
        // An edit that reads and saves between the first's read and save.
        std::function<void(EditablePackage&)> second;
        std::string firstOutcome;
        std::vector<std::string> namesAfter;
    };
    const auto otherEdit = [&](const std::string& pkg,
                               const std::function<void(EditablePackage&)>& edit,
                               const InPlaceSaveOptions& options = {}) {
        EditablePackage package = EditablePackage::Open(pkg);
        edit(package);
        SaveInPlace(package, pkg, package.openedStamp(), options);
    };
    const Row rows[] = {
        {"update, then another update of the version read",
         nullptr,
         [](EditablePackage& p) { p.Put("second.k", {9}); },
         changed,
         {"a.k", "b.k", "second.k"}},
        {"update, then a delete of the version read",
         nullptr,
         [](EditablePackage& p) { p.Remove(*p.Find("b.k")); },
         changed,
         {"a.k"}},
        {"another edit while this one holds the lock: it waits, then refuses",
         [&](const std::string& pkg, const std::string&) {
             const std::string busy = Outcome([&] {
                 otherEdit(pkg, [](EditablePackage& p) { p.Put("second.k", {9}); },
                           {.lockWait = kShortWait});
             });
             EXPECT_EQ(busy.rfind("is being changed by another program (", 0), 0u) << busy;
             EXPECT_NE(busy.find("process " + std::to_string(::getpid())), std::string::npos);
             EXPECT_TRUE(busy.ends_with("; try again")) << busy;
         },
         nullptr,
         "",
         {"a.k", "b.k", "first.k"}},
        {"a program that ignores the lock replaces the package",
         [](const std::string& pkg, const std::string& dir) {
             WriteAll(dir + "/other.ezx", BuildPackage({{"other.k", {7}}}));
             fs::rename(dir + "/other.ezx", pkg);
         },
         nullptr,
         changed,
         {"other.k"}},
        {"a program that ignores the lock writes into the package",
         [](const std::string& pkg, const std::string&) {
             WriteAll(pkg, BuildPackage({{"other.k", {7}}}));
         },
         nullptr,
         changed,
         {"other.k"}},
        {"the package replaced by a folder",
         [](const std::string& pkg, const std::string& dir) {
             fs::rename(pkg, dir + "/moved.ezx");
             fs::create_directory(pkg);
         },
         nullptr,
         changed,
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        const std::string pkg = dir.File("p.ezx");
        WriteAll(pkg, BuildPackage(kStart));
        EditablePackage first = EditablePackage::Open(pkg);
        first.Put("first.k", {8});
        if (row.second) {
            otherEdit(pkg, row.second);
        }
        const ScopedHook<EditPauseHook> pause(EditPauseHookSlot(), [&] {
            if (row.meanwhile) {
                const ScopedHook<EditPauseHook> once(EditPauseHookSlot(), nullptr);
                row.meanwhile(pkg, dir.path());
            }
        });
        EXPECT_EQ(Outcome([&] { SaveInPlace(first, pkg, first.openedStamp()); }), row.firstOutcome);
        if (fs::is_regular_file(pkg)) {
            EXPECT_EQ(NamesIn(pkg), row.namesAfter);
        } else {
            EXPECT_TRUE(fs::is_directory(pkg));
            EXPECT_EQ(NamesIn(dir.File("moved.ezx")), (std::vector<std::string>{"a.k", "b.k"}));
        }
        for (const std::string& name : ListFolder(dir.path())) {
            EXPECT_FALSE(name.starts_with(".lumigram-")) << name << " left behind";
        }
    }
}

TEST(PackageEdit, AWindowSeesTheChangeAndMaySaveAnyway) {
    TempDir dir;
    const std::string pkg = dir.File("p.ezx");
    WriteAll(pkg, BuildPackage(kStart));
    EditablePackage window = EditablePackage::Open(pkg);
    std::optional<FileStamp> since = window.openedStamp();
    window.Put("window.k", {5});

    EditablePackage cli = EditablePackage::Open(pkg);
    cli.Put("cli.k", {6});
    SaveInPlace(cli, pkg, cli.openedStamp());
    EXPECT_NE(PackageStampNow(pkg), since);  // what a window watching the file sees

    EXPECT_THROW(SaveInPlace(window, pkg, since), FileChangedError);
    EXPECT_EQ(NamesIn(pkg), (std::vector<std::string>{"a.k", "b.k", "cli.k"}));
    since = SaveInPlace(window, pkg, since, {.overwrite = true});
    EXPECT_EQ(NamesIn(pkg), (std::vector<std::string>{"a.k", "b.k", "window.k"}));
    EXPECT_EQ(since, PackageStampNow(pkg));
    window.Remove(*window.Find("a.k"));
    SaveInPlace(window, pkg, since);  // the stamp of its own save is the next one's check
    EXPECT_EQ(NamesIn(pkg), (std::vector<std::string>{"b.k", "window.k"}));
}

TEST(PackageEdit, EditsInPlaceFollowLinksAndNewOutputsReplaceThem) {
    struct Row {
        const char* what;
        std::function<void(const std::string& dir)> lay;  // makes dir/link.ezx
        bool inPlace;
        bool unprivileged;
        std::string outcome;
        bool targetEdited;  // dir/skins/real.ezx holds the new member afterwards
    };
    const Row rows[] = {
        {"a link",
         [](const std::string& d) { fs::create_symlink("skins/real.ezx", d + "/link.ezx"); }, true,
         false, "", true},
        {"a chain of two links",
         [](const std::string& d) {
             fs::create_symlink("real.ezx", d + "/skins/current.ezx");
             fs::create_symlink("skins/current.ezx", d + "/link.ezx");
         },
         true, false, "", true},
        {"a dangling link",
         [](const std::string& d) { fs::create_symlink("skins/gone.ezx", d + "/link.ezx"); }, true,
         false, "File not found", false},
        {"a link into a folder this user may not write",
         [](const std::string& d) {
             fs::create_symlink("skins/real.ezx", d + "/link.ezx");
             ::chmod((d + "/skins/real.ezx").c_str(), 0666);
             ::chmod((d + "/skins").c_str(), 0555);
         },
         true, true, "File access denied", false},
        {"a new output at a link",
         [](const std::string& d) { fs::create_symlink("skins/real.ezx", d + "/link.ezx"); }, false,
         false, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempDir dir;
        ::chmod(dir.path().c_str(), 0777);
        fs::create_directory(dir.File("skins"));
        WriteAll(dir.File("skins/real.ezx"), BuildPackage(kStart));
        row.lay(dir.path());
        const std::string link = dir.File("link.ezx");
        const auto save = [&] {
            return Outcome([&] {
                EditablePackage package =
                    EditablePackage::Open(row.inPlace ? link : dir.File("skins/real.ezx"));
                package.Put("new.k", {3});
                if (row.inPlace) {
                    SaveInPlace(package, link, package.openedStamp());
                } else {
                    package.Save(link);
                }
            });
        };
        if (row.unprivileged) {
            EXPECT_TRUE(RunWithoutPrivileges([&] { return save() == row.outcome; }));
        } else {
            EXPECT_EQ(save(), row.outcome);
        }
        EXPECT_EQ(fs::is_symlink(link), row.inPlace);
        EXPECT_EQ(NamesIn(dir.File("skins/real.ezx")).size(), row.targetEdited ? 3u : 2u);
        if (!row.inPlace) {
            EXPECT_EQ(NamesIn(link).size(), 3u);
        }
        ::chmod(dir.File("skins").c_str(), 0777);
        EXPECT_EQ(ListFolder(dir.File("skins")).size(),
                  fs::exists(dir.File("skins/current.ezx")) ? 2u : 1u);
    }
}

TEST(PackageEdit, AWriteProtectedPackageIsEditedOnlyWhenForced) {
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    const std::string pkg = dir.File("p.ezx");
    WriteAll(pkg, BuildPackage({{"a.k", {1}}, {"b.k", {2}}, {"c.k", {3}}}));
    ::chmod(pkg.c_str(), 0444);  // root: no write bit at all; others: access(W_OK) fails
    for (const bool unprivileged : {false, true}) {
        SCOPED_TRACE(unprivileged ? "an ordinary user" : "the administrator");
        const auto edit = [&](bool force) {
            return Outcome([&] {
                EditablePackage package = EditablePackage::Open(pkg);
                package.Remove(0);
                SaveInPlace(package, pkg, package.openedStamp(), {.force = force});
            });
        };
        const auto check = [&] {
            const std::size_t before = NamesIn(pkg).size();
            return edit(false) == "is write-protected; nothing was written" &&
                   NamesIn(pkg).size() == before && edit(true).empty() &&
                   NamesIn(pkg).size() == before - 1;
        };
        EXPECT_TRUE(unprivileged ? RunWithoutPrivileges(check) : check());
        struct ::stat st {};
        ::stat(pkg.c_str(), &st);
        EXPECT_EQ(st.st_mode & 0777, 0444u);  // a forced edit keeps the mode
    }
}

}  // namespace
}  // namespace lumigram::test
