// The depth-first walk that turns a folder tree into rows.
#pragma once

#include <cstdint>

#include "scan/text.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace hm {

// One entry of a folder listing: the platform's find record on Windows, a
// record with the same fields elsewhere.
#if defined(_WIN32)
using FindEntry = WIN32_FIND_DATAW;
using SearchHandle = HANDLE;
#else
struct FindEntry {
  std::uint32_t dwFileAttributes;
  std::uint32_t nFileSizeHigh;
  std::uint32_t nFileSizeLow;
  Char cFileName[kTextUnits];
};
using SearchHandle = void*;
#endif

constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr std::uint32_t kAttributeReparsePoint = 0x400;

// Which folder a path leads to: the volume and the file index on Windows,
// the device and the inode on POSIX.
struct FolderIdentity {
  std::uint64_t volume;
  std::uint64_t index;
};

// Lists one folder: first entry (false when the folder cannot be listed, and
// then no search is open), next entry (false at the end or on any error),
// close. `pattern` is the folder, a separator and "*.*". The identity of a
// folder is asked for only when the walk meets a folder link.
struct FolderListing {
  bool (*findFirst)(const Char* pattern, FindEntry& entry, SearchHandle& search);
  bool (*findNext)(SearchHandle search, FindEntry& entry);
  void (*findClose)(SearchHandle search);
  bool (*folderIdentity)(const Char* folder, FolderIdentity& identity);
};

// FindFirstFileW and its family on Windows, the POSIX stand-in elsewhere.
extern const FolderListing kPlatformListing;

// Where the walk's findings go, and how a stop reaches it.
struct WalkSink {
  void* context;
  void (*addRow)(void* context, const Char* name, const Char* folder, std::uint64_t size);
  void (*showStatus)(void* context, const Char* folder);
  bool (*stopRequested)(void* context);
};

struct Walk {
  const FolderListing* listing;
  WalkSink sink;
};

// One folder of the current descent, on the stack of the level that lists
// it. Its identity is looked up only when a link below asks for it.
struct DescentLevel {
  const Char* folder;
  DescentLevel* parent;  // nullptr for the root
  FolderIdentity identity;
  int identityState;  // 0 not looked up, 1 known, -1 unknown
};

// Lists `folder` and visits each entry in the listing's order. A folder that
// cannot be listed, or whose pattern does not fit 259 units, yields nothing.
// An empty root names no folder and yields nothing either.
void ScanFolder(const Walk& walk, const Char* folder);

// A file becomes a row of the level's folder; a sub-folder other than "."
// and ".." is shown in the status line as that folder and walked before the
// next entry, unless it is a link back to a folder of the current descent.
void VisitEntry(const Walk& walk, const FindEntry& entry, DescentLevel& level);

}  // namespace hm
