#include "cli/commands.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/cli_support.h"
#include "cli/path_validator.h"
#include "cli/transparency_options.h"
#include "package/ezx_pack.h"
#include "package/ezx_reader.h"
#include "package/ezx_unpack.h"
#include "package/member_names.h"
#include "package/package_findings.h"
#include "package/png_package.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/printable_text.h"

namespace lumigram::cli {
namespace {

struct PackageArguments {
    std::string package;
    std::string folder;
    bool json = false;
    bool png = false;                  // unpack --png, pack --from-png
    TransparencyOptions transparency;  // pack --from-png
};

// The name a person reads: UTF-8, control characters escaped.
std::string ShownName(const PackageMember& member) {
    return ShownMemberName(member.storedName);
}

int RunPack(const PackageArguments& a) {
    bool nothing = false;
    const int code = RunReportingErrors(a.folder, [&] {
        const PackResult result =
            a.png ? PackFromPng(a.folder, a.package,
                                {a.transparency.colour(), a.transparency.enabled()})
                  : PackEZX(a.folder, a.package);
        nothing = result.members == 0;
        if (!nothing) {
            std::cout << "packed " << result.members << " members into "
                      << EscapeControls(a.package) << '\n';
        }
    });
    if (code == kExitOk && nothing) {
        PrintError(a.folder, "nothing to pack: no .k, .g or .a file");
        return kExitFailed;
    }
    return code;
}

int RunUnpack(const PackageArguments& a) {
    std::size_t problems = 0;
    const int code = RunReportingErrors(a.package, [&] {
        UnpackOptions options;
        options.createFolder = true;
        options.onMemberNotWritten = [&](const MemberProblem& problem) {
            ++problems;
            PrintError(problem.memberPath, problem.message);
        };
        const UnpackResult result = a.png ? UnpackAsPng(a.package, a.folder, options)
                                          : UnpackEZX(a.package, a.folder, options);
        std::cout << "unpacked " << result.written << " members into " << EscapeControls(a.folder)
                  << '\n';
    });
    return code == kExitOk && problems > 0 ? kExitFailed : code;
}

int RunList(const PackageArguments& a) {
    return RunReportingErrors(a.package, [&] {
        ByteFile package = ByteFile::OpenRead(a.package);
        const std::vector<PackageMember> members = ReadPackageMembers(package);
        if (a.json) {
            nlohmann::ordered_json array = nlohmann::ordered_json::array();
            for (const PackageMember& member : members) {
                nlohmann::ordered_json object;
                object["name"] = AnsiToUtf8(member.storedName);
                object["size"] = member.size;
                object["id"] = member.id;
                array.push_back(std::move(object));
            }
            std::cout << array.dump() << '\n';
            return;
        }
        for (const PackageMember& member : members) {
            std::printf("%10u  %s\n", member.size, ShownName(member).c_str());
        }
    });
}

int RunVerify(const PackageArguments& a) {
    bool sound = false;
    const int code = RunReportingErrors(a.package, [&] {
        ByteFile package = ByteFile::OpenRead(a.package);
        const PackageFindings found = FindPackageFindings(package);
        sound = found.sound();
        if (a.json) {
            nlohmann::ordered_json findings = nlohmann::ordered_json::array();
            for (const PackageFinding& finding : found.findings) {
                nlohmann::ordered_json object;
                object["member"] = finding.member ? nlohmann::ordered_json(*finding.member)
                                                  : nlohmann::ordered_json(nullptr);
                object["severity"] = FindingSeverityName(finding.severity);
                object["message"] = finding.message;
                findings.push_back(std::move(object));
            }
            nlohmann::ordered_json object;
            object["sound"] = sound;
            object["members"] = found.members;
            object["findings"] = std::move(findings);
            std::cout << object.dump() << '\n';
            return;
        }
        for (const PackageFinding& finding : found.findings) {
            const std::string member =
                finding.member ? "member " + std::to_string(*finding.member) + ": " : "";
            PrintError(a.package, std::string(FindingSeverityName(finding.severity)) +
                                      " package: " + member + finding.message);
        }
        if (sound) {
            std::cout << EscapeControls(a.package) << ": sound, " << found.members << " members\n";
        }
    });
    return code == kExitOk && !sound ? kExitFailed : code;
}

}  // namespace

void AddPackageCommands(CLI::App& app, int& exitCode) {
    auto pack = std::make_shared<PackageArguments>();
    CLI::App* packCommand =
        app.add_subcommand("pack", "Pack the .k, .g and .a files of a folder into a .ezx package");
    packCommand->add_option("FOLDER", pack->folder, "Folder to pack")
        ->required()
        ->check(NonEmptyPath());
    packCommand->add_option("PACKAGE", pack->package, "Package to write (replaced when complete)")
        ->required()
        ->check(NonEmptyPath());
    packCommand->add_flag("--from-png", pack->png,
                          "Encode each NAME.png into the member NAME.k, alpha as the mask (a "
                          "folder holding both NAME.png and NAME.k is refused)");
    AddTransparencyOptions(*packCommand, pack->transparency);
    packCommand->footer(
        "Examples:\n  lumigram-cli pack myskin/ myskin.ezx\n"
        "  lumigram-cli pack myskin/ myskin.ezx --from-png");
    packCommand->callback([pack, &exitCode] { exitCode = RunPack(*pack); });

    auto unpack = std::make_shared<PackageArguments>();
    CLI::App* unpackCommand =
        app.add_subcommand("unpack", "Unpack a .ezx package into a folder, one file per member");
    unpackCommand->add_option("PACKAGE", unpack->package, "Package to read")
        ->required()
        ->check(NonEmptyPath());
    unpackCommand->add_option("FOLDER", unpack->folder, "Folder to write into (created if missing)")
        ->required()
        ->check(NonEmptyPath());
    unpackCommand->add_flag("--png", unpack->png,
                            "Write every .k member as NAME.png with its transparency as alpha "
                            "(other members unchanged)");
    unpackCommand->footer(std::string(kCaseBlindFooter) +
                          "Examples:\n  lumigram-cli unpack myskin.ezx myskin/\n"
                          "  lumigram-cli unpack myskin.ezx myskin/ --png");
    unpackCommand->callback([unpack, &exitCode] { exitCode = RunUnpack(*unpack); });

    auto list = std::make_shared<PackageArguments>();
    CLI::App* listCommand = app.add_subcommand("list", "List the members of a .ezx package");
    listCommand->add_option("PACKAGE", list->package, "Package to read")
        ->required()
        ->check(NonEmptyPath());
    listCommand->add_flag("--json", list->json, "Print a JSON array of {name, size, id}");
    listCommand->footer("Example:\n  lumigram-cli list myskin.ezx --json");
    listCommand->callback([list, &exitCode] { exitCode = RunList(*list); });

    auto verify = std::make_shared<PackageArguments>();
    CLI::App* verifyCommand = app.add_subcommand(
        "verify", "Check a .ezx package and its member names without writing anything");
    verifyCommand->add_option("PACKAGE", verify->package, "Package to check")
        ->required()
        ->check(NonEmptyPath());
    verifyCommand->add_flag("--json", verify->json,
                            "Print {sound, members, findings: [{member, severity, message}]}");
    verifyCommand->footer(
        "Reports, one line per finding with its member number, every way the package differs "
        "from what Lumigram's packer writes:\n"
        "  damaged (unpack refuses the package): index offset, index block, member table, "
        "names or records outside the file, records that overlap;\n"
        "  unusual (unpack goes on): text header, index magic, record magics, IDs that are not "
        "their name's, empty names, unsafe, hidden (\".name\") or duplicate names (unpack "
        "skips those members and exits 1), names that differ only in case (where case is "
        "ignored, as on a memory card, unpacking writes only the first), names pack would not "
        "store (not .k, .g or .a).\n"
        "Exit status: 0 when nothing is found (\"sound\"), 1 for any finding or when the file "
        "cannot be read, 2 for a usage error.\n"
        "Example:\n  lumigram-cli verify myskin.ezx && echo sound");
    verifyCommand->callback([verify, &exitCode] { exitCode = RunVerify(*verify); });
}

}  // namespace lumigram::cli
