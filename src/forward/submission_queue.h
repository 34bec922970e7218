#pragma once
// A queue of submissions kept on disk, for a station that must not lose a frame when the server
// is down or the station restarts (even after kill -9 or a power cut), and must not send one twice.
//
// The file is a journal of text lines, appended one whole line at a time:
//   N <next id>                      first line after a compaction
//   E <id> <CRCC of body, 4 hex> <body>   an entry
//   A <id>                           the entry is done (sent, or refused for good)
// Ids grow and are never reused, so an entry keeps its id across restarts. The live entries are
// the E lines without an A line. When done lines pile up the file is rewritten with the live
// entries only (atomically: written beside it, then renamed over it). On opening, a torn last
// line (a crash while writing) is cut off and lines that do not read back are skipped and counted.
// A lock file beside the journal keeps a second station from working on the same queue.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "files/append_file.h"

namespace orv {

class SubmissionQueue {
public:
    struct Entry {
        std::uint64_t id = 0;
        std::string body;  // one line: no CR or LF
    };

    static constexpr std::size_t kDefaultMaxEntries = 100000;  // about 11 days of AO-40 blocks, 120 MB

    SubmissionQueue() = default;
    ~SubmissionQueue();
    SubmissionQueue(const SubmissionQueue&) = delete;
    SubmissionQueue& operator=(const SubmissionQueue&) = delete;

    // Opens (creating) the journal at `path` and reads the live entries. False, with the reason
    // in `error`, when it cannot be read or written, or another process holds it.
    bool Open(const std::filesystem::path& path, std::string& error);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }

    // Appends an entry and returns its id; 0, with the reason in `error`, when the queue is full,
    // the body holds a line break, or the journal cannot be written (the entry is then not queued).
    std::uint64_t Add(std::string_view body, std::string& error);

    // Marks an entry done. False, with the reason, when the mark could not be written; the entry
    // is gone from this run all the same (it would come back after a restart).
    bool Remove(std::uint64_t id, std::string& error);

    // The oldest live entry, or nothing when the queue is empty.
    std::optional<Entry> Front() const;
    std::size_t Size() const { return entries_.size(); }

    // Lines skipped when the journal was read (damaged, or a torn last line).
    std::uint64_t SkippedLines() const { return skippedLines_; }

    void SetMaxEntries(std::size_t n) { maxEntries_ = n; }
    // Force each line to the disk before Add/Remove return (on by default).
    void SetSyncEachWrite(bool on) { sync_ = on; }
    // Done lines that trigger a rewrite (also at least as many as the live entries).
    void SetCompactAfter(std::size_t doneLines) { compactAfter_ = doneLines; }

private:
    bool Read(std::string& error);
    bool Compact(std::string& error);
    bool OpenJournal(std::string& error);
    bool AppendLine(const std::string& line, std::string& error);

    std::filesystem::path path_;
    AppendFile file_;
    int lockFd_ = -1;
    std::map<std::uint64_t, std::string> entries_;
    std::uint64_t nextId_ = 1;
    std::size_t doneLines_ = 0;  // A lines (and dead E lines) in the file
    std::uint64_t skippedLines_ = 0;
    std::size_t maxEntries_ = kDefaultMaxEntries;
    std::size_t compactAfter_ = 1024;
    bool sync_ = true;
};

}  // namespace orv
