// Code-page conversions by character set through the system, and the program's own command line.
#include "foundation/lib_str_win.h"

#include <windows.h>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str_cmdline.h"
#include "foundation/lib_unicode_win.h"

uint8_t GetDefaultCharset() {
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(GetACP())), &info, TCI_SRCCODEPAGE))
    return RUSSIAN_CHARSET;
  return static_cast<uint8_t>(info.ciCharset);
}

uint32_t CodePageOfCharsetW32(uint8_t charset) {
  if (charset == OEM_CHARSET) return GetOEMCP();
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<UINT_PTR>(charset)), &info, TCI_SRCCHARSET))
    return GetACP();
  return info.ciACP;
}

std::u16string StrToWideByCharset(std::string_view bytes, uint8_t charset) {
  if (bytes.empty()) return {};
  const UINT cp = CodePageOfCharsetW32(charset);
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return {};
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

int WideToStrByCharset(std::u16string_view text, uint8_t charset, std::string& out) {
  out.clear();
  if (text.empty()) return 0;
  const UINT cp = CodePageOfCharsetW32(charset);
  // UTF-7/UTF-8 take no flags and no default character.
  const DWORD flags = (cp == CP_UTF8 || cp == CP_UTF7) ? 0 : WC_NO_BEST_FIT_CHARS;
  const auto* src = reinterpret_cast<const wchar_t*>(text.data());
  const int len = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(cp, flags, src, len, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return 0;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(cp, flags, src, len, out.data(), n, nullptr, nullptr);
  return n;
}

std::vector<std::u16string> ProgramArguments() { return SplitCommandLine(FromWStr(GetCommandLineW())); }
