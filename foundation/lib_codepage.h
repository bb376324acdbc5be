// Code-page conversion of the portable core (1251, 866, 1252, UTF-8) and the character-set rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr uint32_t kCodePage1251 = 1251;
inline constexpr uint32_t kCodePage866 = 866;
inline constexpr uint32_t kCodePage1252 = 1252;
inline constexpr uint32_t kCodePageUtf8 = 65001;

inline constexpr uint32_t RUSSIAN_CHARSET_ID = 204;
inline constexpr uint32_t OEM_CHARSET_ID = 255;

bool IsCodePageSupported(uint32_t codePage);
// Bytes of an unsupported code page pass through as the same code points.
std::u16string DecodeCodePage(std::string_view bytes, uint32_t codePage);
// Characters the code page lacks become "?" (no look-alike substitution); lossy tells whether any did.
std::string EncodeCodePage(std::u16string_view text, uint32_t codePage, bool* lossy = nullptr);
// A CP866 byte as the 1251 byte a Russian system's OemToCharBuffA gives: box drawing and shades become
// look-alikes ("+", "-", "\xA6", "L", "T", "="), the rest the same character.
uint8_t Oem866ToAnsi1251(uint8_t b);
std::u16string Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::u16string_view text);

// The code page of a GDI character set, as TranslateCharsetInfo(TCI_SRCCHARSET) gives it; the ANSI code
// page for a set without one and the OEM code page for OEM_CHARSET.
uint32_t CodePageOfCharset(uint32_t charset, uint32_t ansiCodePage, uint32_t oemCodePage);
// The character set of a code page; RUSSIAN_CHARSET when it has none.
uint32_t CharsetOfCodePage(uint32_t codePage);
