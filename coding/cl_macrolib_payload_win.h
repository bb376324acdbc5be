// The payload's code pages as the system has them: its ANSI and OEM code pages, TranslateCharsetInfo and
// WideCharToMultiByte without best-fit characters.
#pragma once

#include "coding/cl_macrolib_payload.h"

class TWinCodePages : public TCodePageSystem {
 public:
  uint32_t AnsiCodePage() const override;
  uint32_t OemCodePage() const override;
  std::optional<TCharsetCodePage> LookupCharset(uint8_t charset) const override;
  std::optional<std::string> Encode(std::u16string_view text, uint32_t codePage, bool& lossy) const override;
  std::u16string Decode(std::string_view bytes, uint32_t codePage) const override;
  bool IsLeadByte(uint32_t codePage, uint8_t byte) const override;
};
