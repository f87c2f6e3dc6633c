#include "app/picture_status.h"

#include <QImageReader>

#include "codec/skin_info.h"
#include "display/imaging.h"

namespace lumigram {
namespace {

bool TooLargeToPreview(qint64 width, qint64 height) {
    constexpr qint64 kBytesPerPixel = 4;
    return width * height * kBytesPerPixel > (qint64{kDecodeAllocationLimitMiB} << 20);
}

QString Size(qint64 width, qint64 height) {
    return QStringLiteral("%1 \u00D7 %2").arg(width).arg(height);
}

const QString kTooLarge = QStringLiteral(" \u2014 too large to preview");

}  // namespace

QString DescribePicture(const std::string& currentFile, FileKind kind,
                        const std::string& previewFile) {
    if (currentFile.empty()) {
        return {};
    }
    if (kind == FileKind::kSkin) {
        const SkinPictureInfo info = InspectSkinPicture(currentFile);
        QString text = QStringLiteral("%1, %2 bits per pixel, mask: %3")
                           .arg(Size(info.width, info.height))
                           .arg(info.bitsPerPixel)
                           .arg(QString::fromLatin1(MaskPresenceName(info.mask)));
        return TooLargeToPreview(info.width, info.height) ? text + kTooLarge : text;
    }
    const QString file = QString::fromStdString(previewFile);
    const QByteArray format = QImageReader::imageFormat(file);
    const QSize size = QImageReader(file).size();  // from the header, nothing decoded
    if (format.isEmpty()) {
        return QStringLiteral("not a picture that can be shown");
    }
    QString text = QString::fromLatin1(format.toUpper());
    if (size.isValid()) {
        text += QStringLiteral(", ") + Size(size.width(), size.height());
        if (TooLargeToPreview(size.width(), size.height())) {
            text += kTooLarge;
        }
    }
    return text;
}

}  // namespace lumigram
