#include "settings/registry_settings.h"

#include <windows.h>

#include "settings/stored_path.h"

namespace hm {

static_assert(kValueTypeSz == REG_SZ && kValueTypeExpandSz == REG_EXPAND_SZ && kValueTypeBinary == REG_BINARY &&
                  kValueTypeDword == REG_DWORD,
              "the portable value types are the registry's");
static_assert(sizeof(TextBuffer) == kStoredPathBytes, "the value is read into one text buffer");

namespace {
constexpr wchar_t kValueName[] = L"path";
}  // namespace

void LoadSettings(AppState& state) {
  TextBuffer keyPath{};
  BuildSettingsKeyPath(state.title, keyPath);
  if (keyPath[0] == 0) return;
  // "No key" is nullptr until RegOpenKeyExW succeeds.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.data(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  TextBuffer data{};
  DWORD type = REG_NONE;
  DWORD byteCount = kStoredPathBytes;
  const LSTATUS status =
      RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &byteCount);
  TextBuffer path{};
  if (status == ERROR_SUCCESS && DecideRestoredPath(type, data, byteCount, path)) {
    SetWindowTextW(state.pathEdit, path.data());
  }
  RegCloseKey(key);
}

void SaveSettings(AppState& state) {
  TextBuffer keyPath{};
  BuildSettingsKeyPath(state.title, keyPath);
  if (keyPath[0] == 0) return;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  // GetWindowTextW cuts a longer text to 259 units and always terminates it.
  TextBuffer path{};
  GetWindowTextW(state.pathEdit, path.data(), kTextUnits);
  const int length = lstrlenW(path.data());
  RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.data()),
                 static_cast<DWORD>(2 * length + 2));
  RegCloseKey(key);
}

}  // namespace hm
