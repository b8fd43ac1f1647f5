#include "OfflineLink.h"

namespace lumex {

bool OfflineLink::ReadLive(int, std::uint8_t*, int& length)
{
    // Nothing was read, and the caller must not mistake its buffer for data.
    length = 0;
    return false;
}

}  // namespace lumex
