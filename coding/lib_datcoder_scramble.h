// Scramblers of payload bodies and of the context file. Every scrambled text begins with the 4-byte
// seed (low byte first) that started its keystream; no key is stored anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Mode 2 additive, mode 3 class-preserving substitution; any other mode gives the text unchanged.
// Fails (nullopt) only where mode 2 cannot carry the text: see AdditiveScramble.
std::optional<std::string> ScrambleText(std::string_view text, uint8_t mode);

// Adds the keystream modulo 255. The byte FF would come out as the scramble of 0 and be read back
// as 0, so a text holding FF is refused (nullopt) rather than coded wrongly.
std::optional<std::string> AdditiveScramble(std::string_view text);

// Class-preserving substitution with a freshly built class table.
std::string ClassScramble(std::string_view text);
// The same with the caller's table, built first when it is not 1024 bytes long.
std::string SubstituteText(std::string_view text, std::string& classTable);

// XOR with the keystream (the context file); XorUnscramble of fewer than 5 bytes is empty.
std::string XorScramble(std::string_view text);
std::string XorUnscramble(std::string_view text);

// 256 entries of 4 bytes, for byte value c: c's index within its class, the class size, where the
// class starts in the class order, and the byte value at position c of the class order.
inline constexpr size_t kClassTableSize = 1024;
void BuildClassTable(std::string& table);
