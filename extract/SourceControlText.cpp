#include "extract/SourceControlText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lorvex {

namespace {

// Whether one of the four 16-bit units at bytes is zero: text is scanned a
// word at a time.
bool holdsZeroUnit(const unsigned char* bytes) {
    std::uint64_t four = 0;
    std::memcpy(&four, bytes, sizeof four);
    return ((four - 0x0001000100010001ULL) & ~four & 0x8000800080008000ULL) != 0;
}

}  // namespace

void LineEndTracker::write(const void* bytes, std::size_t count) {
    sink_.write(bytes, count);
    const auto* data = static_cast<const unsigned char*>(bytes);
    const std::size_t kept = std::min<std::size_t>(count, sizeof last_);
    std::memmove(last_, last_ + kept, sizeof last_ - kept);
    std::memcpy(last_ + sizeof last_ - kept, data + count - kept, kept);
    seen_ += count;
}

bool LineEndTracker::endsWithLineEnd() const {
    if (wide_) return seen_ >= 4 && std::memcmp(last_, "\r\0\n\0", 4) == 0;
    return seen_ >= 2 && last_[2] == '\r' && last_[3] == '\n';
}

void writeOneLineComment(ByteSink& sink, const unsigned char* bytes, std::size_t count, bool wide) {
    const std::size_t width = wide ? 2 : 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i + width <= count; i += width) {
        const bool high = wide && bytes[i + 1] != 0;
        if (high || (bytes[i] != '\r' && bytes[i] != '\n')) continue;
        sink.write(bytes + start, i - start);
        const char letter = bytes[i] == '\r' ? 'r' : 'n';
        const char narrow[] = {'~', letter}, wideForm[] = {'~', '\0', letter, '\0'};
        sink.write(wide ? wideForm : narrow, 2 * width);
        start = i + width;
    }
    sink.write(bytes + start, count - start);
}

void TextUpToNul::write(const unsigned char* bytes, std::size_t count) {
    if (ended_ || count == 0) return;
    std::size_t i = 0;
    if (partial_ >= 0) {
        const unsigned char unit[2] = {static_cast<unsigned char>(partial_), bytes[0]};
        partial_ = -1;
        i = 1;
        if (unit[0] == 0 && unit[1] == 0) return endAtNul();
        pass(unit, 2);
    }
    const std::size_t start = i;
    for (; i + 1 < count; i += 2) {
        while (i + 8 <= count && !holdsZeroUnit(bytes + i)) i += 8;
        if (i + 1 >= count) break;
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            pass(bytes + start, i - start);
            return endAtNul();
        }
    }
    pass(bytes + start, i - start);
    if (i < count) partial_ = bytes[i];
}

void TextUpToNul::pass(const unsigned char* units, std::size_t count) {
    if (count == 0) return;
    if (holding_) sink_.write(held_, 2);
    sink_.write(units, count - 2);
    std::memcpy(held_, units + count - 2, 2);
    holding_ = true;
}

void TextUpToNul::endAtNul() {
    if (holding_ && !(held_[0] == ' ' && held_[1] == 0)) sink_.write(held_, 2);
    holding_ = false;
    ended_ = true;
}

void TextUpToNul::finish() {
    if (ended_) return;
    if (holding_) sink_.write(held_, 2);
    if (partial_ >= 0) {
        const auto last = static_cast<unsigned char>(partial_);
        sink_.write(&last, 1);
    }
    holding_ = false;
    partial_ = -1;
    ended_ = true;
}

}  // namespace lorvex
