#include "support/IconFile.h"

#include <limits>

#include "support/TextUtil.h"

namespace epiloom {
namespace {

std::uint16_t ReadU16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                << 8);
}

std::uint32_t ReadU32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(ReadU16(bytes, at)) | static_cast<std::uint32_t>(ReadU16(bytes, at + 2)) << 16;
}

void AppendU8(std::string& out, std::uint8_t value) { out.push_back(static_cast<char>(value)); }

void AppendU16(std::string& out, std::uint16_t value) {
  AppendU8(out, static_cast<std::uint8_t>(value & 0xFF));
  AppendU8(out, static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(std::string& out, std::uint32_t value) {
  AppendU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
  AppendU16(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

std::optional<std::vector<IconGroupEntry>> ReadIconGroup(std::string_view group) {
  if (group.size() < kIconHeaderSize) return std::nullopt;
  if (ReadU16(group, 0) != 0 || ReadU16(group, 2) != kIconType) return std::nullopt;
  const std::size_t count = ReadU16(group, 4);
  if (count == 0 || group.size() != kIconHeaderSize + count * kIconGroupEntrySize) return std::nullopt;

  std::vector<IconGroupEntry> entries(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kIconHeaderSize + i * kIconGroupEntrySize;
    IconGroupEntry& entry = entries[i];
    entry.width = static_cast<std::uint8_t>(group[at]);
    entry.height = static_cast<std::uint8_t>(group[at + 1]);
    entry.colorCount = static_cast<std::uint8_t>(group[at + 2]);
    entry.reserved = static_cast<std::uint8_t>(group[at + 3]);
    entry.planes = ReadU16(group, at + 4);
    entry.bitsPerPixel = ReadU16(group, at + 6);
    entry.bytesInResource = ReadU32(group, at + 8);
    entry.imageId = ReadU16(group, at + 12);
  }
  return entries;
}

std::string BuildIconFile(std::string_view group, const IconImages& images) {
  const auto entries = ReadIconGroup(group);
  if (!entries) return {};

  // Each entry's image, checked before anything is written.
  std::vector<std::string_view> data;
  data.reserve(entries->size());
  std::size_t fileSize = kIconHeaderSize + entries->size() * kIconFileEntrySize;
  for (const IconGroupEntry& entry : *entries) {
    const auto image = images.find(entry.imageId);
    if (image == images.end() || image->second.empty() || image->second.size() != entry.bytesInResource) return {};
    data.push_back(image->second);
    // An offset is a u32: every image must start below 4 GiB.
    if (fileSize > std::numeric_limits<std::uint32_t>::max()) return {};
    fileSize += image->second.size();
  }

  std::string file;
  file.reserve(fileSize);
  AppendU16(file, 0);
  AppendU16(file, kIconType);
  AppendU16(file, static_cast<std::uint16_t>(entries->size()));
  std::size_t offset = kIconHeaderSize + entries->size() * kIconFileEntrySize;
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const IconGroupEntry& entry = (*entries)[i];
    AppendU8(file, entry.width);
    AppendU8(file, entry.height);
    AppendU8(file, entry.colorCount);
    AppendU8(file, 0);
    AppendU16(file, entry.planes);
    AppendU16(file, entry.bitsPerPixel);
    AppendU32(file, entry.bytesInResource);
    AppendU32(file, static_cast<std::uint32_t>(offset));
    offset += data[i].size();
  }
  for (const std::string_view image : data) file.append(image);
  return file;
}

std::string IconFileName(std::string_view groupName) {
  std::string name(TrimBlanks(groupName));
  name.append(".ICO");
  return name;
}

std::string NumberedGroupName(unsigned number) {
  // Appended: `"#" + ToDecimal(number)` makes GCC 12 report a false -Wrestrict
  // overlap in optimised builds.
  std::string name(1, '#');
  name.append(ToDecimal(number));
  return name;
}

}  // namespace epiloom
