// Payloads that every transform of the message must carry unchanged.
#pragma once

#include <string>
#include <vector>

struct TPayloadCase {
  std::string name;
  std::string bytes;
};

// Empty, one byte, all 256 byte values, Russian text in Windows-1251, long repetitive and long
// random text (fixed seed), and a text whose repeats cross the LZHUF ring's end.
const std::vector<TPayloadCase>& PayloadCases();

// Cyrillic and ASCII of a UTF-8 literal as Windows-1251 bytes (enough for test texts).
std::string Cp1251(const std::string& utf8);

// A Russian document text of about n bytes in Windows-1251.
std::string RussianText(size_t n);
