#include "tests/support/fake_listing.h"

#include <algorithm>
#include <mutex>

namespace hm::test {
namespace {

// A stopped worker may still be walking beside the current one.
std::mutex fakeMutex;

struct FakeSearch {
  const std::vector<FakeEntry>* entries;
  std::size_t next;
};

void Describe(const FakeEntry& from, FindEntry& entry) {
  entry = FindEntry{};
  entry.dwFileAttributes = from.isFolder ? kAttributeDirectory : 0x80u;
  entry.nFileSizeHigh = static_cast<std::uint32_t>(from.size >> 32);
  entry.nFileSizeLow = static_cast<std::uint32_t>(from.size);
  CopyText(entry.cFileName, kTextUnits, from.name.c_str());
}

bool FindNext(SearchHandle search, FindEntry& entry) {
  auto* state = static_cast<FakeSearch*>(static_cast<void*>(search));
  if (state->next >= state->entries->size()) return false;
  Describe((*state->entries)[state->next++], entry);
  return true;
}

bool FindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  int marker = 0;
  std::lock_guard<std::mutex> lock(fakeMutex);
  FakeListingState& fake = FakeListing();
  fake.lowestStack = std::min(fake.lowestStack, reinterpret_cast<std::uintptr_t>(&marker));
  fake.patternsAsked.emplace_back(pattern);
  const auto found = fake.folders.find(pattern);
  if (found == fake.folders.end() || found->second.empty()) return false;
  auto* state = new FakeSearch{&found->second, 0};
  search = static_cast<SearchHandle>(static_cast<void*>(state));
  ++fake.openSearches;
  Describe((*state->entries)[state->next++], entry);
  return true;
}

void FindClose(SearchHandle search) {
  delete static_cast<FakeSearch*>(static_cast<void*>(search));
  std::lock_guard<std::mutex> lock(fakeMutex);
  --FakeListing().openSearches;
}

// The fake has no links: every folder is its own.
bool FolderIdentityOf(const Char*, FolderIdentity&) { return false; }

}  // namespace

FakeListingState& FakeListing() {
  static FakeListingState state;
  return state;
}

void ResetFakeListing() { FakeListing() = FakeListingState{}; }

void AddFakeFolder(const String& folder, std::vector<FakeEntry> entries) {
  TextBuffer pattern{};
  JoinPath(pattern, folder.c_str(), HM_TEXT("*.*"));
  FakeListing().folders[String(pattern.data())] = std::move(entries);
}

const FolderListing kFakeListing{FindFirst, FindNext, FindClose, FolderIdentityOf};

}  // namespace hm::test
