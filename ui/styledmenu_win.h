// The flat menu look on a form: TStyledMenu owner-draws the items of the form's menus and, through
// TControlSubClass (flatctrl_win), repaints its controls flat; TStyledMenuManager is the process-wide
// list of components that finishes flat popup frames and styles forms created later.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "foundation/lib_handle_win.h"
#include "ui/menumodel_win.h"
#include "ui/styledmenu.h"

class TControlSubClass;

// Messages of the flat popup frames, posted to the application window: the item's frame is wanted
// (wParam the HMENU, lParam the item's position), or the frame of a known popup window (wParam 1 for a
// right-to-left menu, lParam the window).
inline constexpr UINT WM_STYLEDMENU_FRAMEITEM = 48307;
inline constexpr UINT WM_STYLEDMENU_FRAMEWINDOW = 48308;
// The control tag that paints a control on its parent's colour.
inline constexpr int kTagParentColor = 1000;

// What the component reads of the system once; tests inject other values.
struct TStyledEnvironment {
  bool NTFamily = true;
  bool Win2000 = false;
  bool WinXP = false;
  // Bits per pixel of the screen; 0 reads the screen.
  int BitsPerPixel = 0;
};

class TStyledMenu {
 public:
  // For the form window; creates the manager when there is none. Nothing is styled until Active.
  explicit TStyledMenu(HWND form);
  TStyledMenu(HWND form, const TStyledEnvironment& environment);
  ~TStyledMenu();
  TStyledMenu(const TStyledMenu&) = delete;
  TStyledMenu& operator=(const TStyledMenu&) = delete;

  // Stored only.
  uint8_t DimLevel = 30;
  uint8_t GrayLevel = 10;
  bool DrawMenuBar = false;
  int IconWidth = 24;
  bool DrawSelect = true;
  bool UseDimColor = false;
  bool Gradient = false;
  bool FlatMenu = false;
  bool AutoDetect = false;
  // The fixed percentages of the control painters.
  static constexpr int kPercentNormal = 16;
  static constexpr int kPercentHot = 40;

  HWND Form() const { return form_; }
  HFONT Font() const { return static_cast<HFONT>(font_.Get()); }
  // The caption font (its character set included) and its colour; the menu bar is redrawn.
  void SetFont(const LOGFONTW& font, TColor color);
  TColor FontColor() const { return fontColor_; }
  const TStyledColors& Colors() const { return colors_; }
  // A colour property (such as &TStyledColors::SelectColor); the effective colours follow at the next
  // item drawn. MenuBarColor also redraws the menu bar.
  void SetColor(TColor TStyledColors::*property, TColor value);
  bool UseSystemColors() const { return useSystemColors_; }
  void SetUseSystemColors(bool value);
  bool OverrideOwnerDraw() const { return overrideOwnerDraw_; }
  void SetOverrideOwnerDraw(bool value);
  TStyledControls StyledControls() const { return styledControls_; }
  void SetStyledControls(TStyledControls value);
  TStyledContainers StyledContainers() const { return styledContainers_; }
  void SetStyledContainers(TStyledContainers value);
  bool Active() const { return active_; }
  void SetActive(bool value);
  bool DisableSubclassing() const { return disableSubclassing_; }
  void SetDisableSubclassing(bool value);

  // The form's menus, which the look is applied to (the menu bar attached to the form and its popups).
  // A menu stays until it is removed or the component ends.
  void AddMenu(TRealisedMenu& menu);
  void RemoveMenu(TRealisedMenu& menu);
  // Styles one item created after activation and, when asked, all its sub-items.
  void HookMenuItem(TMenuItem& item, bool subItems);
  // Registers the component with the manager, as a component streamed in with its form would be; the
  // program's own components never are.
  void Loaded();

  // The item handlers.
  void MeasureItem(TMenuItem& item, TMenuMeasureArgs& args);
  void PaintItem(TMenuItem& item, TMenuDrawArgs& args);
  // The flat frame of a popup menu window (run by the manager).
  void PaintFlatMenuFrame(HWND popup);

  // The effective colours, computed again first when a colour changed.
  const TEffectiveColors& EffectiveColors();
  bool HighColor() const;
  const TStyledEnvironment& Environment() const { return environment_; }
  // Applies (enable) or removes the look on the form's menus and the controls of the window (the form,
  // or another form the manager gives this component); repaint invalidates the styled controls.
  void ApplyToOwnedComponents(HWND form, bool enable, bool repaint);

  // The control subclasses this component owns.
  std::vector<TControlSubClass*>& Subclasses() { return subclasses_; }
  // Gives every subclass back its control's window procedure.
  void ReleaseSubclasses(HWND form = nullptr);

 private:
  void Init();
  void ComputeEffectiveColors();
  void ApplyToMenu(TRealisedMenu& menu, bool enable);
  void ApplyToControls(HWND form, bool enable, bool repaint);
  void RedrawMenuBar();
  void RequestFlatFrame(TMenuItem& item, TMenuDrawArgs& args);
  TMenuDraw DrawHandler();
  TMenuMeasure MeasureHandler();

  HWND form_;
  TStyledEnvironment environment_;
  TGdiObject font_;
  TColor fontColor_ = 0;
  TStyledColors colors_;
  TEffectiveColors effective_;
  bool colorsChanged_ = true;
  bool useSystemColors_ = true;
  bool overrideOwnerDraw_ = false;
  TStyledControls styledControls_ = kAllStyledControls;
  TStyledContainers styledContainers_ = kAllStyledContainers;
  bool active_ = false;
  bool disableSubclassing_ = false;
  bool framePainting_ = false;
  std::vector<TRealisedMenu*> menus_;
  std::vector<TControlSubClass*> subclasses_;
};

class TStyledMenuManager {
 public:
  // The one manager of the process, nil when there is none.
  static TStyledMenuManager* Instance();

  // Registered components, in order; the one chosen for forms that have none.
  const std::vector<TStyledMenu*>& Menus() const { return menus_; }
  TStyledMenu* ActiveStyledMenu() const { return active_; }
  bool Disabled = false;
  const std::vector<HWND>& QueuedForms() const { return queue_; }
  const std::vector<HWND>& HandledForms() const { return handled_; }

  void AddStyledMenu(TStyledMenu* menu);
  void RemoveStyledMenu(TStyledMenu* menu);
  void ChooseActiveStyledMenu();
  // A form was created or is going away (the toolkit's insert and remove notices).
  void FormInserted(HWND form);
  void FormRemoved(HWND form);
  // A flat frame request is queued; no second one is posted until it has run.
  bool FramePending = false;

 private:
  friend class TStyledMenu;
  TStyledMenuManager();
  ~TStyledMenuManager();
  static void Create();
  static void FreeIfEmpty();
  void CollectUnstyledForms();
  bool HasOwnComponent(HWND form) const;
  void ProcessQueue();
  static LRESULT CALLBACK ManagerHook(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);

  std::vector<TStyledMenu*> menus_;
  std::vector<HWND> queue_;
  std::vector<HWND> handled_;
  TStyledMenu* active_ = nullptr;
  HWND hooked_ = nullptr;
};

// Drawing in one colour on a DC (its DC brush and pen): a filled or framed rectangle, a line.
void FillColor(HDC dc, const RECT& r, TColor color);
void FrameColor(HDC dc, const RECT& r, TColor color);
void LineColor(HDC dc, int x1, int y1, int x2, int y2, TColor color);

// The screen's menu font.
LOGFONTW ScreenMenuFont();
// The system's colours now.
TSysColors SystemColors();
