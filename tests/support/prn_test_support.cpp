// Helpers of the spooler tests under Wine.
#ifdef _WIN32
#include "prn_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "foundation/cl_tools_regimport_win.h"
#include "foundation/lib_unicode_win.h"

std::vector<uint8_t> MakePageMetafile(RECT blackRect) {
  RECT frame{0, 0, 21000, 29700};
  // A printer's spooled pages have the printer as reference device (its page shape decides the
  // orientation); the destination printer of the test prefix plays that part, the screen without it.
  HDC printer = CreateDCW(nullptr, L"Client Test PS", nullptr, nullptr);
  HDC screen = printer ? printer : GetDC(nullptr);
  HDC dc = CreateEnhMetaFileW(screen, nullptr, &frame, L"test page");
  // Logical units: the reference device's pixels; convert from 0.01 mm.
  const int wmm = GetDeviceCaps(screen, HORZSIZE), hmm = GetDeviceCaps(screen, VERTSIZE);
  const int wpx = GetDeviceCaps(screen, HORZRES), hpx = GetDeviceCaps(screen, VERTRES);
  if (printer) DeleteDC(printer);
  else ReleaseDC(nullptr, screen);
  RECT r{MulDiv(blackRect.left, wpx, wmm * 100), MulDiv(blackRect.top, hpx, hmm * 100),
         MulDiv(blackRect.right, wpx, wmm * 100), MulDiv(blackRect.bottom, hpx, hmm * 100)};
  HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
  FillRect(dc, &r, black);
  DeleteObject(black);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, UINT(bytes.size()), bytes.data());
  DeleteEnhMetaFile(emf);
  return bytes;
}

TStandInPrinter StandInPrinter(const std::u16string& name, const std::u16string& port, const std::u16string& datatype) {
  TStandInPrinter p;
  p.Name = name;
  p.PortName = port;
  p.DriverName = u"Wine PostScript Driver";
  p.Datatype = datatype;
  return p;
}

TScratchDirectory::TScratchDirectory(const std::u16string& name) {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  Path = FromWStr(temp) + name + u"_" + AnsiToWide(std::to_string(GetCurrentProcessId()));
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(WStr(Path)), ec);
  std::filesystem::create_directories(std::filesystem::path(WStr(Path)));
}

TScratchDirectory::~TScratchDirectory() {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(WStr(Path)), ec);
}

TStandInScope::TStandInScope(const std::u16string& name)
    : Directory(name), StandIn(std::make_unique<TSpoolerStandIn>(Directory.Path)) {
  UseSpooler(StandIn.get());
}

TStandInScope::~TStandInScope() { UseSpooler(nullptr); }

std::vector<uint8_t> ReadFileBytes(const std::u16string& name) {
  std::ifstream in(std::filesystem::path(WStr(name)), std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TTestRegistryRoots::TTestRegistryRoots(const std::u16string& name)
    : Base(u"Software\\ClientTests\\" + name + u"_" + AnsiToWide(std::to_string(GetCurrentProcessId()))) {
  RegCreatePath(HKEY_CURRENT_USER, Base + u"\\M", Machine);
  RegCreatePath(HKEY_CURRENT_USER, Base + u"\\U", User);
}

TTestRegistryRoots::~TTestRegistryRoots() {
  Machine.Reset();
  User.Reset();
  RemoveRegistryTree(HKEY_CURRENT_USER, Base);
}

#endif
