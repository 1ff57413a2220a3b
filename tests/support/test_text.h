// Small helpers for writing texts and paths in tests.
#pragma once

#include <ostream>
#include <string>

#include "scan/text.h"

namespace hm::test {

using String = std::basic_string<Char>;

// Test paths are written with "\"; on POSIX builds the separator is "/".
String P(const char* text);

// The slash that is not this build's separator ("/" on Windows, "\" on POSIX).
constexpr char kOtherSlash = kSeparator == '\\' ? '/' : '\\';

std::string Utf8(const String& text);
std::string Utf8(const Char* text);

}  // namespace hm::test

namespace hm {
// Lets GoogleTest print UTF-16 texts in failure messages.
void PrintTo(const std::basic_string<Char>& text, std::ostream* out);
}  // namespace hm
