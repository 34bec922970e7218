#include "forward/received_block.h"

namespace orv {

std::string_view VerdictText(CrccVerdict verdict) {
    switch (verdict) {
        case CrccVerdict::Ok: return "OK";
        case CrccVerdict::Fail: return "FAIL";
        case CrccVerdict::NotChecked: break;
    }
    return "NA";
}

}  // namespace orv
