// The size text and the bytes text of a row, and the parse that orders rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <random>

#include "scan/size_text.h"
#include "tests/support/param_name.h"
#include "tests/support/test_text.h"

namespace hm::test {
namespace {

struct SizeCase {
  const char* label;
  std::uint64_t size;
  const char* sizeText;
  const char* bytesText;
};

// The expected texts of the extremes were worked out independently with
// exact decimal arithmetic.
const SizeCase kSizeCases[] = {
    {"EmptyFile", 0, "0.00 Bt", "0"},
    {"LargestInBytes", 1023, "1023.00 Bt", "1023"},
    {"OneKb", 1024, "1.00 Kb", "1024"},
    {"OneAndHalfKb", 1536, "1.50 Kb", "1536"},
    {"TieRoundsUp1125", 1152, "1.13 Kb", "1152"},
    {"TieRoundsUp1625", 1664, "1.63 Kb", "1664"},
    {"JustBelowCarry", 1048570, "1023.99 Kb", "1048570"},
    {"CarryStaysKb", 1048571, "1024.00 Kb", "1048571"},
    {"LargestInKb", 1048575, "1024.00 Kb", "1048575"},
    {"OneMb", 1048576, "1.00 Mb", "1048576"},
    {"LargestInMb", 1073741823, "1024.00 Mb", "1073741823"},
    {"OneGb", 1073741824, "1.00 Gb", "1073741824"},
    {"HighHalfSet", 4294967296, "4.00 Gb", "4294967296"},
    {"OneTiBStaysGb", 1099511627776, "1024.00 Gb", "1099511627776"},
    {"Below2Pow49", 562949953421311, "524288.00 Gb", "562949953421311"},
    {"TwoPow53Minus1", 9007199254740991, "8388608.00 Gb", "9007199254740991"},
    {"TwoPow53", 9007199254740992, "8388608.00 Gb", "9007199254740992"},
    {"TwoPow53Plus1", 9007199254740993, "8388608.00 Gb", "9007199254740993"},
    {"TwoPow63NotNegative", 9223372036854775808u, "8589934592.00 Gb", "9223372036854775808"},
    {"SeventeenDigitsCarryOntoTie", 10737418240026843136u, "10000000000.03 Gb", "10737418240026843136"},
    {"Largest", UINT64_MAX, "17179869184.00 Gb", "18446744073709551615"},
};

class SizeTexts : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeTexts, MatchTheRule) {
  const SizeCase& c = GetParam();
  TextBuffer text{};
  FormatSizeText(c.size, text);
  EXPECT_EQ(String(text.data()), P(c.sizeText));
  FormatBytesText(c.size, text);
  EXPECT_EQ(String(text.data()), P(c.bytesText));
}

INSTANTIATE_TEST_SUITE_P(Table, SizeTexts, ::testing::ValuesIn(kSizeCases), LabelName());

// Below 2^49 bytes the text is the exact quotient rounded half up at the
// second decimal; integer arithmetic gives that independently.
std::string ExactHalfUp(std::uint64_t size) {
  int shift = 30;
  const char* unit = "Gb";
  if (size < 1024) {
    shift = 0, unit = "Bt";
  } else if (size < 1048576) {
    shift = 10, unit = "Kb";
  } else if (size < 1073741824) {
    shift = 20, unit = "Mb";
  }
  const std::uint64_t scaled = size * 100;
  const std::uint64_t hundredths = shift == 0 ? scaled : (scaled + (std::uint64_t{1} << (shift - 1))) >> shift;
  char text[40];
  std::snprintf(text, sizeof text, "%llu.%02llu %s", static_cast<unsigned long long>(hundredths / 100),
                static_cast<unsigned long long>(hundredths % 100), unit);
  return text;
}

TEST(SizeTextsAgainstExactQuotient, RandomSizesNearEveryBoundaryAndTie) {
  std::mt19937_64 random(20261211);
  int checked = 0;
  for (int round = 0; round < 200000; ++round) {
    const int bits = 1 + static_cast<int>(random() % 48);
    std::uint64_t size = random() & ((std::uint64_t{1} << bits) - 1);
    if (round % 4 == 0) {
      // Land on or next to the tie between two hundredths of a unit.
      const int shift = 10 * static_cast<int>(1 + random() % 3);
      const std::uint64_t hundredths = 1 + random() % 102400;
      size = (((2 * hundredths + 1) << shift) / 200) + random() % 3 - 1;
    }
    TextBuffer text{};
    FormatSizeText(size, text);
    ASSERT_EQ(Utf8(text.data()), ExactHalfUp(size)) << "size " << size;
    ++checked;
  }
  EXPECT_EQ(checked, 200000);
}

struct ParseCase {
  const char* label;
  const char* text;
  std::int64_t value;
};

const ParseCase kParseCases[] = {
    {"Zero", "0", 0},
    {"Plain", "1536", 1536},
    {"LeadingZeros", "00012", 12},
    {"LeadingSpaces", "  42", 42},
    {"LeadingTabAndNewline", "\t\n7", 7},
    {"PlusSign", "+5", 5},
    {"MinusSign", "-5", -5},
    {"StopsAtNonDigit", "12abc", 12},
    {"NoDigits", "abc", 0},
    {"Empty", "", 0},
    {"SignWithoutDigits", "- 5", 0},
    {"Above32Bits", "4294967296", 4294967296},
    {"LargestSigned", "9223372036854775807", INT64_MAX},
    {"OneAboveClamps", "9223372036854775808", INT64_MAX},
    {"LargestUnsignedClamps", "18446744073709551615", INT64_MAX},
    {"SmallestSigned", "-9223372036854775808", INT64_MIN},
    {"BelowSmallestClamps", "-9223372036854775809", INT64_MIN},
};

class BytesTextParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BytesTextParse, FollowsWcstoi64) { EXPECT_EQ(ParseBytesText(P(GetParam().text).c_str()), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(Table, BytesTextParse, ::testing::ValuesIn(kParseCases), LabelName());

TEST(CompareBytesTexts, LargestFirstComparedUnsigned) {
  EXPECT_GT(CompareBytesTexts(P("4294967295").c_str(), P("4294967296").c_str()), 0);
  EXPECT_LT(CompareBytesTexts(P("4294967296").c_str(), P("4294967295").c_str()), 0);
  EXPECT_EQ(CompareBytesTexts(P("3000").c_str(), P("3000").c_str()), 0);
  EXPECT_GT(CompareBytesTexts(P("0").c_str(), P("1").c_str()), 0);
  // A negative value compares as a huge unsigned one.
  EXPECT_LT(CompareBytesTexts(P("-1").c_str(), P("5").c_str()), 0);
  // Sizes from 2^63 up all parse to the clamp and compare equal.
  EXPECT_EQ(CompareBytesTexts(P("18446744073709551615").c_str(), P("9223372036854775808").c_str()), 0);
}

}  // namespace
}  // namespace hm::test
