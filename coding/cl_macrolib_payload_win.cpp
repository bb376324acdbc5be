// The system's code-page calls behind the payload conversion.
#include "coding/cl_macrolib_payload_win.h"

#include <windows.h>

#include <climits>

uint32_t TWinCodePages::AnsiCodePage() const { return GetACP(); }

uint32_t TWinCodePages::OemCodePage() const { return GetOEMCP(); }

std::optional<TCharsetCodePage> TWinCodePages::LookupCharset(uint8_t charset) const {
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(charset)), &info, TCI_SRCCHARSET))
    return std::nullopt;
  return TCharsetCodePage{info.ciACP, static_cast<uint8_t>(info.ciCharset)};
}

std::optional<std::string> TWinCodePages::Encode(std::u16string_view text, uint32_t codePage, bool& lossy) const {
  lossy = false;
  if (text.empty()) return std::string();
  if (text.size() > INT_MAX / 4) return std::nullopt;
  const auto* src = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  // UTF-7 and UTF-8 take neither the flag nor the default-character report.
  const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
  const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* report = utf ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, flags, src, len, nullptr, 0, nullptr, report);
  if (n <= 0) return std::nullopt;
  std::string out(static_cast<size_t>(n), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(codePage, flags, src, len, out.data(), n, nullptr, report) != n) return std::nullopt;
  lossy = usedDefault != FALSE;
  return out;
}

std::u16string TWinCodePages::Decode(std::string_view bytes, uint32_t codePage) const {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int len = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), len, nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), len, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

bool TWinCodePages::IsLeadByte(uint32_t codePage, uint8_t byte) const {
  return codePage != CP_UTF8 && IsDBCSLeadByteEx(codePage, byte) != FALSE;
}
