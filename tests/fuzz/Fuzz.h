// The parsers of outside input that the one fuzzing program feeds. Each takes
// one input, aborts on a broken promise and returns 0, as a libFuzzer target.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orbl::fuzz {

int StoredValues(const std::uint8_t* data, std::size_t size);
int Broadcast(const std::uint8_t* data, std::size_t size);
int IniFile(const std::uint8_t* data, std::size_t size);
int Language(const std::uint8_t* data, std::size_t size);
int ApplyLanguage(const std::uint8_t* data, std::size_t size);

}  // namespace orbl::fuzz
