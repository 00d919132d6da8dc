#include "cli/OptionValue.h"

#include "text/CodePage.h"

namespace lorvex {

bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               const char* shortName, std::string& value, bool& missing) {
    const std::string& argument = arguments[i];
    missing = false;
    if (argument.compare(0, name.size() + 1, name + "=") == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    const std::string brief = shortName != nullptr ? shortName : "";
    if (!brief.empty() && argument.size() > brief.size() &&
        argument.compare(0, brief.size(), brief) == 0) {
        value = argument.substr(brief.size());
        return true;
    }
    if (argument != name && (brief.empty() || argument != brief)) return false;
    missing = i + 1 >= arguments.size();
    if (!missing) value = arguments[++i];
    return true;
}

bool parseCodePage(const std::string& text, unsigned& codePage) {
    for (const unsigned number : kSupportedCodePages) {
        if (text != std::to_string(number)) continue;
        codePage = number;
        return CodePage(number).available();
    }
    return false;
}

}  // namespace lorvex
