// Every vector form of the row kernels against the plain loop, on random rows
// of every width from 1 to 70 and around the 16- and 32-pixel blocks, with
// whole buffers compared so that padding and unused mask bytes count too.
#include "codec/row_kernels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace lumigram::test {
namespace {

std::vector<std::uint32_t> Widths() {
    std::vector<std::uint32_t> widths;
    for (std::uint32_t w = 1; w <= 70; ++w) {
        widths.push_back(w);
    }
    for (std::uint32_t w : {95u, 96u, 97u, 127u, 128u, 129u, 255u, 256u, 257u, 4099u}) {
        widths.push_back(w);
    }
    return widths;
}

struct RowCase {
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> mask;
};

// Random bytes with about a third of the pixels exactly the colour, and some
// that differ from it in a single byte.
RowCase RandomCase(std::mt19937& random, std::uint32_t width, TransparencyColour colour) {
    RowCase c{std::vector<std::uint8_t>(3 * width + 7), std::vector<std::uint8_t>(width / 8 + 9)};
    for (auto& b : c.row) {
        b = static_cast<std::uint8_t>(random());
    }
    for (auto& b : c.mask) {
        b = static_cast<std::uint8_t>(random());
    }
    for (std::uint32_t i = 0; i < width; ++i) {
        const auto pick = static_cast<unsigned>(random() % 6);
        if (pick < 3) {
            std::uint8_t* p = c.row.data() + 3 * i;
            p[0] = colour.blue;
            p[1] = colour.green;
            p[2] = colour.red;
            if (pick == 2) {
                p[random() % 3] ^= static_cast<std::uint8_t>(1u << (random() % 8));
            }
        }
    }
    return c;
}

TEST(RowKernelsTest, EveryFormGivesThePlainLoopsBytes) {
    const auto kernels = RunnableRowKernels();
    ASSERT_EQ(kernels.front(), &ScalarRowKernels());
    std::mt19937 random(15);
    for (const RowKernels* kernel : kernels) {
        for (const std::uint32_t width : Widths()) {
            for (int trial = 0; trial < 6; ++trial) {
                SCOPED_TRACE(::testing::Message()
                             << kernel->name << " width " << width << " trial " << trial);
                const TransparencyColour colour{static_cast<std::uint8_t>(random()),
                                                static_cast<std::uint8_t>(random()),
                                                static_cast<std::uint8_t>(random())};
                const std::uint32_t maskStride = MaskStrideFor(width);
                const RowCase start = RandomCase(random, width, colour);

                RowCase expected = start;
                RowCase actual = start;
                ScalarRowKernels().narrow24(expected.row, width, expected.mask, maskStride, colour);
                kernel->narrow24(actual.row, width, actual.mask, maskStride, colour);
                EXPECT_EQ(actual.row, expected.row);
                EXPECT_EQ(actual.mask, expected.mask);

                // Widening: every count of mask bytes that may have arrived,
                // from none to all, and random stored bits 18-23.
                const std::size_t maskBytes = trial == 0 ? 0 : random() % (maskStride + 1);
                expected = start;
                actual = start;
                ScalarRowKernels().widen18(expected.row, width, expected.mask, maskBytes, colour);
                kernel->widen18(actual.row, width, actual.mask, maskBytes, colour);
                EXPECT_EQ(actual.row, expected.row);
            }
        }
    }
}

TEST(RowKernelsTest, TheWidestFormRunsUnlessThePlainLoopIsForced) {
    const char* forced = std::getenv("LUMIGRAM_FORCE_SCALAR");
    const bool scalar = forced != nullptr && std::string(forced) == "1";
    EXPECT_EQ(&ActiveRowKernels(), scalar ? &ScalarRowKernels() : RunnableRowKernels().back());
}

}  // namespace
}  // namespace lumigram::test
