#include "tests/support/fixture_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace hm::test {
namespace fs = std::filesystem;

namespace {
std::atomic<int> fixtureCount{0};
}  // namespace

FixtureTree::FixtureTree() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "hulkmeter-test-";
  name += test != nullptr ? test->name() : "fixture";
  name += "-" + std::to_string(fixtureCount++);
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  root = fs::temp_directory_path() / name;
  fs::remove_all(root);
  fs::create_directories(root);
}

FixtureTree::~FixtureTree() {
  std::error_code ignored;
  fs::remove_all(root, ignored);
}

void FixtureTree::Folder(const std::string& relative) const { fs::create_directories(root / fs::u8path(relative)); }

void FixtureTree::File(const std::string& relative, std::uint64_t size) const {
  const fs::path path = root / fs::u8path(relative);
  fs::create_directories(path.parent_path());
  { std::ofstream(path, std::ios::binary).put('\0'); }
  fs::resize_file(path, size);
}

String FixtureTree::Text(const std::string& relative) const {
  fs::path path = relative.empty() ? root : root / fs::u8path(relative);
  path.make_preferred();
#if defined(_WIN32)
  return String(path.native());
#else
  return String(path.u16string());
#endif
}

}  // namespace hm::test
