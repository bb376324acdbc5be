// The demo's pictures of the dialogs (scripts/demo): each form shown with sample data, its countdown
// stopped at its first tick, and copied from the screen into a 24-bit BMP in the output directory.
// Usage: ui_demo <output directory>
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "monitor/monitwin_win.h"
#include "support/code_image.h"
#include "support/coder_fakes.h"
#include "support/memory_store.h"
#include "support/printers_host_fake.h"
#include "ui/about_win.h"
#include "ui/ackdialogform_win.h"
#include "ui/instprnfrm_res.h"
#include "ui/instprnfrm_win.h"
#include "foundation/cl_tools_app_win.h"
#include "ui/support_win.h"
#include "demo/styledmenu_demo_win.h"

namespace {

void PumpFor(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

// A 24-bit BMP file of the bitmap; empty when its pixels cannot be read.
std::vector<uint8_t> BmpFile(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  std::vector<uint8_t> pixels(static_cast<size_t>(stride) * height);
  if (GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) !=
      height) {
    return {};
  }
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::vector<uint8_t> bytes(file.bfSize);
  std::memcpy(bytes.data(), &file, sizeof file);
  std::memcpy(bytes.data() + sizeof file, &info, sizeof info);
  std::memcpy(bytes.data() + file.bfOffBits, pixels.data(), pixels.size());
  return bytes;
}

// The client area as the screen shows it, under the caption the system draws for the window (under
// Xvfb no window manager draws one on the screen); a window without a caption gets none.
bool CaptureWindow(HWND wnd, const std::string& fileName) {
  RECT client{};
  GetClientRect(wnd, &client);
  POINT origin{0, 0};
  ClientToScreen(wnd, &origin);
  const bool captioned = (GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
  const int caption = captioned ? GetSystemMetrics(SM_CYCAPTION) : 0;
  const int width = client.right;
  const int height = caption + client.bottom;
  if (width <= 0 || client.bottom <= 0) return false;
  HDC screen = GetDC(nullptr);
  TDeviceContext memory(CreateCompatibleDC(screen));
  TGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
  const HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  RECT bar{0, 0, width, caption};
  DrawCaption(wnd, memory.Get(), &bar, DC_ACTIVE | DC_TEXT | DC_ICON | DC_GRADIENT);
  BitBlt(memory.Get(), 0, caption, width, client.bottom, screen, origin.x, origin.y, SRCCOPY);
  SelectObject(memory.Get(), old);
  ReleaseDC(nullptr, screen);
  const std::vector<uint8_t> bytes = BmpFile(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), width, height);
  return !bytes.empty() && WriteFileBytes(fileName, bytes);
}

// A rectangle of the screen as the screen shows it.
bool CaptureScreenRect(const RECT& r, const std::string& fileName) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  TDeviceContext memory(CreateCompatibleDC(screen));
  TGdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
  const HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  BitBlt(memory.Get(), 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory.Get(), old);
  ReleaseDC(nullptr, screen);
  const std::vector<uint8_t> bytes = BmpFile(memory.Get(), static_cast<HBITMAP>(bitmap.Get()), width, height);
  return !bytes.empty() && WriteFileBytes(fileName, bytes);
}

// The copies dialog of a job whose data have errors, on an A4 page.
bool AckDialogPicture(const std::string& fileName) {
  TMemoryStore store;
  TMemoryContextHost host;
  TContext context(host, u"Tevoran");
  TWideStringArray errors;
  errors.Add(u"Поле \"ИНН покупателя\" не заполнено");
  _JOBINFO job;
  job.Document = u"Счёт-фактура №125 от 01.02.2024";
  job.PrinterName = u"Tevoran";
  job.MachineName = u"\\\\BUH-01";
  job.UserName = u"Иванова";
  job.DevMode.assign(sizeof(DEVMODEW), 0);
  auto* dm = reinterpret_cast<DEVMODEW*>(job.DevMode.data());
  dm->dmPaperLength = 2970;
  dm->dmPaperWidth = 2100;
  TAckRequest request;
  request.DocId = TDocIdClass::CreateFromText("DC01");
  request.DocTypeName = u"Счёт-фактура";
  request.Title = u"Tevoran-Клиент";
  request.InitialAnswer = "CCN";
  request.CodeMode = kCodeModePrint;
  request.Context = &context;
  request.Errors = &errors;
  request.JobInfo = &job;
  TAckPresenter presenter(store, request);
  TAckDialogForm form(presenter);
  if (!form.ShowModeless()) return false;
  PumpFor(700);
  return CaptureWindow(form.Handle(), fileName);
}

// The About box in its logo layout, or without the logo (gradient band, no border) with extra text.
bool AboutPicture(const std::string& fileName, bool logo) {
  TAboutRequest request;
  request.Product = u"Tevoran-Клиент";
  request.Version = u"4.01.23";
  request.EMail = SupportEMail();
  request.ShowLogo = logo;
  // No word starts with "д": 64-bit Wine 8 faults shaping a memo line that begins with it in Liberation
  // Sans, the test prefix's Tahoma (its mark-to-mark positioning reads before the line's first glyph).
  if (!logo) request.ExtraText = u"Счёт-фактура (DC01): ИНН и КПП покупателя, номер, сумма, ставка НДС";
  TAboutForm form(std::move(request));
  if (!form.ShowModeless()) return false;
  PumpFor(500);
  return CaptureWindow(form.Handle(), fileName);
}

// Every page of the installation wizard, the progress and finish pages with sample texts; false when a
// page was not captured.
bool InstPrnPictures(const std::string& out, int& failed) {
  TClientApplication app;
  app.Printers->Refresh();
  TMemoryLog log;
  TInstPrnFrm form;
  form.App = &app;
  form.Log = log;
  form.Components = 3;
  form.GivenPrinterName = u"Tevoran";
  form.GivenUserName = app.Printers->UserName;
  if (!form.ShowModeless()) return false;
  const struct {
    int id;
    std::u16string_view text;
  } samples[] = {
      {IDC_IP_LCAP, u"Создание виртуального принтера Tevoran"},
      {IDC_IP_LMSG, u"ждите..."},
      {IDC_IP_LPRNNAMEINST, u"Tevoran"},
      {IDC_IP_LDRVINSTALLED, u"Tevoran Printer Driver [Windows NT x86]"},
      {IDC_IP_LPORTINSTALLED, u"LPT1:"},
      {IDC_IP_LPRNTO, u"Client Test PS"},
  };
  for (const auto& sample : samples) form.SetText(sample.id, sample.text);
  SendMessageW(GetDlgItem(form.Handle(), IDC_IP_PROGRESSBAR), PBM_SETPOS, 20, 0);
  for (int page = 0; page < kWizardPageCount; ++page) {
    form.ShowPage(page);
    if (page == wpFinished) form.SetText(IDC_IP_BNEXT, kDoneCaption);
    PumpFor(300);
    const std::string name = "instprn" + std::to_string(page) + "form.bmp";
    if (CaptureWindow(form.Handle(), out + "/" + name)) {
      std::printf("%s: the installation wizard, page %d\n", name.c_str(), page);
    } else {
      std::printf("%s: not captured\n", name.c_str());
      ++failed;
    }
  }
  return true;
}

// The monitor's tray menu, opened as a click on its icon opens it, with the Windows destinations of its
// one virtual printer shown: both popups captured together.
struct TTrayShot {
  std::string fileName;
  int ticks = 0;
  int seen = 0;
  bool captured = false;
};
TTrayShot g_trayShot;

void CALLBACK TrayShotTimer(HWND, UINT, UINT_PTR id, DWORD) {
  TTrayShot& shot = g_trayShot;
  ++shot.ticks;
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup && IsWindowVisible(popup)) {
    // The first item is the destinations' submenu: opened with the keys.
    if (++shot.seen == 2) {
      PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(popup, WM_KEYDOWN, VK_RIGHT, 0);
    }
    if (shot.seen == 10) {
      RECT both{};
      for (HWND w = FindWindowW(L"#32768", nullptr); w; w = FindWindowExW(nullptr, w, L"#32768", nullptr)) {
        RECT r{};
        if (!IsWindowVisible(w) || !GetWindowRect(w, &r)) continue;
        UnionRect(&both, &both, &r);
      }
      InflateRect(&both, 4, 4);
      shot.captured = CaptureScreenRect(both, shot.fileName);
    }
  }
  if (shot.captured || shot.ticks > 200) {
    KillTimer(nullptr, id);
    EndMenu();
  }
}

bool TrayMenuPicture(const std::string& fileName) {
  TClientApplication app;
  TMemoryStore machine, user;
  auto host = std::make_shared<TListPrintersHost>();
  host->Names = {u"Tevoran", u"HP LaserJet 4250", u"Epson FX-890", u"Microsoft Print to PDF"};
  app.Printers = std::make_unique<TPrinters>(host, machine, user);
  app.Printers->UserName = u"Иванова";
  const int32_t i = app.Printers->Add(u"Tevoran");
  app.Printers->Items[i].AllUsers = app.Printers->Items[i].WinSide = true;
  app.Printers->SaveAll();
  app.Printers->SetPrintToOfUser(u"Tevoran", u"", kPrintToWin, u"HP LaserJet 4250");
  if (!app.Printers->Refresh()) return false;
  app.Interactive = true;
  TMonitorContext context;
  context.App = &app;
  context.Log = app.Context.Log;
  context.Components = 1;
  TFormVirtPrinter form(&context);
  if (!form.Handle()) return false;
  for (int waited = 0; waited < 3000 && form.Rebuilds() == 0; waited += 50) PumpFor(50);
  g_trayShot = TTrayShot{fileName};
  SetCursorPos(300, 200);
  SetTimer(nullptr, 0, 30, TrayShotTimer);
  form.TrayIconClick();
  return g_trayShot.captured;
}

// The support dialog with the report of this system and a spool file listed to attach.
bool SupportPicture(const std::string& fileName) {
  TTevoranSupport form([](HWND, const std::u16string&, int) {});
  form.ComponentMask = 1 | 2;
  form.Files = {u"C:\\windows\\system32\\Tevoran\\Spool\\00012.spl"};
  form.BuildSupportReport();
  if (!form.ShowModeless()) return false;
  PumpFor(500);
  return CaptureWindow(form.Handle(), fileName);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ui_demo <output directory>\n");
    return 2;
  }
  const std::string out = argv[1];
  int failed = 0;
  if (AckDialogPicture(out + "/ackdialogform.bmp")) {
    std::printf("ackdialogform.bmp: the copies dialog with job information and errors\n");
  } else {
    std::printf("ackdialogform.bmp: not captured\n");
    ++failed;
  }
  if (StyledMenuPicture(out + "/styledmenuform.bmp", CaptureScreenRect)) {
    std::printf("styledmenuform.bmp: an open styled popup menu\n");
  } else {
    std::printf("styledmenuform.bmp: not captured\n");
    ++failed;
  }
  if (FlatControlsPicture(out + "/flatcontrolsform.bmp", CaptureWindow, PumpFor)) {
    std::printf("flatcontrolsform.bmp: a form with flat controls\n");
  } else {
    std::printf("flatcontrolsform.bmp: not captured\n");
    ++failed;
  }
  if (TrayMenuPicture(out + "/traymenu.bmp")) {
    std::printf("traymenu.bmp: the monitor's tray menu with the Windows destinations of its virtual printer\n");
  } else {
    std::printf("traymenu.bmp: not captured\n");
    ++failed;
  }
  if (SupportPicture(out + "/supportform.bmp")) {
    std::printf("supportform.bmp: the support dialog with the system's report\n");
  } else {
    std::printf("supportform.bmp: not captured\n");
    ++failed;
  }
  const struct {
    const char* name;
    bool logo;
    const char* what;
  } abouts[] = {
      {"aboutform.bmp", true, "the About box with the logo"},
      {"aboutgradientform.bmp", false, "the About box without the logo: gradient band, no border, extra text"},
  };
  for (const auto& about : abouts) {
    if (AboutPicture(out + "/" + about.name, about.logo)) {
      std::printf("%s: %s\n", about.name, about.what);
    } else {
      std::printf("%s: not captured\n", about.name);
      ++failed;
    }
  }
  if (!InstPrnPictures(out, failed)) {
    std::printf("instprn*form.bmp: the installation wizard not shown\n");
    ++failed;
  }
  return failed == 0 ? 0 : 1;
}
