// MD5 digest (RFC 1321) of a byte string, from the platform's crypto library.
#pragma once

#include <string>
#include <string_view>

namespace epiloom {

// 32 upper-case hexadecimal digits, two per digest byte in digest order;
// the empty string when the platform cannot compute it.
std::string Md5Hex(std::string_view bytes);

}  // namespace epiloom
