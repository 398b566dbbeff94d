// The show's one random sequence: the design platform's C library generator, carried here so that
// one seed draws the same show on every system. Every draw of the program goes through demoRand
// so that tests can count them.
#pragma once
#include <cstdint>

inline constexpr int kDemoRandMax = 32767;

int demoRand();                 // 0 .. kDemoRandMax
void demoSeed(unsigned seed);   // restarts the sequence from seed
uint64_t demoRandCount();       // draws since start
