#include "platform/Platform.h"

namespace lorvex::platform {

namespace {
const std::string kPrefix = ".lorvex-";

bool allDigits(const std::string& text, std::size_t from, std::size_t to) {
    if (from >= to) return false;
    for (std::size_t i = from; i < to; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}
}  // namespace

std::string temporaryName(const std::string& fileName, unsigned long process, unsigned attempt) {
    return kPrefix + fileName + "." + std::to_string(process) + "-" + std::to_string(attempt);
}

std::size_t temporaryNameOverhead() {
    // Process numbers have at most ten digits, attempts two.
    return temporaryName("", 4294967295UL, 99).size();
}

bool isTemporaryName(const std::string& name) {
    // The prefix, a file name, then ".<digits>-<digits>" and nothing more: no
    // source (".sr?") or object list (".pbg") ends that way.
    const std::size_t dot = name.rfind('.');
    const std::size_t dash = name.rfind('-');
    return name.size() > kPrefix.size() && name.compare(0, kPrefix.size(), kPrefix) == 0 &&
           dot != std::string::npos && dot >= kPrefix.size() && dash != std::string::npos &&
           dash > dot && allDigits(name, dot + 1, dash) && allDigits(name, dash + 1, name.size());
}

}  // namespace lorvex::platform
