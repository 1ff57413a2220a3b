#include "tests/support/test_text.h"

#include <vector>

#include "standin/utf.h"

namespace hm::test {

String P(const char* text) {
  String result;
  for (const char* c = text; *c != 0; ++c) {
    result.push_back(*c == '\\' ? kSeparator : static_cast<Char>(static_cast<unsigned char>(*c)));
  }
  return result;
}

std::string Utf8(const Char* text) {
  std::vector<char> buffer(static_cast<std::size_t>(TextLength(text, 1 << 20)) * 3 + 1);
  Utf16ToUtf8(text, buffer.data(), buffer.size());
  return std::string(buffer.data());
}

std::string Utf8(const String& text) { return Utf8(text.c_str()); }

}  // namespace hm::test

namespace hm {
void PrintTo(const std::basic_string<Char>& text, std::ostream* out) { *out << '"' << test::Utf8(text) << '"'; }
}  // namespace hm
