// The settings store every unit reads and writes its settings through: keys by path under one root, the
// registry at the Windows edge and a table in memory in tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_codepage.h"

// Every call opens its key, does its work and closes it; nothing is cached. Readers answer the default
// when the key or value is missing, of another kind or cannot be read; writers create missing keys and
// ignore failures. Nothing raises.
class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;

  virtual bool KeyExists(std::u16string_view key) const = 0;
  // A 32-bit value (REG_DWORD, or 4 bytes of binary data); anything longer or of another type is missing.
  virtual int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const = 0;
  virtual std::u16string ReadText(std::u16string_view key, std::u16string_view name,
                                  std::u16string_view def) const = 0;
  // The same text in the system code page.
  virtual std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const = 0;
  // A byte-block value exactly as stored; a string value as its text in the system code page (the
  // bytes of a wide string would make no delimiter).
  virtual std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const = 0;
  // In the store's own order.
  virtual std::vector<std::u16string> SubKeyNames(std::u16string_view key) const = 0;
  virtual std::vector<std::u16string> ValueNames(std::u16string_view key) const = 0;
  // The subkey names in the system code page.
  std::vector<std::string> SubKeyNamesA(std::u16string_view key) const;

  // False when the key cannot be created.
  virtual bool CreateKey(std::u16string_view key) = 0;
  virtual void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) = 0;
  virtual void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) = 0;
  virtual void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) = 0;
  virtual void DeleteValue(std::u16string_view key, std::u16string_view name) = 0;
  // The key alone: a key that still has subkeys may stay.
  virtual void DeleteKey(std::u16string_view key) = 0;

  // The system code page: the core's own table, the system's conversion at the edge.
  virtual std::u16string FromAnsi(std::string_view text) const { return DecodeCodePage(text, kCodePage1251); }
  virtual std::string ToAnsi(std::u16string_view text) const { return EncodeCodePage(text, kCodePage1251); }
};

// key + "\" + sub.
std::u16string SubKeyPath(std::u16string_view key, std::u16string_view sub);
// An 8-bit name (a document-type identifier) as a key name: one character per byte of the code page.
std::u16string SubKeyPathA(const TSettingsStore& store, std::u16string_view key, std::string_view sub);
