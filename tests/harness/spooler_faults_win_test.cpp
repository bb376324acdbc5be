// The destination failure spooler of the tests: chosen printers fail where they were told to, other
// printers and a printer whose fault was cleared go through to the stand-in, and the calls are counted.
#include "support/spooler_faults_win.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "foundation/lib_prn_printer_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/prn_test_support.h"

namespace {

class SpoolerFaults : public ::testing::Test {
 protected:
  TStandInScope scope{u"spooler_faults_test"};
  const std::u16string failing = u"Failing destination", healthy = u"Healthy destination";
  std::vector<std::u16string> boxes;
  std::u16string file;

  void SetUp() override {
    // Paused queues keep the jobs they get, to be counted.
    for (const auto& name : {failing, healthy}) {
      TStandInPrinter p = StandInPrinter(name);
      p.Status = PRN_STATUS_PAUSED;
      ASSERT_TRUE(scope.StandIn->AddStandInPrinter(p));
    }
    TPrnHooks hooks;
    hooks.MessageBox = [this](const std::u16string& text, const std::u16string&, UINT, HWND) {
      boxes.push_back(text);
      return IDOK;
    };
    SetPrnHooks(hooks);
    file = scope.Directory.Path + u"\\job.prn";
    std::ofstream(std::filesystem::path(WStr(file)), std::ios::binary) << "raw job bytes";
  }
  void TearDown() override { SetPrnHooks({}); }

  // Sends the file as a raw job; true when it went out.
  bool Send(const std::u16string& printer) {
    const TPrinterHandle h = OpenPrinterHandle(printer);
    return h.Valid() && SendFileToPrinter(h.Get(), file, false, u"job", printer);
  }
  DWORD QueuedJobs(const std::u16string& printer) {
    const TPrinterHandle h = OpenPrinterHandle(printer);
    DWORD count = 0;
    std::vector<uint8_t> bytes;
    ListPrintJobs(h.Get(), 0, 100, count, bytes);
    return count;
  }
};

}  // namespace

TEST_F(SpoolerFaults, OpenRefusedWithItsErrorUntilCleared) {
  TSpoolerFaults faults;
  faults.SetFault(u"FAILING destination", {.OpenError = ERROR_ACCESS_DENIED});
  SetLastError(0);
  EXPECT_FALSE(OpenPrinterHandle(failing).Valid());
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(OpenPrinterHandle(healthy).Valid());
  faults.ClearFault(failing);
  EXPECT_TRUE(OpenPrinterHandle(failing).Valid());
  EXPECT_EQ(faults.Calls(failing, "OpenPrinter"), 2);
  EXPECT_EQ(faults.Calls(failing, "ClosePrinter"), 1) << "the refused open left nothing to close";
  EXPECT_EQ(faults.Calls(healthy, "OpenPrinter"), 1);
}

TEST_F(SpoolerFaults, SettingsNotReadByHandleOrByName) {
  TSpoolerFaults faults;
  faults.SetFault(failing, {.SettingsError = ERROR_INVALID_PARAMETER});
  const TPrinterHandle bad = OpenPrinterHandle(failing), good = OpenPrinterHandle(healthy);
  ASSERT_TRUE(bad.Valid() && good.Valid());
  SetLastError(0);
  EXPECT_LT(Spooler().DocumentProperties(nullptr, bad.Get(), nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  std::u16string name = failing;
  EXPECT_LT(Spooler().DocumentProperties(nullptr, nullptr, const_cast<LPWSTR>(WStr(name)), nullptr, nullptr, 0), 0);
  EXPECT_GT(Spooler().DocumentProperties(nullptr, good.Get(), nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(faults.Calls(failing, "DocumentProperties"), 2);
}

TEST_F(SpoolerFaults, DocumentsThatDoNotStartOrAreNotWritten) {
  struct TCase {
    const char* Name;
    TSpoolerFault Fault;
    int Starts, Writes, Ends;
  } cases[] = {
      {"start refused", {.StartDocError = ERROR_NOT_READY}, 1, 0, 0},
      {"write refused", {.WriteError = ERROR_WRITE_FAULT}, 1, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSpoolerFaults faults;
    faults.SetFault(failing, c.Fault);
    boxes.clear();
    EXPECT_FALSE(Send(failing));
    EXPECT_EQ(boxes.size(), 1u) << "the output error box";
    EXPECT_EQ(faults.Calls(failing, "StartDocPrinter"), c.Starts);
    EXPECT_EQ(faults.Calls(failing, "WritePrinter"), c.Writes);
    EXPECT_EQ(faults.Calls(failing, "EndDocPrinter"), c.Ends);
    EXPECT_TRUE(Send(healthy)) << "another printer is not touched";
  }
  EXPECT_EQ(QueuedJobs(healthy), 2u);
}

TEST_F(SpoolerFaults, AClearedFaultPrintsAndTheSpoolerInPlaceComesBack) {
  {
    TSpoolerFaults faults;
    EXPECT_EQ(&Spooler(), &faults);
    faults.SetFault(failing, {.OpenError = ERROR_ACCESS_DENIED});
    EXPECT_FALSE(Send(failing));
    faults.ClearFault(failing);
    EXPECT_TRUE(Send(failing));
    faults.ResetCalls();
    EXPECT_EQ(faults.Calls(failing, "WritePrinter"), 0);
  }
  EXPECT_EQ(&Spooler(), scope.StandIn.get());
  EXPECT_EQ(QueuedJobs(failing), 1u);
}
