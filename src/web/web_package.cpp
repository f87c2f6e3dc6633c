#include "web/web_package.h"

#include <unistd.h>

#include "codec/conversion_run.h"
#include "codec/picture_conversion.h"
#include "package/package_findings.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/printable_text.h"
#include "web/js_bytes.h"

namespace lumigram::web {
namespace {

using emscripten::val;

const char* MemberKind(const std::string& storedName) {
    const std::string extension = ExtractFileExt(storedName);
    if (extension.size() == 2 && extension[0] == '.') {
        switch (extension[1]) {
            case 'k':
            case 'K':
                return "k";
            case 'g':
            case 'G':
                return "g";
            case 'a':
            case 'A':
                return "a";
            default:
                break;
        }
    }
    return "other";
}

// The stored form of a member name the user gave, refused as update refuses a
// file's name.
std::string StoredName(const std::string& name) {
    const std::optional<std::string> stored = Utf8ToAnsi(name);
    if (!stored) {
        throw FormatError("file name has no Windows-1252 form, so a package cannot store it", name);
    }
    return *stored;
}

void CheckMemberName(const std::string& stored, const std::string& name) {
    if (const std::string why = EditablePackage::NameRefusal(stored); !why.empty()) {
        throw FormatError("cannot be a member: " + why, name);
    }
}

// verify's lines for the findings, as it prints them after the package's name.
std::string FindingLines(const std::string& path) {
    ByteFile file = ByteFile::OpenRead(path);
    std::string lines;
    for (const PackageFinding& finding : FindPackageFindings(file).findings) {
        const std::string member =
            finding.member ? "member " + std::to_string(*finding.member) + ": " : "";
        lines += std::string(lines.empty() ? "" : "\n") + FindingSeverityName(finding.severity) +
                 " package: " + member + finding.message;
    }
    return lines;
}

// Each open package keeps its file open, and the in-memory file system has a
// few thousand descriptors for everything; past this many packages the page
// has forgotten to delete() some, and a clear refusal beats every later call
// failing with "Too many open files".
constexpr unsigned kMostOpenPackages = 1000;

}  // namespace

unsigned WebPackage::open_ = 0;

val WebPackage::Open(const val& bytes, const std::string& name, bool salvage) {
    return Guarded([&] {
        if (open_ >= kMostOpenPackages) {
            throw FormatError("too many packages open (" + std::to_string(open_) +
                                  "): delete() the ones no longer needed",
                              name);
        }
        auto opened = std::make_unique<WebPackage>();
        const std::string path = opened->folder_->Put(name, BytesFrom(bytes));
        if (salvage) {
            opened->package_ = EditablePackage::OpenIntact(path);
        } else {
            opened->package_ = EditablePackage::Open(path);
        }
        // A sound package may still hold members verify warns about.
        opened->findings_ = FindingLines(path);
        return val(std::move(opened));
    });
}

std::size_t WebPackage::Checked(std::size_t index) const {
    if (index >= package_.members().size()) {
        throw FormatError("no member " + std::to_string(index) + ": the package has " +
                              std::to_string(package_.members().size()),
                          package_.path());
    }
    return index;
}

std::size_t WebPackage::Named(const std::string& name) const {
    const std::optional<std::string> stored = Utf8ToAnsi(name);
    const std::optional<std::size_t> index = stored ? package_.Find(*stored) : std::nullopt;
    if (!index) {
        throw FormatError("no member named \"" + EscapeControls(name) + "\"", package_.path());
    }
    return *index;
}

val WebPackage::member(std::size_t index) const {
    return Guarded([&] {
        const PackageEntry& entry = package_.members()[Checked(index)];
        val object = val::object();
        object.set("name", AnsiToUtf8(entry.storedName));
        object.set("size", entry.size);
        object.set("kind", MemberKind(entry.storedName));
        return object;
    });
}

val WebPackage::bytes(std::size_t index) const {
    return Guarded([&] { return Uint8ArrayOf(package_.ReadContent(Checked(index))); });
}

val WebPackage::put(const std::string& name, const val& content) {
    return Guarded([&] {
        const std::string stored = StoredName(ExtractFileName(name));
        CheckMemberName(stored, name);
        package_.Put(stored, BytesFrom(content));
        return val::undefined();
    });
}

val WebPackage::putConverted(const std::string& name, const val& content) {
    return Guarded([&] {
        std::string stored = StoredName(ExtractFileName(name));
        const std::string input = folder_->Put(name, BytesFrom(content));
        const PictureKind kind = ReadPictureKind(input);
        std::string source = input;
        if (kind == PictureKind::kBmp || kind == PictureKind::kPng) {
            // As update --convert: the picture goes in as a ".k" of its name.
            stored = ChangeFileExt(stored, ExtensionInCaseOf(".k", ExtractFileExt(stored)));
            source = input + ".k";
            const std::unique_ptr<OutputFile> output = OutputFile::ForPath(source, false, {});
            ConvertPicture(input, kind, TargetFormat::kK, output->file(), ConversionOptions{});
            output->Commit();
        }
        CheckMemberName(stored, name);
        ByteFile check = ByteFile::OpenRead(source);
        package_.PutFile(stored, source, check.Size());
        return val::undefined();
    });
}

val WebPackage::remove(const std::string& name) {
    return Guarded([&] {
        package_.Remove(Named(name));
        return val::undefined();
    });
}

val WebPackage::rename(const std::string& oldName, const std::string& newName) {
    return Guarded([&] {
        const std::size_t index = Named(oldName);
        const std::string stored = StoredName(newName);
        CheckMemberName(stored, newName);
        package_.Rename(index, stored);
        return val::undefined();
    });
}

val WebPackage::save() {
    return Guarded([&] {
        const std::string path = folder_->PathOf("saved-" + std::to_string(saves_++) + ".ezx");
        package_.Save(path);
        val saved = Uint8ArrayOf(ReadWholeFile(path));
        ::unlink(path.c_str());
        return saved;
    });
}

}  // namespace lumigram::web
