#pragma once

#include <cstdint>

#include "extract/ByteSink.h"

namespace lorvex {

// The CRC-32 of the bytes written into it, as zip and PNG compute it
// (reflected, polynomial 0xEDB88320): "123456789" gives 0xCBF43926.
class Crc32Sink final : public ByteSink {
public:
    void write(const void* bytes, std::size_t count) override;
    std::uint32_t value() const { return ~state_; }

private:
    std::uint32_t state_ = 0xFFFFFFFF;
};

}  // namespace lorvex
