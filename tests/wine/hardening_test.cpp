// The real program under load and on a tree it must not change: start/stop
// storms with "About", "Explore" and closes at random moments (seeded; set
// HM_STORM_SEED to replay), and a tree recorded before and after a scan.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "tests/support/fixture_tree.h"
#include "tests/support/program_driver.h"

namespace hm::test {
namespace {

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 15;

// Plain Win32 calls: far quicker under Wine than std::filesystem.
void MakeStormTree(const std::wstring& root) {
  for (int folder = 0; folder < kFolders; ++folder) {
    const std::wstring path = root + L"\\d" + std::to_wstring(folder);
    CreateDirectoryW(path.c_str(), nullptr);
    for (int file = 0; file < kFilesPerFolder; ++file) {
      HANDLE handle = CreateFileW((path + L"\\f" + std::to_wstring(file)).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
      LARGE_INTEGER size{};
      size.QuadPart = folder * 1000 + file;  // every size distinct
      SetFilePointerEx(handle, size, nullptr, FILE_BEGIN);
      SetEndOfFile(handle);
      CloseHandle(handle);
    }
  }
}

unsigned Seed() {
  const char* given = std::getenv("HM_STORM_SEED");
  return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : 20261211u;
}

// A visible dialog of the program's process other than the main window, with
// this caption.
HWND FindDialog(const Program& program, const std::wstring& caption) {
  for (HWND box : program.MessageBoxes()) {
    if (WindowText(box) == caption) return box;
  }
  return nullptr;
}

class Storm : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearStoredSettings();
    MakeStormTree(tree_.Text());
  }
  void TearDown() override { ClearStoredSettings(); }

  void StartProgram() {
    program_ = std::make_unique<Program>();
    ASSERT_TRUE(program_->Start()) << "CreateProcessW failed, error " << GetLastError();
    ASSERT_NE(program_->WaitForMainWindow(), nullptr);
    const std::wstring root = tree_.Text();
    SendMessageW(program_->Control(kPathEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(root.c_str()));
  }
  void Command(int id) { SendMessageW(program_->main(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

  // A modal box opened by a posted command, closed again with its OK.
  void OpenAndClose(int command, const std::wstring& caption) {
    PostMessageW(program_->main(), WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindDialog(*program_, caption)) != nullptr; })) << "no " << Utf8(caption);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }

  // Once no scan runs, the table is empty or holds the whole tree in order
  // with row 0 selected: nothing in between, nothing stale.
  void ExpectConsistent(const std::string& context) {
    ASSERT_TRUE(WaitUntil([&] { return program_->Text(kFind) == L"Find"; })) << context;
    ASSERT_TRUE(RoundTrip(program_->main()));
    EXPECT_TRUE(IsWindowVisible(program_->Control(kResultList))) << context;
    EXPECT_EQ(program_->Text(kStatusLine), L"") << context;
    const int rows = program_->RowCount();
    if (rows == 0) return;
    ASSERT_EQ(rows, kFolders * kFilesPerFolder) << context;
    EXPECT_EQ(program_->Cell(0, 3), std::to_wstring((kFolders - 1) * 1000 + kFilesPerFolder - 1)) << context;
    EXPECT_EQ(program_->RowState(0, LVIS_SELECTED | LVIS_FOCUSED), UINT{LVIS_SELECTED | LVIS_FOCUSED}) << context;
    for (int row = 1; row < rows; ++row) {
      ASSERT_GT(std::stoull(program_->Cell(row - 1, 3)), std::stoull(program_->Cell(row, 3))) << context;
    }
  }

  FixtureTree tree_;
  std::unique_ptr<Program> program_;
};

TEST_F(Storm, ThousandAlternationsWithAboutExploreAndCloses) {
  std::mt19937 random(Seed());
  const std::string seed = "seed " + std::to_string(Seed());
  StartProgram();
  int closes = 0;
  for (int alternation = 0; alternation < 1000; ++alternation) {
    Command(kFind);
    switch (random() % 50) {
      case 0:
        OpenAndClose(kAbout, L"About");
        break;
      case 1:
        // With the table empty or no row selected the command reports it.
        if (program_->Text(kFind) == L"Cancel") OpenAndClose(kExplore, L"Hulkmeter");
        break;
      case 2: {
        PostMessageW(program_->main(), WM_COMMAND, MAKEWPARAM(kClose, BN_CLICKED), 0);
        DWORD exitCode = 1;
        ASSERT_TRUE(program_->WaitForExit(exitCode)) << seed << ": no exit after a close";
        EXPECT_EQ(exitCode, 0u) << seed;
        EXPECT_EQ(ReadStoredPath().text, tree_.Text()) << seed;
        ++closes;
        StartProgram();
        break;
      }
      default:
        // Let the worker get on for a moment, sometimes to the end.
        for (auto wait = random() % 8; wait > 0; --wait) RoundTrip(program_->main());
    }
  }
  std::printf("%s: 1000 alternations, %d closes\n", seed.c_str(), closes);
  ExpectConsistent(seed);
  PostMessageW(program_->main(), WM_COMMAND, MAKEWPARAM(kClose, BN_CLICKED), 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(program_->WaitForExit(exitCode));
  EXPECT_EQ(exitCode, 0u);
}

struct Stamp {
  ULONGLONG size;
  ULONGLONG written;
  DWORD attributes;
  bool operator==(const Stamp& other) const {
    return size == other.size && written == other.written && attributes == other.attributes;
  }
};

void Record(const std::wstring& folder, std::map<std::wstring, Stamp>& stamps) {
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    stamps[path] = Stamp{(ULONGLONG{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow,
                         (ULONGLONG{entry.ftLastWriteTime.dwHighDateTime} << 32) | entry.ftLastWriteTime.dwLowDateTime,
                         entry.dwFileAttributes};
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) Record(path, stamps);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

TEST_F(Storm, TheScannedTreeIsLeftExactlyAsItWas) {
  std::map<std::wstring, Stamp> before;
  Record(tree_.Text(), before);
  ASSERT_EQ(before.size(), static_cast<std::size_t>(kFolders * (kFilesPerFolder + 1)));
  StartProgram();
  Command(kFind);
  ASSERT_TRUE(WaitUntil(
      [&] { return program_->RowCount() == kFolders * kFilesPerFolder && program_->Text(kFind) == L"Find"; }));
  PostMessageW(program_->main(), WM_COMMAND, MAKEWPARAM(kClose, BN_CLICKED), 0);
  DWORD exitCode = 1;
  ASSERT_TRUE(program_->WaitForExit(exitCode));
  std::map<std::wstring, Stamp> after;
  Record(tree_.Text(), after);
  EXPECT_TRUE(after == before);
}

}  // namespace
}  // namespace hm::test
