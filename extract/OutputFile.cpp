#include "extract/OutputFile.h"

#include <cstring>

namespace lorvex {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

std::string whyNeverCreatable(const std::string& name) {
    std::string problem = name.empty()                  ? "is empty"
                          : name == "." || name == ".." ? "names a folder"
                                                        : "";
    if (problem.empty() && platform::isStorableName(name, problem)) return "";
    return "its file name \"" + name + "\" " + problem;
}

OutputFile::OutputFile() : buffer_(kBufferSize) {}

// A file still open here was abandoned after a failure already reported.
OutputFile::~OutputFile() {
    if (descriptor_ >= 0) platform::abandonFile(descriptor_);
}

bool OutputFile::create(const platform::Folder& folder, const std::string& name,
                        const platform::FileIdentity& library, std::string& reason) {
    if (descriptor_ >= 0) platform::abandonFile(descriptor_);
    used_ = 0;
    failed_ = false;
    if (folder.createForWriting(name, library, descriptor_, reason)) return true;
    descriptor_ = -1;
    reason = "cannot create: " + reason;
    return false;
}

void OutputFile::fail(const std::string& why, const char* what) {
    if (failed_) return;
    failed_ = true;
    error_ = what + (": " + why);
}

void OutputFile::flush() {
    std::string why;
    if (!failed_ && used_ > 0 && !platform::writeAll(descriptor_, buffer_.data(), used_, why))
        fail(why);
    used_ = 0;
}

void OutputFile::write(const void* bytes, std::size_t count) {
    if (failed_ || count == 0) return;
    if (count > buffer_.size() - used_) {
        flush();
        if (count >= buffer_.size()) {
            std::string why;
            if (!failed_ && !platform::writeAll(descriptor_, bytes, count, why)) fail(why);
            return;
        }
    }
    std::memcpy(buffer_.data() + used_, bytes, count);
    used_ += count;
}

bool OutputFile::close(std::optional<std::uint32_t> modificationTime, std::string& reason) {
    if (descriptor_ < 0) {
        reason = "was not created";
        return false;
    }
    flush();
    // Once the last byte is written, as tar and unzip give their files theirs.
    std::string why;
    if (!failed_ && modificationTime &&
        !platform::setModificationTime(descriptor_, *modificationTime, why))
        fail(why, "cannot set its time");
    if (!platform::closeFile(descriptor_, why)) fail(why);
    descriptor_ = -1;
    if (failed_) reason = error_;
    return !failed_;
}

}  // namespace lorvex
