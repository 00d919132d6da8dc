#include "library/LibraryFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#define LORVEX_FSEEK _fseeki64
#define LORVEX_FILENO _fileno
#else
#define LORVEX_FSEEK fseeko
#define LORVEX_FILENO fileno
#endif

namespace lorvex {

namespace {
constexpr std::size_t kWindowSize = 128 * 1024;
}

FileIdentity identityOf(int descriptor) {
    FileIdentity identity;
#ifdef _WIN32
    (void)descriptor;  // st_ino carries no identity on Windows
#else
    struct stat status {};
    if (fstat(descriptor, &status) == 0) {
        identity.device = static_cast<std::uint64_t>(status.st_dev);
        identity.inode = static_cast<std::uint64_t>(status.st_ino);
        identity.known = true;
    }
#endif
    return identity;
}

LibraryFile::~LibraryFile() { close(); }

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
    window_.resize(kWindowSize);
    return true;
}

void LibraryFile::close() {
    if (stream_ != nullptr) std::fclose(stream_);
    stream_ = nullptr;
    size_ = 0;
    identity_ = FileIdentity{};
    windowLength_ = 0;
    windowStart_ = 0;
}

bool LibraryFile::fillWindow(std::uint64_t offset) {
    windowLength_ = 0;
    windowStart_ = offset;
    if (LORVEX_FSEEK(stream_, static_cast<long long>(offset), SEEK_SET) != 0) return false;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(window_.size(), size_ - offset));
    windowLength_ = std::fread(window_.data(), 1, wanted, stream_);
    return windowLength_ == wanted;
}

bool LibraryFile::readAt(std::uint64_t offset, void* destination, std::size_t n) {
    if (stream_ == nullptr) return false;
    if (offset > size_ || n > size_ - offset) return false;
    if (n > window_.size()) {
        if (LORVEX_FSEEK(stream_, static_cast<long long>(offset), SEEK_SET) != 0) return false;
        windowLength_ = 0;
        return std::fread(destination, 1, n, stream_) == n;
    }
    const bool inWindow = offset >= windowStart_ && offset - windowStart_ <= windowLength_ &&
                          n <= windowLength_ - (offset - windowStart_);
    if (!inWindow && !fillWindow(offset)) return false;
    if (n > windowLength_) return false;
    std::memcpy(destination, window_.data() + (offset - windowStart_), n);
    return true;
}

}  // namespace lorvex
