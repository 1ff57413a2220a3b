#include "scan/folder_walk.h"

namespace hm {
namespace {

constexpr Char kAllEntries[] = HM_TEXT("*.*");
constexpr Char kDot[] = HM_TEXT(".");
constexpr Char kDotDot[] = HM_TEXT("..");

void ScanLevel(const Walk& walk, DescentLevel& level) {
  TextBuffer pattern{};
  if (!JoinPath(pattern, level.folder, kAllEntries)) return;

  FindEntry entry{};
  SearchHandle search{};
  if (!walk.listing->findFirst(pattern.data(), entry, search)) return;
  do {
    // Checked before every entry, so a stopped scan unwinds at once and every
    // level closes its own search on the way out.
    if (walk.sink.stopRequested(walk.sink.context)) break;
    VisitEntry(walk, entry, level);
  } while (walk.listing->findNext(search, entry));
  walk.listing->findClose(search);
}

bool KnownIdentity(const Walk& walk, DescentLevel& level) {
  if (level.identityState == 0) {
    level.identityState = walk.listing->folderIdentity(level.folder, level.identity) ? 1 : -1;
  }
  return level.identityState == 1;
}

// A folder link that leads to the folder being listed or to one above it on
// this descent would list the same files again at every turn, and two such
// links make the walk branch without end: it is not entered.
bool LeadsBackUp(const Walk& walk, const Char* linkPath, DescentLevel& level) {
  FolderIdentity target{};
  if (!walk.listing->folderIdentity(linkPath, target)) return false;
  for (DescentLevel* above = &level; above != nullptr; above = above->parent) {
    if (KnownIdentity(walk, *above) && above->identity.volume == target.volume &&
        above->identity.index == target.index) {
      return true;
    }
  }
  return false;
}

}  // namespace

void ScanFolder(const Walk& walk, const Char* folder) {
  if (folder[0] == 0) return;
  DescentLevel root{folder, nullptr, {}, 0};
  ScanLevel(walk, root);
}

void VisitEntry(const Walk& walk, const FindEntry& entry, DescentLevel& level) {
  if ((entry.dwFileAttributes & kAttributeDirectory) == 0) {
    const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
    walk.sink.addRow(walk.sink.context, entry.cFileName, level.folder, size);
    return;
  }
  if (TextEquals(entry.cFileName, kDot) || TextEquals(entry.cFileName, kDotDot)) return;
  walk.sink.showStatus(walk.sink.context, level.folder);
  TextBuffer subFolder{};
  // A path that no longer fits is skipped like a folder that cannot be
  // listed.
  if (!JoinPath(subFolder, level.folder, entry.cFileName)) return;
  // Only links pay for the identity look-ups; ordinary folders cannot loop.
  if ((entry.dwFileAttributes & kAttributeReparsePoint) != 0 && LeadsBackUp(walk, subFolder.data(), level)) return;
  DescentLevel sub{subFolder.data(), &level, {}, 0};
  ScanLevel(walk, sub);
}

}  // namespace hm
