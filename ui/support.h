// The support report and its mail: the report's text from what the system lists, the attachments a
// mail carries, its body and the texts of Simple MAPI's results. The dialog in support_win shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::u16string_view kSupportCaption = u"Отчет в службу поддержки Tevoran";
inline constexpr std::u16string_view kSupportClass = u"TTevoranSupport";
// The name the report gives the virtual printers' driver model.
inline constexpr std::u16string_view kVirtualDriverTitle = u"Tevoran Printer Driver";
inline constexpr std::u16string_view kSupportSubject = u"Отчет об ошибке Tevoran-Клиент";
inline constexpr std::u16string_view kSupportRecipient = u"Tevoran Support";
inline constexpr std::u16string_view kReportAttachmentName = u"report.txt";
inline constexpr std::u16string_view kAttachmentSizeWarning =
    u"Размер вложения превышает 512КВ, часть файлов не будет вложена";
inline constexpr int64_t kAttachmentSizeLimit = 524288;
// Besides the report.
inline constexpr size_t kMaxSpoolAttachments = 30;

// One printer of the system's level-2 list; an absent field is one the system gave no text for.
struct TPrinterReportEntry {
  std::u16string Name;
  bool IsDefault = false;
  std::optional<std::u16string> ServerName, ShareName, PortName, DriverName, Comment, Location, PrintProcessor,
      DataType, Parameters;
  uint32_t Attributes = 0;
  uint32_t Status = 0;
};

// One driver of the system's level-3 list; DependentFiles is the list's first name.
struct TDriverReportEntry {
  std::u16string Name;
  uint32_t Version = 0;
  std::optional<std::u16string> Environment, DriverPath, DataFile, ConfigFile, HelpFile, DependentFiles, MonitorName,
      DefaultDataType;
};

// virtualModel: the driver model of the virtual printers, shown as kVirtualDriverTitle (any case).
std::u16string FormatPrinterList(std::span<const TPrinterReportEntry> printers, std::u16string_view virtualModel);
std::u16string FormatDriverList(std::span<const TDriverReportEntry> drivers, std::u16string_view virtualModel);
// "Установленные компоненты: " and the first four bits' names, CR LF.
std::u16string ComponentsLine(uint8_t mask);

struct TSupportReportParts {
  std::u16string SystemReport;
  std::u16string Printers;  // FormatPrinterList
  std::u16string Drivers;   // FormatDriverList
  std::u16string ProgramTitle;
  std::u16string DocTypes;
  uint8_t ComponentMask = 0;
  bool TerminalServer = false;
  bool RemoteSession = false;
  bool Service = false;
  int32_t MaxPrinterCount = 0;
};
std::u16string BuildSupportReportText(const TSupportReportParts& parts);

// What the dialog shows besides the report.
struct TSupportView {
  std::u16string EMailLabel;
  std::u16string MailtoLink;
  bool AttachEnabled = false;  // only with files to attach; checked either way
};
TSupportView BuildSupportView(std::u16string_view email, size_t fileCount);

// A file listed for the mail; Size -1 when it is gone.
struct TListedFile {
  std::u16string Path;
  int64_t Size = -1;
};
struct TAttachment {
  std::u16string Path;
  std::u16string Name;
};
struct TAttachPlan {
  std::vector<TAttachment> Attachments;  // the report first
  bool SizeWarning = false;
  std::vector<std::u16string> Missing;  // skipped: a mail with a missing file fails whole
};
// attachSpool: the check box enabled and checked.
TAttachPlan PlanAttachments(const std::u16string& reportPath, std::span<const TListedFile> files, bool attachSpool);
// The part after the last "\" or ":".
std::u16string AttachmentName(std::u16string_view path);
std::u16string SupportMailBody(std::u16string_view report);
// Empty for success (0) and the user's cancel (1); else the error box's text.
std::u16string MapiResultText(uint32_t result);
