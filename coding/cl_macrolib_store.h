// The configuration store as the coding subsystem reads and writes it: the side-wide store with the
// calls the document types need besides (keys, byte blocks, value names, wide subkey names).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"

// Every call opens its key, does its work and closes it; nothing is cached. Readers answer the default
// when the key or value is missing or of another kind; nothing raises.
class TSettingsStore : public TConfigStore {
 public:
  virtual bool KeyExists(std::u16string_view key) const = 0;
  // A byte-block value exactly as stored; a string value as its text in the system code page (the
  // bytes of a wide string would make no delimiter).
  virtual std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const = 0;
  // In the store's own order.
  virtual std::vector<std::u16string> SubKeyNames(std::u16string_view key) const = 0;
  virtual std::vector<std::u16string> ValueNames(std::u16string_view key) const = 0;

  // Writers create missing keys; CreateKey is false when the key cannot be created.
  virtual bool CreateKey(std::u16string_view key) = 0;
  virtual void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) = 0;

  // The system code page: the core's own table, the system's conversion at the edge.
  virtual std::u16string FromAnsi(std::string_view text) const { return DecodeCodePage(text, kCodePage1251); }
  virtual std::string ToAnsi(std::u16string_view text) const { return EncodeCodePage(text, kCodePage1251); }
};

// key + "\" + sub.
std::u16string SubKeyPath(std::u16string_view key, std::u16string_view sub);
// An 8-bit name (a document-type identifier) as a key name: one character per byte of the code page.
std::u16string SubKeyPathA(const TSettingsStore& store, std::u16string_view key, std::string_view sub);
