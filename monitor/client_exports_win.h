// The program's exported functions (ordinals in client.def) and the two roles built on them: the batch
// DOS run of the command line, which calls the program's own exports, and the support report.
#pragma once

#include <windows.h>

#include <cstdint>

#include "foundation/lib_prn.h"
#include "monitor/client_exports.h"
#include "monitor/createcode.h"
#include "monitor/uintraw.h"

class TClientApplication;

extern "C" {
// Codes one page of a Windows job on a copy of the caller's metafile; the caller's handle stays its own.
uint8_t __stdcall CreateCodeWin(int32_t jobRecordNo, HENHMETAFILE page, int32_t pageNo, HDC dc, const _JOBINFO* jobInfo,
                                const wchar_t* printerName, DEVMODEW* devMode, TCodeResultRec* result);
// Codes a DOS print file; result's OutputFile may carry a printer model name on entry.
uint8_t __stdcall CreateCodeDos(int32_t jobRecordNo, const _JOBINFO* jobInfo, const wchar_t* inputFile,
                                TDosCodeResultRec* result);
// Codes a DOS print file into outputFile by the copies letters; codePlace -1 or horizontal | vertical << 16.
uint8_t __stdcall ProcessFileDos(const wchar_t* inputFile, const wchar_t* outputFile, const char* copies,
                                 const wchar_t* printerModel, uint8_t forming, uint8_t cycling, int32_t codePlace);
void __stdcall Support();
}

// False when the program's command line is no batch DOS run; true otherwise, whatever the run's outcome.
bool ProcessDosCommandLine(TClientApplication& app);
// The batch run of the options, for the program's application object.
void RunDosBatch(TClientApplication& app, const TDosBatchOptions& options);
// The support report: an open dialog comes to the front, else the dialog shows until it closes.
void RunSupport();
