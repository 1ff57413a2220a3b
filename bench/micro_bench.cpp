// Micro-benchmarks of the texts a row carries and of the ordering's
// comparison, on sizes spread the way real trees spread them (0 B to 4 GiB).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "scan/result_table.h"
#include "scan/size_text.h"
#include "standin/memory_table.h"

namespace {

constexpr std::size_t kSamples = 4096;  // a power of two: the index wraps with a mask

std::vector<std::uint64_t> Sizes() {
  std::mt19937_64 random(1);
  std::vector<std::uint64_t> sizes(kSamples);
  for (auto& size : sizes) size = random() % (std::uint64_t{1} << (random() % 33));
  return sizes;
}

void BM_FormatSizeText(benchmark::State& state) {
  const auto sizes = Sizes();
  hm::TextBuffer out{};
  std::size_t i = 0;
  for (auto _ : state) {
    hm::FormatSizeText(sizes[i++ & (kSamples - 1)], out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_FormatSizeText);

void BM_FormatBytesText(benchmark::State& state) {
  const auto sizes = Sizes();
  hm::TextBuffer out{};
  std::size_t i = 0;
  for (auto _ : state) {
    hm::FormatBytesText(sizes[i++ & (kSamples - 1)], out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_FormatBytesText);

std::vector<hm::TextBuffer> BytesTexts() {
  std::vector<hm::TextBuffer> texts(kSamples);
  const auto sizes = Sizes();
  for (std::size_t i = 0; i < kSamples; ++i) hm::FormatBytesText(sizes[i], texts[i]);
  return texts;
}

void BM_ParseBytesText(benchmark::State& state) {
  const auto texts = BytesTexts();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(hm::ParseBytesText(texts[i++ & (kSamples - 1)].data()));
}
BENCHMARK(BM_ParseBytesText);

void BM_CompareBytesTexts(benchmark::State& state) {
  const auto texts = BytesTexts();
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t at = i++ & (kSamples - 1);
    benchmark::DoNotOptimize(hm::CompareBytesTexts(texts[at].data(), texts[(at * 7 + 1) & (kSamples - 1)].data()));
  }
}
BENCHMARK(BM_CompareBytesTexts);

// One comparison of the ordering: two cells read from the table, parsed and
// compared. The argument is the number of rows.
void BM_CompareRowsBySize(benchmark::State& state) {
  const auto rows = static_cast<int>(state.range(0));
  hm::MemoryTable memory;
  const hm::ResultTable table = hm::MemoryResultTable(memory);
  std::mt19937_64 random(2);
  for (int row = 0; row < rows; ++row) {
    table.ops->addRow(table.table, u"file00.bin", u"/tmp/tree/dir0/dir1",
                      random() % (std::uint64_t{1} << (random() % 33)));
  }
  std::vector<int> pairs(kSamples);
  for (auto& row : pairs) row = static_cast<int>(random() % static_cast<std::uint64_t>(rows));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t at = i++ & (kSamples - 1);
    benchmark::DoNotOptimize(hm::CompareRowsBySize(pairs[at], pairs[(at + 1) & (kSamples - 1)], table));
  }
}
BENCHMARK(BM_CompareRowsBySize)->Arg(25000)->Arg(100000)->Arg(200000);

// The whole in-memory ordering, for the growth from one size to the next.
void BM_MemoryTableSortBySize(benchmark::State& state) {
  const auto rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    hm::MemoryTable memory;
    const hm::ResultTable table = hm::MemoryResultTable(memory);
    std::mt19937_64 random(3);
    for (int row = 0; row < rows; ++row) {
      table.ops->addRow(table.table, u"file00.bin", u"/tmp/tree/dir0",
                        random() % (std::uint64_t{1} << (random() % 33)));
    }
    state.ResumeTiming();
    table.ops->sortBySize(table.table);
    benchmark::DoNotOptimize(memory.order.front());
  }
}
BENCHMARK(BM_MemoryTableSortBySize)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
