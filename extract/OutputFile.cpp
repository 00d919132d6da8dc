#include "extract/OutputFile.h"

#include <cstring>

namespace lorvex {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

OutputFile::OutputFile() : buffer_(kBufferSize) {}

// A file still open here was abandoned after a failure already reported.
OutputFile::~OutputFile() {
    if (descriptor_ >= 0) static_cast<void>(platform::closeFile(descriptor_));
}

bool OutputFile::create(const std::string& path, const platform::FileIdentity& library) {
    if (descriptor_ >= 0) static_cast<void>(platform::closeFile(descriptor_));
    used_ = 0;
    descriptor_ = platform::createForWriting(path, library, error_);
    failed_ = descriptor_ < 0;
    if (failed_) error_ = "cannot create: " + error_;
    return !failed_;
}

void OutputFile::fail(const char* what) {
    failed_ = true;
    error_ = what + (": " + platform::lastError());
}

void OutputFile::flush() {
    if (!failed_ && used_ > 0 && !platform::writeAll(descriptor_, buffer_.data(), used_)) fail();
    used_ = 0;
}

void OutputFile::write(const void* bytes, std::size_t count) {
    if (failed_ || count == 0) return;
    if (count > buffer_.size() - used_) {
        flush();
        if (count >= buffer_.size()) {
            if (!failed_ && !platform::writeAll(descriptor_, bytes, count)) fail();
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, bytes, count);
    used_ += count;
}

bool OutputFile::close(std::uint32_t modificationTime) {
    if (descriptor_ < 0) return false;
    flush();
    // Once the last byte is written, as tar and unzip give their files theirs.
    if (!failed_ && !platform::setModificationTime(descriptor_, modificationTime))
        fail("cannot set its time");
    if (!platform::closeFile(descriptor_) && !failed_) fail();
    descriptor_ = -1;
    return !failed_;
}

}  // namespace lorvex
