#include "settings/stored_path.h"

namespace hm {

void BuildSettingsKeyPath(const TextBuffer& title, TextBuffer& keyPath) {
  static constexpr Char kVendorKey[] = HM_TEXT("SOFTWARE\\Tovarik\\");
  // A cut title would name another key, and the vendor key alone is not ours.
  if (title[0] == 0 || !CopyText(keyPath.data(), kTextUnits, kVendorKey) ||
      !AppendText(keyPath.data(), kTextUnits, title.data())) {
    keyPath[0] = 0;
  }
}

bool DecideRestoredPath(std::uint32_t type, const TextBuffer& data, std::uint32_t byteCount, TextBuffer& path) {
  path[0] = 0;
  if (type != kValueTypeSz || byteCount > kStoredPathBytes) return false;
  // Whole units only, and no further than the bytes received.
  const int units = static_cast<int>(byteCount / sizeof(Char));
  const int length = TextLength(data.data(), units);
  if (length >= kTextUnits) return false;  // no room left for the terminator
  const Char* text = data.data();
  Char* out = path.data();
  for (int index = 0; index < length; ++index) out[index] = text[index];
  out[length] = 0;
  return true;
}

}  // namespace hm
