#include "codec/picture_conversion.h"

#include <array>
#include <cctype>
#include <memory>

#include "codec/bmp_header.h"
#include "codec/bmp_rows.h"
#include "codec/picture_direction.h"
#include "codec/png_reader.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "codec/skin_from_rgba.h"
#include "codec/skin_to_png.h"
#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"

namespace lumigram {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

void CopyUnchanged(ByteSource& input, ByteSink& output) {
    CopyBlock block{};
    CopyWhole(input, output, block);
}

}  // namespace

std::optional<TargetFormat> TargetFromName(std::string_view name) {
    const std::string lower = Lower(name);
    if (lower == "k") {
        return TargetFormat::kK;
    }
    if (lower == "g") {
        return TargetFormat::kG;
    }
    if (lower == "bmp") {
        return TargetFormat::kBmp;
    }
    if (lower == "png") {
        return TargetFormat::kPng;
    }
    return std::nullopt;
}

std::optional<TargetFormat> TargetFromExtension(std::string_view path) {
    const std::string ext = ExtractFileExt(path);
    if (ext.size() < 2) {
        return std::nullopt;
    }
    return TargetFromName(std::string_view(ext).substr(1));
}

const char* TargetExtension(TargetFormat target) {
    switch (target) {
        case TargetFormat::kK:
            return ".k";
        case TargetFormat::kG:
            return ".g";
        case TargetFormat::kBmp:
            return ".bmp";
        case TargetFormat::kPng:
            return ".png";
    }
    return "";
}

PictureKind ReadPictureKind(const std::string& path) {
    ByteFile file = ByteFile::OpenRead(path);
    const PictureKind kind = PictureKindOf(file);
    file.Close();
    return kind;
}

PictureKind PictureKindOf(ByteSource& file) {
    std::array<std::uint8_t, kSkinHeaderSize + 2> head{};
    const std::size_t got = file.ReadAt(0, head);
    switch (SniffPictureFormat(std::span(head.data(), got))) {
        case PictureFormat::kBmp:
            return PictureKind::kBmp;
        case PictureFormat::kPng:
            return PictureKind::kPng;
        case PictureFormat::kGif:
            return PictureKind::kGif;
        case PictureFormat::kUnknown:
            break;
    }
    if (got < kSkinHeaderSize) {
        return PictureKind::kUnknown;
    }
    const SkinHeader header = ParseSkinHeader(
        std::span<const std::uint8_t, kSkinHeaderSize>(head.data(), kSkinHeaderSize));
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    const bool plausible = (header.bitsPerPixel == 18 || header.bitsPerPixel == 32) &&
                           header.rowStride >= RowPixelBytes(header) && pixelEnd <= file.Size();
    return plausible ? PictureKind::kSkin : PictureKind::kUnknown;
}

std::optional<TargetFormat> DefaultTarget(PictureKind kind) {
    switch (kind) {
        case PictureKind::kSkin:
            return TargetFormat::kPng;
        case PictureKind::kBmp:
        case PictureKind::kPng:
            return TargetFormat::kK;
        case PictureKind::kGif:
            return TargetFormat::kG;
        case PictureKind::kUnknown:
            break;
    }
    return std::nullopt;
}

std::string ConversionRefusal(PictureKind kind, TargetFormat target) {
    switch (kind) {
        case PictureKind::kSkin:
            if (target == TargetFormat::kK) {
                return "is already a .k skin picture; convert turns it into a .png or a .bmp";
            }
            if (target == TargetFormat::kG) {
                return "is a .k skin picture, and a .g holds a GIF or PNG picture; convert it "
                       "to .png or .bmp instead";
            }
            return "";
        case PictureKind::kBmp:
            if (target == TargetFormat::kK) {
                return "";
            }
            return target == TargetFormat::kG
                       ? "is a BMP picture, and a .g holds a GIF or PNG picture; convert it to "
                         ".k instead"
                       : "is a BMP picture; convert turns it into a .k skin picture (--to k)";
        case PictureKind::kPng:
            if (target == TargetFormat::kK || target == TargetFormat::kG) {
                return "";
            }
            return "is a PNG picture; convert turns it into a .k skin picture (--to k) or "
                   "keeps it unchanged as a .g (--to g)";
        case PictureKind::kGif:
            if (target == TargetFormat::kG) {
                return "";
            }
            return target == TargetFormat::kK
                       ? "is a GIF picture, which a .k skin picture cannot hold; a skin keeps "
                         "it unchanged as a .g file (--to g)"
                       : "is a GIF picture; convert only keeps it unchanged as a .g file "
                         "(--to g)";
        case PictureKind::kUnknown:
            break;
    }
    return "is neither a .k skin picture nor a BMP, PNG or GIF picture";
}

void ConvertPicture(ByteSource& input, PictureKind kind, TargetFormat target, ByteSink& output,
                    const ConversionOptions& options) {
    if (const std::string refusal = ConversionRefusal(kind, target); !refusal.empty()) {
        throw FormatError(refusal, input.name());
    }
    if (target == TargetFormat::kG) {
        CopyUnchanged(input, output);
    } else if (kind == PictureKind::kSkin) {
        const SkinHeader header = ReadCheckedSkinHeader(input);
        if (target == TargetFormat::kPng) {
            EncodeSkinAsPng(input, header, output, options.transparencyEnabled);
        } else {
            DecodeCheckedSkinPicture(input, header, output, options.colour,
                                     options.transparencyEnabled);
        }
    } else if (kind == PictureKind::kPng) {
        PngRowSource source(input);
        EncodeRowsToSkin(source, output, options.colour, options.transparencyEnabled);
    } else {
        std::array<std::uint8_t, kBmpProbeSize> head{};
        const std::size_t got = input.ReadAt(0, head);
        if (IsPaletteOr16BitBmp(std::span(head.data(), got))) {
            BmpRowSource source(input, options.colour);
            EncodeRowsToSkin(source, output, options.colour, options.transparencyEnabled);
        } else {
            const BmpLayout bmp =
                CheckBmpForEncoding(std::span(head.data(), got), input.Size(), input.name());
            EncodeCheckedBmp(input, bmp, output, options.colour, options.transparencyEnabled);
        }
    }
}

void ConvertPicture(const std::string& inputPath, PictureKind kind, TargetFormat target,
                    ByteSink& output, const ConversionOptions& options) {
    if (const std::string refusal = ConversionRefusal(kind, target); !refusal.empty()) {
        throw FormatError(refusal, inputPath);
    }
    ByteFile input = ByteFile::OpenRead(inputPath);
    ConvertPicture(input, kind, target, output, options);
    input.Close();
}

void ExportPictureAsPng(ByteSource& input, ByteSink& output, const ConversionOptions& options) {
    const PictureKind kind = PictureKindOf(input);
    if (kind == PictureKind::kSkin) {
        ConvertPicture(input, kind, TargetFormat::kPng, output, options);
    } else if (kind == PictureKind::kBmp) {
        BmpRowSource rows(input, options.colour, options.transparencyEnabled);
        WriteRowsAsPng(rows, output);
    } else if (kind == PictureKind::kPng) {
        CopyUnchanged(input, output);
    } else {
        throw FormatError("only a .k skin picture, a BMP or a PNG can be exported as PNG",
                          input.name());
    }
}

void ExportPictureAsPng(const std::string& inputPath, const std::string& outputPath,
                        const ConversionOptions& options) {
    const PictureKind kind = ReadPictureKind(inputPath);
    if (kind == PictureKind::kSkin) {
        ConvertPictureTo(inputPath, outputPath, TargetFormat::kPng, options);
        return;
    }
    if (kind != PictureKind::kBmp && kind != PictureKind::kPng) {
        throw FormatError("only a .k skin picture, a BMP or a PNG can be exported as PNG",
                          inputPath);
    }
    ByteFile input = ByteFile::OpenRead(inputPath);
    std::unique_ptr<BmpRowSource> rows;
    if (kind == PictureKind::kBmp) {
        // Checked before the output is made: a refused BMP leaves it untouched.
        rows = std::make_unique<BmpRowSource>(input, options.colour, options.transparencyEnabled);
    }
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(outputPath, false);
    if (rows) {
        WriteRowsAsPng(*rows, output->file());
    } else {
        CopyUnchanged(input, output->file());
    }
    input.Close();
    output->Commit();
}

void ConvertPictureTo(const std::string& inputPath, const std::string& outputPath,
                      TargetFormat target, const ConversionOptions& options) {
    const PictureKind kind = ReadPictureKind(inputPath);
    if (const std::string refusal = ConversionRefusal(kind, target); !refusal.empty()) {
        throw FormatError(refusal, inputPath);
    }
    const std::unique_ptr<OutputFile> output = OutputFile::ForPath(outputPath, true);
    ConvertPicture(inputPath, kind, target, output->file(), options);
    output->Commit();
}

}  // namespace lumigram
