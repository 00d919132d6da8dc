#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "extract/ByteSink.h"
#include "platform/Folder.h"

namespace lorvex {

// Why a file of this name can never be created in any folder (an empty name,
// "." or "..", a name the file system does not store as it is), as a reason
// that names it; empty when it can be.
std::string whyNeverCreatable(const std::string& name);

// One export file being written. Bytes are gathered in a large buffer; the
// first failed write is remembered, so close() tells whether the whole file
// made it to disk, and why not.
class OutputFile final : public ByteSink {
public:
    OutputFile();
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or empties the file name in folder. False, with reason, when it
    // cannot be opened for writing, is a link, or is the library itself
    // (which is then untouched).
    [[nodiscard]] bool create(const platform::Folder& folder, const std::string& name,
                              const platform::FileIdentity& library, std::string& reason);
    void write(const void* bytes, std::size_t count) override;
    // Flushes, gives the file the stored time (when given) and closes; false,
    // with reason, when any write, the flush, the time or the close failed.
    [[nodiscard]] bool close(std::optional<std::uint32_t> modificationTime, std::string& reason);
    bool intact() const override { return !failed_; }

private:
    void flush();
    void fail(const std::string& why, const char* what = "cannot write");

    int descriptor_ = -1;
    bool failed_ = false;
    std::string error_;
    std::vector<unsigned char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace lorvex
