#include "cli/OptionParser.h"

#include <utility>

#include "library/CodePage.h"

namespace lorvex {

namespace {

const Option* find(const std::vector<Option>& options, const std::string& argument,
                   Option::Match& match, std::string& value) {
    for (const Option& option : options) {
        match = option.match(argument, value);
        if (match != Option::Match::No) return &option;
    }
    return nullptr;
}

}  // namespace

Option Option::flag(const char* name, std::function<void()> set) {
    return Option(name, nullptr, /*takesValue=*/false, "",
                  [set = std::move(set)](const std::string&) {
                      set();
                      return true;
                  });
}

Option Option::withValue(const char* name, const char* shortName, const char* refusal,
                         std::function<bool(const std::string& value)> take) {
    return Option(name, shortName, /*takesValue=*/true, refusal, std::move(take));
}

Option::Match Option::match(const std::string& argument, std::string& value) const {
    const std::string name = name_, brief = shortName_ != nullptr ? shortName_ : "";
    if (argument == name || (!brief.empty() && argument == brief)) return Match::Alone;
    if (!takesValue_) return Match::No;
    if (argument.compare(0, name.size() + 1, name + "=") == 0) {
        value = argument.substr(name.size() + 1);
        return Match::WithValue;
    }
    if (brief.empty() || argument.compare(0, brief.size(), brief) != 0) return Match::No;
    value = argument.substr(brief.size());
    return Match::WithValue;
}

bool readArguments(const std::vector<std::string>& arguments, const std::vector<Option>& options,
                   OptionsAfterFiles after, UnknownOptions unknown, std::vector<std::string>& files,
                   OptionProblem& problem) {
    bool onlyFiles = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool optionLike = !onlyFiles && argument.size() >= 2 && argument[0] == '-';
        if (optionLike && argument == "--") {
            onlyFiles = true;
            continue;
        }
        Option::Match match = Option::Match::No;
        std::string value;
        const Option* option = optionLike ? find(options, argument, match, value) : nullptr;
        if (option == nullptr && optionLike && unknown == UnknownOptions::AreErrors) {
            problem = {OptionProblem::Kind::UnknownOption, argument, ""};
            return false;
        }
        if (option == nullptr) {
            files.push_back(argument);
            onlyFiles = onlyFiles || after == OptionsAfterFiles::AreFiles;
            continue;
        }
        const bool missing =
            option->takesValue() && match == Option::Match::Alone && i + 1 >= arguments.size();
        if (option->takesValue() && match == Option::Match::Alone && !missing)
            value = arguments[++i];
        if (missing || !option->take(value)) {
            problem = {OptionProblem::Kind::BadValue, argument,
                       missing ? "needs a value" : option->refusal()};
            return false;
        }
    }
    return true;
}

Option outputOption(std::string& folder) {
    return Option::withValue("--output", "-o", "takes the folder to write into",
                             [&folder](const std::string& value) {
                                 folder = value;
                                 return !value.empty();
                             });
}

Option codePageOption(unsigned& codePage) {
    return Option::withValue("--codepage", nullptr,
                             "takes one of the code pages 874, 932, 936, 949, 950 and 1250 to 1258",
                             [&codePage](const std::string& value) {
                                 for (const unsigned number : kSupportedCodePages) {
                                     if (value != std::to_string(number)) continue;
                                     codePage = number;
                                     return CodePage(number).available();
                                 }
                                 return false;
                             });
}

}  // namespace lorvex
