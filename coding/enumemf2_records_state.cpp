// The drawing state of the record walk: GDI's window-to-viewport mapping of each map mode, the world
// transform composed with it, and the saved states.
#include <cmath>
#include <string>

#include "coding/enumemf2_records.h"

TXForm MultiplyXForm(const TXForm& a, const TXForm& b) {
  const double m11 = double{a.M11} * b.M11 + double{a.M12} * b.M21;
  const double m12 = double{a.M11} * b.M12 + double{a.M12} * b.M22;
  const double m21 = double{a.M21} * b.M11 + double{a.M22} * b.M21;
  const double m22 = double{a.M21} * b.M12 + double{a.M22} * b.M22;
  const double dx = double{a.Dx} * b.M11 + double{a.Dy} * b.M21 + b.Dx;
  const double dy = double{a.Dx} * b.M12 + double{a.Dy} * b.M22 + b.Dy;
  return TXForm{static_cast<float>(m11), static_cast<float>(m12), static_cast<float>(m21),
                static_cast<float>(m22), static_cast<float>(dx),  static_cast<float>(dy)};
}

TXForm MappingOf(const TDrawState& s) {
  double sx = s.ViewportExtX / s.WindowExtX;
  double sy = s.ViewportExtY / s.WindowExtY;
  if (s.MapMode == 7) {
    // MM_ISOTROPIC: the smaller scale on both axes, each axis keeping its direction.
    const double m = std::fmin(std::fabs(sx), std::fabs(sy));
    sx = std::copysign(m, sx);
    sy = std::copysign(m, sy);
  }
  TXForm xf;
  xf.M11 = static_cast<float>(sx);
  xf.M22 = static_cast<float>(sy);
  xf.Dx = static_cast<float>(s.ViewportOrg.X - s.WindowOrg.X * sx);
  xf.Dy = static_cast<float>(s.ViewportOrg.Y - s.WindowOrg.Y * sy);
  return xf;
}

void ApplyMapMode(TDrawState& s, int32_t mode, const TEnhMetaHeader& header) {
  if (mode < 1 || mode > 8) return;
  // Logical units per millimetre of the fixed modes; MM_ISOTROPIC starts from MM_LOMETRIC's extents,
  // MM_ANISOTROPIC keeps the extents it finds.
  static constexpr double kUnitsPerMm[9] = {0, 0, 10, 100, 10 / 2.54, 100 / 2.54, 1440 / 25.4, 10, 0};
  if (mode == s.MapMode && mode >= 7) return;
  s.MapMode = mode;
  if (mode == 1) {
    s.WindowExtX = s.WindowExtY = s.ViewportExtX = s.ViewportExtY = 1;
  } else if (mode != 8) {
    s.WindowExtX = header.szlMillimetersCx * kUnitsPerMm[mode];
    s.WindowExtY = header.szlMillimetersCy * kUnitsPerMm[mode];
    s.ViewportExtX = header.szlDeviceCx;
    s.ViewportExtY = -static_cast<double>(header.szlDeviceCy);
  }
}

bool TEnumData::SaveState() {
  // A flood of SAVEDC records must not hold a state for each: beyond the cap a save is refused, as GDI
  // refuses one it has no room for, and a later RESTOREDC finds the levels that were kept.
  if (Stack.size() >= kMaxSavedStates) {
    if (!saveRefused_ && Coder.Log)
      Coder.Log->Add("    SaveDC: more than " + std::to_string(kMaxSavedStates) + " saved states, the rest are not kept");
    saveRefused_ = true;
    return false;
  }
  Stack.push_back(State);
  return true;
}

bool TEnumData::RestoreState(int32_t level) {
  const int64_t size = static_cast<int64_t>(Stack.size());
  const int64_t pops = level < 0 ? -int64_t{level} : size - level + 1;
  if (level == 0 || pops < 1 || pops > size) return false;
  State = Stack[static_cast<size_t>(size - pops)];
  Stack.resize(static_cast<size_t>(size - pops));
  return true;
}
