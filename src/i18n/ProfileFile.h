// INI profile reading and writing with the platform's rules: section and key
// names compared without letter case, blanks around keys and values ignored,
// surrounding quotes removed, the first occurrence of a key wins, and a value
// read into a 260-byte buffer (at most 259 characters).
#pragma once

#include <string>

namespace epiloom {

class ProfileFile {
 public:
  virtual ~ProfileFile() = default;
  // `path` is a full path. Returns `fallback` when the file, the section or
  // the key is missing; an empty value stays empty.
  virtual std::string ReadString(const std::string& path, const std::string& section,
                                 const std::string& key, const std::string& fallback) const = 0;
  virtual bool WriteString(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& value) = 0;
};

}  // namespace epiloom
