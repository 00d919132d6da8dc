#include "library/LibraryFile.h"

#include <algorithm>
#include <cstring>

namespace lorvex {

namespace {
constexpr std::size_t kWindowCount = 4;
}  // namespace

LibraryFile::~LibraryFile() {
    close();
}

bool LibraryFile::open(const std::string& path, std::string& reason) {
    close();
    if (!platform::openForReading(path, descriptor_, reason) ||
        !platform::fileSizeOf(descriptor_, size_, reason)) {
        close();
        return false;
    }
    identity_ = platform::identityOf(descriptor_);
    // A small library needs no more window than its own size.
    const auto windowSize = static_cast<std::size_t>(std::min<std::uint64_t>(kMaxView, size_));
    windows_.resize(kWindowCount);
    for (Window& window : windows_) {
        window.bytes.reset(new unsigned char[windowSize]);
        window.capacity = windowSize;
    }
    return true;
}

void LibraryFile::close() {
    // Only read from: closing cannot lose anything.
    if (descriptor_ >= 0) platform::abandonFile(descriptor_);
    descriptor_ = -1;
    size_ = 0;
    identity_ = platform::FileIdentity{};
    windows_.clear();
}

bool LibraryFile::readAt(std::uint64_t offset, void* destination, std::size_t n) {
    const unsigned char* bytes = view(offset, n);
    if (bytes == nullptr) return false;
    std::memcpy(destination, bytes, n);
    return true;
}

const unsigned char* LibraryFile::view(std::uint64_t offset, std::size_t n) {
    if (descriptor_ < 0 || n > kMaxView || offset > size_ || n > size_ - offset) return nullptr;
    auto covers = [&](const Window& window) {
        return offset >= window.start && offset - window.start <= window.length &&
               n <= window.length - (offset - window.start);
    };
    auto chosen = std::find_if(windows_.begin(), windows_.end(), covers);
    if (chosen == windows_.end()) {
        // Refill the window used least recently.
        chosen = std::min_element(
            windows_.begin(), windows_.end(),
            [](const Window& a, const Window& b) { return a.lastUse < b.lastUse; });
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(chosen->capacity, size_ - offset));
        chosen->start = offset;
        chosen->length = platform::readAt(descriptor_, offset, chosen->bytes.get(), wanted);
        if (chosen->length < n) return nullptr;
    }
    chosen->lastUse = ++uses_;
    return chosen->bytes.get() + (offset - chosen->start);
}

}  // namespace lorvex
