#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "package/ezx_reader.h"
#include "package/progress_callback.h"
#include "platform/byte_file.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/output_file.h"

namespace lumigram {

class BlockWriter;

// Where a member's bytes are: a range of the package that was opened, new bytes
// held in memory, or a file on disk (read when the package is written).
struct MemberSource {
    enum class Kind { kOriginal, kBytes, kFile };
    Kind kind = Kind::kOriginal;
    std::uint64_t offset = 0;                                // kOriginal: content offset
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;  // kBytes
    std::string path;                                        // kFile
};

struct PackageEntry {
    std::string storedName;  // as the package stores it (Windows-1252)
    std::uint32_t size = 0;
    MemberSource source;
    bool untouched() const { return source.kind == MemberSource::Kind::kOriginal; }
};

// A skin package in memory, for editing member by member: read once, written
// once.
// - Open checks the package as unpack does (a damaged one raises FormatError)
//   and keeps its members as references into the package's bytes: a file,
//   which stays open, or any other source (memory, for the page and the
//   workbench's own bytes).
// - Put, Remove and Rename apply pack's rules: a stored name of 1 to 255 bytes
//   that pack could store, with the extension .k, .g or .a (any case), unique in
//   the package. A replaced member keeps its place; a new one goes where PackEZX's
//   ordering (first .k, first .g, first .a, second .k, ...; each group in
//   SearchOrderLess order) puts it among the others.
// - Save writes the whole package in one pass, to a sink or through the output
//   layer: members not changed keep their bytes and their order. It refuses,
//   before anything is written, a package of no members, of more than 65,536,
//   or of 2 GiB or more. A member taken from a file must still have the size
//   it had when it was put: a file that shrank or grew since stops the save.
// A member's bytes, whole, from wherever entry keeps them; original is the
// package entries of kind kOriginal are read from.
std::vector<std::uint8_t> ReadEntryContent(const PackageEntry& entry, ByteSource& original);

class EditablePackage {
  public:
    EditablePackage() = default;  // a new, empty package
    // The package in source, which it keeps; path() is then the source's name.
    static EditablePackage Open(std::unique_ptr<ByteSource> source);
    // The package file at path (ByteFile::OpenRead).
    static EditablePackage Open(const std::string& path);
    // A damaged package's intact members (ReadIntactMembers), to be looked at,
    // exported or saved as a new package; a sound package opens as with Open.
    static EditablePackage OpenIntact(std::unique_ptr<ByteSource> source);
    static EditablePackage OpenIntact(const std::string& path);

    EditablePackage(EditablePackage&&) noexcept = default;
    EditablePackage& operator=(EditablePackage&&) noexcept = default;

    const std::vector<PackageEntry>& members() const noexcept { return members_; }
    const std::string& path() const noexcept { return path_; }
    bool modified() const noexcept { return modified_; }

    std::optional<std::size_t> Find(std::string_view storedName) const;

    // Puts back a member list taken from members() earlier (an undo step): the
    // entries share their bytes, so keeping such lists costs little.
    void Restore(std::vector<PackageEntry> members) {
        members_ = std::move(members);
        modified_ = true;
    }

    // Adds a member, or replaces the one of that stored name; returns its index.
    std::size_t Put(const std::string& storedName, std::vector<std::uint8_t> bytes);
    // The same, for a file on disk of size bytes, read only when the package is
    // written (it must still have size bytes then).
    std::size_t PutFile(const std::string& storedName, const std::string& path, std::uint64_t size);
    // Appends a file as the last member, for a caller that adds members in
    // pack's order already, with names unique (CollectMemberFiles), skipping the
    // search for places.
    std::size_t AddInOrder(const std::string& storedName, const std::string& path,
                           std::uint64_t size);
    void Remove(std::size_t index);
    // Gives a member another name; it moves to where that name belongs.
    void Rename(std::size_t index, const std::string& newStoredName);

    // A member's bytes, whole.
    std::vector<std::uint8_t> ReadContent(std::size_t index) const;
    // Hands a member's bytes to take in blocks, in order, without holding them whole.
    void ReadContentInBlocks(std::size_t index,
                             const std::function<void(std::span<const std::uint8_t>)>& take) const;
    // Writes a member's bytes to out, in order, without holding them whole.
    void WriteContent(std::size_t index, ByteSink& out) const;
    // The bytes the package was opened from, where untouched members' contents
    // lie, for readers that walk them in place (a ".k" member decoded as PNG).
    ByteSource& original() { return *original_; }
    // The file the package was opened from, when it was a file: what outputs
    // of the same run must not replace. None for a new package or memory.
    std::optional<FileIdentity> OriginalIdentity() const;
    // That file as it was when it was opened, before anything was read: what
    // an edit in place must find unchanged when it writes the package back.
    const std::optional<FileStamp>& openedStamp() const noexcept { return openedStamp_; }
    // Lets go of the bytes the package was opened from, for a system that
    // cannot replace a file while it is open; untouched members can no longer
    // be read afterwards, so the package must be opened again.
    void CloseOriginal() noexcept { original_.reset(); }

    // Why pack would refuse this stored name for a member, or an empty string.
    static std::string NameRefusal(std::string_view storedName);

    // rules: the files an output must not replace (the inputs of the run).
    // onProgress is asked after each member's content is written; when it
    // stops the save, nothing is written and Save returns false.
    bool Save(const std::string& path, const OutputRules& rules = {},
              const ProgressCallback& onProgress = {}) const;
    // Writes the whole package to out, from its start; what messages name for
    // the package being written is out's name. Returns false when onProgress
    // stopped it (what was written to out so far is then incomplete).
    bool Save(ByteSink& out, const ProgressCallback& onProgress = {}) const;
    // Raises, naming target, what Save refuses before anything is written: no
    // members, more than 65,536, or 2 GiB or more.
    void CheckSavable(const std::string& target) const;

  private:
    static EditablePackage Refer(std::unique_ptr<ByteSource> original,
                                 const std::vector<PackageMember>& members);
    std::size_t Insert(PackageEntry entry);
    std::size_t PlaceFor(const std::string& storedName) const;
    void CheckNewName(const std::string& storedName) const;
    // Adds a member's bytes to what writer writes, from wherever they are kept.
    void AppendContent(const PackageEntry& entry, BlockWriter& writer) const;

    std::string path_;
    std::unique_ptr<ByteSource> original_;
    std::optional<FileStamp> openedStamp_;
    std::vector<PackageEntry> members_;
    bool modified_ = false;
};

}  // namespace lumigram
