#include "print/Crc32.h"

namespace lorvex {

namespace {

// The remainder of each byte value, so that a byte costs one lookup.
struct Remainders {
    std::uint32_t of[256];
};

constexpr Remainders makeRemainders() {
    Remainders table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        table.of[i] = c;
    }
    return table;
}

constexpr Remainders kRemainders = makeRemainders();

}  // namespace

void Crc32Sink::write(const void* bytes, std::size_t count) {
    const auto* byte = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < count; ++i)
        state_ = kRemainders.of[(state_ ^ byte[i]) & 0xFF] ^ (state_ >> 8);
}

}  // namespace lorvex
