// Messages to the program's windows in other processes, found by window class.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

inline constexpr UINT WM_ACTIVATEDIALOG = WM_USER + 107;  // 1131: bring the window in wParam to the front
inline constexpr UINT WM_RELOADSETTINGS = WM_USER + 108;  // 1132: the stored configuration changed

// Sends the message (both parameters 0) to every top-level window of exactly that class, synchronously.
// Returns how many windows got it.
int BroadcastToWindowClass(const std::string& className, UINT message);
// Tells open virtual printer settings dialogs that the virtual printers changed.
void NotifyPrinterEditor();
// Closes the hidden window of a running monitor.
void CloseMonitorWindow();
// Asks whether the program should end; true for Yes.
bool ConfirmQuit(std::u16string_view programName, HWND owner);
