#include "ui/instprnthread.h"

#include <cstdio>

#include "foundation/lib_str.h"

namespace {

// The names are kept as the hexadecimal text of their bytes.
constexpr const char* kNt5Files[] = {"45503230302E475044",   "554E494452562E444C4C",   "554E4944525655492E444C4C",
                                     "554E494452562E484C50", "554E495245532E444C4C",   "455032345245532E444C4C",
                                     "5354444E414D45532E475044"};
constexpr const char* k9xFiles[] = {"554E494452562E444C4C", "444D434F4C4F522E444C4C", "554E494452562E484C50",
                                    "4550534F4E32342E445256", "49434F4E4C49422E444C4C"};
constexpr const char* kNt4Files[] = {"4550534F4E32342E444C4C", "52415344442E444C4C", "524153444455492E444C4C",
                                     "524153444455492E484C50"};

constexpr const char* kNtTemplate =
    "5B56657273696F6E5D0D0A5369676E6174757265203D20222457696E646F7773204E5424220D0A4C61796F757446696C"
    "65203D204C61796F75742E696E660D0A5B44656661756C74496E7374616C6C5D0D0A436F707946696C6573203D205465"
    "766F72616E2E436F707946696C65730D0A4D656469615479706520203D20536F6674776172650D0A5B44657374696E61"
    "74696F6E446972735D0D0A44656661756C74446573744469723D35320D0A5B5465766F72616E2E436F707946696C6573"
    "5D0D0A";
constexpr const char* k9xTemplate =
    "5B56657273696F6E5D0D0A5369676E6174757265203D2022244348494341474F24220D0A4C61796F757446696C65203D"
    "204C61796F75742E696E660D0A5B44656661756C74496E7374616C6C5D0D0A436F707946696C6573203D205465766F72"
    "616E2E436F707946696C65730D0A5B44657374696E6174696F6E446972735D0D0A44656661756C74446573744469723D"
    "31310D0A5465766F72616E2E436F707946696C6573203D2031310D0A5B537472696E67735D0D0A5B5465766F72616E2E"
    "436F707946696C65735D0D0A";

constexpr const char* kNtFolder = "57696E4E54256425642E";         // "WinNT%d%d."
constexpr const char* kNtFolderWide = "57696E4E5425642E25642E";   // "WinNT%d.%d."

template <size_t N>
std::vector<std::string> Decoded(const char* const (&names)[N]) {
  std::vector<std::string> out;
  for (const char* name : names) out.push_back(HexDecode(name));
  return out;
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

}  // namespace

std::u16string DriverPackOsFolder(const TInstallSystem& sys) {
  if (sys.IsWinNT) {
    const std::string format = HexDecode(sys.Major >= 10 || sys.Minor >= 10 ? kNtFolderWide : kNtFolder);
    char text[64];
    std::snprintf(text, sizeof text, format.c_str(), int(sys.Major), int(sys.Minor));
    return Widen(text) + sys.Architecture;
  }
  if (sys.IsWin95) return Widen(HexDecode("57696E3935"));
  if (sys.IsWin98) return Widen(HexDecode("57696E3938"));
  if (sys.IsWinME) return Widen(HexDecode("57696E4D45"));
  return {};
}

std::u16string DriverPackFolder(std::u16string_view programDir, const TInstallSystem& sys) {
  std::u16string folder(programDir);
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  return folder + u"DriverPack\\" + DriverPackOsFolder(sys) + u"\\";
}

std::vector<std::string> DriverFileSet(const TInstallSystem& sys) {
  if (!sys.IsWinNT) return Decoded(k9xFiles);
  if (sys.Major == 5) return Decoded(kNt5Files);
  if (sys.Major == 4) return Decoded(kNt4Files);
  return {};
}

bool NeedsDriverFiles(const TInstallSystem& sys) { return !sys.IsWinNT || sys.Major < 6; }

std::string DriverInfBytes(bool isWinNT, const std::vector<std::string>& files) {
  std::string text = HexDecode(isWinNT ? kNtTemplate : k9xTemplate);
  for (const std::string& file : files) text += file + ",,\r\n";
  if (!isWinNT) return text;
  // The names and templates are ASCII: each byte is one UTF-16 unit.
  std::string wide("\xFF\xFE", 2);
  for (const char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

bool IsOwnDriver(std::u16string_view driver, std::u16string_view modelDriver) {
  return driver == kOwnDriverName || (!modelDriver.empty() && driver == modelDriver);
}

std::u16string InstallingDriverCaption() { return u"Установка драйвера " + std::u16string(kOwnDriverName); }

std::u16string DriverFilesErrorText() {
  return u"Произошла ошибка при установке файлов драйвера \"" + std::u16string(kOwnDriverName) + u"\".";
}

std::u16string DriverErrorText(uint32_t code, std::u16string_view errorCodeText) {
  std::u16string text = u"Произошла ошибка при установке драйвера \"" + std::u16string(kOwnDriverName) + u"\".";
  if (code != 0) text += u"\r\n" + std::u16string(errorCodeText);
  return text;
}

std::u16string PrinterErrorText(std::u16string_view printer, std::u16string_view errorCodeText) {
  return u"Ошибка создания виртуального принтера \"" + std::u16string(printer) + u"\".\r\n" +
         std::u16string(errorCodeText);
}

std::u16string CreatingPrinterCaption(std::u16string_view printer) {
  return u"Создание виртуального принтера " + std::u16string(printer);
}
