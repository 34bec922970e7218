#pragma once
// A telemetry file opened for reading: a plain sequence of 512-byte records, mapped into memory
// so that opening even a file of gigabytes takes no time and copies nothing.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reception/block.h"

namespace orv {

inline constexpr std::size_t kRecordBytes = kTelemetryBytes;  // one log record: bytes 0..511 of a block

// What every reader reports for a file whose length is not a whole number of records.
inline constexpr std::string_view kFileErrorText = "File error!\nFile altered or incorrect length";

// Number of whole records in a file of `length` bytes (a trailing partial record is not counted).
inline std::uint64_t BlockCountOfLength(std::uint64_t length) { return length / kRecordBytes; }

// True when `length` is a whole number of records (an empty file is).
inline bool IsWholeLength(std::uint64_t length) { return length % kRecordBytes == 0; }

using Record = std::span<const std::uint8_t, kRecordBytes>;

// One telemetry log file, mapped read-only into memory. Record i (0-based) is the 512 bytes at
// offset i x 512. The byte after the last record reads as 0 (ByteAt), so a two-byte channel at
// address 511 of the last record is well defined.
class MappedLogFile {
public:
    MappedLogFile() = default;
    ~MappedLogFile();
    MappedLogFile(MappedLogFile&& other) noexcept;
    MappedLogFile& operator=(MappedLogFile&& other) noexcept;
    MappedLogFile(const MappedLogFile&) = delete;
    MappedLogFile& operator=(const MappedLogFile&) = delete;

    // Maps the file. On failure returns false with a reason in `error`, and nothing is open.
    bool Open(const std::filesystem::path& path, std::string& error);

    // The same over bytes held in memory (tests, benchmarks, data that never was a file).
    static MappedLogFile FromBytes(std::vector<std::uint8_t> bytes);

    void Close();

    bool IsOpen() const { return open_; }
    std::uint64_t Length() const { return length_; }
    std::uint64_t BlockCount() const { return BlockCountOfLength(length_); }
    bool HasWholeLength() const { return IsWholeLength(length_); }
    std::span<const std::uint8_t> Bytes() const { return {data_, static_cast<std::size_t>(length_)}; }

    // Record i, 0 <= i < BlockCount().
    Record RecordAt(std::uint64_t i) const { return Record(data_ + i * kRecordBytes, kRecordBytes); }

    // The byte at `offset`, or 0 at and after the end of the file.
    std::uint8_t ByteAt(std::uint64_t offset) const { return offset < length_ ? data_[offset] : 0; }

    // The byte that follows telemetry address `address` of record i: the next byte of the
    // record, or for address 511 the first byte of the next record (0 after the last one).
    std::uint8_t NextByte(std::uint64_t i, std::size_t address) const {
        return address + 1 < kRecordBytes ? data_[i * kRecordBytes + address + 1]
                                          : ByteAt((i + 1) * kRecordBytes);
    }

    // Tells the system that the process is done with records [first, first + count) for now.
    // A mapped file gives back the memory those pages held; the data stays readable (it is
    // read again from the file system cache when touched). Lets a pass over a huge file run in
    // memory that does not grow with the file.
    void ReleaseRecords(std::uint64_t first, std::uint64_t count) const;

    // Tells the system that records [first, first + count) are read once, in order: for a mapped
    // file it reads further ahead of the pass and may drop pages behind it sooner.
    void AdviseSequential(std::uint64_t first, std::uint64_t count) const;

private:
    void Reset() noexcept;

    const std::uint8_t* data_ = nullptr;
    std::uint64_t length_ = 0;
    bool open_ = false;
    bool mapped_ = false;                 // data_ is a mapping of a file (else it points into memory_)
    std::vector<std::uint8_t> memory_;    // bytes held in memory (FromBytes)
#ifdef _WIN32
    void* mapping_ = nullptr;             // the file mapping object
#endif
};

// A pass over records [first, last) in order: the system is told to read ahead of it, and at
// every kPassWindowRecords the pages behind the previous record are given back, so resident
// memory does not grow with the file. The record before the current one stays in use (a repeat
// check); records given back stay readable.
class SequentialPass {
public:
    static constexpr std::uint64_t kPassWindowRecords = 16384;  // 8 MiB

    SequentialPass(const MappedLogFile& image, std::uint64_t first, std::uint64_t last);
    ~SequentialPass();  // gives back the rest
    SequentialPass(const SequentialPass&) = delete;
    SequentialPass& operator=(const SequentialPass&) = delete;

    // Call before reading record i; i never decreases.
    void Reach(std::uint64_t i) {
        if (i >= windowEnd_) NextWindow(i);
    }

private:
    void NextWindow(std::uint64_t i);

    const MappedLogFile& image_;
    std::uint64_t last_;
    std::uint64_t released_;   // records before this one were given back
    std::uint64_t windowEnd_;  // the window read ahead ends here
};

}  // namespace orv
