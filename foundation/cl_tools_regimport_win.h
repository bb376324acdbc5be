// Registry export files imported into the registry (with a configuration's "Include" list) and whole
// key trees copied or removed. Nothing here shows a box: the results tell.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Imports one registry export file: its HKEY_LOCAL_MACHINE sections land under root (the machine key
// unless a caller, such as a test, gives another). False when the file cannot be read, is no export
// file, or has a line that could not be taken (then nothing is written), or when a key or value cannot
// be written (what was written before stays). The file is deleted afterwards when asked and it could be opened.
bool ImportRegFile(const std::u16string& file, bool deleteAfter, HKEY root = HKEY_LOCAL_MACHINE);

// Imports the file, then the files its include value (under root\keyPath) names, relative to the
// file's directory; at the end the key tree is opened to everyone.
bool ImportConfigFiles(const std::u16string& file, const std::u16string& keyPath, const std::u16string& valueName,
                       bool deleteAfter, HKEY root = HKEY_LOCAL_MACHINE);

// Names of the files (not directories) of dir that match the mask.
std::vector<std::u16string> FindIncludeFileList(const std::u16string& dir, const std::u16string& mask);
// The same names, comma-separated.
void FindIncludeFiles(const std::u16string& dir, const std::u16string& mask, std::u16string& list);

// Copies the source key with its values and subkeys into target (created when missing and opened to
// everyone). False when the source cannot be opened, when one path lies within the other (the copy
// would feed itself), below 512 levels, or when any key or value cannot be copied. The source is
// deleted only after a whole copy.
bool CopyRegistryKey(HKEY root, const std::u16string& source, const std::u16string& target, bool deleteSource);

// Removes the key with everything below it (the system removes only keys without subkeys).
bool RemoveRegistryTree(HKEY root, const std::u16string& path);
