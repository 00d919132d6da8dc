#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

struct stat;

namespace lorvex {

// Identity of a file on disk, used to refuse writing over the library being read.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool known = false;
};

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

    // True when the file could be opened and its size determined.
    [[nodiscard]] bool open(const char* path, bool update);
    void close();
    bool isOpen() const { return stream_ != nullptr; }

    // True only when all n bytes at offset were read (n as for view); offset + n may
    // not pass the end.
    [[nodiscard]] bool readAt(std::uint64_t offset, void* destination, std::size_t n);
    // The n bytes at offset (n at most 256 KiB, more than any record or name) in place, valid until
    // the next read; null when they cannot all be read.
    [[nodiscard]] const unsigned char* view(std::uint64_t offset, std::size_t n);

    std::uint64_t size() const { return size_; }
    const FileIdentity& identity() const { return identity_; }

private:
    struct Window {
        std::vector<unsigned char> bytes;
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t lastUse = 0;
    };
    [[nodiscard]] bool fill(Window& window, std::uint64_t offset);
    static bool covers(const Window& window, std::uint64_t offset, std::size_t n) {
        return offset >= window.start && offset - window.start <= window.length &&
               n <= window.length - (offset - window.start);
    }
    [[nodiscard]] bool seekTo(std::uint64_t offset);

    std::FILE* stream_ = nullptr;
    std::uint64_t size_ = 0;
    FileIdentity identity_;
    std::vector<Window> windows_;
    std::uint64_t uses_ = 0;
};

// Identity of an open file; known is false when it cannot be told.
FileIdentity identityOf(int descriptor);
#ifndef _WIN32
FileIdentity identityOf(const struct ::stat& status);
#endif

}  // namespace lorvex
