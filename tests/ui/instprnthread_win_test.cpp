// The installation worker under Wine: the driver store (missing from Wine, and through a recording
// package installer), the driver pack copy and the generated INF on an injected Windows XP, the printer
// made on the stand-in spooler with its list entries and paused queue, a refused name, a cancel
// request, and the worker's thread.
#include "ui/instprnthread_win.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <mutex>

#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_prn_printers.h"
#include "foundation/lib_prn_standin_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_security_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/memory_store.h"
#include "support/printers_host_fake.h"
#include "support/prn_test_support.h"

namespace {

const std::u16string kRunOnceKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr std::u16string_view kPsDriver = u"Wine PostScript Driver";

std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// Every box the code shows, answered OK.
struct TBoxes {
  std::mutex Lock;
  std::vector<std::u16string> Texts;
  TBoxes() {
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      std::lock_guard guard(Lock);
      Texts.push_back(r.Text);
      return IDOK;
    });
  }
  ~TBoxes() { SetMessageBoxHook(nullptr); }
  bool Shown(std::u16string_view text) {
    std::lock_guard guard(Lock);
    for (const auto& t : Texts)
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
};

// Records the driver the worker adds, with the driver files present in the driver directory then.
class TRecordingStandIn : public TSpoolerStandIn {
 public:
  using TSpoolerStandIn::TSpoolerStandIn;
  std::u16string DriverDir;
  std::vector<std::string> Files;
  std::string AddedName;
  DWORD AddedVersion = 0;
  bool FilesPresentOnAdd = false;
  BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info) override {
    const auto* d = reinterpret_cast<const DRIVER_INFO_3A*>(info);
    AddedName = d->pName ? d->pName : "";
    AddedVersion = d->cVersion;
    FilesPresentOnAdd = true;
    for (const std::string& f : Files) FilesPresentOnAdd = FilesPresentOnAdd && FilePresent(DriverDir + Widen(f));
    return TSpoolerStandIn::AddPrinterDriverA(server, level, info);
  }
};

struct TSpoolerScope {
  TScratchDirectory Directory;
  TRecordingStandIn StandIn;
  explicit TSpoolerScope(const std::u16string& name) : Directory(name), StandIn(Directory.Path) { UseSpooler(&StandIn); }
  ~TSpoolerScope() { UseSpooler(nullptr); }
};

bool DriverListed(const std::u16string& name) {
  TWideStringArray names;
  ListDriverNames(names);
  return names.IndexOf(name) >= 0;
}

// Wine's PostScript driver files registered under another name, removed at the end.
struct TDriverAlias {
  std::u16string Name;
  explicit TDriverAlias(std::u16string name) : Name(std::move(name)) {
    DWORD needed = 0, count = 0;
    EnumPrinterDriversW(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
    std::vector<uint8_t> bytes(needed);
    if (!EnumPrinterDriversW(nullptr, nullptr, 3, bytes.data(), needed, &needed, &count)) return;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3W*>(bytes.data());
    for (DWORD i = 0; i < count; ++i) {
      if (FromWStr(drivers[i].pName) != kPsDriver) continue;
      DRIVER_INFO_3W alias = drivers[i];
      alias.pName = const_cast<LPWSTR>(WStr(Name));
      AddPrinterDriverExW(nullptr, 3, reinterpret_cast<LPBYTE>(&alias), APD_COPY_NEW_FILES);
      return;
    }
  }
  ~TDriverAlias() { DeletePrinterDriverW(nullptr, nullptr, const_cast<LPWSTR>(WStr(Name))); }
};

// Whether the DACL read back from the path grants Everyone write access.
bool EveryoneMayWrite(const std::u16string& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(WStr(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                            &descriptor) != ERROR_SUCCESS)
    return false;
  const TSidPtr everyone = CreateWorldSid();
  bool granted = false;
  ACL_SIZE_INFORMATION info{};
  if (dacl && everyone && GetAclInformation(dacl, &info, sizeof info, AclSizeInformation)) {
    for (DWORD i = 0; i < info.AceCount; ++i) {
      void* ace = nullptr;
      if (!GetAce(dacl, i, &ace)) continue;
      const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
      if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(const_cast<DWORD*>(&allowed->SidStart), everyone.get()) &&
          (allowed->Mask & (FILE_WRITE_DATA | GENERIC_WRITE | GENERIC_ALL)))
        granted = true;
    }
  }
  LocalFree(descriptor);
  return granted;
}

class InstallWorker : public ::testing::Test {
 protected:
  TMemoryStore machine, user;
  std::shared_ptr<TListPrintersHost> host = std::make_shared<TListPrintersHost>();
  TPrinters printers{host, machine, user};

  void SetUp() override {
    printers.UserName = u"Иван";
    RegWriteString(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgW", u"x");
    RegWriteString(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgD", u"x");
  }
  void TearDown() override {
    SetInstallHooks({});
    ResetSysFlagsForTesting();
  }

  TInstallJob Job(const std::u16string& printer, std::u16string driver, uint8_t components = 1) {
    TInstallJob job;
    job.PrinterName = printer;
    job.PortName = u"LPT1:";
    job.DriverName = std::move(driver);
    job.DestPrinter = u"Client Test PS";
    job.OwnerUserName = u"Пётр";
    job.ModelDriverName = Widen(GetEpsonLqModelName());
    job.DriverDir = DriverDirectory();
    job.System = CurrentInstallSystem();
    job.DriverFiles = DriverFileSet(job.System);
    job.Components = components;
    job.Printers = &printers;
    return job;
  }

  int32_t Run(const TInstallJob& job) {
    TInstallState state;
    RunInstallation(job, state);
    return state.Status;
  }

  // A job on an injected Windows XP whose program directory holds a driver pack with the files from the
  // first one on.
  TInstallJob XpPackJob(const std::u16string& printer, const TScratchDirectory& program, size_t first) {
    SetSysFlagsForTesting(DeriveVersionFlags(2, 5, 1));
    TInstallJob job = Job(printer, std::u16string(kOwnDriverName));
    job.ProgramDir = program.Path + u"\\";
    const std::u16string pack = DriverPackFolder(job.ProgramDir, job.System);
    EXPECT_NE(pack.find(u"\\DriverPack\\WinNT51."), std::u16string::npos);
    EXPECT_TRUE(ForceDirectoriesW(pack));
    for (size_t i = first; i < job.DriverFiles.size(); ++i)
      EXPECT_TRUE(WriteFileFromString(pack + Widen(job.DriverFiles[i]), job.DriverFiles[i]));
    return job;
  }

  static bool RunOnceLeft() {
    std::u16string value;
    return RegReadString(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgW", value, u"") ||
           RegReadString(HKEY_LOCAL_MACHINE, kRunOnceKey, u"Tevoran_cfgD", value, u"");
  }
};

}  // namespace

TEST_F(InstallWorker, DriverStoreMissingFromWineFailsTheDriverWithItsErrorCode) {
  TSpoolerScope spooler(u"instprn_store");
  TBoxes boxes;
  EXPECT_EQ(Run(Job(u"Tevoran Store", std::u16string(kOwnDriverName))), isDriverFailed);
  EXPECT_TRUE(boxes.Shown(u"Произошла ошибка при установке драйвера \"Tevoran Printer Driver\".\r\n" + FormatErrorCode(1)));
  EXPECT_FALSE(spooler.StandIn.IsStandInPrinter(u"Tevoran Store"));
  EXPECT_FALSE(RunOnceLeft());
}

TEST_F(InstallWorker, DriverStorePackageMakesThePrinterWithTheModelDriver) {
  TSpoolerScope spooler(u"instprn_package");
  TBoxes boxes;
  const std::u16string model = Widen(GetEpsonLqModelName());
  ASSERT_EQ(model, u"EPSON LQ Series 1 (136) Graphics") << "Wine reports Windows 7";
  TDriverAlias alias(model);
  ASSERT_TRUE(DriverListed(model));
  std::vector<std::u16string> asked;
  SetInstallHooks({[&](const std::u16string& driver) {
                     asked.push_back(driver);
                     return 0u;
                   },
                   nullptr});
  EXPECT_EQ(Run(Job(u"Tevoran Package", std::u16string(kOwnDriverName))), isInstalled);
  EXPECT_EQ(asked, std::vector<std::u16string>{model});
  TStandInPrinter made;
  ASSERT_TRUE(spooler.StandIn.ReadStandInPrinter(u"Tevoran Package", made));
  EXPECT_EQ(made.DriverName, model);
  EXPECT_EQ(made.PortName, u"LPT1:");
  EXPECT_EQ(made.Comment, u"Виртуальный принтер Tevoran-Клиент");
  EXPECT_TRUE(made.Paused());
  EXPECT_TRUE(boxes.Texts.empty());
  EXPECT_TRUE(PrinterSettingsChanged());
}

TEST_F(InstallWorker, ListEntriesFollowTheComponentMask) {
  TSpoolerScope spooler(u"instprn_masks");
  std::vector<std::u16string> asked;
  SetInstallHooks({[&](const std::u16string& driver) {
                     asked.push_back(driver);
                     return 0u;
                   },
                   nullptr});
  for (const uint8_t mask : {1, 2, 3}) {
    SCOPED_TRACE(mask);
    const std::u16string name = u"Tevoran Mask " + Widen(std::to_string(mask));
    TInstallJob job = Job(name, std::u16string(kPsDriver), mask);
    job.AllUsers = mask == 3;
    ASSERT_EQ(Run(job), isInstalled);
    ASSERT_GE(printers.IndexOf(name), 0);
    EXPECT_EQ(printers.Items[size_t(printers.IndexOf(name))].WinSide, (mask & 1) != 0);
    TPrinters reloaded(host, machine, user);
    reloaded.Load();
    const int32_t index = reloaded.IndexOf(name);
    ASSERT_GE(index, 0);
    const TPrinterListItem& item = reloaded.Items[size_t(index)];
    EXPECT_FALSE(item.DosSide) << "the DOS side is chosen in the printer settings";
    EXPECT_EQ(item.AllUsers, mask == 3);
    EXPECT_EQ(item.UserName, u"Пётр");
    for (const std::u16string who : {u"Иван", u"Пётр"}) {
      for (const uint8_t kind : {kPrintToWin, kPrintToDos}) {
        std::u16string dest;
        reloaded.GetPrintToOfUser(name, who, dest, kind);
        EXPECT_EQ(dest == u"Client Test PS", (mask & kind) != 0) << int(kind);
      }
    }
  }
  EXPECT_TRUE(asked.empty()) << "an installed driver needs no installation";
}

TEST_F(InstallWorker, RefusedNameEndsWithStatus2AndABoxNamingIt) {
  TSpoolerScope spooler(u"instprn_refused");
  TBoxes boxes;
  EXPECT_EQ(Run(Job(u"Tevoran,Bad", std::u16string(kPsDriver))), isPrinterFailed);
  EXPECT_TRUE(boxes.Shown(u"Ошибка создания виртуального принтера \"Tevoran,Bad\".\r\n" +
                          FormatErrorCode(ERROR_INVALID_PRINTER_NAME)));
  EXPECT_EQ(printers.IndexOf(u"Tevoran,Bad"), -1);
}

TEST_F(InstallWorker, DriverPackOnWindowsXpCopiesAddsAndRemovesTheFiles) {
  TSpoolerScope spooler(u"instprn_pack");
  TBoxes boxes;
  TScratchDirectory program(u"instprn_program");
  TInstallJob job = XpPackJob(u"Tevoran Pack", program, 0);
  ASSERT_EQ(job.ModelDriverName, u"Epson LQ-200");
  ASSERT_EQ(job.DriverFiles.size(), 7u);
  bool infUsed = false;
  SetInstallHooks({nullptr, [&](const std::u16string&, HWND) { return infUsed = true; }});
  spooler.StandIn.DriverDir = job.DriverDir;
  spooler.StandIn.Files = job.DriverFiles;
  const int32_t status = Run(job);
  EXPECT_FALSE(infUsed) << "a whole pack needs no INF";
  EXPECT_EQ(spooler.StandIn.AddedName, "Epson LQ-200");
  EXPECT_EQ(spooler.StandIn.AddedVersion, 3u) << "the NT 5 set";
  EXPECT_TRUE(spooler.StandIn.FilesPresentOnAdd) << "the files were in the driver directory";
  for (const std::string& f : job.DriverFiles) EXPECT_FALSE(FilePresent(job.DriverDir + Widen(f))) << f;
  EXPECT_TRUE(EveryoneMayWrite(job.DriverDir)) << "the driver directory opened to everyone";
  const bool listed = DriverListed(u"Epson LQ-200");
  EXPECT_EQ(status == isInstalled, listed) << "the worker goes on exactly when the driver was added";
  if (listed) DeletePrinterDriverW(nullptr, nullptr, const_cast<LPWSTR>(L"Epson LQ-200"));
}

TEST_F(InstallWorker, MissingPackFileRunsTheGeneratedInfAndFailsWhenFilesStayMissing) {
  TSpoolerScope spooler(u"instprn_inf");
  TBoxes boxes;
  TScratchDirectory program(u"instprn_infprogram");
  const TInstallJob job = XpPackJob(u"Tevoran Inf", program, 1);
  std::u16string infPath;
  std::string infBytes;
  SetInstallHooks({nullptr, [&](const std::u16string& path, HWND) {
                     infPath = path;
                     infBytes = ReadFileToString(path);
                     return true;
                   }});
  EXPECT_EQ(Run(job), isDriverFailed);
  EXPECT_EQ(infBytes, DriverInfBytes(true, job.DriverFiles)) << "all seven files, UTF-16LE with its mark";
  EXPECT_EQ(infBytes.substr(0, 2), std::string("\xFF\xFE", 2));
  EXPECT_EQ(infPath.substr(infPath.size() - 4), u".inf");
  EXPECT_EQ(infPath.rfind(GetTempDirectory(), 0), 0u) << "in the temp directory";
  EXPECT_FALSE(FilePresent(infPath)) << "deleted afterwards";
  EXPECT_TRUE(boxes.Shown(u"Произошла ошибка при установке файлов драйвера \"Tevoran Printer Driver\"."));
  EXPECT_TRUE(spooler.StandIn.AddedName.empty()) << "no driver without its files";
  DeleteCopiedDriverFiles(job);
}

TEST_F(InstallWorker, CancelRequestStopsBeforeTheNextStage) {
  TSpoolerScope spooler(u"instprn_cancel");
  bool asked = false;
  SetInstallHooks({[&](const std::u16string&) {
                     asked = true;
                     return 0u;
                   },
                   nullptr});
  TInstallState state;
  state.CancelRequested = true;
  RunInstallation(Job(u"Tevoran Cancel", std::u16string(kOwnDriverName)), state);
  EXPECT_EQ(state.Status, isRunning) << "no outcome for a wizard that has gone";
  EXPECT_FALSE(asked);
  EXPECT_FALSE(spooler.StandIn.IsStandInPrinter(u"Tevoran Cancel"));
}

TEST_F(InstallWorker, WorkerThreadReportsItsStatusAndRunsOneAtATime) {
  TSpoolerScope spooler(u"instprn_thread");
  TInstallWorker worker;
  ASSERT_TRUE(worker.Start(Job(u"Tevoran Thread", std::u16string(kPsDriver))));
  const DWORD start = GetTickCount();
  while (worker.Running() && GetTickCount() - start < 30000) Sleep(5);
  EXPECT_FALSE(worker.Running());
  EXPECT_EQ(worker.Status(), isInstalled);
  EXPECT_TRUE(spooler.StandIn.IsStandInPrinter(u"Tevoran Thread"));
}
