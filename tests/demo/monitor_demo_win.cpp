// The demo's monitor run (scripts/demo): client.exe started as a user starts it (the tray monitor), on
// the stand-in spooler, whose virtual printer with both sides prints to the destination printer
// "Client Test PS" (a PostScript file port). A two-page Windows job (an invoice a page) recorded by
// Wine's GDI and then a DOS invoice job are submitted; the program codes and prints them, and its
// monitor window is then closed as another program closes it. Each job's output is taken from the port
// file before the next job (the port does not truncate it). Written to the output directory:
// windows_job.ps, dos_job.prn (as printed), dos_job.bmp (the code picture the tests' reader rebuilds
// from the DOS job's printer commands), dos_job.header (the first bytes of the message the coder makes
// for that invoice, those that do not change from run to run) and monitor.log (the program's log).
// Usage: monitor_demo <output directory> <client.exe>
#include <cstdio>
#include <fstream>
#include <string>

#include "coding/cl_macrolib_docparam.h"
#include "coding/enumemf2_records_win.h"
#include "foundation/cl_tools_cfgkey.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_prn_printers_host_win.h"
#include "foundation/lib_prn_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"
#include "monitor/uintemf.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/coding_scope_win.h"
#include "support/e2e_dos.h"
#include "support/e2e_page_win.h"
#include "support/monitor_program_win.h"
#include "support/prn_test_support.h"

namespace {

const std::u16string kDestination = u"Client Test PS";
const std::u16string kDestinationFile = u"C:\\client-print\\out.ps";
const std::u16string kVirtual = u"Демо-принтер";

// The DOS printing check wants the virtual printer as the default one.
void MakeDefaultPrinter(const std::u16string& printer) {
  WriteProfileStringW(L"Windows", L"Device", WStr(printer + u",winspool,LPT1:"));
}

// The message's tag, type, version, letter and TAB: the rest differs from run to run.
constexpr size_t kMessageHeader = 12;

// The DOS job's code picture from its printed commands, and the head of the message its invoice codes to.
bool WriteDosCode(const TDosForm& form, const std::string& stream, const std::string& printed, const std::string& out) {
  const TDosExpectedJob expected = ExpectedDosJob(form, {{stream, 0}}, "CN");
  if (!expected.Error.empty() || expected.Codes.size() != 1) {
    std::printf("DOS job: its expected coding failed at %s\n", expected.Error.c_str());
    return false;
  }
  const TDosPrintedCodes codes = SplitPrintedJob(expected, printed);
  if (!codes.Error.empty() || codes.Commands.size() != 1) {
    std::printf("DOS job: the printed job is not the coded invoice: %s\n", codes.Error.c_str());
    return false;
  }
  const TDosCodeGeometry& g = expected.Codes[0].Geometry;
  const TDosReadBack back = ReadDosCode(g, codes.Commands[0]);
  if (!back.Error.empty()) {
    std::printf("DOS job: the reader cannot rebuild the code: %s\n", back.Error.c_str());
    return false;
  }
  std::printf("DOS job: %zu bytes of code commands, code of %dx%d modules\n", codes.Commands[0].size(),
              static_cast<int>(g.Width), static_cast<int>(g.Height));
  return WriteFileBytes(out + "/dos_job.bmp", SymbolImage(back.Picture, {g.Width, g.Height}, 0, g.Width)) &&
         WriteFileBytes(out + "/dos_job.header", expected.Codes[0].Message.substr(0, kMessageHeader));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: monitor_demo <output directory> <client.exe>\n");
    return 2;
  }
  const std::string out = argv[1];
  const std::u16string client = AnsiToWide(argv[2]);
  TCodingScope scope{L"monitor_demo"};
  TMachineTypes types(kE2EPageOrder);
  PlaceInvoiceCodeLowerRight(types.Store());
  // The invoices printed with their codes without asking: nobody answers the copies dialog here.
  types.Store().WriteInteger(TMachineTypes::TypeKey("SCHT"), u"AckPages", 0);
  const TDosForm& form = DosForms()[0];
  TRegistryStore machine(HKEY_LOCAL_MACHINE);
  if (!types.Ok() || !WriteDosConfig(machine, form)) {
    std::printf("the demo configuration cannot be read: %s\n", E2EConfigPath().c_str());
    return 1;
  }
  // Every page of a Windows job recognised, not the first only: each invoice gets its code.
  SetAllPages(machine, kConfigKey, true);
  // The invoice copied "CN" without a dialog: the code on the first copy.
  const std::u16string invoice = std::u16string(kConfigDosKey) + u"\\" + AnsiToWide(std::string(kDosInvoiceId));
  machine.WriteText(invoice, u"Pages", u"CN");
  machine.WriteInteger(invoice, u"AckPages", 0);
  machine.WriteTextA(kConfigDosKey, u"Version", std::string(kProgramVersion));
  TStandInScope spooler{u"monitor_demo"};
  AddProgramVirtualPrinter(*spooler.StandIn, kVirtual, kDestination);
  MakeDefaultPrinter(kVirtual);

  const TEnhMetaFile first = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  const TEnhMetaFile second = RecordE2EPage(E2EDocument("SCHT"), &InvoiceTable());
  if (!first || !second) {
    std::printf("the pages are not recorded on the printer \"Client Test PS\"\n");
    return 1;
  }
  DeleteFileW(WStr(kDestinationFile));  // a file port is not truncated before a job
  TMonitorProgram monitor(client, u"", spooler.Directory.Path);
  int failed = 0;
  if (!monitor.WaitWindow(L"TFormVirtPrinter", 20000)) {
    std::printf("client.exe shows no monitor window\n");
    ++failed;
  } else {
    std::printf("client.exe runs as the tray monitor\n");
    spooler.StandIn->SubmitEmfJob(kVirtual, u"Два счёта",
                                  {EnhMetaFileBytes(first.Get()), EnhMetaFileBytes(second.Get())});
    const std::vector<uint8_t> windows = TakePrinted(kVirtual, kDestinationFile, 90000);
    std::printf("Windows job (2 pages): %zu bytes of PostScript printed\n", windows.size());
    if (windows.empty() || !WriteFileBytes(out + "/windows_job.ps", windows)) ++failed;

    const std::string stream = DosInvoiceStream(form, DosInvoices()[0], true);
    spooler.StandIn->SubmitRawJob(kVirtual, u"Счёт DOS",
                                  {reinterpret_cast<const uint8_t*>(stream.data()), stream.size()});
    const std::vector<uint8_t> dos = TakePrinted(kVirtual, kDestinationFile, 60000);
    const std::string printed(dos.begin(), dos.end());
    std::printf("DOS job (%s): %zu bytes printed\n", form.Name, printed.size());
    if (printed.empty() || !WriteFileBytes(out + "/dos_job.prn", printed) ||
        !WriteDosCode(form, stream, printed, out))
      ++failed;
    const DWORD code = monitor.CloseWindow(L"TFormVirtPrinter", 30000);
    std::printf("client.exe closed from outside -> exit code %lu\n", static_cast<unsigned long>(code));
    if (code != 0) ++failed;
  }
  std::printf("jobs left in the queue: %lu\n", static_cast<unsigned long>(QueuedJobs(kVirtual)));
  std::ofstream(out + "/monitor.log", std::ios::binary) << scope.LogText();
  return failed == 0 ? 0 : 1;
}
