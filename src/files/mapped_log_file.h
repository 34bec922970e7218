#pragma once
// A telemetry file opened for reading: a plain sequence of 512-byte records, mapped into memory
// so that opening even a file of gigabytes takes no time and a record can be looked at anywhere,
// and read in order, batch by batch, by the passes of the filter, the export and the graph.
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

    // Whether a pass reads the file (true) or uses the bytes where they are: bytes held in
    // memory, and where the system offers no positioned read.
    bool ReadsFile() const { return fd_ >= 0; }

    // Copies up to `bytes` bytes from `offset` into `to` and returns the count: fewer at the end of
    // the file, or when the system fails (with the reason in `error`). Only when ReadsFile().
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* to, std::size_t bytes, std::string& error) const;

    // Tells the system that bytes [offset, offset + bytes) are about to be read once, in order,
    // so that it reads ahead of a pass over a file that is not in its cache yet.
    void AdviseSequential(std::uint64_t offset, std::uint64_t bytes) const;

private:
    void Reset() noexcept;

    const std::uint8_t* data_ = nullptr;
    std::uint64_t length_ = 0;
    bool open_ = false;
    bool mapped_ = false;                 // data_ is a mapping of a file (else it points into memory_)
    int fd_ = -1;                         // the open file that passes read
    std::vector<std::uint8_t> memory_;    // bytes held in memory (FromBytes)
#ifdef _WIN32
    void* mapping_ = nullptr;             // the file mapping object
#endif
};

// A pass over records [first, last) in order, a batch of up to kBatchRecords records at a time.
//
// A file is read with read() into one buffer that every batch reuses, rather than through the
// mapping. Measured on whole processes over a log of a million records in the page cache
// (bench/files/read_ways.cpp): the 256 KiB read()s ran at the speed of `cat`, whatever way the file
// had been written; going through the mapping took 3 to 8 times as long, since every page of it is
// a fault and a page-table entry (on a virtual machine each costs the hypervisor too), populated up
// front (MAP_POPULATE, MADV_POPULATE_READ, MADV_WILLNEED) or not, with or without prefetching:
// 50 ms for a file the kernel held in 2 MiB pieces, 150 to 220 ms for one written in 4 MiB writes
// (partly small pieces), 390 ms for one appended record by record, as a station logs. 256 KiB is
// the batch that stays in the processor's second-level cache (1 MiB here) while the pass looks at
// it; 4 MiB batches ran at 0.7 x cat.
//
// Bytes held in memory are used in place. Memory stays flat whatever the file's size.
class SequentialPass {
public:
    static constexpr std::uint64_t kBatchRecords = 512;  // 256 KiB

    SequentialPass(const MappedLogFile& image, std::uint64_t first, std::uint64_t last);
    SequentialPass(const SequentialPass&) = delete;
    SequentialPass& operator=(const SequentialPass&) = delete;

    // Moves to the next batch. False at the end of the range, or when the file could not be read
    // (Error() says why).
    bool Next();
    // The batch: records [Begin(), End()).
    std::uint64_t Begin() const { return begin_; }
    std::uint64_t End() const { return end_; }
    // Record i of the batch, or the record before the batch (i = Begin() - 1, when Begin() > 0).
    // (Signed: the record before lies before base_.)
    const std::uint8_t* RecordData(std::uint64_t i) const {
        return base_ + (static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(begin_)) *
                           static_cast<std::ptrdiff_t>(kRecordBytes);
    }
    // As MappedLogFile::NextByte, for record i of the batch.
    std::uint8_t NextByte(std::uint64_t i, std::size_t address) const {
        if (address + 1 < kRecordBytes || lookahead_) return RecordData(i)[address + 1];
        return image_.NextByte(i, address);
    }
    // Why the pass ended early; empty when it reached the end of its range.
    const std::string& Error() const { return error_; }

private:
    const MappedLogFile& image_;
    std::uint64_t last_;
    std::uint64_t begin_;
    std::uint64_t end_;
    const std::uint8_t* base_ = nullptr;  // record begin_
    bool lookahead_ = false;              // the record after each batch is in the buffer
    std::vector<std::uint8_t> buffer_;    // the record before, the batch, the record after
    std::string error_;
};

}  // namespace orv
