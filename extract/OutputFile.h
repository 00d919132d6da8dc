#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "library/LibraryFile.h"

namespace lorvex {

// One export file being written. Bytes are gathered in a large buffer; any
// failed write is remembered, so close() tells whether the whole file made it
// to disk. Text the writer adds goes through writeText, which writes it as it
// is or, for Unicode-era exports, as UTF-16LE.
class OutputFile {
public:
    OutputFile();
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or truncates name in the current directory. False when it cannot
    // be opened for writing or is the library itself (which is then untouched).
    [[nodiscard]] bool create(const char* name, const FileIdentity& library, bool wideText);
    void write(const void* bytes, std::size_t count);
    void writeText(const char* utf8, std::size_t length);
    void writeText(const std::string& utf8) { writeText(utf8.data(), utf8.size()); }
    void writeText(const char* utf8);
    // Flushes and closes; false when any write, the flush or the close failed.
    [[nodiscard]] bool close();
    bool failed() const { return failed_; }

private:
    void flush();
    void writeThrough(const unsigned char* bytes, std::size_t count);

    int descriptor_ = -1;
    bool failed_ = false;
    bool wideText_ = false;
    std::vector<unsigned char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace lorvex
