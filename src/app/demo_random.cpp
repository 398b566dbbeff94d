#include "app/demo_random.h"

#include <cstdlib>

namespace {
uint64_t draws = 0;
}

int demoRand() {
    ++draws;
    return std::rand();
}

void demoSeed(unsigned seed) { std::srand(seed); }

uint64_t demoRandCount() { return draws; }
