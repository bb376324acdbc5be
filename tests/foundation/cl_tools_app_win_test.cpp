// The application object's timed lock, and the update event: the monitor's event and the one the
// settings signal are one object, seen across processes, and every user may signal it.
#include "foundation/cl_tools_app_win.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstdlib>
#include <thread>

#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_unicode_win.h"
#include "foundation/os_win32_win.h"

TEST(SyncObject, GivesUpAfterItsAttemptsAndEntersWhenFree) {
  TSyncObject sync(2);
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread holder([&] {
    sync.Enter();
    SetEvent(held);
    WaitForSingleObject(release, INFINITE);
    sync.Leave();
  });
  WaitForSingleObject(held, INFINITE);
  DWORD start = GetTickCount();
  EXPECT_FALSE(sync.TryEnter());
  EXPECT_LT(GetTickCount() - start, 500u) << "one attempt, no wait";
  start = GetTickCount();
  EXPECT_FALSE(sync.Enter());
  EXPECT_GE(GetTickCount() - start, 1900u) << "two attempts a second apart";
  SetEvent(release);
  holder.join();
  EXPECT_TRUE(sync.Enter());
  sync.Leave();
  EXPECT_TRUE(sync.TryEnter());
  sync.Leave();
  CloseHandle(held);
  CloseHandle(release);
}

// Run by the test below in a process of its own.
TEST(UpdateEventChild, Signal) {
  if (!std::getenv("CLIENT_UPDATE_EVENT_CHILD")) GTEST_SKIP() << "only as the child of UpdateEvent";
  SignalUpdateEvent();
}

TEST(UpdateEvent, SignalFromAnotherProcessReachesTheOwner) {
  HANDLE owner = OpenOrCreateUpdateEvent();
  ASSERT_NE(owner, nullptr);
  ASSERT_TRUE(ResetEvent(owner));
  EXPECT_FALSE(IsHandleSignaled(owner));

  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_filter=UpdateEventChild.Signal";
  SetEnvironmentVariableW(L"CLIENT_UPDATE_EVENT_CHILD", L"1");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  SetEnvironmentVariableW(L"CLIENT_UPDATE_EVENT_CHILD", nullptr);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(IsHandleSignaled(owner)) << "the setter's name reaches the owner's object";

  // Everyone may signal and wait on it.
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(GetSecurityInfo(owner, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd),
            ERROR_SUCCESS);
  TSidPtr world = CreateWorldSid();
  bool everyone = false;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    if (EqualSid(&ace->SidStart, world.get())) {
      everyone = (ace->Mask & (SYNCHRONIZE | EVENT_MODIFY_STATE)) == (SYNCHRONIZE | EVENT_MODIFY_STATE);
    }
  }
  LocalFree(sd);
  EXPECT_TRUE(everyone);
  CloseHandle(owner);
}
