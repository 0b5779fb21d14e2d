#include "i18n/ProfileText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace epiloom {
namespace {

struct ValueCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class ProfileValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ProfileValueTest, FollowsTheProfileRules) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(ProfileValue(c.content, c.section, c.key), c.expected);
}

const std::string kMark = "\xEF\xBB\xBF";

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileValueTest,
    ::testing::Values(
        ValueCase{"SectionAndKeyWithoutLetterCase", "[language]\r\nREMOVE2=x\r\n", "Language", "Remove2", "x"},
        ValueCase{"BlanksAndTabsAroundKeyAndValue", "[Language]\r\n \t Remove2 \t=\t  some text \t\r\n",
                  "Language", "Remove2", "some text"},
        ValueCase{"BlanksAroundTheSectionName", "  [ Language ]  \r\nRemove2=x\r\n", "Language", "Remove2", "x"},
        ValueCase{"FirstOccurrenceWins", "[Language]\r\nRemove2=first\r\nremove2=second\r\n", "Language",
                  "Remove2", "first"},
        ValueCase{"OnlyTheNamedSection", "[Other]\r\nRemove2=other\r\n[Language]\r\nRemove1=x\r\n", "Language",
                  "Remove2", std::nullopt},
        ValueCase{"KeyBeforeAnySection", "Remove2=x\r\n[Language]\r\n", "Language", "Remove2", std::nullopt},
        ValueCase{"LaterSectionNotRead", "[Language]\r\nMy=m\r\n[Other]\r\nRemove2=x\r\n", "Language", "Remove2",
                  std::nullopt},
        ValueCase{"SecondSectionOfThatNameNotRead", "[Language]\r\nMy=m\r\n[language]\r\nRemove2=x\r\n",
                  "Language", "Remove2", std::nullopt},
        ValueCase{"EmptyValueStaysEmpty", "[Language]\r\nRemove2=\r\n", "Language", "Remove2", ""},
        ValueCase{"MissingFileContent", "", "Language", "Remove2", std::nullopt},
        ValueCase{"DoubleQuotesRemoved", "[Language]\r\nRemove2=\"  quoted  \"\r\n", "Language", "Remove2",
                  "  quoted  "},
        ValueCase{"SingleQuotesRemoved", "[Language]\r\nRemove2='x'\r\n", "Language", "Remove2", "x"},
        ValueCase{"UnmatchedQuotesStay", "[Language]\r\nRemove2=\"x'\r\n", "Language", "Remove2", "\"x'"},
        ValueCase{"ALoneQuoteStays", "[Language]\r\nRemove2=\"\r\n", "Language", "Remove2", "\""},
        ValueCase{"ValueCutTo259", "[Language]\r\nRemove2=" + std::string(300, 'y') + "\r\n", "Language",
                  "Remove2", std::string(259, 'y')},
        ValueCase{"EqualsSignInTheValue", "[Language]\r\nRemove2=a=b\r\n", "Language", "Remove2", "a=b"},
        ValueCase{"KeyWithoutEqualsSignEndsTheLookup", "[Language]\r\nRemove2\r\nRemove2=x\r\n", "Language",
                  "Remove2", std::nullopt},
        ValueCase{"LfOnlyLines", "[Language]\nRemove1=a\nRemove2=b\n", "Language", "Remove2", "b"},
        ValueCase{"LoneCrEndsALine", "[Language]\rRemove2=a\rb=c\r", "Language", "Remove2", "a"},
        ValueCase{"LastLineWithoutLineEnd", "[Language]\r\nRemove2=b", "Language", "Remove2", "b"},
        ValueCase{"LeadingByteOrderMarkSkipped", kMark + "[Language]\r\nRemove2=x\r\n", "Language", "Remove2", "x"},
        ValueCase{"ByteOrderMarkWithLfOnlyLines", kMark + "[Language]\nRemove2=x\n", "Language", "Remove2", "x"},
        ValueCase{"ByteOrderMarkElsewhereIsText", "[Language]\r\n" + kMark + "Remove2=x\r\n", "Language",
                  "Remove2", std::nullopt},
        ValueCase{"OnlyOneMarkSkipped", kMark + kMark + "[Language]\r\nRemove2=x\r\n", "Language", "Remove2",
                  std::nullopt}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(WithoutByteOrderMark, TakesOffOneLeadingMarkOnly) {
  EXPECT_EQ(WithoutByteOrderMark(kMark + "[Language]"), "[Language]");
  EXPECT_EQ(WithoutByteOrderMark("[Language]"), "[Language]");
  EXPECT_EQ(WithoutByteOrderMark("\xEF\xBB"), "\xEF\xBB");
  EXPECT_EQ(WithoutByteOrderMark("x" + kMark), "x" + kMark);
  EXPECT_EQ(WithoutByteOrderMark(kMark), "");
}

}  // namespace
}  // namespace epiloom
