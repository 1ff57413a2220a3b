// What every fuzz target reads from its input, and where it keeps texts so
// that AddressSanitizer sees any unit read or written past their end.
//
// An input is text, so seeds stay readable: a first line of numbers, then
// segments separated by "\n". A number is an optional "-" and digits,
// wrapping modulo 2^64; any other byte separates numbers. In a segment each
// byte is one unit (so 0x80-0xFE give U+0080-U+00FE), except that 0xFF and
// the two bytes after it give one unit of any value, low byte first: that is
// how a zero, a "\n" or a surrogate gets into a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "scan/text.h"

namespace hm::fuzz {

using String = std::basic_string<Char>;

struct FuzzInput {
  std::vector<std::uint64_t> numbers;
  std::vector<String> segments;

  std::uint64_t Number(std::size_t index) const { return index < numbers.size() ? numbers[index] : 0; }
  String Segment(std::size_t index) const { return index < segments.size() ? segments[index] : String(); }
};

inline FuzzInput ReadFuzzInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput input;
  std::size_t at = 0;
  bool inNumber = false;
  bool negative = false;
  std::uint64_t value = 0;
  auto endNumber = [&] {
    if (inNumber) input.numbers.push_back(negative ? 0 - value : value);
    inNumber = false;
    negative = false;
    value = 0;
  };
  for (; at < size && data[at] != '\n'; ++at) {
    const std::uint8_t byte = data[at];
    if (byte >= '0' && byte <= '9') {
      value = value * 10 + (byte - '0');
      inNumber = true;
    } else if (byte == '-' && !inNumber) {
      negative = true;
    } else {
      endNumber();
    }
  }
  endNumber();
  if (at >= size) return input;
  ++at;  // past the header's "\n"
  input.segments.emplace_back();
  while (at < size) {
    const std::uint8_t byte = data[at++];
    if (byte == '\n') {
      input.segments.emplace_back();
    } else if (byte == 0xFF) {
      if (size - at < 2) break;
      input.segments.back().push_back(static_cast<Char>(data[at] | (data[at + 1] << 8)));
      at += 2;
    } else {
      input.segments.back().push_back(static_cast<Char>(byte));
    }
  }
  return input;
}

// `text` with its terminator in an allocation of exactly that many units.
inline std::unique_ptr<Char[]> ExactText(const String& text) {
  std::unique_ptr<Char[]> copy(new Char[text.size() + 1]);
  for (std::size_t index = 0; index < text.size(); ++index) copy[index] = text[index];
  copy[text.size()] = 0;
  return copy;
}

// The text in a buffer up to its first zero unit; `terminated` tells whether
// there was one within `capacity` units.
inline String TextIn(const Char* buffer, std::size_t capacity, bool* terminated = nullptr) {
  std::size_t length = 0;
  while (length < capacity && buffer[length] != 0) ++length;
  if (terminated != nullptr) *terminated = length < capacity;
  return String(buffer, length);
}

inline std::string Printable(const String& text) {
  std::string out;
  for (Char unit : text) {
    if (unit >= 0x20 && unit < 0x7F) {
      out.push_back(static_cast<char>(unit));
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
      out += escaped;
    }
  }
  return out;
}

// A finding: says what differed and stops, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "FUZZ FINDING: %s\n%s\n", what, detail.c_str());
  std::abort();
}

inline String ToText(const std::string& ascii) { return String(ascii.begin(), ascii.end()); }

}  // namespace hm::fuzz
