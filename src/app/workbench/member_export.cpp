#include "app/workbench/member_export.h"

#include "platform/ansi_codepage.h"
#include "platform/byte_source.h"
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
                         const ConversionOptions& options, const OutputRules& rules) {
    const std::string name = AnsiToUtf8(storedName);
    const std::string shown = ExportName(storedName, form);
    OutputFile output(folder, shown, rules);
    if (shown == name) {
        output.file().Write(bytes);
    } else {
        // The picture is the member: messages name it.
        MemorySource member(bytes, name);
        ConvertPicture(member, PictureKind::kSkin,
                       form == ExportForm::kPng ? TargetFormat::kPng : TargetFormat::kBmp,
                       output.file(), options);
    }
    output.Commit();
    return shown;
}

}  // namespace lumigram
