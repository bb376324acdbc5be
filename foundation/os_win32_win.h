// Named mutexes, semaphores and events shared between the program's processes, the search for a running
// instance's window, and the start and stop of worker threads. Kernel objects take 8-bit names (the
// A calls) on every system.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "foundation/lib_handle_win.h"
#include "foundation/os_win32.h"

// Whether the system is of the NT family from version 5 on, as the naming rule needs it: the process's
// system information unless a test injects its own answer.
using TSystemFlagQuery = bool (*)();
void SetNT5UpQuery(TSystemFlagQuery query);
bool KernelNamesNT5Up();

// The name under the naming rule of this system.
std::string MakeKernelObjectName(std::string_view name, bool global);

// A new lock, held while its handle stays open; nullptr when another process (or this one) holds it or
// all its slots. The mutex is created and tested in one call, so two processes starting together cannot
// both win.
HANDLE CreateInstanceLock(const std::string& name, bool global, int count);
// Gives back a semaphore slot (a closed handle alone would keep it taken while other holders live) and
// closes the handle; nullptr is ignored.
void ReleaseInstanceLock(HANDLE lock);
// True when a lock of that name exists (also when it exists but this process may not open it).
bool InstanceLockExists(const std::string& name, bool global, int count);

// Owner of an instance lock: releases it once.
class TInstanceLock : public TOwned<TNullableTraits<HANDLE, ReleaseInstanceLock>> {
 public:
  TInstanceLock() = default;
  TInstanceLock(const std::string& name, bool global, int count) : TOwned(CreateInstanceLock(name, global, count)) {}
  bool Held() const { return Valid(); }
};

// Sets the named event when it exists; nothing otherwise.
void SignalNamedEvent(const std::string& name, bool global);
// False for nullptr; true when a wait of 0 ms succeeds.
bool IsHandleSignaled(HANDLE h);

// The longest ActivateWindowByTitle waits for the window to go.
inline constexpr DWORD kWindowWaitLimitMs = 30000;
// Brings the first top-level window with exactly that title (case-sensitive, 8-bit) to the front,
// restoring it when minimised; true when one was found. With wait, it then looks again every 250 ms until
// no window with the title is left or maxWaitMs has passed.
bool ActivateWindowByTitle(const std::string& title, bool wait, DWORD maxWaitMs = kWindowWaitLimitMs);

// Starts a worker thread (suspended when asked); true when a handle was obtained.
bool StartThread(LPTHREAD_START_ROUTINE routine, void* parameter, DWORD& threadId, bool suspended,
                 TKernelHandle& threadHandle);
// False for nullptr or when the exit code cannot be read; true while the exit code is STILL_ACTIVE.
bool IsThreadRunning(HANDLE threadHandle);
// Asks the thread to end through the stop event (may be nullptr), pausing pauseMs between requests.
// True when it has ended: the handle is then closed. A thread that does not end is left running and
// its handle open; it is never ended by force.
bool StopThread(HANDLE stopEvent, DWORD threadId, TKernelHandle& threadHandle, DWORD pauseMs);
// A worker's safe point: waits while the run gate (manual-reset, signalled while the workers may run)
// is reset; true when the stop event (consumed) ended the wait. Without a gate it returns false at once.
bool WaitRunGate(HANDLE stopEvent, HANDLE runGate);
bool PauseWorkerThread(HANDLE threadHandle);
bool ResumeWorkerThread(HANDLE threadHandle);

// Restarts Windows (on the NT family after enabling the shutdown privilege).
void RebootSystem();

// The NUL-ended 8-bit text at an address that may be anything (a window message's pointer): read only
// from committed readable pages, at most maxLength bytes before the NUL. False when it cannot be read.
bool ReadAnsiTextAt(const void* address, size_t maxLength, std::string& text);

// True when some argument of the process's command line is "-" or "/" and the name, ignoring case.
bool HasCmdLineSwitch(std::string_view name);
// A test switch: the environment variable of that name, else the process's argument "NAME=value" (the
// road into a service process, which gets its registered command line and never its starter's
// environment); empty when neither is given.
std::u16string TestSwitchValue(std::u16string_view name);
