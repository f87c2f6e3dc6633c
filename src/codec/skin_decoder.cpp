#include "codec/skin_decoder.h"

#include <algorithm>
#include <array>
#include <span>

#include "codec/bmp_header.h"
#include "codec/row_kernels.h"
#include "codec/row_reader.h"
#include "codec/work_buffers.h"
#include "platform/block_writer.h"
#include "platform/byte_file.h"
#include "platform/input_limits.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/scratch.h"

namespace lumigram {

SkinHeader ReadCheckedSkinHeader(ByteSource& input) {
    const std::uint64_t size = input.Size();
    std::array<std::uint8_t, kSkinHeaderSize> bytes{};
    const std::size_t got = size < kSkinHeaderSize ? 0 : input.ReadAt(0, bytes);
    if (got < kSkinHeaderSize) {
        throw FormatError("not a skin picture: the file is " + std::to_string(size) +
                              " bytes, shorter than the 16-byte header",
                          input.name());
    }
    const SkinHeader header = ParseSkinHeader(bytes);
    const std::uint64_t pixelEnd =
        kSkinHeaderSize + std::uint64_t{header.height} * header.rowStride;
    if (pixelEnd > size) {
        throw FormatError("pixel rows run past the end of the file: " + std::to_string(pixelEnd) +
                              " bytes needed, the file has " + std::to_string(size),
                          input.name());
    }
    if (header.bitsPerPixel == 18 && header.width > kMaxSkinWidth18) {
        throw FormatError("picture too wide: " + std::to_string(header.width) +
                              " pixels at 18 bits per pixel, at most " +
                              std::to_string(kMaxSkinWidth18),
                          input.name());
    }
    const std::uint64_t pixelBytes = RowPixelBytes(header);
    if (header.rowStride < pixelBytes) {
        throw FormatError("RowStride " + std::to_string(header.rowStride) +
                              " is shorter than the " + std::to_string(pixelBytes) +
                              " bytes of one row's pixels (" + std::to_string(header.width) +
                              " pixels at " + std::to_string(header.bitsPerPixel) +
                              " bits per pixel)",
                          input.name());
    }
    return header;
}

void DecodeCheckedSkinPicture(ByteSource& input, const SkinHeader& header, ByteSink& output,
                              TransparencyColour colour, bool transparencyEnabled) {
    // Every header field is known from the skin header, so the BMP header is
    // written right the first time: the output may be a pipe that cannot seek.
    const std::uint32_t height = header.height;
    const std::uint32_t rowStride = header.rowStride;
    const std::uint32_t bmpRow = BmpRowBytesFor(header);
    const std::uint64_t fileSize = kBmpHeaderSize + std::uint64_t{height} * bmpRow;
    BmpHeader bmp;
    bmp.fileSize = static_cast<std::uint32_t>(fileSize);
    bmp.pixelOffset = kBmpHeaderSize;
    bmp.infoSize = kBmpInfoHeaderSize;
    bmp.width = header.width;
    bmp.height = header.height;
    bmp.planes = 1;
    bmp.bitCount = header.bitsPerPixel == 32 ? 32 : 24;
    bmp.imageSize = static_cast<std::uint32_t>(fileSize - kBmpHeaderSize);
    output.Write(MakeBmpHeader(bmp));

    RowBuffers& buffers = CodecRowBuffers();
    const std::uint32_t maskStride = MaskStrideFor(header.width);
    const std::uint64_t maskPlane = kSkinHeaderSize + std::uint64_t{height} * rowStride;
    BlockWriter rows(output, kBmpHeaderSize, buffers.pixelBlock);
    const WidenRowFn widen = ActiveRowKernels().widen18;
    RowReader storedRows(input, kSkinHeaderSize, rowStride, height, buffers.rowChunk);
    RowReader maskRows(input, maskPlane, maskStride, height, buffers.maskChunk);
    // A stored row of the standard length goes out with its own padding bytes;
    // any other has its pixels followed by zeros up to the BMP row's length.
    const bool ownPadding = rowStride == bmpRow;
    const std::size_t pixelBytes = static_cast<std::size_t>(RowPixelBytes(header));

    // BMP rows go bottom-up: BMP row y is stored row height - 1 - y.
    // Rows of no bytes leave nothing to read or write, however many there are.
    const std::uint32_t rowsToCopy = bmpRow == 0 ? 0 : height;
    for (std::uint32_t y = 0; y < rowsToCopy; ++y) {
        const std::uint32_t s = height - 1 - y;
        // Read and widened where it is written from: no copy of the row.
        // Complete: the header check saw every row in the source.
        const std::span<std::uint8_t> row = rows.Reserve(std::max(rowStride, bmpRow));
        storedRows.Read(s, row, true);
        if (header.bitsPerPixel == 18) {
            std::size_t maskBytes = 0;
            if (transparencyEnabled && maskStride > 0) {
                maskBytes = maskRows.Read(s, buffers.mask, true);
            }
            widen(row, header.width, buffers.mask, maskBytes, colour);
        }
        if (!ownPadding) {
            std::fill(row.begin() + static_cast<std::ptrdiff_t>(pixelBytes), row.begin() + bmpRow,
                      std::uint8_t{0});
        }
        rows.Commit(bmpRow);
    }
    rows.Flush();
}

void DecodeSkinToBmp(ByteSource& input, ByteSink& output, TransparencyColour colour,
                     bool transparencyEnabled) {
    const SkinHeader header = ReadCheckedSkinHeader(input);
    DecodeCheckedSkinPicture(input, header, output, colour, transparencyEnabled);
}

void DecodeSkinPictureTo(const std::string& inputPath, const std::string& outputPath,
                         TransparencyColour colour, bool transparencyEnabled) {
    ByteFile input = ByteFile::OpenRead(inputPath);
    const SkinHeader header = ReadCheckedSkinHeader(input);
    // The picture being read is never the one replaced ("decode p.k p.k").
    const std::unique_ptr<OutputFile> output =
        OutputFile::ForPath(outputPath, true, OutputRules{{IdentityOf(input)}, false});
    DecodeCheckedSkinPicture(input, header, output->file(), colour, transparencyEnabled);
    input.Close();
    output->Commit();
}

void DecodeSkinPictureInto(const std::string& scratchDir, const std::string& fileName,
                           TransparencyColour colour, bool transparencyEnabled) {
    DecodeSkinPictureTo(fileName, JoinPath(scratchDir, kScratchBmp), colour, transparencyEnabled);
}

void DecodeSkinPicture(const std::string& fileName, std::uint8_t blue, std::uint8_t green,
                       std::uint8_t red, bool transparencyEnabled) {
    DecodeSkinPictureInto(ScratchDir(), fileName, TransparencyColour{blue, green, red},
                          transparencyEnabled);
}

}  // namespace lumigram
