// The copies confirmation dialog's window: shows what the presenter decides and passes the user's
// actions to it.
#include "ui/ackdialogform_win.h"

#include <commctrl.h>

#include "foundation/cl_tools_store_win.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_codepage.h"
#include "foundation/lib_str_win.h"
#include "foundation/lib_unicode_win.h"
#include "ui/ackdialogform_res.h"
#include "ui/frmlib_win.h"

namespace {

constexpr std::u16string_view kCopiesHint = u"Обрабатываемый документ будет напечатан указанное количество раз";
constexpr std::u16string_view kPagesHint = u"Указанные копии документа будут содержать штрих-код";
constexpr std::u16string_view kInfoHint = u"Дополнительная информация";
// The second panel runs to the right edge, wide enough for the code state.
constexpr int kStatusPanelWidths[] = {230, -1};
// Space between the lowest control and the status bar.
constexpr int kBottomMargin = 8;

void FillCombo(HWND combo, std::span<const std::u16string_view> items) {
  for (const std::u16string_view item : items) {
    const std::u16string text(item);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WStr(text)));
  }
}

void SetStatusText(HWND status, int panel, const std::u16string& text) {
  SendMessageW(status, SB_SETTEXTW, panel, reinterpret_cast<LPARAM>(WStr(text)));
}

}  // namespace

TAckDialogForm::TAckDialogForm(TAckPresenter& presenter)
    : TForm(u"TAckDialogForm", IDD_ACKDIALOGFORM, L"ICON_ACKDIALOGFORM"),
      DefaultCharset(GetDefaultCharset()),
      presenter_(presenter),
      bindings_{TControlValue{IDC_ACK_EDITCOPIES, TValueKind::Text, &values_.Copies, nullptr},
                TControlValue{IDC_ACK_CPAGES, TValueKind::Combo, &values_.Pages, &values_.PagesIndex}} {}

TAckDialogForm::~TAckDialogForm() = default;

void TAckDialogForm::ReadAnswer() { ReadValues(bindings_); }
void TAckDialogForm::WriteAnswer() { WriteValues(bindings_); }

void TAckDialogForm::OnCreate() {
  SetCaption(presenter_.Caption());
  if (DefaultCharset != RUSSIAN_CHARSET_ID) styled_ = AttachStyledMenu(Handle());
  logo_.Reset(LoadImageW(GetModuleHandleW(nullptr), L"BITMAP_LOGOBMP", IMAGE_BITMAP, 0, 0, 0));
  if (logo_) SendMessageW(Control(IDC_ACK_IMAGELOGO), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.Get()));
  const HWND status = Control(IDC_ACK_STATBAR);
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(kStatusPanelWidths));
  SetStatusText(status, 0, presenter_.StatusNotice());
  SetStatusText(status, 1, presenter_.CodeStateText());
  SetText(IDC_ACK_EDITTYPEDOC, presenter_.DocTypeName());
  FillCombo(Control(IDC_ACK_EDITCOPIES), kAckCopiesItems);
  FillCombo(Control(IDC_ACK_CPAGES), kAckPresetTexts);
  SetHint(IDC_ACK_EDITCOPIES, kCopiesHint);
  SetHint(IDC_ACK_CPAGES, kPagesHint);
  SetHint(IDC_ACK_MINFO, kInfoHint);
  SetText(IDC_ACK_MINFO, presenter_.InfoText());
  values_ = presenter_.StartValues();
  WriteAnswer();
}

// The memo only with job information; the form ends below the last thing it shows.
void TAckDialogForm::Layout() {
  const HWND memo = Control(IDC_ACK_MINFO);
  const HWND status = Control(IDC_ACK_STATBAR);
  ShowWindow(memo, presenter_.HasJobInfo() ? SW_SHOW : SW_HIDE);
  const RECT memoRect = ControlRectIn(Handle(), memo);
  RECT statusRect{};
  GetWindowRect(status, &statusRect);
  const int bottom = presenter_.HasJobInfo() ? memoRect.bottom : memoRect.top;
  RECT client{};
  GetClientRect(Handle(), &client);
  PlaceFormCentred(Handle(), RECT{0, 0, client.right, bottom + kBottomMargin + (statusRect.bottom - statusRect.top)});
  SendMessageW(status, WM_SIZE, 0, 0);
}

void TAckDialogForm::OnShow() { Layout(); }

void TAckDialogForm::OnShown() {
  FocusControl(presenter_.FocusOnCancel() ? IDCANCEL : IDOK);
  if (presenter_.TimerRuns()) {
    presenter_.Countdown().Start();
    StartTimer(kTimer1, 1000);
  }
  BringToFront();
}

void TAckDialogForm::OnTimer(UINT_PTR id) {
  if (id != kTimer1) return;
  const TAckTick tick = presenter_.Countdown().Tick(GetForegroundWindow() == Handle());
  if (!tick.Acted) {
    StopTimer(kTimer1);
    return;
  }
  if (tick.Activate) {
    PostActivateDialog(Handle());
    BringToFront();
    SetFocus(Handle());
  }
  SetText(IDOK, tick.OkCaption);
  if (tick.ClickOk) {
    StopTimer(kTimer1);
    ButtonOkClick();
  }
}

void TAckDialogForm::OnExit(int id) {
  if (id == IDOK) {
    // Any use of the other controls ends the countdown for good.
    presenter_.Countdown().Stop();
    StopTimer(kTimer1);
    SetText(IDOK, u"OK");
  } else if (id == IDC_ACK_CPAGES) {
    ReadAnswer();
    values_ = NormalizeAnswer(values_);
    WriteAnswer();
  }
}

void TAckDialogForm::OnCommand(int id, int code) {
  if (id == IDOK && code == BN_CLICKED) {
    ButtonOkClick();
  } else if (id == IDCANCEL && code == BN_CLICKED) {
    Close(presenter_.CancelClick());
  } else if (id == IDC_ACK_EDITCOPIES && code == CBN_EDITCHANGE) {
    KeepDigitsOnly(Control(IDC_ACK_EDITCOPIES));
  }
}

void TAckDialogForm::ButtonOkClick() {
  ReadAnswer();
  const int32_t result = presenter_.OkClick(values_, [this] {
    return MsgBox(kAckConfirmText, kAckConfirmCaption, MB_YESNO | MB_ICONSTOP, Handle()) == IDYES;
  });
  Close(result);
}

void ShowAckDialog(const std::u16string& configKey, const TDocIdClass& docId, const std::u16string& docTypeName,
                   const std::u16string& title, const std::string& initialAnswer, TLogFile* log, uint8_t& codeMode,
                   TContext& context, const TCoder* coder, const _JOBINFO* jobInfo, std::string& answer) {
  TAckRequest request;
  request.ConfigKey = configKey;
  request.DocId = docId;
  request.DocTypeName = docTypeName;
  request.Title = title;
  request.InitialAnswer = initialAnswer;
  request.Log = log;
  request.CodeMode = codeMode;
  request.Context = &context;
  request.Errors = coder ? coder->Errors.get() : nullptr;
  request.JobInfo = jobInfo;
  // The job's device settings came through the same wide or 8-bit spooler calls.
  request.NTFamily = UseWideApi();
  answer.clear();
  const TAckOutcome outcome = RunAckDialog(MachineSettingsStore(), request, GetDisableGUI(), [](TAckPresenter& p) {
    TAckDialogForm form(p);
    form.ShowModal();
  });
  answer = outcome.Answer;
  codeMode = outcome.CodeMode;
}
