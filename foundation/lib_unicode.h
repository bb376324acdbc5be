// UTF-16 string and path routines of the portable core (the file and window calls are in lib_unicode_win).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

int PosW(std::u16string_view sub, std::u16string_view text);
// Equality ignoring case (the letters a Russian system folds).
bool SameTextW(std::u16string_view a, std::u16string_view b);
bool SameStrA(std::string_view a, std::string_view b);
// Case-insensitive comparison of at most maxLen characters: below, equal to or above 0.
int StrLICompW(std::u16string_view a, std::u16string_view b, size_t maxLen);

enum class TTextLineBreakStyle { CRLF, LF };
std::u16string AdjustLineBreaksW(std::u16string_view text, TTextLineBreakStyle style = TTextLineBreakStyle::CRLF);

// Null-terminated buffers of 16-bit characters.
char16_t* StrCopyW(char16_t* dest, const char16_t* src);
char16_t* StrLCopyW(char16_t* dest, const char16_t* src, size_t maxLen);
char16_t* StrPLCopyW(char16_t* dest, std::u16string_view text, size_t maxLen);
char16_t* StrPCopyW(char16_t* dest, std::u16string_view text);
const char16_t* StrPosW(const char16_t* str, const char16_t* sub);
const char16_t* StrScanW(const char16_t* str, char16_t ch);
const char16_t* StrRScanW(const char16_t* str, char16_t ch);
const char16_t* StrEndW(const char16_t* str);
size_t StrLenW(const char16_t* str);
char16_t* StrMoveW(char16_t* dest, const char16_t* src, size_t count);
// Buffers that remember their capacity in a header in front of the text.
char16_t* StrAllocW(size_t size);
size_t StrBufSizeW(const char16_t* str);
void StrDisposeW(char16_t* str);
char16_t* StrNewW(const char16_t* str);
char* StrAllocA(size_t size);
char* StrNewA(const char* str);
void StrDisposeA(char* str);
std::string StrPasA(const char* str);
std::u16string StrPasW(const char16_t* str);

// Paths.
std::u16string IncludeTrailingPathDelimiterW(std::u16string_view path);
std::u16string ExcludeTrailingPathDelimiterW(std::u16string_view path);
bool IsPathDelimiterW(std::u16string_view path, int index);
bool IsDelimiterW(std::u16string_view delimiters, std::u16string_view text, int index);
int LastDelimiterW(std::u16string_view delimiters, std::u16string_view text);
std::u16string ExtractFilePathW(std::u16string_view fileName);
std::u16string ExtractFileDirW(std::u16string_view fileName);
std::u16string ExtractFileNameW(std::u16string_view fileName);
std::u16string ExtractFileExtW(std::u16string_view fileName);
std::u16string ChangeFileExtW(std::u16string_view fileName, std::u16string_view extension);
