#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

// Reads a fuzzer's bytes as a sequence of small values; past the end every
// read gives zeros, so each input makes a request.
class fuzz_input {
 public:
  fuzz_input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
  bool flag() { return (byte() & 1) != 0; }

  // A count below `limit`.
  std::size_t count(std::size_t limit) { return limit == 0 ? 0 : byte() % limit; }

  // A float that is often extreme: the bytes as they are, or one of the
  // values that have broken outputs before.
  float real() {
    static constexpr float special[] = {0.0f,
                                        -0.0f,
                                        1.0f,
                                        -1.0f,
                                        1e-40f,
                                        1e-30f,
                                        1e30f,
                                        1e38f,
                                        std::numeric_limits<float>::max(),
                                        -std::numeric_limits<float>::max(),
                                        std::numeric_limits<float>::infinity(),
                                        -std::numeric_limits<float>::infinity(),
                                        std::numeric_limits<float>::quiet_NaN(),
                                        0.5f,
                                        100.0f,
                                        1e7f};
    const std::uint8_t kind = byte();
    if (kind < 64) return special[kind % (sizeof special / sizeof special[0])];
    if (kind < 128) return static_cast<float>(static_cast<std::int8_t>(byte()));
    std::uint32_t bits = 0;
    for (int k = 0; k < 4; ++k) bits = (bits << 8) | byte();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  std::vector<float> reals(std::size_t limit) {
    std::vector<float> values(count(limit));
    for (float& value : values) value = real();
    return values;
  }

  // Raw bytes, control characters, NULs and broken UTF-8 included.
  std::string text(std::size_t limit) {
    std::string bytes(count(limit), '\0');
    for (char& c : bytes) c = static_cast<char>(byte());
    return bytes;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// Whether `text` is well-formed UTF-8 (overlong forms and surrogates are
// not told apart: the outputs only promise not to cut characters).
inline bool valid_utf8(const std::string& text) {
  for (std::size_t k = 0; k < text.size();) {
    const auto lead = static_cast<unsigned char>(text[k]);
    const std::size_t length = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
    if (length == 0 || k + length > text.size()) return false;
    for (std::size_t c = 1; c < length; ++c)
      if ((static_cast<unsigned char>(text[k + c]) & 0xC0) != 0x80) return false;
    k += length;
  }
  return true;
}

#define FUZZ_CHECK(condition)                                                             \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      __builtin_trap();                                                                   \
    }                                                                                     \
  } while (0)
