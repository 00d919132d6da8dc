#pragma once

#include <cstdint>

namespace lorvex {

// Library integers are little-endian whatever the host; each byte is widened
// before it is shifted so no sign or overflow surprises creep in.
inline std::uint16_t readLe16(const unsigned char* p) {
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(p[0]) |
                                      static_cast<std::uint16_t>(p[1]) << 8);
}

inline std::uint32_t readLe32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace lorvex
