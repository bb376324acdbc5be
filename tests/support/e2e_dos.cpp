// Invoices printed by a DOS program on each command set, and the configuration that codes them.
#include "support/e2e_dos.h"

#include <algorithm>

#include "foundation/cl_tools_config.h"
#include "foundation/lib_codepage.h"
#include "support/coder_fakes.h"
#include "support/e2e_fixtures.h"
#include "support/golden.h"
#include "support/memory_store.h"

namespace {

const std::u16string kPrinters = SubKeyPath(kConfigDosKey, u"Printers");

// UTF-8 source text as a DOS program prints it.
std::string Cp866(std::string_view utf8) { return EncodeCodePage(Utf8ToWide(utf8), kCodePage866); }

std::string Padded(std::string text, size_t width) {
  const size_t length = Utf8ToWide(text).size();
  if (length < width) text.append(width - length, ' ');
  return text;
}

// Whether part is whole with some of its line feeds taken out and nothing else.
bool LessLineFeeds(std::string_view whole, std::string_view part) {
  size_t j = 0;
  for (char c : whole) {
    if (j < part.size() && part[j] == c)
      ++j;
    else if (c != '\n')
      return false;
  }
  return j == part.size();
}

const TE2EDocument* DemoDocument(std::string_view id) {
  for (const TE2EDocument& doc : E2EDocuments())
    if (doc.DocId == id) return &doc;
  return nullptr;
}

}  // namespace

const std::vector<TDosForm>& DosForms() {
  static const std::vector<TDosForm> forms = {
      {"pcl_rastr", u"HP LaserJet 4", u"Rastr", u"300,300,Rastr", "\x1B&l6D\x1B(s10H", TPinDialect::Ibm},
      {"pcl_rect", u"HP LaserJet 4", u"Rect", u"300,300,Rect", "\x1B&l6D\x1B(s10H", TPinDialect::Ibm},
      {"pcl_rectmf", u"HP LaserJet 4", u"RectMF", u"600,600,RectMF", "\x1B&l6D\x1B(s10H", TPinDialect::Ibm},
      {"pcl_hpgl", u"HP LaserJet 4", u"HPGL", u"300,300,HPGL", "\x1B&l6D\x1B(s10H", TPinDialect::Ibm},
      {"escp9_8pin", u"EPSON FX-1050 9-pin", u"Image8", u"120,72,8,#1B*#01%w%s#1BJ#18", "\x1B@\x1B\x32",
       TPinDialect::EscP9},
      {"escp9_9pin", u"EPSON FX-1050 9-pin", u"Image9", u"120,72,9,#1B^#01%w%s#1BJ#1B", "\x1B@\x1B\x32",
       TPinDialect::EscP9},
      {"escp24", u"EPSON LQ-2550 24-pin", u"Image24", u"180,180,24,#1B*#27%w%s#1BJ#18", "\x1B@\x1B\x32",
       TPinDialect::EscP24},
      {"ibm", u"IBM Proprinter III", u"Image8", u"120,72,8,#1BL%w%s#1BJ#18", "\x1B:\x12", TPinDialect::Ibm},
      {"tally", u"MANNESMANN Tally MT 130", u"Plot", u"144,144,MTPlot", "\x1BP@", TPinDialect::Ibm},
  };
  return forms;
}

std::u16string TDosInvoice::Payload() const {
  std::string sum = Sum;
  sum.erase(std::remove(sum.begin(), sum.end(), ' '), sum.end());
  return Utf8ToWide("NUM:" + Number + "\tDATE:" + Date + "\tSUM:" + sum + "\tORG:ООО Ромашка\t");
}

const std::vector<TDosInvoice>& DosInvoices() {
  static const std::vector<TDosInvoice> invoices = {
      {"2024/117", "12.03.2024", "15 300,00"},
      {"2024/118", "14.03.2024", "980,50"},
      {"2024/121", "01.04.2024", "1 204 000,00"},
  };
  return invoices;
}

bool WriteDosConfig(TSettingsStore& store, const TDosForm& form, const TDosPlacement& placement) {
  // The goods note's type comes first in the order: the invoices are known by the second type tried.
  for (std::string_view id : {std::string_view("TORG"), kDosInvoiceId}) {
    const TE2EDocument* doc = DemoDocument(id);
    if (!doc || !WriteE2EConfig(store, kConfigDosKey, *doc)) return false;
  }
  const std::u16string invoiceKey = SubKeyPathA(store, kConfigDosKey, kDosInvoiceId);
  store.WriteInteger(SubKeyPath(invoiceKey, u"Code"), u"ModuleSize", kDosModuleSize);
  store.WriteInteger(invoiceKey, u"PicTop", placement.PicTop);
  store.WriteInteger(invoiceKey, u"PicPlace", placement.PicPlace);
  store.WriteInteger(invoiceKey, u"Strings", placement.Strings);
  store.WriteText(kConfigDosKey, u"DocOrder", u"TORG,SCHT");
  store.WriteText(kPrinters, u"Pitch", u"10");
  store.WriteText(kPrinters, u"Spacing", u"6");
  store.WriteInteger(kPrinters, u"TabSize", 8);
  for (const TDosForm& f : DosForms()) {
    const std::u16string model = SubKeyPath(kPrinters, f.Model);
    store.WriteText(SubKeyPath(model, u"Modes"), f.Mode, f.ModeValue);
    store.WriteText(model, u"Mode", f.Mode);
  }
  store.WriteText(SubKeyPath(kPrinters, form.Model), u"Mode", form.Mode);
  store.WriteText(kPrinters, u"Model", form.Model);
  return true;
}

std::string DosInvoiceStream(const TDosForm& form, const TDosInvoice& invoice, bool formFeed) {
  const size_t inner = 36;
  const auto row = [&](std::string_view label, const std::string& value) {
    return "║ " + Padded(std::string(label), 10) + Padded(value, inner - 11) + "║\r\n";
  };
  std::string rule;
  for (size_t i = 0; i < inner; ++i) rule += "═";
  const std::string page =
      "          СЧЁТ НА ОПЛАТУ\r\n"
      "\r\n"
      "╔" +
      rule + "╗\r\n" + row("Номер", "№ " + invoice.Number) + row("Дата", invoice.Date) +
      row("Сумма", invoice.Sum + " руб.") + "╚" + rule +
      "╝\r\n"
      "\r\n"
      "Руководитель ____________\r\n"
      "\r\n";
  return form.Setup + Cp866(page) + (formFeed ? "\f" : "");
}

std::string DosLetterStream(const TDosForm& form) {
  return form.Setup + Cp866(
                          "          ПИСЬМО\r\n"
                          "\r\n"
                          "Уважаемые коллеги!\r\n"
                          "Направляем вам акт сверки за март.\r\n"
                          "\r\n"
                          "С уважением, бухгалтерия\r\n\f");
}

TDosPrintedCodes SplitPrintedJob(const TDosExpectedJob& expected, std::string_view printed) {
  TDosPrintedCodes result;
  const std::string_view bytes = expected.Bytes;
  size_t at = 0;    // in printed
  size_t from = 0;  // in the expected bytes, after the last code
  for (size_t i = 0; i <= expected.Codes.size(); ++i) {
    const size_t to = i < expected.Codes.size() ? expected.Codes[i].Offset : bytes.size();
    const std::string_view known = bytes.substr(from, to - from);
    if (i > 0) {
      // The previous code's commands run up to where the known bytes come again.
      const size_t found = known.empty() && i == expected.Codes.size() ? printed.size() : printed.find(known, at);
      if (found == std::string_view::npos) {
        result.Error = "the bytes after code " + std::to_string(i - 1) + " are not printed";
        return result;
      }
      result.Commands.emplace_back(printed.substr(at, found - at));
      at = found;
    }
    if (printed.substr(at, known.size()) != known) {
      result.Error = "the bytes before code " + std::to_string(i) +
                     " differ: " + FirstDifference(std::string(printed.substr(at, known.size())), std::string(known));
      return result;
    }
    at += known.size();
    if (i < expected.Codes.size()) from = to + expected.Codes[i].Commands.size();
  }
  if (at != printed.size()) result.Error = std::to_string(printed.size() - at) + " bytes printed after the job";
  return result;
}

std::string CodeDosPage(TRAWCoder& coder, std::string_view stream, std::string& commands) {
  if (!coder.LoadParam()) return "LoadParam";
  TByteReader reader(std::span(reinterpret_cast<const uint8_t*>(stream.data()), stream.size()));
  bool pageEnded = false;
  int32_t errors = 0;
  TDosPrinterState state = coder.PrinterState;
  if (!coder.ParsePage(reader, pageEnded, -1, errors, state)) return "ParsePage";
  if (!coder.Recognize()) return "Recognize";
  const TFixedSeeds seeds;
  if (!coder.MakeCode(0)) return "MakeCode";
  if (!coder.MakeCodeCommands(commands) || commands.empty()) return "MakeCodeCommands";
  return {};
}

std::vector<TDosJobDocument> DosJobDocuments(const TDosForm& form) {
  return {{DosInvoiceStream(form, DosInvoices()[0], true), 0},
          {DosLetterStream(form), -1},
          {DosInvoiceStream(form, DosInvoices()[1], true), 1},
          {DosInvoiceStream(form, DosInvoices()[2], false), 2}};
}

std::string DosJobFile(const std::vector<TDosJobDocument>& documents) {
  std::string file;
  for (const TDosJobDocument& doc : documents) file += doc.Bytes;
  return file;
}

TDosExpectedJob ExpectedDosJob(const TDosForm& form, const std::vector<TDosJobDocument>& documents,
                               std::string_view copies, const TDosPlacement& placement) {
  TDosExpectedJob job;
  for (const TDosJobDocument& doc : documents) {
    if (doc.Invoice < 0) {
      job.Bytes += doc.Bytes;
      continue;
    }
    const TDosPageRun run(form, doc.Bytes, placement);
    if (!run.FailedStage.empty()) {
      job.Error = "invoice " + std::to_string(doc.Invoice) + ": " + run.FailedStage;
      return job;
    }
    const TRAWCoder* coder = run.Coder.get();
    const std::string& commands = run.Commands;
    const size_t at = static_cast<size_t>(coder->CodePosition);
    const std::string rest = at > doc.Bytes.size() ? std::string()
                             : coder->TrimTrail    ? coder->TrailingData
                                                   : doc.Bytes.substr(at);
    if (at > doc.Bytes.size() || !LessLineFeeds(std::string_view(doc.Bytes).substr(at), rest)) {
      job.Error = "invoice " + std::to_string(doc.Invoice) + ": the rest after the code is not the document's";
      return job;
    }
    const bool formFeedEnded = !doc.Bytes.empty() && doc.Bytes.back() == '\f';
    for (size_t k = 0; k < copies.size(); ++k) {
      if (copies[k] == 'C') {
        job.Bytes += doc.Bytes.substr(0, at) + (coder->BreakBeforeCode ? "\f\r" : "");
        job.Codes.push_back({commands, coder->AztCoder->Data(), coder->Picture, GeometryOf(*coder), job.Bytes.size()});
        job.Bytes += commands + rest;
      } else {
        job.Bytes += doc.Bytes;
      }
      if (k + 1 < copies.size()) job.Bytes += formFeedEnded ? "\r" : "\f\r";
    }
  }
  return job;
}

TDosPageRun::TDosPageRun(const TDosForm& form, std::string bytes, const TDosPlacement& placement)
    : Stream(std::move(bytes)) {
  TDosPrinterState state;
  if (!WriteDosConfig(Store, form, placement) || !ReadDosDefaults(Store, state)) {
    FailedStage = "the demo configuration";
    return;
  }
  Coder = TCoder::Create<TRAWCoder>(Store, TDocIdClass::CreateFromText(std::string(kDosInvoiceId)), nullptr, state, 0,
                                    &Log.file, u"");
  Coder->CodeServices = &Services;
  FailedStage = CodeDosPage(*Coder, Stream, Commands);
}

TDosCodeGeometry GeometryOf(const TRAWCoder& coder) {
  return {coder.OutputMode,       coder.DpiX, coder.Model, coder.CurrentPitch, coder.PictureWidth, coder.PictureHeight,
          coder.Format.ModuleSize};
}

TDosReadBack ReadDosCode(const TDosCodeGeometry& g, std::string_view commands) {
  TReadCode read;
  int32_t rowShift = 0;
  if (g.OutputMode == kModeMTPlot) {
    read = ReadTallyPlot(commands);
  } else if (g.OutputMode < 0) {
    read = ReadPclCode(commands, g.DpiX);
    // RR fills from the pen upward (Y grows up): each row is drawn over the row above its place.
    if (g.OutputMode == kModeHPGL) rowShift = -1;
  } else {
    const TDosForm* form = nullptr;
    for (const TDosForm& f : DosForms())
      if (std::u16string_view(f.Model) == g.Model) form = &f;
    if (!form) return {{}, "no form of the model"};
    read = ReadBitImage(commands, form->Dialect, g.Pitch);
  }
  return {SampleModules(read, g.Width, g.Height, g.ModuleSize, rowShift), read.Error};
}

std::string FirstDifference(const std::string& got, const std::string& expected) {
  size_t i = 0;
  while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
  if (i == got.size() && i == expected.size()) return "equal";
  return "first difference at " + std::to_string(i) + " of " + std::to_string(got.size()) + " (expected " +
         std::to_string(expected.size()) + "): got " + HexOf(std::string_view(got).substr(i, 16)) + ", expected " +
         HexOf(std::string_view(expected).substr(i, 16));
}
