#include "app/workbench/workbench_document.h"

#include "platform/byte_file.h"
#include "platform/io_error.h"

namespace lumigram {

std::unique_ptr<WorkbenchDocument> WorkbenchDocument::Open(const std::string& path) {
    std::unique_ptr<WorkbenchDocument> document(new WorkbenchDocument);
    document->reader_ = std::make_shared<SharedPackageFile>(ByteFile::OpenRead(path));
    try {
        document->package_ = EditablePackage::Open(path);
    } catch (const FormatError&) {
        // Damaged: looked at, exported from and salvaged, never changed.
        document->readOnly_ = true;
        document->findings_ = FindPackageFindings(document->reader_->file);
        document->package_ = EditablePackage::OpenIntact(path);
    }
    return document;
}

MemberBytesSource WorkbenchDocument::SourceOf(std::size_t index) const {
    return {reader_, package_.members()[index]};
}

}  // namespace lumigram
