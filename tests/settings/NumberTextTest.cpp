#include "settings/NumberText.h"

#include <gtest/gtest.h>

#include <vector>

namespace orbl {
namespace {

// Hexadecimal forms are 32-bit patterns, decimal stays in the signed range.
TEST(TextToInt, AcceptsTheStoredFormsAndHandEditedVariantsAndNothingElse) {
  const std::pair<std::int32_t, std::vector<const char*>> accepted[] = {
      {0, {"0"}},
      {15, {"15"}},
      {-7, {"-7"}},
      {7, {"+7", "007"}},
      {30, {"  30", "\t 30"}},
      {31, {"$1F", "x1f", "X1F"}},
      {16, {"0x10", "0X10"}},
      {-16, {"-$10"}},
      {INT32_MAX, {"2147483647"}},
      {INT32_MIN, {"-2147483648", "0x80000000"}},
      {-1, {"$FFFFFFFF"}},
  };
  for (const auto& [value, texts] : accepted) {
    for (const char* text : texts) EXPECT_EQ(TextToInt(text), value) << '"' << text << '"';
  }
  const char* refused[] = {"-",           " ",          "",     "$",
                           "0x",          "15 ",        "1 5",  "15s",
                           "abc",         "1.5",        "--1",  "2147483648",
                           "-2147483649", "$100000000", "0x1G", "99999999999999999999999"};
  for (const char* text : refused) EXPECT_EQ(TextToInt(text), std::nullopt) << '"' << text << '"';
}

}  // namespace
}  // namespace orbl
