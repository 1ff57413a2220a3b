// The two texts that describe a file's size, and the parse that orders by them.
#pragma once

#include <cstdint>

#include "scan/text.h"

namespace hm {

// "1.50 Kb": two decimals, binary multiples, unit chosen from the exact byte
// count. Rounded as "%.2f" is specified to round (17 significant digits first,
// then half up), computed in integers so every build prints the same text.
void FormatSizeText(std::uint64_t size, TextBuffer& out);

// The size in bytes as an unsigned decimal integer: "0", "4294967296".
void FormatBytesText(std::uint64_t size, TextBuffer& out);

// Reads a bytes text the way _wcstoi64 does in base 10: leading white space
// skipped, an optional sign, digits up to the first other unit, 0 when there
// are none, clamped to the signed 64-bit range.
std::int64_t ParseBytesText(const Char* text);

// Positive when the first text holds the smaller size, negative when the
// larger, 0 when equal: the order "largest first". Values compare unsigned.
int CompareBytesTexts(const Char* first, const Char* second);

}  // namespace hm
