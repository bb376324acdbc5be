// Code-page conversions by character set through the system, and the program's own command line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The character set of the system ANSI code page; RUSSIAN_CHARSET (204) when it has none.
uint8_t GetDefaultCharset();
// The code page of a character set, as the system translates it (ANSI for a set without one, OEM for
// OEM_CHARSET).
uint32_t CodePageOfCharsetW32(uint8_t charset);
std::u16string StrToWideByCharset(std::string_view bytes, uint8_t charset);
// Characters the code page lacks become "?" (no look-alikes); returns the number of bytes written.
int WideToStrByCharset(std::u16string_view text, uint8_t charset, std::string& out);

// This process's arguments (element 0 is the program).
std::vector<std::u16string> ProgramArguments();
