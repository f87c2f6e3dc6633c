#include "codec/png_writer.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

#include "codec/png_filters.h"
#include "codec/png_zlib.h"
#include "platform/byte_sink.h"
#include "platform/io_error.h"

namespace lumigram {
namespace {

constexpr std::size_t kWindowBytes = 32768;  // deflate's window: what a band is primed with
// Bands are large enough that priming and flushing cost little of the size,
// small enough that a handful of them in flight stay a few MiB.
constexpr std::size_t kBandBytes = 256 * 1024;
constexpr std::size_t kSlots = 4;
// Fewer bands than this are not worth a second thread: one band, one stream.
constexpr std::size_t kMinBandsForThreads = 3;
// Level 4 with the filtered strategy: on pictures like skins (photos,
// gradients, flat panels) about 1% larger than level 6 in a third of its time.
// (Highly repetitive synthetic patterns come out larger; pictures do not.) A
// picture of one band, as skins mostly are, takes milliseconds either way and
// gets level 5, a few percent smaller still.
constexpr int kLargeLevel = 4;
constexpr int kSmallLevel = 5;
// Without threads (the WebAssembly build) every band is deflated in turn on
// the calling thread.
#if defined(__EMSCRIPTEN__)
constexpr bool kHelperThread = false;
#else
constexpr bool kHelperThread = true;
#endif

void PutBigEndian(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 24);
    at[1] = static_cast<std::uint8_t>(value >> 16);
    at[2] = static_cast<std::uint8_t>(value >> 8);
    at[3] = static_cast<std::uint8_t>(value);
}

void WriteChunk(ByteSink& output, const char* type,
                std::initializer_list<std::span<const std::uint8_t>> parts) {
    std::size_t length = 0;
    for (const auto part : parts) {
        length += part.size();
    }
    if (length > 0x7FFFFFFF) {
        throw FormatError("cannot write PNG: a chunk is too large", output.name());
    }
    std::array<std::uint8_t, 8> head{};
    PutBigEndian(head.data(), static_cast<std::uint32_t>(length));
    std::copy_n(type, 4, head.begin() + 4);
    std::uint32_t crc = Crc32(0, std::span(head).subspan(4));
    output.Write(head);
    for (const auto part : parts) {
        if (!part.empty()) {
            crc = Crc32(crc, part);
            output.Write(part);
        }
    }
    std::array<std::uint8_t, 4> tail{};
    PutBigEndian(tail.data(), static_cast<std::uint32_t>(crc));
    output.Write(tail);
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A band of rows on its way through: its raw rows (and those before it that
// filter to its dictionary), then filtered, then deflated.
struct Band {
    enum class State { kFree, kFilled, kTaken, kDone };
    State state = State::kFree;
    std::uint32_t first = 0;   // the band's first row
    std::uint32_t rows = 0;    // its rows
    std::uint32_t before = 0;  // rows before first filtered again for the dictionary
    bool last = false;
    // The row above the earliest held row (zero above the top), the rows held
    // before the band, the band's rows.
    std::vector<std::uint8_t> raw;
    std::vector<std::uint8_t> filtered;
    std::vector<std::uint8_t> deflated;
    std::uint32_t adler = 0;  // of the band's filtered bytes
    std::size_t filteredBytes = 0;
};

void DeflateBand(Deflater& deflater, Band& band, std::size_t rowBytes, unsigned bytesPerPixel) {
    const std::size_t line = rowBytes + 1;
    const std::size_t held = std::size_t{band.before} + band.rows;
    band.filtered.resize(held * line);
    for (std::size_t r = 0; r < held; ++r) {
        FilterPngRow(std::span(band.raw.data() + (r + 1) * rowBytes, rowBytes),
                     std::span(band.raw.data() + r * rowBytes, rowBytes), bytesPerPixel,
                     std::span(band.filtered.data() + r * line, line));
    }
    const std::size_t beforeBytes = std::size_t{band.before} * line;
    const std::size_t dictionary = std::min(kWindowBytes, beforeBytes);
    band.filteredBytes = std::size_t{band.rows} * line;
    const std::span<const std::uint8_t> in(band.filtered.data() + beforeBytes, band.filteredBytes);
    band.adler = Adler32(1, in);
    deflater.DeflatePiece(
        std::span<const std::uint8_t>(band.filtered.data() + beforeBytes - dictionary, dictionary),
        in, band.last, band.deflated);
}

// Bands filled by the calling thread, deflated by whichever thread is free,
// written in order by the calling thread.
class BandPipeline {
  public:
    BandPipeline(ByteSink& output, const PngLayout& layout, const PngRowFiller& fill)
        : output_(output),
          fill_(fill),
          bytesPerPixel_(layout.alpha ? 4 : 3),
          rowBytes_(std::size_t{layout.width} * bytesPerPixel_),
          height_(layout.height) {
        bandRows_ =
            static_cast<std::uint32_t>(std::clamp<std::size_t>(kBandBytes / rowBytes_, 1, height_));
        bands_ = (height_ + bandRows_ - 1) / bandRows_;
        if (bands_ < kMinBandsForThreads) {
            bandRows_ = height_;
            bands_ = 1;
            level_ = kSmallLevel;
        }
        own_.emplace(level_);
        beforeRows_ = static_cast<std::uint32_t>((kWindowBytes + rowBytes_) / (rowBytes_ + 1));
        if (bands_ > 1 && kHelperThread) {
            worker_ = std::thread([this] { Work(); });
        }
    }

    ~BandPipeline() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        if (worker_.joinable()) {
            worker_.join();
        }
    }

    BandPipeline(const BandPipeline&) = delete;
    BandPipeline& operator=(const BandPipeline&) = delete;

    void Run() {
        for (std::size_t i = 0; i < bands_; ++i) {
            while (i >= written_ + kSlots) {
                Progress();
            }
            Fill(i);
            {
                const std::lock_guard lock(mutex_);
                filled_ = i + 1;
            }
            changed_.notify_all();
            // The calling thread deflates too when the helper falls behind,
            // and always when there is none.
            if (!worker_.joinable() || Waiting() >= 2) {
                TakeOne();
            }
            WriteDone();
        }
        while (written_ < bands_) {
            Progress();
        }
    }

  private:
    Band& Slot(std::size_t i) { return slots_[i % kSlots]; }

    void Fill(std::size_t i) {
        Band& band = Slot(i);
        band.first = static_cast<std::uint32_t>(i * bandRows_);
        band.rows = std::min<std::uint32_t>(bandRows_, height_ - band.first);
        band.before = std::min(beforeRows_, band.first);
        band.last = i + 1 == bands_;
        const std::size_t held = std::size_t{band.before} + 1 + band.rows;
        band.raw.resize(held * rowBytes_);
        const std::size_t carried = (std::size_t{band.before} + 1) * rowBytes_;
        if (i == 0) {
            std::fill_n(band.raw.begin(), rowBytes_, std::uint8_t{0});
        } else {
            const Band& previous = Slot(i - 1);
            std::copy(previous.raw.end() - static_cast<std::ptrdiff_t>(carried), previous.raw.end(),
                      band.raw.begin());
        }
        for (std::uint32_t r = 0; r < band.rows; ++r) {
            fill_(band.first + r,
                  std::span(band.raw.data() + carried + std::size_t{r} * rowBytes_, rowBytes_));
        }
    }

    std::size_t Waiting() {
        const std::lock_guard lock(mutex_);
        return filled_ - taken_;
    }

    // Deflates the oldest band nobody has taken, if any.
    bool TakeOne() {
        std::size_t i = 0;
        {
            const std::lock_guard lock(mutex_);
            if (taken_ == filled_) {
                return false;
            }
            i = taken_++;
            Slot(i).state = Band::State::kTaken;
        }
        DeflateBand(*own_, Slot(i), rowBytes_, bytesPerPixel_);
        {
            const std::lock_guard lock(mutex_);
            Slot(i).state = Band::State::kDone;
        }
        return true;
    }

    void WriteDone() {
        for (;;) {
            {
                const std::lock_guard lock(mutex_);
                if (error_) {
                    std::rethrow_exception(error_);
                }
                if (written_ == filled_ || Slot(written_).state != Band::State::kDone) {
                    return;
                }
            }
            Band& band = Slot(written_);
            adler_ =
                written_ == 0 ? band.adler : Adler32Combine(adler_, band.adler, band.filteredBytes);
            // The zlib header goes before the first band, the checksum of all
            // the filtered bytes after the last.
            std::array<std::uint8_t, 2> header{0x78, 0};
            const unsigned flags = (level_ < 2 ? 0 : level_ < 6 ? 1 : level_ == 6 ? 2 : 3) << 6;
            header[1] = static_cast<std::uint8_t>(flags + 31 - (0x7800 + flags) % 31);
            std::array<std::uint8_t, 4> trailer{};
            PutBigEndian(trailer.data(), adler_);
            WriteChunk(
                output_, "IDAT",
                {std::span<const std::uint8_t>(header).first(written_ == 0 ? 2 : 0), band.deflated,
                 std::span<const std::uint8_t>(trailer).first(band.last ? 4 : 0)});
            const std::lock_guard lock(mutex_);
            band.state = Band::State::kFree;
            ++written_;
        }
    }

    // Deflates a band, writes finished ones, or waits for the helper.
    void Progress() {
        if (TakeOne()) {
            WriteDone();
            return;
        }
        const std::size_t before = written_;
        WriteDone();
        if (written_ != before) {
            return;
        }
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] {
            return error_ || taken_ < filled_ ||
                   (written_ < filled_ && Slot(written_).state == Band::State::kDone);
        });
    }

    void Work() noexcept {
        try {
            Deflater deflater(level_);
            std::unique_lock lock(mutex_);
            for (;;) {
                changed_.wait(lock, [this] { return stop_ || taken_ < filled_; });
                if (stop_) {
                    return;
                }
                const std::size_t i = taken_++;
                Band& band = Slot(i);
                band.state = Band::State::kTaken;
                lock.unlock();
                DeflateBand(deflater, band, rowBytes_, bytesPerPixel_);
                lock.lock();
                band.state = Band::State::kDone;
                changed_.notify_all();
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            error_ = std::current_exception();
            changed_.notify_all();
        }
    }

    ByteSink& output_;
    const PngRowFiller& fill_;
    const unsigned bytesPerPixel_;
    const std::size_t rowBytes_;
    const std::uint32_t height_;
    std::uint32_t bandRows_ = 0;
    std::uint32_t beforeRows_ = 0;
    std::size_t bands_ = 0;
    std::array<Band, kSlots> slots_;
    int level_ = kLargeLevel;
    std::optional<Deflater> own_;  // the calling thread's
    std::uint32_t adler_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t filled_ = 0;   // bands filled
    std::size_t taken_ = 0;    // bands taken to be deflated
    std::size_t written_ = 0;  // bands written (only the calling thread changes it)
    bool stop_ = false;
    std::exception_ptr error_;
    std::thread worker_;  // last: it starts once everything it uses is made
};

}  // namespace

void WritePng(ByteSink& output, const PngLayout& layout, const PngRowFiller& fill) {
    if (layout.width == 0 || layout.height == 0) {
        throw FormatError("an empty picture has no PNG form", output.name());
    }
    static constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P',  'N',  'G',
                                                               '\r', '\n', 0x1A, '\n'};
    output.Write(kSignature);
    std::array<std::uint8_t, 13> ihdr{};
    PutBigEndian(ihdr.data(), layout.width);
    PutBigEndian(ihdr.data() + 4, layout.height);
    ihdr[8] = 8;                     // bits per sample
    ihdr[9] = layout.alpha ? 6 : 2;  // RGBA or RGB; compression, filter, interlace 0
    WriteChunk(output, "IHDR", {ihdr});
    if (layout.transparentRgb && !layout.alpha) {
        std::array<std::uint8_t, 6> trns{};  // 16-bit samples
        for (std::size_t c = 0; c < 3; ++c) {
            trns[2 * c + 1] = (*layout.transparentRgb)[c];
        }
        WriteChunk(output, "tRNS", {trns});
    }
    if (!layout.textKeyword.empty()) {
        const std::array<std::uint8_t, 1> separator{0};
        WriteChunk(output, "tEXt", {Bytes(layout.textKeyword), separator, Bytes(layout.text)});
    }
    BandPipeline(output, layout, fill).Run();
    WriteChunk(output, "IEND", {});
}

}  // namespace lumigram
