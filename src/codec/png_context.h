#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

struct spng_ctx;

namespace lumigram {

class ByteSource;

struct SpngContextDeleter {
    void operator()(spng_ctx* context) const noexcept;
};

// A libspng decoder over one byte source, reading it from its start.
// It refuses a picture larger than a ".k" header can describe (the reader then
// applies the tighter BMP widths with a message of its own) and has the chunk
// limits of input_limits.h. An error of the file itself is kept while
// libspng unwinds its C frames and raised again by Check.
class PngContext {
  public:
    static std::unique_ptr<PngContext> Decoder(ByteSource& source);

    spng_ctx* get() const noexcept { return context_.get(); }

    // Raises the kept file error, or FormatError naming the file ("what: libspng's
    // text") for a libspng error code other than 0.
    void Check(int code, const std::string& what);

  private:
    explicit PngContext(ByteSource& source);
    static int Read(spng_ctx*, void* user, void* dest, std::size_t length);

    ByteSource& source_;
    std::uint64_t position_ = 0;
    std::unique_ptr<spng_ctx, SpngContextDeleter> context_;
    std::exception_ptr fileError_;
};

// The keyword and text of the tEXt chunk that marks a PNG written from a 32-bit
// ".k" picture, so that it goes back to 32 bits.
inline constexpr const char* kSkinBitsKeyword = "Lumigram skin bits";
inline constexpr const char* kSkinBits32 = "32";

}  // namespace lumigram
