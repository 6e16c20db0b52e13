// One fuzzing program for every parser of outside input. ORBL_FUZZ_PARSER
// names the one parser a run feeds, so that each keeps a corpus of its own;
// without it, the first byte of each input chooses and the rest is its input.
#include <cstdio>
#include <iterator>
#include <string_view>

#include "fuzz/Fuzz.h"

namespace {

struct Parser {
  std::string_view name;
  int (*feed)(const std::uint8_t*, std::size_t);
};
constexpr Parser kParsers[] = {
    {"settings", orbl::fuzz::StoredValues},
    {"broadcast", orbl::fuzz::Broadcast},
    {"ini", orbl::fuzz::IniFile},
    {"language", orbl::fuzz::Language},
    {"apply_language", orbl::fuzz::ApplyLanguage},
    {"command", orbl::fuzz::Command},
};
const Parser* chosen = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // Read once, before any input and any thread of the fuzzer.
  const char* name = std::getenv("ORBL_FUZZ_PARSER");  // NOLINT(concurrency-mt-unsafe)
  if (name == nullptr || *name == '\0') return 0;
  for (const Parser& parser : kParsers) chosen = parser.name == name ? &parser : chosen;
  if (chosen != nullptr) return 0;
  std::fprintf(stderr, "ORBL_FUZZ_PARSER=%s names no parser; there are:", name);
  for (const Parser& parser : kParsers) std::fprintf(stderr, " %s", parser.name.data());
  std::fprintf(stderr, "\n");
  std::exit(2);  // NOLINT(concurrency-mt-unsafe)
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (chosen != nullptr) return chosen->feed(data, size);
  if (size == 0) return 0;
  return kParsers[data[0] % std::size(kParsers)].feed(data + 1, size - 1);
}
