#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lorvex {

// An option of a command and what it does with what it is given.
class Option {
public:
    // An option without a value ("--json"): set is called when it is given.
    static Option flag(const char* name, std::function<void()> set);

    // An option with a value, as "--name=value" or "--name value", or by its
    // short name ("-o value", "-ovalue") when shortName is not null. take
    // returns false for a value the option does not take; refusal then says
    // what it takes.
    static Option withValue(const char* name, const char* shortName, const char* refusal,
                            std::function<bool(const std::string& value)> take);

    // Whether argument is this option, and for one with a value how it carries it.
    enum class Match { No, Alone, WithValue };
    Match match(const std::string& argument, std::string& value) const;

    bool takesValue() const { return takesValue_; }
    const char* refusal() const { return refusal_; }
    bool take(const std::string& value) const { return take_(value); }

private:
    Option(const char* name, const char* shortName, bool takesValue, const char* refusal,
           std::function<bool(const std::string&)> take)
        : name_(name),
          shortName_(shortName),
          takesValue_(takesValue),
          refusal_(refusal),
          take_(std::move(take)) {}

    const char* name_;
    const char* shortName_;
    bool takesValue_;
    const char* refusal_;
    std::function<bool(const std::string&)> take_;
};

// Why the arguments of a command cannot be read: an option it does not know,
// or a value an option does not take.
struct OptionProblem {
    enum class Kind { UnknownOption, BadValue };
    Kind kind = Kind::UnknownOption;
    std::string argument;  // the option as given
    std::string reason;    // what is wrong with the value, for BadValue
};

// Whether the options of a command may follow its files, or end at the
// first one (the library of -e and -p, after which everything is a name).
enum class OptionsAfterFiles { Taken, AreFiles };

// Whether an argument that looks like an option the command does not know is
// an error (-s, -l, -p) or its first file (-e: "-e --foo LIB" opens "--foo").
enum class UnknownOptions { AreErrors, AreFiles };

// Reads the arguments of a command: an argument that does not start with "-",
// or is "-" alone, is a file, and so is every one after "--"; any other is
// one of options, which takes it. False, with problem, at the first option it
// does not know or value an option does not take; files then holds those
// before it.
[[nodiscard]] bool readArguments(const std::vector<std::string>& arguments,
                                 const std::vector<Option>& options, OptionsAfterFiles after,
                                 UnknownOptions unknown, std::vector<std::string>& files,
                                 OptionProblem& problem);

// The options more than one command takes: the folder to write into, and the
// code page of single-byte text (one of those supported, as digits, that
// this system converts).
Option outputOption(std::string& folder);
Option codePageOption(unsigned& codePage);

}  // namespace lorvex
