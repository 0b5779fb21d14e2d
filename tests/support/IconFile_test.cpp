#include "support/IconFile.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "fakes/ByLabel.h"

namespace epiloom {
namespace {

using testing::ByLabel;

// Bytes written out by hand, one value per byte.
std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes.push_back(static_cast<char>(value));
  return bytes;
}

// --- Exact layouts ------------------------------------------------------------

TEST(IconFile, OneImageGroupBecomesAFileWithItsImageAtOffset22) {
  const std::string group = Bytes({0,  0,  1, 0, 1, 0,         // reserved, type 1, count 1
                                   32, 32, 0, 0, 1, 0, 32, 0,  // 32 x 32, 0 colours, 1 plane, 32 bpp
                                   5,  0,  0, 0,               // 5 bytes
                                   7,  0});                    // image ID 7
  const std::string image = "ABCDE";

  EXPECT_EQ(BuildIconFile(group, {{7, image}}),
            Bytes({0,  0,  1, 0, 1, 0,                                     //
                   32, 32, 0, 0, 1, 0, 32, 0, 5, 0, 0, 0, 22, 0, 0, 0}) +  // offset 6 + 16
                "ABCDE");
}

TEST(IconFile, TwoImagesFollowTheirEntriesInEntryOrder) {
  // Entry fields with high bytes set, so that a byte-order mistake shows; the
  // first entry's reserved byte is not 0 in the group and is written as 0.
  const std::string group =
      Bytes({0,  0,  1,   0, 2,    0,                                               //
             16, 48, 4,   9, 0x34, 0x12, 0x78, 0x56, 3,    0,    0, 0, 0x02, 0x01,  // ID 0x0102
             0,  0,  255, 0, 1,    0,    8,    0,    0x2C, 0x01, 0, 0, 9,    0});   // 300 bytes, ID 9
  const std::string first = "xyz";
  const std::string second(300, '\xEE');

  const std::string file = BuildIconFile(group, {{9, second}, {0x0102, first}, {4, "unused"}});

  const std::string expected =
      Bytes({0,  0,  1,   0, 2,    0,                                                   //
             16, 48, 4,   0, 0x34, 0x12, 0x78, 0x56, 3,    0,    0, 0, 38, 0, 0, 0,     // 6 + 2 x 16
             0,  0,  255, 0, 1,    0,    8,    0,    0x2C, 0x01, 0, 0, 41, 0, 0, 0}) +  // 38 + 3
      first +
      second;
  EXPECT_EQ(file, expected);
}

TEST(IconFile, TwoEntriesNamingOneImageCarryItTwice) {
  const std::string group = Bytes({0, 0, 1, 0, 2, 0,                            //
                                   1, 1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 5, 0,    //
                                   2, 2, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 5, 0});  //
  const std::string file = BuildIconFile(group, {{5, "ok"}});
  ASSERT_EQ(file.size(), 6u + 2 * 16 + 2 * 2);
  EXPECT_EQ(file.substr(18, 4), Bytes({38, 0, 0, 0}));
  EXPECT_EQ(file.substr(34, 4), Bytes({40, 0, 0, 0}));
  EXPECT_EQ(file.substr(38), "okok");
}

TEST(IconFile, ReadsTheGroupEntriesLittleEndian) {
  const std::string group = Bytes({0,   0,   1,  0, 1,    0,  //
                                   200, 100, 16, 7, 0x02, 0x01, 0x04, 0x03, 0x08, 0x07, 0x06, 0x05, 0xCD, 0xAB});
  const auto entries = ReadIconGroup(group);
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 1u);
  const IconGroupEntry& entry = entries->front();
  EXPECT_EQ(entry.width, 200);
  EXPECT_EQ(entry.height, 100);
  EXPECT_EQ(entry.colorCount, 16);
  EXPECT_EQ(entry.reserved, 7);
  EXPECT_EQ(entry.planes, 0x0102);
  EXPECT_EQ(entry.bitsPerPixel, 0x0304);
  EXPECT_EQ(entry.bytesInResource, 0x05060708u);
  EXPECT_EQ(entry.imageId, 0xABCD);
}

// --- Refused input --------------------------------------------------------------

struct RefusedCase {
  const char* label;
  std::string group;
  IconImages images;
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.label; }

class RefusedIconGroup : public ::testing::TestWithParam<RefusedCase> {};

const std::string kEntry3Bytes = Bytes({1, 1, 0, 0, 1, 0, 1, 0, 3, 0, 0, 0, 1, 0});  // 3 bytes, ID 1
const std::string kEntry2Bytes = Bytes({1, 1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 0, 2, 0});  // 2 bytes, ID 2

const RefusedCase kRefusedCases[] = {
    {"Empty", "", {{1, "abc"}}},
    {"HeaderCutShort", Bytes({0, 0, 1, 0, 1}), {{1, "abc"}}},
    {"NoEntries", Bytes({0, 0, 1, 0, 0, 0}), {{1, "abc"}}},
    {"CursorGroup", Bytes({0, 0, 2, 0, 1, 0}) + kEntry3Bytes, {{1, "abc"}}},
    {"ReservedNotZero", Bytes({1, 0, 1, 0, 1, 0}) + kEntry3Bytes, {{1, "abc"}}},
    {"EntryCutShort", Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes.substr(0, 13), {{1, "abc"}}},
    {"CountAboveEntries", Bytes({0, 0, 1, 0, 2, 0}) + kEntry3Bytes, {{1, "abc"}}},
    {"CountBelowEntries", Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes + kEntry2Bytes, {{1, "abc"}, {2, "de"}}},
    {"TrailingByte", Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes + "x", {{1, "abc"}}},
    {"HugeCountShortDirectory", Bytes({0, 0, 1, 0, 0xFF, 0xFF}) + kEntry3Bytes, {{1, "abc"}}},
    {"FirstImageMissing", Bytes({0, 0, 1, 0, 2, 0}) + kEntry3Bytes + kEntry2Bytes, {{2, "de"}}},
    {"LastImageMissing", Bytes({0, 0, 1, 0, 2, 0}) + kEntry3Bytes + kEntry2Bytes, {{1, "abc"}}},
    {"ImageEmpty", Bytes({0, 0, 1, 0, 1, 0}) + Bytes({1, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0}), {{1, ""}}},
    {"ImageShorterThanItsEntry", Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes, {{1, "ab"}}},
    {"ImageLongerThanItsEntry", Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes, {{1, "abcd"}}},
};

TEST_P(RefusedIconGroup, GivesNoFile) { EXPECT_EQ(BuildIconFile(GetParam().group, GetParam().images), ""); }

INSTANTIATE_TEST_SUITE_P(IconFile, RefusedIconGroup, ::testing::ValuesIn(kRefusedCases), ByLabel());

TEST(IconFile, AGroupThatReadsWellIsBuiltOnceItsImagesAreThere) {
  // The same directory as the refused "FirstImageMissing" and "TrailingByte"
  // cases, made whole: the refusals above come from the fault, not the rest.
  const std::string group = Bytes({0, 0, 1, 0, 2, 0}) + kEntry3Bytes + kEntry2Bytes;
  EXPECT_EQ(BuildIconFile(group, {{1, "abc"}, {2, "de"}}).size(), 6u + 2 * 16 + 5);
  EXPECT_EQ(BuildIconFile(Bytes({0, 0, 1, 0, 1, 0}) + kEntry3Bytes, {{1, "abc"}}).size(), 6u + 16 + 3);
}

// --- File names -------------------------------------------------------------------

struct NameCase {
  const char* label;
  std::string groupName;
  std::string fileName;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class IconFileNames : public ::testing::TestWithParam<NameCase> {};

const NameCase kNameCases[] = {
    {"Named", "BICO", "BICO.ICO"},
    {"BlanksTrimmed", "  AICO ", "AICO.ICO"},
    {"InnerBlankKept", "MY ICON", "MY ICON.ICO"},
    {"Numbered", NumberedGroupName(101), "#101.ICO"},
    {"NumberedZero", NumberedGroupName(0), "#0.ICO"},
    {"NumberedLargest", NumberedGroupName(65535), "#65535.ICO"},
};

TEST_P(IconFileNames, AreTheGroupNamePlusIco) { EXPECT_EQ(IconFileName(GetParam().groupName), GetParam().fileName); }

INSTANTIATE_TEST_SUITE_P(IconFile, IconFileNames, ::testing::ValuesIn(kNameCases), ByLabel());

}  // namespace
}  // namespace epiloom
