#include "settings/NumberText.h"

#include <gtest/gtest.h>

namespace orbl {
namespace {

TEST(TextToInt, AcceptsTheStoredFormsAndHandEditedVariants) {
  const std::pair<const char*, std::int32_t> accepted[] = {
      {"0", 0},
      {"15", 15},
      {"-7", -7},
      {"+7", 7},
      {"  30", 30},
      {"\t 30", 30},
      {"$1F", 31},
      {"x1f", 31},
      {"X1F", 31},
      {"0x10", 16},
      {"0X10", 16},
      {"-$10", -16},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"007", 7},
  };
  for (auto [text, value] : accepted) {
    EXPECT_EQ(TextToInt(text), value) << '"' << text << '"';
  }
}

TEST(TextToInt, RefusesAnythingThatIsNotAWholeNumber) {
  const char* refused[] = {"",
                           " ",
                           "-",
                           "$",
                           "0x",
                           "15 ",
                           "1 5",
                           "15s",
                           "abc",
                           "1.5",
                           "--1",
                           "2147483648",
                           "-2147483649",
                           "$100000000",
                           "0x1G",
                           "99999999999999999999999"};
  for (const char* text : refused) {
    EXPECT_EQ(TextToInt(text), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace orbl
