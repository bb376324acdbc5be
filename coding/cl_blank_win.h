// A document type's blank in the registry (its "\Blank" key), the blank switches UseBlank, DebugBlank and
// EditorFn, the blank file dialogs and the two blank error boxes. The configuration key lives under
// HKEY_LOCAL_MACHINE; tests hand another root.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "coding/cl_blank.h"

// configKey\<docType>\Blank; the document type is its 8-bit identifier text.
std::u16string BlankKeyPath(const std::u16string& configKey, std::string_view docType);

// The blank file text (8-bit, system code page) of the type's blank; empty without the key or its SizeXY.
std::string ExportBlankText(const std::u16string& configKey, std::string_view docType, HKEY root = HKEY_LOCAL_MACHINE);
// kBlankImportNothing for an empty path or a missing file ("Файл не найден" box), kBlankImported, or
// kBlankRejected (the registry-write box when the key cannot be written).
int ImportBlankFile(const std::u16string& configKey, std::string_view docType, const std::u16string& path,
                    HKEY root = HKEY_LOCAL_MACHINE);

// The open and save dialogs for blank files: the chosen path, empty when the user cancels.
std::u16string SelectBlankImportFile(HWND owner = nullptr);
std::u16string SelectBlankExportFile(HWND owner = nullptr);

// UseBlank of the type: 1 off, 2 on with the export dialog, 3 on with the editor; 0 when unset.
int32_t GetUseBlank(const std::u16string& configKey, std::string_view docType, HKEY root = HKEY_LOCAL_MACHINE);
bool SetUseBlank(const std::u16string& configKey, std::string_view docType, uint8_t value,
                 HKEY root = HKEY_LOCAL_MACHINE);
// The type whose blank is being debugged; empty for none (an empty type ends debugging).
std::string GetDebugBlank(const std::u16string& configKey, HKEY root = HKEY_LOCAL_MACHINE);
bool SetDebugBlank(const std::u16string& configKey, std::string_view docType, HKEY root = HKEY_LOCAL_MACHINE);
// EditorFn; a path naming no file shows ShowBlankEditorError and is taken as unset.
std::u16string GetBlankEditor(const std::u16string& configKey, HKEY root = HKEY_LOCAL_MACHINE);

void ShowBlankParamsError();
void ShowBlankEditorError();
