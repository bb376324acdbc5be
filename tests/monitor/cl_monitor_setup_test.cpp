// The monitor's checks of the system around it over a scripted system: the DOS printing check with its
// questions, boxes, port copy, DOS queue and remembered default printer; the service start's polling;
// the LPT number of a port and the print status text.
#include "monitor/cl_monitor_setup.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "support/memory_store.h"

namespace {

const std::u16string kPrinter = u"Виртуальный";
const std::u16string kConfig = u"Software\\Kavrel\\Client\\ConfigDos";

const std::u16string kDefaultQuestion =
    u"Для обеспечения печати из приложений DOS, принтер\r\n\"Виртуальный\" должен быть принтером по-умолчанию.\r\n"
    u"Сделать его принтером по-умолчанию?";
const std::u16string kQueueQuestion =
    u"Для обеспечения печати из приложений DOS, в настройках\r\nпараллельного порта принтера должен быть включен "
    u"режим\r\n\"Очередь для заданий печати DOS\".\r\nВключить данный режим?";
const std::u16string kRestartQuestion =
    u"Для корректной работы необходимо перезагрузить компьютер.\r\nПроизвести перезагруку сейчас?\r\n";
std::u16string LocalPortError(const std::u16string& kind) {
  return u"Для обеспечения печати из приложений DOS, принтер\r\n\"Виртуальный\" должен быть на локальном " + kind +
         u"-порту.";
}
std::u16string FinalError(const std::u16string& port) {
  return u"В качестве порта для печати принтера \"Виртуальный\" выбран " + port +
         u".\r\nДля обеспечения печати из приложений DOS должен быть выбран локальный LPT- или COM-порт";
}

// A box as the check showed it: "?" a question, "E" an error over the owner, "e" one over no window.
struct TBox {
  std::string Kind;
  std::u16string Text;
  bool operator==(const TBox&) const = default;
};
void PrintTo(const TBox& box, std::ostream* os) {
  *os << box.Kind << " [" << ::testing::PrintToString(box.Text) << "]";
}

class TFakeSystem : public TDosSetupSystem {
 public:
  bool PrinterExists(std::u16string_view printer) override { return exists && printer == kPrinter; }
  bool IsDosPrinter(std::u16string_view) override { return dos; }
  bool IsVirtualPrinter(std::u16string_view printer) override { return printer == kPrinter || printer == virtualOther; }
  std::u16string FirstLocalPort() override { return firstLocal; }
  std::u16string PrinterPortName(std::u16string_view) override {
    ++portReads;
    return port;
  }
  bool IsLocalPort(std::u16string_view p) override { return local && p == port; }
  bool IsDefaultPrinter(std::u16string_view printer) override { return printer == defaultPrinter; }
  std::u16string DefaultPrinterName() override { return defaultPrinter; }
  void SetDefaultPrinter(std::u16string_view printer) override { defaultPrinter = printer; }
  bool IsTerminalServer() override { return terminalServer; }
  TSettingsStore& MachineStore() override { return machine; }
  TSettingsStore& UserStore() override { return user; }
  std::u16string ActiveConfigKey() override { return kConfig; }
  bool IsWinNT() override { return nt; }
  uint32_t DosSpoolMask() override { return mask; }
  bool EnableDosSpool(int32_t lpt) override {
    enabled.push_back(lpt);
    return enableWorks;
  }
  void BroadcastSettingChange() override { ++broadcasts; }
  void SendEmptyFileToPort(std::u16string_view p) override { copies.emplace_back(p); }
  bool AskYesNo(const std::u16string& text) override {
    boxes.push_back({"?", text});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  void ErrorBox(const std::u16string& text, bool overOwner) override { boxes.push_back({overOwner ? "E" : "e", text}); }
  void RestartSystem() override { ++restarts; }

  bool exists = true, dos = true, local = true, nt = true, enableWorks = true, terminalServer = false;
  std::u16string firstLocal = u"LPT1:", port = u"LPT1:", defaultPrinter = kPrinter, virtualOther;
  uint32_t mask = 0;
  std::deque<bool> answers;
  TMemoryStore machine, user;

  int portReads = 0, broadcasts = 0, restarts = 0;
  std::vector<int32_t> enabled;
  std::vector<std::u16string> copies;
  std::vector<TBox> boxes;
};

struct TDosCase {
  const char* Name;
  // The system.
  bool Exists = true, Dos = true, Default = true, Local = true, NT = true, EnableWorks = true;
  std::u16string FirstLocal = u"LPT1:", Port = u"LPT1:";
  uint32_t Mask = 0;
  std::deque<bool> Answers{};
  // What the check does.
  bool Ready = false;
  std::vector<TBox> Boxes{};
  std::vector<std::u16string> Copies{};
  std::vector<int32_t> Enabled{};
  int Broadcasts = 0, Restarts = 0;
};

TEST(DosPrintingSetup, QuestionsBoxesAndPortChecks) {
  const TDosCase cases[] = {
      {.Name = "a printer that does not exist", .Exists = false},
      {.Name = "a printer without the DOS side", .Dos = false},
      {.Name = "not the default printer, the owner says No",
       .Default = false,
       .Answers = {false},
       .Boxes = {{"?", kDefaultQuestion}}},
      {.Name = "made the default printer on Yes, then ready",
       .Default = false,
       .Answers = {true},
       .Ready = true,
       .Boxes = {{"?", kDefaultQuestion}},
       .Copies = {u"LPT1:"}},
      {.Name = "default, on the local LPT port: the port is tried", .Ready = true, .Copies = {u"LPT1:"}},
      {.Name = "a local COM port where the machine's first port is a COM port",
       .FirstLocal = u"COM2:",
       .Port = u"COM1:",
       .Ready = true,
       .Copies = {u"COM1:"}},
      {.Name = "a local COM port where the machine has an LPT port: told, still ready",
       .Port = u"COM1:",
       .Ready = true,
       .Boxes = {{"e", LocalPortError(u"LPT")}}},
      {.Name = "an LPT port that is network-attached or redirected",
       .Local = false,
       .Boxes = {{"e", LocalPortError(u"LPT")}, {"E", FinalError(u"LPT1:")}}},
      {.Name = "a file port",
       .Port = u"FILE:",
       .Boxes = {{"e", LocalPortError(u"LPT")}, {"E", FinalError(u"FILE:")}}},
      {.Name = "an LPT name without its colon",
       .Port = u"LPT1",
       .Boxes = {{"e", LocalPortError(u"LPT")}, {"E", FinalError(u"LPT1")}}},
      {.Name = "a machine without a local port",
       .Local = false,
       .FirstLocal = u"",
       .Boxes = {{"e", LocalPortError(u"")}, {"E", FinalError(u"LPT1:")}}},
      {.Name = "9x: the port's bit of the DOS spool mask is set",
       .NT = false,
       .Port = u"LPT2:",
       .Mask = 0x2,
       .Ready = true,
       .Copies = {u"LPT2:"}},
      {.Name = "9x: LPT10 is bit 9",
       .NT = false,
       .Port = u"LPT10:",
       .Mask = 0x200,
       .Ready = true,
       .Copies = {u"LPT10:"}},
      {.Name = "9x: the bit is not set, the owner leaves the queue off",
       .NT = false,
       .Port = u"LPT2:",
       .Mask = 0x1,
       .Answers = {false},
       .Ready = true,
       .Boxes = {{"?", kQueueQuestion}}},
      {.Name = "9x: queue switched on, restart declined",
       .NT = false,
       .Port = u"LPT2:",
       .Mask = 0x1,
       .Answers = {true, false},
       .Ready = true,
       .Boxes = {{"?", kQueueQuestion}, {"?", kRestartQuestion}},
       .Enabled = {2},
       .Broadcasts = 1},
      {.Name = "9x: queue switched on, restart now",
       .NT = false,
       .Port = u"LPT2:",
       .Answers = {true, true},
       .Boxes = {{"?", kQueueQuestion}, {"?", kRestartQuestion}},
       .Enabled = {2},
       .Broadcasts = 1,
       .Restarts = 1},
      {.Name = "9x: a queue that does not switch on asks for no restart",
       .NT = false,
       .EnableWorks = false,
       .FirstLocal = u"COM1:",
       .Port = u"COM1:",
       .Answers = {true},
       .Ready = true,
       .Boxes = {{"?", kQueueQuestion}},
       .Enabled = {0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeSystem s;
    s.exists = c.Exists;
    s.dos = c.Dos;
    s.defaultPrinter = c.Default ? kPrinter : u"Real";
    s.local = c.Local;
    s.nt = c.NT;
    s.enableWorks = c.EnableWorks;
    s.firstLocal = c.FirstLocal;
    s.port = c.Port;
    s.mask = c.Mask;
    s.answers = c.Answers;
    EXPECT_EQ(CheckDosPrintingSetup(s, kPrinter), c.Ready);
    EXPECT_EQ(s.boxes, c.Boxes);
    EXPECT_EQ(s.copies, c.Copies);
    EXPECT_EQ(s.enabled, c.Enabled);
    EXPECT_EQ(s.broadcasts, c.Broadcasts);
    EXPECT_EQ(s.restarts, c.Restarts);
    EXPECT_TRUE(s.answers.empty()) << "every scripted answer was asked for";
  }
}

TEST(DosPrintingSetup, DeclinedDefaultLeavesThePortAndTheDefaultAlone) {
  TFakeSystem s;
  s.defaultPrinter = u"Real";
  s.answers = {false};
  EXPECT_FALSE(CheckDosPrintingSetup(s, kPrinter));
  EXPECT_EQ(s.portReads, 0);
  EXPECT_EQ(s.defaultPrinter, u"Real");
  EXPECT_EQ(s.machine.Writes + s.user.Writes, 0);
}

// On Yes the printer becomes the default; the previous default is remembered for the printer list,
// unless it is a virtual printer itself (or there was none).
TEST(DosPrintingSetup, PreviousDefaultRememberedInTheRightHive) {
  struct TCase {
    const char* Name;
    bool TerminalServer;
    std::u16string Previous;
    bool PreviousVirtual;
    std::u16string Machine, User;  // "DefaultPrn" afterwards; empty: not written
  } cases[] = {
      {"a workstation keeps it for the machine", false, u"Real", false, u"Real", u""},
      {"a terminal server keeps it for the user", true, u"Real", false, u"", u"Real"},
      {"a virtual previous default is not kept", false, u"Other virtual", true, u"", u""},
      {"no previous default: nothing kept", false, u"", false, u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeSystem s;
    s.terminalServer = c.TerminalServer;
    s.defaultPrinter = c.Previous;
    if (c.PreviousVirtual) s.virtualOther = c.Previous;
    s.answers = {true};
    EXPECT_TRUE(CheckDosPrintingSetup(s, kPrinter));
    EXPECT_EQ(s.defaultPrinter, kPrinter);
    EXPECT_EQ(s.machine.ReadText(kConfig, u"DefaultPrn", u""), c.Machine);
    EXPECT_EQ(s.user.ReadText(kConfig, u"DefaultPrn", u""), c.User);
  }
}

TEST(ServiceStart, PollsWhileTheStartIsPending) {
  struct TCase {
    const char* Name;
    bool RunningAtFirst;
    bool StartWorks;
    int PendingPolls;  // how many state queries after the start still say "start pending"
    bool RunsAfterwards;
    bool Result;
    int Starts, Pauses;
  } cases[] = {
      {"running already: no start", true, true, 0, true, true, 0, 0},
      {"started at once", false, true, 0, true, true, 1, 0},
      {"pending for three polls", false, true, 3, true, true, 1, 3},
      {"pending past the limit", false, true, 1000, false, false, 1, kServiceStartPolls},
      {"a start refused", false, false, 0, false, false, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int starts = 0, pending = c.PendingPolls;
    std::vector<uint32_t> pauses;
    TServiceStartSteps steps;
    steps.IsRunning = [&] { return starts == 0 ? c.RunningAtFirst : pending <= 0 && c.RunsAfterwards; };
    steps.IsStartPending = [&] { return starts > 0 && pending-- > 0; };
    steps.Start = [&] {
      ++starts;
      return c.StartWorks;
    };
    steps.Pause = [&](uint32_t ms) { pauses.push_back(ms); };
    EXPECT_EQ(RunServiceStart(steps), c.Result);
    EXPECT_EQ(starts, c.Starts);
    EXPECT_EQ(pauses, std::vector<uint32_t>(size_t(c.Pauses), kServiceStartPollMs));
  }
}

TEST(LptPortNumber, TheNumberAfterLpt) {
  const struct {
    std::u16string Port;
    int32_t Number;
  } cases[] = {
      {u"LPT2:", 2},  {u"LPT2", 2},   {u"LPT1:", 1},   {u"LPT10:", 10}, {u"LPT0:", 0}, {u"LPT", 0},
      {u"LPT:", 0},   {u"LPTx:", 0},  {u"LPT2:x", 0},  {u"LPT1::", 0},  {u" LPT1:", 0}, {u"COM1:", 0},
      {u"lpt2:", 0},  {u"", 0},       {u"LPT99999999999:", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(GetLptPortNumber(c.Port), c.Number) << ::testing::PrintToString(c.Port);
}

TEST(PrintStatus, OkOrError) {
  EXPECT_EQ(FormatPrintStatus(true), u"Статус печати: Ok");
  EXPECT_EQ(FormatPrintStatus(false), u"Статус печати: Error");
}

}  // namespace
