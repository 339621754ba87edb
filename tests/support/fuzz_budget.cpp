#include "support/fuzz_budget.h"

#include <cstdlib>

namespace lktest {

namespace {

unsigned long EnvironmentNumber(const char* name, unsigned long fallback) {
  const char* text = getenv(name);
  if (!text || !*text) return fallback;
  char* end = nullptr;
  const unsigned long value = strtoul(text, &end, 10);
  return *end == '\0' ? value : fallback;
}

}  // namespace

unsigned FuzzCount(unsigned base) {
  const unsigned long factor = EnvironmentNumber("LK_FUZZ_FACTOR", 1);
  return static_cast<unsigned>(base * (factor > 0 ? factor : 1));
}

uint32_t FuzzSeed(uint32_t base) {
  return base + static_cast<uint32_t>(EnvironmentNumber("LK_FUZZ_SEED", 0));
}

}  // namespace lktest
