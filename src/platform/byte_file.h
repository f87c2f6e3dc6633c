#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/byte_sink.h"
#include "platform/byte_source.h"

namespace lumigram {

namespace sys {
enum class FileAccess;
}

// An unstructured byte file with absolute seeks. Every failing operation raises
// IoError naming the file; a short read is not a failure, the count tells.
// The descriptor is closed when the object goes away; call Close() to learn of a
// failing close (a write-back error can surface only there).
class ByteFile final : public ByteSource, public ByteSink {
  public:
    // An existing regular file (or a link to one), for reading only: inputs are
    // never opened for writing, so read-only pictures and packages work. Anything
    // else (a folder, a FIFO, a device) is refused at once, saying what it is;
    // nothing ever waits for a FIFO's writer or reads a device without end.
    static ByteFile OpenRead(const std::string& path);
    // An existing file, for reading and writing, keeping its content.
    static ByteFile OpenUpdate(const std::string& path);
    // A new file, replacing any file of that name.
    static ByteFile Create(const std::string& path);
    // A new file that must not exist yet.
    static ByteFile CreateExclusive(const std::string& path);
    // A regular file opened elsewhere (the output layer's temporary); takes
    // ownership of fd. shownPath is what messages name.
    static ByteFile Adopt(int fd, std::string shownPath);
    // An open stream (standard output, a FIFO, a character device), written in
    // order: positioned writes must continue exactly where the last one ended.
    // Takes ownership of fd.
    static ByteFile AdoptStream(int fd, std::string shownPath);

    ByteFile(ByteFile&& other) noexcept;
    ByteFile& operator=(ByteFile&& other) noexcept;
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;
    ~ByteFile() override;

    void Seek(std::uint64_t offset);
    // Reads up to data.size() bytes; returns how many arrived (fewer only at the end).
    std::size_t Read(std::span<std::uint8_t> data);
    // Writes every byte or raises ("Disk full" when the device ran out of room).
    void Write(std::span<const std::uint8_t> data) override;
    // Positioned transfers that leave the file position alone: one call instead
    // of a seek and a transfer, for the row-by-row codecs.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> data) override;
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override;
    std::uint64_t Size() const override;
    void Close();

    bool IsOpen() const noexcept { return fd_ >= 0; }
    bool IsStream() const noexcept override { return stream_; }
    const std::string& path() const noexcept { return path_; }
    const std::string& name() const noexcept override { return path_; }
    // The descriptor, for the output layer's checks; -1 once closed.
    int descriptor() const noexcept { return fd_; }

  private:
    ByteFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    static ByteFile Open(const std::string& path, sys::FileAccess access);
    void RequireOpen() const;
    void WriteAll(std::span<const std::uint8_t> data, const std::uint64_t* at);
    void RequireStreamPosition(std::uint64_t offset) const;

    int fd_ = -1;
    std::string path_;
    bool stream_ = false;
    std::uint64_t streamPosition_ = 0;  // bytes written so far, for streams
};

}  // namespace lumigram
