// Counts calls of the global operator new in this test program (our code allocates through it).
#pragma once
#include <cstdint>

uint64_t allocationCount();
