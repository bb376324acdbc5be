// The active configuration key, the side's export file beside the program, the program spool
// directory, installation templates, and the program's calls of its own exports by ordinal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "foundation/cl_tools_cfgkey.h"
#include "foundation/lib_handle_win.h"

// The key's "Version" (8-bit, trimmed; empty when missing) under root, the machine key by default.
std::string ReadConfigVersion(const std::u16string& keyPath, HKEY root = HKEY_LOCAL_MACHINE);
std::u16string ActiveConfigKey();
// The program directory and RegExportFileName; empty without a side flag.
std::u16string RegExportFilePath(uint8_t flags);
// Created with its parents and opened to everyone when missing; no trailing backslash.
std::u16string GetProgramSpoolDir();
// Fills "&cmdline&", "&progdir&", "&monit&", "&version&" and the caller's placeholder in the file.
bool ExpandProgramPlaceholders(const std::u16string& templateFile, const std::string& extraName,
                               const std::string& extraValue);

// The program's exports it calls itself, with the standard Windows calling convention.
inline constexpr WORD kOrdinalCreateCodeDos = 20;
inline constexpr WORD kOrdinalProcessFileDos = 22;
using TCreateCodeDosProc = uint8_t(__stdcall*)(int32_t jobRecordNo, void* jobRecord, const wchar_t* inputFile,
                                               TDosCodeResultRec* result);
using TProcessFileDosProc = uint8_t(__stdcall*)(const wchar_t* inputFile, const wchar_t* outputFile,
                                                const char* copies, const wchar_t* printerModel, uint8_t forming,
                                                uint8_t cycling, int32_t codePlace);

// Loads the executable by its bare name (found beside the running program: the running module itself);
// the file-not-found box and false when it cannot.
bool LoadOwnModule(TModuleHandle& module, const std::u16string& fileName = std::u16string(kOwnModuleName));

// The export's answer; 0 when the module or the ordinal is missing or the call raised.
uint8_t CallProcessFileDos(const std::u16string& inputFile, const std::u16string& outputFile, const std::string& copies,
                           const std::u16string& printerModel, uint8_t forming, uint8_t cycling, int32_t codePlace,
                           const std::u16string& moduleName = std::u16string(kOwnModuleName));
// The record is zeroed and carries the model name (at most 260 characters) into the call.
uint8_t CallCreateCodeDos(const std::u16string& inputFile, const std::u16string& printerModel, int32_t jobRecordNo,
                          TDosCodeResultRec& result, void* jobRecord,
                          const std::u16string& moduleName = std::u16string(kOwnModuleName));
