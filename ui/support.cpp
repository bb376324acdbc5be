#include "ui/support.h"

#include <algorithm>

#include "foundation/lib_codepage.h"
#include "foundation/lib_str.h"

namespace {

std::u16string Number(int64_t value) { return Utf8ToWide(std::to_string(value)); }

void AddEntry(std::u16string& text, std::u16string_view label, std::u16string_view value) {
  text += u"\r\n\t";
  text += label;
  text += u"=\"";
  text += value;
  text += u"\";";
}

void AddPresent(std::u16string& text, std::u16string_view label, const std::optional<std::u16string>& value) {
  if (value) AddEntry(text, label, *value);
}

std::u16string ShownDriver(const std::u16string& name, std::u16string_view virtualModel) {
  if (!virtualModel.empty() && UpperCaseW(name) == UpperCaseW(virtualModel)) return std::u16string(kVirtualDriverTitle);
  return name;
}

}  // namespace

std::u16string FormatPrinterList(std::span<const TPrinterReportEntry> printers, std::u16string_view virtualModel) {
  // The "a" of "принтер(a,ов)" is the Latin letter, as the report has always had it.
  std::u16string text = u"В системе найдено " + Number(static_cast<int64_t>(printers.size())) + u" принтер(a,ов)\r\n";
  for (const TPrinterReportEntry& p : printers) {
    text += u"\"" + p.Name + u"\" ";
    if (p.IsDefault) text += u"(по умолчанию) ";
    AddPresent(text, u"Server Name", p.ServerName);
    AddPresent(text, u"Share Name", p.ShareName);
    AddPresent(text, u"Port Name", p.PortName);
    if (p.DriverName) AddEntry(text, u"Driver Name", ShownDriver(*p.DriverName, virtualModel));
    AddPresent(text, u"Comment", p.Comment);
    AddPresent(text, u"Location", p.Location);
    AddPresent(text, u"Print Processor", p.PrintProcessor);
    AddPresent(text, u"Data Type", p.DataType);
    AddPresent(text, u"Parameters", p.Parameters);
    AddEntry(text, u"Attributes", Number(p.Attributes));
    AddEntry(text, u"Status", Number(p.Status));
    text += u"\r\n\r\n";
  }
  return text;
}

std::u16string FormatDriverList(std::span<const TDriverReportEntry> drivers, std::u16string_view virtualModel) {
  std::u16string text;
  for (const TDriverReportEntry& d : drivers) {
    text += ShownDriver(d.Name, virtualModel) + u":";
    AddEntry(text, u"Version", Number(d.Version));
    AddPresent(text, u"Environment", d.Environment);
    AddPresent(text, u"Driver Path", d.DriverPath);
    AddPresent(text, u"Data File", d.DataFile);
    AddPresent(text, u"Config File", d.ConfigFile);
    AddPresent(text, u"Help File", d.HelpFile);
    AddPresent(text, u"Dependent Files", d.DependentFiles);
    AddPresent(text, u"Monitor Name", d.MonitorName);
    AddPresent(text, u"Default Data Type", d.DefaultDataType);
    text += u"\r\n\r\n";
  }
  return text;
}

std::u16string ComponentsLine(uint8_t mask) {
  std::u16string text = u"Установленные компоненты: ";
  if (mask & 1) text += u"Win; ";
  if (mask & 2) text += u"Dos; ";
  if (mask & 4) text += u"File; ";
  if (mask & 8) text += u"PrnCap; ";
  return text + u"\r\n";
}

std::u16string BuildSupportReportText(const TSupportReportParts& parts) {
  std::u16string text = u"Информация об операционной системе и процессоре:\r\n" + parts.SystemReport;
  text += u"\r\nИнформация о подсистеме печати:\r\nСписок установленных в системе принтеров:\r\n" + parts.Printers;
  text += u"Список установленных в системе драйверов:\r\n" + parts.Drivers;
  text += u"Информация о программе " + parts.ProgramTitle + u":\r\n";
  text += u"Версия программы 4.01.23\r\n";
  text += parts.DocTypes;
  text += ComponentsLine(parts.ComponentMask);
  text += u"Параметры установки:Terminal mode: " + Number(parts.TerminalServer ? 1 : 0) +
          u"; RemoteSession: " + Number(parts.RemoteSession ? 1 : 0) + u"; Service:" + Number(parts.Service ? 1 : 0) +
          u"; MultiPrn:" + Number(parts.MaxPrinterCount) + u"\r\n";
  return text;
}

TSupportView BuildSupportView(std::u16string_view email, size_t fileCount) {
  TSupportView view;
  view.EMailLabel = u"E-Mail: " + std::u16string(email);
  view.MailtoLink = u"Mailto:" + std::u16string(email);
  view.AttachEnabled = fileCount > 0;
  return view;
}

std::u16string AttachmentName(std::u16string_view path) {
  const size_t cut = path.find_last_of(u"\\:");
  return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

TAttachPlan PlanAttachments(const std::u16string& reportPath, std::span<const TListedFile> files, bool attachSpool) {
  TAttachPlan plan;
  plan.Attachments.push_back({reportPath, std::u16string(kReportAttachmentName)});
  if (!attachSpool) return plan;
  const size_t planned = 1 + std::min(files.size(), kMaxSpoolAttachments);
  int64_t total = 0;
  for (const TListedFile& file : files) {
    if (plan.Attachments.size() >= planned) break;
    if (file.Size < 0) {
      plan.Missing.push_back(file.Path);
      continue;
    }
    total += file.Size;
    if (total > kAttachmentSizeLimit) {
      plan.SizeWarning = true;
      break;
    }
    plan.Attachments.push_back({file.Path, AttachmentName(file.Path)});
  }
  return plan;
}

std::u16string SupportMailBody(std::u16string_view report) {
  return std::u16string(23, u' ') +
         u"Добрый день.\r\nПри работе с программой Tevoran-Клиент возникли следующие проблемы:\r\nОписание "
         u"проблемы:\r\n\r\nПрограмма печати документов:\r\n\r\nДополнительная информация:\r\n\r\n" +
         std::u16string(report) + u"\tС наилучшими пожеланиями, _____________________";
}

std::u16string MapiResultText(uint32_t result) {
  std::u16string what;
  switch (result) {
    case 0:
    case 1:
      return {};
    case 2: what = u"Ошибка"; break;
    case 3: what = u"Ошибка авторизации"; break;
    case 5: what = u"Недостаточно памяти"; break;
    case 11: what = u"Вложение не найдено"; break;
    case 12: what = u"Невозможно открыть вложение"; break;
    default: what = u"код " + Number(result); break;
  }
  return u"Ошибка при отправке сообщения: " + what;
}
