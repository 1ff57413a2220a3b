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

bool FolderIdentityOf(const Char* folder, FolderIdentity& identity) {
  // A folder opens only with backup semantics; no access right is needed to
  // read its volume and index.
  HANDLE handle = CreateFileW(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;  // this API's "no handle" value
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(handle, &information) != FALSE;
  CloseHandle(handle);
  identity.volume = information.dwVolumeSerialNumber;
  identity.index = (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  return known;
}

}  // namespace

const FolderListing kPlatformListing{FindFirst, FindNext, FindClose, FolderIdentityOf};

}  // namespace hm
