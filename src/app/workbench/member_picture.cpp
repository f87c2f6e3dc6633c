#include "app/workbench/member_picture.h"

#include "display/skin_image.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"

namespace lumigram {

QImage DecodeMemberPicture(const std::string& storedName, std::span<const std::uint8_t> bytes,
                           bool transparencyEnabled, const std::string& shownName) {
    if (HasExtensionIgnoringCase(storedName, ".k")) {
        // As the main window shows the same picture.
        return SkinImage(bytes, transparencyEnabled, shownName);
    }
    if (HasExtensionIgnoringCase(storedName, ".g")) {
        QImage image;
        const auto data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
        if (!image.loadFromData(data) || image.isNull()) {
            throw FormatError("not a GIF or PNG picture", shownName);
        }
        return image;
    }
    return {};
}

}  // namespace lumigram
