// How many cases a fuzz test runs and from which seed: fixed by default, so that every run
// of the tests sees the same cases. LK_FUZZ_FACTOR (a whole number) multiplies every count
// for a longer run; LK_FUZZ_SEED (a number) is added to every seed to see other cases.
#pragma once

#include <cstdint>

namespace lktest {

unsigned FuzzCount(unsigned base);
uint32_t FuzzSeed(uint32_t base);

}  // namespace lktest
