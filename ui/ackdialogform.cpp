// The copies confirmation dialog's decisions, apart from its window.
#include "ui/ackdialogform.h"

#include <cstdlib>

#include "foundation/cl_tools_pages.h"
#include "foundation/lib_codepage.h"

namespace {

constexpr std::u16string_view kOptionValue = u"Option";
constexpr std::u16string_view kSavePgDlgValue = u"SavePgDlg";
constexpr std::u16string_view kErrorHeader = u"Обнаружены ошибки в заполнении документа:";
constexpr std::u16string_view kNotice = u"Выберите копии для печати";

// Copies strings are letters "C" and "N"; a stored value of anything else is shown as it parses.
std::string AnswerOf(std::u16string_view text) { return EncodeCodePage(text, kCodePage1251); }
std::u16string AnswerText(std::string_view answer) { return DecodeCodePage(answer, kCodePage1251); }

int16_t ReadInt16(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// Tenths of a millimetre as millimetres with two decimals, "." whatever the locale.
std::u16string Millimetres(int16_t tenths) {
  const int32_t value = tenths;
  const int32_t magnitude = std::abs(value);
  const std::string text =
      (value < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." + std::to_string(magnitude % 10) + "0";
  return std::u16string(text.begin(), text.end());
}

std::u16string Quoted(std::u16string_view label, std::u16string_view value) {
  return std::u16string(label) + u"\"" + std::u16string(value) + u"\"\r\n";
}

}  // namespace

TAckValues ShowAnswer(std::string_view answer) {
  std::string count;
  std::string list;
  int32_t preset = kPagePresetNone;
  TAckValues values;
  if (!TextToPageSet(answer, count, preset, list)) return values;
  values.Copies = AnswerText(count);
  values.PagesIndex = preset;
  values.Pages = preset >= 0 ? std::u16string(kAckPresetTexts[preset]) : AnswerText(list);
  return values;
}

std::string BuildAnswer(const TAckValues& values) {
  const int32_t preset = values.PagesIndex >= kPagePresetFirst && values.PagesIndex <= kPagePresetNone
                             ? values.PagesIndex
                             : kPagePresetCustom;
  return PageSetToText(AnswerOf(values.Copies), AnswerOf(values.Pages), preset);
}

TAckValues NormalizeAnswer(const TAckValues& values) { return ShowAnswer(BuildAnswer(values)); }

std::u16string PaperFormatText(const std::vector<uint8_t>& devMode, bool ntFamily) {
  // dmPaperLength and dmPaperWidth follow the device name (32 characters) and 16 bytes of other fields.
  const size_t lengthOffset = (ntFamily ? 64 : 32) + 16;
  if (devMode.size() < lengthOffset + 4) return {};
  const int16_t length = ReadInt16(devMode, lengthOffset);
  const int16_t width = ReadInt16(devMode, lengthOffset + 2);
  return u"Формат: " + Millimetres(width) + u"x" + Millimetres(length) + u"\r\n";
}

void TAckCountdown::Start() {
  value_ = kAckCountdownStart;
  running_ = true;
}

TAckTick TAckCountdown::Tick(bool foreground) {
  TAckTick tick;
  if (!running_) return tick;
  tick.Acted = true;
  tick.Activate = !foreground;
  const std::string caption = "OK (" + std::to_string(value_) + ")";
  tick.OkCaption.assign(caption.begin(), caption.end());
  if (value_ == 0) {
    running_ = false;
    tick.ClickOk = true;
  }
  --value_;
  return tick;
}

TAckPresenter::TAckPresenter(const TSettingsStore& store, const TAckRequest& request)
    : store_(store), request_(request) {
  const std::string docText = request_.DocId.GetText();
  // Without a document type there is no key of its own to read from and no name to keep the answer under.
  if (!docText.empty()) {
    saveAnswer_ = store_.ReadInteger(SubKeyPathA(store_, request_.ConfigKey, docText), kSavePgDlgValue, 0) != 0;
  }
  startAnswer_ = request_.InitialAnswer;
  if (saveAnswer_ && request_.Context) {
    startAnswer_ = AnswerOf(request_.Context->ReadValue(AnswerText(docText), AnswerText(request_.InitialAnswer)));
  }
  hasJobInfo_ = request_.JobInfo != nullptr;
  if (request_.Errors && request_.Errors->Count() > 0) {
    hasErrors_ = true;
    errorHeader_ = kErrorHeader;
    for (int32_t i = 0; i < request_.Errors->Count(); ++i) errorLines_ += request_.Errors->Get(i) + u"\r\n";
  }
  if (const _JOBINFO* job = request_.JobInfo) {
    jobText_ = Quoted(u"Документ: ", job->Document) + Quoted(u"Принтер: ", job->PrinterName) +
               Quoted(u"Компьютер: ", job->MachineName) + Quoted(u"Пользователь", job->UserName);
    if (!job->DevMode.empty()) jobText_ += PaperFormatText(job->DevMode, request_.NTFamily);
  }
}

void TAckPresenter::LogLine(std::string_view text) const {
  if (request_.Log) request_.Log->Add("--> Dialog: " + std::string(text));
}

void TAckPresenter::LogBegin() const { LogLine("Begin, data: \"" + request_.InitialAnswer + "\""); }

std::u16string TAckPresenter::Caption() const { return u"Копии... " + request_.Title; }

std::u16string TAckPresenter::StatusNotice() const { return std::u16string(kNotice); }

std::u16string TAckPresenter::CodeStateText() const {
  if (request_.CodeMode == kCodeModePrint) return u"Разрешен ";
  if (request_.CodeMode == kCodeModeNoPrint) return u"Запрещен ";
  return {};
}

std::u16string TAckPresenter::InfoText() const {
  if (!hasJobInfo_) return {};
  std::u16string text;
  if (!errorHeader_.empty()) text += errorHeader_ + u"\r\n";
  text += errorLines_;
  text += jobText_;
  return text;
}

int32_t TAckPresenter::OkClick(const TAckValues& values, const std::function<bool()>& confirm) {
  okValues_ = values;
  if (!hasErrors_ || values.PagesIndex == kPagePresetNone) {
    dialogResult_ = hasErrors_ ? kAckResultIgnore : kAckResultOk;
  } else {
    dialogResult_ = confirm && confirm() ? kAckResultIgnore : kAckResultCancel;
  }
  return dialogResult_;
}

int32_t TAckPresenter::CancelClick() { return dialogResult_ = kAckResultCancel; }

int32_t TAckPresenter::AnswerWithoutGui() {
  return hasErrors_ ? CancelClick() : OkClick(StartValues(), {});
}

TAckOutcome TAckPresenter::Finish() {
  TAckOutcome outcome;
  outcome.CodeMode = request_.CodeMode;
  outcome.DialogResult = dialogResult_;
  if (dialogResult_ == kAckResultOk || dialogResult_ == kAckResultIgnore) {
    outcome.Answer = BuildAnswer(okValues_);
    LogLine((dialogResult_ == kAckResultOk ? "\"Ok\", data: \"" : "\"Ignore\", data: \"") + outcome.Answer + "\"");
    if (okValues_.PagesIndex == kPagePresetNone) outcome.CodeMode = kCodeModeNoPrint;
  } else {
    LogLine("\"Cancel\"");
  }
  if (request_.Context) {
    request_.Context->WriteValue(kOptionValue, AnswerText(outcome.Answer));
    if (saveAnswer_ && !outcome.Answer.empty()) {
      request_.Context->WriteValue(AnswerText(request_.DocId.GetText()), AnswerText(outcome.Answer));
    }
  }
  return outcome;
}

TAckOutcome RunAckDialog(const TSettingsStore& store, const TAckRequest& request, bool guiDisabled,
                         const TAckFormRunner& showForm) {
  TAckPresenter presenter(store, request);
  presenter.LogBegin();
  if (guiDisabled || !showForm) {
    presenter.AnswerWithoutGui();
  } else {
    showForm(presenter);
  }
  return presenter.Finish();
}

void GetStoredAckData(std::string_view def, TContext& context, std::string& answer) {
  answer = AnswerOf(context.ReadValue(kOptionValue, AnswerText(def)));
}
