// The worker and the Find/Cancel command, with a UI thread of our own that
// carries out commands and the worker's calls in order.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <cstdlib>
#include <random>
#include <mutex>

#include "control/scan_control.h"
#include "control/ui_calls.h"
#include "standin/ui_thread.h"
#include "tests/support/fake_listing.h"
#include "tests/support/param_name.h"

namespace hm::test {
namespace {

FakeEntry File(const char* name, std::uint64_t size) { return FakeEntry{P(name), false, size}; }
FakeEntry Folder(const char* name) { return FakeEntry{P(name), true, 0}; }

// A listing that holds the walk at one folder until the test lets it go.
struct Gate {
  std::mutex mutex;
  std::condition_variable changed;
  String pattern;  // the listing of this pattern waits
  bool reached = false;
  bool released = false;
};
Gate gate;

bool GatedFindFirst(const Char* pattern, FindEntry& entry, SearchHandle& search) {
  if (String(pattern) == gate.pattern) {
    std::unique_lock<std::mutex> lock(gate.mutex);
    gate.reached = true;
    gate.changed.notify_all();
    gate.changed.wait(lock, [] { return gate.released; });
  }
  return kFakeListing.findFirst(pattern, entry, search);
}
const FolderListing kGatedListing{GatedFindFirst, kFakeListing.findNext, kFakeListing.findClose,
                                  kFakeListing.folderIdentity};

struct Snapshot {
  std::vector<String> names;
  String findText;
  String statusText;
  bool listVisible;
  bool listRedraws;
  int running;
  int beeps;
  int focusedSelected;
  bool holdsHandle;
};

class ScanControl : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetFakeListing();
    gate.pattern.clear();
    gate.reached = false;
    gate.released = false;
    StartStandInUi();
    list_.table = &table_;
    find_.text = P("Find");
    path_.text = P("R");
    CopyText(state_.title.data(), kTextUnits, P("Hulkmeter").c_str());
    state_.mainWindow = &main_;
    state_.resultList = &list_;
    state_.pathEdit = &path_;
    state_.statusLine = &status_;
    state_.findButton = &find_;
    state_.listing = &kGatedListing;
  }
  void TearDown() override {
    ReleaseGate();
    WaitForWorkers();
    StopStandInUi();
    CloseThreadHandle(state_.WorkerHandle);
    EXPECT_EQ(FakeListing().openSearches, 0) << "a stopped walk left a search open";
  }

  void Command1() {
    RunOnUiThread([this] { StartOrStopScan(state_); });
  }
  void HoldWalkAt(const char* folder) {
    TextBuffer pattern{};
    JoinPath(pattern, P(folder).c_str(), HM_TEXT("*.*"));
    gate.pattern = pattern.data();
  }
  void WaitUntilHeld() {
    std::unique_lock<std::mutex> lock(gate.mutex);
    gate.changed.wait(lock, [] { return gate.reached; });
  }
  void ReleaseGate() {
    std::lock_guard<std::mutex> lock(gate.mutex);
    gate.released = true;
    gate.changed.notify_all();
  }
  Snapshot Take() {
    Snapshot shot{};
    RunOnUiThread([this, &shot] {
      const ResultTable table = MemoryResultTable(table_);
      for (int row = 0; row < table.ops->count(table.table); ++row) {
        TextBuffer cell{};
        table.ops->cellText(table.table, row, kColumnFile, cell);
        shot.names.emplace_back(cell.data());
      }
      shot.findText = find_.text;
      shot.statusText = status_.text;
      shot.listVisible = list_.visible;
      shot.listRedraws = list_.redraw;
      shot.running = state_.RunningFlag.load();
      shot.beeps = TheStandInUi().beeps;
      shot.focusedSelected = table.ops->focusedSelectedRow(table.table);
      shot.holdsHandle = state_.WorkerHandle != nullptr;
    });
    return shot;
  }
  void ExpectIdleAndEmpty(const Snapshot& shot, int beeps) {
    EXPECT_TRUE(shot.names.empty());
    EXPECT_EQ(shot.findText, P("Find"));
    EXPECT_EQ(shot.statusText, String());
    EXPECT_TRUE(shot.listVisible);
    EXPECT_TRUE(shot.listRedraws);
    EXPECT_EQ(shot.running, 0);
    EXPECT_EQ(shot.beeps, beeps);
    EXPECT_EQ(state_.CurrentWorker.load(), 0u);
  }

  StandInWindow main_, list_, path_, status_, find_;
  MemoryTable table_;
  AppState state_{};
};

std::vector<String> Names(std::initializer_list<const char*> names) {
  std::vector<String> result;
  for (const char* name : names) result.push_back(P(name));
  return result;
}

TEST_F(ScanControl, CompletedScanEndsOrderedWithBeepAndRowZeroSelected) {
  AddFakeFolder(P("R"), {File("ten", 10), Folder("Sub"), File("zero", 0)});
  AddFakeFolder(P("R\\Sub"), {File("three-thousand", 3000), File("three-million", 3000000)});
  Command1();
  WaitForWorkers();
  const Snapshot shot = Take();
  EXPECT_EQ(shot.names, Names({"three-million", "three-thousand", "ten", "zero"}));
  EXPECT_EQ(shot.beeps, 1);
  EXPECT_EQ(shot.findText, P("Find"));
  EXPECT_EQ(shot.statusText, String());
  EXPECT_EQ(shot.focusedSelected, 0);
  EXPECT_TRUE(shot.listVisible);
  EXPECT_TRUE(shot.listRedraws);
  EXPECT_EQ(shot.running, 0);
  EXPECT_TRUE(shot.holdsHandle);  // released at the next start
  EXPECT_GE(main_.repaints, 1);
}

TEST_F(ScanControl, WhileTheWalkRunsTheButtonReadsCancelAndTheListIsHidden) {
  AddFakeFolder(P("R"), {File("a", 1), Folder("Slow"), File("b", 2)});
  AddFakeFolder(P("R\\Slow"), {File("c", 3)});
  HoldWalkAt("R\\Slow");
  Command1();
  WaitUntilHeld();
  const Snapshot during = Take();
  EXPECT_EQ(during.findText, P("Cancel"));
  EXPECT_EQ(during.statusText, P("R"));
  EXPECT_FALSE(during.listVisible);
  EXPECT_FALSE(during.listRedraws);
  EXPECT_EQ(during.running, 1);
  EXPECT_EQ(during.names, Names({"a"}));  // sent before the status line moved on
  ReleaseGate();
  WaitForWorkers();
  EXPECT_EQ(Take().names, Names({"c", "b", "a"}));
}

TEST_F(ScanControl, StartThenStopLeavesNothingBehind) {
  AddFakeFolder(P("R"), {File("a", 1), File("b", 2), Folder("Sub"), File("c", 3)});
  AddFakeFolder(P("R\\Sub"), {File("d", 4)});
  // No scan may end by itself between the two commands: every worker is held
  // at "Sub" until all the stops are in.
  HoldWalkAt("R\\Sub");
  for (int round = 0; round < 200; ++round) {
    if (round % 2 == 0) {
      // Both commands before the worker's first step: the second still stops.
      RunOnUiThread([this] {
        StartOrStopScan(state_);
        StartOrStopScan(state_);
      });
    } else {
      Command1();
      Command1();
    }
  }
  ReleaseGate();
  WaitForWorkers();
  ExpectIdleAndEmpty(Take(), 0);
}

TEST_F(ScanControl, StoppedWorkerHeldInTheWalkAddsNothingWhenItGoesOn) {
  AddFakeFolder(P("R"), {File("a", 1), File("b", 2), Folder("Slow"), File("late", 3)});
  AddFakeFolder(P("R\\Slow"), {File("c", 3)});
  HoldWalkAt("R\\Slow");
  Command1();
  WaitUntilHeld();
  Command1();  // stop while the worker stands in the walk
  ReleaseGate();
  WaitForWorkers();
  ExpectIdleAndEmpty(Take(), 0);
}

struct StopCase {
  const char* label;
  WorkerStep step;  // command 1 arrives right before this call of the worker
  int beeps;
};

const StopCase kStopCases[] = {
    {"BeforeRows", WorkerStep::kTakeBatch, 0},
    {"BeforeOrdering", WorkerStep::kSortTable, 0},
    {"BeforeBeep", WorkerStep::kBeep, 0},
    {"BeforeRestore", WorkerStep::kRestoreControls, 1},
    {"BeforeSelection", WorkerStep::kSelectFirst, 1},
    {"BeforeShowingTheList", WorkerStep::kShowList, 1},
    {"BeforeRepaint", WorkerStep::kRepaint, 1},
    {"BeforeLastStep", WorkerStep::kEnd, 1},
};

class ScanControlStop : public ScanControl, public ::testing::WithParamInterface<StopCase> {};

TEST_P(ScanControlStop, StopsAndNoLaterStepFollows) {
  AddFakeFolder(P("R"), {File("a", 1), File("b", 2)});
  const WorkerStep stopBefore = GetParam().step;
  std::vector<WorkerStep> carriedOut;
  TheStandInUi().beforeWorkerCall = [&carriedOut, stopBefore](AppState& state, WorkerRequest& request) {
    if (request.step == stopBefore && state.RunningFlag.load() != 0) StartOrStopScan(state);
    carriedOut.push_back(request.step);
  };
  Command1();
  WaitForWorkers();
  ExpectIdleAndEmpty(Take(), GetParam().beeps);
  EXPECT_EQ(carriedOut.back(), stopBefore) << "the worker asked for nothing after the refused call";
}

INSTANTIATE_TEST_SUITE_P(Table, ScanControlStop, ::testing::ValuesIn(kStopCases), LabelName());

TEST_F(ScanControl, NewScanClearsTheOldRowsBeforeItsWorkerStarts) {
  AddFakeFolder(P("R"), {File("old", 1)});
  AddFakeFolder(P("S"), {File("new", 2)});
  Command1();
  WaitForWorkers();
  int rowsAtBegin = -1;
  TheStandInUi().beforeWorkerCall = [this, &rowsAtBegin](AppState&, WorkerRequest& request) {
    if (request.step == WorkerStep::kBegin) rowsAtBegin = MemoryResultTable(table_).ops->count(&table_);
  };
  RunOnUiThread([this] { path_.text = P("S"); });
  Command1();
  WaitForWorkers();
  EXPECT_EQ(rowsAtBegin, 0);
  EXPECT_EQ(Take().names, Names({"new"}));
  EXPECT_EQ(Take().beeps, 2);
}

TEST_F(ScanControl, PathEditedDuringAScanChangesOnlyTheNextScan) {
  AddFakeFolder(P("R"), {Folder("Slow"), File("from-r", 1)});
  AddFakeFolder(P("Other"), {File("from-other", 2)});
  HoldWalkAt("R\\Slow");
  Command1();
  WaitUntilHeld();
  RunOnUiThread([this] { path_.text = P("Other"); });
  ReleaseGate();
  WaitForWorkers();
  EXPECT_EQ(Take().names, Names({"from-r"}));
  Command1();
  WaitForWorkers();
  EXPECT_EQ(Take().names, Names({"from-other"}));
}

TEST_F(ScanControl, ThreadThatCannotBeCreatedIsReportedAndLeavesIdle) {
  AddFakeFolder(P("R"), {File("a", 1)});
  RunOnUiThread([] { TheStandInUi().failNextThreadCreation = true; });
  Command1();
  const Snapshot shot = Take();
  ExpectIdleAndEmpty(shot, 0);
  EXPECT_FALSE(shot.holdsHandle);
  RunOnUiThread([] {
    ASSERT_EQ(TheStandInUi().messages.size(), 1u);
    const StandInMessage& message = TheStandInUi().messages[0];
    EXPECT_EQ(message.text, P("Can not create thread. Error!"));
    EXPECT_EQ(message.caption, P("Hulkmeter"));
    EXPECT_TRUE(message.isError);
  });
  Command1();  // the next start works
  WaitForWorkers();
  EXPECT_EQ(Take().names, Names({"a"}));
}

TEST_F(ScanControl, FolderWithoutFilesBeepsAndSelectsNothing) {
  AddFakeFolder(P("R"), {Folder("."), Folder(".."), Folder("Empty")});
  Command1();
  WaitForWorkers();
  const Snapshot shot = Take();
  EXPECT_TRUE(shot.names.empty());
  EXPECT_EQ(shot.beeps, 1);
  EXPECT_EQ(shot.focusedSelected, -1);
  EXPECT_EQ(shot.findText, P("Find"));
}

TEST_F(ScanControl, RowsLandInTheOrderMetAcrossManyBatches) {
  // 1,000 files with names of 200 units: the batch's text pool fills long
  // before its row slots do.
  std::vector<FakeEntry> entries;
  for (int i = 0; i < 1000; ++i) {
    const std::string name = std::to_string(1000 + i) + std::string(196, 'x');
    entries.push_back(FakeEntry{P(name.c_str()), false, static_cast<std::uint64_t>(i)});
  }
  AddFakeFolder(P("R"), entries);
  std::vector<String> beforeOrdering;
  TheStandInUi().beforeWorkerCall = [this, &beforeOrdering](AppState&, WorkerRequest& request) {
    if (request.step != WorkerStep::kSortTable) return;
    const ResultTable table = MemoryResultTable(table_);
    for (int row = 0; row < table.ops->count(table.table); ++row) {
      TextBuffer cell{};
      table.ops->cellText(table.table, row, kColumnFile, cell);
      beforeOrdering.emplace_back(cell.data());
    }
  };
  Command1();
  WaitForWorkers();
  ASSERT_EQ(beforeOrdering.size(), 1000u);
  for (std::size_t row = 0; row < 1000; ++row) {
    EXPECT_EQ(beforeOrdering[row], entries[999 - row].name) << "row " << row;  // newest on top
  }
  EXPECT_EQ(Take().names.front(), entries[999].name);
}

TEST_F(ScanControl, WalkGoesOnWhileTheUiThreadTakesABatch) {
  // The first batch fills with 256 rows; the walk then meets "Held" while
  // the UI thread is still inside that batch.
  std::vector<FakeEntry> entries;
  for (int i = 0; i < 300; ++i) entries.push_back(File(("f" + std::to_string(i)).c_str(), 1));
  entries.push_back(Folder("Held"));
  AddFakeFolder(P("R"), entries);
  AddFakeFolder(P("R\\Held"), {File("last", 2)});
  HoldWalkAt("R\\Held");
  TheStandInUi().clock = [] { return std::uint64_t{1000}; };  // no status line is due
  bool walkedOnMeanwhile = false;
  TheStandInUi().afterWorkerReleased = [&walkedOnMeanwhile] {
    if (walkedOnMeanwhile) return;
    std::unique_lock<std::mutex> lock(gate.mutex);
    walkedOnMeanwhile = gate.changed.wait_for(lock, std::chrono::seconds(10), [] { return gate.reached; });
  };
  Command1();
  WaitUntilHeld();
  ReleaseGate();
  WaitForWorkers();
  EXPECT_TRUE(walkedOnMeanwhile) << "the worker waited for the UI thread to finish its batch";
  const Snapshot shot = Take();
  ASSERT_EQ(shot.names.size(), 301u);
  EXPECT_EQ(shot.names.front(), P("last"));
}

struct StatusCase {
  const char* label;
  std::uint64_t tick;  // how far the clock moves at each reading, in milliseconds
  const char* whileHeld;
};

// The walk descends R, R\A, R\A\B and is held at R\A\B\C. The first status
// change of a scan goes at once; later ones wait in the batch until the
// interval has passed since the last hand-over.
const StatusCase kStatusCases[] = {
    {"ClockStands", 0, "R"},
    {"IntervalPassesAtEachFolder", kStatusIntervalMs, "R\\A\\B"},
};

class ScanControlStatus : public ScanControl, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(ScanControlStatus, StatusLineFollowsTheDescentInOrder) {
  AddFakeFolder(P("R"), {Folder("A")});
  AddFakeFolder(P("R\\A"), {Folder("B")});
  AddFakeFolder(P("R\\A\\B"), {Folder("C")});
  AddFakeFolder(P("R\\A\\B\\C"), {File("c", 1)});
  HoldWalkAt("R\\A\\B\\C");
  auto now = std::make_shared<std::atomic<std::uint64_t>>(1000);
  const std::uint64_t tick = GetParam().tick;
  TheStandInUi().clock = [now, tick] { return now->fetch_add(tick) + tick; };
  Command1();
  WaitUntilHeld();
  EXPECT_EQ(Take().statusText, P(GetParam().whileHeld));
  ReleaseGate();
  WaitForWorkers();
  // None lost, none out of order, whenever each went over.
  EXPECT_EQ(status_.shown, Names({"R", "R\\A", "R\\A\\B", ""}));
  EXPECT_EQ(Take().names, Names({"c"}));
}

INSTANTIATE_TEST_SUITE_P(Table, ScanControlStatus, ::testing::ValuesIn(kStatusCases), LabelName());

}  // namespace
}  // namespace hm::test

namespace hm::test {
namespace {

// Start/stop storms: commands, reads of the list and a close at random
// moments, seeded so that a failure replays (HM_STORM_SEED overrides).
class ScanControlStorm : public ScanControl {
 protected:
  unsigned Seed() {
    const char* given = std::getenv("HM_STORM_SEED");
    return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : 20261211u;
  }
  void MakeTree() {
    std::vector<FakeEntry> root;
    for (int folder = 0; folder < 8; ++folder) {
      const std::string name = "d" + std::to_string(folder);
      root.push_back(Folder(name.c_str()));
      std::vector<FakeEntry> files;
      for (int file = 0; file < 20; ++file) {
        files.push_back(FakeEntry{P((name + "f" + std::to_string(file)).c_str()), false,
                                  static_cast<std::uint64_t>(folder * 100 + file)});
      }
      AddFakeFolder(P("R\\") + P(name.c_str()), files);
    }
    AddFakeFolder(P("R"), root);
  }
  // After every worker has ended the table is empty or holds the whole tree
  // in order with row 0 selected; nothing in between.
  void ExpectConsistent(const std::string& context) {
    const Snapshot shot = Take();
    EXPECT_EQ(shot.running, 0) << context;
    EXPECT_EQ(shot.findText, P("Find")) << context;
    EXPECT_EQ(shot.statusText, String()) << context;
    EXPECT_TRUE(shot.listVisible) << context;
    EXPECT_TRUE(shot.listRedraws) << context;
    if (shot.names.empty()) return;
    ASSERT_EQ(shot.names.size(), 160u) << context;
    EXPECT_EQ(shot.names.front(), P("d7f19")) << context;
    EXPECT_EQ(shot.focusedSelected, 0) << context;
    RunOnUiThread([this, &context] { EXPECT_TRUE(RowsOrderedBySize(MemoryResultTable(table_))) << context; });
  }
};

TEST_F(ScanControlStorm, ThousandCommandsWithReadsInBetween) {
  MakeTree();
  state_.listing = &kFakeListing;
  std::mt19937 random(Seed());
  int commands = 0;
  for (int step = 0; step < 2000 && commands < 1000; ++step) {
    switch (random() % 4) {
      case 0:
      case 1:
        Command1();
        ++commands;
        break;
      case 2:  // "Explore": what the command reads of the table
        RunOnUiThread([this] {
          const ResultTable table = MemoryResultTable(table_);
          const int row = table.ops->focusedSelectedRow(table.table);
          TextBuffer cell{};
          if (row >= 0) table.ops->cellText(table.table, row, kColumnPath, cell);
        });
        break;
      default:  // let the worker get on for a while
        for (auto wait = random() % 20; wait > 0; --wait) RunOnUiThread([] {});
    }
  }
  WaitForWorkers();
  ExpectConsistent("seed " + std::to_string(Seed()));
  if (state_.RunningFlag.load() == 0) {
    Command1();  // a last full scan still works
    WaitForWorkers();
    EXPECT_EQ(Take().names.size(), 160u);
  }
}

TEST_F(ScanControlStorm, ClosingAtARandomMomentEndsEveryWorker) {
  MakeTree();
  state_.listing = &kFakeListing;
  std::mt19937 random(Seed());
  for (int round = 0; round < 50; ++round) {
    const auto closeAt = random() % 30;
    for (std::uint_fast32_t step = 0; step < closeAt; ++step) {
      if (random() % 2 == 0) Command1();
      for (auto wait = random() % 5; wait > 0; --wait) RunOnUiThread([] {});
    }
    // The window goes: the UI thread carries out nothing more, and every
    // worker's next call comes back refused, so each one ends by itself.
    StopStandInUi();
    WaitForWorkers();
    StartStandInUi();
    CloseThreadHandle(state_.WorkerHandle);
    state_.WorkerHandle = nullptr;
    state_.RunningFlag.store(0);
    state_.CurrentWorker.store(0);
    RunOnUiThread([this] {
      MemoryResultTable(table_).ops->clear(&table_);
      find_.text = P("Find");
      status_.text.clear();
      list_.visible = true;
      list_.redraw = true;
    });
  }
  Command1();
  WaitForWorkers();
  EXPECT_EQ(Take().names.size(), 160u);
}

}  // namespace
}  // namespace hm::test
