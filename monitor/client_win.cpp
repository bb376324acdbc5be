// Program entry: one executable for every role (monitor, service, settings dialogs, command line).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
