// PNG's compression in the WebAssembly build, where zlib is not built (Debian's
// emscripten would fetch its port from the network): pako 2.1.0, a port of
// zlib to JavaScript pinned in src/web/package-lock.json and carried inside
// lumigram.js as lumigramPako, inflates and deflates synchronously; the
// checksums are plain loops. Inflating hands pako the input a kilobyte at a
// time, so no more than about a megabyte of output is ever waiting, whatever
// the data claims.
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <vector>

#include "codec/png_zlib.h"

// clang-format off
EM_JS(int, lumigram_inflate_open, (int windowBits), {
    if (!Module.lumigramInflaters) {
        Module.lumigramInflaters = new Map();
        Module.lumigramNextId = 1;
    }
    const inflater = new lumigramPako.Inflate({raw: true, windowBits: windowBits, chunkSize: 65536});
    const state = {inflater: inflater, chunks: []};
    inflater.onData = (chunk) => state.chunks.push(chunk.slice());
    const id = Module.lumigramNextId++;
    Module.lumigramInflaters.set(id, state);
    return id;
});

// Inflates size bytes at input; returns the bytes that came out (waiting to be
// taken), or -1 when the data does not inflate.
EM_JS(int, lumigram_inflate_push, (int id, const std::uint8_t* input, int size), {
    const state = Module.lumigramInflaters.get(id);
    const inflater = state.inflater;
    inflater.push(HEAPU8.slice(input, input + size), false);
    if (inflater.err) {
        return -1;
    }
    // pako keeps a part-filled output buffer to itself until it is full:
    // take what it holds (its window is its own, so the buffer can start over).
    const s = inflater.strm;
    if (!inflater.ended && s.next_out > 0) {
        state.chunks.push(s.output.slice(0, s.next_out));
        s.next_out = 0;
        s.avail_out = s.output.length;
    }
    return state.chunks.reduce((sum, chunk) => sum + chunk.length, 0);
});

EM_JS(int, lumigram_inflate_ended, (int id), {
    return Module.lumigramInflaters.get(id).inflater.ended ? 1 : 0;
});

EM_JS(void, lumigram_inflate_message, (int id, char* out, int size), {
    stringToUTF8(String(Module.lumigramInflaters.get(id).inflater.msg || "invalid data"), out, size);
});

EM_JS(void, lumigram_take, (int id, std::uint8_t* out), {
    const state = id ? Module.lumigramInflaters.get(id) : Module.lumigramDeflated;
    let at = out;
    for (const chunk of state.chunks) {
        HEAPU8.set(chunk, at);
        at += chunk.length;
    }
    state.chunks = [];
});

EM_JS(void, lumigram_inflate_close, (int id), {
    Module.lumigramInflaters.delete(id);
});

// Deflates one piece of a stream; returns its size, to be taken.
EM_JS(int, lumigram_deflate_piece, (int level, const std::uint8_t* dictionary, int dictionarySize,
                                    const std::uint8_t* input, int size, int last), {
    const options = {raw: true, level: level, memLevel: 9, strategy: 1, chunkSize: 65536};
    if (dictionarySize > 0) {
        options.dictionary = HEAPU8.slice(dictionary, dictionary + dictionarySize);
    }
    const deflater = new lumigramPako.Deflate(options);
    deflater.push(HEAPU8.subarray(input, input + size), last ? 4 : 2);  // Z_FINISH, Z_SYNC_FLUSH
    if (deflater.err) {
        return -1;
    }
    // pako gathers a finished stream into its result, and drops the chunks.
    Module.lumigramDeflated = {chunks: deflater.ended ? [deflater.result] : deflater.chunks};
    return Module.lumigramDeflated.chunks.reduce((sum, chunk) => sum + chunk.length, 0);
});
// clang-format on

namespace lumigram {
namespace {

// A kilobyte of deflate data gives at most about a megabyte.
constexpr std::size_t kInputStep = 1024;

const std::array<std::uint32_t, 256>& CrcTable() {
    static const std::array<std::uint32_t, 256> kTable = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    return kTable;
}

constexpr std::uint32_t kAdlerBase = 65521;

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, std::span<const std::uint8_t> bytes) {
    const auto& table = CrcTable();
    std::uint32_t c = ~crc;
    for (const std::uint8_t byte : bytes) {
        c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    }
    return ~c;
}

std::uint32_t Adler32(std::uint32_t adler, std::span<const std::uint8_t> bytes) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (!bytes.empty()) {
        // 5552 bytes at most before the sums could overflow 32 bits.
        const std::size_t run = std::min<std::size_t>(bytes.size(), 5552);
        for (const std::uint8_t byte : bytes.first(run)) {
            a += byte;
            b += a;
        }
        a %= kAdlerBase;
        b %= kAdlerBase;
        bytes = bytes.subspan(run);
    }
    return b << 16 | a;
}

std::uint32_t Adler32Combine(std::uint32_t first, std::uint32_t second, std::uint64_t secondBytes) {
    const std::uint32_t rem = static_cast<std::uint32_t>(secondBytes % kAdlerBase);
    std::uint32_t sum1 = first & 0xFFFF;
    std::uint32_t sum2 = static_cast<std::uint32_t>(std::uint64_t{rem} * sum1 % kAdlerBase);
    sum1 += (second & 0xFFFF) + kAdlerBase - 1;
    sum2 += (first >> 16) + (second >> 16) + kAdlerBase - rem;
    if (sum1 >= kAdlerBase) {
        sum1 -= kAdlerBase;
    }
    if (sum1 >= kAdlerBase) {
        sum1 -= kAdlerBase;
    }
    if (sum2 >= 2 * kAdlerBase) {
        sum2 -= 2 * kAdlerBase;
    }
    if (sum2 >= kAdlerBase) {
        sum2 -= kAdlerBase;
    }
    return sum1 | sum2 << 16;
}

struct Inflater::State {
    int id = 0;
    std::vector<std::uint8_t> waiting;  // inflated, not yet handed out
    std::size_t handed = 0;
    std::array<char, 128> message{};
};

Inflater::Inflater(int windowBits) : state_(std::make_unique<State>()) {
    state_->id = lumigram_inflate_open(windowBits);
}

Inflater::~Inflater() {
    lumigram_inflate_close(state_->id);
}

Inflater::Step Inflater::Inflate(std::span<const std::uint8_t> in, std::span<std::uint8_t> out) {
    State& s = *state_;
    Step step;
    if (s.handed == s.waiting.size() && !lumigram_inflate_ended(s.id) && !in.empty()) {
        step.consumed = std::min(in.size(), kInputStep);
        const int made = lumigram_inflate_push(s.id, in.data(), static_cast<int>(step.consumed));
        if (made < 0) {
            lumigram_inflate_message(s.id, s.message.data(), static_cast<int>(s.message.size()));
            step.error = s.message.data();
            return step;
        }
        s.waiting.resize(static_cast<std::size_t>(made));
        s.handed = 0;
        if (made > 0) {
            lumigram_take(s.id, s.waiting.data());
        }
    }
    step.produced = std::min(out.size(), s.waiting.size() - s.handed);
    std::copy_n(s.waiting.begin() + static_cast<std::ptrdiff_t>(s.handed), step.produced,
                out.begin());
    s.handed += step.produced;
    step.ended = s.handed == s.waiting.size() && lumigram_inflate_ended(s.id) != 0;
    return step;
}

struct Deflater::State {
    int level = 6;
};

Deflater::Deflater(int level) : state_(std::make_unique<State>()) {
    state_->level = level;
}

Deflater::~Deflater() = default;

void Deflater::DeflatePiece(std::span<const std::uint8_t> dictionary,
                            std::span<const std::uint8_t> in, bool last,
                            std::vector<std::uint8_t>& out) {
    const int size = lumigram_deflate_piece(state_->level, dictionary.data(),
                                            static_cast<int>(dictionary.size()), in.data(),
                                            static_cast<int>(in.size()), last ? 1 : 0);
    if (size < 0) {
        throw std::bad_alloc();
    }
    out.resize(static_cast<std::size_t>(size));
    if (size > 0) {
        lumigram_take(0, out.data());
    }
}

}  // namespace lumigram
