// The folder listing on POSIX systems: opendir/readdir and a stat per entry,
// shaped like FindFirstFileW so the walk runs unchanged.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "scan/folder_walk.h"
#include "standin/utf.h"

namespace hm {
namespace {

constexpr std::uint32_t kAttributeNormal = 0x80;

// Reads entries until one can be described. Names keep bytes that are not
// UTF-8 (see NameToUtf16), so every folder can be entered again. Entries
// that vanish between readdir and stat, and links that lead nowhere, are
// passed over, as Wine does not list a dangling link either.
bool ReadEntry(DIR* folder, FindEntry& entry) {
  while (const dirent* item = readdir(folder)) {
    struct stat target {};
    if (fstatat(dirfd(folder), item->d_name, &target, 0) != 0) continue;
    if (!NameToUtf16(item->d_name, std::strlen(item->d_name), entry.cFileName, kTextUnits)) continue;

    bool isLink = item->d_type == DT_LNK;
    if (item->d_type == DT_UNKNOWN) {
      struct stat link {};
      isLink = fstatat(dirfd(folder), item->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
    }
    const bool isFolder = S_ISDIR(target.st_mode);
    // A link to a folder is entered like a folder, as a junction is.
    entry.dwFileAttributes = isFolder ? kAttributeDirectory : kAttributeNormal;
    if (isFolder && isLink) entry.dwFileAttributes |= kAttributeReparsePoint;
    const auto size = isFolder ? std::uint64_t{0} : static_cast<std::uint64_t>(target.st_size);
    entry.nFileSizeHigh = static_cast<std::uint32_t>(size >> 32);
    entry.nFileSizeLow = static_cast<std::uint32_t>(size & 0xFFFFFFFFu);
    return true;
  }
  return false;
}

bool FindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  search = nullptr;
  // The walk always asks for "folder" + separator + "*.*"; the folder keeps
  // its separator, which opendir accepts.
  static constexpr Char kAllEntries[] = HM_TEXT("*.*");
  TextBuffer folderText{};
  if (!CopyText(folderText.data(), kTextUnits, pattern)) return false;
  const int length = TextLength(folderText.data());
  if (length < 3 || !TextEquals(folderText.data() + length - 3, kAllEntries)) return false;
  folderText[static_cast<std::size_t>(length - 3)] = 0;

  char folderPath[kTextUnits * 3 + 1];  // every UTF-16 unit takes at most 3 bytes
  if (!PathToUtf8(folderText.data(), folderPath, sizeof folderPath)) return false;
  DIR* folder = opendir(folderPath);
  if (folder == nullptr) return false;
  if (!ReadEntry(folder, entry)) {
    closedir(folder);
    return false;
  }
  search = folder;
  return true;
}

bool FindNext(SearchHandle search, FindEntry& entry) { return ReadEntry(static_cast<DIR*>(search), entry); }

void FindClose(SearchHandle search) { closedir(static_cast<DIR*>(search)); }

bool FolderIdentityOf(const Char* folder, FolderIdentity& identity) {
  char path[kTextUnits * 3 + 1];
  struct stat target {};
  if (!PathToUtf8(folder, path, sizeof path) || stat(path, &target) != 0) return false;
  identity.volume = static_cast<std::uint64_t>(target.st_dev);
  identity.index = static_cast<std::uint64_t>(target.st_ino);
  return true;
}

}  // namespace

const FolderListing kPlatformListing{FindFirst, FindNext, FindClose, FolderIdentityOf};

}  // namespace hm
