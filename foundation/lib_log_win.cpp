// The log on Windows: file, date and time texts, boxes and the event source.
#include "foundation/lib_log_win.h"

#include <windows.h>

#include <atomic>
#include <mutex>

#include "foundation/cl_tools_config_win.h"
#include "foundation/lib_api.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_sysinfo_win.h"
#include "foundation/lib_unicode_win.h"

namespace {
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

// Process-wide seams, set once at start-up (or by a test) and read by every log.
std::atomic<TSystemDescriptionSource> g_descriptionSource{nullptr};
std::mutex g_factoryLock;
TEventSinkFactory g_sinkFactory;

class TEventLogSink : public TEventSink {
 public:
  explicit TEventLogSink(HANDLE source) : source_(source) {}
  void Report(const TMessageEvent& event) override {
    const wchar_t* strings[1] = {WStr(event.Text)};
    const WORD count = event.Text.empty() ? 0 : 1;
    ReportEventW(source_.Get(), event.Type, event.Category, event.EventId, nullptr, count, 0, count ? strings : nullptr,
                 nullptr);
  }

 private:
  TEventSource source_;
};

// The application log's source, shared with the message boxes until the log closes it.
class TPublishedSink : public TEventSink {
 public:
  explicit TPublishedSink(std::shared_ptr<TEventSink> sink) : sink_(std::move(sink)) {
    std::shared_ptr<TEventSink> shared = sink_;
    SetMessageEventSink([shared](const TMessageEvent& e) { shared->Report(e); });
  }
  ~TPublishedSink() override { SetMessageEventSink({}); }
  void Report(const TMessageEvent& event) override { sink_->Report(event); }

 private:
  std::shared_ptr<TEventSink> sink_;
};

std::u16string WithFormat(bool date) {
  if (UseWideApi()) {
    wchar_t buf[128];
    const int n = date ? GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, 128)
                       : GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, 128);
    return n > 1 ? FromWStr(buf, static_cast<size_t>(n - 1)) : std::u16string();
  }
  char buf[128];
  const int n = date ? GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, 128)
                     : GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buf, 128);
  return n > 1 ? AnsiToWide(std::string_view(buf, static_cast<size_t>(n - 1))) : std::u16string();
}

class TWindowsLogHost : public TLogHost {
 public:
  explicit TWindowsLogHost(bool publish) : publish_(publish) {}

  bool NTFamily() const override { return UseWideApi(); }
  bool DirectoryExists(const std::u16string& dir) const override { return DirectoryExistsW(dir); }
  std::u16string DateText() const override { return WithFormat(true); }
  std::u16string TimeText() const override { return WithFormat(false); }
  uint32_t TickCount() const override { return GetTickCount(); }
  std::u16string FromAnsi(std::string_view text) const override { return AnsiToWide(text); }
  bool AppendLine(const std::u16string& fileName, std::u16string_view text) override {
    if (UseWideApi()) return AppendTextLine(fileName, text, TTextEncoding::Utf8);
    return AppendTextLineA(fileName, WideToAnsi(text));
  }
  void ShowFileWriteError(const std::u16string& fileName) override { ::ShowFileWriteError(fileName); }
  void ShowError(std::u16string_view text) override { ShowErrorMsg(text); }
  std::unique_ptr<TEventSink> OpenEventSource() override {
    const std::u16string title = GetProgramTitle();
    if (!UseWideApi() || title.empty()) return nullptr;
    InstallEventSource(title, MessageModulePath());
    TEventSinkFactory factory;
    {
      std::lock_guard<std::mutex> guard(g_factoryLock);
      factory = g_sinkFactory;
    }
    std::unique_ptr<TEventSink> sink;
    if (factory) {
      sink = factory(title);
    } else if (HANDLE source = RegisterEventSourceW(nullptr, WStr(title))) {
      sink = std::make_unique<TEventLogSink>(source);
    }
    if (!sink || !publish_) return sink;
    return std::make_unique<TPublishedSink>(std::shared_ptr<TEventSink>(std::move(sink)));
  }
  std::u16string SystemDescription() override {
    TSystemDescriptionSource source = g_descriptionSource.load();
    if (source) return source();
    const std::u16string stored = SystemReportText();
    return stored.empty() ? GetSystemReport() : stored;
  }

 private:
  bool publish_;
};

bool SetExpandString(HKEY key, const wchar_t* name, const std::u16string& value) {
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(WStr(value)), bytes) ==
         ERROR_SUCCESS;
}

bool SetDword(HKEY key, const wchar_t* name, DWORD value) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}
}  // namespace

bool InstallEventSource(const std::u16string& title, const std::u16string& modulePath) {
  if (title.empty() || title.find(u'\\') != std::u16string::npos) return false;
  const std::u16string path = std::u16string(kEventLogApplicationKey) + title;
  TRegKey key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, WStr(path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.Receive(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  return SetExpandString(key.Get(), L"EventMessageFile", modulePath) &&
         SetExpandString(key.Get(), L"CategoryMessageFile", modulePath) &&
         SetDword(key.Get(), L"TypesSupported", kTypesSupported) &&
         SetDword(key.Get(), L"CategoryCount", kEventCategoryCount);
}

std::u16string MessageModulePath() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&MessageModulePath), &module);
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(module, buf, MAX_PATH);
  return n > 0 && n < MAX_PATH ? FromWStr(buf, n) : std::u16string();
}

void SetSystemDescriptionSource(TSystemDescriptionSource source) { g_descriptionSource.store(source); }

void SetEventSinkFactoryForTesting(TEventSinkFactory factory) {
  std::lock_guard<std::mutex> guard(g_factoryLock);
  g_sinkFactory = std::move(factory);
}

TLogHost& WindowsLogHost() {
  static TWindowsLogHost host(false);
  return host;
}

TLogHost& ApplicationLogHost() {
  static TWindowsLogHost host(true);
  return host;
}

std::unique_ptr<TLogFile> CreateLogFile(std::u16string_view configKey, bool hold) {
  return std::make_unique<TLogFile>(WindowsLogHost(), GetLogFileName(MachineSettingsStore(), configKey), hold);
}

std::unique_ptr<TLogFile> CreateApplicationLog(std::u16string_view configKey, bool hold) {
  return std::make_unique<TLogFile>(ApplicationLogHost(), GetLogFileName(MachineSettingsStore(), configKey), hold);
}
