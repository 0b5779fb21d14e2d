#include "i18n/MainWindowTexts.h"

#include <gtest/gtest.h>

#include "fakes/Fakes.h"

namespace epiloom {
namespace {

using testing::Element;
using testing::RecordingShowListView;

TEST(SettingsButtonText, ComposesCountsFromTheTexts) {
  LanguageTexts texts;
  struct Case {
    int favorites;
    int unwatched;
    std::string text;
  };
  const Case cases[] = {
      {0, 0, "Settings for\nmy TV Shows"},
      {0, 3, "Settings for\nmy TV Shows"},
      {1, 0, "Settings for\nmy 1 TV Shows"},
      {12, 3, "Settings for\nmy 12 TV Shows\n(including 3 new)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SettingsButtonText(texts, c.favorites, c.unwatched), c.text);
  }
  texts.Set(TextKey::Param2, "P");
  texts.Set(TextKey::My, "M");
  texts.Set(TextKey::TVShows, "T");
  texts.Set(TextKey::Inc, "I");
  texts.Set(TextKey::New, "N");
  EXPECT_EQ(SettingsButtonText(texts, 2, 1), "P\nM 2 T\nI 1 N");
}

TEST(BlacklistLabelText, EmptyWithoutBlacklistedShows) {
  const LanguageTexts texts;
  EXPECT_EQ(BlacklistLabelText(texts, 0), "");
  EXPECT_EQ(BlacklistLabelText(texts, 2), "Filtering on: 2 blacklisted TV Shows. Click here to manage");
}

TEST(ApplyLanguageTexts, PutsThePhaseTextWhileNoShowIsListed) {
  struct Case {
    int phase;
    const char* status;  // nullptr: left unchanged
  };
  const Case cases[] = {
      {kCheckingVersion, "Checking program version and new translations"},
      {kGettingShowList, "Getting the list of TV Shows from Kestrix"},
      {kNoConnection, "Impossible to connect to Kestrix"},
      {kSiteUnavailable, "Kestrix website unavailable or in maintenance"},
      {7, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.phase);
    RecordingShowListView window;
    ApplyLanguageTexts(window, LanguageTexts(), c.phase);
    EXPECT_EQ(window.HasText(Element::StatusLine), c.status != nullptr);
    if (c.status != nullptr) {
      EXPECT_EQ(window.Text(Element::StatusLine), c.status);
    }
    EXPECT_EQ(window.Text(Element::SettingsButton), "Settings for\nmy TV Shows");
    EXPECT_EQ(window.Text(Element::DownloadButton), "Download\nnewest\nepisodes !");
    EXPECT_EQ(window.Text(Element::AboutLine).substr(0, 30), "This software is free of charg");
    EXPECT_FALSE(window.HasText(Element::BlacklistLabel));
  }
}

TEST(ApplyLanguageTexts, LeavesTheCountsOnceShowsAreListed) {
  RecordingShowListView window;
  window.AppendShow("A", false);
  ApplyLanguageTexts(window, LanguageTexts(), kGettingShowList);
  EXPECT_FALSE(window.HasText(Element::StatusLine));
  EXPECT_FALSE(window.HasText(Element::SettingsButton));
  EXPECT_TRUE(window.HasText(Element::DownloadButton));
  EXPECT_TRUE(window.HasText(Element::AboutLine));
}

}  // namespace
}  // namespace epiloom
