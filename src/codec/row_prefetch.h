#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace lumigram {

// Makes the rows of a picture on a helper thread a few bands of rows ahead of
// the thread that takes them, so that decoding one band overlaps with
// whatever is done with the one before. The producer is called once per row,
// in order, on the helper thread only; an error it raises is raised again by
// Next when the row it failed on is asked for. Destroying the object stops
// and joins the helper.
class RowPrefetch {
  public:
    using Producer = std::function<void(std::span<std::uint8_t> row)>;

    RowPrefetch(std::size_t rowBytes, std::uint32_t rows, Producer produce);
    ~RowPrefetch();
    RowPrefetch(const RowPrefetch&) = delete;
    RowPrefetch& operator=(const RowPrefetch&) = delete;

    // Copies the next row into row (rowBytes bytes).
    void Next(std::span<std::uint8_t> row);

  private:
    void Produce() noexcept;
    std::uint8_t* RowAt(std::uint32_t y);

    const std::size_t rowBytes_;
    const std::uint32_t rows_;
    const std::uint32_t bandRows_;
    Producer produce_;
    std::vector<std::uint8_t> ring_;  // kSlots bands of bandRows_ rows
    std::uint32_t next_ = 0;          // the next row Next hands over

    std::mutex mutex_;
    std::condition_variable changed_;
    std::uint32_t bandsMade_ = 0;
    std::uint32_t bandsTaken_ = 0;
    bool stop_ = false;
    std::exception_ptr error_;
    std::thread helper_;  // last: it starts once everything it uses is made
};

}  // namespace lumigram
