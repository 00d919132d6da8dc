#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lorvex {

// An option of a command: a flag ("--json"), or an option with a value, as
// "--name=value" or "--name value", or by its short name as "-o value" or
// "-ovalue".
struct Option {
    enum class Kind { Flag, WithValue };
    const char* name;
    const char* shortName;  // nullptr when it has none
    Kind kind;
    const char* refusal;  // what an option with a value takes, said of a value it refuses
    // Takes the value given (empty for a flag); false for one the option does not take.
    std::function<bool(const std::string& value)> take;
};

// A flag, which calls set when it is given.
Option flag(const char* name, std::function<void()> set);

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
