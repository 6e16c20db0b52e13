// The parsers of outside input that the one fuzzing program feeds, and what
// their targets share. Each target takes one input, aborts on a broken
// promise and returns 0, as a libFuzzer target.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace orbl::fuzz {

int StoredValues(const std::uint8_t* data, std::size_t size);
int Broadcast(const std::uint8_t* data, std::size_t size);
int IniFile(const std::uint8_t* data, std::size_t size);
int Language(const std::uint8_t* data, std::size_t size);
int ApplyLanguage(const std::uint8_t* data, std::size_t size);
int Command(const std::uint8_t* data, std::size_t size);

// A broken promise: libFuzzer keeps the input that broke it.
inline void Check(bool condition) {
  if (!condition) std::abort();
}

// An input read front to back; a read past its end takes what is left.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t Left() const { return size_; }
  // The next `count` bytes as a little-endian number.
  std::uint64_t Number(std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count && size_ > 0; ++i, ++data_, --size_)
      value |= std::uint64_t{*data_} << (8 * i);
    return value;
  }
  std::string Text(std::size_t count) { return Take<std::string, char>(count); }
  // Exactly the bytes taken: AddressSanitizer sees a read past them.
  std::vector<std::byte> Bytes(std::size_t count) {
    return Take<std::vector<std::byte>, std::byte>(count);
  }

 private:
  template <typename Out, typename Unit>
  Out Take(std::size_t count) {
    count = std::min(count, size_);
    const auto* first = reinterpret_cast<const Unit*>(data_);
    data_ += count;
    size_ -= count;
    return Out(first, first + count);
  }

  const std::uint8_t* data_;
  std::size_t size_;
};

}  // namespace orbl::fuzz
