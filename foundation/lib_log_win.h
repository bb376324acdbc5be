// The log on Windows: its file through the file layer, the system's date and time formats, message boxes,
// and the event source registered under the program title with the program's message table.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "foundation/lib_log.h"

inline constexpr std::u16string_view kEventLogApplicationKey = u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\";

// The event source's registry key: messages and categories from the module at modulePath (REG_EXPAND_SZ),
// all three event types, five categories. False when the key could not be written.
bool InstallEventSource(const std::u16string& title, const std::u16string& modulePath);
// Full path of the module this code is built into (the program, or the companion library).
std::u16string MessageModulePath();

// The system description of the debug report; the system information supplies it at start-up.
using TSystemDescriptionSource = std::u16string (*)();
void SetSystemDescriptionSource(TSystemDescriptionSource source);

// Tests take the entries instead of the event log (Wine's ReportEvent does nothing); an empty factory
// restores the event log.
using TEventSinkFactory = std::function<std::unique_ptr<TEventSink>(const std::u16string& title)>;
void SetEventSinkFactoryForTesting(TEventSinkFactory factory);

// The hosts keep no state of their own, so each is one object for the process. The application's host
// also hands its event source to the message boxes, for as long as its log is open.
TLogHost& WindowsLogHost();
TLogHost& ApplicationLogHost();

// A log of the configuration key's "LogFile" (a key under HKEY_LOCAL_MACHINE).
std::unique_ptr<TLogFile> CreateLogFile(std::u16string_view configKey, bool hold);
std::unique_ptr<TLogFile> CreateApplicationLog(std::u16string_view configKey, bool hold);
