#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel {

// SHA-256 of a byte string, for the checksums of a backup's members.
std::array<uint8_t, 32> Sha256(std::string_view data);
// The same as 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view data);

}  // namespace kestrel
