// The line finder on a Windows page: the page's metafile played into a monochrome bitmap, written as a
// temporary BMP and searched by the portable core; settings from the configuration's "\Graphi" key.
#pragma once

#include <windows.h>

#include <string>

#include "coding/cl_dib.h"

class TLogFile;

// Made for one page with the page's metafile and log (both lent, neither freed); freeing the object is
// all FreeLineSeacher has to do.
class TLineSeacher {
 public:
  TLineSeacher(HENHMETAFILE metafile, TLogFile& log);
  TLineSeacher(const TLineSeacher&) = delete;
  TLineSeacher& operator=(const TLineSeacher&) = delete;

  // Renders and searches the page when the search is switched on; the result is Result.Found.
  bool SearchLines();

  HENHMETAFILE Metafile;
  TLogFile& Log;
  // Under HKEY_LOCAL_MACHINE; the settings are in its "\Graphi" subkey.
  std::u16string ConfigKey;
  TLineSearchSettings Settings;
  TLineSearchResult Result;

 private:
  bool ReadSettings();
  bool Search(uint32_t startTick);
};

// The "\Graphi" values of an open key over the defaults; floating-point texts with a point whatever the
// locale, anything that is not a number leaving its default.
void ReadLineSearchSettings(HKEY key, TLineSearchSettings& settings);
