#ifndef DELAY_SLEEP_H
#define DELAY_SLEEP_H

#include <stdint.h>

namespace platform {

// The wait, with kernel32's meaning: returns once at least this many
// milliseconds have passed. 0xFFFFFFFF, kernel32's "forever", is never asked
// for. On Windows it is kernel32's Sleep, checked against a clock; elsewhere
// a layer of our own.
void Sleep(uint32_t milliseconds);

} // namespace platform

#endif
