#include "app/workbench/member_export.h"

#include "platform/ansi_codepage.h"
#include "platform/file_ops.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"
#include "platform/path.h"

namespace lumigram {

std::string ExportName(const std::string& storedName, ExportForm form) {
    const std::string name = AnsiToUtf8(storedName);
    if (form == ExportForm::kAsStored || !HasExtensionIgnoringCase(storedName, ".k")) {
        return name;
    }
    return ChangeFileExt(name, form == ExportForm::kPng ? ".png" : ".bmp");
}

std::string ExportMember(const OutputFolder& folder, const std::string& storedName,
                         const std::vector<std::uint8_t>& bytes, ExportForm form,
                         const std::string& scratchFolder, const ConversionOptions& options,
                         const OutputRules& rules) {
    const std::string name = AnsiToUtf8(storedName);
    const std::string shown = ExportName(storedName, form);
    if (shown == name) {
        OutputFile output(folder, name, rules);
        output.file().Write(bytes);
        output.Commit();
        return name;
    }
    const TargetFormat target = form == ExportForm::kPng ? TargetFormat::kPng : TargetFormat::kBmp;
    const OutputFolder scratch = OutputFolder::Open(scratchFolder);
    {
        OutputFile copy(scratch, "export.k");
        copy.file().Write(bytes);
        copy.Commit();
    }
    const std::string input = scratch.PathOf("export.k");
    try {
        OutputFile output(folder, shown, rules);
        ConvertPicture(input, PictureKind::kSkin, target, output.file(), options);
        output.Commit();
    } catch (const FormatError& error) {
        DeleteFileQuietly(input);
        // The picture is the member, not its scratch copy.
        throw FormatError(error.what(), name);
    } catch (...) {
        DeleteFileQuietly(input);
        throw;
    }
    DeleteFileQuietly(input);
    return shown;
}

}  // namespace lumigram
