// The sound engine on its own, doing the player's audio work for the insect in the hangar.
//
//   zor_bare_engine <mono 16-bit WAV> <seconds>
#include <cstdio>
#include <cstdlib>

#include "bench/app/bare_engine_work.h"

int main(int argc, char** argv) {
    const int result = argc == 3 ? PlayInsectInHangar(argv[1], std::atof(argv[2])) : 2;
    if (result == 2) std::fprintf(stderr, "usage: %s <mono 16-bit WAV> <seconds>\n", argv[0]);
    return result;
}
