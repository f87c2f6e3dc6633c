#include "package/package_edit.h"

#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/system_calls.h"

namespace lumigram {

FileStamp SaveInPlace(EditablePackage& package, const std::string& path,
                      const std::optional<FileStamp>& since, const InPlaceSaveOptions& options) {
    const std::string target = sys::FinalTarget(path);
    if (!options.force && sys::IsWriteProtected(target)) {
        throw WriteProtectedError(path);
    }
    package.CheckSavable(path);
    OutputRules rules;
    rules.inPlace = InPlaceEdit{path, options.overwrite ? std::nullopt : since, options.lockWait,
                                options.force};
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(target, false, rules);
    package.Save(output->file());
    if (!sys::kReplacesOpenFiles) {
        package.CloseOriginal();
    }
    output->Commit();
    return sys::StampOfPath(target).value_or(FileStamp{});
}

std::optional<FileStamp> PackageStampNow(const std::string& path) {
    return sys::StampOfPath(path);
}

bool IsPackageWriteProtected(const std::string& path) {
    return sys::IsWriteProtected(sys::FinalTarget(path));
}

}  // namespace lumigram
