// For builds without libspng (none is packaged for the Windows cross-compiler,
// and the WebAssembly build, whose page has the browser's own PNG codec, has
// none either): every way into or out of PNG says so, and everything else works
// as usual.
#include <string>

#include "codec/png_context.h"
#include "codec/png_reader.h"
#include "codec/row_prefetch.h"
#include "codec/skin_to_png.h"
#include "platform/byte_sink.h"
#include "platform/byte_source.h"
#include "platform/io_error.h"

namespace lumigram {

// These builds leave out the real image-data reader (it needs zlib); the row
// source's pointer to one, never set here, only needs a type it can destroy.
class PngImageData {};

namespace {

[[noreturn]] void NoPng(const std::string& path) {
    throw FormatError("PNG pictures are not supported by this build of Lumigram", path);
}

}  // namespace

void SpngContextDeleter::operator()(spng_ctx*) const noexcept {}

std::unique_ptr<PngContext> PngContext::Decoder(ByteSource& source) {
    NoPng(source.name());
}

void PngContext::Check(int, const std::string&) {
    NoPng(source_.name());
}

PngRowSource::PngRowSource(ByteSource& input) : input_(input) {
    NoPng(input.name());
}

PngRowSource::~PngRowSource() = default;

void PngRowSource::NextRow(std::span<std::uint8_t>) {
    NoPng(input_.name());
}

void PngRowSource::Rewind() {
    NoPng(input_.name());
}

void EncodeSkinAsPng(ByteSource& input, const SkinHeader&, ByteSink&, bool) {
    NoPng(input.name());
}

void SkinToPng(ByteSource& input, ByteSink&, bool) {
    NoPng(input.name());
}

void WriteRowsAsPng(RgbaRowSource&, ByteSink& output) {
    NoPng(output.name());
}

void DecodeSkinPictureToPng(const std::string& inputPath, const std::string&, bool) {
    NoPng(inputPath);
}

}  // namespace lumigram
