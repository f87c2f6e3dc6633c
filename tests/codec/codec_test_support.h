#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "codec/skin_decoder.h"
#include "codec/skin_encoder.h"
#include "platform/io_error.h"
#include "support/pictures.h"
#include "support/test_files.h"

namespace lumigram::test {

inline constexpr TransparencyColour kMagenta{255, 0, 255};

// Runs the codec on bytes in a private folder and hands back what it wrote.
class CodecTest : public ::testing::Test {
  protected:
    Bytes Decode(const Bytes& skin, TransparencyColour colour = kMagenta, bool enabled = true) {
        WriteAll(dir_.File("in.k"), skin);
        DecodeSkinPictureTo(dir_.File("in.k"), dir_.File("out.bmp"), colour, enabled);
        return ReadAll(dir_.File("out.bmp"));
    }

    Bytes Encode(const Bytes& picture, TransparencyColour colour = kMagenta, bool enabled = true,
                 EncodeOutcome expected = EncodeOutcome::kPacked) {
        WriteAll(dir_.File("in.pic"), picture);
        EXPECT_EQ(EncodeSkinPictureTo(dir_.File("in.pic"), dir_.File("out.k"), colour, enabled),
                  expected);
        return ReadAll(dir_.File("out.k"));
    }

    // The message of the FormatError that encoding (or decoding) picture raises;
    // checks that the error names the input and that no output was created.
    std::string EncodeRefusal(const Bytes& picture) {
        return Refusal(picture, [this] {
            EncodeSkinPictureTo(dir_.File("in.pic"), dir_.File("out.k"), kMagenta, true);
        });
    }
    std::string DecodeRefusal(const Bytes& picture) {
        return Refusal(picture, [this] {
            DecodeSkinPictureTo(dir_.File("in.pic"), dir_.File("out.k"), kMagenta, true);
        });
    }

    TempDir dir_;

  private:
    template <typename F>
    std::string Refusal(const Bytes& picture, F&& run) {
        WriteAll(dir_.File("in.pic"), picture);
        std::remove(dir_.File("out.k").c_str());
        try {
            run();
        } catch (const FormatError& error) {
            EXPECT_EQ(error.path(), dir_.File("in.pic"));
            EXPECT_FALSE(Exists(dir_.File("out.k"))) << "output written for a refused input";
            return error.what();
        }
        ADD_FAILURE() << "input was not refused";
        return {};
    }
};

}  // namespace lumigram::test
