// The settings store in the registry: the product keeps its settings under HKEY_LOCAL_MACHINE (and the
// user's own under HKEY_CURRENT_USER), tests under a key of their own.
#pragma once

#include <windows.h>

#include "foundation/cl_tools_store.h"

// Every call goes through the registry layer under one root; the root handle stays the caller's.
class TRegistryStore : public TSettingsStore {
 public:
  explicit TRegistryStore(HKEY root = HKEY_LOCAL_MACHINE) : root_(root) {}

  bool KeyExists(std::u16string_view key) const override;
  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override;
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override;
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::vector<std::u16string> SubKeyNames(std::u16string_view key) const override;
  std::vector<std::u16string> ValueNames(std::u16string_view key) const override;
  bool CreateKey(std::u16string_view key) override;
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override;
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override;
  void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) override;
  void DeleteValue(std::u16string_view key, std::u16string_view name) override;
  void DeleteKey(std::u16string_view key) override;
  std::u16string FromAnsi(std::string_view text) const override;
  std::string ToAnsi(std::u16string_view text) const override;

 private:
  HKEY root_;
};

// The stores of the product: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER. They keep no state, so one of
// each serves every thread.
TSettingsStore& MachineSettingsStore();
TSettingsStore& UserSettingsStore();
