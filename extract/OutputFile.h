#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "extract/ByteSink.h"
#include "platform/Platform.h"

namespace lorvex {

// One export file being written. Bytes are gathered in a large buffer; any
// failed write is remembered, so close() tells whether the whole file made it
// to disk.
class OutputFile final : public ByteSink {
public:
    OutputFile();
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or empties path. False, with failure() saying why, when it cannot
    // be opened for writing, is a link, or is the library itself (which is then untouched).
    [[nodiscard]] bool create(const std::string& path, const platform::FileIdentity& library);
    void write(const void* bytes, std::size_t count) override;
    // Flushes, gives the file the stored time and closes; false when any
    // write, the flush, the time or the close failed.
    [[nodiscard]] bool close(std::uint32_t modificationTime);
    const char* failure() const override { return failed_ ? error_.c_str() : nullptr; }

private:
    void flush();
    void fail(const char* what = "cannot write");

    int descriptor_ = -1;
    bool failed_ = false;
    std::string error_;
    std::vector<unsigned char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace lorvex
