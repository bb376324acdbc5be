// The event-log message table in both deliverables: every category and event, in English and Russian,
// each text ending with CR LF as the event viewer expects.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {
std::wstring Message(HMODULE module, DWORD id, WORD language, const wchar_t* insert = L"X") {
  wchar_t buf[512] = {};
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(insert), reinterpret_cast<DWORD_PTR>(insert)};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module, id,
                                 MAKELANGID(language, SUBLANG_DEFAULT), buf, 512, reinterpret_cast<va_list*>(args));
  return std::wstring(buf, n);
}

struct Row {
  DWORD id;
  const wchar_t* english;
  const wchar_t* russian;
};

const Row kRows[] = {
    {1, L"Start/Stop\r\n", L"Инициализация/Завершение\r\n"},
    {2, L"System Information\r\n", L"Системная Информация\r\n"},
    {3, L"Debug Information\r\n", L"Отладочная Информация\r\n"},
    {4, L"Error\r\n", L"Ошибка\r\n"},
    {5, L"Warning\r\n", L"Предупреждение\r\n"},
    {256, L"Started Successfully\r\n", L"Успешный Запуск\r\n"},
    {257, L"Closed Succsessfully\r\n", L"Завершение Работы\r\n"},
    {258, L"Abnormal Termination\r\n", L"Аварийное Завершение Работы\r\n"},
    {264, L"Error: X\r\n", L"Ошибка: X\r\n"},
    {265, L"Info: X\r\n", L"Информация: X\r\n"},
    {272, L"Warning: X\r\n", L"Внимание: X\r\n"},
    {273, L"Service Started Successfully\r\n", L"Успешный Запуск Службы\r\n"},
    {274, L"Service Closed Succsessfully\r\n", L"Завершение Работы Службы\r\n"},
};

void CheckModule(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << path;
  for (const Row& r : kRows) {
    EXPECT_EQ(Message(module, r.id, LANG_ENGLISH), r.english) << path << " " << r.id;
    EXPECT_EQ(Message(module, r.id, LANG_RUSSIAN), r.russian) << path << " " << r.id;
  }
  FreeLibrary(module);
}

std::string InstallerPath() {
  std::string exe = CLIENT_EXE_PATH;
  return exe.substr(0, exe.rfind('/') + 1) + "installer.dll";
}
}  // namespace

TEST(MessageTable, ClientCarriesEveryMessage) { CheckModule(CLIENT_EXE_PATH); }
TEST(MessageTable, InstallerCarriesEveryMessage) { CheckModule(InstallerPath().c_str()); }
