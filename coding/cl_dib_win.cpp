// The line finder at the Windows edge: settings from the registry, the page rendered by GDI into a 1-bit
// DIB, the BMP round trip through a temporary file, and the portable search over the mapped file.
#include "coding/cl_dib_win.h"

#include <exception>
#include <string>
#include <vector>

#include "coding/cl_macrolib_recog_text.h"
#include "foundation/cl_tools_config.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_file_reader_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_str.h"

namespace {
// Keeps an object selected into a DC for a scope; the DC's previous object comes back at its end.
class TSelection {
 public:
  TSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~TSelection() {
    if (old_ && old_ != HGDI_ERROR) SelectObject(dc_, old_);
  }
  TSelection(const TSelection&) = delete;
  TSelection& operator=(const TSelection&) = delete;
  bool Selected() const { return old_ && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

struct TMonoBitmapInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[2];
};

// The page as a whole BMP file: GDI draws into a 1-bit DIB whose palette is black, white, so a 0 bit is
// black as the grid expects. False, with the failed call reported, when the bitmap cannot be made.
bool RenderPageBmp(HENHMETAFILE metafile, int32_t cx, int32_t cy, TLogFile& log, std::vector<uint8_t>& file) {
  file = DibFileHeaders(cx, cy);
  TMonoBitmapInfo info{};
  info.Header.biSize = sizeof info.Header;
  info.Header.biWidth = cx;
  info.Header.biHeight = cy;  // bottom row first, as the file stores it
  info.Header.biPlanes = 1;
  info.Header.biBitCount = 1;
  info.Header.biCompression = BI_RGB;
  info.Colors[1] = RGBQUAD{0xFF, 0xFF, 0xFF, 0};
  TDeviceContext dc(CreateCompatibleDC(nullptr));
  void* bits = nullptr;
  // No file header means the image would not fit a BMP: too large to make at all.
  TGdiObject bitmap(file.empty() || !dc.Get() ? nullptr
                                                   : CreateDIBSection(dc.Get(), reinterpret_cast<BITMAPINFO*>(&info),
                                                                      DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap.Get() || !bits) {
    log.ReportError(u"CreateDIBSection");
    return false;
  }
  {
    TSelection selection(dc.Get(), bitmap.Get());
    if (!selection.Selected()) {
      log.ReportError(u"SelectObject");
      return false;
    }
    // A new bitmap's content is undefined: white first, or every cell would read dark.
    PatBlt(dc.Get(), 0, 0, cx, cy, WHITENESS);
    const RECT frame{0, 0, cx - 1, cy - 1};
    if (!PlayEnhMetaFile(dc.Get(), metafile, &frame)) log.ReportError(u"PlayEnhMetaFile");
    GdiFlush();
  }
  const auto* pixels = static_cast<const uint8_t*>(bits);
  file.insert(file.end(), pixels, pixels + DibRowBytes(cx) * cy);
  return true;
}
}  // namespace

void ReadLineSearchSettings(HKEY key, TLineSearchSettings& s) {
  s.DIBSizeX = RegKeyReadInteger(key, u"DIBSizeX", s.DIBSizeX);
  s.DIBSizeY = RegKeyReadInteger(key, u"DIBSizeY", s.DIBSizeY);
  s.EELMaxX = RegKeyReadInteger(key, u"EELMaxX", s.EELMaxX);
  s.EELMaxY = RegKeyReadInteger(key, u"EELMaxY", s.EELMaxY);
  s.LLenMinX = RegKeyReadInteger(key, u"LLenMinX", s.LLenMinX);
  s.LLenMinY = RegKeyReadInteger(key, u"LLenMinY", s.LLenMinY);
  s.StepX = RegKeyReadInteger(key, u"StepX", s.StepX);
  s.StepY = RegKeyReadInteger(key, u"StepY", s.StepY);
  s.LevelPerX = RegKeyReadFloat(key, u"LevelPerX", s.LevelPerX);
  s.LevelPerY = RegKeyReadFloat(key, u"LevelPerY", s.LevelPerY);
  s.LevelBWX = RegKeyReadFloat(key, u"LevelBWX", s.LevelBWX);
  s.LevelBWY = RegKeyReadFloat(key, u"LevelBWY", s.LevelBWY);
}

TLineSeacher::TLineSeacher(HENHMETAFILE metafile, TLogFile& log)
    : Metafile(metafile), Log(log), ConfigKey(kConfigKey) {}

bool TLineSeacher::ReadSettings() {
  TRegKey key;
  if (!RegOpenPath(HKEY_LOCAL_MACHINE, ConfigKey + u"\\Graphi", key)) return false;
  Log.AddWide(u"Graphi: чтение параметров");
  Settings = TLineSearchSettings{};
  Settings.Disabled = RegKeyReadInteger(key.Get(), u"Disabled", Settings.Disabled);
  if (Settings.Disabled != 0) {
    Log.AddWide(u"  Не используется");
    return false;
  }
  ReadLineSearchSettings(key.Get(), Settings);
  return true;
}

bool TLineSeacher::SearchLines() {
  Result = TLineSearchResult{};
  const uint32_t start = Log.TickCount();
  if (!ReadSettings()) return false;
  try {
    if (Search(start)) Log.AddElapsed(start);
  } catch (const std::exception&) {
    // Memory for the page's image ran out before the search could start.
    Log.AddWide(u"    ОШИБКА!");
    Result = TLineSearchResult{};
  }
  return Result.Found;
}

bool TLineSeacher::Search(uint32_t startTick) {
  ENHMETAHEADER header{};
  if (!GetEnhMetaFileHeader(Metafile, sizeof header, &header)) {
    Log.ReportError(u"GetEnhMetaFileHeader");
    return false;
  }
  const int32_t cx = header.szlDevice.cx;
  const int32_t cy = header.szlDevice.cy;
  Log.AddWide(u"  Размер изображения: " + NumW(cx) + u"x" + NumW(cy));
  if (cx <= 0 || cy <= 0 || header.szlMillimeters.cx <= 0 || header.szlMillimeters.cy <= 0) {
    Log.AddWide(u"  Неверный размер страницы в заголовке метафайла: " + NumW(header.szlMillimeters.cx) + u"x" +
                NumW(header.szlMillimeters.cy) + u" мм");
    return false;
  }

  std::vector<uint8_t> bmp;
  if (!RenderPageBmp(Metafile, cx, cy, Log, bmp)) return false;
  // Declared before the mapping, so the file goes on every path after whatever still maps it.
  const TTempFile temp(MakeTempFileName());
  if (temp.Get().empty() || !WriteBufferToFile(temp.Get(), bmp)) {
    Log.AddWide(u"  Ошибка записи во временный файл: " + QuotedW(temp.Get()));
    ShowFileWriteError(temp.Get());
    return false;
  }
  Log.AddWide(u"  Временный файл: " + QuotedW(temp.Get()) + u", размер: " + NumW(static_cast<int64_t>(bmp.size())));
  bmp = std::vector<uint8_t>();

  TMappedFile mapped;
  if (!mapped.Open(temp.Get(), false)) {
    Log.AddWide(u"  Ошибка чтения временного файла: " + QuotedW(temp.Get()));
    return false;
  }
  return SearchBitmapLines(mapped, Settings, TSize{header.szlMillimeters.cx, header.szlMillimeters.cy}, Log,
                           startTick, Result);
}
