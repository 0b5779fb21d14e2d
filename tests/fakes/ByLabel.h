// Names each case of a parameterised test table after its `label` field.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace epiloom::testing {

struct ByLabel {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
    return info.param.label;
  }
};

}  // namespace epiloom::testing
