// Helpers of the spooler tests under Wine: page metafiles drawn for a test, scratch directories and
// the stand-in spooler put in place for one test.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_reg_win.h"

// An enhanced metafile of a portrait A4 page (0.01 mm frame) with a black rectangle filled at the
// given place in 0.01 mm.
std::vector<uint8_t> MakePageMetafile(RECT blackRect);

// A stand-in printer with Wine's PostScript driver on the port, taking jobs of the datatype.
TStandInPrinter StandInPrinter(const std::u16string& name, const std::u16string& port = u"LPT1:",
                               const std::u16string& datatype = u"RAW");

// A fresh directory in the temp directory, removed with its contents at the end.
struct TScratchDirectory {
  std::u16string Path;
  explicit TScratchDirectory(const std::u16string& name);
  ~TScratchDirectory();
};

// A stand-in spooler in a scratch directory, in place of winspool while the object lives.
struct TStandInScope {
  TScratchDirectory Directory;
  std::unique_ptr<TSpoolerStandIn> StandIn;
  explicit TStandInScope(const std::u16string& name);
  ~TStandInScope();
};

std::vector<uint8_t> ReadFileBytes(const std::u16string& name);

// Registry keys of one test run standing for HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER: under
// HKEY_CURRENT_USER\Software\ClientTests\<name>_<process id>, removed at the end.
struct TTestRegistryRoots {
  std::u16string Base;
  TRegKey Machine, User;
  explicit TTestRegistryRoots(const std::u16string& name);
  ~TTestRegistryRoots();
};

#endif
