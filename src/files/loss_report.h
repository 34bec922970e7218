#pragma once
// What an output the station writes (the telemetry log, the KISS file, the SiDS queue, the MQTT
// queue) tells the operator about what it loses. An episode starts with the first failure and
// ends with the next write that works:
//   first failure   "KISS file: cannot write to "/srv/orv/ao40.kiss": No space left on device; 1 frame lost"
//   while it lasts  "KISS file: 57 frames lost so far: cannot write to ..."   at most once a minute
//   writing again   "KISS file: writing again; 58 frames lost"
// A run of failures says neither the same line again nor nothing at all, and a second episode in
// the same run is told like the first.
#include <cstdint>
#include <string>

namespace orv {

class LossReport {
public:
    static constexpr std::int64_t kCountEverySeconds = 60;

    // `output` names the output at the start of each line ("KISS file"); `unit` and `units` are
    // what it loses ("frame", "frames").
    LossReport(std::string output, std::string unit, std::string units);

    // `count` pieces were lost at `now` (seconds) for `reason`. Returns the line to say now, or
    // nothing.
    std::string Lost(std::int64_t now, const std::string& reason, std::uint64_t count = 1);
    // A piece was written: the line that ends an episode, or nothing.
    std::string Written();

    bool Failing() const { return failing_; }
    // Lost in the episode going on, or in the last one once it has ended.
    std::uint64_t LostInEpisode() const { return inEpisode_; }
    std::uint64_t LostInAll() const { return inAll_; }
    const std::string& Reason() const { return reason_; }
    // For a window's status: "KISS file: 57 frames lost: REASON" while it fails, the last
    // "writing again" line after, nothing before the first failure.
    std::string StatusText() const;

private:
    std::string Count(std::uint64_t n) const;

    std::string output_, unit_, units_;
    bool failing_ = false;
    std::uint64_t inEpisode_ = 0;
    std::uint64_t inAll_ = 0;
    std::int64_t lastLineAt_ = 0;
    std::string reason_;
};

}  // namespace orv
