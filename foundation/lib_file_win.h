// The program's file layer at the Windows edge: well-known directories, existence tests, handles,
// whole-file reads and writes, text lines in a file's encoding, temporary names, deletion (also at the
// next restart) and template files. Names are UTF-16; the A calls are made on the 9x family.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/lib_file.h"
#include "foundation/lib_handle_win.h"

// CreateFile in the W or the A form.
HANDLE CreateFileUni(const std::u16string& name, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// Directories and names.
std::u16string GetSystemDir();
std::u16string GetExeName();
std::u16string GetProgramDir();
std::u16string GetCommandLineText();
std::string GetWindowsDirA();
std::u16string GetEnvVar(const std::u16string& name);
std::u16string GetTempPathDir();
// The first of TMP, TEMP and the system's temp path that is or can be made a directory; the error
// box "Ошибка инициализации каталога временных файлов" and an empty name when none can.
std::u16string GetTempDirectory();
std::u16string GetFullPath(const std::u16string& path);
std::u16string GetShortPath(const std::u16string& path);
// Seeds this thread's generator of random names from the performance counter (the tick count where
// there is none); a thread that draws a name first seeds its own the same way.
void SeedRandomGenerator();
// A new empty file named dir\XXXXXXXX<ext> (random, below 7FFFFFFF) or GetTempPathDir\XXXXXXXX.TMP,
// created with CREATE_NEW so that no two callers get one name; empty when no file can be created.
std::u16string MakeUniqueFileName(const std::u16string& dir, const std::u16string& ext);
std::u16string MakeTempFileName();

// Tests and sizes.
bool FilePresent(const std::u16string& path);
bool FilePresentA(const std::string& path);
bool DirPresent(const std::u16string& path);
// -1 when there is no such file.
int64_t GetFileSizeByName(const std::u16string& path);
int64_t GetHandleFileSize(HANDLE handle);
// 0 when the file can be opened for reading, else the system's error code.
DWORD CheckFileAccess(const std::u16string& name, bool allowCreate);

// Handles: 0 or the system's error code; a handle that failed to open is nullptr.
DWORD OpenOrCreateFile(HANDLE& handle, const std::u16string& name, bool create);
DWORD OpenFileForWriting(HANDLE& handle, const std::u16string& name, bool keep);
DWORD SeekFileHandle(HANDLE handle, int64_t offset);
// Bytes written or read; 0 on failure.
DWORD WriteToHandle(HANDLE handle, std::span<const uint8_t> buffer);
DWORD ReadFromHandle(HANDLE handle, std::span<uint8_t> buffer);
void CloseFileHandle(HANDLE& handle);

// Whole files; every write is true only when all bytes were written.
bool SaveStringToFile(const std::u16string& name, std::string_view bytes);
// Written hidden and as a system file, then made a normal file: watchers skip it until it is whole.
bool WriteFileFromString(const std::u16string& name, std::string_view bytes);
bool WriteBufferToFile(const std::u16string& name, std::span<const uint8_t> bytes);
// The whole file, or its first limit bytes; empty when it cannot be read.
std::string ReadFileToString(const std::u16string& name, size_t limit = SIZE_MAX);
std::u16string ReadTextFile(const std::u16string& name);
// A line in the file's own encoding (a new or empty file gets the mark of the one asked for).
bool AppendTextLine(const std::u16string& name, std::u16string_view text, TTextEncoding encoding);
bool AppendTextLineA(const std::u16string& name, std::string_view bytes);
// The data at offset (a negative offset or one past the end appends); the file is created when missing.
bool InsertIntoFile(const std::u16string& name, std::span<const uint8_t> data, int64_t offset);
// Replaces placeholders in a text file; a failed write shows "Ошибка открытия файла" and is false.
bool ReplaceInTemplateFile(const std::u16string& name, const std::vector<std::string>& placeholders,
                           const std::vector<std::string>& values);

// Management.
// dir gets a trailing backslash; true when the directory exists or could be made (one level).
bool MakeDir(std::u16string& dir);
bool DeleteFileIfExists(const std::u16string& name);
bool DeleteFileNowOrOnReboot(const std::u16string& name);
bool DeleteFileOnReboot(const std::u16string& name);
bool SetFileReadOnly(const std::u16string& name, bool readOnly);
bool CopyFileReplace(const std::u16string& source, const std::u16string& target);
bool MoveFileReplace(const std::u16string& source, const std::u16string& target);
