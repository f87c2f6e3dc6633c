#include "app/workbench/member_picture.h"

#include "codec/skin_pixels.h"
#include "platform/folder_search.h"
#include "platform/io_error.h"

namespace lumigram {

QImage DecodeMemberPicture(const std::string& storedName, std::span<const std::uint8_t> bytes,
                           bool transparencyEnabled, const std::string& shownName) {
    if (HasExtensionIgnoringCase(storedName, ".k")) {
        const SampledPicture picture = DecodeSkinPixels(bytes, transparencyEnabled, shownName);
        QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height),
                     QImage::Format_ARGB32);
        for (std::uint32_t y = 0; y < picture.height; ++y) {
            std::copy_n(picture.argb.data() + std::size_t{y} * picture.width, picture.width,
                        reinterpret_cast<std::uint32_t*>(image.scanLine(static_cast<int>(y))));
        }
        return image;
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
