#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace lumigram {

// SHA-256 (FIPS 180-4), fed in pieces.
class Sha256 {
  public:
    Sha256();
    void Update(std::span<const std::uint8_t> data);
    std::array<std::uint8_t, 32> Finish();

  private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest of data as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::span<const std::uint8_t> data);

}  // namespace lumigram
