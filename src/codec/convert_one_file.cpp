#include "codec/convert_one_file.h"

#include <array>
#include <cstdint>

#include "codec/g_picture.h"
#include "codec/scratch_conversion.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "platform/byte_file.h"
#include "platform/file_ops.h"
#include "platform/path.h"
#include "platform/scratch.h"

namespace lumigram {

std::string OutputPathFor(const std::string& source, const std::string& outputFolder,
                          const std::string& newExtension) {
    return JoinPath(outputFolder, ChangeFileExt(ExtractFileName(source), newExtension));
}

ConversionOutcome ConvertOneFile(const std::string& source, const std::string& outputFolder,
                                 const std::string& scratchDir, TransparencyColour colour,
                                 bool transparencyEnabled) {
    const std::string result = PrepareScratchFile(source, scratchDir, colour, transparencyEnabled);
    ConversionOutcome outcome;
    if (!result.empty()) {
        outcome.destination = OutputPathFor(source, outputFolder, ExtractFileExt(result));
        outcome.written = CopyFileQuietly(result, outcome.destination);
        if (!outcome.written) {
            // A copy cut short (a full disk) would leave a torso under the
            // output's name; better no file than a damaged one.
            DeleteFileQuietly(outcome.destination);
        }
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
            return got == 2 && head[0] == 'B' && head[1] == 'M' ? ".k" : ".g";
        }
    }
}

}  // namespace lumigram
