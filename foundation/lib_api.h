// Process-wide state of the program's message boxes (prefix line, program title, service mode), the
// event-log copy of error and warning boxes, and the standard error texts; the boxes are in lib_api_win.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Values of the Windows headers, for the core that includes none.
inline constexpr uint32_t kMbIconMask = 0x70;
inline constexpr uint32_t kMbIconError = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconWarning = 0x30;
inline constexpr int kIdCancel = 2;
inline constexpr uint16_t kEventTypeError = 0x0001;
inline constexpr uint16_t kEventTypeWarning = 0x0002;

inline constexpr std::u16string_view kCaptionError = u"Ошибка!";
inline constexpr std::u16string_view kCaptionWarning = u"Внимание!";

// The first line of every message while a job is coded; 8-bit text. Several threads may set and read
// it, so it is kept under a lock and handed out as a copy.
void SetMessagePrefix(std::string_view prefix);
std::string GetMessagePrefix();
// Caption prefix of every box and name of the event source.
void SetProgramTitle(std::u16string_view title);
std::u16string GetProgramTitle();
// Set while the process runs as the monitor service: boxes show nothing and answer Cancel.
void SetDisableGUI(bool disabled);
bool GetDisableGUI();

// One event-log entry copied from a box.
struct TMessageEvent {
  uint16_t Type = 0;
  uint16_t Category = 0;
  uint32_t EventId = 0;
  std::u16string Text;
  friend bool operator==(const TMessageEvent&, const TMessageEvent&) = default;
};

// The entry a box with these flags is copied to: errors and warnings only.
std::optional<TMessageEvent> MessageEventOf(std::u16string_view text, uint32_t flags);

// Where box copies go: the process's event source once the log has registered one (none before that,
// and none on the 9x family). An empty sink reports nothing.
using TMessageEventSink = std::function<void(const TMessageEvent&)>;
void SetMessageEventSink(TMessageEventSink sink);
void ReportMessageEvent(std::u16string_view text, uint32_t flags);

// "Код ошибки: 0x0000000A, "<text>"." for a code and the system's text for it.
std::u16string FormatErrorCodeText(uint32_t code, std::u16string_view systemText);
// The system's message without the line breaks and periods it ends with.
std::u16string TrimSystemMessage(std::u16string_view text);
// A prefix followed by the name in quotation marks, as the error texts that name a file or printer are.
std::u16string QuotedNameText(std::u16string_view prefix, std::u16string_view name);
