// The copies confirmation dialog's decisions: the starting answer, the texts it shows, the countdown
// that presses OK by itself, the outcome and what it leaves in the document context. The window in
// ackdialogform_win only shows them and passes the user's actions in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "coding/cl_macrolib_context.h"
#include "foundation/cl_tools_docid.h"
#include "foundation/cl_tools_store.h"
#include "foundation/lib_log.h"
#include "foundation/lib_prn.h"
#include "foundation/lib_str_lists.h"

// DialogResult: nothing chosen (the close box), OK, Cancel, Ignore (print although the data have errors).
inline constexpr int32_t kAckResultNone = 0;
inline constexpr int32_t kAckResultOk = 1;
inline constexpr int32_t kAckResultCancel = 2;
inline constexpr int32_t kAckResultIgnore = 5;

// CodeMode: the code is printed / not printed.
inline constexpr uint8_t kCodeModePrint = 1;
inline constexpr uint8_t kCodeModeNoPrint = 2;

// Seconds shown on the first tick; OK is pressed on the tick after the one that shows 0.
inline constexpr int32_t kAckCountdownStart = 100;

// The texts of CPages' presets, by index.
inline constexpr std::u16string_view kAckPresetTexts[] = {u"Первая", u"Первая и вторая", u"Последняя",
                                                          u"Первая и последняя", u"Все", u"Не наносить"};
inline constexpr std::u16string_view kAckCopiesItems[] = {u"1", u"2", u"3", u"4", u"5", u"6"};

// The two answer controls as a settings record: the copy count, CPages' text and its preset (-1 typed).
struct TAckValues {
  std::u16string Copies;
  std::u16string Pages;
  int32_t PagesIndex = -1;
  friend bool operator==(const TAckValues&, const TAckValues&) = default;
};

// A copies string shown in the controls.
TAckValues ShowAnswer(std::string_view answer);
// The copies string the controls give: min(count, 64) letters, empty for no count or 0.
std::string BuildAnswer(const TAckValues& values);
// CPages after the user leaves it: a typed list equal to a preset becomes that preset.
TAckValues NormalizeAnswer(const TAckValues& values);

// "Формат: 210.00x297.00\r\n" from a job's device settings (DEVMODEW on the NT family, DEVMODEA
// elsewhere); empty when the bytes do not reach the paper fields.
std::u16string PaperFormatText(const std::vector<uint8_t>& devMode, bool ntFamily);

// One tick of the countdown: what the window does.
struct TAckTick {
  bool Acted = false;     // false once the countdown was stopped: the tick does nothing
  bool Activate = false;  // not in front: ask the application window to bring it, take the focus
  std::u16string OkCaption;
  bool ClickOk = false;   // stop the timer and press OK
};

class TAckCountdown {
 public:
  void Start();
  TAckTick Tick(bool foreground);
  // For good: the focus left OK.
  void Stop() { running_ = false; }
  bool Running() const { return running_; }
  int32_t Value() const { return value_; }

 private:
  bool running_ = false;
  int32_t value_ = kAckCountdownStart;
};

// What ShowAckDialog is given. Errors are the coder's error list; Context and JobInfo may be absent.
struct TAckRequest {
  std::u16string ConfigKey;
  TDocIdClass DocId;
  std::u16string DocTypeName;
  std::u16string Title;
  std::string InitialAnswer;
  TLogFile* Log = nullptr;
  uint8_t CodeMode = 0;
  TContext* Context = nullptr;
  const TWideStringArray* Errors = nullptr;
  const _JOBINFO* JobInfo = nullptr;
  bool NTFamily = true;
};

struct TAckOutcome {
  std::string Answer;  // empty: nothing is printed
  uint8_t CodeMode = 0;
  int32_t DialogResult = kAckResultNone;
};

inline constexpr std::u16string_view kAckConfirmText = u"Вы уверены, что хотите продолжить печать?";
inline constexpr std::u16string_view kAckConfirmCaption = u"Обнаружены ошибки";

// One dialog from its request to its outcome. Construction reads "SavePgDlg", the starting answer and
// builds the texts; Finish writes the outcome to the log and the context.
class TAckPresenter {
 public:
  TAckPresenter(const TSettingsStore& store, const TAckRequest& request);

  void LogBegin() const;
  std::u16string Caption() const;
  std::u16string StatusNotice() const;
  std::u16string CodeStateText() const;
  const std::u16string& DocTypeName() const { return request_.DocTypeName; }
  // MInfo's text: shown only with job information.
  std::u16string InfoText() const;
  bool HasJobInfo() const { return hasJobInfo_; }
  bool HasErrors() const { return hasErrors_; }
  bool SaveAnswer() const { return saveAnswer_; }
  const std::string& StartAnswer() const { return startAnswer_; }
  TAckValues StartValues() const { return ShowAnswer(startAnswer_); }
  // On show: the countdown runs only without errors; the focus goes to Cancel with errors.
  bool TimerRuns() const { return !hasErrors_; }
  bool FocusOnCancel() const { return hasErrors_; }
  TAckCountdown& Countdown() { return countdown_; }

  // OK pressed with these values; confirm asks the user with errors (true for Yes). Returns DialogResult.
  int32_t OkClick(const TAckValues& values, const std::function<bool()>& confirm);
  int32_t CancelClick();
  // Where nobody can answer: as the countdown would without errors, Cancel with them.
  int32_t AnswerWithoutGui();
  int32_t DialogResult() const { return dialogResult_; }

  TAckOutcome Finish();

 private:
  void LogLine(std::string_view text) const;

  const TSettingsStore& store_;
  TAckRequest request_;
  bool saveAnswer_ = false;
  std::string startAnswer_;
  bool hasJobInfo_ = false;
  bool hasErrors_ = false;
  std::u16string errorHeader_;
  std::u16string errorLines_;
  std::u16string jobText_;
  int32_t dialogResult_ = kAckResultNone;
  TAckValues okValues_;
  TAckCountdown countdown_;
};

// Shows the form modally and returns when it is closed; the presenter holds what the user chose.
using TAckFormRunner = std::function<void(TAckPresenter&)>;

// The whole dialog: without a GUI the form is not shown. The outcome's answer is empty when cancelled.
TAckOutcome RunAckDialog(const TSettingsStore& store, const TAckRequest& request, bool guiDisabled,
                         const TAckFormRunner& showForm);

// The last answer ("Option" of the context's section), the default when it is missing.
void GetStoredAckData(std::string_view def, TContext& context, std::string& answer);
