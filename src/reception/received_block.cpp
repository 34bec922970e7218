#include "reception/received_block.h"

#include <algorithm>

namespace orv {

std::string_view VerdictText(CrccVerdict verdict) {
    switch (verdict) {
        case CrccVerdict::Ok: return "OK";
        case CrccVerdict::Fail: return "FAIL";
        case CrccVerdict::NotChecked: break;
    }
    return "NA";
}

Block512 StampedRecord(const ReceivedBlock& block) {
    Block512 record;
    std::copy_n(block.record.begin(), kTelemetryBytes, record.begin());
    if (block.verdict == CrccVerdict::Fail && block.bytes.size() == kFullBlockBytes) {
        // The stamp carries the received CRCC bytes, which the record does not hold.
        Block514 full;
        std::copy(record.begin(), record.end(), full.begin());
        full[512] = block.bytes[512];
        full[513] = block.bytes[513];
        WriteFailedCrccStamp(full);
        std::copy_n(full.begin(), kTelemetryBytes, record.begin());
    }
    return record;
}

}  // namespace orv
