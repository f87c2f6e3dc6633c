// The output layer's rules, the same on every system; the calls in which the
// systems differ are behind platform/system_calls.h.
#include "platform/output_file.h"

#include <random>

#include "platform/entry_kind.h"
#include "platform/fault_injection.h"
#include "platform/io_error.h"
#include "platform/path.h"
#include "platform/system_calls.h"

namespace lumigram {
namespace {

constexpr std::string_view kTemporaryPrefix = ".lumigram-";

// Six letters or digits: short and of fixed length, so a temporary fits beside
// any name the file system allows.
std::string TemporaryName() {
    // Seeded once: a generator built per name would cost more than the write
    // of a small member.
    static thread_local std::mt19937_64 generator(sys::RandomSeed());
    static constexpr char kDigits[] =
        "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string name(kTemporaryPrefix);
    std::uint64_t bits = generator();
    for (int i = 0; i < 6; ++i, bits /= 62) {
        name += kDigits[bits % 62];
    }
    return name;
}

void FailIfInjected(IoOp op, const std::string& path) {
    if (const int err = InjectedFault(op)) {
        ThrowIoErrorFromErrno(err, path);
    }
}

}  // namespace

EditPauseHook& EditPauseHookSlot() {
    static EditPauseHook hook;
    return hook;
}

FileIdentity IdentityOf(const ByteFile& file) {
    return StampOf(file).identity;
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    const std::optional<FileStamp> stamp = StampOfPath(path);
    return stamp ? std::optional(stamp->identity) : std::nullopt;
}

FileStamp StampOf(const ByteFile& file) {
    return sys::StampOfOpen(file.descriptor(), file.path());
}

std::optional<FileStamp> StampOfPath(const std::string& path) {
    return sys::StampOfPath(path);
}

OutputFolder OutputFolder::Open(const std::string& path) {
    const std::string shown = path.empty() ? std::string(".") : path;
    UniqueFd fd;
    switch (sys::OpenFolder(shown, fd)) {
        case sys::FolderOpened::kMissing:
            throw IoError(IoCode::kFolderNotFound, shown, "folder not found");
        case sys::FolderOpened::kNotAFolder:
            throw IoError(IoCode::kFileNotFound, shown, "is not a folder");
        case sys::FolderOpened::kOpened:
            break;
    }
    return OutputFolder(std::move(fd), path);
}

OutputFolder OutputFolder::OpenCreating(const std::string& path) {
    // Each missing part is made in turn; one that appears meanwhile is fine.
    // ("C:" ends no folder: the drive is there or not.)
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || (IsPathDelimiter(path[i]) && path[i] != ':' && i > 0)) {
            const std::string part = path.substr(0, i);
            if (!sys::NeedsNoMaking(part) &&
                sys::MakeFolder(part) == sys::FolderMade::kNotAFolder) {
                throw IoError(IoCode::kFileNotFound, part, "is not a folder");
            }
        }
    }
    return Open(path);
}

void OutputFolder::ListEntriesOnce() {
    if (!entries_) {
        entries_ = sys::ListNames(fd_.get(), path_);  // none: every name is looked at
    }
}

bool OutputFolder::MayHold(const std::string& name) const {
    return !entries_ || entries_->contains(name);
}

bool OutputFolder::Holds(const std::string& name) const {
    const std::string path = PathOf(name);
    try {
        return sys::LookAt({fd_.get(), name, path}, path).kind != EntryKind::kMissing;
    } catch (const IoError&) {
        return false;
    }
}

std::string OutputFolder::PathOf(std::string_view name) const {
    if (path_.empty()) {
        return std::string(name);
    }
    return IsPathDelimiter(path_.back()) ? path_ + std::string(name) : JoinPath(path_, name);
}

OutputFile::Temporary::~Temporary() {
    if (!kept) {
        sys::RemoveQuietly({folder, name, path});
    }
}

OutputFile::OutputFile(const OutputFolder& folder, const std::string& name,
                       const OutputRules& rules)
    : folder_(folder.descriptor()),
      mayExist_(folder.MayHold(name)),
      name_(name),
      targetPath_(folder.PathOf(name)),
      shownPath_(targetPath_) {
    Begin(rules);
}

OutputFile::OutputFile(OwnFolderTag, OutputFolder folder, const std::string& path,
                       std::string shown)
    : ownFolder_(std::move(folder)),
      name_(ExtractFileName(path)),
      targetPath_(ownFolder_->PathOf(name_)),
      shownPath_(std::move(shown)) {
    folder_ = ownFolder_->descriptor();
}

OutputFile::OutputFile(StreamTag, ByteFile stream) : shownPath_(stream.path()) {
    file_.emplace(std::move(stream));
}

OutputFile::~OutputFile() = default;

void OutputFile::Begin(const OutputRules& rules) {
    if (name_.empty() || name_ == "." || name_ == ".." || sys::HoldsNameDelimiter(name_)) {
        throw IoError(IoCode::kInvalidFilename, shownPath_);
    }
    if (sys::IsDeviceName(name_)) {
        throw IoError(IoCode::kFileAccessDenied, shownPath_,
                      NotARegularFileText(EntryKind::kCharDevice));
    }
    noReplace_ = rules.keepExisting;
    inPlace_ = rules.inPlace;
    const sys::EntryRef target{folder_, name_, targetPath_};
    // A name the folder's listing did not hold is taken as new.
    const sys::EntryInfo existing = mayExist_ ? sys::LookAt(target, shownPath_) : sys::EntryInfo{};
    if (existing.kind != EntryKind::kMissing) {
        if (existing.kind != EntryKind::kRegular && existing.kind != EntryKind::kLink) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_,
                          NotARegularFileText(existing.kind));
        }
        if (rules.keepExisting) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        }
        // Said before anything is written, and the same under every file system.
        if (existing.replaceRefused) {
            if (!inPlace_ || !inPlace_->writeProtectedAllowed) {
                throw IoError(IoCode::kFileAccessDenied, shownPath_);
            }
            keepRefusal_ = true;
        }
        for (const FileIdentity& input : rules.inputs) {
            if (existing.kind == EntryKind::kRegular && input == existing.stamp.identity) {
                throw IoError(IoCode::kFileAccessDenied, shownPath_,
                              "is one of the files being read, not replaced");
            }
        }
        replacing_ = existing.kind == EntryKind::kRegular;
    }

    FailIfInjected(IoOp::kCreate, shownPath_);
    // A name taken by someone else is tried again.
    for (int attempt = 0; !temporary_; ++attempt) {
        std::string name = TemporaryName();
        std::string path = ExtractFilePath(targetPath_) + name;
        UniqueFd fd = sys::CreateNew({folder_, name, path}, shownPath_);
        if (fd) {
            temporary_.emplace(folder_, std::move(name), std::move(path));
            file_.emplace(ByteFile::Adopt(fd.release(), shownPath_));
        } else if (attempt >= 16) {
            throw IoError(IoCode::kFileAccessDenied, shownPath_,
                          "no free name for a temporary beside it");
        }
    }
    cleanup_.emplace(folder_, temporary_->name);
    if (replacing_) {
        sys::CarryOver(target, file_->descriptor(), shownPath_);
    }
}

std::unique_ptr<OutputFile> OutputFile::ForPath(const std::string& path, bool streamsAllowed,
                                                const OutputRules& rules) {
    const std::string shown = rules.inPlace ? rules.inPlace->shownPath : path;
    if (path.empty()) {
        throw IoError(IoCode::kInvalidFilename, path, "no file name given");
    }
    if (streamsAllowed && path == "-") {
        UniqueFd fd = sys::DuplicateStandardOutput();
        return std::unique_ptr<OutputFile>(
            new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd.release(), "standard output")));
    }
    EntryKind kind = EntryKind::kMissing;
    const sys::StreamPath stream = sys::StreamPathOf(path, kind);
    if (stream != sys::StreamPath::kNone) {
        if (streamsAllowed) {
            FailIfInjected(IoOp::kCreate, path);
            UniqueFd fd = sys::OpenStream(path, stream, kind);
            return std::unique_ptr<OutputFile>(
                new OutputFile(StreamTag{}, ByteFile::AdoptStream(fd.release(), path)));
        }
        if (stream == sys::StreamPath::kOwnDescriptor) {
            throw IoError(IoCode::kFileAccessDenied, path,
                          "stands for an open descriptor, never replaced");
        }
        throw IoError(IoCode::kFileAccessDenied, path, NotARegularFileText(kind));
    }
    if (kind == EntryKind::kFolder) {
        throw IoError(IoCode::kFileAccessDenied, shown, "is a folder");
    }
    const std::string folderPart = ExtractFilePath(path);
    const std::string name = ExtractFileName(path);
    if (name.empty()) {
        throw IoError(IoCode::kFileAccessDenied, shown, "is a folder");
    }
    std::optional<OutputFolder> folder;
    try {
        folder.emplace(OutputFolder::Open(folderPart));
    } catch (const IoError& error) {
        // Which folder is missing, not merely that the file was not found.
        if (error.code() == IoCode::kFolderNotFound) {
            throw IoError(IoCode::kFileNotFound, shown,
                          "the folder \"" + folderPart + "\" does not exist");
        }
        if (error.code() == IoCode::kFileNotFound) {
            throw IoError(IoCode::kFileNotFound, shown, "\"" + folderPart + "\" " + error.what());
        }
        throw IoError(error.code(), shown, error.what());
    }
    // The file keeps its folder open for as long as it lives.
    auto output = std::unique_ptr<OutputFile>(
        new OutputFile(OwnFolderTag{}, std::move(*folder), path, shown));
    output->Begin(rules);
    return output;
}

void OutputFile::Commit() {
    if (!temporary_) {
        file_->Close();  // a stream: nothing to rename
        return;
    }
    if (replacing_) {
        FailIfInjected(IoOp::kSync, shownPath_);
        sys::SyncData(file_->descriptor(), shownPath_);
    }
    file_->Close();
    FailIfInjected(IoOp::kRename, shownPath_);
    ReplaceTarget();
    temporary_->kept = true;
    cleanup_.reset();
    if (replacing_) {
        sys::SyncFolder(folder_, shownPath_);
    }
}

void OutputFile::ReplaceTarget() {
    const sys::EntryRef from{folder_, temporary_->name, temporary_->path};
    const sys::EntryRef to{folder_, name_, targetPath_};
    std::optional<EditLock> lock;
    if (inPlace_) {
        lock.emplace(EditLock::Take(to, shownPath_, inPlace_->lockWait));
        if (const EditPauseHook& pause = EditPauseHookSlot()) {
            pause();
        }
        if (inPlace_->expected) {
            const sys::EntryInfo now = sys::LookAt(to, shownPath_);
            if (now.kind != EntryKind::kRegular || now.stamp != *inPlace_->expected) {
                throw FileChangedError(shownPath_);
            }
        }
    }
    // A write-protected file the user chose to replace is let go for the
    // rename; the new file is then protected as the old one was.
    if (keepRefusal_) {
        sys::SetReplaceRefused(to, false, shownPath_);
    }
    const auto protectAgain = [&]() noexcept {
        if (keepRefusal_) {
            try {
                sys::SetReplaceRefused(to, true, shownPath_);
            } catch (...) {  // no error, as for an attribute the file system drops
            }
        }
    };
    // Left alone means left alone even when the name appears after the check.
    sys::Renamed renamed = sys::Renamed::kDone;
    try {
        renamed = sys::Rename(from, to, noReplace_, inPlace_.has_value(), shownPath_);
    } catch (...) {
        protectAgain();
        throw;
    }
    if (renamed == sys::Renamed::kDone) {
        protectAgain();
    }
    switch (renamed) {
        case sys::Renamed::kDone:
            return;
        case sys::Renamed::kTargetExists:
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "already exists, left alone");
        case sys::Renamed::kTargetIsFolder:
            throw IoError(IoCode::kFileAccessDenied, shownPath_, "is a folder");
    }
}

void WriteWholeOutput(const std::string& path, std::span<const std::uint8_t> bytes,
                      bool streamsAllowed, const OutputRules& rules) {
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(path, streamsAllowed, rules);
    output->file().Write(bytes);
    output->Commit();
}

}  // namespace lumigram
