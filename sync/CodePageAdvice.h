#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/CodePage.h"

namespace lorvex {

// Collects the single-byte texts of a run that did not convert, so that the
// run can say once, at its end, which supported code pages would convert all
// of them.
class CodePageAdvice {
public:
    void failed(const std::string& text);
    // Takes in what another collection found.
    void merge(const CodePageAdvice& other);
    // The advice, or empty when no text failed.
    std::string advice();

private:
    std::vector<std::unique_ptr<CodePage>> codePages_;  // made at the first failure
    std::uint32_t converting_ = ~std::uint32_t{0};      // a bit per supported code page
    bool anyFailed_ = false;
};

}  // namespace lorvex
