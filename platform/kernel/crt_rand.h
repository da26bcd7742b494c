// The platform runtime's pseudo-random generator. The motion paths scale rand() by
// 1/32767, so they need exactly this 15-bit range and sequence; the C library's rand
// on Linux returns 31 bits and a different sequence, hence a namespace of our own.
#pragma once

namespace msvcrt {

constexpr int kRandMax = 0x7FFF;  // the platform's RAND_MAX

// One process-wide state, like the platform's single-threaded runtime.
void srand(unsigned int seed);
int rand();

}  // namespace msvcrt
