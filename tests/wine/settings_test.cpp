// The stored root path against the real registry: each test has its own key,
// HKEY_CURRENT_USER\SOFTWARE\Tovarik\HulkmeterTest-<test>, made fresh and
// deleted afterwards, and a real edit control as the path edit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include <ostream>
#include <string>
#include <vector>

#include "settings/registry_settings.h"
#include "settings/stored_path.h"
#include "tests/support/param_name.h"

namespace hm::test {
namespace {

// Put into the edit before LoadSettings: still there afterwards means the
// edit was left alone (an empty text would not tell "left alone" from "set to
// an empty text").
constexpr wchar_t kUntouched[] = L"untouched";

// Anything but a zero: the registry adds a terminator that the caller "forgot"
// when the unit after the data is zero, so unterminated data needs this after it.
constexpr wchar_t kPadding = L'#';

struct StoredValue {
  bool exists;
  DWORD type;
  std::vector<BYTE> bytes;
};

std::wstring Widen(const char* text) {
  std::wstring wide;
  for (const char* c = text; *c != 0; ++c) wide.push_back(*c == '/' ? L'-' : static_cast<wchar_t>(*c));
  return wide;
}

// A path of `units` units: "C:\" then folder names of letters.
std::wstring SamplePath(int units) {
  std::wstring path;
  for (int index = 0; index < units; ++index) {
    if (index < 3) {
      path.push_back(L"C:\\"[index]);
    } else {
      path.push_back(index % 9 == 0 ? L'\\' : static_cast<wchar_t>(L'a' + index % 26));
    }
  }
  return path;
}

// The bytes of a REG_SZ value holding `text`: its units and the terminator.
std::vector<BYTE> TextBytes(const std::wstring& text) {
  const BYTE* first = reinterpret_cast<const BYTE*>(text.c_str());
  return std::vector<BYTE>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

std::wstring EditText(HWND edit) {
  std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1);
  GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
  return text.data();
}

bool KeyExists(const std::wstring& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

StoredValue ReadValue(HKEY root, const std::wstring& keyPath) {
  StoredValue value{false, REG_NONE, {}};
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExW(key, L"path", nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.bytes.resize(size);
    value.exists = RegQueryValueExW(key, L"path", nullptr, &value.type, value.bytes.data(), &size) == ERROR_SUCCESS;
    value.bytes.resize(size);
  }
  RegCloseKey(key);
  return value;
}

void WriteValue(const std::wstring& keyPath, DWORD type, const void* data, DWORD byteCount) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(key, L"path", 0, type, static_cast<const BYTE*>(data), byteCount), ERROR_SUCCESS);
  RegCloseKey(key);
}

void WriteText(const std::wstring& keyPath, const std::wstring& text) {
  WriteValue(keyPath, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// Sets the key's DACL to one entry for everyone: `access`, or no DACL at all
// (full access) when `access` is 0. The owner may always change the DACL.
LONG SetKeyAccess(const std::wstring& keyPath, DWORD access) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, WRITE_DAC, &key);
  if (status != ERROR_SUCCESS) return status;
  SID_IDENTIFIER_AUTHORITY worldAuthority = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&worldAuthority, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(DWORD) BYTE aclBuffer[128] = {};
  ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
  InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION);
  AddAccessAllowedAce(acl, ACL_REVISION, access, everyone);
  SECURITY_DESCRIPTOR descriptor{};
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, access == 0 ? nullptr : acl, FALSE);
  status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  FreeSid(everyone);
  RegCloseKey(key);
  return status;
}

// Wine hands out the lowest free handle value, so a key that a routine leaves
// open shows as another value for the next handle opened.
HKEY NextHandleValue() {
  HKEY key = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key);
  RegCloseKey(key);
  return key;
}

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    title_ = L"HulkmeterTest-" + Widen(info->test_suite_name()) + L"-" + Widen(info->name());
    ASSERT_LE(title_.size(), 99u) << "the program's title is at most 99 units";
    UseTitle(title_);
    keyPath_ = L"SOFTWARE\\Tovarik\\" + title_;
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
    ASSERT_FALSE(KeyExists(keyPath_));

    window_ = CreateWindowExW(0, L"STATIC", title_.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 500, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 400, 24, window_,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(1001)), GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit_, nullptr);
    state_.mainWindow = window_;
    state_.pathEdit = edit_;
  }

  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    SetKeyAccess(keyPath_, 0);  // a read-only key cannot be deleted
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
  }

  void UseTitle(const std::wstring& title) {
    state_.title.fill(0);
    ASSERT_LT(title.size(), state_.title.size());
    title.copy(state_.title.data(), title.size());
  }

  // The routines under test, each checked for a key left open.
  void Load() {
    const HKEY next = NextHandleValue();
    LoadSettings(state_);
    EXPECT_EQ(NextHandleValue(), next) << "LoadSettings left a handle open";
  }

  void Save() {
    const HKEY next = NextHandleValue();
    SaveSettings(state_);
    EXPECT_EQ(NextHandleValue(), next) << "SaveSettings left a handle open";
  }

  void SetEditText(const std::wstring& text) {
    SetWindowTextW(edit_, text.c_str());
    ASSERT_EQ(EditText(edit_), text);
  }

  AppState state_{};
  std::wstring title_;
  std::wstring keyPath_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

TEST_F(Settings, FirstRunRestoresNothingAndSaveCreatesTheValue) {
  SetEditText(kUntouched);
  Load();
  EXPECT_EQ(EditText(edit_), kUntouched);
  EXPECT_FALSE(KeyExists(keyPath_)) << "loading creates no key";

  SetEditText(L"D:\\Data");
  Save();
  const StoredValue value = ReadValue(HKEY_CURRENT_USER, keyPath_);
  ASSERT_TRUE(value.exists);
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes.size(), 2u * 7 + 2);
  EXPECT_EQ(value.bytes, TextBytes(L"D:\\Data"));
}

// Saved by SaveSettings, then restored by LoadSettings into an edit that holds
// something else.
struct RoundTripCase {
  const char* label;
  const wchar_t* text;  // nullptr: a sample path of `units` units
  int units;
  int storedUnits;  // the first units of the text that are stored and restored
};

// Failure messages name the case, not its bytes.
void PrintTo(const RoundTripCase& c, std::ostream* out) { *out << c.label; }

const RoundTripCase kRoundTripCases[] = {
    {"NormalPath", L"C:\\Data\\Sub", 0, 11},
    {"NonAsciiPath", L"C:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600", 0, 16},
    {"EmptyText", L"", 0, 0},
    {"Exactly259Units", nullptr, 259, 259},
    {"Typed260UnitsCutTo259", nullptr, 260, 259},
    {"Typed300UnitsCutTo259", nullptr, 300, 259},
};

class SettingsRoundTrip : public Settings, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SettingsRoundTrip, StoresFirst259UnitsAndRestoresThem) {
  const RoundTripCase& c = GetParam();
  const std::wstring typed = c.text != nullptr ? std::wstring(c.text) : SamplePath(c.units);
  const std::wstring stored = typed.substr(0, static_cast<std::size_t>(c.storedUnits));
  SetEditText(typed);

  Save();
  const StoredValue value = ReadValue(HKEY_CURRENT_USER, keyPath_);
  ASSERT_TRUE(value.exists);
  EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value.bytes.size(), 2u * stored.size() + 2);
  EXPECT_EQ(value.bytes, TextBytes(stored));

  SetEditText(kUntouched);
  Load();
  EXPECT_EQ(EditText(edit_), stored);
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsRoundTrip, ::testing::ValuesIn(kRoundTripCases), LabelName());

// A value put there by someone else: what LoadSettings makes of it, and that
// SaveSettings then stores the edit's text as REG_SZ in its place.
struct StoredCase {
  const char* label;
  DWORD type;
  int units;          // sample path units at the start of the data
  int zeroAt;         // a zero unit there, -1 for none
  DWORD byteCount;    // of the value
  int restoredUnits;  // -1: the edit is left alone
};

void PrintTo(const StoredCase& c, std::ostream* out) { *out << c.label; }

const StoredCase kStoredCases[] = {
    {"Sz", REG_SZ, 11, 11, 24, 11},
    {"SzEmpty", REG_SZ, 0, 0, 2, 0},
    {"Sz259Units", REG_SZ, 259, 259, 520, 259},
    {"Sz260Units", REG_SZ, 260, 260, 522, -1},
    {"Sz300Units", REG_SZ, 300, 300, 602, -1},
    {"Sz260UnitsUnterminated", REG_SZ, 260, -1, 520, -1},
    {"ExpandSz", REG_EXPAND_SZ, 11, 11, 24, -1},
    {"Binary", REG_BINARY, 11, 11, 24, -1},
    {"Dword", REG_DWORD, 2, -1, 4, -1},
    {"SzUnterminated", REG_SZ, 11, -1, 22, 11},
    {"SzOddByteCount", REG_SZ, 11, -1, 23, 11},
    {"SzZeroBytes", REG_SZ, 11, -1, 0, 0},
    {"SzEmbeddedZero", REG_SZ, 11, 2, 24, 2},
};

class SettingsStoredValue : public Settings, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(SettingsStoredValue, RestoredWholeOrIgnored) {
  const StoredCase& c = GetParam();
  const std::wstring sample = SamplePath(c.units);
  std::vector<wchar_t> data(sample.begin(), sample.end());
  data.resize(400, kPadding);
  if (c.zeroAt >= 0) data[static_cast<std::size_t>(c.zeroAt)] = 0;
  WriteValue(keyPath_, c.type, data.data(), c.byteCount);
  const StoredValue written = ReadValue(HKEY_CURRENT_USER, keyPath_);
  ASSERT_EQ(written.bytes.size(), c.byteCount) << "the registry stored other data than given";

  SetEditText(kUntouched);
  Load();
  const std::wstring expected =
      c.restoredUnits < 0 ? std::wstring(kUntouched) : sample.substr(0, static_cast<std::size_t>(c.restoredUnits));
  EXPECT_EQ(EditText(edit_), expected);

  Save();
  const StoredValue saved = ReadValue(HKEY_CURRENT_USER, keyPath_);
  EXPECT_EQ(saved.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(saved.bytes, TextBytes(expected));
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsStoredValue, ::testing::ValuesIn(kStoredCases), LabelName());

TEST_F(Settings, ReadOnlyKeyIsNeitherRestoredNorChanged) {
  const std::wstring kept = L"C:\\Kept";
  WriteText(keyPath_, kept);
  ASSERT_EQ(SetKeyAccess(keyPath_, KEY_READ), ERROR_SUCCESS);
  HKEY key = nullptr;
  const LONG fullAccess = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (fullAccess == ERROR_SUCCESS) RegCloseKey(key);
  ASSERT_EQ(fullAccess, ERROR_ACCESS_DENIED);
  ASSERT_EQ(ReadValue(HKEY_CURRENT_USER, keyPath_).bytes, TextBytes(kept)) << "the key is still readable";

  SetEditText(kUntouched);
  Load();
  EXPECT_EQ(EditText(edit_), kUntouched);

  SetEditText(L"D:\\New");
  Save();
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, keyPath_).bytes, TextBytes(kept));
}

// A title the key path cannot hold must not make the routines fall back on the
// vendor's key or on HKEY_CURRENT_USER itself.
TEST_F(Settings, TitleTooLongForTheKeyPathTouchesNoKey) {
  UseTitle(std::wstring(243, L'T'));
  const std::wstring vendorKey = L"SOFTWARE\\Tovarik";
  const std::wstring elsewhere = L"C:\\Elsewhere";
  WriteText(vendorKey, elsewhere);

  SetEditText(kUntouched);
  Load();
  EXPECT_EQ(EditText(edit_), kUntouched);

  SetEditText(L"D:\\New");
  Save();
  EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, vendorKey).bytes, TextBytes(elsewhere));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, L"").exists);
  EXPECT_FALSE(KeyExists(vendorKey + L"\\" + std::wstring(242, L'T'))) << "a cut title names another key";

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, vendorKey.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  RegDeleteValueW(key, L"path");
  RegCloseKey(key);
}

// Registry garbage: every value type, every size from 0 to 4,096 bytes (odd
// ones, none with a terminator, zeros inside), the value missing and the key
// missing. The edit must show exactly what the rules decide, and nothing is
// ever read past the bytes the query received.
TEST_F(Settings, EveryTypeAndSizeOfGarbageGivesWhatTheRulesDecide) {
  std::mt19937 random(4096);
  std::vector<unsigned char> bytes(4096);
  int cases = 0;
  for (DWORD type = REG_NONE; type <= REG_QWORD; ++type) {
    for (DWORD size = 0; size <= 4096; size += size < 600 ? 1 : 97) {
      // Printable units, with a zero now and then and none at the end.
      for (DWORD at = 0; at < size; ++at) {
        bytes[at] = static_cast<unsigned char>(at % 2 == 1 ? 0 : (random() % 23 == 0 ? 0 : 'a' + random() % 26));
      }
      WriteValue(keyPath_, type, bytes.data(), size);
      SetEditText(L"before");
      Load();
      TextBuffer data{};
      TextBuffer decided{};
      bool restored = false;
      if (size <= kStoredPathBytes) {
        std::memcpy(data.data(), bytes.data(), size);
        restored = DecideRestoredPath(type, data, size, decided);
      }
      ASSERT_EQ(EditText(edit_), restored ? std::wstring(decided.data()) : L"before")
          << "type " << type << ", " << size << " bytes";
      ++cases;
    }
  }
  EXPECT_GT(cases, 12 * 600);
  RegDeleteKeyValueW(HKEY_CURRENT_USER, keyPath_.c_str(), L"path");  // the value missing
  SetEditText(L"kept");
  Load();
  EXPECT_EQ(EditText(edit_), L"kept");
  RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());  // the key missing
  Load();
  EXPECT_EQ(EditText(edit_), L"kept");
}

}  // namespace
}  // namespace hm::test
