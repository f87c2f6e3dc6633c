#include "codec/skin_encoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "codec/bmp_header.h"
#include "codec/row_kernels.h"
#include "codec/row_reader.h"
#include "codec/work_buffers.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/copy_by_blocks.h"
#include "platform/file_ops.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/scratch.h"

namespace lumigram {
namespace {

// What an input is, told by its first bytes: the BMP checked for packing, or
// nothing for an input that is copied unchanged.
std::optional<BmpLayout> BmpToPack(ByteSource& input) {
    std::array<std::uint8_t, kBmpProbeSize> head{};
    const std::size_t got = input.ReadAt(0, head);
    if (!HasBmpSignature(std::span(head.data(), got))) {
        return std::nullopt;
    }
    return CheckBmpForEncoding(std::span(head.data(), got), input.Size(), input.name());
}

void Encode(ByteSource& input, const std::optional<BmpLayout>& bmp, ByteSink& output,
            TransparencyColour colour, bool transparencyEnabled) {
    if (bmp) {
        EncodeCheckedBmp(input, *bmp, output, colour, transparencyEnabled);
    } else {
        CopyWhole(input, output, std::span(CodecRowBuffers().row.data(), kCopyBlockSize));
    }
}

}  // namespace

EncodeOutcome EncodeToSkin(ByteSource& input, ByteSink& output, TransparencyColour colour,
                           bool transparencyEnabled) {
    const std::optional<BmpLayout> bmp = BmpToPack(input);
    Encode(input, bmp, output, colour, transparencyEnabled);
    return bmp ? EncodeOutcome::kPacked : EncodeOutcome::kCopied;
}

EncodeOutcome EncodeSkinPictureTo(const std::string& inputPath, const std::string& outputPath,
                                  TransparencyColour colour, bool transparencyEnabled) {
    ByteFile input = ByteFile::OpenRead(inputPath);
    const std::optional<BmpLayout> bmp = BmpToPack(input);
    const std::unique_ptr<OutputFile> output =
        OutputFile::ForPath(outputPath, true, OutputRules{{IdentityOf(input)}, false});
    Encode(input, bmp, output->file(), colour, transparencyEnabled);
    input.Close();
    output->Commit();
    return bmp ? EncodeOutcome::kPacked : EncodeOutcome::kCopied;
}

void EncodeCheckedBmp(ByteSource& input, const BmpLayout& bmp, ByteSink& output,
                      TransparencyColour colour, bool transparencyEnabled) {
    RowBuffers& buffers = CodecRowBuffers();
    const bool pack = bmp.bitCount == 24;
    SkinHeader header;
    header.width = static_cast<std::uint16_t>(bmp.width);
    header.height = static_cast<std::uint16_t>(bmp.height);
    header.bitsPerPixel = pack ? 18 : 32;
    header.rowStride = static_cast<std::uint16_t>(bmp.rowStride);
    output.Write(MakeSkinHeader(header));

    const std::uint32_t height = bmp.height;
    const std::uint32_t rowStride = bmp.rowStride;
    const std::uint32_t maskStride = MaskStrideFor(bmp.width);
    const std::uint64_t maskPlane = kSkinHeaderSize + std::uint64_t{height} * rowStride;
    const std::span<std::uint8_t> row(buffers.row.data(), rowStride);
    const std::span<std::uint8_t> mask(buffers.mask.data(), maskStride);
    // A seekable output takes pixel rows and mask rows side by side in one pass;
    // a stream takes every pixel row first and the mask plane in a second pass
    // over the input, so that it is written strictly in order.
    const bool masksBesideRows = !output.IsStream();
    const bool withMask = pack && transparencyEnabled;
    const NarrowRowFn narrow = ActiveRowKernels().narrow24;

    BlockWriter rows(output, kSkinHeaderSize, buffers.pixelBlock);
    BlockWriter masks(output, maskPlane, buffers.maskBlock);
    // Rows of no bytes (a picture 0 pixels wide) leave nothing to read or write.
    const std::uint32_t rowsToCopy = rowStride == 0 ? 0 : height;
    RowReader bmpRows(input, bmp.pixelOffset, rowStride, height, buffers.rowChunk);
    const auto readRow = [&](std::uint32_t y, std::span<std::uint8_t> into) {
        // Skin rows go top-down; a BMP stores its bottom row first unless its
        // height was negative. Complete: the check saw all pixel data in the file.
        const std::uint32_t source = bmp.topDown ? y : height - 1 - y;
        bmpRows.Read(source, into, !bmp.topDown);
    };
    for (std::uint32_t y = 0; y < rowsToCopy; ++y) {
        // Read and packed where it is written from: no copy of the row.
        const std::span<std::uint8_t> target = rows.Reserve(rowStride);
        readRow(y, target);
        if (pack) {
            narrow(target, bmp.width, buffers.mask, maskStride, colour);
            if (withMask && masksBesideRows) {
                masks.Append(mask);
            }
        }
        // 32-bit rows pass unchanged, fourth byte included, with no mask plane.
        rows.Commit(rowStride);
    }
    rows.Flush();
    if (withMask && !masksBesideRows) {
        for (std::uint32_t y = 0; y < rowsToCopy; ++y) {
            readRow(y, row);
            narrow(row, bmp.width, buffers.mask, maskStride, colour);
            masks.Append(mask);
        }
    }
    masks.Flush();
}

EncodeOutcome EncodeSkinPictureInto(const std::string& scratchDir, const std::string& fileName,
                                    TransparencyColour colour, bool transparencyEnabled) {
    const std::string skinPath = JoinPath(scratchDir, kScratchK);
    const EncodeOutcome outcome =
        EncodeSkinPictureTo(fileName, skinPath, colour, transparencyEnabled);
    if (outcome == EncodeOutcome::kCopied) {
        CopyFileQuietly(skinPath, JoinPath(scratchDir, kScratchG));
    }
    return outcome;
}

void EncodeSkinPicture(const std::string& fileName, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red, bool transparencyEnabled) {
    EncodeSkinPictureInto(ScratchDir(), fileName, TransparencyColour{blue, green, red},
                          transparencyEnabled);
}

}  // namespace lumigram
