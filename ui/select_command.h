// The parameters that open the file manager with one file selected.
#pragma once

#include <array>

#include "scan/text.h"

namespace hm {

// A folder cell and a name cell hold up to 259 units each: joined with a
// separator they need up to 519 units, and "/select, " takes 9 more, so a
// row's command line is never cut.
constexpr int kSelectCommandUnits = 9 + 2 * kTextUnits;
using SelectCommand = std::array<Char, kSelectCommandUnits>;

// "/select, " + folder + "\" (unless the folder ends with one) + name,
// unquoted. A folder cell is never empty (an empty root scans nothing);
// if one were, the name would follow the separator alone.
void BuildSelectCommand(const Char* folder, const Char* name, SelectCommand& out);

}  // namespace hm
