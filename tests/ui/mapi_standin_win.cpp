// A stand-in mapi32.dll for the mailer's tests (Wine's MAPISendMail is a stub): MAPISendMail writes what
// it received to the file named by CLIENT_MAPI_STANDIN_LOG, one "key=value" line each, texts as
// hexadecimal bytes, and answers the number in CLIENT_MAPI_STANDIN_RESULT (0 without it).
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Hex(const char* text) {
  if (!text) return "(nil)";
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    out += digits[*p >> 4];
    out += digits[*p & 15];
  }
  return out;
}

std::string Env(const char* name) {
  char buffer[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableA(name, buffer, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

void Line(std::FILE* f, const char* key, const std::string& value) { std::fprintf(f, "%s=%s\n", key, value.c_str()); }

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(LHANDLE session, ULONG_PTR uiParam, lpMapiMessage message,
                                                            FLAGS flags, ULONG reserved) {
  const std::string logName = Env("CLIENT_MAPI_STANDIN_LOG");
  if (!logName.empty() && message) {
    if (std::FILE* f = std::fopen(logName.c_str(), "wb")) {
      Line(f, "session", std::to_string(session));
      Line(f, "parent", std::to_string(uiParam));
      Line(f, "flags", std::to_string(flags));
      Line(f, "reserved", std::to_string(reserved));
      Line(f, "subject", Hex(message->lpszSubject));
      Line(f, "note", Hex(message->lpszNoteText));
      Line(f, "type", Hex(message->lpszMessageType));
      Line(f, "messageFlags", std::to_string(message->flFlags));
      Line(f, "originator", message->lpOriginator ? Hex(message->lpOriginator->lpszName) : "(nil)");
      Line(f, "recipients", std::to_string(message->nRecipCount));
      for (ULONG i = 0; i < message->nRecipCount && message->lpRecips; ++i) {
        const MapiRecipDesc& r = message->lpRecips[i];
        Line(f, "recipient", std::to_string(r.ulRecipClass) + "," + Hex(r.lpszName) + "," + Hex(r.lpszAddress));
      }
      Line(f, "files", std::to_string(message->nFileCount));
      for (ULONG i = 0; i < message->nFileCount && message->lpFiles; ++i) {
        const MapiFileDesc& d = message->lpFiles[i];
        // The file must exist while the mail client has it: record whether it does.
        const bool present = d.lpszPathName && GetFileAttributesA(d.lpszPathName) != INVALID_FILE_ATTRIBUTES;
        Line(f, "file",
             std::to_string(d.flFlags) + "," + std::to_string(d.nPosition) + "," + Hex(d.lpszPathName) + "," +
                 Hex(d.lpszFileName) + "," + (present ? "present" : "missing"));
      }
      std::fclose(f);
    }
  }
  const std::string result = Env("CLIENT_MAPI_STANDIN_RESULT");
  return result.empty() ? 0 : static_cast<ULONG>(std::strtoul(result.c_str(), nullptr, 10));
}
