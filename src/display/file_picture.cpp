#include "display/file_picture.h"

#include <QIODevice>
#include <QPainter>
#include <limits>
#include <new>
#include <optional>
#include <span>

#include "display/imaging.h"
#include "platform/byte_file.h"
#include "platform/io_error.h"
#include "platform/output_file.h"

namespace lumigram {
namespace {

const char kNoMemory[] = "Could not allocate memory for image";

// The file's whole content; nullopt when it cannot be opened or read, or is
// larger than a byte array holds.
std::optional<QByteArray> ReadWholeFile(const QString& fileName) {
    try {
        ByteFile file = ByteFile::OpenRead(fileName.toStdString());
        const std::uint64_t size = file.Size();
        if (size > static_cast<std::uint64_t>(std::numeric_limits<qsizetype>::max() / 2)) {
            return std::nullopt;
        }
        QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
        const std::size_t got = file.Read(std::span(reinterpret_cast<std::uint8_t*>(bytes.data()),
                                                    static_cast<std::size_t>(size)));
        bytes.truncate(static_cast<qsizetype>(got));
        file.Close();
        return bytes;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

TFilePicture::TFilePicture(QObject* parent) : QObject(parent) {}

TFilePicture::~TFilePicture() = default;

void TFilePicture::SetBytes(QByteArray bytes) {
    data_ = std::move(bytes);
    decoded_.reset();
    pixels_ = QImage();
    mask_ = QImage();
    transparentBmp_ = QImage();
}

void TFilePicture::LoadFromPixels(const QImage& pixels) {
    SetBytes({});
    pixels_ = pixels;
    empty_ = false;
    emit cleared();
    emit changed();
}

void TFilePicture::SetTransparencyMask(const QImage& alpha) {
    mask_ = alpha;
    transparentBmp_ = QImage();
    emit changed();
}

void TFilePicture::Assign(const QObject* source) {
    if (source == nullptr) {
        SetBytes({});
        empty_ = true;
        emit changed();
        emit cleared();
        return;
    }
    if (const auto* picture = qobject_cast<const TFilePicture*>(source)) {
        SetBytes(picture->data_);
        pixels_ = picture->pixels_;
        mask_ = picture->mask_;
        empty_ = false;
        emit changed();
        return;
    }
    empty_ = true;
}

void TFilePicture::LoadFromFile(const QString& fileName) {
    std::optional<QByteArray> bytes = ReadWholeFile(fileName);
    if (!bytes) {
        empty_ = true;  // no message and no signal: the caller sees an empty picture
        return;
    }
    SetBytes(std::move(*bytes));
    empty_ = false;
    emit cleared();
    emit changed();
}

void TFilePicture::LoadFromStream(QIODevice* stream) {
    if (stream == nullptr) {
        return;
    }
    ReadData(stream);
    emit changed();
}

void TFilePicture::ReadData(QIODevice* stream) {
    if (stream == nullptr) {
        return;
    }
    stream->seek(0);
    SetBytes(stream->readAll());
    empty_ = false;
}

void TFilePicture::SaveToStream(QIODevice* stream) const {
    if (stream != nullptr && !data_.isEmpty()) {
        stream->write(data_);
    }
}

void TFilePicture::SaveToFile(const QString& fileName) const {
    const std::string path = fileName.toStdString();
    if (empty_) {
        throw Error("There is no picture to save", path);
    }
    // Written whole beside the target and renamed into place: a failed save
    // leaves the earlier file as it was.
    std::unique_ptr<OutputFile> created;
    try {
        created = OutputFile::ForPath(path, false);
    } catch (const IoError& error) {
        throw Error("Cannot create file \"" + path + "\". " + error.what(), path);
    }
    created->file().Write(std::span(reinterpret_cast<const std::uint8_t*>(data_.constData()),
                                    static_cast<std::size_t>(data_.size())));
    created->Commit();
}

const TImagingImage* TFilePicture::Decoded() {
    if (empty_ || (data_.isEmpty() && pixels_.isNull())) {
        return nullptr;
    }
    if (!decoded_) {
        try {
            decoded_ = pixels_.isNull()
                           ? std::make_unique<TImagingImage>(data_)
                           : std::make_unique<TImagingImage>(pixels_, kImageFormatMemoryBmp);
        } catch (const std::bad_alloc&) {
            throw Error(kNoMemory, "");
        }
    }
    return decoded_.get();
}

bool TFilePicture::GetImageSizes() {
    const TImagingImage* image = Decoded();
    if (image == nullptr) {
        return false;
    }
    width_ = image->GetWidth();
    height_ = image->GetHeight();
    return true;
}

const QImage& TFilePicture::BmpWithTransparency() {
    if (transparentBmp_.isNull() && !decoded_->IsNull()) {
        try {
            const QImage& source = decoded_->image();
            QImage image = source.convertToFormat(QImage::Format_ARGB32);
            constexpr QRgb kColourBits = 0x00FFFFFF;
            if (!mask_.isNull() && mask_.size() == image.size()) {
                // Straight alpha from the mask, the colour from the BMP.
                for (int y = 0; y < image.height(); ++y) {
                    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                    const uchar* alpha = mask_.constScanLine(y);
                    for (int x = 0; x < image.width(); ++x) {
                        row[x] = (row[x] & kColourBits) | (QRgb{alpha[x]} << 24);
                    }
                }
            } else {
                // The transparent colour is the bottom-left pixel's; white for
                // a monochrome bitmap.
                const bool mono = source.format() == QImage::Format_Mono ||
                                  source.format() == QImage::Format_MonoLSB;
                const QRgb key =
                    (mono ? qRgb(255, 255, 255) : source.pixel(0, source.height() - 1)) &
                    kColourBits;
                for (int y = 0; y < image.height(); ++y) {
                    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                    for (int x = 0; x < image.width(); ++x) {
                        if ((row[x] & kColourBits) == key) {
                            row[x] = 0;  // fully transparent: the canvas shows through
                        }
                    }
                }
            }
            transparentBmp_ = std::move(image);
        } catch (const std::bad_alloc&) {
            throw Error(kNoMemory, "");
        }
    }
    return transparentBmp_;
}

QImage TFilePicture::OwnSizeImage() {
    const TImagingImage* image = Decoded();
    if (image == nullptr || image->IsNull()) {
        return {};
    }
    return image->GetFormat() == kImageFormatBmp ? BmpWithTransparency() : image->image();
}

void TFilePicture::Draw(QPainter& canvas, const QRect& rect) {
    const TImagingImage* image = Decoded();
    if (image == nullptr) {
        return;
    }
    if (image->GetFormat() == kImageFormatBmp) {
        // Own size, top-left corner; the cached size is left alone.
        const QImage& transparent = BmpWithTransparency();
        if (!transparent.isNull()) {
            canvas.drawImage(rect.topLeft(), transparent);
        }
        return;
    }
    width_ = image->GetWidth();
    height_ = image->GetHeight();
    TImagingGraphics graphics(canvas);
    graphics.DrawImage(image, rect.left(), rect.top(), rect.width(), rect.height());
}

}  // namespace lumigram
