#include "store/ListIndex.h"

#include "store/UserLists.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "fakes/ByLabel.h"

namespace epiloom {
namespace {

using testing::ByLabel;

std::size_t LiteralFind(std::string_view text, std::string_view name, std::string_view path) {
  return text.find(std::string(name) + "|" + std::string(path));
}

struct KeyCase {
  const char* label;
  std::string text;
  std::string name;
  std::string path;
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.label; }

class FavoriteKeyIndexTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(FavoriteKeyIndexTest, FindsWhatThePlainSearchFinds) {
  const KeyCase& c = GetParam();
  const FavoriteKeyIndex index(c.text);
  EXPECT_EQ(index.Find(c.name, c.path), LiteralFind(c.text, c.name, c.path));
}

const std::string kFavorites =
    "\nLost|/shows/1/lost>S01E02H\nThe Lost Room|/shows/2/room>S00E00L\nAB|/ab>S01E01L\n"
    "A>B|/gt>S02E02H\nX\nY|/lf>S01E01L\nDup|/d>S01E01L\nDup|/d>S02E02H\n" +
    std::string(42, 'w') + "|/long>S03E03H\nBroken\n";

INSTANTIATE_TEST_SUITE_P(
    Keys, FavoriteKeyIndexTest,
    ::testing::Values(
        KeyCase{"AtLineStart", kFavorites, "Lost", "/shows/1/lost"},
        KeyCase{"InsideALine", kFavorites, "Room", "/shows/2/room"},
        KeyCase{"LongNameInsideALine", kFavorites, "Lost Room", "/shows/2/room"},
        KeyCase{"LongNameNotThere", kFavorites, "A Lost Room", "/shows/2/room"},
        KeyCase{"SameTailLongerName", "\nXXThe Lost Room|/r>", "YYThe Lost Room", "/r"},
        KeyCase{"NameThatIsAPrefixOfALineName", kFavorites, "A", "/ab"},
        KeyCase{"NameThatIsASuffixOfALineName", kFavorites, "B", "/ab"},
        KeyCase{"PathThatIsAPrefix", kFavorites, "AB", "/a"},
        KeyCase{"PathLongerThanTheLine", kFavorites, "AB", "/ab>S01E01L\nA>B|/gtx"},
        KeyCase{"PathAcrossLines", kFavorites, "AB", "/ab>S01E01L\nA>B"},
        KeyCase{"NameWithGreaterThan", kFavorites, "A>B", "/gt"},
        KeyCase{"NameWithLf", kFavorites, "X\nY", "/lf"},
        KeyCase{"NameWithBar", kFavorites, "Lost|/shows", "/1/lost"},
        KeyCase{"NameWithBarNotThere", kFavorites, "Lost|x", "/1/lost"},
        KeyCase{"EmptyName", kFavorites, "", "/ab"},
        KeyCase{"EmptyNameAndPath", kFavorites, "", ""},
        KeyCase{"EmptyPath", kFavorites, "Dup", ""},
        KeyCase{"FirstOfTwo", kFavorites, "Dup", "/d"},
        KeyCase{"FullWidthName", kFavorites, std::string(42, 'w'), "/long"},
        KeyCase{"FullWidthNameShifted", kFavorites, std::string(41, 'w'), "/long"},
        KeyCase{"NameLongerThanTheWidth", "\nx" + std::string(50, 'w') + "|/long>", std::string(50, 'w'), "/long"},
        KeyCase{"SameEndingManyLines", "\nOne Returns|/1>\nTwo Returns|/2>\nThree Returns|/3>", "Two Returns", "/2"},
        KeyCase{"CaseMatters", kFavorites, "lost", "/shows/1/lost"},
        KeyCase{"NoBarInText", "\nBroken\n", "Broken", ""},
        KeyCase{"EmptyText", "", "", ""},
        KeyCase{"BarAtTextStart", "|/p", "", "/p"},
        KeyCase{"BarAtTextEnd", "\nA|", "A", ""},
        KeyCase{"PathRunsPastTheEnd", "\nA|/p", "A", "/p>"}),
    ByLabel());

// Random texts over a small alphabet full of the characters that matter, with
// keys cut from around the text's own "|" so that hits are frequent.
TEST(FavoriteKeyIndex, AgreesWithThePlainSearchOnRandomTexts) {
  std::mt19937 random(20240611);
  const std::string alphabet = "AAB|>\n/ ";
  const auto randomText = [&](std::size_t maxLength) {
    std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
  };
  int hits = 0;
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(80);
    const FavoriteKeyIndex index(text);
    for (int probe = 0; probe < 8; ++probe) {
      std::string name = randomText(12);
      std::string path = randomText(6);
      const std::size_t bar = text.find('|', std::uniform_int_distribution<std::size_t>(0, text.size())(random));
      if (probe % 2 == 0 && bar != std::string::npos) {
        const std::size_t nameLength = std::uniform_int_distribution<std::size_t>(0, std::min<std::size_t>(bar, 14))(random);
        name = text.substr(bar - nameLength, nameLength);
        path = text.substr(bar + 1, std::uniform_int_distribution<std::size_t>(0, 8)(random));
      }
      const std::size_t expected = LiteralFind(text, name, path);
      hits += expected != std::string::npos;
      ASSERT_EQ(index.Find(name, path), expected) << "text [" << text << "] name [" << name << "] path [" << path << "]";
    }
  }
  EXPECT_GT(hits, 20000);  // the comparison did look at matches, not only misses
}

TEST(ListLineSet, AnswersLikeTheFramedSearch) {
  const std::string text = "\nLost\nThe Lost\n\nA\nB\n";
  struct Case {
    std::string_view name;
    bool contained;
  };
  const Case cases[] = {
      {"Lost", true}, {"The Lost", true}, {"", true},     // the empty line between two LFs
      {"A\nB", true},                                     // across lines, as the framed search finds it
      {"Los", false}, {"ost", false},    {"A\nC", false}, {"lost", false},
  };
  const ListLineSet set(text);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_EQ(set.Contains(c.name), c.contained);
  }
  EXPECT_FALSE(ListLineSet("\nA\n").Contains(""));
  EXPECT_FALSE(ListLineSet("").Contains(""));
  EXPECT_FALSE(ListLineSet("A\nB").Contains("A"));  // not framed by two LFs
}

TEST(ListLineSet, AgreesWithTheFramedSearchOnRandomTexts) {
  std::mt19937 random(7);
  const std::string alphabet = "AB\n\n ";
  const auto randomText = [&](std::size_t maxLength) {
    std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomText(30);
    const ListLineSet set(text);
    const std::string name = randomText(4);
    ASSERT_EQ(set.Contains(name), text.find("\n" + name + "\n") != std::string::npos)
        << "text [" << text << "] name [" << name << "]";
  }
}

TEST(MissingNames, RemovesEqualLinesOnly) {
  struct Case {
    std::string text;
    std::vector<std::string> found;
    std::string left;
  };
  const Case cases[] = {
      {"\nLost\nThe Lost\nGone\n", {"Lost"}, "\nThe Lost\nGone\n"},
      {"\nLost\nLost\nLost\n", {"Lost"}, "\n"},
      {"\nA\n\nB\n", {""}, "\nA\nB\n"},
      {"\nA\nB\nC\n", {"A\nB"}, "\nC\n"},  // a name across lines
      {"\nA\nB\nC\n", {"C", "A", "B", "Z"}, "\n"},
      {"\n", {"A"}, "\n"},
      {"", {"A"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    MissingNames names(c.text);
    for (const std::string& name : c.found) names.Remove(name);
    EXPECT_EQ(names.Text(), c.left);
  }
}

TEST(MissingNames, AgreesWithRemoveLinesOnRandomTexts) {
  std::mt19937 random(99);
  const std::string alphabet = "AB\n\n";
  const auto randomText = [&](std::size_t maxLength) {
    std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), ' ');
    for (char& c : text) c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
    return text;
  };
  for (int round = 0; round < 5000; ++round) {
    std::string expected = randomText(24);
    MissingNames names(expected);
    for (int step = 0; step < 4; ++step) {
      const std::string name = randomText(3);
      RemoveLines(expected, name);
      names.Remove(name);
      ASSERT_EQ(names.Text(), expected) << "name [" << name << "]";
    }
  }
}

}  // namespace
}  // namespace epiloom
