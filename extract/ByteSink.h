#pragma once

#include <cstddef>
#include <string>

namespace lorvex {

// Where an export goes: a file, a string in memory, or nowhere but a count.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const void* bytes, std::size_t count) = 0;
    // False once a write failed; the sink's owner tells why.
    virtual bool intact() const { return true; }
};

class StringSink final : public ByteSink {
public:
    void write(const void* data, std::size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
    }
    std::string bytes;
};

class CountingSink final : public ByteSink {
public:
    void write(const void*, std::size_t size) override { count += size; }
    std::size_t count = 0;
};

}  // namespace lorvex
