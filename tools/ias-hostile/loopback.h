// An in-process PC/SC client library with one reader holding the lying card:
// linked into the soak program, its SCard* functions take the place of
// pcsc-lite's, so 10^5 sessions need no daemon. It also plays the daemon's
// own faults now and then: a reset by another application, a response too
// long for the buffer.
#pragma once

#include "hostile.h"

#include <cstdint>

namespace hostile {

constexpr const char* kLoopbackReader = "Hostile Loopback 00 00";

// The card answering in the loopback reader from now on (not owned; null: no card).
void insertCard(vcard::HostileCard* card, std::uint32_t seed);

} // namespace hostile
