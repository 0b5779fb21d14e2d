// The .ICO file of an icon group: the group's directory as the executable
// stores it (an RT_GROUP_ICON resource) and the bytes of each image it names
// (RT_ICON resources) in, the bytes of a standard icon file out.
//
// Every integer is little-endian and fields are packed without gaps:
//   group directory: reserved u16 = 0, type u16 = 1, count u16, then count
//     entries of 14 bytes: width, height, colour count, reserved (u8 each),
//     planes, bits per pixel (u16), bytes in resource (u32), image ID (u16);
//   icon file: the same 6-byte header, then count entries of 16 bytes that
//     end with the image's offset in the file (u32) instead of its ID, then
//     the images, whole, in entry order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace epiloom {

inline constexpr std::size_t kIconHeaderSize = 6;
inline constexpr std::size_t kIconGroupEntrySize = 14;
inline constexpr std::size_t kIconFileEntrySize = 16;
inline constexpr std::uint16_t kIconType = 1;

struct IconGroupEntry {
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::uint8_t colorCount = 0;
  std::uint8_t reserved = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t bytesInResource = 0;
  std::uint16_t imageId = 0;  // the RT_ICON resource holding the image
};

// The entries of a group directory; nullopt unless it is exactly a 6-byte
// header (reserved 0, type 1, count at least 1) followed by count entries.
// Fewer bytes (a truncated directory) and more bytes (a count that does not
// match the entries) are both refused.
std::optional<std::vector<IconGroupEntry>> ReadIconGroup(std::string_view group);

// The images of a group, by resource ID.
using IconImages = std::map<std::uint16_t, std::string_view>;

// The icon file: header (reserved 0, type 1, the group's count), one entry
// per group entry with its fields copied (reserved written as 0) and its
// image's offset (the first right after the entries, each next one after the
// previous image), then the images. Empty when the group cannot be read, an
// entry's image is missing or empty, or an image's size differs from the
// entry's bytes in resource. When it is not empty its size is
// 6 + 16 x count + the images' sizes.
std::string BuildIconFile(std::string_view group, const IconImages& images);

// Name of the file for an icon group: its resource name trimmed of blanks
// + ".ICO" ("BICO" gives "BICO.ICO").
std::string IconFileName(std::string_view groupName);

// The name of a group identified by a number: "#" + the number in decimal.
std::string NumberedGroupName(unsigned number);

}  // namespace epiloom
