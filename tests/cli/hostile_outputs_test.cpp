// Every writer of lumigram-cli against the things a hostile package or a messy
// folder puts at an output path. One table of situations, one helper that runs
// a writer into a prepared folder; each row checks the output, the earlier
// file, everything outside the target folder, and that no temporary remains.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>

#include "cli/cli_test_support.h"
#include "codec/skin_encoder.h"
#include "support/packages.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {
namespace {

namespace fs = std::filesystem;

// One way of writing a file: what it reads, the command, and the name it writes.
struct Writer {
    const char* name;
    const char* extension;  // of the output
    bool streamsAllowed;    // a single output named by the user: FIFO and device written into
    // Lays out the inputs under in/ so that the output will be named stem + extension.
    std::function<void(const std::string& in, const std::string& stem)> prepare;
    // The command's arguments, writing into the folder out.
    std::function<std::string(const std::string& in, const std::string& out,
                              const std::string& stem)>
        arguments;
};

Bytes SamplePicture() {
    BmpSpec spec;
    spec.width = 9;
    spec.height = 4;
    return MakeBmp(spec);
}

const std::vector<Writer>& Writers() {
    static const std::vector<Writer> writers = {
        {"decode", ".bmp", true,
         [](const std::string& in, const std::string&) {
             WriteAll(in + "/pic.bmp", SamplePicture());
             EncodeSkinPictureTo(in + "/pic.bmp", in + "/pic.k", TransparencyColour{}, true);
         },
         [](const std::string& in, const std::string& out, const std::string& stem) {
             return "decode " + Args(in + "/pic.k", out + "/" + stem + ".bmp");
         }},
        {"encode", ".k", true,
         [](const std::string& in, const std::string&) {
             WriteAll(in + "/pic.bmp", SamplePicture());
         },
         [](const std::string& in, const std::string& out, const std::string& stem) {
             return "encode " + Args(in + "/pic.bmp", out + "/" + stem + ".k");
         }},
        {"pack", ".ezx", false,
         [](const std::string& in, const std::string&) {
             fs::create_directory(in + "/skin");
             WriteAll(in + "/skin/a.k", CountingBytes(300));
         },
         [](const std::string& in, const std::string& out, const std::string& stem) {
             return "pack " + Args(in + "/skin", out + "/" + stem + ".ezx");
         }},
        {"unpack", ".k", false,
         [](const std::string& in, const std::string& stem) {
             WriteAll(in + "/skin.ezx",
                      BuildPackage({{stem + ".k", CountingBytes(300)}, {"z.g", {1}}}));
         },
         [](const std::string& in, const std::string& out, const std::string&) {
             return "unpack " + Args(in + "/skin.ezx", out);
         }},
        {"convert-all", ".bmp", false,
         [](const std::string& in, const std::string& stem) {
             fs::create_directory(in + "/skin");
             WriteAll(in + "/pic.bmp", SamplePicture());
             EncodeSkinPictureTo(in + "/pic.bmp", in + "/skin/" + stem + ".k", TransparencyColour{},
                                 true);
         },
         [](const std::string& in, const std::string& out, const std::string&) {
             return "convert-all " + Args(in + "/skin", out);
         }},
        {"convert", ".png", true,
         [](const std::string& in, const std::string&) {
             WriteAll(in + "/pic.bmp", SamplePicture());
             EncodeSkinPictureTo(in + "/pic.bmp", in + "/pic.k", TransparencyColour{}, true);
         },
         [](const std::string& in, const std::string& out, const std::string& stem) {
             return "convert " + Args(in + "/pic.k", "-o", out + "/" + stem + ".png");
         }},
        {"update", ".ezx", false,
         [](const std::string& in, const std::string&) {
             WriteAll(in + "/skin.ezx", BuildPackage({{"a.k", CountingBytes(300)}}));
             WriteAll(in + "/b.g", {1, 2});
         },
         [](const std::string& in, const std::string& out, const std::string& stem) {
             return "update " +
                    Args(in + "/skin.ezx", in + "/b.g", "-o", out + "/" + stem + ".ezx");
         }},
    };
    return writers;
}

enum class Situation {
    kNew,
    kSymlink,
    kProcLink,
    kDeviceLink,
    kHardLink,
    kReadOnly,
    kPrivate,
    kFifo,
    kDevice,
    kLongName,
};

struct Row {
    Situation situation;
    const char* what;
};

constexpr Row kRows[] = {
    {Situation::kNew, "a new file"},
    {Situation::kSymlink, "a symbolic link to a file outside"},
    {Situation::kProcLink, "a symbolic link through /proc to a file outside"},
    {Situation::kDeviceLink, "a symbolic link to a device"},
    {Situation::kHardLink, "a hard link to a file outside"},
    {Situation::kReadOnly, "a read-only earlier file"},
    {Situation::kPrivate, "a private earlier file"},
    {Situation::kFifo, "a FIFO"},
    {Situation::kDevice, "a character device"},
    {Situation::kLongName, "a 255-byte name"},
};

// Everything under folder: relative path, kind and content.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string relative = fs::relative(entry.path(), folder).string();
        const fs::file_status status = entry.symlink_status();
        if (fs::is_regular_file(status)) {
            const Bytes bytes = ReadAll(entry.path().string());
            entries[relative] = "file " + std::string(bytes.begin(), bytes.end());
        } else {
            entries[relative] = "kind " + std::to_string(static_cast<int>(status.type()));
        }
    }
    return entries;
}

struct Workspace {
    TempDir dir;
    std::string In() const { return dir.File("in"); }
    std::string Out() const { return dir.File("out"); }
    std::string Outside() const { return dir.File("outside"); }
    Workspace() {
        fs::create_directory(In());
        fs::create_directory(Out());
        fs::create_directory(Outside());
        WriteAll(Outside() + "/victim", {'v', 'i', 'c'});
    }
};

mode_t ModeOf(const std::string& path) {
    struct ::stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// What the writer produces when nothing is in its way.
Bytes ExpectedOutput(const Writer& writer, const std::string& stem) {
    Workspace clean;
    writer.prepare(clean.In(), stem);
    const CommandResult r = RunCli(writer.arguments(clean.In(), clean.Out(), stem));
    EXPECT_EQ(r.exitCode, 0) << writer.name << ": " << r.err;
    return ReadAll(clean.Out() + "/" + stem + writer.extension);
}

TEST(HostileOutputs, EveryWriterReplacesNeverWritesThroughAndLeavesNoTemporary) {
    const mode_t umask = ::umask(022);
    for (const Writer& writer : Writers()) {
        for (const Row& row : kRows) {
            SCOPED_TRACE(std::string(writer.name) + " onto " + row.what);
            Workspace w;
            const std::string stem = row.situation == Situation::kLongName
                                         ? std::string(255 - std::strlen(writer.extension), 'n')
                                         : std::string("icon");
            const std::string target = w.Out() + "/" + stem + writer.extension;
            const std::string victim = w.Outside() + "/victim";
            const Bytes expected = ExpectedOutput(writer, stem);
            writer.prepare(w.In(), stem);
            bool refused = false;  // the writer must leave the entry as it is
            std::string prefix;    // the shell runs this first (a FIFO's reader)
            switch (row.situation) {
                case Situation::kNew:
                case Situation::kLongName:
                    break;
                case Situation::kSymlink:
                    ASSERT_EQ(::symlink(victim.c_str(), target.c_str()), 0);
                    break;
                case Situation::kProcLink:
                    ASSERT_EQ(::symlink(("/proc/self/root" + victim).c_str(), target.c_str()), 0);
                    break;
                case Situation::kDeviceLink:
                    ASSERT_EQ(::symlink("/dev/null", target.c_str()), 0);
                    break;
                case Situation::kHardLink:
                    ASSERT_EQ(::link(victim.c_str(), target.c_str()), 0);
                    break;
                case Situation::kReadOnly:
                case Situation::kPrivate:
                    WriteAll(target, {'o', 'l', 'd'});
                    ::chmod(target.c_str(), row.situation == Situation::kReadOnly ? 0444 : 0600);
                    break;
                case Situation::kFifo:
                    ASSERT_EQ(::mkfifo(target.c_str(), 0644), 0);
                    refused = !writer.streamsAllowed;
                    if (writer.streamsAllowed) {
                        prefix =
                            "cat " + Args(target) + " > " + Args(w.Outside() + "/read") + " & ";
                    }
                    break;
                case Situation::kDevice:
                    if (::mknod(target.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
                        GTEST_SKIP() << "making a device node needs root";
                    }
                    refused = !writer.streamsAllowed;
                    break;
            }
            const auto outside = Snapshot(w.Outside());
            const CommandResult r = RunCommand(prefix + "timeout 20 " + ShellQuote(LUMIGRAM_CLI) +
                                               " " + writer.arguments(w.In(), w.Out(), stem) +
                                               (prefix.empty() ? "" : "; wait"));

            if (row.situation == Situation::kFifo && writer.streamsAllowed) {
                EXPECT_EQ(r.exitCode, 0) << r.err;  // written straight into the FIFO
                EXPECT_TRUE(S_ISFIFO(ModeOf(target)));
                EXPECT_EQ(ReadAll(w.Outside() + "/read"), expected);
            } else if (row.situation == Situation::kDevice && writer.streamsAllowed) {
                EXPECT_EQ(r.exitCode, 0) << r.err;
                EXPECT_TRUE(S_ISCHR(ModeOf(target)));
            } else if (refused) {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_NE(r.err.find(target + ": "), std::string::npos) << r.err;
                EXPECT_NE(r.err.find(", not a regular file"), std::string::npos) << r.err;
                EXPECT_EQ(ModeOf(target) & S_IFMT,
                          row.situation == Situation::kFifo ? S_IFIFO : S_IFCHR);
                EXPECT_EQ(Snapshot(w.Outside()), outside);
            } else {
                EXPECT_EQ(r.exitCode, 0) << r.err;
                EXPECT_TRUE(S_ISREG(ModeOf(target)));
                EXPECT_EQ(ReadAll(target), expected);
                EXPECT_EQ(Snapshot(w.Outside()), outside);
                const mode_t mode = ModeOf(target) & 07777;
                EXPECT_EQ(mode, row.situation == Situation::kReadOnly  ? 0444
                                : row.situation == Situation::kPrivate ? 0600
                                                                       : 0644);
            }
            for (const std::string& name : ListFolder(w.Out())) {
                EXPECT_NE(name.rfind(".lumigram-", 0), 0u) << "temporary left: " << name;
            }
        }
    }
    ::umask(umask);
}

// The failures a run meets halfway: a full disk, a file size limit, a signal.
// Each leaves the earlier file byte for byte and no temporary.
TEST(HostileOutputs, AFailureHalfwayLeavesTheEarlierFileAndNoTemporary) {
    Workspace w;
    const Bytes big = CountingBytes(200000);
    WriteAll(w.In() + "/skin.ezx", BuildPackage({{"a.k", {1}}, {"icon.k", big}, {"z.k", {2}}}));
    const Bytes earlier = CountingBytes(3000, 9);

    struct Case {
        const char* what;
        std::string command;
        std::string out;
        int exitCode;
        const char* message;
    };
    const std::string small = w.dir.File("small");
    SmallDisk disk(small, "64k");
    std::vector<Case> cases = {
        {"file size limit", "ulimit -f 100; ", w.Out(), 1, "File too large"},
    };
    if (disk.mounted()) {
        cases.push_back({"full disk", "", small, 1, "Disk full"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(c.out + "/icon.k", earlier);
        const CommandResult r = RunCommand("(" + c.command + ShellQuote(LUMIGRAM_CLI) + " unpack " +
                                           Args(w.In() + "/skin.ezx", c.out) + ")");
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.err.find(c.out + "/icon.k: "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(ReadAll(c.out + "/icon.k"), earlier);
        for (const std::string& name : ListFolder(c.out)) {
            EXPECT_NE(name.front(), '.') << "temporary left: " << name;
        }
    }

    // SIGTERM while a large package is being written.
    fs::create_directory(w.In() + "/large");
    for (int i = 0; i < 3; ++i) {
        WriteAll(w.In() + "/large/p" + std::to_string(i) + ".k", CountingBytes(40u << 20));
    }
    const std::string package = w.Out() + "/large.ezx";
    WriteAll(package, earlier);
    const CommandResult r =
        RunCommand(ShellQuote(LUMIGRAM_CLI) + " pack " + Args(w.In() + "/large", package) +
                   " & sleep 0.02; kill -TERM $!; wait $!");
    if (r.exitCode == 0) {
        GTEST_SKIP() << "the pack finished before the signal";
    }
    EXPECT_EQ(r.exitCode, 128 + SIGTERM);
    // The old package, or the complete new one if the signal came after the rename.
    if (ReadAll(package) != earlier) {
        EXPECT_EQ(RunCli("verify " + Args(package)).exitCode, 0);
    }
    for (const std::string& name : ListFolder(w.Out())) {
        EXPECT_NE(name.front(), '.') << "temporary left: " << name;
    }
}

// Inputs that are not files are refused at once, never read without end or
// waited for; a package never overwrites itself; nothing is made before the
// check; standard output failures and usage slips are told.
TEST(HostileOutputs, InputsStandardOutputAndUsage) {
    Workspace w;
    ASSERT_EQ(::mkfifo((w.In() + "/x.k").c_str(), 0644), 0);
    Bytes own = BuildPackage({{"skin.ezx", CountingBytes(50)}, {"b.k", {1}}});
    WriteAll(w.Out() + "/skin.ezx", own);
    Bytes damaged = ExamplePackage();
    damaged.resize(130);
    WriteAll(w.In() + "/damaged.ezx", damaged);
    WriteAll(w.In() + "/pic.bmp", SamplePicture());

    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"encode /dev/zero " + Args(w.Out() + "/z.k"), 1,
         "/dev/zero: is a character device, not a regular file"},
        {"info " + Args(w.In() + "/x.k"), 1, "x.k: is a FIFO, not a regular file"},
        {"decode " + Args(w.In(), w.Out() + "/d.bmp"), 1, "/in: is a folder"},
        {"unpack " + Args(w.Out() + "/skin.ezx", w.Out()), 1,
         "skin.ezx: member 1: cannot create \"skin.ezx\": is one of the files being read"},
        {"unpack " + Args(w.In() + "/damaged.ezx", w.Out() + "/deep/a/b"), 1, "damaged package"},
        {"convert-all " + Args(w.In() + "/no-such", w.Out() + "/c"), 1, "folder not found"},
        {"list " + Args(w.Out() + "/skin.ezx") + " > /dev/full", 1,
         "lumigram-cli: standard output: Disk full"},
        {"encode " + Args(w.In() + "/pic.bmp", ""), 2, "an empty path names no file"},
        {"encode " + Args(w.In() + "/pic.bmp", w.In() + "/pic.bmp"), 1,
         "pic.bmp: is one of the files being read, not replaced"},
        {"pack " + Args(w.Out(), w.Out() + "/b.k"), 1, "is one of the files being read"},
        {"pack --from-png " + Args(w.Out(), w.Out() + "/b.k"), 1, "is one of the files being read"},
        {"dec " + Args(w.In() + "/pic.bmp"), 2,
         "lumigram-cli: unknown command 'dec'; did you mean 'decode'?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandResult r =
            RunCommand("(timeout 20 " + ShellQuote(LUMIGRAM_CLI) + " " + c.arguments + ")");
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadAll(w.Out() + "/skin.ezx"), own);
    EXPECT_EQ(ReadAll(w.Out() + "/b.k"), Bytes{1});
    EXPECT_FALSE(Exists(w.Out() + "/deep"));
    EXPECT_FALSE(Exists(w.Out() + "/z.k"));
}

}  // namespace
}  // namespace lumigram::test
