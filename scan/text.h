// UTF-16 text in fixed buffers, as every routine of the program holds it.
#pragma once

#include <array>
#include <cstdint>

namespace hm {

// The program keeps UTF-16 everywhere. On Windows that is WCHAR, so texts go
// to the platform without a cast; on Linux wchar_t is 4 bytes, so the portable
// core uses char16_t there and the stand-ins convert at their edge.
#if defined(_WIN32)
using Char = wchar_t;
#define HM_TEXT(literal) L##literal
constexpr Char kSeparator = L'\\';
#else
using Char = char16_t;
#define HM_TEXT(literal) u##literal
constexpr Char kSeparator = u'/';
#endif
static_assert(sizeof(Char) == 2, "text is UTF-16 on every build");

// MAX_PATH: 259 units of text and the terminator.
constexpr int kTextUnits = 260;
using TextBuffer = std::array<Char, kTextUnits>;

// Length of a terminated text, counting at most `limit` units.
int TextLength(const Char* text, int limit = kTextUnits);

bool TextEquals(const Char* first, const Char* second);

// Copies `text` into `buffer` (capacity units, terminator included). A text
// that does not fit is refused whole: the buffer then holds "" and the result
// is false. Nothing is ever written past `capacity` units.
bool CopyText(Char* buffer, int capacity, const Char* text);

// Appends `tail` to the text already in `buffer`, refused whole when it does
// not fit (the buffer keeps its old text).
bool AppendText(Char* buffer, int capacity, const Char* tail);

// buffer = folder, a separator unless the folder already ends with one, then
// `name`. An empty folder has no last unit to test, so it gets the separator:
// the result is then "\name". Refused whole when it does not fit.
bool JoinPath(Char* buffer, int capacity, const Char* folder, const Char* name);

template <std::size_t N>
bool JoinPath(std::array<Char, N>& buffer, const Char* folder, const Char* name) {
  return JoinPath(buffer.data(), static_cast<int>(N), folder, name);
}

}  // namespace hm
