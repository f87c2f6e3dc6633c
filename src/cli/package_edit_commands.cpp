#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/path_validator.h"
#include "cli/transparency_options.h"
#include "codec/conversion_run.h"
#include "codec/picture_conversion.h"
#include "package/editable_package.h"
#include "package/member_intake.h"
#include "package/member_names.h"
#include "package/package_diff.h"
#include "package/package_edit.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/folder_writes.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/printable_text.h"
#include "platform/temporary_folder.h"

namespace lumigram::cli {
namespace {

struct EditArguments {
    std::string package;
    std::vector<std::string> names;  // members (extract, delete) or files (update)
    std::string output;
    std::string folder;
    bool convert = false;
    bool force = false;  // edit a write-protected package all the same
    TransparencyOptions transparency;
};

struct DiffArguments {
    std::string a;
    std::string b;
    bool json = false;
};

std::string Shown(std::string_view storedName) {
    return storedName.empty() ? "(empty name)" : ShownMemberName(storedName);
}

// The index of the member a user named (UTF-8), or a FormatError naming the package.
std::size_t MemberNamed(const EditablePackage& package, const std::string& name) {
    const std::optional<std::string> stored = Utf8ToAnsi(name);
    const std::optional<std::size_t> index = stored ? package.Find(*stored) : std::nullopt;
    if (!index) {
        throw FormatError("no member named \"" + ShownUtf8MemberName(name) + "\"", package.path());
    }
    return *index;
}

int RunExtract(const EditArguments& a) {
    if (!a.output.empty() && a.names.size() > 1) {
        throw CLI::ValidationError("extract", "-o takes one MEMBER; for several, use -d FOLDER");
    }
    std::unique_ptr<EditablePackage> package;
    if (RunReportingErrors(a.package, [&] {
            package = std::make_unique<EditablePackage>(EditablePackage::Open(a.package));
        }) != kExitOk) {
        return kExitFailed;
    }
    OutputRules rules;
    rules.inputs.push_back(*package->OriginalIdentity());
    if (!a.output.empty()) {
        return RunReportingErrors(a.package, [&] {
            const std::size_t index = MemberNamed(*package, a.names.front());
            const std::unique_ptr<OutputFile> output = OutputFile::ForPath(a.output, true, rules);
            package->WriteContent(index, output->file());
            output->Commit();
        });
    }
    const std::string folderPath = a.folder.empty() ? "." : a.folder;
    std::unique_ptr<OutputFolder> folder;
    if (RunReportingErrors(folderPath, [&] {
            folder = std::make_unique<OutputFolder>(OutputFolder::OpenCreating(folderPath));
        }) != kExitOk) {
        return kExitFailed;
    }
    FolderWrites writes(*folder);
    std::size_t written = 0;
    int code = kExitOk;
    for (const std::string& name : a.names) {
        const int one = RunReportingErrors(a.package, [&] {
            const std::size_t index = MemberNamed(*package, name);
            const std::string& stored = package->members()[index].storedName;
            std::string why = UnsafeMemberNameReason(stored);
            if (why.empty() && stored.starts_with('.')) {
                why = "hidden file name";
            }
            if (!why.empty()) {
                throw FormatError("member \"" + EscapeName(stored) + "\" not written: " + why,
                                  a.package);
            }
            const std::string fileName = AnsiToUtf8(stored);
            // The same member named twice is written twice; another member
            // never replaces one this run wrote.
            if (const auto earlier = writes.EarlierOutput(fileName);
                earlier && *earlier != fileName) {
                throw FormatError("member \"" + EscapeName(stored) +
                                      "\" not written: another member, " +
                                      EscapeName(*earlier, true) + ", " + writes.SameFileReason(),
                                  a.package);
            }
            OutputFile output(*folder, fileName, rules);
            package->WriteContent(index, output.file());
            output.Commit();
            writes.Written(fileName);
            ++written;
        });
        code = one != kExitOk ? one : code;
    }
    std::cout << "extracted " << written << " of " << a.names.size() << " members into "
              << EscapeControls(folderPath) << '\n';
    return code;
}

int RunUpdate(const EditArguments& a) {
    return RunReportingErrors(a.package, [&] {
        EditablePackage package = EditablePackage::Open(a.package);
        const IntakeMode mode = a.convert ? IntakeMode::kByContent : IntakeMode::kAsNamed;
        std::vector<IntakeFile> files;
        for (const std::string& file : a.names) {
            files.push_back({file, a.convert ? ReadPictureKind(file) : PictureKind::kUnknown});
        }
        // Every FILE is planned, and any refusal raised, before anything is written.
        const std::vector<IntakeStep> steps = PlanIntake(files, package.members(), mode);
        for (const IntakeStep& step : steps) {
            if (step.action == IntakeStep::Action::kSkip) {
                throw FormatError(step.reason, step.file);
            }
        }
        TemporaryFolder scratch;
        std::unique_ptr<OutputFolder> scratchFolder;
        const ConversionOptions options{a.transparency.colour(), a.transparency.enabled()};
        std::size_t replaced = 0;
        std::size_t added = 0;
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const IntakeStep& step = steps[i];
            std::string source = step.file;
            if (step.plan.encoding == MemberEncoding::kEncodeSkin) {
                if (!scratchFolder) {
                    scratchFolder =
                        std::make_unique<OutputFolder>(OutputFolder::Open(scratch.path()));
                }
                const std::string name = std::to_string(i) + ".k";
                OutputFile output(*scratchFolder, name);
                WriteMemberBytes(step.plan, step.file, files[i].kind, output.file(), options);
                output.Commit();
                source = JoinPath(scratch.path(), name);
            }
            ByteFile check = ByteFile::OpenRead(source);  // a regular file, readable now
            package.PutFile(step.plan.storedName, source, check.Size());
            ++(step.action == IntakeStep::Action::kReplace ? replaced : added);
        }
        OutputRules rules;
        if (!a.output.empty()) {
            // A new package: neither the package read nor any FILE is replaced.
            rules.inputs.push_back(*package.OriginalIdentity());
            for (const std::string& file : a.names) {
                if (const std::optional<FileIdentity> identity = IdentityOfPath(file)) {
                    rules.inputs.push_back(*identity);
                }
            }
        }
        const std::string& target = a.output.empty() ? a.package : a.output;
        if (a.output.empty()) {
            SaveInPlace(package, a.package, package.openedStamp(), {.force = a.force});
        } else {
            package.Save(target, rules);
        }
        std::cout << "updated " << EscapeControls(target) << ": " << replaced << " replaced, "
                  << added << " added\n";
    });
}

int RunDelete(const EditArguments& a) {
    return RunReportingErrors(a.package, [&] {
        EditablePackage package = EditablePackage::Open(a.package);
        // A MEMBER named twice is deleted once.
        std::set<std::string> named;
        std::size_t deleted = 0;
        for (const std::string& name : a.names) {
            if (named.insert(name).second) {
                package.Remove(MemberNamed(package, name));
                ++deleted;
            }
        }
        SaveInPlace(package, a.package, package.openedStamp(), {.force = a.force});
        std::cout << "deleted " << deleted << " members from " << EscapeControls(a.package) << '\n';
    });
}

int RunDiff(const DiffArguments& a) {
    bool same = true;
    const int code = RunReportingErrors(a.a, [&] {
        EditablePackage first = EditablePackage::Open(a.a);
        EditablePackage second = EditablePackage::Open(a.b);
        const PackageDiff diff = ComparePackageFiles(first, second);
        same = diff.empty();
        if (a.json) {
            const auto names = [](const std::vector<std::string>& list) {
                nlohmann::ordered_json array = nlohmann::ordered_json::array();
                for (const std::string& name : list) {
                    array.push_back(AnsiToUtf8(name));
                }
                return array;
            };
            nlohmann::ordered_json changed = nlohmann::ordered_json::array();
            for (const ChangedMember& member : diff.changed) {
                nlohmann::ordered_json object;
                object["name"] = AnsiToUtf8(member.name);
                object["size_a"] = member.sizeA;
                object["size_b"] = member.sizeB;
                changed.push_back(std::move(object));
            }
            nlohmann::ordered_json object;
            object["added"] = names(diff.added);
            object["removed"] = names(diff.removed);
            object["changed"] = std::move(changed);
            object["moved"] = names(diff.moved);
            std::cout << object.dump() << '\n';
            return;
        }
        for (const std::string& name : diff.added) {
            std::cout << "added    " << Shown(name) << '\n';
        }
        for (const std::string& name : diff.removed) {
            std::cout << "removed  " << Shown(name) << '\n';
        }
        for (const ChangedMember& member : diff.changed) {
            std::cout << "changed  " << Shown(member.name) << " (" << member.sizeA << " -> "
                      << member.sizeB << " bytes)\n";
        }
        for (const std::string& name : diff.moved) {
            std::cout << "moved    " << Shown(name) << '\n';
        }
    });
    return code == kExitOk && !same ? kExitFailed : code;
}

// What an edit in place promises, for the help of every command that makes one.
constexpr const char* kInPlaceFooter =
    "PACKAGE is replaced in place, whole, once the new package is complete and synced to "
    "disk: a symbolic link is followed and the file it finally names is replaced, the link "
    "left as it is; a hard link to the package is broken (the package becomes a file of its "
    "own, as with sed -i). A write-protected PACKAGE is refused unless --force is given. "
    "While another program edits the same package this waits up to two seconds, then "
    "refuses (\"is being changed by another program; try again\"); a package that changed on "
    "disk since it was read is left as it is (\"changed on disk since it was read; nothing "
    "was written\").\n";

void AddForceFlag(CLI::App& command, bool& force) {
    command.add_flag("--force", force, "Edit PACKAGE even if it is write-protected");
}

CLI::App* AddPackageArgument(CLI::App& app, const char* name, const char* description,
                             std::string& package) {
    CLI::App* command = app.add_subcommand(name, description);
    command->add_option("PACKAGE", package, "Package (.ezx)")->required()->check(NonEmptyPath());
    return command;
}

}  // namespace

void AddPackageEditCommands(CLI::App& app, int& exitCode) {
    auto extract = std::make_shared<EditArguments>();
    CLI::App* extractCommand = AddPackageArgument(
        app, "extract", "Write members of a .ezx package to files, unchanged", extract->package);
    extractCommand->add_option("MEMBER", extract->names, "Members to extract")
        ->required()
        ->check(NonEmptyPath());
    CLI::Option* output = extractCommand
                              ->add_option("-o,--output", extract->output,
                                           "File to write, for one MEMBER; - for standard output")
                              ->check(NonEmptyPath());
    extractCommand
        ->add_option("-d,--folder", extract->folder,
                     "Folder to write into, files named after the members (default: the "
                     "current folder; created if missing)")
        ->check(NonEmptyPath())
        ->excludes(output);
    extractCommand->footer(std::string(kCaseBlindFooter) +
                           "Examples:\n  lumigram-cli extract myskin.ezx icon.k wall.g -d parts/\n"
                           "  lumigram-cli extract myskin.ezx icon.k -o - | sha256sum");
    extractCommand->callback([extract, &exitCode] { exitCode = RunExtract(*extract); });

    auto update = std::make_shared<EditArguments>();
    CLI::App* updateCommand = AddPackageArgument(
        app, "update",
        "Replace members of a .ezx package by files of the same name and add new ones; the "
        "other members keep their bytes and order",
        update->package);
    updateCommand->add_option("FILE", update->names, "Files to put into the package")
        ->required()
        ->check(NonEmptyPath());
    updateCommand->add_flag(
        "--convert", update->convert,
        "Take files by content: BMP and PNG pictures are encoded into .k members (icon.png "
        "becomes icon.k), GIFs become .g members (anim.gif becomes anim.g)");
    AddTransparencyOptions(*updateCommand, update->transparency);
    updateCommand
        ->add_option("-o,--output", update->output,
                     "Write the updated package here instead, leaving PACKAGE as it is")
        ->check(NonEmptyPath());
    updateCommand->footer(
        "The package is read once and replaced once, when complete; any refused FILE leaves it "
        "as it was. A new member goes where pack would put it. Refused before anything is "
        "written: two FILEs for one member, a FILE whose member name two members share, and "
        "a FILE matching a member only when case is ignored.\n" +
        std::string(kInPlaceFooter) +
        "Examples:\n  lumigram-cli update myskin.ezx icon.k wall.g\n"
        "  lumigram-cli update myskin.ezx icon.k -o newskin.ezx\n"
        "  lumigram-cli update myskin.ezx icon.png --convert");
    AddForceFlag(*updateCommand, update->force);
    updateCommand->callback([update, &exitCode] { exitCode = RunUpdate(*update); });

    auto remove = std::make_shared<EditArguments>();
    CLI::App* deleteCommand = AddPackageArgument(
        app, "delete", "Remove members from a .ezx package; the others keep their bytes and order",
        remove->package);
    deleteCommand->add_option("MEMBER", remove->names, "Members to remove")
        ->required()
        ->check(NonEmptyPath());
    AddForceFlag(*deleteCommand, remove->force);
    deleteCommand->footer("A MEMBER the package does not hold leaves it as it was.\n" +
                          std::string(kInPlaceFooter) +
                          "Example:\n  lumigram-cli delete myskin.ezx old_icon.k");
    deleteCommand->callback([remove, &exitCode] { exitCode = RunDelete(*remove); });

    auto diff = std::make_shared<DiffArguments>();
    CLI::App* diffCommand = app.add_subcommand("diff", "Compare the members of two .ezx packages");
    diffCommand->add_option("A", diff->a, "First package")->required()->check(NonEmptyPath());
    diffCommand->add_option("B", diff->b, "Second package")->required()->check(NonEmptyPath());
    diffCommand->add_flag("--json", diff->json,
                          "Print {added, removed, changed: [{name, size_a, size_b}], moved}");
    diffCommand->footer(
        "Lists members added in B, removed from A, changed (size or SHA-256 of the content) and "
        "moved (out of A's order).\n"
        "Exit status: 0 when the packages hold the same members, 1 when they differ or cannot "
        "be read, 2 for a usage error.\n"
        "Example:\n  lumigram-cli diff old.ezx new.ezx --json");
    diffCommand->callback([diff, &exitCode] { exitCode = RunDiff(*diff); });
}

}  // namespace lumigram::cli
