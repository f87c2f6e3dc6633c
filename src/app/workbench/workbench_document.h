#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/workbench/member_bytes.h"
#include "package/editable_package.h"
#include "package/package_findings.h"

namespace lumigram {

class ByteFile;

// One package opened in the workbench: the package being edited, its own
// handle for the thumbnail readers, and for a damaged package, the findings
// that make it read-only (its intact members only are listed). Members are
// addressed by their position: two members of the same name (a crafted or
// damaged package) are each shown, exported, replaced, renamed and deleted on
// their own. Names are for showing.
class WorkbenchDocument {
  public:
    // Raises IoError when the file cannot be read; a damaged package opens.
    static std::unique_ptr<WorkbenchDocument> Open(const std::string& path);

    EditablePackage& package() { return package_; }
    const EditablePackage& package() const { return package_; }
    const std::string& path() const { return package_.path(); }
    bool readOnly() const { return readOnly_; }
    const PackageFindings& findings() const { return findings_; }

    std::size_t size() const { return package_.members().size(); }
    const PackageEntry& member(std::size_t index) const { return package_.members()[index]; }
    std::vector<std::uint8_t> ReadMember(std::size_t index) const;
    // The picture member index holds, drawn as the main window draws it: a
    // ".k" through the core's mask-as-alpha decode, a ".g" as its GIF or PNG;
    // a null image for a member that holds no picture. Raises FormatError for
    // a picture that does not decode.
    QImage MemberImage(std::size_t index, bool transparencyEnabled) const;

    // Edits by position; each raises, changing nothing, when refused.
    // Replace keeps the member's name and place.
    void Replace(std::size_t index, std::vector<std::uint8_t> bytes);
    // Adds a member where pack would put it; a name the package holds already
    // is refused (Replace changes that one). Returns its position.
    std::size_t Add(const std::string& storedName, std::vector<std::uint8_t> bytes);
    // Removes the members at these positions.
    void Remove(std::vector<std::size_t> indices);
    // Gives a member another name; it moves where that name belongs. Returns
    // its new position.
    std::size_t Rename(std::size_t index, const std::string& newStoredName);

    // The position of the member whose content is entry's (the same member
    // after an edit moved it), or -1.
    std::ptrdiff_t Find(const PackageEntry& entry) const;

    // What a reader on another thread needs for member index as it is now.
    MemberBytesSource SourceOf(std::size_t index) const;

  private:
    WorkbenchDocument() = default;

    EditablePackage package_;
    std::shared_ptr<SharedPackageFile> reader_;
    bool readOnly_ = false;
    PackageFindings findings_;
};

}  // namespace lumigram
