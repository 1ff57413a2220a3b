// A folder listing held in memory: exact listing orders, folders that cannot
// be listed, and a count of searches left open.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "scan/folder_walk.h"
#include "tests/support/test_text.h"

namespace hm::test {

struct FakeEntry {
  String name;
  bool isFolder;
  std::uint64_t size;
};

struct FakeListingState {
  std::map<String, std::vector<FakeEntry>> folders;  // by the exact pattern asked for
  std::vector<String> patternsAsked;
  int openSearches = 0;
  std::uintptr_t lowestStack = UINTPTR_MAX;  // lowest stack address seen in findFirst
};

// The listing reads this one state; tests reset it in their fixture.
FakeListingState& FakeListing();
void ResetFakeListing();

// Registers `folder` (a test path) with its entries in listing order.
void AddFakeFolder(const String& folder, std::vector<FakeEntry> entries);

extern const FolderListing kFakeListing;

}  // namespace hm::test
