// The stored root path: where its key lies and what a stored value gives the
// path edit. Pure rules, built on every platform; the registry calls are in
// settings/registry_settings.cpp.
#pragma once

#include <cstdint>

#include "scan/text.h"

namespace hm {

// Registry value types, numbered as the platform numbers them (REG_SZ ...).
// The portable build has no windows.h, so they are spelt out here.
constexpr std::uint32_t kValueTypeSz = 1;
constexpr std::uint32_t kValueTypeExpandSz = 2;
constexpr std::uint32_t kValueTypeBinary = 3;
constexpr std::uint32_t kValueTypeDword = 4;

// The value is read into one text buffer: 260 units, 520 bytes.
constexpr std::uint32_t kStoredPathBytes = kTextUnits * sizeof(Char);

// keyPath = "SOFTWARE\Tovarik\" + title. An empty title, or one that does not
// fit (more than 242 units, or no terminator within its buffer), is refused
// whole: keyPath is then "", so no key is opened rather than a wrong one.
void BuildSettingsKeyPath(const TextBuffer& title, TextBuffer& keyPath);

// What a queried value gives the path edit. `data` holds the `byteCount`
// bytes the query received; anything after them in the buffer is never read.
// Returns true when the edit gets the text now in `path`; false leaves the
// edit alone (and `path` holds "").
//  - Only type REG_SZ counts; every other type is ignored.
//  - More than 520 bytes is ignored (the query fails on those anyway).
//  - Only whole units count: the last byte of an odd count is dropped.
//  - The text ends at its first zero unit or, without one, at the last whole
//    unit received. So an empty value (0 bytes) gives "", "C:" 0 "x" gives
//    "C:", and an unterminated "C:\a" gives "C:\a".
//  - A text of 260 units or more (only possible as 520 bytes without a zero)
//    does not fit the 260-unit buffer with its terminator and is ignored, never
//    cut.
bool DecideRestoredPath(std::uint32_t type, const TextBuffer& data, std::uint32_t byteCount, TextBuffer& path);

}  // namespace hm
