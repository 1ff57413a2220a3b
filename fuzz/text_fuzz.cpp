// The bounded text routines every path goes through: CopyText, AppendText
// and both forms of JoinPath.
//
// Oracle: the same operation on std::basic_string, then "fits with its
// terminator or is refused whole". The buffer is an allocation of exactly
// `capacity` units (none when it is 0 or less), so AddressSanitizer reports
// any unit touched past it; the source texts are exact allocations too.
//
// Input header: operation capacity fill unterminated.
//   operation 0 CopyText(segment 0), 1 AppendText(segment 1) onto segment 0,
//   2 JoinPath(segment 0, segment 1) into `capacity` units, 3 the same into
//   a TextBuffer. capacity is taken modulo 600, minus 2.
// The buffer starts as segment 0, then a zero unless `unterminated` is odd,
// then the `fill` unit: stale content, or none of it a terminator.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/text.h"

namespace hm::fuzz {
namespace {

// What a routine sees of a text: it ends at the first zero unit.
String Visible(const String& text) { return text.substr(0, text.find(Char{0})); }

String Joined(const String& folder, const String& name) {
  const bool endsWithSeparator = !folder.empty() && folder.back() == kSeparator;
  return folder + (endsWithSeparator ? String() : String(1, kSeparator)) + name;
}

std::string Describe(int capacity, const String& first, const String& second) {
  return "capacity " + std::to_string(capacity) + ", \"" + Printable(first) + "\", \"" + Printable(second) + "\"";
}

void CheckOutcome(bool got, const String& expected, const Char* buffer, int capacity, const std::string& detail) {
  const bool fits = capacity > 0 && expected.size() + 1 <= static_cast<std::size_t>(capacity);
  if (got != fits) Fail(fits ? "a text that fits was refused" : "a text that does not fit was taken", detail);
  if (capacity <= 0) return;
  bool terminated = false;
  const String text = TextIn(buffer, static_cast<std::size_t>(capacity), &terminated);
  if (!terminated) Fail("no terminator within the buffer", detail);
  if (fits && text != expected) Fail("wrong text", detail + ": got \"" + Printable(text) + "\"");
  if (!fits && !text.empty()) Fail("a refused text left a text behind", detail + ": \"" + Printable(text) + "\"");
}

}  // namespace
}  // namespace hm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hm;
  using namespace hm::fuzz;
  const FuzzInput input = ReadFuzzInput(data, size);
  const auto operation = input.Number(0) % 4;
  const int capacity = operation == 3 ? kTextUnits : static_cast<int>(input.Number(1) % 600) - 2;
  const auto fill = static_cast<Char>(input.Number(2));
  const bool unterminated = input.Number(3) % 2 == 1;
  const String first = input.Segment(0);
  const String second = input.Segment(1);
  const auto firstText = ExactText(first);
  const auto secondText = ExactText(second);

  const std::size_t units = capacity > 0 ? static_cast<std::size_t>(capacity) : 0;
  std::unique_ptr<Char[]> buffer(new Char[units]);
  for (std::size_t index = 0; index < units; ++index) {
    if (index < first.size()) {
      buffer[index] = first[index];
    } else {
      buffer[index] = index == first.size() && !unterminated ? Char{0} : fill;
    }
  }
  const String before(buffer.get(), units);
  const std::string detail = Describe(capacity, first, second);

  switch (operation) {
    case 0:
      CheckOutcome(CopyText(buffer.get(), capacity, firstText.get()), Visible(first), buffer.get(), capacity, detail);
      break;
    case 1: {
      bool terminated = false;
      const String old = TextIn(before.data(), units, &terminated);
      const bool got = AppendText(buffer.get(), capacity, secondText.get());
      if (!terminated) {
        // Nothing to append to: refused, and the buffer is left as it was.
        if (got || String(buffer.get(), units) != before) Fail("append to an unterminated buffer", detail);
        break;
      }
      const String whole = old + Visible(second);
      const bool fits = whole.size() + 1 <= units;
      const String text = TextIn(buffer.get(), units, &terminated);
      if (got != fits || !terminated || text != (fits ? whole : old)) {
        Fail("append differs from the model", detail + ": got \"" + Printable(text) + "\"");
      }
      break;
    }
    case 2:
      CheckOutcome(JoinPath(buffer.get(), capacity, firstText.get(), secondText.get()),
                   Joined(Visible(first), Visible(second)), buffer.get(), capacity, detail);
      break;
    default: {
      auto path = std::make_unique<TextBuffer>();
      for (std::size_t index = 0; index < path->size(); ++index) (*path)[index] = buffer[index];
      CheckOutcome(JoinPath(*path, firstText.get(), secondText.get()), Joined(Visible(first), Visible(second)),
                   path->data(), kTextUnits, detail);
      break;
    }
  }
  return 0;
}
