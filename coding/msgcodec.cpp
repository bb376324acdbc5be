// Payload message codec: profiles, headers, and the order compress - scramble - check - split.
#include "coding/msgcodec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "coding/lib_datcoder_check.h"
#include "coding/lib_datcoder_compress.h"
#include "coding/lib_datcoder_scramble.h"
#include "foundation/lib_str.h"

namespace {

struct TProfile {
  char letter;
  uint8_t scramble, compress, check, headerMode;  // headerMode 1: text header
};

constexpr TProfile kProfiles[] = {
    {'\0', 0, 0, 0, 1}, {'1', 0, 0, 0, 1}, {'2', 0, 0, 0, 1}, {'3', 0, 0, 0, 1}, {'4', 0, 0, 0, 1},
    {'5', 0, 0, 0, 1},  {'6', 0, 0, 0, 1}, {'7', 0, 0, 0, 1}, {'8', 0, 0, 0, 1}, {'9', 0, 0, 0, 1},
    {'C', 2, 0, 0, 1},  {'D', 2, 0, 0, 1}, {'E', 3, 0, 0, 1}, {'G', 3, 0, 0, 1}, {'J', 3, 0, 0, 1},
    {'K', 3, 0, 0, 1},  {'F', 5, 0, 0, 1}, {'H', 3, 0, 0, 1}, {'I', 3, 0, 0, 1}, {'L', 0, 1, 0, 1},
    {'M', 0, 1, 3, 1},  {'N', 3, 1, 3, 1}, {'O', 3, 1, 2, 1}, {'Q', 0, 2, 2, 1}, {'R', 3, 2, 2, 1},
    {'S', 0, 1, 2, 4},  {'s', 0, 1, 1, 3},
};

bool HasCounters(char letter) { return letter == '7' || letter == 'H' || letter == 'I' || letter == 'O'; }

bool IsVersion4(char letter) {
  return letter == 'L' || letter == 'M' || letter == 'N' || letter == 'O' || letter == 'Q' || letter == 'R';
}

void AppendLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

int CheckByteCount(uint8_t checkMode) {
  switch (checkMode) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    default: return 0;
  }
}

// Counters are two base-36 digits each.
constexpr uint32_t kMaxCounter = 36 * 36 - 1;

}  // namespace

TMessageCodec::TMessageCodec() = default;

void TMessageCodec::SetData(std::string_view text) {
  Data.assign(text);
  DataLength = static_cast<uint32_t>(Data.size());
}

void TMessageCodec::SetProfile(char letter) {
  for (const TProfile& p : kProfiles) {
    if (p.letter != letter) continue;
    ProfileKnown = true;
    ScrambleMode = p.scramble;
    CompressMode = p.compress;
    CheckMode = p.check;
    // A text-header letter after "S" or "s" must not keep the short header: its check bytes differ.
    HeaderMode = p.headerMode;
    if (p.headerMode == 1) FormatLetter = letter;
    return;
  }
  ProfileKnown = false;
  HeaderMode = 1;
  FormatLetter = letter;
}

std::string TMessageCodec::BuildHeader(const TDocIdClass& docId, uint16_t totalCount, uint16_t index) {
  std::string h;
  if (HeaderMode == 3 || HeaderMode == 4) {
    h.push_back(HeaderMode == 3 ? 's' : 'S');
    h += docId.GetText();
  } else {
    const bool tagged = (Charset == 0 && Utf8Payload) || (Charset != 0 && ForeignCodePage);
    h += tagged ? "ABW" : "AQX";
    h += docId.GetText();
    h += IsVersion4(FormatLetter) ? "401" : "260";
    if (tagged) h.back() = static_cast<char>(Charset);
    h.push_back(FormatLetter);
    if (HasCounters(FormatLetter)) {
      h += IntToBase36(totalCount, 2);
      h += IntToBase36(index, 2);
      h.append(reinterpret_cast<const char*>(DocumentId.data()), DocumentId.size());
    }
    h.push_back('\t');
  }
  if (!(MultiPart && index > 1)) AppendLittleEndian(h, CheckValue, CheckByteCount(CheckMode));
  Header = h;
  return h;
}

bool TMessageCodec::Fail(std::string reason) {
  Error = std::move(reason);
  Message.clear();
  Symbols.Clear();
  return false;
}

bool TMessageCodec::Encode() {
  Error.clear();
  if (!ProfileKnown)
    return Fail("unknown format letter: the header would promise a treatment the body did not get");
  if (DataLength == 0 || DataLength > Data.size()) DataLength = static_cast<uint32_t>(Data.size());

  std::string body;
  if (CompressMode == 0) {
    body = Data;
  } else {
    // The reader learns the payload length only from this field: a payload it cannot hold fails.
    const int lengthBytes = HeaderMode == 3 ? 1 : 2;
    const uint32_t maxLength = lengthBytes == 1 ? 0xFFu : 0xFFFFu;
    if (DataLength > maxLength) {
      char text[96];
      std::snprintf(text, sizeof text, "payload of %u bytes exceeds the %u bytes of the length field",
                    static_cast<unsigned>(DataLength), static_cast<unsigned>(maxLength));
      return Fail(text);
    }
    AppendLittleEndian(body, DataLength, lengthBytes);
    uint32_t length = DataLength;
    body += CompressText(Data, length, CompressMode);
  }
  if (ScrambleMode != 0) {
    auto scrambled = ScrambleText(body, ScrambleMode);
    if (!scrambled) return Fail("the additive scramble cannot carry the byte FF");
    body = std::move(*scrambled);
  }
  if (CheckMode != 0) CheckValue = ComputeCheck(body, CheckMode);

  Message = BuildHeader(DocId, 1, 1) + body;
  Symbols.Clear();
  if (!MultiPart || SymbolCapacity == 0) return true;
  return Split(std::move(body));
}

bool TMessageCodec::Split(std::string body) {
  const std::string first = BuildHeader(DocId, 2, 1);
  const std::string later = BuildHeader(DocId, 2, 2);
  if (SymbolCapacity <= first.size() || SymbolCapacity <= later.size()) {
    char text[96];
    std::snprintf(text, sizeof text, "symbol capacity %u does not exceed the header of %u bytes",
                  static_cast<unsigned>(SymbolCapacity),
                  static_cast<unsigned>(std::max(first.size(), later.size())));
    return Fail(text);
  }
  const double r1 = static_cast<double>(SymbolCapacity) - static_cast<double>(first.size());
  const double r2 = static_cast<double>(SymbolCapacity) - static_cast<double>(later.size());
  const double expected = std::ceil((static_cast<double>(body.size()) - r1 + r2) / r2);
  // Counters wrap past their digits (and the index past 16 bits): a reader would misplace pieces.
  if (expected > (HasCounters(FormatLetter) ? kMaxCounter : 0xFFFFu))
    return Fail("the message needs more symbols than its headers can number");
  const int count = static_cast<int>(expected);

  int made = 0;
  size_t taken = 0;
  while (taken < body.size()) {
    ++made;
    const std::string header = BuildHeader(DocId, static_cast<uint16_t>(count), static_cast<uint16_t>(made));
    const size_t room = SymbolCapacity - header.size();
    Symbols.Add(header + body.substr(taken, room));
    taken += room;
  }
  if (made != count) {
    char text[96];
    std::snprintf(text, sizeof text, "Symbol count mismatch. Got %d symbols, expected %d symbols", made, count);
    throw EArithmeticError(text);
  }
  return true;
}
