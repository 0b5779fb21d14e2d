#include "site/EpisodeCode.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>

namespace epiloom {
namespace {

struct LinkCase {
  const char* name;
  std::string path;
  std::optional<std::string> code;
};

void PrintTo(const LinkCase& c, std::ostream* out) { *out << c.name; }

class ReadEpisodeCodeTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ReadEpisodeCodeTest, ReadsTheFirstEpisodePart) { EXPECT_EQ(ReadEpisodeCode(GetParam().path), GetParam().code); }

const LinkCase kLinkCases[] = {
    {"SeasonEpisode", "/ep/123/some-show-s06e14-720p-hdtv-x264-group/", "S06E14"},
    {"SeasonEpisodeShort", "/ep/1/some-show-s06e14-720p", "S06E14"},
    {"CrossForm", "/ep/1/some-show-6x14-hdtv", "S06E14"},
    {"DoubleEpisodeTakesTheFirst", "/ep/1/some-show-s06e14e15-hdtv", "S06E14"},
    {"SingleDigitsGetLeadingZeros", "/ep/1/some-show-S1E2", "S01E02"},
    {"MixedCase", "/ep/1/Some-Show-s01E02", "S01E02"},
    {"CrossWithoutEpisode", "/ep/1/some-show-2x", "S02E00"},
    {"CrossWithoutSeason", "/ep/1/some-show-x5", "S00E05"},
    {"SeasonLetterWithoutEpisode", "/ep/1/some-show-s06e", "S06E00"},
    {"BareLetters", "/ep/1/some-show-se", "S00E00"},
    {"CodecTagIsTheOnlyMatch", "/ep/1/some-show-hdtv-x264-group", "S00E26"},
    {"CodecTagAfterTheEpisodeIsNeverReached", "/ep/1/show-s02e03-x264", "S02E03"},
    {"FirstMatchWins", "/ep/1/show-1x02-s03e04", "S01E02"},
    {"WholePathWithoutDash", "6x14", "S06E14"},
    {"EmptyPartBetweenDashes", "/ep/1/show--s01e02", "S01E02"},
    {"EpisodeOf100IsCut", "/ep/1/show-s01e100", "S01E10"},
    {"SeasonOf100PushesTheEpisodeOut", "/ep/1/show-s123e4", "S123E0"},
    {"LeadingZerosAreNotDigitsOfTheValue", "/ep/1/show-s0000000000000000000000001e0002", "S01E02"},
    {"HugeSeasonIsCutNotWrapped", "/ep/1/show-s" + std::string(1000, '9') + "e1", "S99999"},
    {"HugeEpisode", "/ep/1/show-" + std::string(40, '0') + "7x" + std::string(30, '8'), "S07E88"},
    // The first character is dropped whatever it is, so the season text
    // becomes "S01", whose leading value is 0.
    {"DigitBeforeTheSeasonLetter", "/ep/1/show-7s01e02", "S00E02"},
    {"TripleEpisodeIsNoEpisodeForm", "/ep/1/show-s06e14e15e16", std::nullopt},
    {"LettersInTheWrongOrder", "/ep/1/show-e06s14", std::nullopt},
    {"TwoCrosses", "/ep/1/show-xx5", std::nullopt},
    {"NoEpisodePart", "/ep/1/some-show-hdtv-group/", std::nullopt},
    {"SlashEndingTheEpisodePartSpoilsItsShape", "/ep/1/show-s01e01/", std::nullopt},
    {"NoDashAndNoForm", "/ep/1/show", std::nullopt},
    {"Empty", "", std::nullopt},
    {"NonAsciiLetterIsNoForm", "/ep/1/show-\xe9x1", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Links, ReadEpisodeCodeTest, ::testing::ValuesIn(kLinkCases),
                         [](const auto& param) { return std::string(param.param.name); });

struct NumberCase {
  unsigned long long season;
  unsigned long long episode;
  const char* code;
};

TEST(MakeEpisodeCode, WritesTwoDigitsAndCutsToSixCharacters) {
  const NumberCase cases[] = {
      {12, 3, "S12E03"},  {0, 0, "S00E00"},   {5, 9, "S05E09"},          {99, 99, "S99E99"},
      {1, 100, "S01E10"}, {100, 1, "S100E0"}, {ULLONG_MAX, 1, "S18446"},
  };
  for (const NumberCase& c : cases) {
    EXPECT_EQ(MakeEpisodeCode(c.season, c.episode), c.code) << c.season << " " << c.episode;
  }
}

struct TextCase {
  std::string season;
  std::string episode;
  const char* code;
};

TEST(MakeEpisodeCodeFromTexts, TakesTheLeadingNumericValue) {
  const TextCase cases[] = {
      {"08", "", "S08E00"},
      {"12", "3", "S12E03"},
      {" 7", "abc", "S07E00"},
      {"3x", "04", "S03E04"},
      {"-1", "2", "S00E02"},  // a sign is not part of the value
      {"1.9", "2", "S01E02"},
      {"", "100", "S00E10"},
      {"000000000000000000000000000012", "7", "S12E07"},
      {std::string(500, '9'), "1", "S99999"},
      {"18446744073709551617", "0", "S18446"},  // beyond 64 bits, read as written
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(MakeEpisodeCodeFromTexts(c.season, c.episode), c.code) << c.season << " / " << c.episode;
  }
}

TEST(SplitEpisodeCode, GivesTheDigitPairs) {
  const struct {
    const char* code;
    const char* season;
    const char* episode;
  } cases[] = {
      {"S06E14", "06", "14"}, {"S00E00", "00", "00"}, {"S06E1", "06", "1"}, {"S1", "1", ""}, {"", "", ""},
  };
  for (const auto& c : cases) {
    const EpisodeCodeDigits digits = SplitEpisodeCode(c.code);
    EXPECT_EQ(digits.season, c.season) << c.code;
    EXPECT_EQ(digits.episode, c.episode) << c.code;
  }
}

TEST(SplitEpisodeCode, EditedDigitsRebuildTheSameCode) {
  for (unsigned season = 0; season < 100; ++season) {
    for (unsigned episode = 0; episode < 100; ++episode) {
      const std::string code = MakeEpisodeCode(season, episode);
      const EpisodeCodeDigits digits = SplitEpisodeCode(code);
      ASSERT_EQ(MakeEpisodeCodeFromTexts(digits.season, digits.episode), code);
    }
  }
}

struct CompareCase {
  std::string a;
  std::string b;
  int order;  // sign of the comparison
};

TEST(CompareEpisodeCodes, ByteOrderOnUnsignedBytes) {
  const CompareCase cases[] = {
      {"S02E01", "S01E10", 1},
      {"S01E10", "S01E09", 1},
      {"S01E01", "S01E01", 0},
      {"", "S00E00", -1},                    // a code read from nowhere
      {"      ", "S00E00", -1},              // a blank field
      {std::string(6, '\0'), "S00E00", -1},  // a fresh record's zero bytes
      {"S01E0", "S01E01", -1},               // a prefix is smaller
      {"\xff", "S", 1},                      // bytes above 127 are large, not negative
      {"S01E02", "s01E02", -1},              // case-sensitive
  };
  for (const CompareCase& c : cases) {
    const int forward = CompareEpisodeCodes(c.a, c.b);
    const int backward = CompareEpisodeCodes(c.b, c.a);
    EXPECT_EQ((forward > 0) - (forward < 0), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ((backward > 0) - (backward < 0), -c.order) << c.b << " vs " << c.a;
    EXPECT_EQ(IsNewerEpisode(c.a, c.b), c.order > 0) << c.a << " vs " << c.b;
  }
}

}  // namespace
}  // namespace epiloom
