// Messages to the program's windows in other processes, found by window class.
#include "foundation/cl_tools_broadcast_win.h"

#include <cstring>
#include <vector>

#include "foundation/lib_api_win.h"

namespace {
// A window that does not answer within this time is skipped, so one hung process cannot stop the
// sender (and with it the monitor's menu or a settings dialog) for ever.
constexpr UINT kSendTimeoutMs = 5000;

struct Search {
  const char* className;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND wnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char name[260] = {};
  if (GetClassNameA(wnd, name, sizeof name) > 0 && std::strcmp(name, search->className) == 0)
    search->found.push_back(wnd);
  return TRUE;
}
}  // namespace

int BroadcastToWindowClass(const std::string& className, UINT message) {
  Search search{className.c_str(), {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
  // Sent after the enumeration: a receiver that closes or opens windows cannot disturb the walk.
  for (HWND wnd : search.found) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(wnd, message, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
  }
  return static_cast<int>(search.found.size());
}

void NotifyPrinterEditor() { BroadcastToWindowClass("TEditVirtPrn", WM_RELOADSETTINGS); }

void CloseMonitorWindow() { BroadcastToWindowClass("TMonitService", WM_CLOSE); }

bool ConfirmQuit(std::u16string_view programName, HWND owner) {
  const std::u16string text =
      u"Вы уверены, что хотите завершить работу программы \"" + std::u16string(programName) + u"\"?";
  return MsgBox(text, u"Внимание!", MB_YESNO | MB_ICONQUESTION, owner) == IDYES;
}
