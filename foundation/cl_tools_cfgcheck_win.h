// The configuration check of a side against the program's version, with the restore from the side's
// registry export file offered on the interactive roads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// Where a side's configuration lives: the key under its root and the export file that restores it.
struct TConfigSite {
  HKEY Root = HKEY_LOCAL_MACHINE;
  std::u16string Key;
  std::u16string ExportFile;
};

// The side's key under the machine key and its export file beside the program (side flags 1, 2 or 4).
TConfigSite ConfigSiteOfProduct(uint8_t side);

// The trimmed "Version" of the key is not empty.
bool HasConfigVersion(const std::u16string& keyPath, HKEY root = HKEY_LOCAL_MACHINE);
bool IsConfigVersionValid(const std::u16string& keyPath, HKEY root = HKEY_LOCAL_MACHINE);

// Callers pass strict = !offerRestore. The restore is offered only when the export file exists.
bool CheckConfiguration(uint8_t side, bool offerRestore, bool strict);
bool CheckConfigurationAt(const TConfigSite& site, bool offerRestore, bool strict);
