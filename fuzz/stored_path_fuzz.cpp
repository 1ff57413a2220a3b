// What a stored value gives the path edit (DecideRestoredPath) and the key it
// lives under (BuildSettingsKeyPath), for any type, byte count and content.
//
// Oracles are invariants and a small model, not the routine restated:
//  - the bytes past the count received are poisoned for AddressSanitizer, and
//    a second call with other units there must decide the same: nothing past
//    the count is ever read;
//  - only REG_SZ gives a text; more than 520 bytes never does;
//  - a restored text is a prefix of the whole units received, ending at the
//    first zero unit or at the last whole unit; 260 units or more are never
//    restored; refused leaves "";
//  - the key path is the vendor key and the title, or "" for a title that is
//    empty, unterminated or too long to fit.
//
// Input header: mode type count fill unterminated. Segment 0 is the value's
// units (or the title); the rest of the 260-unit buffer holds `fill`.
//   mode 0: DecideRestoredPath(type, data, count); mode 1: the key path, the
//   title's units followed by a zero unless `unterminated` is odd.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "settings/stored_path.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define HM_FUZZ_POISON(begin, bytes) ASAN_POISON_MEMORY_REGION(begin, bytes)
#define HM_FUZZ_UNPOISON(begin, bytes) ASAN_UNPOISON_MEMORY_REGION(begin, bytes)
#endif
#endif
#ifndef HM_FUZZ_POISON
#define HM_FUZZ_POISON(begin, bytes) ((void)(begin), (void)(bytes))
#define HM_FUZZ_UNPOISON(begin, bytes) ((void)(begin), (void)(bytes))
#endif

namespace hm::fuzz {
namespace {

constexpr std::uint32_t kBufferBytes = kTextUnits * sizeof(Char);

struct Decision {
  bool restored;
  String path;
};

// Poisons the units from `received` on and decides; `stale`, when given, is
// first written over them.
Decision DecideOver(TextBuffer& data, std::size_t received, const Char* stale, std::uint32_t type,
                    std::uint32_t count) {
  for (std::size_t index = received; stale != nullptr && index < data.size(); ++index) data[index] = *stale;
  HM_FUZZ_POISON(data.data() + received, (data.size() - received) * sizeof(Char));
  auto path = std::make_unique<TextBuffer>();
  path->fill(0xFFFF);
  const bool restored = DecideRestoredPath(type, data, count, *path);
  HM_FUZZ_UNPOISON(data.data() + received, (data.size() - received) * sizeof(Char));
  bool terminated = false;
  String text = TextIn(path->data(), path->size(), &terminated);
  if (!terminated) Fail("path without a terminator", Printable(text));
  return {restored, text};
}

void CheckStoredValue(const FuzzInput& input) {
  const auto type = static_cast<std::uint32_t>(input.Number(1));
  const auto count = static_cast<std::uint32_t>(input.Number(2));
  const auto fill = static_cast<Char>(input.Number(3));
  const String value = input.Segment(0);

  auto data = std::make_unique<TextBuffer>();
  for (std::size_t index = 0; index < data->size(); ++index)
    (*data)[index] = index < value.size() ? value[index] : fill;
  const String units(data->data(), data->size());
  // Whole units the query handed over; it never hands over more than the buffer.
  const std::size_t received = std::min(count, kBufferBytes) / sizeof(Char);
  const String receivedUnits = units.substr(0, received);
  const std::string detail = "type " + std::to_string(type) + ", " + std::to_string(count) + " bytes, \"" +
                             Printable(receivedUnits.substr(0, 40)) + "\"...";

  const Decision decision = DecideOver(*data, received, nullptr, type, count);
  // Other units past the count must not change anything.
  const Char stale = fill == 0 ? Char{'x'} : Char{0};
  const Decision other = DecideOver(*data, received, &stale, type, count);
  if (decision.restored != other.restored || decision.path != other.path) {
    Fail("the decision depends on units past the byte count", detail);
  }

  if (!decision.restored && !decision.path.empty()) Fail("refused but a text left behind", detail);
  if (decision.restored && type != kValueTypeSz) Fail("a text from a type other than REG_SZ", detail);
  if (decision.restored && count > kBufferBytes) Fail("a text from more than 520 bytes", detail);
  if (decision.restored && decision.path.size() >= static_cast<std::size_t>(kTextUnits)) {
    Fail("a text of 260 units or more restored", detail);
  }
  if (decision.restored && receivedUnits.compare(0, decision.path.size(), decision.path) != 0) {
    Fail("restored text is not a prefix of the units received", detail);
  }

  // The model: a REG_SZ of at most 520 bytes gives its units up to the first
  // zero, or all whole units without one, when that leaves room for a terminator.
  const String text = receivedUnits.substr(0, receivedUnits.find(Char{0}));
  const bool restores = type == kValueTypeSz && count <= kBufferBytes && text.size() < kTextUnits;
  if (decision.restored != restores || (restores && decision.path != text)) {
    Fail("decision differs from the model",
         detail + ": got " + (decision.restored ? "\"" + Printable(decision.path) + "\"" : "refused"));
  }
}

void CheckKeyPath(const FuzzInput& input) {
  static const String kVendorKey = ToText("SOFTWARE\\Tovarik\\");
  const auto fill = static_cast<Char>(input.Number(3));
  const bool unterminated = input.Number(4) % 2 == 1;
  const String segment = input.Segment(0);

  auto title = std::make_unique<TextBuffer>();
  for (std::size_t index = 0; index < title->size(); ++index) {
    if (index < segment.size()) {
      (*title)[index] = segment[index];
    } else {
      (*title)[index] = index == segment.size() && !unterminated ? Char{0} : fill;
    }
  }
  auto keyPath = std::make_unique<TextBuffer>();
  keyPath->fill(0xFFFF);
  BuildSettingsKeyPath(*title, *keyPath);

  bool titleTerminated = false;
  const String titleText = TextIn(title->data(), title->size(), &titleTerminated);
  const String full = kVendorKey + titleText;
  const bool fits = titleTerminated && !titleText.empty() && full.size() + 1 <= static_cast<std::size_t>(kTextUnits);
  bool terminated = false;
  const String got = TextIn(keyPath->data(), keyPath->size(), &terminated);
  if (!terminated || got != (fits ? full : String())) {
    Fail("key path differs", "title \"" + Printable(titleText) + "\": got \"" + Printable(got) + "\"");
  }
}

}  // namespace
}  // namespace hm::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const hm::fuzz::FuzzInput input = hm::fuzz::ReadFuzzInput(data, size);
  if (input.Number(0) % 2 == 0) {
    hm::fuzz::CheckStoredValue(input);
  } else {
    hm::fuzz::CheckKeyPath(input);
  }
  return 0;
}
