#include "codec/row_prefetch.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace lumigram {
namespace {

// A few bands of about 256 KiB each: enough to even out the two threads' pace,
// little enough to keep memory low.
constexpr std::size_t kBandBytes = 256 * 1024;
constexpr std::uint32_t kSlots = 4;

}  // namespace

RowPrefetch::RowPrefetch(std::size_t rowBytes, std::uint32_t rows, Producer produce)
    : rowBytes_(rowBytes),
      rows_(rows),
      bandRows_(static_cast<std::uint32_t>(std::clamp<std::size_t>(
          kBandBytes / std::max<std::size_t>(rowBytes, 1), 1, std::max<std::uint32_t>(rows, 1)))),
      produce_(std::move(produce)),
      ring_(std::size_t{kSlots} * bandRows_ * rowBytes),
      helper_([this] { Produce(); }) {}

RowPrefetch::~RowPrefetch() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    helper_.join();
}

std::uint8_t* RowPrefetch::RowAt(std::uint32_t y) {
    const std::size_t slot = (y / bandRows_) % kSlots;
    return ring_.data() + (slot * bandRows_ + y % bandRows_) * rowBytes_;
}

void RowPrefetch::Produce() noexcept {
    try {
        for (std::uint32_t band = 0; band * bandRows_ < rows_; ++band) {
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || band < bandsTaken_ + kSlots; });
                if (stop_) {
                    return;
                }
            }
            const std::uint32_t first = band * bandRows_;
            const std::uint32_t end = std::min(rows_, first + bandRows_);
            for (std::uint32_t y = first; y < end; ++y) {
                produce_(std::span(RowAt(y), rowBytes_));
            }
            {
                const std::lock_guard lock(mutex_);
                bandsMade_ = band + 1;
            }
            changed_.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        error_ = std::current_exception();
        changed_.notify_all();
    }
}

void RowPrefetch::Next(std::span<std::uint8_t> row) {
    const std::uint32_t band = next_ / bandRows_;
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return error_ || band < bandsMade_; });
        if (band >= bandsMade_) {
            std::rethrow_exception(error_);
        }
    }
    std::memcpy(row.data(), RowAt(next_), rowBytes_);
    ++next_;
    if (next_ % bandRows_ == 0 || next_ == rows_) {
        {
            const std::lock_guard lock(mutex_);
            bandsTaken_ = band + 1;
        }
        changed_.notify_all();
    }
}

}  // namespace lumigram
