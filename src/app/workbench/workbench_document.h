#pragma once

#include <memory>
#include <string>

#include "app/workbench/member_bytes.h"
#include "package/editable_package.h"
#include "package/package_findings.h"

namespace lumigram {

class ByteFile;

// One package opened in the workbench: the package being edited, its own
// handle for the thumbnail readers, and for a damaged package, the findings
// that make it read-only (its intact members only are listed).
class WorkbenchDocument {
  public:
    // Raises IoError when the file cannot be read; a damaged package opens.
    static std::unique_ptr<WorkbenchDocument> Open(const std::string& path);

    EditablePackage& package() { return package_; }
    const EditablePackage& package() const { return package_; }
    const std::string& path() const { return package_.path(); }
    bool readOnly() const { return readOnly_; }
    const PackageFindings& findings() const { return findings_; }

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
