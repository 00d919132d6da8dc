#pragma once

#include <cstddef>

#include "extract/ByteSink.h"

namespace lorvex {

// Passes bytes on and remembers the last two code units written, so that the
// writer can tell whether the text so far ends its line.
class LineEndTracker final : public ByteSink {
public:
    LineEndTracker(ByteSink& sink, bool wide) : sink_(sink), wide_(wide) {}
    void write(const void* bytes, std::size_t count) override;
    bool intact() const override { return sink_.intact(); }
    // Whether the last bytes written are CR LF, in the library's text form.
    bool endsWithLineEnd() const;

private:
    ByteSink& sink_;
    bool wide_;
    unsigned char last_[4] = {};
    std::size_t seen_ = 0;
};

// Writes a comment as the environment's source control writes it on one
// line: a CR as "~r" and an LF as "~n" (code units of UTF-16LE when wide).
void writeOneLineComment(ByteSink& sink, const unsigned char* bytes, std::size_t count, bool wide);

// Passes UTF-16LE text on up to its first NUL character, leaving out that
// character, everything after it, and one space right before it: what
// follows a NUL is left-over data the environment does not show. A unit may
// be split between two writes; a last odd byte is passed on as it is.
class TextUpToNul {
public:
    explicit TextUpToNul(ByteSink& sink) : sink_(sink) {}
    void write(const unsigned char* bytes, std::size_t count);
    // Writes what is held back; call once after the last write.
    void finish();

private:
    // Passes on whole units, holding back the last one.
    void pass(const unsigned char* units, std::size_t count);
    void endAtNul();

    ByteSink& sink_;
    unsigned char held_[2] = {};
    bool holding_ = false;
    int partial_ = -1;  // the first byte of a unit the last write split
    bool ended_ = false;
};

}  // namespace lorvex
