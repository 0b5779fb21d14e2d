// Reading a value of an INI text by the platform's profile rules, from the
// file's bytes: section and key names compared without letter case, blanks
// (and tabs) around keys and values ignored, surrounding quotes removed, the
// first occurrence of a key in the first section of that name wins, and a
// value cut to 259 characters (what a 260-byte buffer takes). Lines end at
// CR LF, LF or CR, so a text never holds a line break.
//
// Language files are read this way rather than through the kernel's profile
// functions because translators save them with a UTF-8 byte order mark
// (EF BB BF) at the start: Wine's profile functions skip it, Windows' take
// it as part of the first line, so the "[Language]" section is not found and
// every text silently stays English. Here a leading mark is skipped on both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace epiloom {

// The UTF-8 byte order mark.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The text without a leading UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view text);

// The value of `key` in `section`; nullopt when the section or the key is
// missing (also for a key written without "=", as the profile functions
// read it). An empty value stays empty.
std::optional<std::string> ProfileValue(std::string_view content, std::string_view section, std::string_view key);

}  // namespace epiloom
