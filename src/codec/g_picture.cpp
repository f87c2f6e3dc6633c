#include "codec/g_picture.h"

#include <array>
#include <cstdint>

#include "platform/byte_file.h"
#include "platform/scratch.h"

namespace lumigram {

GSignature ReadGSignature(const std::string& path) {
    std::array<std::uint8_t, 4> head{};
    ByteFile file = ByteFile::OpenRead(path);
    const std::size_t got = file.Read(head);
    file.Close();
    if (got >= 3 && head[0] == 'G' && head[1] == 'I' && head[2] == 'F') {
        return GSignature::kGif;
    }
    if (got >= 4 && head[1] == 'P' && head[2] == 'N' && head[3] == 'G') {
        return GSignature::kPng;
    }
    return GSignature::kNone;
}

std::string_view ScratchNameFor(GSignature signature) {
    switch (signature) {
        case GSignature::kGif:
            return kScratchGif;
        case GSignature::kPng:
            return kScratchPng;
        case GSignature::kNone:
            break;
    }
    return {};
}

}  // namespace lumigram
