#include "extract/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "library/Utf16.h"

#ifdef _WIN32
#include <io.h>
#define LORVEX_WRITE _write
#define LORVEX_CLOSE _close
#else
#include <unistd.h>
#define LORVEX_WRITE ::write
#define LORVEX_CLOSE ::close
#endif

namespace lorvex {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}
}  // namespace

OutputFile::OutputFile() : buffer_(kBufferSize) {}

OutputFile::~OutputFile() {
    if (descriptor_ >= 0) LORVEX_CLOSE(descriptor_);
}

bool OutputFile::create(const char* name, const FileIdentity& library, bool wideText) {
    if (descriptor_ >= 0) LORVEX_CLOSE(descriptor_);
    descriptor_ = -1;
    failed_ = false;
    used_ = 0;
    wideText_ = wideText;
#ifdef _WIN32
    // Opened without truncation first: only once it is known not to be the
    // library itself may the file be emptied.
    descriptor_ = _open(name, _O_WRONLY | _O_CREAT | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor_ < 0) return false;
    if (sameFile(identityOf(descriptor_), library) || _chsize_s(descriptor_, 0) != 0) {
        LORVEX_CLOSE(descriptor_);
        descriptor_ = -1;
        return false;
    }
    return true;
#else
    // As above; non-blocking besides, so a named pipe without a reader fails
    // instead of hanging.
    descriptor_ = ::open(name, O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK, 0666);
    if (descriptor_ < 0) return false;
    struct stat status {};
    const bool usable =
        fstat(descriptor_, &status) == 0 && !sameFile(identityOf(status), library) &&
        (!S_ISREG(status.st_mode) || status.st_size == 0 || ftruncate(descriptor_, 0) == 0);
    if (!usable) {
        LORVEX_CLOSE(descriptor_);
        descriptor_ = -1;
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        const int flags = fcntl(descriptor_, F_GETFL);
        if (flags >= 0) fcntl(descriptor_, F_SETFL, flags & ~O_NONBLOCK);
    }
    return true;
#endif
}

void OutputFile::writeThrough(const unsigned char* bytes, std::size_t count) {
    while (count > 0 && !failed_) {
        const auto written = LORVEX_WRITE(
            descriptor_, bytes, static_cast<unsigned>(std::min<std::size_t>(count, 1U << 30)));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            failed_ = true;
            return;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
}

void OutputFile::flush() {
    writeThrough(buffer_.data(), used_);
    used_ = 0;
}

void OutputFile::write(const void* bytes, std::size_t count) {
    if (failed_ || count == 0) return;
    const auto* source = static_cast<const unsigned char*>(bytes);
    if (count > buffer_.size() - used_) {
        flush();
        if (count >= buffer_.size()) {
            writeThrough(source, count);
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, source, count);
    used_ += count;
}

void OutputFile::writeText(const char* utf8, std::size_t length) {
    if (!wideText_) {
        write(utf8, length);
        return;
    }
    const std::string wide = utf8ToUtf16Le(utf8, length);
    write(wide.data(), wide.size());
}

void OutputFile::writeText(const char* utf8) {
    writeText(utf8, std::strlen(utf8));
}

bool OutputFile::close() {
    if (descriptor_ < 0) return false;
    flush();
    if (LORVEX_CLOSE(descriptor_) != 0) failed_ = true;
    descriptor_ = -1;
    return !failed_;
}

}  // namespace lorvex
