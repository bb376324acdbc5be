// The configuration store in the registry: the product reads HKEY_LOCAL_MACHINE, tests a key of their own.
#pragma once

#include <windows.h>

#include "coding/cl_macrolib_store.h"
#include "foundation/cl_tools_config_win.h"

class TRegistryStore : public TSettingsStore {
 public:
  explicit TRegistryStore(HKEY root = HKEY_LOCAL_MACHINE) : root_(root), config_(root) {}

  bool KeyExists(std::u16string_view key) const override;
  int32_t ReadInteger(std::u16string_view key, std::u16string_view name, int32_t def) const override;
  std::u16string ReadText(std::u16string_view key, std::u16string_view name, std::u16string_view def) const override;
  std::string ReadTextA(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::string ReadBytes(std::u16string_view key, std::u16string_view name, std::string_view def) const override;
  std::vector<std::string> SubKeyNamesA(std::u16string_view key) const override;
  std::vector<std::u16string> SubKeyNames(std::u16string_view key) const override;
  std::vector<std::u16string> ValueNames(std::u16string_view key) const override;
  bool CreateKey(std::u16string_view key) override;
  void WriteInteger(std::u16string_view key, std::u16string_view name, int32_t value) override;
  void WriteText(std::u16string_view key, std::u16string_view name, std::u16string_view value) override;
  void WriteTextA(std::u16string_view key, std::u16string_view name, std::string_view value) override;
  std::u16string FromAnsi(std::string_view text) const override;
  std::string ToAnsi(std::u16string_view text) const override;

 private:
  HKEY root_;
  // The side-wide reads and writes are the configuration store's own.
  TRegistryConfigStore config_;
};

// The machine-wide store of the product.
TSettingsStore& MachineSettingsStore();
