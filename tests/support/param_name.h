// Names a parameterised case after its table entry's label.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace hm::test {

struct LabelName {
  template <class Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& entry) const {
    return std::string(entry.param.label);
  }
};

}  // namespace hm::test
