// UTF-8 <-> UTF-16 at the edge of the POSIX stand-ins.
#pragma once

#include <cstddef>

#include "scan/text.h"

namespace hm {

// Converts UTF-8 bytes to UTF-16 in `out` (capacity units, terminator
// included). A byte that does not start a valid sequence becomes U+FFFD, as
// Wine shows such names. Returns false, with the text cut at a whole
// character, when it does not fit.
bool Utf8ToUtf16(const char* bytes, std::size_t length, Char* out, int capacity);

// Converts UTF-16 to UTF-8 in `out` (capacity bytes, terminator included). A
// lone surrogate becomes U+FFFD. Returns false, with `out` holding "", when it
// does not fit.
bool Utf16ToUtf8(const Char* text, char* out, std::size_t capacity);

// File-system names keep every byte: a byte that is not UTF-8 becomes the
// lone surrogate U+DC80 + (byte - 0x80), which shows as U+FFFD wherever the
// text is converted for display above, and turns back into the same byte
// when a path is made of it. So a folder with such a name can be entered.
bool NameToUtf16(const char* bytes, std::size_t length, Char* out, int capacity);
bool PathToUtf8(const Char* text, char* out, std::size_t capacity);

}  // namespace hm
