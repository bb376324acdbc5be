// Code-page tables of the portable core: Windows-1251, CP866 and Windows-1252, plus UTF-8.
// They match the system's conversions on a Russian Windows (checked under Wine against the real calls).
#include "foundation/lib_codepage.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {
using HighHalf = std::array<char16_t, 128>;

constexpr HighHalf kCp1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr HighHalf kCp866 = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// Bytes 81, 8D, 8F, 90 and 9D are unassigned; Windows passes them through as the same code points.
constexpr HighHalf kCp1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF,
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF,
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF,
};

const HighHalf* TableOf(uint32_t codePage) {
  switch (codePage) {
    case kCodePage1251: return &kCp1251;
    case kCodePage866: return &kCp866;
    case kCodePage1252: return &kCp1252;
    default: return nullptr;
  }
}

using ReverseTable = std::array<std::pair<char16_t, uint8_t>, 128>;

ReverseTable BuildReverse(const HighHalf& table) {
  ReverseTable r{};
  for (int k = 0; k < 128; ++k) r[k] = {table[k], uint8_t(0x80 + k)};
  std::sort(r.begin(), r.end());
  return r;
}

// The byte of a character in a table's high half, or -1.
int ByteOf(uint32_t codePage, char16_t c) {
  static const ReverseTable r1251 = BuildReverse(kCp1251);
  static const ReverseTable r866 = BuildReverse(kCp866);
  static const ReverseTable r1252 = BuildReverse(kCp1252);
  const ReverseTable* r = codePage == kCodePage1251 ? &r1251 : codePage == kCodePage866 ? &r866 : &r1252;
  auto it = std::lower_bound(r->begin(), r->end(), std::pair<char16_t, uint8_t>{c, 0});
  return (it != r->end() && it->first == c) ? it->second : -1;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

bool IsCodePageSupported(uint32_t codePage) {
  return codePage == kCodePageUtf8 || TableOf(codePage) != nullptr;
}

std::u16string DecodeCodePage(std::string_view bytes, uint32_t codePage) {
  if (codePage == kCodePageUtf8) return Utf8ToWide(bytes);
  const HighHalf* table = TableOf(codePage);
  std::u16string out;
  out.reserve(bytes.size());
  for (unsigned char b : bytes) {
    out.push_back(b < 0x80 || table == nullptr ? char16_t(b) : (*table)[b - 0x80]);
  }
  return out;
}

std::string EncodeCodePage(std::u16string_view text, uint32_t codePage, bool* lossy) {
  if (lossy) *lossy = false;
  if (codePage == kCodePageUtf8) return WideToUtf8(text);
  const HighHalf* table = TableOf(codePage);
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      out.push_back(char(c));
      continue;
    }
    const int found = table ? ByteOf(codePage, c) : (c < 0x100 ? int(c) : -1);
    if (found >= 0) {
      out.push_back(char(found));
    } else {
      // One question mark per character, also for a surrogate pair.
      if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      out.push_back('?');
      if (lossy) *lossy = true;
    }
  }
  return out;
}

std::u16string Utf8ToWide(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t n = bytes.size();
  auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80; };
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else if (b >= 0xC2 && b <= 0xDF && cont(i + 1)) {
      cp = ((b & 0x1Fu) << 6) | (bytes[i + 1] & 0x3F);
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF && cont(i + 1) && cont(i + 2)) {
      const uint32_t v = ((b & 0x0Fu) << 12) | ((bytes[i + 1] & 0x3Fu) << 6) | (bytes[i + 2] & 0x3F);
      if (v >= 0x800 && (v < 0xD800 || v > 0xDFFF)) {
        cp = v;
        len = 3;
      }
    } else if (b >= 0xF0 && b <= 0xF4 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      const uint32_t v = ((b & 0x07u) << 18) | ((bytes[i + 1] & 0x3Fu) << 12) |
                         ((bytes[i + 2] & 0x3Fu) << 6) | (bytes[i + 3] & 0x3F);
      if (v >= 0x10000 && v <= 0x10FFFF) {
        cp = v;
        len = 4;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
    i += len;
  }
  return out;
}

std::string WideToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

uint32_t CodePageOfCharset(uint32_t charset, uint32_t ansiCodePage, uint32_t oemCodePage) {
  switch (charset) {
    case 0: return 1252;     // ANSI_CHARSET
    case 2: return 42;       // SYMBOL_CHARSET
    case 128: return 932;    // SHIFTJIS_CHARSET
    case 129: return 949;    // HANGUL_CHARSET
    case 130: return 1361;   // JOHAB_CHARSET
    case 134: return 936;    // GB2312_CHARSET
    case 136: return 950;    // CHINESEBIG5_CHARSET
    case 161: return 1253;   // GREEK_CHARSET
    case 162: return 1254;   // TURKISH_CHARSET
    case 163: return 1258;   // VIETNAMESE_CHARSET
    case 177: return 1255;   // HEBREW_CHARSET
    case 178: return 1256;   // ARABIC_CHARSET
    case 186: return 1257;   // BALTIC_CHARSET
    case 204: return 1251;   // RUSSIAN_CHARSET
    case 222: return 874;    // THAI_CHARSET
    case 238: return 1250;   // EASTEUROPE_CHARSET
    case 255: return oemCodePage;  // OEM_CHARSET
    default: return ansiCodePage;  // no code page of its own (DEFAULT_CHARSET and the like)
  }
}

uint32_t CharsetOfCodePage(uint32_t codePage) {
  switch (codePage) {
    case 1252: return 0;
    case 1250: return 238;
    case 1251: return 204;
    case 1253: return 161;
    case 1254: return 162;
    case 1255: return 177;
    case 1256: return 178;
    case 1257: return 186;
    case 1258: return 163;
    case 874: return 222;
    case 932: return 128;
    case 936: return 134;
    case 949: return 129;
    case 950: return 136;
    case 1361: return 130;
    default: return 204;  // a code page without a character set counts as Russian
  }
}

uint8_t Oem866ToAnsi1251(uint8_t b) {
  // 0xB0-0xFF; below 0x80 the byte stays, 0x80-0xAF are the letters at 0xC0-0xEF.
  static constexpr uint8_t kHigh[80] = {
    0x2D, 0x2D, 0x2D, 0xA6, 0x2B, 0xA6, 0xA6, 0xAC, 0xAC, 0xA6, 0xA6, 0xAC, 0x2D, 0x2D, 0x2D, 0xAC,
    0x4C, 0x2B, 0x54, 0x2B, 0x2D, 0x2B, 0xA6, 0xA6, 0x4C, 0xE3, 0xA6, 0x54, 0xA6, 0x3D, 0x2B, 0xA6,
    0xA6, 0x54, 0x54, 0x4C, 0x4C, 0x2D, 0xE3, 0x2B, 0x2B, 0x2D, 0x2D, 0x2D, 0x2D, 0xA6, 0xA6, 0x2D,
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE, 0xFF,
    0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2, 0xB0, 0x95, 0xB7, 0x76, 0xB9, 0xA4, 0xA6, 0xA0,
  };
  if (b < 0x80) return b;
  if (b < 0xB0) return static_cast<uint8_t>(b + 0x40);
  return kHigh[b - 0xB0];
}
