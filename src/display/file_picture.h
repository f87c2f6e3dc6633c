#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QRect>
#include <memory>

class QIODevice;
class QPainter;

namespace lumigram {

class TImagingImage;

// A picture that keeps a file's bytes exactly as they were read, so that saving
// writes back the very file that was loaded, and decodes them only to report its
// size or to draw itself.
// - A BMP is drawn at its own size at the rectangle's top-left corner, with every
//   pixel of the bottom-left pixel's colour left transparent, or, given a
//   transparency mask (a ".k" decoded to BMP), see-through where the mask says.
// - Every other format is drawn scaled to fill the rectangle.
// - Width and height change only when a decode runs (GetImageSizes, or a draw of
//   a picture that is not a BMP); loading new bytes does not reset them.
// The decoded image is kept between paints while the bytes stay the same.
class TFilePicture : public QObject {
    Q_OBJECT

  public:
    explicit TFilePicture(QObject* parent = nullptr);
    ~TFilePicture() override;

    // Null: clears the bytes, marks the picture empty, emits changed then cleared.
    // Another TFilePicture: copies its bytes, not empty, emits changed.
    // Anything else: marks the picture empty, nothing emitted.
    void Assign(const QObject* source);

    void Draw(QPainter& canvas, const QRect& rect);

    bool GetEmpty() const { return empty_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetWidth(int) {}  // the size is the picture's own
    void SetHeight(int) {}

    // Reads the whole file. Success: cleared then changed are emitted. Any
    // failure is swallowed: the picture becomes empty and nothing is emitted
    // (the bytes of a file that could not be opened stay as they were).
    void LoadFromFile(const QString& fileName);
    // Replaces the bytes with the stream's whole content (from its start) and
    // emits changed; a null stream changes nothing.
    void LoadFromStream(QIODevice* stream);
    // Writes every kept byte at the stream's position (nothing when there are none).
    void SaveToStream(QIODevice* stream) const;
    // Creates (or truncates) the file and writes the kept bytes into it. An empty
    // picture raises Error("There is no picture to save") and creates no file,
    // so stale bytes of an earlier picture never go out under a new name.
    void SaveToFile(const QString& fileName) const;
    // Persistence: as LoadFromStream without the signal, and as SaveToStream.
    void ReadData(QIODevice* stream);
    void WriteData(QIODevice* stream) const { SaveToStream(stream); }

    // Decodes only to refresh the width and height; false (and nothing done)
    // when the picture is empty or holds no bytes.
    bool GetImageSizes();

    // Pixels already decoded (a package member), drawn scaled as a PNG is; no
    // bytes are kept. Cleared then changed are emitted.
    void LoadFromPixels(const QImage& pixels);

    // Which pixels of a BMP are see-through, in place of its automatic
    // transparency: an alpha plane of the picture's size (Format_Alpha8; 0
    // see-through, 255 opaque, between partly), as a ".k"'s mask gives it. A
    // null image goes back to the automatic transparency. New bytes drop it.
    void SetTransparencyMask(const QImage& alpha);

    // The picture as it is drawn at its own size: a BMP with its transparency,
    // anything else as decoded; null when there is nothing to draw. Kept
    // between calls while the bytes stay the same (shared, not copied).
    QImage OwnSizeImage();

    // The kept bytes, exactly as loaded.
    const QByteArray& DataStream() const { return data_; }

  signals:
    void changed();
    void cleared();

  private:
    // The decode of the current bytes, made on first need; nullptr when the
    // picture is empty or holds no bytes.
    const TImagingImage* Decoded();
    const QImage& BmpWithTransparency();
    void SetBytes(QByteArray bytes);

    QByteArray data_;
    bool empty_ = true;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<TImagingImage> decoded_;
    QImage pixels_;  // LoadFromPixels's picture, which has no bytes
    QImage mask_;
    QImage transparentBmp_;
};

}  // namespace lumigram
