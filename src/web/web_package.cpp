#include "web/web_package.h"

#include "codec/conversion_run.h"
#include "codec/picture_conversion.h"
#include "codec/skin_format.h"
#include "package/member_intake.h"
#include "package/package_findings.h"
#include "platform/ansi_codepage.h"
#include "platform/byte_file.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/printable_text.h"
#include "web/js_bytes.h"
#include "web/picture_functions.h"

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
std::string FindingLines(ByteSource& package) {
    std::string lines;
    for (const PackageFinding& finding : FindPackageFindings(package).findings) {
        const std::string member =
            finding.member ? "member " + std::to_string(*finding.member) + ": " : "";
        lines += std::string(lines.empty() ? "" : "\n") + FindingSeverityName(finding.severity) +
                 " package: " + member + finding.message;
    }
    return lines;
}

// What a file's bytes hold, told from their head as ReadPictureKind tells it.
PictureKind KindOf(const val& bytes) {
    const std::vector<std::uint8_t> content = BytesFrom(bytes);
    MemorySource source(content, "file");
    return PictureKindOf(source);
}

// A plan for the page: the member's name, and whether the file is encoded
// into a ".k" (with the user's transparency settings) or put as it is.
val PlanObject(const MemberPlan& plan) {
    val object = val::object();
    object.set("name", AnsiToUtf8(plan.storedName));
    object.set("encode", plan.encoding == MemberEncoding::kEncodeSkin);
    return object;
}

// A member for the page: its name, and that name as the CLI shows it (control
// characters escaped), for display.
val MemberObject(const PackageEntry& entry) {
    val object = val::object();
    const std::string name = AnsiToUtf8(entry.storedName);
    object.set("name", name);
    object.set("shown", EscapeControls(name));
    object.set("size", entry.size);
    object.set("kind", MemberKind(entry.storedName));
    return object;
}

// Undo keeps earlier member lists; their bytes are shared, but each entry
// costs its name and bookkeeping. Past this many entries in all the oldest
// states are let go (a package of 65,536 members keeps about 60 steps).
constexpr std::size_t kMostKeptEntries = std::size_t{4} << 20;

}  // namespace

val WebPackage::Open(const val& bytes, const std::string& name, bool salvage) {
    return Guarded([&] {
        // The page's bytes, read in place: no file system in between.
        const auto content = std::make_shared<const std::vector<std::uint8_t>>(BytesFrom(bytes));
        auto opened = std::make_unique<WebPackage>();
        auto source = std::make_unique<MemorySource>(content, name);
        if (salvage) {
            opened->package_ = EditablePackage::OpenIntact(std::move(source));
        } else {
            opened->package_ = EditablePackage::Open(std::move(source));
        }
        // A sound package may still hold members verify warns about.
        MemorySource whole(content, name);
        opened->findings_ = FindingLines(whole);
        opened->states_.push_back(opened->package_.members());
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

val WebPackage::member(std::size_t index) const {
    return Guarded([&] { return MemberObject(package_.members()[Checked(index)]); });
}

val WebPackage::members() const {
    return Guarded([&] {
        val list = val::array();
        const std::vector<PackageEntry>& entries = package_.members();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            list.set(i, MemberObject(entries[i]));
        }
        return list;
    });
}

val WebPackage::bytes(std::size_t index) const {
    return Guarded([&] { return Uint8ArrayOf(package_.ReadContent(Checked(index))); });
}

val WebPackage::put(const std::string& name, const val& content) {
    return Guarded([&] {
        const std::string stored = StoredName(ExtractFileName(name));
        CheckMemberName(stored, name);
        return val(package_.Put(stored, BytesFrom(content)));
    });
}

val WebPackage::putConverted(const std::string& name, const val& content, bool transparency,
                             unsigned colour) {
    return Guarded([&] {
        std::vector<std::uint8_t> bytes = BytesFrom(content);
        MemorySource input(bytes, name);
        const PictureKind kind = PictureKindOf(input);
        const MemberPlan plan = PlanMember(name, kind, IntakeMode::kByContent);
        if (plan.encoding == MemberEncoding::kUnchanged) {
            return val(package_.Put(plan.storedName, std::move(bytes)));
        }
        MemorySink encoded;
        ConvertPicture(input, kind, TargetFormat::kK, encoded,
                       ConversionOptionsOf(transparency, colour));
        return val(package_.Put(plan.storedName, encoded.Take()));
    });
}

val WebPackage::planIntake(const val& files) const {
    return Guarded([&] {
        std::vector<IntakeFile> intake;
        const auto count = files["length"].as<std::size_t>();
        for (std::size_t i = 0; i < count; ++i) {
            intake.push_back({files[i]["name"].as<std::string>(), KindOf(files[i]["bytes"])});
        }
        val steps = val::array();
        const std::vector<IntakeStep> planned =
            PlanIntake(intake, package_.members(), IntakeMode::kByContent);
        for (std::size_t i = 0; i < planned.size(); ++i) {
            const IntakeStep& step = planned[i];
            val object = PlanObject(step.plan);
            object.set("action", step.action == IntakeStep::Action::kReplace ? "replace"
                                 : step.action == IntakeStep::Action::kAdd   ? "add"
                                                                             : "skip");
            object.set("member", step.member);
            object.set("reason", step.reason);
            steps.set(i, object);
        }
        return steps;
    });
}

val WebPackage::planReplacement(std::size_t index, const std::string& fileName,
                                const val& content) const {
    return Guarded([&] {
        const std::string& storedName = package_.members()[Checked(index)].storedName;
        return PlanObject(PlanReplacement(storedName, fileName, KindOf(content)));
    });
}

val WebPackage::replace(std::size_t index, const val& content) {
    return Guarded([&] {
        Checked(index);
        std::vector<std::uint8_t> bytes = BytesFrom(content);
        if (bytes.size() > static_cast<std::uint64_t>(kMaxPackageBytes)) {
            throw FormatError("too large for a package (2 GiB at most)",
                              AnsiToUtf8(package_.members()[index].storedName));
        }
        // Put by name would take the first of two members of one name; this
        // one is replaced where it stands.
        std::vector<PackageEntry> entries = package_.members();
        PackageEntry& entry = entries[index];
        entry.size = static_cast<std::uint32_t>(bytes.size());
        entry.source = MemberSource{};
        entry.source.kind = MemberSource::Kind::kBytes;
        entry.source.bytes = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
        package_.Restore(std::move(entries));
        return val(index);
    });
}

val WebPackage::remove(std::size_t index) {
    return Guarded([&] {
        package_.Remove(Checked(index));
        return val::undefined();
    });
}

val WebPackage::rename(std::size_t index, const std::string& newName) {
    return Guarded([&] {
        Checked(index);
        const std::string stored = StoredName(newName);
        if (package_.members()[index].storedName == stored) {
            return val(index);  // one of two members of that name stays where it is
        }
        CheckMemberName(stored, newName);
        package_.Rename(index, stored);
        // A new name is unique in the package, so it finds the member.
        return val(package_.Find(stored).value_or(index));
    });
}

val WebPackage::checkpoint() {
    return Guarded([&] {
        // States after the current one were undone; a new edit lets them go.
        states_.resize(currentState_ - firstState_ + 1);
        states_.push_back(package_.members());
        ++currentState_;
        std::size_t kept = 0;
        for (const std::vector<PackageEntry>& state : states_) {
            kept += state.size();
        }
        while (states_.size() > 1 && kept > kMostKeptEntries) {
            kept -= states_.front().size();
            states_.pop_front();
            ++firstState_;
        }
        return val(currentState_);
    });
}

val WebPackage::restore(std::size_t state) {
    return Guarded([&] {
        if (state < firstState_ || state - firstState_ >= states_.size()) {
            throw FormatError("no state " + std::to_string(state) + " is kept (states " +
                                  std::to_string(firstState_) + " to " +
                                  std::to_string(firstState_ + states_.size() - 1) + ")",
                              package_.path());
        }
        package_.Restore(states_[state - firstState_]);
        currentState_ = state;
        return val(state);
    });
}

val WebPackage::save() {
    return Guarded([&] {
        MemorySink saved;
        package_.Save(saved);
        return Uint8ArrayOf(saved.bytes());
    });
}

}  // namespace lumigram::web
