#include "app/picture_document.h"

#include <QImage>
#include <algorithm>

#include "app/picture_status.h"
#include "codec/picture_conversion.h"
#include "codec/picture_groups.h"
#include "codec/scratch_conversion.h"
#include "display/file_picture.h"
#include "display/skin_image.h"
#include "package/member_intake.h"
#include "platform/byte_file.h"
#include "platform/copy_by_blocks.h"
#include "platform/io_error.h"
#include "platform/scratch.h"

namespace lumigram {
namespace {

// A ".k" larger than this is shown without its mask (its pixels opaque): the
// core's pixel decode shows at most kMaxShownPixels.
constexpr std::uint64_t kMaskReadLimit = 128ull << 20;

// Which pixels of the ".k" at path are see-through, as the core's decode of its
// mask gives them; a null image when the picture is too large for it, which
// then shows every pixel opaque.
QImage MaskOf(const std::string& path, bool transparencyEnabled, QSize size) {
    QImage mask;
    try {
        ByteFile file = ByteFile::OpenRead(path);
        if (file.Size() <= kMaskReadLimit) {
            mask = SkinImage(ReadWhole(file), transparencyEnabled, path)
                       .convertToFormat(QImage::Format_Alpha8);
        }
    } catch (const FormatError&) {
        mask = QImage();  // the decode to BMP took it: shown, only without its mask
    }
    if (mask.size() != size) {
        mask = QImage(size, QImage::Format_Alpha8);
        mask.fill(255);
    }
    return mask;
}

}  // namespace

PictureDocument::PictureDocument(QObject* parent)
    : QObject(parent), picture_(new TFilePicture(this)) {}

PictureDocument::~PictureDocument() = default;

void PictureDocument::SetMessage(const QString& text) {
    message_ = text;
    emit messageChanged();
}

void PictureDocument::LoadAndPreview(const std::string& name) {
    const FileKind kind = FileKindOf(name);
    const Transparency& transparency = state_.transparency;
    // Written afresh, not over the last ones: the output layer syncs a file it
    // replaces, which a scratch file never needs, and an arrow-key step
    // through a folder would wait for the disk at every picture.
    DeleteScratchFiles(scratch_.path());
    const std::string scratch =
        PrepareScratchFile(name, scratch_.path(), transparency.colour, transparency.enabled);
    if (kind == FileKind::kGPicture && scratch.empty()) {
        throw FormatError("not a GIF or PNG picture", name);
    }
    const std::string preview = kind == FileKind::kOrdinary ? name : scratch;
    // Opened once on its own first, so that a refusal ("is a FIFO, not a
    // regular file") reaches the error box; the picture object swallows it.
    ByteFile::OpenRead(preview).Close();
    TFilePicture picture;
    picture.LoadFromFile(QString::fromStdString(preview));
    if (picture.GetEmpty()) {
        throw IoError(IoCode::kFileNotFound, preview);
    }
    if (kind == FileKind::kSkin && picture.GetImageSizes()) {
        // The decoded BMP as Save writes it; only which of its pixels are
        // see-through comes from the picture's own mask.
        picture.SetTransparencyMask(
            MaskOf(name, transparency.enabled, {picture.GetWidth(), picture.GetHeight()}));
    }
    QString info;
    try {
        info = DescribePicture(name, kind, preview);
    } catch (const std::exception& error) {
        info = QString::fromStdString(error.what());
    }
    // Everything worked: only now does name become the current file.
    const bool anotherFile = name != state_.CurrentFile;
    state_.CurrentFile = name;
    state_.kind = kind;
    state_.PreviewFile = preview;
    saveExtension_ = ExtractFileExt(scratch);
    picture_->Assign(&picture);
    pictureInfo_ = info;
    if (anotherFile && !message_.isEmpty()) {
        SetMessage({});  // what was said was about the file shown before
    }
    emit pictureChanged(anotherFile);
}

void PictureDocument::ShowRow(std::size_t row) {
    if (row < state_.FileList.size()) {
        LoadAndPreview(state_.FileList[row]);
    }
}

void PictureDocument::ListFolder() {
    const std::string folder = ExtractFilePath(state_.CurrentFile);
    const std::vector<std::string> names = ListGroupFiles(folder, state_.kind, kFileListLimit);
    state_.FileList.clear();
    for (const std::string& name : names) {
        state_.FileList.push_back(folder + name);
    }
    emit fileListChanged();
}

int PictureDocument::CurrentRow() const {
    const auto found =
        std::find(state_.FileList.begin(), state_.FileList.end(), state_.CurrentFile);
    return found == state_.FileList.end() ? -1 : static_cast<int>(found - state_.FileList.begin());
}

void PictureDocument::SetTransparency(const Transparency& transparency) {
    state_.transparency = transparency;
    emit transparencyChanged();
    // A ".k" on screen shows the new setting at once; an ordinary picture is
    // encoded with it at the next Save.
    if (state_.kind == FileKind::kSkin) {
        LoadAndPreview(state_.CurrentFile);
    }
}

QString PictureDocument::SaveFilter() const {
    const bool pictureKind = state_.kind == FileKind::kSkin || state_.kind == FileKind::kGPicture;
    return pictureKind ? QStringLiteral("Images|*.png;*.gif;*.bmp")
                       : QStringLiteral(".k/g files|*.k;*.g");
}

std::string PictureDocument::SaveExtension() const {
    return state_.CurrentFile.empty() ? std::string() : saveExtension_;
}

std::string PictureDocument::ProposedSaveName() const {
    if (state_.CurrentFile.empty()) {
        return {};
    }
    // In the case of the file's own extension, as Convert all names its outputs.
    return NameWithExtension(ExtractFileName(state_.CurrentFile), saveExtension_);
}

void PictureDocument::SaveTo(const std::string& path) {
    if (state_.kind == FileKind::kSkin || state_.kind == FileKind::kGPicture) {
        picture_->SaveToFile(QString::fromStdString(path));
    } else {
        if (state_.CurrentFile.empty()) {
            throw Error("There is no picture to save", path);
        }
        // Encoded now, so that the transparency settings of this moment apply.
        const std::string encoded =
            PrepareScratchFile(state_.CurrentFile, scratch_.path(), state_.transparency.colour,
                               state_.transparency.enabled);
        CopyFileByBlocks(encoded, path);
    }
    SetMessage(QStringLiteral("Saved %1").arg(QString::fromStdString(ExtractFileName(path))));
}

void PictureDocument::CheckExportSource() const {
    if (state_.CurrentFile.empty()) {
        throw Error("There is no picture to export", "");
    }
}

void PictureDocument::ExportPng(const std::string& path) {
    CheckExportSource();
    ExportPictureAsPng(state_.CurrentFile, path, state_.transparency.AsConversionOptions());
    SetMessage(QStringLiteral("Exported %1").arg(QString::fromStdString(ExtractFileName(path))));
}

void PictureDocument::CheckSkinPictureSource() const {
    if (state_.CurrentFile.empty()) {
        throw Error("There is no picture to save", "");
    }
    const PictureKind kind = ReadPictureKind(state_.CurrentFile);
    if (kind != PictureKind::kBmp && kind != PictureKind::kPng) {
        throw FormatError("only a BMP or a PNG picture can be saved as a skin picture",
                          state_.CurrentFile);
    }
}

void PictureDocument::SaveAsSkinPicture(const std::string& path) {
    CheckSkinPictureSource();
    ConvertPictureTo(state_.CurrentFile, path, TargetFormat::kK,
                     state_.transparency.AsConversionOptions());
    SetMessage(QStringLiteral("Saved %1").arg(QString::fromStdString(ExtractFileName(path))));
}

}  // namespace lumigram
