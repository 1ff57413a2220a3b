#include "scan/size_text.h"

#include <array>

namespace hm {
namespace {

struct SizeUnit {
  std::uint64_t below;  // the unit applies to sizes below this count
  int shift;            // value = size × 2^-shift
  Char name[3];
};

constexpr std::array<SizeUnit, 4> kSizeUnits{{
    {1024u, 0, HM_TEXT("Bt")},
    {1048576u, 10, HM_TEXT("Kb")},
    {1073741824u, 20, HM_TEXT("Mb")},
    {UINT64_MAX, 30, HM_TEXT("Gb")},  // and every size from 2^30 up
}};

constexpr std::uint64_t PowerOfTen(int exponent) {
  std::uint64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

int DecimalDigits(std::uint64_t value) {
  int digits = 1;
  while (value >= 10) {
    value /= 10;
    ++digits;
  }
  return digits;
}

// Writes `value` in decimal at `out`, at least `minDigits` digits; returns the
// position after the last digit.
Char* WriteDecimal(Char* out, std::uint64_t value, int minDigits) {
  std::array<Char, 20> reversed{};
  std::size_t count = 0;
  do {
    reversed[count++] = static_cast<Char>('0' + value % 10);
    value /= 10;
  } while (value != 0 || count < static_cast<std::size_t>(minDigits));
  while (count > 0) *out++ = reversed[--count];
  return out;
}

// The size rounded to the nearest double (ties to even, as the conversion
// does) as mantissa × 2^exponent, with mantissa < 2^53 and exponent >= 0.
void RoundToDouble(std::uint64_t size, std::uint64_t& mantissa, int& exponent) {
  constexpr std::uint64_t kMantissaLimit = std::uint64_t{1} << 53;
  mantissa = size;
  exponent = 0;
  if (size < kMantissaLimit) return;
  int bits = 64;
  while ((size >> (bits - 1)) == 0) --bits;
  exponent = bits - 53;
  mantissa = size >> exponent;
  const std::uint64_t rest = size & ((std::uint64_t{1} << exponent) - 1);
  const std::uint64_t half = std::uint64_t{1} << (exponent - 1);
  if (rest > half || (rest == half && (mantissa & 1) != 0)) ++mantissa;
  if (mantissa == kMantissaLimit) {
    mantissa >>= 1;
    ++exponent;
  }
}

}  // namespace

void FormatSizeText(std::uint64_t size, TextBuffer& out) {
  const SizeUnit* unit = &kSizeUnits.back();
  for (const SizeUnit& candidate : kSizeUnits) {
    if (size < candidate.below) {
      unit = &candidate;
      break;
    }
  }

  // value = mantissa × 2^(exponent - shift); the exponent is never above the
  // shift (sizes from 2^53 up are in "Gb"), so the value is an integer part
  // plus a binary fraction of at most 30 bits.
  std::uint64_t mantissa = 0;
  int exponent = 0;
  RoundToDouble(size, mantissa, exponent);
  const int fractionBits = unit->shift - exponent;
  const std::uint64_t whole = mantissa >> fractionBits;
  const std::uint64_t fractionMask = (std::uint64_t{1} << fractionBits) - 1;
  std::uint64_t fraction = mantissa & fractionMask;

  // Step 1: 17 significant digits, half up at the eighteenth. The whole part
  // is at most 2^34, so at least six decimals are kept and the digits fit.
  const int decimals = whole == 0 ? 16 : 17 - DecimalDigits(whole);
  std::uint64_t digits = whole;
  int nextDigit = 0;
  for (int i = 0; i <= decimals; ++i) {
    fraction *= 10;
    const int digit = static_cast<int>(fraction >> fractionBits);
    fraction &= fractionMask;
    if (i < decimals) {
      digits = digits * 10 + static_cast<std::uint64_t>(digit);
    } else {
      nextDigit = digit;
    }
  }
  if (nextDigit >= 5) ++digits;

  // Step 2: the digit after the second decimal decides, 5 and up rounding up;
  // the carry runs through any 9s into the whole part.
  std::uint64_t hundredths = digits / PowerOfTen(decimals - 2);
  if ((digits / PowerOfTen(decimals - 3)) % 10 >= 5) ++hundredths;

  Char* cursor = WriteDecimal(out.data(), hundredths / 100, 1);
  *cursor++ = '.';
  cursor = WriteDecimal(cursor, hundredths % 100, 2);
  *cursor++ = ' ';
  *cursor++ = unit->name[0];
  *cursor++ = unit->name[1];
  *cursor = 0;
}

void FormatBytesText(std::uint64_t size, TextBuffer& out) { *WriteDecimal(out.data(), size, 1) = 0; }

std::int64_t ParseBytesText(const Char* text) {
  while (*text == ' ' || (*text >= 0x09 && *text <= 0x0D)) ++text;
  bool negative = false;
  if (*text == '-' || *text == '+') negative = *text++ == '-';
  // Accumulate the magnitude, stopping the growth once it passes the limit.
  constexpr std::uint64_t kPositiveLimit = INT64_MAX;
  constexpr std::uint64_t kNegativeLimit = kPositiveLimit + 1;
  const std::uint64_t limit = negative ? kNegativeLimit : kPositiveLimit;
  std::uint64_t magnitude = 0;
  bool overflow = false;
  for (; *text >= '0' && *text <= '9'; ++text) {
    const auto digit = static_cast<std::uint64_t>(*text - '0');
    if (overflow || magnitude > (limit - digit) / 10) {
      overflow = true;
    } else {
      magnitude = magnitude * 10 + digit;
    }
  }
  if (overflow) return negative ? INT64_MIN : INT64_MAX;
  if (negative) return magnitude == kNegativeLimit ? INT64_MIN : -static_cast<std::int64_t>(magnitude);
  return static_cast<std::int64_t>(magnitude);
}

int CompareBytesTexts(const Char* first, const Char* second) {
  const auto a = static_cast<std::uint64_t>(ParseBytesText(first));
  const auto b = static_cast<std::uint64_t>(ParseBytesText(second));
  if (a < b) return 1;
  if (a > b) return -1;
  return 0;
}

}  // namespace hm
