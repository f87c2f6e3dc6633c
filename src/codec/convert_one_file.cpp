#include "codec/convert_one_file.h"

#include <array>
#include <cstdint>

#include "codec/bmp_header.h"
#include "codec/conversion_run.h"
#include "codec/g_picture.h"
#include "codec/scratch_conversion.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "package/member_intake.h"
#include "platform/byte_file.h"
#include "platform/copy_range.h"
#include "platform/file_ops.h"
#include "platform/io_error.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/scratch.h"

namespace lumigram {

std::string OutputPathFor(const std::string& source, const std::string& outputFolder,
                          const std::string& newExtension) {
    // The new extension follows the case of the source's ("ICON.K" -> "ICON.BMP"),
    // as for a file taken into a package.
    return JoinPath(outputFolder, NameWithExtension(source, newExtension));
}

namespace {

// Copies the scratch result into the output folder through the output layer;
// returns why it could not, or an empty string.
std::string CopyOut(const std::string& result, const OutputFolder& folder, const std::string& name,
                    const OutputRules& rules) {
    try {
        ByteFile in = ByteFile::OpenRead(result);
        OutputFile out(folder, name, rules);
        CopyBlock block{};
        CopyToEnd(in, out.file(), block);
        out.Commit();
        return {};
    } catch (const Error& error) {
        return error.what();
    }
}

}  // namespace

ConversionOutcome ConvertOneFile(const std::string& source, const std::string& outputFolder,
                                 const std::string& scratchDir, TransparencyColour colour,
                                 bool transparencyEnabled) {
    return ConvertOneFile(source, OutputFolder::Open(outputFolder), scratchDir, colour,
                          transparencyEnabled);
}

ConversionOutcome ConvertOneFile(const std::string& source, const OutputFolder& outputFolder,
                                 const std::string& scratchDir, TransparencyColour colour,
                                 bool transparencyEnabled, const OutputRules& rules) {
    const std::string result = PrepareScratchFile(source, scratchDir, colour, transparencyEnabled);
    ConversionOutcome outcome;
    if (!result.empty()) {
        const std::string name = NameWithExtension(source, ExtractFileExt(result));
        outcome.destination = outputFolder.PathOf(name);
        // Written whole and renamed into place: a copy cut short (a full disk)
        // leaves no torso, and an earlier file of the name stays as it was.
        outcome.problem = CopyOut(result, outputFolder, name, rules);
        outcome.written = outcome.problem.empty();
    }
    DeleteScratchFiles(scratchDir);
    return outcome;
}

std::string PlannedOutputExtension(const std::string& source) {
    switch (FileKindOf(source)) {
        case FileKind::kSkin:
            return ".bmp";
        case FileKind::kGPicture:
            return ExtractFileExt(ScratchNameFor(ReadGSignature(source)));
        default: {
            std::array<std::uint8_t, 2> head{};
            ByteFile file = ByteFile::OpenRead(source);
            const std::size_t got = file.Read(head);
            file.Close();
            return HasBmpSignature(std::span(head.data(), got)) ? ".k" : ".g";
        }
    }
}

}  // namespace lumigram
