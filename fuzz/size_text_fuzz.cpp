// FormatSizeText over the whole 64-bit range, against an exact decimal
// computation of the rounding rule: the hardware's conversion to double, the
// double's exact value written out digit by digit, then 17 significant digits
// half up and two decimals half up on that digit string. Below 2^49 bytes the
// text must also equal the exact quotient rounded half up (128-bit integers).
//
// Input header: mode a b c.
//   0: size a                      3: boundary[a] + b
//   1: odd a << (shift[b] - 3)     4: just below the tie under hundredth a,
//      (an exact tie at shift[b])     shift[b], moved by c
//   2: 2^(a % 64) + b
// Each input checks its size and the two next to it.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/size_text.h"

namespace hm::fuzz {
namespace {

struct UnitRule {
  int shift;
  const char* name;
};

UnitRule UnitFor(std::uint64_t size) {
  if (size < (std::uint64_t{1} << 10)) return {0, "Bt"};
  if (size < (std::uint64_t{1} << 20)) return {10, "Kb"};
  if (size < (std::uint64_t{1} << 30)) return {20, "Mb"};
  return {30, "Gb"};
}

// Decimal digits, most significant first.
std::string DecimalOf(std::uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  return digits;
}

void MultiplyDigits(std::string& digits, int factor) {
  int carry = 0;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    const int product = (*it - '0') * factor + carry;
    *it = static_cast<char>('0' + product % 10);
    carry = product / 10;
  }
  while (carry != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
}

// Adds one at digits[position], carrying to the left; digits[0] must be a
// spare leading zero so the carry always has room.
void IncrementAt(std::string& digits, std::size_t position) {
  for (std::size_t at = position + 1; at-- > 0;) {
    if (digits[at] == '9') {
      digits[at] = '0';
    } else {
      ++digits[at];
      return;
    }
  }
  Fail("oracle", "carry ran out of room");
}

std::string ExpectedByRule(std::uint64_t size) {
  const UnitRule unit = UnitFor(size);
  const double value = static_cast<double>(size);  // round to nearest, ties to even
  int binaryExponent = 0;
  const double fraction = std::frexp(value, &binaryExponent);
  const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
  const int exponent = binaryExponent - 53 - unit.shift;  // value / 2^shift = mantissa * 2^exponent

  // Exact decimal: mantissa * 2^exponent = digits / 10^fractionDigits.
  std::string digits = DecimalOf(mantissa);
  std::size_t fractionDigits = 0;
  if (exponent >= 0) {
    for (int i = 0; i < exponent; ++i) MultiplyDigits(digits, 2);
  } else {
    for (int i = 0; i < -exponent; ++i) MultiplyDigits(digits, 5);
    fractionDigits = static_cast<std::size_t>(-exponent);
  }
  while (digits.size() < fractionDigits + 1) digits.insert(digits.begin(), '0');
  digits.insert(digits.begin(), '0');                             // room for a carry
  digits.append(40, '0');                                         // digits past the exact ones are zero
  const std::size_t point = digits.size() - 40 - fractionDigits;  // digits before the point

  // Step 1: 17 significant digits, half up at the eighteenth.
  const std::size_t first = digits.find_first_not_of('0');
  if (first != std::string::npos) {
    const std::size_t last = first + 16;
    const bool up = digits[last + 1] >= '5';
    for (std::size_t at = last + 1; at < digits.size(); ++at) digits[at] = '0';
    if (up) IncrementAt(digits, last);
  }
  // Step 2: the third decimal decides.
  const bool up = digits[point + 2] >= '5';
  for (std::size_t at = point + 2; at < digits.size(); ++at) digits[at] = '0';
  if (up) IncrementAt(digits, point + 1);

  std::string whole = digits.substr(0, point);
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size() - 1));
  return whole + "." + digits.substr(point, 2) + " " + unit.name;
}

// Below 2^49 bytes: the exact quotient size / 2^shift rounded half up.
std::string ExpectedByQuotient(std::uint64_t size) {
  const UnitRule unit = UnitFor(size);
  using Wide = unsigned __int128;
  const Wide hundredths = (Wide{size} * 200 + (Wide{1} << unit.shift)) >> (unit.shift + 1);
  const auto whole = static_cast<std::uint64_t>(hundredths / 100);
  const auto cents = static_cast<unsigned>(hundredths % 100);
  char text[64];
  std::snprintf(text, sizeof text, "%llu.%02u %s", static_cast<unsigned long long>(whole), cents, unit.name);
  return text;
}

// The output sits in a larger record: a write past the 260 units lands on
// the canary (ASan sees nothing inside one object).
struct GuardedText {
  TextBuffer text;
  std::array<Char, 64> canary;
};
constexpr Char kCanary = 0xA5A5;

void CheckSize(std::uint64_t size) {
  GuardedText out;
  out.text.fill(0xFFFF);
  out.canary.fill(kCanary);
  FormatSizeText(size, out.text);
  for (Char unit : out.canary) {
    if (unit != kCanary) Fail("write past the 260-unit buffer", std::to_string(size));
  }
  bool terminated = false;
  const String got = TextIn(out.text.data(), out.text.size(), &terminated);
  if (!terminated) Fail("no terminator within 260 units", std::to_string(size));
  const std::string expected = ExpectedByRule(size);
  if (got != ToText(expected)) {
    Fail("size text differs from the exact rule",
         "size " + std::to_string(size) + ": got \"" + Printable(got) + "\", expected \"" + expected + "\"");
  }
  if (size < (std::uint64_t{1} << 49) && expected != ExpectedByQuotient(size)) {
    Fail("rule and exact quotient disagree below 2^49", std::to_string(size) + ": " + expected);
  }
}

// The oracle itself must give the worked examples of the rule.
void CheckOracle() {
  struct Example {
    std::uint64_t size;
    const char* text;
  };
  static const Example kExamples[] = {
      {0, "0.00 Bt"},
      {1023, "1023.00 Bt"},
      {1024, "1.00 Kb"},
      {1536, "1.50 Kb"},
      {1152, "1.13 Kb"},
      {1664, "1.63 Kb"},
      {1048570, "1023.99 Kb"},
      {1048571, "1024.00 Kb"},
      {1048575, "1024.00 Kb"},
      {1048576, "1.00 Mb"},
      {1073741823, "1024.00 Mb"},
      {1073741824, "1.00 Gb"},
      {4294967296, "4.00 Gb"},
      {1099511627776, "1024.00 Gb"},
      {UINT64_MAX, "17179869184.00 Gb"},
  };
  for (const Example& example : kExamples) {
    if (ExpectedByRule(example.size) != example.text) {
      Fail("oracle misses a worked example", std::to_string(example.size) + ": " + ExpectedByRule(example.size));
    }
  }
}

std::uint64_t SizeFrom(const FuzzInput& input) {
  static const int kShifts[] = {10, 20, 30};
  static const std::uint64_t kBoundaries[] = {
      0,
      std::uint64_t{1} << 10,
      std::uint64_t{1} << 20,
      std::uint64_t{1} << 30,
      std::uint64_t{1} << 32,
      std::uint64_t{1} << 49,
      std::uint64_t{1} << 53,
      std::uint64_t{1} << 54,
      std::uint64_t{1} << 63,
      UINT64_MAX,
  };
  const std::uint64_t a = input.Number(1);
  const std::uint64_t b = input.Number(2);
  const std::uint64_t c = input.Number(3);
  switch (input.Number(0) % 5) {
    case 1:
      return (a | 1) << (kShifts[b % 3] - 3);
    case 2:
      return (std::uint64_t{1} << (a % 64)) + b;
    case 3:
      return kBoundaries[a % (sizeof kBoundaries / sizeof kBoundaries[0])] + b;
    case 4: {
      // (2a - 1) / 200 * 2^shift is the size whose value ends in exactly 5 at
      // the third decimal below hundredth a.
      const int shift = kShifts[b % 3];
      using Wide = unsigned __int128;
      const Wide tie = ((Wide{a} * 2 - 1) << shift) / 200;
      return static_cast<std::uint64_t>(tie) + c;
    }
    default:
      return a;
  }
}

}  // namespace
}  // namespace hm::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  hm::fuzz::CheckOracle();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const hm::fuzz::FuzzInput input = hm::fuzz::ReadFuzzInput(data, size);
  const std::uint64_t bytes = hm::fuzz::SizeFrom(input);
  hm::fuzz::CheckSize(bytes - 1);
  hm::fuzz::CheckSize(bytes);
  hm::fuzz::CheckSize(bytes + 1);
  return 0;
}
