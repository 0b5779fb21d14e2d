#include "store/ShowListEdits.h"

#include <gtest/gtest.h>

namespace epiloom {
namespace {

ShowRecord Record(std::string name, std::string path, std::string lastWatched, std::int16_t quality) {
  ShowRecord record;
  record.name = std::move(name);
  record.pagePath = std::move(path);
  record.lastWatched = std::move(lastWatched);
  record.quality = quality;
  return record;
}

TEST(ShowListEdits, Questions) {
  LanguageTexts texts;
  EXPECT_EQ(ToggleQuestion(texts, "Lost", true), "Add Lost to the list of favorite shows?");
  EXPECT_EQ(ToggleQuestion(texts, "Lost", false), "Are you sure you want to remove Lost ?");
  texts.Set(TextKey::Check1, "");
  texts.Set(TextKey::Check2, "");
  EXPECT_EQ(ToggleQuestion(texts, "Lost", true), "Lost");  // blanks trimmed
  texts.Set(TextKey::Remove3, "  Remove a show ");
  const Question question = BlacklistQuestion(texts, "Lost");
  EXPECT_EQ(question.caption, "Remove a show");
  EXPECT_EQ(question.text, "Are you sure to remove Lost ?\nThis TV Show will no longer appear in the list");
}

class ToggleTest : public ::testing::Test {
 protected:
  ToggleTest() {
    store.showTable = {Record("Lost", "/shows/1/lost", "S02E05", 1), Record("The Lost Room", "/shows/2/room", "S00E00", 0)};
    store.lists = {"\nThe Lost Room|/shows/2/room>S00E00L\n", "\nGone\n", "\n"};
  }
  ShowStore store;
};

TEST_F(ToggleTest, TickUntickTickLeavesExactlyOneLine) {
  struct Step {
    bool tick;
    std::string favorites;
  };
  const Step steps[] = {
      {true, "\nThe Lost Room|/shows/2/room>S00E00L\nLost|/shows/1/lost>S02E05H\n"},
      {false, "\nThe Lost Room|/shows/2/room>S00E00L\n"},
      {true, "\nThe Lost Room|/shows/2/room>S00E00L\nLost|/shows/1/lost>S02E05H\n"},
  };
  for (const Step& step : steps) {
    EXPECT_TRUE(ToggleFavorite(store, "Lost", step.tick));
    EXPECT_EQ(store.lists.favoritesText, step.favorites);
  }
}

TEST_F(ToggleTest, RefusedEditsChangeNothing) {
  const UserLists before = store.lists;
  EXPECT_FALSE(ToggleFavorite(store, "Not on the site", true));
  EXPECT_FALSE(ToggleFavorite(store, "Not on the site", false));
  EXPECT_EQ(store.lists.favoritesText, before.favoritesText);

  // Lists whose file could not be read stay as they are, so the file is
  // never overwritten at the end of the run.
  store.lists = {"", "", "\n"};
  EXPECT_FALSE(ToggleFavorite(store, "Lost", true));
  EXPECT_FALSE(BlacklistListedShow(store, "Lost"));
  EXPECT_EQ(store.lists.favoritesText, "");
  EXPECT_EQ(store.lists.blacklistText, "");
}

TEST_F(ToggleTest, BlacklistingAppendsTheName) {
  EXPECT_TRUE(BlacklistListedShow(store, "Lost"));
  EXPECT_EQ(store.lists.blacklistText, "\nGone\nLost\n");
}

}  // namespace
}  // namespace epiloom
