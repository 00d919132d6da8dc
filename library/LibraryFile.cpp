#include "library/LibraryFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define LORVEX_FSEEK _fseeki64
#define LORVEX_FILENO _fileno
#else
#include <unistd.h>
#define LORVEX_FSEEK fseeko
#define LORVEX_FILENO fileno
#endif

namespace lorvex {

namespace {
constexpr std::size_t kWindowSize = 256 * 1024;
constexpr std::size_t kWindowCount = 4;
}  // namespace

FileIdentity identityOf(int descriptor) {
    FileIdentity identity;
#ifdef _WIN32
    // Windows has no inode numbers in stat; the handle knows volume and file index.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle == INVALID_HANDLE_VALUE || GetFileInformationByHandle(handle, &information) == 0) {
        return identity;
    }
    identity.device = information.dwVolumeSerialNumber;
    identity.inode =
        static_cast<std::uint64_t>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    identity.known = true;
#else
    struct stat status {};
    if (fstat(descriptor, &status) == 0) identity = identityOf(status);
#endif
    return identity;
}

#ifndef _WIN32
FileIdentity identityOf(const struct ::stat& status) {
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(status.st_dev);
    identity.inode = static_cast<std::uint64_t>(status.st_ino);
    identity.known = true;
    return identity;
}
#endif

LibraryFile::~LibraryFile() {
    close();
}

bool LibraryFile::open(const char* path, bool update) {
    close();
    stream_ = std::fopen(path, update ? "r+b" : "rb");
    if (stream_ == nullptr) return false;
    std::setvbuf(stream_, nullptr, _IONBF, 0);  // the window is the buffer
    if (LORVEX_FSEEK(stream_, 0, SEEK_END) != 0) {
        close();
        return false;
    }
#ifdef _WIN32
    const long long end = _ftelli64(stream_);
#else
    const off_t end = ftello(stream_);
#endif
    if (end < 0) {
        close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(end);
    identity_ = identityOf(LORVEX_FILENO(stream_));
    windows_.resize(kWindowCount);
    for (Window& window : windows_) window.bytes.resize(kWindowSize);
    return true;
}

void LibraryFile::close() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    size_ = 0;
    identity_ = FileIdentity{};
    windows_.clear();
}

bool LibraryFile::seekTo(std::uint64_t offset) {
    return LORVEX_FSEEK(stream_, static_cast<long long>(offset), SEEK_SET) == 0;
}

bool LibraryFile::fill(Window& window, std::uint64_t offset) {
    window.length = 0;
    window.start = offset;
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, size_ - offset));
#ifdef _WIN32
    if (!seekTo(offset)) return false;
    window.length = std::fread(window.bytes.data(), 1, wanted, stream_);
#else
    // One system call per window: pread needs no seek before it.
    while (window.length < wanted) {
        const ssize_t got =
            pread(LORVEX_FILENO(stream_), window.bytes.data() + window.length,
                  wanted - window.length, static_cast<off_t>(offset + window.length));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        window.length += static_cast<std::size_t>(got);
    }
#endif
    return window.length == wanted;
}

bool LibraryFile::readAt(std::uint64_t offset, void* destination, std::size_t n) {
    const unsigned char* bytes = view(offset, n);
    if (bytes == nullptr) return false;
    std::memcpy(destination, bytes, n);
    return true;
}

const unsigned char* LibraryFile::view(std::uint64_t offset, std::size_t n) {
    if (stream_ == nullptr || n > kWindowSize) return nullptr;
    if (offset > size_ || n > size_ - offset) return nullptr;
    Window* chosen = nullptr;
    for (Window& window : windows_) {
        if (covers(window, offset, n)) {
            chosen = &window;
            break;
        }
    }
    if (chosen == nullptr) {
        // Refill the window used least recently.
        chosen = &windows_.front();
        for (Window& window : windows_) {
            if (window.lastUse < chosen->lastUse) chosen = &window;
        }
        if (!fill(*chosen, offset)) return nullptr;
    }
    chosen->lastUse = ++uses_;
    return chosen->bytes.data() + (offset - chosen->start);
}

}  // namespace lorvex
