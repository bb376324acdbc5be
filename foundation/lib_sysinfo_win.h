// What the running Windows is: the process-wide version and environment flags, the processor, and the
// full system report queried on demand.
#pragma once

#include <windows.h>

#include <wtsapi32.h>

#include <string>
#include <vector>

#include "foundation/lib_sysinfo.h"

// First thing in every process (and when the installer library loads): the start flags, the processor
// architecture and CPUInfo. Later calls change nothing.
void InitSysInfo();

// The process-wide flags, one guarded record: the start flags are read once (on first use if
// InitSysInfo has not run yet); IsAdministrator, IsTerminalServer and IsServerEdition are false until
// QueryOSInfo has run, and IsTerminalServer stays set once set.
TSysFlags SysFlags();
bool IsWinNT();
bool IsWin9x();
bool IsWin95();
bool IsWin98();
bool IsWinME();
bool IsWinNT3();
bool IsWinNT4();
bool IsWin2000();
bool IsWinXP();
bool IsWin2003();
bool IsWinVista();
bool IsWin7();
bool IsWinNT5Up();
bool IsWinXPUp();
bool IsWinVistaUp();
bool IsWow64();
bool IsRemoteSession();
bool IsAdministrator();
bool IsTerminalServer();
bool IsServerEdition();
bool IsRemoteSessionActive();

// Tests reach the 9x, terminal-server and remote-session branches by injecting the record; the W/A
// choice of the other units follows its platform. Reset returns to the real values.
void SetSysFlagsForTesting(const TSysFlags& flags);
void ResetSysFlagsForTesting();

uint16_t ProcessorArchitecture();
std::u16string ProcessorArchitectureText();
TCPUInfo CPUInfo();
TCompInfo CompInfo();
// The report last built by GetSystemReport.
std::u16string SystemReportText();

// Queries the system in full (QueryOSInfo), composes the report, keeps it and returns it.
std::u16string GetSystemReport();
// Fills CompInfo and the flags IsAdministrator, IsTerminalServer and IsServerEdition.
void QueryOSInfo();

TCpuidRegs ExecCPUID(uint32_t leaf);
// The time-stamp counter's rate in MHz, measured over 125 ms at the highest priority.
double MeasureCPUSpeed();

// Unchanged output when the call fails.
void GetCurrentUserName(std::u16string& name);
void GetLocalComputerName(std::u16string& name);
// "SYSTEM" when the account cannot be looked up, and off the NT family.
void GetLocalSystemAccountName(std::u16string& name);
// -1 when kernel32 has no WTSGetActiveConsoleSessionId.
int32_t GetConsoleSessionId();
// A Remote Desktop Services answer for the session (wtsapi32 loaded for the call); false when the
// library, the entry or the call fails.
bool QuerySessionInfo(HANDLE server, DWORD sessionId, WTS_INFO_CLASS infoClass, std::vector<uint8_t>& data);
// For this server and session; the text stays unchanged on failure.
bool QuerySessionString(WTS_INFO_CLASS infoClass, std::u16string& text);
// True, and the value set, only for an answer of exactly 4 bytes.
bool QuerySessionInteger(WTS_INFO_CLASS infoClass, uint32_t& value);
