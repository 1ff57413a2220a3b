#include "ui/select_command.h"

namespace hm {

void BuildSelectCommand(const Char* folder, const Char* name, SelectCommand& out) {
  static constexpr Char kSelectSwitch[] = HM_TEXT("/select, ");
  std::array<Char, 2 * std::size_t{kTextUnits}> fullPath{};
  JoinPath(fullPath, folder, name);
  CopyText(out.data(), kSelectCommandUnits, kSelectSwitch);
  AppendText(out.data(), kSelectCommandUnits, fullPath.data());
}

}  // namespace hm
