#include "scan/text.h"

namespace hm {

int TextLength(const Char* text, int limit) {
  int length = 0;
  while (length < limit && text[length] != 0) ++length;
  return length;
}

bool TextEquals(const Char* first, const Char* second) {
  for (;; ++first, ++second) {
    if (*first != *second) return false;
    if (*first == 0) return true;
  }
}

bool CopyText(Char* buffer, int capacity, const Char* text) {
  if (capacity <= 0) return false;
  buffer[0] = 0;
  return AppendText(buffer, capacity, text);
}

bool AppendText(Char* buffer, int capacity, const Char* tail) {
  const int used = TextLength(buffer, capacity);
  if (used >= capacity) return false;  // no terminator within the buffer
  int length = 0;
  for (; tail[length] != 0; ++length) {
    if (used + length + 1 >= capacity) {
      buffer[used] = 0;  // refused whole: the old text stays
      return false;
    }
    buffer[used + length] = tail[length];
  }
  buffer[used + length] = 0;
  return true;
}

bool JoinPath(Char* buffer, int capacity, const Char* folder, const Char* name) {
  static constexpr Char kSeparatorText[] = {kSeparator, 0};
  if (!CopyText(buffer, capacity, folder)) return false;
  const int length = TextLength(buffer, capacity);
  const bool endsWithSeparator = length > 0 && buffer[length - 1] == kSeparator;
  if ((!endsWithSeparator && !AppendText(buffer, capacity, kSeparatorText)) || !AppendText(buffer, capacity, name)) {
    buffer[0] = 0;
    return false;
  }
  return true;
}

}  // namespace hm
