#ifndef DELAY_DELAY_H
#define DELAY_DELAY_H

#include <stdint.h>

// The wait, in milliseconds, that a delay text in tenths of a second asks for.
uint64_t delay_milliseconds(const char *text);

// The whole command: returns its exit status.
int delay(int argc, char *argv[]);

#endif
