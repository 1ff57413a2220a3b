#include "scan/folder_walk.h"

namespace hm {
namespace {

constexpr Char kAllEntries[] = HM_TEXT("*.*");
constexpr Char kDot[] = HM_TEXT(".");
constexpr Char kDotDot[] = HM_TEXT("..");

}  // namespace

void ScanFolder(const Walk& walk, const Char* folder) {
  if (folder[0] == 0) return;
  TextBuffer pattern{};
  if (!JoinPath(pattern, folder, kAllEntries)) return;

  FindEntry entry{};
  SearchHandle search{};
  if (!walk.listing->findFirst(pattern.data(), entry, search)) return;
  do {
    // Checked before every entry, so a stopped scan unwinds at once and every
    // level closes its own search on the way out.
    if (walk.sink.stopRequested(walk.sink.context)) break;
    VisitEntry(walk, entry, folder);
  } while (walk.listing->findNext(search, entry));
  walk.listing->findClose(search);
}

void VisitEntry(const Walk& walk, const FindEntry& entry, const Char* folder) {
  if ((entry.dwFileAttributes & kAttributeDirectory) == 0) {
    const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
    walk.sink.addRow(walk.sink.context, entry.cFileName, folder, size);
    return;
  }
  if (TextEquals(entry.cFileName, kDot) || TextEquals(entry.cFileName, kDotDot)) return;
  walk.sink.showStatus(walk.sink.context, folder);
  TextBuffer subFolder{};
  // A path that no longer fits is skipped like a folder that cannot be
  // listed; a link that loops back up the tree ends here at the latest.
  if (!JoinPath(subFolder, folder, entry.cFileName)) return;
  ScanFolder(walk, subFolder.data());
}

}  // namespace hm
