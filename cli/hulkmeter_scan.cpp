// hulkmeter-scan: the largest files below a folder, printed for scripts and
// for machines without a desktop. The walk, the table, its texts and its
// ordering are the windowed program's own; this file only reads the options,
// feeds the table and prints it.
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>
#endif

#include "scan/folder_walk.h"
#include "scan/result_table.h"
#include "standin/memory_table.h"
#include "standin/utf.h"

#ifndef HM_VERSION
#define HM_VERSION "0"
#endif

namespace {

#if defined(_WIN32)
using ArgChar = wchar_t;
#else
using ArgChar = char;
#endif

constexpr char kProgram[] = "hulkmeter-scan";
constexpr int kExitDone = 0;
constexpr int kExitCannotList = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;  // 128 + SIGINT, what shells report

constexpr char kUsageLine[] = "Usage: hulkmeter-scan [--top N] [--json] ROOT\n";
constexpr char kHelpText[] =
    "Lists every file below the folder ROOT, largest first: its name, its\n"
    "folder, its size (\"1.50 Mb\") and its size in bytes, one file per line,\n"
    "the four separated by tabs.\n"
    "\n"
    "  --top N     print only the N largest files (the whole tree is walked)\n"
    "  --json      one JSON object per line, keys \"name\", \"folder\", \"size\"\n"
    "              and \"bytes\"; names are exact whatever they hold\n"
    "  --help      show this text and end\n"
    "  --version   show the version and end\n"
    "\n"
    "A header line is printed only when standard output is a terminal, and a\n"
    "progress line on standard error only when that is a terminal. In the\n"
    "tab-separated form each control character of a name (tab, newline...)\n"
    "shows as \"?\" so that every file stays one line; --json keeps them.\n"
    "\n"
    "Exit status: 0 done, 1 ROOT cannot be listed, 2 bad usage, 130 stopped\n"
    "by Ctrl-C (nothing is printed then).\n";

// Set by Ctrl-C; the walk asks for it before every entry.
std::atomic<int> gInterrupted{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set from a signal handler");

// ---- Terminals, clocks and writing -------------------------------------

#if defined(_WIN32)
HANDLE StreamHandle(std::FILE* stream) { return GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return GetConsoleMode(StreamHandle(stream), &mode) != FALSE;
}

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (GetConsoleScreenBufferInfo(StreamHandle(stream), &info) == FALSE) return 80;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

std::uint64_t Milliseconds() { return GetTickCount64(); }

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  gInterrupted.store(1);
  return TRUE;
}

void CatchInterrupt() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

// A console takes UTF-16 through WriteConsoleW; anything else gets the UTF-8
// bytes as they are.
void Write(std::FILE* stream, const char* text, std::size_t length) {
  static bool consoleKnown[2] = {false, false};
  static bool console[2] = {false, false};
  const int which = stream == stdout ? 0 : 1;
  if (!consoleKnown[which]) {
    console[which] = IsTerminal(stream);
    consoleKnown[which] = true;
  }
  if (!console[which]) {
    std::fwrite(text, 1, length, stream);
    return;
  }
  std::fflush(stream);
  wchar_t wide[8192];
  while (length > 0) {
    // Whole UTF-8 sequences only, so no character is split between pieces.
    std::size_t piece = length < 4096 ? length : 4096;
    while (piece < length && (static_cast<unsigned char>(text[piece]) & 0xC0) == 0x80) --piece;
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(piece), wide, 8192);
    DWORD written = 0;
    WriteConsoleW(StreamHandle(stream), wide, static_cast<DWORD>(units), &written, nullptr);
    text += piece;
    length -= piece;
  }
}

bool ArgToUtf8(const ArgChar* arg, char* out, std::size_t capacity) { return hm::Utf16ToUtf8(arg, out, capacity); }
#else
bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

std::uint64_t Milliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

void OnInterrupt(int) { gInterrupted.store(1); }

void CatchInterrupt() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

void Write(std::FILE* stream, const char* text, std::size_t length) {
  static_cast<void>(std::fwrite(text, 1, length, stream));
}

// Arguments are bytes here; a message shows them as given.
bool ArgToUtf8(const ArgChar* arg, char* out, std::size_t capacity) {
  const std::size_t length = std::strlen(arg);
  if (length >= capacity) {
    out[0] = 0;
    return false;
  }
  std::memcpy(out, arg, length + 1);
  return true;
}
#endif

void WriteText(std::FILE* stream, const char* text) { Write(stream, text, std::strlen(text)); }

// ---- Options -----------------------------------------------------------

struct Options {
  bool json;
  bool help;
  bool version;
  std::uint64_t top;  // rows to print; all of them unless --top
  const ArgChar* root;
};

enum class Parsed { kRun, kUsageError };

bool ArgIs(const ArgChar* arg, const char* ascii) {
  for (; *ascii != 0; ++arg, ++ascii) {
    if (*arg != static_cast<ArgChar>(*ascii)) return false;
  }
  return *arg == 0;
}

// "--top=N": the text after "--top=", or nullptr.
const ArgChar* TopValueIn(const ArgChar* arg) {
  static constexpr char kPrefix[] = "--top=";
  for (const char* p = kPrefix; *p != 0; ++p, ++arg) {
    if (*arg != static_cast<ArgChar>(*p)) return nullptr;
  }
  return arg;
}

// Digits only; a count beyond any table is as good as "all".
bool ParseCount(const ArgChar* text, std::uint64_t& count) {
  if (*text == 0) return false;
  count = 0;
  for (; *text != 0; ++text) {
    if (*text < '0' || *text > '9') return false;
    const auto digit = static_cast<std::uint64_t>(*text - '0');
    count = count > (UINT64_MAX - digit) / 10 ? UINT64_MAX : count * 10 + digit;
  }
  return true;
}

// `message` receives the one line that says what is wrong.
Parsed ParseOptions(int argc, ArgChar** argv, Options& options, char* message, std::size_t capacity) {
  options = Options{false, false, false, UINT64_MAX, nullptr};
  bool optionsEnded = false;
  char shown[1024];
  for (int index = 1; index < argc; ++index) {
    const ArgChar* arg = argv[index];
    const bool looksLikeOption = !optionsEnded && arg[0] == '-' && arg[1] != 0;
    if (!looksLikeOption) {
      if (options.root != nullptr) {
        static_cast<void>(std::snprintf(message, capacity, "only one ROOT can be given"));
        return Parsed::kUsageError;
      }
      options.root = arg;
    } else if (ArgIs(arg, "--")) {
      optionsEnded = true;
    } else if (ArgIs(arg, "--json")) {
      options.json = true;
    } else if (ArgIs(arg, "--help") || ArgIs(arg, "-h")) {
      options.help = true;
    } else if (ArgIs(arg, "--version")) {
      options.version = true;
    } else if (ArgIs(arg, "--top") || TopValueIn(arg) != nullptr) {
      const ArgChar* value = TopValueIn(arg);
      if (value == nullptr) {
        if (index + 1 >= argc) {
          static_cast<void>(std::snprintf(message, capacity, "--top needs a number"));
          return Parsed::kUsageError;
        }
        value = argv[++index];
      }
      if (!ParseCount(value, options.top)) {
        ArgToUtf8(value, shown, sizeof shown);
        static_cast<void>(std::snprintf(message, capacity, "--top needs a whole number of 0 or more, not '%s'", shown));
        return Parsed::kUsageError;
      }
    } else {
      ArgToUtf8(arg, shown, sizeof shown);
      static_cast<void>(std::snprintf(message, capacity, "unknown option '%s'", shown));
      return Parsed::kUsageError;
    }
  }
  if (options.root == nullptr && !options.help && !options.version) {
    static_cast<void>(std::snprintf(message, capacity, "no ROOT given"));
    return Parsed::kUsageError;
  }
  return Parsed::kRun;
}

// ---- The root ------------------------------------------------------------

// The root as the walk holds it. False, with the reason, when it cannot be:
// the walk itself would only skip it in silence.
bool RootText(const ArgChar* arg, hm::TextBuffer& root, char* reason, std::size_t capacity) {
#if defined(_WIN32)
  if (!hm::CopyText(root.data(), hm::kTextUnits, arg)) {
    std::snprintf(reason, capacity, "the path is longer than %d characters", hm::kTextUnits - 1);
    return false;
  }
#else
  if (!hm::Utf8ToUtf16(arg, std::strlen(arg), root.data(), hm::kTextUnits)) {
    static_cast<void>(std::snprintf(reason, capacity, "the path is longer than %d characters", hm::kTextUnits - 1));
    return false;
  }
  // The walk lists folders by their UTF-8 names; a root that does not come
  // back as the same bytes would be a different folder.
  char back[hm::kTextUnits * 3 + 1];
  if (!hm::Utf16ToUtf8(root.data(), back, sizeof back) || std::strcmp(back, arg) != 0) {
    static_cast<void>(std::snprintf(reason, capacity, "the path is not valid UTF-8"));
    return false;
  }
#endif
  if (root[0] == 0) {
    static_cast<void>(std::snprintf(reason, capacity, "the path is empty"));
    return false;
  }
  return true;
}

// Opens the root once, as the walk will, to tell the user why it cannot.
bool RootListable(const hm::TextBuffer& root, char* reason, std::size_t capacity) {
#if defined(_WIN32)
  static constexpr wchar_t kAllEntries[] = L"*.*";
  hm::TextBuffer pattern{};
  if (!hm::JoinPath(pattern, root.data(), kAllEntries)) {
    std::snprintf(reason, capacity, "the path is longer than %d characters", hm::kTextUnits - 5);
    return false;
  }
  WIN32_FIND_DATAW entry{};
  HANDLE search = FindFirstFileW(pattern.data(), &entry);
  if (search != INVALID_HANDLE_VALUE) {  // this API's "no search" value
    FindClose(search);
    return true;
  }
  const DWORD error = GetLastError();
  // An empty drive root lists no "." or "..": nothing found, yet listable.
  if (error == ERROR_FILE_NOT_FOUND) return true;
  wchar_t text[512];
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text, 512, nullptr);
  if (length == 0 || !hm::Utf16ToUtf8(text, reason, capacity)) {
    std::snprintf(reason, capacity, "error %lu", static_cast<unsigned long>(error));
    return false;
  }
  // The system's text ends with a full stop and a line break.
  std::size_t end = std::strlen(reason);
  while (end > 0 &&
         (reason[end - 1] == '\n' || reason[end - 1] == '\r' || reason[end - 1] == ' ' || reason[end - 1] == '.')) {
    reason[--end] = 0;
  }
  return false;
#else
  char path[hm::kTextUnits * 3 + 1];
  hm::Utf16ToUtf8(root.data(), path, sizeof path);
  DIR* folder = opendir(path);
  if (folder == nullptr) {
    static_cast<void>(std::snprintf(reason, capacity, "%s", std::strerror(errno)));
    return false;
  }
  closedir(folder);
  return true;
#endif
}

// ---- The walk and its progress line --------------------------------------

struct ScanRun {
  hm::ResultTable table;
  std::uint64_t files;
  bool showProgress;
  int columns;
  hm::TextBuffer folder;  // the folder being listed
  unsigned entries;
  std::uint64_t lastDraw;  // ms
  int drawnWidth;          // characters on the progress line now
};

constexpr std::uint64_t kProgressPeriodMs = 100;

int CharacterCount(const char* text) {
  int count = 0;
  for (; *text != 0; ++text) {
    if ((static_cast<unsigned char>(*text) & 0xC0) != 0x80) ++count;
  }
  return count;
}

// One line, never wider than the terminal (a wrapped line cannot be redrawn
// in place): the count, then as much of the folder's end as fits.
void DrawProgress(ScanRun& run) {
  char folder[hm::kTextUnits * 3 + 1];
  hm::Utf16ToUtf8(run.folder.data(), folder, sizeof folder);
  for (char* c = folder; *c != 0; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20) *c = '?';
  }
  char count[48];
  static_cast<void>(std::snprintf(count, sizeof count, "%llu files  ", static_cast<unsigned long long>(run.files)));
  const int room = run.columns - 1 - CharacterCount(count);
  const char* shown = folder;
  const char* cut = "";
  if (CharacterCount(folder) > room && room > 3) {
    cut = "...";
    while (CharacterCount(shown) > room - 3) {
      ++shown;
      while ((static_cast<unsigned char>(*shown) & 0xC0) == 0x80) ++shown;
    }
  } else if (CharacterCount(folder) > room) {
    shown = "";
  }
  char line[hm::kTextUnits * 3 + 600];
  static_cast<void>(std::snprintf(line, sizeof line, "\r%s%s%s", count, cut, shown));
  auto length = static_cast<int>(std::strlen(line));
  const int width = CharacterCount(line) - 1;
  for (int pad = width; pad < run.drawnWidth && length + 1 < static_cast<int>(sizeof line); ++pad) line[length++] = ' ';
  line[length] = 0;
  Write(stderr, line, static_cast<std::size_t>(length));
  run.drawnWidth = width;
  run.lastDraw = Milliseconds();
}

void ClearProgress(ScanRun& run) {
  if (!run.showProgress || run.drawnWidth == 0) return;
  char line[600];
  int length = 0;
  line[length++] = '\r';
  for (int pad = 0; pad < run.drawnWidth && length + 2 < static_cast<int>(sizeof line); ++pad) line[length++] = ' ';
  line[length++] = '\r';
  Write(stderr, line, static_cast<std::size_t>(length));
  run.drawnWidth = 0;
}

ScanRun& Run(void* context) { return *static_cast<ScanRun*>(context); }

void AddRow(void* context, const hm::Char* name, const hm::Char* folder, std::uint64_t size) {
  ScanRun& run = Run(context);
  run.table.ops->addRow(run.table.table, name, folder, size);
  ++run.files;
}

void ShowStatus(void* context, const hm::Char* folder) {
  ScanRun& run = Run(context);
  if (run.showProgress) hm::CopyText(run.folder.data(), hm::kTextUnits, folder);
}

bool StopRequested(void* context) {
  ScanRun& run = Run(context);
  // The clock is read every 64 entries only: a walk meets millions.
  if (run.showProgress && (++run.entries & 63u) == 0 && Milliseconds() - run.lastDraw >= kProgressPeriodMs) {
    DrawProgress(run);
  }
  return gInterrupted.load() != 0;
}

// ---- Printing the table --------------------------------------------------

struct Line {
  char text[8192];  // four cells of 259 units, each unit at most 6 bytes
  std::size_t length;
};

void Put(Line& line, const char* text) {
  for (; *text != 0 && line.length + 1 < sizeof line.text; ++text) line.text[line.length++] = *text;
  line.text[line.length] = 0;
}

void PutTabCell(Line& line, const hm::Char* cell) {
  char utf8[hm::kTextUnits * 3 + 1];
  hm::Utf16ToUtf8(cell, utf8, sizeof utf8);
  for (char* c = utf8; *c != 0; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F) *c = '?';
  }
  Put(line, utf8);
}

void PutJsonString(Line& line, const hm::Char* cell) {
  char utf8[hm::kTextUnits * 3 + 1];
  hm::Utf16ToUtf8(cell, utf8, sizeof utf8);
  Put(line, "\"");
  for (const char* c = utf8; *c != 0; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    char escaped[8] = {*c, 0};
    switch (byte) {
      case '"':
        std::strcpy(escaped, "\\\"");
        break;
      case '\\':
        std::strcpy(escaped, "\\\\");
        break;
      case '\n':
        std::strcpy(escaped, "\\n");
        break;
      case '\r':
        std::strcpy(escaped, "\\r");
        break;
      case '\t':
        std::strcpy(escaped, "\\t");
        break;
      case '\b':
        std::strcpy(escaped, "\\b");
        break;
      case '\f':
        std::strcpy(escaped, "\\f");
        break;
      default:
        if (byte < 0x20) static_cast<void>(std::snprintf(escaped, sizeof escaped, "\\u%04x", byte));
    }
    Put(line, escaped);
  }
  Put(line, "\"");
}

void PutRow(Line& line, const hm::ResultTable& table, int row, bool json) {
  hm::TextBuffer cells[4]{};
  for (int column = 0; column < 4; ++column) {
    table.ops->cellText(table.table, row, column, cells[column]);
  }
  line.length = 0;
  line.text[0] = 0;
  if (json) {
    static constexpr const char* kKeys[4] = {"{\"name\":", ",\"folder\":", ",\"size\":", ",\"bytes\":"};
    for (int column = 0; column < 3; ++column) {
      Put(line, kKeys[column]);
      PutJsonString(line, cells[column].data());
    }
    Put(line, kKeys[3]);
    PutTabCell(line, cells[hm::kColumnBytes].data());  // digits only
    Put(line, "}\n");
    return;
  }
  for (int column = 0; column < 4; ++column) {
    if (column > 0) Put(line, "\t");
    PutTabCell(line, cells[column].data());
  }
  Put(line, "\n");
}

void PrintHeader() {
  Line line{};
  for (std::size_t column = 0; column < hm::kResultColumns.size(); ++column) {
    if (column > 0) Put(line, "\t");
    PutTabCell(line, hm::kResultColumns[column].header);
  }
  Put(line, "\n");
  Write(stdout, line.text, line.length);
}

void PrintUsageError(const char* message) {
  WriteText(stderr, kProgram);
  WriteText(stderr, ": ");
  WriteText(stderr, message);
  WriteText(stderr, "\n");
  WriteText(stderr, kUsageLine);
  WriteText(stderr, "Try 'hulkmeter-scan --help' for more.\n");
}

int ScanAndPrint(const Options& options) {
  char reason[600];
  char shownRoot[hm::kTextUnits * 3 + 1];
  char message[sizeof reason + sizeof shownRoot + 64];
  hm::TextBuffer root{};
  if (!RootText(options.root, root, reason, sizeof reason) || !RootListable(root, reason, sizeof reason)) {
    ArgToUtf8(options.root, shownRoot, sizeof shownRoot);
    static_cast<void>(
        std::snprintf(message, sizeof message, "%s: cannot list '%s': %s\n", kProgram, shownRoot, reason));
    WriteText(stderr, message);
    return kExitCannotList;
  }

  static hm::MemoryTable memory;  // lives as long as the process, like the list control
  ScanRun run{};
  run.table = hm::MemoryResultTable(memory);
  run.showProgress = IsTerminal(stderr);
  run.columns = run.showProgress ? TerminalColumns(stderr) : 80;
  hm::CopyText(run.folder.data(), hm::kTextUnits, root.data());
  if (run.showProgress) DrawProgress(run);

  const hm::Walk walk{&hm::kPlatformListing, hm::WalkSink{&run, AddRow, ShowStatus, StopRequested}};
  hm::ScanFolder(walk, root.data());
  ClearProgress(run);
  if (gInterrupted.load() != 0) return kExitInterrupted;
  run.table.ops->sortBySize(run.table.table);
  // Once the first row is out the table is written whole: never a part of it.
  if (gInterrupted.load() != 0) return kExitInterrupted;

  if (!options.json && IsTerminal(stdout)) PrintHeader();
  const auto count = static_cast<std::uint64_t>(run.table.ops->count(run.table.table));
  const std::uint64_t shown = options.top < count ? options.top : count;
  Line line{};
  for (std::uint64_t row = 0; row < shown; ++row) {
    PutRow(line, run.table, static_cast<int>(row), options.json);
    Write(stdout, line.text, line.length);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    static_cast<void>(
        std::snprintf(message, sizeof message, "%s: cannot write the table: %s\n", kProgram, std::strerror(errno)));
    WriteText(stderr, message);
    return kExitCannotList;
  }
  return kExitDone;
}

int Main(int argc, ArgChar** argv) {
#if defined(_WIN32)
  // The same bytes on every platform: "\n" stays "\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  static char outputBuffer[1 << 16];
  if (!IsTerminal(stdout)) static_cast<void>(std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer));

  Options options{};
  char message[1200];
  if (ParseOptions(argc, argv, options, message, sizeof message) == Parsed::kUsageError) {
    PrintUsageError(message);
    return kExitUsage;
  }
  if (options.help) {
    WriteText(stdout, kUsageLine);
    WriteText(stdout, kHelpText);
    return kExitDone;
  }
  if (options.version) {
    WriteText(stdout, kProgram);
    WriteText(stdout, " " HM_VERSION "\n");
    return kExitDone;
  }
  CatchInterrupt();
  return ScanAndPrint(options);
}

}  // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv) { return Main(argc, argv); }
#else
int main(int argc, char** argv) { return Main(argc, argv); }
#endif
