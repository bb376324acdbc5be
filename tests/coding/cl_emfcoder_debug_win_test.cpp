// Blank debugging under Wine: the editor stand-in started from a path with blanks on temporary files in a
// directory with blanks, the blank imported into the registry after a quick rewrite, the exit codes, the
// export road through its dialog, and the service, where nothing starts.
#include "coding/cl_emfcoder_debug_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "coding/cl_blank_win.h"
#include "coding/cl_emfcoder.h"
#include "foundation/lib_api_win.h"
#include "foundation/lib_file_win.h"
#include "foundation/lib_reg_win.h"
#include "foundation/lib_unicode_win.h"
#include "support/coder_fakes.h"
#include "support/emf_header.h"
#include "support/file_dialog_driver.h"
#include "support/win_fixtures.h"

namespace {
const std::u16string kTestRoot = u"Software\\ClientTests\\emfdebug";
const std::u16string kCfg = kTestRoot + u"\\Config";

class EMFDebugWin : public testing::Test {
 protected:
  void SetUp() override {
    temp_ = dir_.File(u"временные файлы");
    editorDir_ = dir_.File(u"Редактор бланков");
    record_ = dir_.File(u"record");
    for (const std::u16string& d : {temp_, editorDir_, record_}) ASSERT_TRUE(CreateDirectoryW(WStr(d), nullptr));
    editor_ = editorDir_ + u"\\blank editor.exe";
    ASSERT_TRUE(CopyFileW(WStr(GetProgramDir() + u"blank_editor_standin.exe"), WStr(editor_), FALSE));
    oldTmp_ = GetEnvVar(u"TMP");
    SetEnvironmentVariableW(L"TMP", WStr(temp_));
    SetEnvironmentVariableW(L"CLIENT_EDITOR_RECORD", WStr(record_));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kCfg, u"EditorFn", editor_));
    ASSERT_TRUE(SetDebugBlank(kCfg, "AB", HKEY_CURRENT_USER));
    for (const auto& [name, value] : {std::pair<std::u16string, std::u16string>{u"SizeXY", u"21000,29700"},
                                      {u"Text1", u"100,200,9000,700,1,Счёт"}})
      ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, BlankKeyPath(kCfg, "AB"), name, value));
    coder_ = TCoder::Create<TEMFCoder>(store_, nullptr, nullptr, 0, &log_.file, TDocIdClass::CreateFromText("AB"));
    coder_->Header = A4At600Dpi();
    coder_->Texts->push_back(std::make_unique<TTextProTo>(1, u"Итого", TPoint{496, 701}, TPoint{992, 750}));
    SetMessageBoxHook([this](const TMessageBoxRequest& r) {
      boxes_.push_back(r);
      return r.Text == kBlankDebugEndText || r.Text == kBlankDebugImportedText || r.Text == kBlankDebugFailedText
                 ? answer_
                 : IDYES;
    });
  }
  void TearDown() override {
    SetMessageBoxHook(nullptr);
    SetDisableGUI(false);
    SetEnvironmentVariableW(L"TMP", oldTmp_.empty() ? nullptr : WStr(oldTmp_));
    for (const wchar_t* name : {L"CLIENT_EDITOR_RECORD", L"CLIENT_EDITOR_REWRITE", L"CLIENT_EDITOR_EXIT"})
      SetEnvironmentVariableW(name, nullptr);
  }
  void Run() {
    TWinBlankDebugHost host(kCfg, "AB", HKEY_CURRENT_USER);
    coder_->DebugBlank(host);
  }
  std::u16string BlankValue(const std::u16string& name) {
    std::u16string value;
    RegReadString(HKEY_CURRENT_USER, BlankKeyPath(kCfg, "AB"), name, value, u"<missing>");
    return value;
  }
  bool TempDirEmpty() {
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW(WStr(temp_ + u"\\*.*"), &data);
    bool empty = true;
    if (find == INVALID_HANDLE_VALUE) return true;
    do {
      if (data.cFileName[0] != L'.') empty = false;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return empty;
  }

  TTestKey key_{kTestRoot};
  TScratchDir dir_{u"emf debug"};
  std::u16string temp_, editorDir_, record_, editor_, oldTmp_;
  TMemoryStore store_;
  TMemoryLog log_;
  std::unique_ptr<TEMFCoder> coder_;
  std::vector<TMessageBoxRequest> boxes_;
  int answer_ = IDYES;
};
}  // namespace

TEST_F(EMFDebugWin, EditorRounds) {
  struct Case {
    const char* name;
    bool rewrite;
    int exitCode;
    int answer;
    bool editorBox;
    std::u16string_view question;
    bool imported;
    bool ended;
  };
  const Case cases[] = {
      {"rewritten at once, exit 0", true, 0, IDYES, false, kBlankDebugImportedText, true, true},
      {"untouched, exit 0", false, 0, IDNO, false, kBlankDebugEndText, false, false},
      {"exit 1", true, 1, IDYES, false, kBlankDebugEndText, false, true},
      {"exit 7", false, 7, IDNO, true, kBlankDebugFailedText, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    coder_->BlankMode = 2;
    ASSERT_TRUE(SetDebugBlank(kCfg, "AB", HKEY_CURRENT_USER));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, BlankKeyPath(kCfg, "AB"), u"SizeXY", u"21000,29700"));
    SetEnvironmentVariableW(L"CLIENT_EDITOR_REWRITE", c.rewrite ? L"1" : nullptr);
    SetEnvironmentVariableW(L"CLIENT_EDITOR_EXIT", std::to_wstring(c.exitCode).c_str());
    boxes_.clear();
    answer_ = c.answer;
    const std::string blankBefore = ExportBlankText(kCfg, "AB", HKEY_CURRENT_USER);
    Run();

    const std::string commandLine = ReadFixture(record_ + u"\\cmdline.txt");
    const std::u16string handed(reinterpret_cast<const char16_t*>(commandLine.data()), commandLine.size() / 2);
    EXPECT_TRUE(handed.starts_with(u"\"" + editor_ + u"\" \"" + temp_ + u"\\")) << "every part quoted";
    EXPECT_EQ(ReadFixture(record_ + u"\\handed.bln"), blankBefore + "\r\n") << "the blank is handed first";
    const std::string pageData = ReadFixture(record_ + u"\\handed.tdc");
    EXPECT_TRUE(pageData.starts_with("\xEF\xBB\xBF;Version=4.01.23")) << "page data in UTF-8 with its mark";
    EXPECT_NE(pageData.find("Text1=2100,2967,4200,3175,1,\xD0\x98\xD1\x82\xD0\xBE\xD0\xB3\xD0\xBE"), std::string::npos);
    EXPECT_TRUE(TempDirEmpty()) << "both temporary files are gone";

    ASSERT_EQ(boxes_.size(), c.editorBox ? 2u : 1u);
    if (c.editorBox) {
      EXPECT_EQ(boxes_[0].Text, u"Редактор бланков недоступен или не может быть запущен.");
    }
    const TMessageBoxRequest& question = boxes_.back();
    EXPECT_FALSE(question.Wide) << "the question is an 8-bit box";
    EXPECT_EQ(question.Text, c.question);
    EXPECT_EQ(question.Flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(question.Flags & MB_ICONMASK,
              static_cast<UINT>(c.question == kBlankDebugFailedText ? MB_ICONERROR : MB_ICONQUESTION));
    EXPECT_EQ(BlankValue(u"SizeXY"), c.imported ? u"20000,28000" : u"21000,29700");
    EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), c.ended ? "" : "AB");
  }
}

TEST_F(EMFDebugWin, ExportRoadThroughTheDialog) {
  coder_->BlankMode = 3;
  const std::u16string chosen = dir_.File(u"экспорт бланка.txt");
  const std::u16string blank = dir_.File(u"экспорт бланка.bln");
  const std::u16string pageData = dir_.File(u"экспорт бланка.tdc");
  for (bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "over existing files, confirmed" : "new files");
    boxes_.clear();
    answer_ = IDNO;
    TFileDialogDriver driver(chosen, true);
    Run();
    driver.Join();
    ASSERT_TRUE(driver.Found);
    EXPECT_EQ(ReadFixture(blank), ExportBlankText(kCfg, "AB", HKEY_CURRENT_USER) + "\r\n");
    EXPECT_TRUE(ReadFixture(pageData).starts_with("\xEF\xBB\xBF;Version=4.01.23\r\n[Main]\r\nHeader=1.00,Text,Data"));
    ASSERT_EQ(boxes_.size(), existing ? 2u : 1u);
    if (existing) {
      EXPECT_EQ(boxes_[0].Text, u"Файл \"" + blank + u"\" существует. Переписать его?");
    }
    EXPECT_EQ(boxes_.back().Text, kBlankDebugEndText);
    EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), "AB");
  }
  EXPECT_FALSE(FilePresent(chosen));
}

TEST_F(EMFDebugWin, ServiceStartsNothingAndEndsDebugging) {
  SetDisableGUI(true);
  for (uint8_t mode : {2, 3}) {
    SCOPED_TRACE(mode);
    ASSERT_TRUE(SetDebugBlank(kCfg, "AB", HKEY_CURRENT_USER));
    coder_->BlankMode = mode;
    Run();
    EXPECT_EQ(ReadFixture(record_ + u"\\cmdline.txt"), "<missing>") << "no editor started";
    EXPECT_TRUE(TempDirEmpty());
    EXPECT_TRUE(boxes_.empty()) << "no box, no dialog";
    EXPECT_EQ(GetDebugBlank(kCfg, HKEY_CURRENT_USER), "");
  }
}
