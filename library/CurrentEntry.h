#pragma once

#include <cstdint>

namespace lorvex {

enum class EntryKind : std::uint32_t { Source = 0, Pcode = 1, Resource = 2 };

// One entry as iteration delivers it.
struct CurrentEntry {
    static constexpr int kNameCapacity = 100;  // 99 bytes and the terminating zero
    char displayName[kNameCapacity] = {};
    EntryKind kind = EntryKind::Source;
    std::uint32_t dataSize = 0;
    std::uint32_t firstBlock = 0;
    std::uint32_t modificationTime = 0;
    std::uint16_t commentLength = 0;
};

}  // namespace lorvex
