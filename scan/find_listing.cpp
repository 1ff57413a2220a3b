// The folder listing on Windows: the FindFirstFileW family, unchanged.
#include "scan/folder_walk.h"

namespace hm {
namespace {

bool FindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  search = FindFirstFileW(pattern, &entry);
  return search != INVALID_HANDLE_VALUE;  // the "no search" value of this API
}

bool FindNext(SearchHandle search, FindEntry& entry) { return FindNextFileW(search, &entry) != FALSE; }

void FindClose(SearchHandle search) { ::FindClose(search); }

}  // namespace

const FolderListing kPlatformListing{FindFirst, FindNext, FindClose};

}  // namespace hm
