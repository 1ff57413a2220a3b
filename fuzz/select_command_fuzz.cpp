// The file manager's parameters for one row: BuildSelectCommand.
//
// Oracle: "/select, " followed by the std::basic_string join of folder,
// separator (unless the folder ends with one) and name when that join fits
// its 520-unit buffer, "/select, " alone when not; and the invariant that
// two cells of at most 259 units each are never cut. The output and both
// texts are exact allocations, so AddressSanitizer sees any overrun.
//
// Input: no header numbers are used. Segment 0 is the folder, 1 the name.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_input.h"
#include "ui/select_command.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hm;
  using namespace hm::fuzz;
  const FuzzInput input = ReadFuzzInput(data, size);
  const String folderSegment = input.Segment(0);
  const String nameSegment = input.Segment(1);
  const auto folderText = ExactText(folderSegment);
  const auto nameText = ExactText(nameSegment);
  auto out = std::make_unique<SelectCommand>();
  out->fill(0xFFFF);
  BuildSelectCommand(folderText.get(), nameText.get(), *out);

  const String folder = folderSegment.substr(0, folderSegment.find(Char{0}));
  const String name = nameSegment.substr(0, nameSegment.find(Char{0}));
  const bool endsWithSeparator = !folder.empty() && folder.back() == kSeparator;
  const String path = folder + (endsWithSeparator ? String() : String(1, kSeparator)) + name;
  const String prefix = ToText("/select, ");
  const bool fits = path.size() + 1 <= 2 * static_cast<std::size_t>(kTextUnits);
  const String expected = fits ? prefix + path : prefix;

  bool terminated = false;
  const String got = TextIn(out->data(), out->size(), &terminated);
  const std::string detail =
      "folder \"" + Printable(folder) + "\", name \"" + Printable(name) + "\": got \"" + Printable(got) + "\"";
  if (!terminated) Fail("command without a terminator", detail);
  if (got != expected) Fail("command differs from the model", detail);
  const std::size_t cell = kTextUnits - 1;
  if (folder.size() <= cell && name.size() <= cell && got != prefix + path) Fail("two cells' command was cut", detail);
  return 0;
}
