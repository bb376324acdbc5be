// Copies strings: which pages (or copies) carry the code, as a mask of letters "C"/"N", as a list of
// page numbers such as "1, 3", or as one of six presets; plus the log texts of page and job decisions.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

// Page numbers 0 to 255.
using TPageSet = std::bitset<256>;

// A copies string never has more letters than this; longer stored masks are read up to it.
constexpr int32_t kMaxPageMaskLength = 64;

// Presets of the settings and copies dialogs.
constexpr int32_t kPagePresetCustom = -1;
constexpr int32_t kPagePresetFirst = 0;
constexpr int32_t kPagePresetFirstTwo = 1;
constexpr int32_t kPagePresetLast = 2;
constexpr int32_t kPagePresetFirstAndLast = 3;
constexpr int32_t kPagePresetAll = 4;
constexpr int32_t kPagePresetNone = 5;

// Every maximal run of digits is a page number, anything else separates; numbers of 256 and above
// are ignored and a run too long to be a number counts as 0.
TPageSet ParsePageList(std::string_view list);
// With trim: up to 64 letters, cut after the last "C" (the count is not used). Without trim: one
// letter for each page 1 to min(pageCount, 64).
std::string PageListToMask(int32_t pageCount, std::string_view list, bool trim);
// The positions (from 1) of the letters "C", joined by ", ".
std::string MaskToPageList(std::string_view mask);
// The preset's list for the page count (customList for the custom preset) as an untrimmed mask; a
// page count text that is no number counts as 0.
std::string PageSetToText(std::string_view pageCountText, std::string_view customList, int32_t preset);
// The preset a mask shows, with its letter count as text and, for the custom preset, its page list.
bool TextToPageSet(std::string_view mask, std::string& pageCountText, int32_t& preset, std::string& customList);

// "(code) text" of a page decision (0 to 3); the code alone in brackets for any other.
std::u16string PageStatusText(int32_t code);
// "\"code\" - text" of a job result (0 to 3); the quoted code alone for any other.
std::u16string JobStatusText(int32_t code);
