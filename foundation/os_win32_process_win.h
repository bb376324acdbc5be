// Starting other programs and waiting for them, installing an INF file, copying a file to a printer
// port through the command interpreter, and watching a directory for written files.
#pragma once

#include <windows.h>

#include <string>

// The process handle (its thread handle is closed), nil when it cannot be started. Hidden starts it
// with SW_HIDE; otherwise the child gets the default show state.
HANDLE RunProcess(const std::u16string& commandLine, bool hidden);
HANDLE RunProcessShown(const std::u16string& commandLine);
// The 8-bit command line, through CreateProcessA on every system.
HANDLE RunProcessA(const std::string& commandLine, bool hidden);
// Starts, waits without a time limit and closes the handles; true when the process ran.
bool RunProcessAndWait(const std::u16string& commandLine, bool hidden);

// Waits for the process to end, closes the handle and returns its exit code (259 included: the wait
// is on the handle, not on the code); -1 for a nil handle or when the code cannot be read.
int WaitProcessExitCode(HANDLE process);

// Installs the INF's DefaultInstall section and waits for the installer; true when it ran.
bool InstallInfFile(const std::u16string& infPath);

// The hidden command interpreter copying the file to the port, nil when it cannot be started.
HANDLE StartCopyToPort(const std::u16string& fileName, const std::string& port);
// Waits for a copy (0: without a limit), ends it when the time-out passes and closes the handle;
// true only when it ended by itself with exit code 0.
bool FinishCopyToPort(HANDLE process, DWORD timeoutMs);
// Copies the file to the port; true only when the copy ran and succeeded. A failure shows
// "Ошибка вывода файла "<file>" в порт "<port>"".
bool CopyFileToPort(const std::u16string& fileName, const std::string& port, DWORD timeoutMs, HWND owner = nullptr);
// Sends an empty file to the port (is it ready?); the temporary file is gone afterwards.
bool SendEmptyFileToPort(const std::string& port);

// A change notification for files written in the directory (not its subdirectories);
// INVALID_HANDLE_VALUE on failure. Close it with FindCloseChangeNotification.
HANDLE WatchDirectory(const std::u16string& dir);
