// The support report's text from fake printer and driver lists against its golden file, and the mail's
// attachments, body and result texts.
#include "ui/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "foundation/lib_codepage.h"

namespace {

const std::string kGoldenReport = std::string(CLIENT_TEST_DATA_DIR) + "/support_report.txt";

std::u16string FakeReport() {
  TPrinterReportEntry virtualPrinter;
  virtualPrinter.Name = u"Tevoran";
  virtualPrinter.PortName = u"TEVORAN:";
  virtualPrinter.DriverName = u"epson lq-1050";  // the virtual model, in another case
  virtualPrinter.PrintProcessor = u"WinPrint";
  virtualPrinter.DataType = u"RAW";
  virtualPrinter.Attributes = 0x240;
  virtualPrinter.Status = 1;
  TPrinterReportEntry laser;
  laser.Name = u"Лазерный";
  laser.IsDefault = true;
  laser.ServerName = u"\\\\SRV";
  laser.ShareName = u"laser";
  laser.PortName = u"LPT1:";
  laser.DriverName = u"HP LaserJet 4";
  laser.Comment = u"";  // present though empty
  laser.Location = u"Бухгалтерия";
  laser.Parameters = u"p=1";
  laser.Attributes = 8;
  const TPrinterReportEntry printers[] = {virtualPrinter, laser};
  TDriverReportEntry epson;
  epson.Name = u"EPSON LQ-1050";
  epson.Version = 3;
  epson.Environment = u"Windows NT x86";
  epson.DriverPath = u"C:\\drv\\unidrv.dll";
  epson.DependentFiles = u"unires.dll";
  TDriverReportEntry hp;
  hp.Name = u"HP LaserJet 4";
  hp.Version = 2;
  hp.DataFile = u"hp4.ppd";
  hp.ConfigFile = u"ui.dll";
  hp.HelpFile = u"help.hlp";
  hp.MonitorName = u"pjl";
  hp.DefaultDataType = u"EMF";
  const TDriverReportEntry drivers[] = {epson, hp};
  TSupportReportParts parts;
  parts.SystemReport = u"Windows 7 (6.1.7601)\r\nПроцессор: x86\r\n";
  parts.Printers = FormatPrinterList(printers, u"EPSON LQ-1050");
  parts.Drivers = FormatDriverList(drivers, u"EPSON LQ-1050");
  parts.ProgramTitle = u"Tevoran-Клиент";
  parts.DocTypes = u"Типы документов: SCHT\r\n";
  parts.ComponentMask = 1 | 8;
  parts.TerminalServer = true;
  parts.Service = true;
  parts.MaxPrinterCount = 2;
  return BuildSupportReportText(parts);
}

}  // namespace

// The golden file holds the report's UTF-8 bytes with their CR LF; CLIENT_REGENERATE_GOLDEN=1 rewrites it.
TEST(SupportReport, GoldenText) {
  const std::string actual = WideToUtf8(FakeReport());
  if (std::getenv("CLIENT_REGENERATE_GOLDEN")) {
    std::ofstream(kGoldenReport, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(kGoldenReport, std::ios::binary);
  ASSERT_TRUE(in) << kGoldenReport;
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(actual, expected.str());
}

TEST(SupportReport, Pieces) {
  const std::u16string report = FakeReport();
  EXPECT_NE(report.find(u"В системе найдено 2 принтер(a,ов)\r\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"\r\n\tDriver Name=\"Tevoran Printer Driver\";"), std::u16string::npos);
  EXPECT_NE(report.find(u"Tevoran Printer Driver:\r\n\tVersion=\"3\";"), std::u16string::npos) << "both lists";
  EXPECT_NE(report.find(u"\"Лазерный\" (по умолчанию) \r\n\tServer Name="), std::u16string::npos);
  EXPECT_NE(report.find(u"\r\n\tComment=\"\";"), std::u16string::npos);
  EXPECT_NE(report.find(u"Установленные компоненты: Win; PrnCap; \r\n"), std::u16string::npos);
  EXPECT_NE(report.find(u"Параметры установки:Terminal mode: 1; RemoteSession: 0; Service:1; MultiPrn:2\r\n"),
            std::u16string::npos);
  EXPECT_EQ(ComponentsLine(0xFF), u"Установленные компоненты: Win; Dos; File; PrnCap; \r\n");
}

TEST(SupportMail, Attachments) {
  std::vector<TListedFile> forty;
  for (int i = 0; i < 40; ++i) forty.push_back({u"C:\\spool\\" + Utf8ToWide(std::to_string(i)) + u".spl", 100});
  const struct {
    std::vector<TListedFile> files;
    bool attach;
    size_t attachments;
    bool warning;
    size_t missing;
    const char* why;
  } cases[] = {
      {forty, true, 31, false, 0, "40 files: 30 besides the report"},
      {forty, false, 1, false, 0, "unchecked: the report alone"},
      {{{u"C:\\big.spl", kAttachmentSizeLimit + 1}, {u"C:\\a.spl", 1}}, true, 1, true, 0, "a first file over 512 KB"},
      {{{u"C:\\a.spl", kAttachmentSizeLimit}, {u"C:\\b.spl", 1}}, true, 2, true, 0, "the limit itself still fits"},
      {{{u"C:\\gone.spl", -1}, {u"C:\\a.spl", 5}}, true, 2, false, 1, "a gone file is skipped"},
      {{}, true, 1, false, 0, "no files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const TAttachPlan plan = PlanAttachments(u"C:\\TEMP\\1A2B3C4D.TMP", c.files, c.attach);
    ASSERT_EQ(plan.Attachments.size(), c.attachments);
    EXPECT_EQ(plan.Attachments[0].Path, u"C:\\TEMP\\1A2B3C4D.TMP");
    EXPECT_EQ(plan.Attachments[0].Name, u"report.txt");
    EXPECT_EQ(plan.SizeWarning, c.warning);
    EXPECT_EQ(plan.Missing.size(), c.missing);
  }
  EXPECT_EQ(AttachmentName(u"C:\\spool\\00012.spl"), u"00012.spl");
  EXPECT_EQ(AttachmentName(u"C:job.spl"), u"job.spl");
  EXPECT_EQ(AttachmentName(u"plain"), u"plain");
}

TEST(SupportMail, BodyViewAndResults) {
  const std::u16string body = SupportMailBody(u"REPORT");
  EXPECT_EQ(body.find_first_not_of(u' '), 23u);
  EXPECT_EQ(body.substr(23, 13), u"Добрый день.\r");
  EXPECT_NE(body.find(u"\r\n\r\nREPORT\tС наилучшими пожеланиями, _____________________"), std::u16string::npos);
  const TSupportView view = BuildSupportView(u"support@tevoran.example", 0);
  EXPECT_EQ(view.EMailLabel, u"E-Mail: support@tevoran.example");
  EXPECT_EQ(view.MailtoLink, u"Mailto:support@tevoran.example");
  EXPECT_FALSE(view.AttachEnabled);
  EXPECT_TRUE(BuildSupportView(u"x", 1).AttachEnabled);
  const struct {
    uint32_t result;
    std::u16string text;
  } results[] = {
      {0, u""},
      {1, u""},
      {2, u"Ошибка при отправке сообщения: Ошибка"},
      {3, u"Ошибка при отправке сообщения: Ошибка авторизации"},
      {5, u"Ошибка при отправке сообщения: Недостаточно памяти"},
      {11, u"Ошибка при отправке сообщения: Вложение не найдено"},
      {12, u"Ошибка при отправке сообщения: Невозможно открыть вложение"},
      {26, u"Ошибка при отправке сообщения: код 26"},
  };
  for (const auto& r : results) EXPECT_EQ(MapiResultText(r.result), r.text) << r.result;
}
