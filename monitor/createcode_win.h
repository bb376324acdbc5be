// One page of a Windows print job coded on the destination printer: the page coding's steps on the
// registry, the context store, the log, the line finder, the copies dialog and the destination's DC.
#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/lib_prn.h"
#include "monitor/createcode.h"

// page may be replaced by the re-recorded page (the old one deleted); dc may be turned to the page's
// orientation through devMode. jobInfo, printerName and devMode may be nil. Takes the coding lock.
uint8_t CreateCodeFunc(uint32_t jobRecordNo, HENHMETAFILE& page, int32_t pageNo, HDC& dc, const _JOBINFO* jobInfo,
                       const wchar_t* printerName, DEVMODEW* devMode, TCodeResultRec& rec);
