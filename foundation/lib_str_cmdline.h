// Command line of the program: its arguments, the command letter and the switch words.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Arguments as the program sees them: element 0 is the program itself. White space (up to U+0020)
// separates arguments; double quotes group and are dropped; backslashes are plain characters, so a
// quoted directory ending in a backslash stays intact.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// The first argument's second character when it begins with "/" or "-", else its first, upper-cased;
// 0 when there is no argument.
char16_t GetCommandLetter(const std::vector<std::u16string>& args);

// Whether some argument is "/" or "-" followed by the word, compared without regard to case.
bool FindCmdLineSwitch(const std::vector<std::u16string>& args, std::u16string_view word);

// The value of the first argument "NAME=value" (the name compared without regard to case); empty when
// there is none. A service process gets only its registered command line, not its starter's
// environment, so the test switches reach it this way.
std::u16string FindCmdLineValue(const std::vector<std::u16string>& args, std::u16string_view name);
