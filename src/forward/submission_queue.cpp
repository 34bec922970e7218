#include "forward/submission_queue.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

#include "files/named_output.h"
#include "reception/crcc.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace orv {
namespace {

std::string BodyCheck(std::string_view body) {
    const std::uint16_t c =
        Crcc(std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[c >> 12], kDigits[(c >> 8) & 0xF], kDigits[(c >> 4) & 0xF], kDigits[c & 0xF]};
}

bool ReadNumber(std::string_view& s, std::uint64_t& value) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), value);
    if (r.ec != std::errc() || r.ptr == s.data()) return false;
    s.remove_prefix(static_cast<std::size_t>(r.ptr - s.data()));
    return true;
}

bool Take(std::string_view& s, char c) {
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

}  // namespace

SubmissionQueue::~SubmissionQueue() { Close(); }

bool SubmissionQueue::Open(const std::filesystem::path& path, std::string& error) {
    Close();
    path_ = path;
#ifndef _WIN32
    std::filesystem::path lockPath = path;
    lockPath += ".lock";
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lockFd_ < 0) {
        error = "cannot open \"" + lockPath.string() + "\": " + std::strerror(errno);
        return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error = "the queue \"" + path.string() + "\" is in use by another station";
        Close();
        return false;
    }
#endif
    if (!OpenJournal(error) || !Read(error)) {
        Close();
        return false;
    }
    return true;
}

void SubmissionQueue::Close() {
    file_.Close();
#ifndef _WIN32
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
#endif
    lockFd_ = -1;
    entries_.clear();
    nextId_ = 1;
    doneLines_ = 0;
    skippedLines_ = 0;
}

bool SubmissionQueue::Read(std::string& error) {
    std::ifstream in(path_, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        error = "cannot read \"" + path_.string() + "\"";
        return false;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            // A line the writer did not finish: cut it off so that the next line starts clean.
            ++skippedLines_;
            if (!file_.Truncate(at)) {
                error = file_.FailureText();
                return false;
            }
            break;
        }
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        std::uint64_t id = 0;
        const char type = line.empty() ? 0 : line.front();
        line.remove_prefix(line.empty() ? 0 : 1);
        bool ok = Take(line, ' ') && ReadNumber(line, id) && id > 0;
        if (ok && type == 'E') {
            ok = Take(line, ' ') && line.size() > 5 && line[4] == ' ' && line.substr(0, 4) == BodyCheck(line.substr(5));
            if (ok) {
                entries_.emplace(id, std::string(line.substr(5)));
                nextId_ = std::max(nextId_, id + 1);
            }
        } else if (ok && type == 'A' && line.empty()) {
            entries_.erase(id);
            ++doneLines_;
        } else if (ok && type == 'N' && line.empty()) {
            nextId_ = std::max(nextId_, id);
        } else {
            ok = false;
        }
        if (!ok) ++skippedLines_;
    }
    if (doneLines_ > 0 || skippedLines_ > 0) return Compact(error);
    return true;
}

bool SubmissionQueue::Compact(std::string& error) {
    std::string text = "N " + std::to_string(nextId_) + "\n";
    for (const auto& [id, body] : entries_)
        text += "E " + std::to_string(id) + " " + BodyCheck(body) + " " + body + "\n";
    if (!WriteNamedOutput(path_, Bytes(text), error, OutputSync::ToDisk)) return false;
    doneLines_ = 0;
    return OpenJournal(error);  // the journal is a new file now
}

bool SubmissionQueue::OpenJournal(std::string& error) {
    if (file_.Open(path_)) return true;
    error = file_.FailureText();
    return false;
}

bool SubmissionQueue::AppendLine(const std::string& line, std::string& error) {
    if (file_.Append(Bytes(line), sync_)) return true;
    error = file_.FailureText();
    return false;
}

std::uint64_t SubmissionQueue::Add(std::string_view body, std::string& error) {
    if (!IsOpen()) {
        error = "the queue is not open";
        return 0;
    }
    if (body.find_first_of("\r\n") != std::string_view::npos) {
        error = "an entry must be one line";
        return 0;
    }
    if (entries_.size() >= maxEntries_) {
        error = "the queue is full (" + std::to_string(maxEntries_) + " entries)";
        return 0;
    }
    const std::uint64_t id = nextId_;
    if (!AppendLine("E " + std::to_string(id) + " " + BodyCheck(body) + " " + std::string(body) + "\n", error))
        return 0;
    ++nextId_;
    entries_.emplace(id, std::string(body));
    return id;
}

bool SubmissionQueue::Remove(std::uint64_t id, std::string& error) {
    if (entries_.erase(id) == 0) return true;
    if (!AppendLine("A " + std::to_string(id) + "\n", error)) return false;
    ++doneLines_;
    if (doneLines_ >= compactAfter_ && doneLines_ >= entries_.size()) return Compact(error);
    return true;
}

std::optional<SubmissionQueue::Entry> SubmissionQueue::Front() const {
    if (entries_.empty()) return std::nullopt;
    return Entry{entries_.begin()->first, entries_.begin()->second};
}

}  // namespace orv
