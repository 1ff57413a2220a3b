#include "standin/utf.h"

namespace hm {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one scalar value at bytes[0..length); sets `used` to the bytes it
// takes (1 for an invalid byte, which decodes as U+FFFD).
char32_t DecodeUtf8(const unsigned char* bytes, std::size_t length, std::size_t& used) {
  used = 1;
  const unsigned char lead = bytes[0];
  if (lead < 0x80) return lead;
  std::size_t extra = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, value = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, value = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, value = lead & 0x07u, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  if (extra >= length) return kReplacement;
  for (std::size_t i = 1; i <= extra; ++i) {
    if ((bytes[i] & 0xC0u) != 0x80u) return kReplacement;
    value = (value << 6) | (bytes[i] & 0x3Fu);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return kReplacement;
  used = extra + 1;
  return value;
}

bool ToUtf16(const char* bytes, std::size_t length, Char* out, int capacity, bool keepBytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes);
  int written = 0;
  for (std::size_t at = 0; at < length;) {
    std::size_t used = 0;
    char32_t value = DecodeUtf8(data + at, length - at, used);
    if (keepBytes && value == kReplacement && used == 1 && data[at] >= 0x80) value = 0xDC00 + data[at];
    const int units = value >= 0x10000 ? 2 : 1;
    if (written + units >= capacity) {
      out[written] = 0;
      return false;
    }
    if (units == 2) {
      out[written++] = static_cast<Char>(0xD800 + ((value - 0x10000) >> 10));
      out[written++] = static_cast<Char>(0xDC00 + ((value - 0x10000) & 0x3FF));
    } else {
      out[written++] = static_cast<Char>(value);
    }
    at += used;
  }
  out[written] = 0;
  return true;
}

bool ToUtf8(const Char* text, char* out, std::size_t capacity, bool keepBytes) {
  std::size_t written = 0;
  for (const Char* unit = text; *unit != 0; ++unit) {
    char32_t value = *unit;
    if (value >= 0xD800 && value <= 0xDBFF && unit[1] >= 0xDC00 && unit[1] <= 0xDFFF) {
      value = 0x10000 + ((value - 0xD800) << 10) + (unit[1] - 0xDC00u);
      ++unit;
    } else if (keepBytes && value >= 0xDC80 && value <= 0xDCFF) {
      if (written + 1 >= capacity) {
        if (capacity > 0) out[0] = 0;
        return false;
      }
      out[written++] = static_cast<char>(value - 0xDC00);
      continue;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
      value = kReplacement;
    }
    std::array<unsigned char, 4> encoded{};
    std::size_t count = 0;
    if (value < 0x80) {
      encoded[count++] = static_cast<unsigned char>(value);
    } else if (value < 0x800) {
      encoded[count++] = static_cast<unsigned char>(0xC0 | (value >> 6));
      encoded[count++] = static_cast<unsigned char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
      encoded[count++] = static_cast<unsigned char>(0xE0 | (value >> 12));
      encoded[count++] = static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F));
      encoded[count++] = static_cast<unsigned char>(0x80 | (value & 0x3F));
    } else {
      encoded[count++] = static_cast<unsigned char>(0xF0 | (value >> 18));
      encoded[count++] = static_cast<unsigned char>(0x80 | ((value >> 12) & 0x3F));
      encoded[count++] = static_cast<unsigned char>(0x80 | ((value >> 6) & 0x3F));
      encoded[count++] = static_cast<unsigned char>(0x80 | (value & 0x3F));
    }
    if (written + count >= capacity) {
      if (capacity > 0) out[0] = 0;
      return false;
    }
    for (std::size_t i = 0; i < count; ++i) out[written++] = static_cast<char>(encoded[i]);
  }
  if (capacity == 0) return false;
  out[written] = 0;
  return true;
}

}  // namespace

bool Utf8ToUtf16(const char* bytes, std::size_t length, Char* out, int capacity) {
  return ToUtf16(bytes, length, out, capacity, false);
}

bool Utf16ToUtf8(const Char* text, char* out, std::size_t capacity) { return ToUtf8(text, out, capacity, false); }

bool NameToUtf16(const char* bytes, std::size_t length, Char* out, int capacity) {
  return ToUtf16(bytes, length, out, capacity, true);
}

bool PathToUtf8(const Char* text, char* out, std::size_t capacity) { return ToUtf8(text, out, capacity, true); }

}  // namespace hm
