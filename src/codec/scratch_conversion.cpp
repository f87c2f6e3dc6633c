#include "codec/scratch_conversion.h"

#include "codec/g_picture.h"
#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "platform/copy_by_blocks.h"
#include "platform/path.h"
#include "platform/scratch.h"

namespace lumigram {

std::string PrepareScratchFile(const std::string& source, const std::string& scratchDir,
                               TransparencyColour colour, bool transparencyEnabled) {
    switch (FileKindOf(source)) {
        case FileKind::kSkin:
            DecodeSkinPictureInto(scratchDir, source, colour, transparencyEnabled);
            return JoinPath(scratchDir, kScratchBmp);
        case FileKind::kGPicture: {
            const std::string_view name = ScratchNameFor(ReadGSignature(source));
            if (name.empty()) {
                return {};
            }
            std::string result = JoinPath(scratchDir, name);
            CopyFileByBlocks(source, result);
            return result;
        }
        default: {
            const EncodeOutcome outcome =
                EncodeSkinPictureInto(scratchDir, source, colour, transparencyEnabled);
            return JoinPath(scratchDir, outcome == EncodeOutcome::kPacked ? kScratchK : kScratchG);
        }
    }
}

}  // namespace lumigram
