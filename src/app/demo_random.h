// The show's one random sequence: the C library's rand, seeded once at set-up. Every draw of the
// program goes through demoRand so that tests can count them.
#pragma once
#include <cstdint>

int demoRand();                 // 0 .. RAND_MAX, one rand() call
void demoSeed(unsigned seed);   // srand(seed)
uint64_t demoRandCount();       // draws since start
