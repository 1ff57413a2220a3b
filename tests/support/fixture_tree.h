// Real folder trees made at test time in a fresh temporary folder, removed
// again when the fixture ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tests/support/test_text.h"

namespace hm::test {

struct FixtureTree {
  std::filesystem::path root;  // a fresh, empty folder

  FixtureTree();
  ~FixtureTree();
  FixtureTree(const FixtureTree&) = delete;
  FixtureTree& operator=(const FixtureTree&) = delete;

  // `relative` uses "/" between parts; sizes above what the disk holds are
  // fine: files are made sparse by setting their length.
  void Folder(const std::string& relative) const;
  void File(const std::string& relative, std::uint64_t size) const;

  // The root (or a path below it) as the program's UTF-16 text.
  String Text(const std::string& relative = "") const;
};

}  // namespace hm::test
