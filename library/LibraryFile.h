#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace lorvex {

// The library file opened for reading, with one primitive: read exactly n
// bytes at an offset. Reads are served from a few windows of the file, so
// the walk through node records and the walk along data chains, which
// alternate, each keep reading from memory between system calls.
class LibraryFile {
public:
    LibraryFile() = default;
    ~LibraryFile();
    LibraryFile(const LibraryFile&) = delete;
    LibraryFile& operator=(const LibraryFile&) = delete;

    // True when the file could be opened and its size determined; otherwise
    // reason says why.
    [[nodiscard]] bool open(const std::string& path, std::string& reason);
    void close();

    // True only when all n bytes at offset were read.
    [[nodiscard]] bool readAt(std::uint64_t offset, void* destination, std::size_t n);
    // The n bytes at offset (n at most kMaxView, more than any record or
    // name) in place, valid until the next read; null when they cannot all be read.
    static constexpr std::size_t kMaxView = 256 * 1024;
    [[nodiscard]] const unsigned char* view(std::uint64_t offset, std::size_t n);

    std::uint64_t size() const { return size_; }
    const platform::FileIdentity& identity() const { return identity_; }

private:
    struct Window {
        // Left uninitialised: only bytes read from the file are ever looked at.
        std::unique_ptr<unsigned char[]> bytes;
        std::size_t capacity = 0;
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t lastUse = 0;
    };

    int descriptor_ = -1;
    std::uint64_t size_ = 0;
    platform::FileIdentity identity_;
    std::vector<Window> windows_;
    std::uint64_t uses_ = 0;
};

}  // namespace lorvex
