#include "cli/OptionParser.h"

#include "text/CodePage.h"

namespace lorvex {

namespace {

// How an argument gives an option: not at all, alone (its value, if it takes
// one, follows), or with its value.
enum class Given { No, Alone, WithValue };

Given given(const Option& option, const std::string& argument, std::string& value) {
    const std::string name = option.name,
                      brief = option.shortName != nullptr ? option.shortName : "";
    if (argument == name || (!brief.empty() && argument == brief)) return Given::Alone;
    if (option.kind == Option::Kind::Flag) return Given::No;
    if (argument.compare(0, name.size() + 1, name + "=") == 0) {
        value = argument.substr(name.size() + 1);
        return Given::WithValue;
    }
    if (brief.empty() || argument.compare(0, brief.size(), brief) != 0) return Given::No;
    value = argument.substr(brief.size());
    return Given::WithValue;
}

}  // namespace

Option flag(const char* name, std::function<void()> set) {
    return Option{name, nullptr, Option::Kind::Flag, "", [set](const std::string&) {
                      set();
                      return true;
                  }};
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
        const Option* option = nullptr;
        Given how = Given::No;
        std::string value;
        for (std::size_t k = 0; optionLike && how == Given::No && k < options.size(); ++k) {
            option = &options[k];
            how = given(*option, argument, value);
        }
        if (how == Given::No && optionLike && unknown == UnknownOptions::AreErrors) {
            problem = {OptionProblem::Kind::UnknownOption, argument, ""};
            return false;
        }
        if (how == Given::No) {
            files.push_back(argument);
            onlyFiles = onlyFiles || after == OptionsAfterFiles::AreFiles;
            continue;
        }
        const bool follows = option->kind == Option::Kind::WithValue && how == Given::Alone;
        const bool missing = follows && i + 1 >= arguments.size();
        if (follows && !missing) value = arguments[++i];
        if (missing || !option->take(value)) {
            problem = {OptionProblem::Kind::BadValue, argument,
                       missing ? "needs a value" : option->refusal};
            return false;
        }
    }
    return true;
}

Option outputOption(std::string& folder) {
    return Option{"--output", "-o", Option::Kind::WithValue, "takes the folder to write into",
                  [&folder](const std::string& value) {
                      folder = value;
                      return !value.empty();
                  }};
}

Option codePageOption(unsigned& codePage) {
    return Option{"--codepage", nullptr, Option::Kind::WithValue,
                  "takes one of the code pages 874, 932, 936, 949, 950 and 1250 to 1258",
                  [&codePage](const std::string& value) {
                      for (const unsigned number : kSupportedCodePages) {
                          if (value != std::to_string(number)) continue;
                          codePage = number;
                          return CodePage(number).available();
                      }
                      return false;
                  }};
}

}  // namespace lorvex
