#include "app/demo_random.h"

namespace {
uint64_t draws = 0;
uint32_t state = 1;  // the sequence of an unseeded program, as srand(1)
}  // namespace

int demoRand() {
    ++draws;
    // A linear congruential step modulo 2^32 (unsigned wrap-around); the value is bits 16..30.
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7fff);
}

void demoSeed(unsigned seed) { state = seed; }

uint64_t demoRandCount() { return draws; }
