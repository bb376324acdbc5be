// Fixtures of the configuration import tests under Wine: test keys under HKCU, registry export files written in either encoding, and raw value reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/lib_unicode_win.h"
#include "support/win_fixtures.h"

// Each test program keeps to its own key below HKCU\Software\ClientTests\config-import: CTest runs
// them side by side.
inline std::u16string ImportTestKey(std::u16string_view leaf) {
  return u"Software\\ClientTests\\config-import\\" + std::u16string(leaf);
}
// How a file's sections name a test key: the import lands them under HKCU instead of the machine key.
inline std::u16string ImportTestSection(std::u16string_view leaf) { return u"HKEY_LOCAL_MACHINE\\" + ImportTestKey(leaf); }

// REGEDIT4 files go out in the ANSI code page, version 5.00 files in UTF-16LE with the mark.
inline bool WriteRegFileAnsi(const std::u16string& name, const std::u16string& text) {
  return WriteFixture(name, WideToAnsi(text));
}
inline bool WriteRegFileUtf16(const std::u16string& name, const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  return WriteFixture(name, bytes);
}

struct TRawValue {
  bool Found = false;
  DWORD Type = REG_NONE;
  std::vector<uint8_t> Data;
};

inline TRawValue ReadRawValue(const std::u16string& path, const std::u16string& name) {
  TRawValue v;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WStr(path), 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExW(key, WStr(name), nullptr, &v.Type, nullptr, &size) == ERROR_SUCCESS) {
    v.Data.resize(size);
    v.Found = RegQueryValueExW(key, WStr(name), nullptr, &v.Type, v.Data.data(), &size) == ERROR_SUCCESS;
    v.Data.resize(size);
  }
  RegCloseKey(key);
  return v;
}

inline bool KeyExists(const std::u16string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, WStr(path), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}
