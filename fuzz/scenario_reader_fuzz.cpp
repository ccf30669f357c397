// Any bytes as a scenario file: every content line either reads as a known step or is refused
// with a StepError; nothing else escapes and nothing crashes. Steps are read, not run: running
// them could send a download anywhere.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "sim/scenario/scenario_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  for (const auto& line : pushwren::sim::contentLines(in)) {
    try {
      const auto step = pushwren::sim::readStep(line.text);
      if (step.kind == nullptr) __builtin_trap();
    } catch (const pushwren::sim::StepError&) {
    }
  }
  return 0;
}
