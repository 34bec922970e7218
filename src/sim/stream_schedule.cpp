#include "sim/stream_schedule.h"

namespace orv::sim {

ScheduledBlock StreamSchedule::Next() {
    ScheduledBlock out;
    out.block = generator_.Next();
    const auto pieces = line_.Split(out.block.wire.size());
    for (const auto& p : pieces) out.chunks.push_back({p.begin, p.end, wallStart_ + p.offset / speed_});
    const double transfer = pieces.back().offset;
    const double silence = generator_.NextOffset() - out.block.offset - transfer;
    wallStart_ += transfer / speed_ + WallPause(silence, speed_, LeastPause());
    return out;
}

}  // namespace orv::sim
