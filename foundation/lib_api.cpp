// Process-wide message-box state and the texts and event entries built from it.
#include "foundation/lib_api.h"

#include <atomic>
#include <mutex>

#include "foundation/lib_str.h"

namespace {
// The prefix, the title and the sink are process-wide by design (one program, one event source); jobs
// on several threads set the prefix, so every access goes through this lock.
std::mutex g_lock;
std::string g_messagePrefix;
std::u16string g_programTitle;
TMessageEventSink g_eventSink;
std::atomic<bool> g_disableGui{false};

constexpr uint16_t kCategoryError = 4;
constexpr uint16_t kCategoryWarning = 5;
constexpr uint32_t kEventError = 264;
constexpr uint32_t kEventWarning = 272;
}  // namespace

void SetMessagePrefix(std::string_view prefix) {
  std::lock_guard lock(g_lock);
  g_messagePrefix.assign(prefix);
}

std::string GetMessagePrefix() {
  std::lock_guard lock(g_lock);
  return g_messagePrefix;
}

void SetProgramTitle(std::u16string_view title) {
  std::lock_guard lock(g_lock);
  g_programTitle.assign(title);
}

std::u16string GetProgramTitle() {
  std::lock_guard lock(g_lock);
  return g_programTitle;
}

void SetDisableGUI(bool disabled) { g_disableGui.store(disabled); }

bool GetDisableGUI() { return g_disableGui.load(); }

std::optional<TMessageEvent> MessageEventOf(std::u16string_view text, uint32_t flags) {
  switch (flags & kMbIconMask) {
    case kMbIconError:
      return TMessageEvent{kEventTypeError, kCategoryError, kEventError, std::u16string(text)};
    case kMbIconWarning:
      return TMessageEvent{kEventTypeWarning, kCategoryWarning, kEventWarning, std::u16string(text)};
    default:
      return std::nullopt;
  }
}

void SetMessageEventSink(TMessageEventSink sink) {
  std::lock_guard lock(g_lock);
  g_eventSink = std::move(sink);
}

void ReportMessageEvent(std::u16string_view text, uint32_t flags) {
  const std::optional<TMessageEvent> event = MessageEventOf(text, flags);
  if (!event) return;
  TMessageEventSink sink;
  {
    std::lock_guard lock(g_lock);
    sink = g_eventSink;
  }
  // Called outside the lock: the sink may itself show or log something.
  if (sink) sink(*event);
}

std::u16string FormatErrorCodeText(uint32_t code, std::u16string_view systemText) {
  std::u16string out = u"Код ошибки: 0x";
  for (char c : IntToHex8(code)) out.push_back(static_cast<char16_t>(c));
  out += u", \"";
  out += systemText;
  out += u"\".";
  return out;
}

std::u16string TrimSystemMessage(std::u16string_view text) {
  size_t n = text.size();
  while (n > 0 && (text[n - 1] == u'\r' || text[n - 1] == u'\n' || text[n - 1] == u'.')) --n;
  return std::u16string(text.substr(0, n));
}

std::u16string QuotedNameText(std::u16string_view prefix, std::u16string_view name) {
  std::u16string out(prefix);
  out += u'"';
  out += name;
  out += u'"';
  return out;
}
