#include "site/EpisodePageReader.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <ostream>
#include <string>
#include <vector>

#include "site/EpisodeCode.h"

namespace epiloom {
namespace {

// One row of a show's episode page as the site writes it. An empty size
// leaves the parenthesis out of the title (`titleEnd` then ends it); an empty
// magnet leaves the magnet anchor out.
std::string Row(const std::string& slug, const std::string& size, const std::string& magnet,
                const std::string& titleEnd = "") {
  std::string title = "Some Show " + slug + titleEnd;
  if (!size.empty()) title += " (" + size + ")";
  std::string row = "<tr><td><a href=\"/ep/7/some-show-" + slug + "-hdtv/\" title=\"" + title + "\">Download</a></td>";
  if (!magnet.empty()) row += "<td><a href=\"" + magnet + "\" class=\"mg\">M</a></td>";
  return row + "</tr>\n";
}

std::string Page(const std::string& rows) {
  return "<html><body><h1>Some Show (2010)</h1><table>\n" + rows + "</table></body></html>\n";
}

struct Expected {
  std::string code;
  float sizeMb;
  std::string magnet;
};

struct PageCase {
  const char* name;
  std::string page;
  std::vector<Episode> previous;
  std::vector<Expected> episodes;
};

void PrintTo(const PageCase& c, std::ostream* out) { *out << c.name; }

class ReadEpisodePageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(ReadEpisodePageTest, ReadsEveryEntry) {
  const std::vector<Episode> episodes = ReadEpisodePage(GetParam().page, GetParam().previous);
  const std::vector<Expected>& expected = GetParam().episodes;
  ASSERT_EQ(episodes.size(), expected.size());
  for (std::size_t j = 0; j < expected.size(); ++j) {
    EXPECT_EQ(episodes[j].episodeCode, expected[j].code) << "entry " << j;
    EXPECT_FLOAT_EQ(episodes[j].sizeMb, expected[j].sizeMb) << "entry " << j;
    EXPECT_EQ(episodes[j].magnetLink, expected[j].magnet) << "entry " << j;
  }
}

const std::string kLongMagnet = "magnet:?xt=urn:btih:" + std::string(300, 'a');
const std::string kHash = "magnet:?xt=urn:btih:" + std::string(40, 'c') + "&dn=Some.Show.S01E01";
const std::string kTracker = "&tr=udp%3A%2F%2Ftracker.example.org%3A1337%2Fannounce";  // 53 characters

const PageCase kPageCases[] = {
    {"RowsInPageOrder",
     Page(Row("s01e02", "350.5 MB", "magnet:?xt=A") + Row("s01e01", "1.2 GB", "magnet:?xt=B") +
          Row("6x3", "700 MB", "magnet:?xt=C")),
     {},
     {{"S01E02", 350.5f, "magnet:?xt=A"}, {"S01E01", 1228.8f, "magnet:?xt=B"}, {"S06E03", 700.0f, "magnet:?xt=C"}}},
    {"SizeFromTheTitlesLastParenthesis",
     "<a href=\"/ep/1/show-s01e01-hdtv/\" title=\"Show (2010) (US) S01E01 (350.5 MB)\">x</a><a href=\"magnet:?m\">",
     {},
     {{"S01E01", 350.5f, "magnet:?m"}}},
    {"MagnetLinkCutTo255",
     Page(Row("s01e01", "1 MB", kLongMagnet)),
     {},
     {{"S01E01", 1.0f, kLongMagnet.substr(0, 255)}}},
    // 80 + 3 x 53 = 239 fits, a fourth tracker would end at 292: the link
    // ends after the third, not inside the fourth.
    {"LongMagnetLinkCutAfterItsLastWholeParameter",
     Page(Row("s01e01", "1 MB", kHash + kTracker + kTracker + kTracker + kTracker + kTracker)),
     {},
     {{"S01E01", 1.0f, kHash + kTracker + kTracker + kTracker}}},
    {"MagnetLinkWithAnAmpersandAtTheWidthKeepsEveryWholeParameter",
     Page(Row("s01e01", "1 MB", "magnet:?xt=" + std::string(244, 'd') + "&tr=x")),
     {},
     {{"S01E01", 1.0f, "magnet:?xt=" + std::string(244, 'd')}}},
    {"MagnetLinkRunsToTheEndOfAPageWithoutQuote",
     "<a href=\"/ep/1/show-s01e01-hdtv/\" title=\"S01E01 (5 MB)\">x</a><a href=\"magnet:?xt=end",
     {},
     {{"S01E01", 5.0f, "magnet:?xt=end"}}},
    {"LinkWithoutCodeKeepsTheEntrysPreviousCode",
     Page(Row("special", "1 MB", "magnet:?a") + Row("s01e01", "2 MB", "magnet:?b") + Row("extra", "3 MB", "magnet:?c")),
     {{"S09E08", "old", 9.0f}, {"S09E09", "old", 9.0f}},
     {{"S09E08", 1.0f, "magnet:?a"}, {"S01E01", 2.0f, "magnet:?b"}, {"", 3.0f, "magnet:?c"}}},
    {"LastBlockWithoutMagnetLinkGetsNone",
     Page(Row("s01e01", "350 MB", "magnet:?a") + Row("s01e02", "400 MB", "")),
     {},
     {{"S01E01", 350.0f, "magnet:?a"}, {"S01E02", 400.0f, ""}}},
    {"PageWithoutMagnetLinksStillReadsEveryLink",
     Page(Row("s01e01", "1 MB", "") + Row("s01e02", "2 MB", "") + Row("s01e03", "3 MB", "")),
     {},
     {{"S01E01", 1.0f, ""}, {"S01E02", 2.0f, ""}, {"S01E03", 3.0f, ""}}},
    // A magnet link taken from the next block passes that block's link.
    {"BlockWithoutMagnetLinkTakesTheNextOne",
     Page(Row("s01e01", "1 MB", "") + Row("s01e02", "2 MB", "magnet:?b") + Row("s01e03", "3 MB", "magnet:?c")),
     {},
     {{"S01E01", 1.0f, "magnet:?b"}, {"S01E03", 3.0f, "magnet:?c"}}},
    {"SizeMarkerMissingAtTheEndOfThePage",
     Page(Row("s01e01", "350 MB", "magnet:?a") + Row("s01e02", "", "magnet:?b")),
     {},
     {{"S01E01", 350.0f, "magnet:?a"}, {"S01E02", 0.0f, "magnet:?b"}}},
    // The nearest "(" is the previous title's: its size is taken, but reading
    // goes on from the link, so the same block is not read again and again.
    {"TitleWithoutOpeningParenthesis",
     Page(Row("s01e01", "350 MB", "magnet:?a") + Row("s01e02", "", "magnet:?b", " 400 MB)") +
          Row("s01e03", "500 MB", "magnet:?c")),
     {},
     {{"S01E01", 350.0f, "magnet:?a"}, {"S01E02", 350.0f, "magnet:?b"}, {"S01E03", 500.0f, "magnet:?c"}}},
    {"NoOpeningParenthesisAnywhere",
     "<a href=\"/ep/1/show-s01e01-hdtv/\" title=\"S01E01 350 MB)\">x</a><a href=\"magnet:?a\">",
     {},
     {{"S01E01", 0.0f, "magnet:?a"}}},
    {"PageEndsRightAfterTheLinkMarker", "<a href=\"/ep", {}, {{"", 0.0f, ""}}},
    {"PageEndsInsideTheLinkPath", "<p>(1 MB)\"</p><a href=\"/ep/1/show-s01e05", {}, {{"S01E05", 0.0f, ""}}},
    {"EmptyPage", "", {}, {}},
    {"PageWithoutEpisodeLinks", "<html><a href=\"/show/1\" title=\"x (1 MB)\">magnet:?x\"</html>", {}, {}},
};

INSTANTIATE_TEST_SUITE_P(Pages, ReadEpisodePageTest, ::testing::ValuesIn(kPageCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ReadEpisodePage, ReadsOnlyTheFirst200Links) {
  std::string rows;
  for (int j = 0; j < 250; ++j) {
    const std::string number = std::to_string(j + 1);
    rows += Row(MakeEpisodeCode(1 + static_cast<unsigned>(j) / 100, static_cast<unsigned>(j) % 100), number + " MB",
                "magnet:?xt=" + number);
  }
  const std::vector<Episode> episodes = ReadEpisodePage(Page(rows), {});
  ASSERT_EQ(episodes.size(), 200u);
  EXPECT_EQ(static_cast<int>(episodes.size()) - 1, 199);  // lastEpisode
  EXPECT_EQ(episodes[199].episodeCode, "S02E99");
  EXPECT_FLOAT_EQ(episodes[199].sizeMb, 200.0f);
  EXPECT_EQ(episodes[199].magnetLink, "magnet:?xt=200");
}

TEST(SizeInMegabytes, LeadingValueTimes1024ForGigabytes) {
  const struct {
    std::string text;
    float megabytes;
  } cases[] = {
      {"350.5 MB", 350.5f},
      {"1.2 GB", 1228.8f},
      {"700 MB", 700.0f},
      {"1.2 gb", 1.2f},  // the unit is case-sensitive
      {" 42 MB", 42.0f},
      {".5 GB", 512.0f},
      {"350. MB", 350.0f},
      {"1,5 GB", 1024.0f},
      {"3.4e2 MB", 3.4f},  // no exponent
      {"-5 MB", 0.0f},     // no sign
      {"MB", 0.0f},
      {"GB 2", 0.0f},
      {"", 0.0f},
      {std::string("1").append(400, '0').append(" MB"), FLT_MAX},
      {std::string(42, '9').append(" GB"), FLT_MAX},
      {std::string("0.").append(400, '0').append("1 GB"), 0.0f},
  };
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(SizeInMegabytes(c.text), c.megabytes) << c.text;
  }
}

// Entries told apart by their magnet links: equal codes show how the sort
// moved them.
std::vector<Episode> Entries(const std::vector<std::pair<std::string, std::string>>& codesAndIds) {
  std::vector<Episode> episodes;
  for (const auto& [code, id] : codesAndIds) episodes.push_back({code, id, 0.0f});
  return episodes;
}

TEST(SortEpisodesByCode, ExchangeSortOrder) {
  using Entries_ = std::vector<std::pair<std::string, std::string>>;
  const struct {
    Entries_ before;
    Entries_ after;
  } cases[] = {
      {{}, {}},
      {{{"S01E02", "b"}, {"S01E01", "a"}}, {{"S01E01", "a"}, {"S01E02", "b"}}},
      {{{"S01E01", "a"}, {"", "blank"}}, {{"", "blank"}, {"S01E01", "a"}}},
      {{{"S02E01", "d"}, {"S01E10", "c"}, {"S01E09", "b"}, {"S01E01", "a"}},
       {{"S01E01", "a"}, {"S01E09", "b"}, {"S01E10", "c"}, {"S02E01", "d"}}},
      // Equal codes: the exchange with the smaller code behind them reverses
      // them, where a stable sort would keep B1 before B2.
      {{{"S01E02", "B1"}, {"S01E02", "B2"}, {"S01E01", "A"}}, {{"S01E01", "A"}, {"S01E02", "B2"}, {"S01E02", "B1"}}},
      {{{"S01E02", "B1"}, {"S01E01", "A"}, {"S01E02", "B2"}}, {{"S01E01", "A"}, {"S01E02", "B1"}, {"S01E02", "B2"}}},
      {{{"S01E03", "C"}, {"S01E02", "B1"}, {"S01E01", "A"}, {"S01E02", "B2"}},
       {{"S01E01", "A"}, {"S01E02", "B1"}, {"S01E02", "B2"}, {"S01E03", "C"}}},
      {{{"S01E03", "C"}, {"S01E02", "B1"}, {"S01E02", "B2"}, {"S01E01", "A"}},
       {{"S01E01", "A"}, {"S01E02", "B2"}, {"S01E02", "B1"}, {"S01E03", "C"}}},
  };
  for (const auto& c : cases) {
    std::vector<Episode> episodes = Entries(c.before);
    SortEpisodesByCode(episodes);
    const std::vector<Episode> expected = Entries(c.after);
    ASSERT_EQ(episodes.size(), expected.size());
    for (std::size_t j = 0; j < expected.size(); ++j) {
      EXPECT_EQ(episodes[j].episodeCode, expected[j].episodeCode) << "entry " << j << " of " << c.before.size();
      EXPECT_EQ(episodes[j].magnetLink, expected[j].magnetLink) << "entry " << j << " of " << c.before.size();
    }
  }
}

TEST(SortEpisodesByCode, KeepsEveryEntryWithItsSizeAndLink) {
  std::vector<Episode> episodes;
  for (int j = 0; j < 200; ++j) {
    const unsigned scrambled = static_cast<unsigned>(j * 37 % 200);
    episodes.push_back({MakeEpisodeCode(scrambled / 20, scrambled % 20), "magnet:?" + std::to_string(scrambled),
                        static_cast<float>(scrambled)});
  }
  SortEpisodesByCode(episodes);
  for (std::size_t j = 0; j < episodes.size(); ++j) {
    EXPECT_EQ(episodes[j].episodeCode, MakeEpisodeCode(j / 20, j % 20));
    EXPECT_EQ(episodes[j].magnetLink, "magnet:?" + std::to_string(j));
    EXPECT_FLOAT_EQ(episodes[j].sizeMb, static_cast<float>(j));
  }
}

}  // namespace
}  // namespace epiloom
