// Icon files built from icon group directories and their images. The input is
// cut into a group directory (its length in the first two bytes) and images
// (each an ID and a length in two bytes each, then its bytes). A file is built
// exactly when the group reads and every entry's image is there with the size
// its entry gives; a built file is the header, the entries and the images,
// and reading its directory back gives the group again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "support/IconFile.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

std::size_t U16(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1]))
                                                     << 8;
}

std::size_t U32(std::string_view bytes, std::size_t at) { return U16(bytes, at) | U16(bytes, at + 2) << 16; }

// Takes `length` bytes from the front of `input` (fewer when it runs out).
std::string_view Take(std::string_view& input, std::size_t length) {
  const std::string_view taken = input.substr(0, length);
  input.remove_prefix(taken.size());
  return taken;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace epiloom;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (input.size() < 2) return 0;
  const std::string_view group = Take(input, U16(Take(input, 2), 0));
  IconImages images;
  while (input.size() >= 4) {
    const std::string_view head = Take(input, 4);
    images[static_cast<std::uint16_t>(U16(head, 0))] = Take(input, U16(head, 2));
  }

  const auto entries = ReadIconGroup(group);
  const bool groupReads = group.size() >= kIconHeaderSize && U16(group, 0) == 0 && U16(group, 2) == kIconType &&
                          U16(group, 4) > 0 && group.size() == kIconHeaderSize + U16(group, 4) * kIconGroupEntrySize;
  Require(entries.has_value() == groupReads);

  const std::string file = BuildIconFile(group, images);
  if (!entries) {
    Require(file.empty());
    return 0;
  }

  bool imagesFit = true;
  std::size_t imageBytes = 0;
  for (const IconGroupEntry& entry : *entries) {
    const auto image = images.find(entry.imageId);
    if (image == images.end() || image->second.empty() || image->second.size() != entry.bytesInResource) {
      imagesFit = false;
    } else {
      imageBytes += image->second.size();
    }
  }
  Require(file.empty() == !imagesFit);
  if (file.empty()) return 0;

  const std::size_t count = entries->size();
  const std::size_t directoryEnd = kIconHeaderSize + count * kIconFileEntrySize;
  Require(file.size() == directoryEnd + imageBytes);
  Require(U16(file, 0) == 0 && U16(file, 2) == kIconType && U16(file, 4) == count);
  std::size_t offset = directoryEnd;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t in = kIconHeaderSize + i * kIconGroupEntrySize;
    const std::size_t out = kIconHeaderSize + i * kIconFileEntrySize;
    // Width, height and colour count copied, reserved 0, then planes, bits
    // per pixel and bytes in resource copied.
    Require(file.compare(out, 3, group, in, 3) == 0);
    Require(file[out + 3] == 0);
    Require(file.compare(out + 4, 8, group, in + 4, 8) == 0);
    const std::size_t length = U32(file, out + 8);
    Require(U32(file, out + 12) == offset);
    Require(std::string_view(file).substr(offset, length) ==
            images.at(static_cast<std::uint16_t>(U16(group, in + 12))));
    offset += length;
  }
  Require(offset == file.size());
  return 0;
}
