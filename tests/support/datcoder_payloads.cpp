// Payload table shared by the compressor, scrambler and codec tests.
#include "support/datcoder_payloads.h"

#include <random>
#include <stdexcept>

std::string Cp1251(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const size_t n = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
    if (n == 0 || i + n > utf8.size()) throw std::invalid_argument("not a 2- or 3-byte UTF-8 character");
    unsigned cp = c & (n == 2 ? 0x1Fu : 0x0Fu);
    for (size_t k = 1; k < n; ++k) cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    i += n;
    if (cp >= 0x410 && cp <= 0x44F) {
      out.push_back(static_cast<char>(0xC0 + (cp - 0x410)));
    } else if (cp == 0x401) {
      out.push_back('\xA8');
    } else if (cp == 0x451) {
      out.push_back('\xB8');
    } else if (cp == 0x2116) {
      out.push_back('\xB9');  // №
    } else {
      throw std::invalid_argument("no Windows-1251 byte in the test table");
    }
  }
  return out;
}

std::string RussianText(size_t n) {
  const std::string lines[] = {
      Cp1251("ИНН:7701234567\tКПП:770101001\tПолучатель:ООО \"Ёлка и ёж\"\t"),
      Cp1251("Назначение платежа:Оплата по счёту № 15 от 01.02.2024, без НДС^сумма прописью\t"),
      Cp1251("Сумма:12 345,67\tБИК:044525225\tСчёт:40702810900000012345\tДата:щ, ъ, ь, я, Я\t"),
  };
  std::string text;
  for (size_t i = 0; text.size() < n; ++i) text += lines[i % 3] + std::to_string(i) + "\r\n";
  text.resize(n);
  return text;
}

const std::vector<TPayloadCase>& PayloadCases() {
  static const std::vector<TPayloadCase> cases = [] {
    std::vector<TPayloadCase> c;
    c.push_back({"empty", ""});
    c.push_back({"one byte", "A"});
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    c.push_back({"all 256 byte values", all});
    c.push_back({"Russian 1251", RussianText(4096)});
    std::string repetitive;
    while (repetitive.size() < 200000) repetitive += "ABABABAB abcabc 0000000000 ";
    c.push_back({"long repetitive", repetitive});
    std::mt19937 rng(1251);
    std::string random(150000, '\0');
    for (char& ch : random) ch = static_cast<char>(rng() & 0xFF);
    c.push_back({"long random", random});
    // Skewed bytes (geometric): a lopsided adaptive tree with long codes.
    std::geometric_distribution<int> skew(0.35);
    std::string skewed(120000, '\0');
    for (char& ch : skewed) ch = static_cast<char>(skew(rng) & 0xFF);
    c.push_back({"skewed random", skewed});
    // Repeats that span ring position 4095 -> 0: a 700-byte block repeated past 4096 bytes.
    std::string block;
    for (int i = 0; i < 700; ++i) block.push_back(static_cast<char>('a' + (i * 7) % 26));
    std::string wrap;
    while (wrap.size() < 9000) wrap += block;
    c.push_back({"repeats across the ring end", wrap});
    return c;
  }();
  return cases;
}
