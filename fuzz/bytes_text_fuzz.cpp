// The bytes text and the parse that orders the rows: FormatBytesText,
// ParseBytesText, CompareBytesTexts and CompareRowsBySize, which reads its two
// texts from the table.
//
// Oracles: a reference parser written from the rules of the parse (skip
// 0x09-0x0D and 0x20, one sign, ASCII digits, value kept in 128 bits and
// clamped to the signed 64-bit range at the end); the C library's decimal
// printing for the bytes text; the reference values compared unsigned for
// the ordering, which must also be antisymmetric.
//
// Input header: size. Segments: the first and the second row's bytes cell.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/result_table.h"
#include "scan/size_text.h"

namespace hm::fuzz {
namespace {

std::int64_t ReferenceParse(const String& text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == 0x20 || (text[at] >= 0x09 && text[at] <= 0x0D))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  using Wide = unsigned __int128;
  const Wide kBeyond = Wide{1} << 70;  // any magnitude this large clamps
  Wide magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (magnitude < kBeyond) magnitude = magnitude * 10 + (text[at] - '0');
  }
  const Wide kMaxPositive = INT64_MAX;
  if (!negative) return magnitude > kMaxPositive ? INT64_MAX : static_cast<std::int64_t>(magnitude);
  if (magnitude > kMaxPositive + 1) return INT64_MIN;
  return static_cast<std::int64_t>(-static_cast<__int128>(magnitude));
}

int Sign(int value) { return (value > 0) - (value < 0); }

// Largest first: positive when the first value is the smaller, compared unsigned.
int ReferenceOrder(std::int64_t first, std::int64_t second) {
  const auto a = static_cast<std::uint64_t>(first);
  const auto b = static_cast<std::uint64_t>(second);
  return a < b ? 1 : a > b ? -1 : 0;
}

std::int64_t ParseExact(const String& text) {
  const auto copy = ExactText(text);  // a read past the terminator is seen
  return ParseBytesText(copy.get());
}

void CheckParse(const String& text) {
  const std::int64_t got = ParseExact(text);
  const std::int64_t expected = ReferenceParse(text);
  if (got != expected) {
    Fail("parse differs from the reference",
         "\"" + Printable(text) + "\": got " + std::to_string(got) + ", expected " + std::to_string(expected));
  }
}

void CheckBytesText(std::uint64_t size) {
  auto out = std::make_unique<TextBuffer>();  // ASan guards its end
  out->fill(0xFFFF);
  FormatBytesText(size, *out);
  bool terminated = false;
  const String got = TextIn(out->data(), out->size(), &terminated);
  if (!terminated || got != ToText(std::to_string(size))) {
    Fail("bytes text differs", std::to_string(size) + ": got \"" + Printable(got) + "\"");
  }
  // Read back as the ordering reads it: sizes from 2^63 up clamp.
  const std::int64_t back = ParseBytesText(out->data());
  const std::int64_t expected = size > INT64_MAX ? INT64_MAX : static_cast<std::int64_t>(size);
  if (back != expected) Fail("bytes text does not read back", std::to_string(size));
}

// Two rows whose bytes cells hold the given texts. A cell is read as the list
// control reads one: cut to 259 units and terminated.
struct TwoRows {
  String cells[2];
};

void TwoRowsCellText(void* table, int row, int column, TextBuffer& out) {
  out[0] = 0;
  if (column != kColumnBytes || row < 0 || row > 1) return;
  const String& cell = static_cast<TwoRows*>(table)->cells[row];
  const std::size_t length = std::min<std::size_t>(cell.size(), kTextUnits - 1);
  for (std::size_t index = 0; index < length; ++index) out[index] = cell[index];
  out[length] = 0;
}

int TwoRowsCount(void*) { return 2; }

void CheckOrder(const String& first, const String& second) {
  const auto a = ExactText(first);
  const auto b = ExactText(second);
  const int expected = ReferenceOrder(ReferenceParse(first), ReferenceParse(second));
  const int got = Sign(CompareBytesTexts(a.get(), b.get()));
  const int back = Sign(CompareBytesTexts(b.get(), a.get()));
  if (got != expected || back != -expected || CompareBytesTexts(a.get(), a.get()) != 0) {
    Fail("ordering differs from the reference", "\"" + Printable(first) + "\" vs \"" + Printable(second) + "\": got " +
                                                    std::to_string(got) + "/" + std::to_string(back) + ", expected " +
                                                    std::to_string(expected));
  }

  TableOps ops{};
  ops.count = TwoRowsCount;
  ops.cellText = TwoRowsCellText;
  TwoRows rows{{first, second}};
  const ResultTable table{&ops, &rows};
  const String cut[2] = {first.substr(0, kTextUnits - 1), second.substr(0, kTextUnits - 1)};
  const int rowsExpected = ReferenceOrder(ReferenceParse(cut[0]), ReferenceParse(cut[1]));
  if (Sign(CompareRowsBySize(0, 1, table)) != rowsExpected || Sign(CompareRowsBySize(1, 0, table)) != -rowsExpected ||
      CompareRowsBySize(1, 1, table) != 0) {
    Fail("row ordering differs from the reference", "\"" + Printable(cut[0]) + "\" vs \"" + Printable(cut[1]) + "\"");
  }
  if (RowsOrderedBySize(table) != (rowsExpected <= 0)) Fail("RowsOrderedBySize disagrees", Printable(cut[0]));
}

}  // namespace
}  // namespace hm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hm::fuzz;
  const FuzzInput input = ReadFuzzInput(data, size);
  CheckBytesText(input.Number(0));
  const String first = input.Segment(0);
  const String second = input.Segment(1);
  CheckParse(first);
  CheckParse(second);
  CheckOrder(first, second);
  return 0;
}
