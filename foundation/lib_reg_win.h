// The one layer through which the system reads and writes the registry: values on an open key, the same
// by root and path, enumeration, removal and the writability test of the machine-wide settings. Wide
// calls on the NT family, 8-bit calls through the system code page elsewhere; routines ending in A
// always make 8-bit calls. Nothing here raises: failures end as false, the default or an error code.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "foundation/lib_str_lists.h"

// Access a key is opened with for writing: reading and writing values and subkeys, the rights the
// shared configuration grants every user (no WRITE_DAC, no WRITE_OWNER).
inline constexpr REGSAM kRegWriteAccess = KEY_READ | KEY_WRITE;

// On an open key (the handle stays the caller's). Value name "" is the key's unnamed value.
bool RegKeyWriteString(HKEY key, const std::u16string& name, const std::u16string& value);
bool RegKeyWriteStringA(HKEY key, const std::u16string& name, const std::string& value);
bool RegKeyWriteBinaryStr(HKEY key, const std::u16string& name, const std::string& bytes);
bool RegKeyWriteBytes(HKEY key, const std::u16string& name, std::span<const uint8_t> bytes);
bool RegKeyWriteInteger(HKEY key, const std::u16string& name, int32_t value);

// Readers: out is the default unless the value is read; true when it was. Texts are taken up to their
// first NUL; a value of another type than a string leaves the default.
bool RegKeyReadString(HKEY key, const std::u16string& name, const std::u16string& def, std::u16string& out);
bool RegKeyReadStringA(HKEY key, const std::u16string& name, const std::string& def, std::string& out);
bool RegKeyReadBinaryStr(HKEY key, const std::u16string& name, const std::string& def, std::string& out);
bool RegKeyReadBytes(HKEY key, const std::u16string& name, const std::vector<uint8_t>& def,
                     std::vector<uint8_t>& out);
// REG_DWORD (or 4-byte REG_BINARY) data; the default for anything else.
int32_t RegKeyReadInteger(HKEY key, const std::u16string& name, int32_t def);
// Decimal text with a point; the default when missing or not a number as a whole.
double RegKeyReadFloat(HKEY key, const std::u16string& name, double def);

// The data exactly as stored, terminating NUL included (16-bit characters: byte count / 2 of them).
bool RegKeyQueryString(HKEY key, const std::u16string& name, std::u16string& out);
bool RegKeyQueryStringA(HKEY key, const std::u16string& name, std::string& out);
bool RegKeyQueryBytes(HKEY key, const std::u16string& name, std::vector<uint8_t>& out);

// Enumeration: true while there is an entry at the index (its name may be empty: the unnamed value);
// the index advances by one on every call.
bool RegKeyNextSubKey(HKEY key, int32_t& index, std::u16string& name);
bool RegKeyNextValue(HKEY key, int32_t& index, DWORD& type, std::u16string& name);
// Every subkey name of an open key, in the system's order.
std::vector<std::u16string> RegKeySubKeyNames(HKEY key);

// By root and path: each opens the key, does its work and closes it. Readers put the default into
// the output first, so a missing key yields the default.
bool RegOpenPath(HKEY root, const std::u16string& path, TRegKey& key);
// Creates missing keys of the path.
bool RegCreatePath(HKEY root, const std::u16string& path, TRegKey& key);

int32_t RegReadInteger(HKEY root, const std::string& path, const std::string& name, int32_t def);
int32_t RegReadIntegerW(HKEY root, const std::u16string& path, const std::u16string& name, int32_t def);
bool RegWriteInteger(HKEY root, const std::string& path, const std::string& name, int32_t value);
bool RegWriteIntegerW(HKEY root, const std::u16string& path, const std::u16string& name, int32_t value);
bool RegReadString(HKEY root, const std::u16string& path, const std::u16string& name, std::u16string& out,
                   const std::u16string& def);
bool RegReadStringA(HKEY root, const std::u16string& path, const std::u16string& name, std::string& out,
                    const std::string& def);
bool RegWriteString(HKEY root, const std::u16string& path, const std::u16string& name, const std::u16string& value);
bool RegWriteStringA(HKEY root, const std::u16string& path, const std::u16string& name, const std::string& value);
bool RegReadBinaryStr(HKEY root, const std::u16string& path, const std::u16string& name, std::string& out,
                      const std::string& def);
bool RegReadBytes(HKEY root, const std::u16string& path, const std::u16string& name, std::vector<uint8_t>& out,
                  const std::vector<uint8_t>& def);
bool RegWriteBinaryStr(HKEY root, const std::u16string& path, const std::u16string& name, const std::string& bytes);
bool RegWriteBytes(HKEY root, const std::u16string& path, const std::u16string& name,
                   std::span<const uint8_t> bytes);

void RegRemoveValue(HKEY root, const std::u16string& path, const std::u16string& name);
// Deletes the one named subkey of an existing parent; a missing parent is left missing.
void RegRemoveSubKey(HKEY root, const std::u16string& parentPath, const std::u16string& subKey);
// The system error code, 0 on success.
LONG RegRemoveKey(HKEY root, const std::u16string& path);
// Appends the subkey names (the list is not cleared); true when at least one was appended.
bool RegListSubKeys(HKEY root, const std::u16string& path, TWideStringArray& list);

// True when the key under HKEY_LOCAL_MACHINE cannot be opened for writing (it is created when missing).
bool IsMachineKeyReadOnly(const std::u16string& path);
// The same, and when read-only the warning box "Настройки не могут быть сохранены..." (MsgBox).
bool WarnIfMachineKeyReadOnly(const std::u16string& path);
