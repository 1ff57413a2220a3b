// Prints the native floor for one tree: a bare opendir/readdir walk with one
// stat per entry, as the POSIX listing does, that only counts files.
//   native_walk_bench TREE
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

long CountFiles(int parent, const char* name) {
  const int descriptor = openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return 0;
  DIR* folder = fdopendir(descriptor);
  if (folder == nullptr) {
    close(descriptor);
    return 0;
  }
  long files = 0;
  while (const dirent* item = readdir(folder)) {
    if (std::strcmp(item->d_name, ".") == 0 || std::strcmp(item->d_name, "..") == 0) continue;
    struct stat target {};
    if (fstatat(dirfd(folder), item->d_name, &target, 0) != 0) continue;
    if (S_ISDIR(target.st_mode)) {
      files += CountFiles(dirfd(folder), item->d_name);
    } else {
      ++files;
    }
  }
  closedir(folder);
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: native_walk_bench TREE\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const long files = CountFiles(AT_FDCWD, argv[1]);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("files %ld walk %.3f\n", files, elapsed.count());
  return files > 0 ? 0 : 1;
}
