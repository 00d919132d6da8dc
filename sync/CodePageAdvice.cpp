#include "sync/CodePageAdvice.h"

namespace lorvex {

void CodePageAdvice::failed(const std::string& text) {
    anyFailed_ = true;
    if (codePages_.empty()) {
        for (const unsigned number : kSupportedCodePages)
            codePages_.push_back(std::make_unique<CodePage>(number));
    }
    std::u16string units;
    std::size_t invalidAt = 0;
    for (std::size_t i = 0; i < codePages_.size(); ++i) {
        if ((converting_ >> i & 1) != 0 && !codePages_[i]->decode(text, units, invalidAt))
            converting_ &= ~(std::uint32_t{1} << i);
    }
}

void CodePageAdvice::merge(const CodePageAdvice& other) {
    if (!other.anyFailed_) return;
    anyFailed_ = true;
    converting_ &= other.converting_;
    if (codePages_.empty()) {
        for (const unsigned number : kSupportedCodePages)
            codePages_.push_back(std::make_unique<CodePage>(number));
    }
}

std::string CodePageAdvice::advice() {
    if (!anyFailed_) return "";
    std::vector<std::string> numbers;
    for (std::size_t i = 0; i < codePages_.size(); ++i) {
        if ((converting_ >> i & 1) != 0 && codePages_[i]->available())
            numbers.push_back(std::to_string(kSupportedCodePages[i]));
    }
    if (numbers.empty())
        return "no supported code page converts every text that failed for its code page";
    std::string list = numbers.front();
    for (std::size_t i = 1; i < numbers.size(); ++i)
        list += (i + 1 == numbers.size() ? " or " : ", ") + numbers[i];
    return "every text that failed for its code page converts in code page " + list +
           ": give the right one with --codepage";
}

}  // namespace lorvex
