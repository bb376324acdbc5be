// Rules of the file layer that need no system call: text lines in a file's own encoding, placeholders
// of template files, the [rename] list of WININIT.INI, and random file names.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "foundation/lib_file_reader.h"

// Conversion to the ANSI code page: the system's at the Windows edge, code page 1251 in the core.
using TAnsiEncoder = std::string (*)(std::u16string_view text);

// The text and CR LF as the bytes of the encoding (UTF-16LE units, UTF-8, or ANSI).
std::string EncodeTextLine(std::u16string_view text, TTextEncoding encoding, TAnsiEncoder ansi = nullptr);

// Every non-empty placeholder found in the text is replaced everywhere by the value of the same
// index (the empty text when values run out); true when any was found.
bool ReplacePlaceholders(std::string& text, std::span<const std::string> placeholders,
                         std::span<const std::string> values);

// WININIT.INI with one more line at the top of its [rename] section (created at the end when
// missing). Lines are added, not set as keys: every "NUL=" line is a file of its own.
std::string AddWininitRename(std::string_view ini, std::string_view line);

// dir and a backslash (nothing when dir is empty), the number as 8 upper-case hexadecimal digits, ext.
std::u16string HexFileName(std::u16string_view dir, uint32_t number, std::u16string_view ext);
