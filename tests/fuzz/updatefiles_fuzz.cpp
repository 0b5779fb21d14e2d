// Fuzzes the readers of the update server's files: lastversion.dat and
// languages.dat. A code taken from languages.dat becomes part of a file name
// and a URL, so every code must be two ASCII letters or digits.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "update/UpdateCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);

  const std::string_view label = epiloom::LatestVersionLabel(body);
  if (label.find(';') != std::string_view::npos || label.size() > body.size()) std::abort();
  // A label is never newer than itself, and exactly one of two different
  // labels is the newer.
  if (epiloom::IsNewerVersion(label, label)) std::abort();
  if (label != "V1.6" && epiloom::IsNewerVersion(label, "V1.6") == epiloom::IsNewerVersion("V1.6", label)) {
    std::abort();
  }

  std::size_t fields = 1;
  for (char c : body) fields += c == ';';
  const auto codes = epiloom::OfferedLanguageCodes(body);
  if (codes.size() > fields) std::abort();
  for (const std::string& code : codes) {
    if (code.size() != 2) std::abort();
    for (char c : code) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte >= 128 || !std::isalnum(byte)) std::abort();
    }
  }
  return 0;
}
