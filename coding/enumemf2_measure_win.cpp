// Measuring at the Windows edge: fonts made, selected and deleted on the reference device context.
#include "coding/enumemf2_measure_win.h"

#include <cstddef>
#include <cstring>

#include "coding/cl_emfcoder.h"
#include "foundation/lib_handle_win.h"
#include "foundation/lib_log.h"
#include "foundation/lib_sysinfo_win.h"

namespace {
static_assert(sizeof(LOGFONTW) == sizeof(TLogFontW));
static_assert(offsetof(LOGFONTW, lfFaceName) == offsetof(LOGFONTA, lfFaceName));

LOGFONTW ToLogFontW(const TLogFontW& font) {
  LOGFONTW lf;
  std::memcpy(&lf, &font, sizeof(lf));
  return lf;
}

class TGdiFont : public TMeasureFont {
 public:
  TGdiFont(TGdiMeasurer& owner, HFONT font) : owner_(owner), font_(font) {}
  // A selected font cannot be deleted: the DC's own font goes back first.
  ~TGdiFont() override { owner_.Deselect(Handle()); }
  TGdiFont(const TGdiFont&) = delete;
  TGdiFont& operator=(const TGdiFont&) = delete;

  int32_t CharExtent(char16_t c) override { return owner_.Select(Handle()) ? ::CharExtent(owner_.Dc(), c) : 0; }
  bool CharWidths8(std::array<int32_t, 256>& widths) override {
    INT read[256] = {};
    if (!owner_.Select(Handle()) || !GetCharWidthA(owner_.Dc(), 0, 255, read)) return false;
    for (size_t i = 0; i < widths.size(); ++i) widths[i] = read[i];
    return true;
  }
  HFONT Handle() const { return static_cast<HFONT>(font_.Get()); }

 private:
  TGdiMeasurer& owner_;
  TGdiObject font_;
};

bool ReadMetrics(HDC dc, bool wide, TFontMetrics& metrics) {
  if (wide) {
    TEXTMETRICW tm{};
    if (!GetTextMetricsW(dc, &tm)) return false;
    metrics = TFontMetrics{tm.tmHeight, tm.tmAveCharWidth};
  } else {
    TEXTMETRICA tm{};
    if (!GetTextMetricsA(dc, &tm)) return false;
    metrics = TFontMetrics{tm.tmHeight, tm.tmAveCharWidth};
  }
  return true;
}
}  // namespace

TMeasurePlatform SystemMeasurePlatform() {
  TMeasurePlatform platform;
  platform.NTFamily = IsWinNT();
  const TModuleHandle gdi(LoadLibraryA("gdi32.dll"));
  platform.Wide = IsWinNT5Up() && gdi && GetProcAddress(gdi.Get(), "GetTextExtentPoint32W") != nullptr;
  return platform;
}

LOGFONTA LogFontToAnsi(const LOGFONTW& font) {
  LOGFONTA out{};
  std::memcpy(&out, &font, offsetof(LOGFONTW, lfFaceName));
  int n = 0;
  while (n < LF_FACESIZE && font.lfFaceName[n] != 0) ++n;
  char bytes[LF_FACESIZE * 4] = {};
  const int written = WideCharToMultiByte(CP_ACP, 0, font.lfFaceName, n, bytes, sizeof(bytes), nullptr, nullptr);
  if (written > 0) std::memcpy(out.lfFaceName, bytes, static_cast<size_t>(written < LF_FACESIZE ? written : LF_FACESIZE - 1));
  return out;
}

int32_t CharExtent(HDC dc, char16_t c) {
  const wchar_t ch = static_cast<wchar_t>(c);
  SIZE size{};
  return GetTextExtentPoint32W(dc, &ch, 1, &size) ? size.cx : 0;
}

TGdiMeasurer::TGdiMeasurer(HDC dc, TMeasurePlatform platform)
    : dc_(dc), platform_(platform), original_(dc ? GetCurrentObject(dc, OBJ_FONT) : nullptr) {}

TGdiMeasurer::~TGdiMeasurer() {
  if (selected_) SelectObject(dc_, original_);
}

bool TGdiMeasurer::Select(HFONT font) {
  if (selected_ == font) return true;
  const HGDIOBJ previous = dc_ ? SelectObject(dc_, font) : nullptr;
  if (!previous || previous == HGDI_ERROR) return false;
  selected_ = font;
  return true;
}

void TGdiMeasurer::Deselect(HFONT font) {
  if (selected_ != font) return;
  SelectObject(dc_, original_);
  selected_ = nullptr;
}

std::unique_ptr<TMeasureFont> TGdiMeasurer::MakeFont(const TLogFontW& font, TFontMetrics* metrics,
                                                     std::vector<std::u16string>& failures) {
  const LOGFONTW wide = ToLogFontW(font);
  HFONT handle = nullptr;
  if (platform_.NTFamily) {
    handle = CreateFontIndirectW(&wide);
  } else {
    const LOGFONTA ansi = LogFontToAnsi(wide);
    handle = CreateFontIndirectA(&ansi);
  }
  if (!handle) {
    failures.emplace_back(u"CreateFontIndirect");
    return nullptr;
  }
  auto made = std::make_unique<TGdiFont>(*this, handle);
  if (!metrics) return made;
  if (!Select(handle))
    failures.emplace_back(u"SelectObject");
  else if (!ReadMetrics(dc_, platform_.Wide, *metrics))
    failures.emplace_back(u"GetTextMetrics");
  return made;
}

void BuildPageTextsOnDevice(TEMFCoder& coder, HDC referenceDC, TMeasurePlatform platform) {
  auto report = [&](std::u16string_view call) {
    if (coder.Log) coder.Log->ReportError(call);
  };
  if (referenceDC) {
    if (!SaveDC(referenceDC)) report(u"SaveDC");
    {
      TGdiMeasurer measurer(referenceDC, platform);
      coder.BuildPageTexts(measurer);
    }
    if (!RestoreDC(referenceDC, -1)) report(u"RestoreDC");
    return;
  }
  const HWND desktop = GetDesktopWindow();
  if (!desktop) report(u"GetDesktopWindow");
  const HDC dc = GetDC(desktop);
  if (!dc) report(u"GetDC");
  {
    TGdiMeasurer measurer(dc, platform);
    coder.BuildPageTexts(measurer);
  }
  if (dc && !ReleaseDC(desktop, dc)) report(u"ReleaseDC");
}
