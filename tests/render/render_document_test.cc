// The render procedure over the recording printer: the messages of a job, pages and page breaks,
// where each character lands, the control bytes, the orientation taken from the file's first bytes,
// and the ends of a run that cannot finish.
#include "render/render_document.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "render/render_state.h"
#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

class RenderDocumentTest : public EngineFixture {
 protected:
  std::string StartLine() const {
    return "Zaczynam przetwarzać dokument:" + job.InputFileName + " na drukarkę:Fake Printer\n";
  }
  static std::string Lines(int count, const std::string& line = "x") {
    std::string text;
    for (int i = 0; i < count; ++i) text += line + "\r\n";
    return text;
  }
  // How many characters each page holds.
  std::vector<std::size_t> TextsPerPage() const {
    std::vector<std::size_t> counts;
    for (const RecordedPage& page : Pages()) counts.push_back(page.Texts.size());
    return counts;
  }
};

TEST_F(RenderDocumentTest, StartOfJobMessagesFollowTheSettings) {
  struct Case {
    std::string Name;
    std::function<void(TJobSettings&)> Set;
    std::string Lines;  // between the start line and the first page message
  };
  const Case cases[] = {
      {"defaults", [](TJobSettings&) {}, ""},
      {"delete", [](TJobSettings& s) { s.DeleteAfterPrint = true; }, " * usuwam plik po wydrukowaniu\n"},
      {"page height", [](TJobSettings& s) { s.ForceFF = true; },
       "* automatyczny podział na strony wg wielkości strony\n"},
      {"line count", [](TJobSettings& s) { s.ForceFF = s.FFLines = true; s.FFNLines = 7; },
       "* automatyczny podział na strony co 7 wierszy\n"},
      {"line count without breaks", [](TJobSettings& s) { s.FFLines = true; }, ""},
      {"Mazovia", [](TJobSettings& s) { s.CodePage = CodePageId::Mazovia; }, " * PL : MAZowia\n"},
      {"180", [](TJobSettings& s) { s.Scale216 = false; }, " * opcja : skala iteracji 180\n"},
      {"all",
       [](TJobSettings& s) {
         s.DeleteAfterPrint = s.ForceFF = s.FFLines = true;
         s.CodePage = CodePageId::Mazovia;
         s.Scale216 = false;
       },
       " * usuwam plik po wydrukowaniu\n* automatyczny podział na strony co 60 wierszy\n"
       " * PL : MAZowia\n * opcja : skala iteracji 180\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    system.Documents.clear();
    out.str("");
    job.Settings = TJobSettings{};
    c.Set(job.Settings);
    EXPECT_EQ(Render("A"), TRenderOutcome::Completed);
    EXPECT_EQ(Output(), StartLine() + c.Lines + "Wydruk strony # 1\nZadanie wykonano\n");
  }

  // The printer named is the selected one.
  system.Printers.push_back(FakePrinter{.Name = "Laser Biuro"});
  printer.ReloadLists();
  printer.SetSelectedIndex(1);
  system.Documents.clear();
  Render("A");
  EXPECT_EQ(Document().Printer, "Laser Biuro");
  EXPECT_NE(Output().find(" na drukarkę:Laser Biuro\n"), std::string::npos);
}

TEST_F(RenderDocumentTest, APageMessageComesWhenThePagesFirstByteIsRead) {
  Render("A\f\fB\f");
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A", "", "B"}));
  EXPECT_EQ(Output(), StartLine() + "Wydruk strony # 1\nWydruk strony # 2\nWydruk strony # 3\nZadanie wykonano\n");

  system.Documents.clear();
  out.str("");
  job.Settings.ShowMessages = false;
  Render("A\f\fB\f");
  EXPECT_EQ(Pages().size(), 3u);
  EXPECT_EQ(Output(), "");
}

TEST_F(RenderDocumentTest, FormFeedsMakePagesOnlyBeforeAByte) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {""}},
      {"\f", {""}},
      {"A\f", {"A"}},
      {"\f\fA", {"", "", "A"}},
      {"A\f\fB", {"A", "", "B"}},
      {"A\f\r\nB", {"A", "B"}},
  };
  for (const auto& [input, pages] : cases) {
    SCOPED_TRACE(::testing::PrintToString(input));
    system.Documents.clear();
    EXPECT_EQ(Render(input), TRenderOutcome::Completed);
    EXPECT_EQ(PageTexts(), pages);
    EXPECT_TRUE(Document().Finished);
  }
  // The byte after a break starts the new page at its top-left, whatever line it was on.
  system.Documents.clear();
  Render("AB\fC");
  EXPECT_EQ(Drawn(1), (std::vector<std::string>{"C@5,0"}));
}

TEST_F(RenderDocumentTest, CopiesAndOrientationAreTheDocumentsAndPutBackAfterwards) {
  printer.SetPageOrientation(TPrinterOrientation::Landscape);
  printer.SetCopyCount(2);
  job.Settings.Copies = 3;
  Render("AB");
  EXPECT_EQ(Document().Settings.Copies, 3);
  EXPECT_EQ(Document().Settings.Orientation, TPrinterOrientation::Portrait);
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"AB"}));  // drawn once: the printer makes copies
  EXPECT_EQ(printer.CopyCount(), 2);
  EXPECT_EQ(printer.PageOrientation(), TPrinterOrientation::Landscape);
}

TEST_F(RenderDocumentTest, TheFirstBytesMaySetTheOrientation) {
  struct Case {
    std::string Input;
    TPrinterOrientation Expected;
    std::vector<std::string> Drawn;  // empty: not looked at
  };
  const auto L = TPrinterOrientation::Landscape;
  const auto P = TPrinterOrientation::Portrait;
  const Case cases[] = {
      {"\x1bl\x05\x1b\"SAB", L, {"A@5,0", "B@65,0"}},  // the margin of the skipped ESC l is not applied
      {"\x1b\"sA", L, {"A@5,0"}},
      {"\x1b\"TA", P, {"A@5,0"}},
      {"\xfaLA", L, {"A@5,0"}},
      {"\xfaPA", P, {"A@5,0"}},
      {"\x1bl\x05\xfaLA", L, {"A@5,0"}},
      // Too short for a pattern, or a pattern not at the start: portrait.
      {"\xfa", P, {}},
      {"\x1b\"", P, {}},
      {"\x1bl\x05\x1b\"", P, {}},
      {"\x1bl\x05\xfa", P, {}},
      {"A\x1b\"S", P, {}},
      {"\x1bl\x05\x1bl\x05\x1b\"S", P, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    system.Documents.clear();
    printer.SetPageOrientation(c.Expected == L ? P : L);
    Render(c.Input);
    EXPECT_EQ(Document().Settings.Orientation, c.Expected);
    if (!c.Drawn.empty()) {
      EXPECT_EQ(Drawn(), c.Drawn);
    }
  }
}

TEST_F(RenderDocumentTest, EachCharacterIsCentredInItsCell) {
  Render("AB\r\nC\r\n\r\nD");
  // Courier New 10 pt at 600 dpi is 83 px high and 50 px wide; a cell is 60 px, a line 100 px.
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"A@5,0", "B@65,0", "C@5,100", "D@5,300"}));
  const RecordedText& text = Pages()[0].Texts[0];
  EXPECT_EQ(text.Font.Face, "Courier New");
  EXPECT_EQ(text.Font.Height, -83);
  EXPECT_EQ(text.Size, 10);
  EXPECT_EQ(text.Font.Charset, 238);
  EXPECT_FALSE(text.Opaque);
}

TEST_F(RenderDocumentTest, CellPositionsAreRoundedHalfToEven) {
  // 610 dpi across: cells of 61 px, so a 50 px character sits 5.5 px into its cell.
  system.Printers[0].DpiX = 610;
  Render("ABCD");
  EXPECT_EQ(Drawn(), (std::vector<std::string>{"A@6,0", "B@66,0", "C@128,0", "D@188,0"}));
}

TEST_F(RenderDocumentTest, TheTopMarginStartsEveryPage) {
  job.Settings.TopMarginLines = 2;
  Render("A\r\nB\fC");
  EXPECT_EQ(Drawn(0), (std::vector<std::string>{"A@5,200", "B@5,300"}));
  EXPECT_EQ(Drawn(1), (std::vector<std::string>{"C@5,200"}));
}

TEST_F(RenderDocumentTest, LineCountModeBreaksAfterTheGivenNumberOfLines) {
  job.Settings.ForceFF = job.Settings.FFLines = true;
  job.Settings.FFNLines = 60;
  Render(Lines(60));
  EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{60}));  // the break after the last line makes no page

  system.Documents.clear();
  Render(Lines(60) + "y");
  EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{60, 1}));
  EXPECT_EQ(Drawn(1), (std::vector<std::string>{"y@5,0"}));

  // The page height is not looked at: lines run past the bottom of the page, and those below the
  // sheet (7000 px down and more; it ends at 6916) are not drawn.
  system.Documents.clear();
  job.Settings.FFNLines = 100;
  Render(Lines(101));
  EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{70, 1}));
  EXPECT_EQ(Drawn(0).back(), "x@5,6900");

  for (int lines : {0, -3}) {
    system.Documents.clear();
    job.Settings.FFNLines = lines;
    Render("AB\nC\nD");  // the next byte starts at the left margin although LF keeps the column
    EXPECT_EQ(Drawn(0), (std::vector<std::string>{"A@5,0", "B@65,0"}));
    EXPECT_EQ(Drawn(1), (std::vector<std::string>{"C@5,0"}));
    EXPECT_EQ(Drawn(2), (std::vector<std::string>{"D@5,0"}));
  }
}

TEST_F(RenderDocumentTest, PageHeightModeBreaksBeforeALineThatWouldNotFit) {
  job.Settings.ForceFF = true;
  struct Case {
    int PhysicalHeight;  // less 2 x 100 px of margins: the printable height
    int TopMarginLines;
    std::string Prefix;
    std::size_t LinesOnAPage;
  };
  const Case cases[] = {
      {7016, 0, "", 68},   // lines at 0 ... 6700 of 6816
      {7000, 0, "", 68},   // the last line ends exactly at the bottom, 6800
      {6999, 0, "", 67},
      {7016, 2, "", 66},   // lines at 200 ... 6700
      {7016, 0, "\xfaL", 47},  // landscape: 4760 high, lines at 0 ... 4600
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.PhysicalHeight);
    SCOPED_TRACE(c.Prefix);
    system.Documents.clear();
    system.Printers[0].Height = c.PhysicalHeight;
    job.Settings.TopMarginLines = c.TopMarginLines;
    Render(c.Prefix + Lines(static_cast<int>(c.LinesOnAPage)));
    EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{c.LinesOnAPage}));
    system.Documents.clear();
    Render(c.Prefix + Lines(static_cast<int>(c.LinesOnAPage)) + "y");
    EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{c.LinesOnAPage, 1}));
    EXPECT_EQ(Drawn(1), (std::vector<std::string>{"y@5," + std::to_string(c.TopMarginLines * 100)}));
  }
}

TEST_F(RenderDocumentTest, WithoutAutomaticBreaksLinesGoOnPastThePage) {
  Render(Lines(200));
  // One page; the lines below the sheet (from 7000 px down; it ends at 6916) are not drawn.
  EXPECT_EQ(TextsPerPage(), (std::vector<std::size_t>{70}));
  EXPECT_EQ(Drawn(0).back(), "x@5,6900");
}

TEST_F(RenderDocumentTest, ControlBytesMoveThePosition) {
  struct Case {
    std::string Input;
    std::vector<std::string> Drawn;
    bool IgnoreNull = true;
  };
  const Case cases[] = {
      {"\tA", {"A@5,0"}},                                    // at a tab stop HT moves nothing
      {"a\tB", {"a@5,0", "B@485,0"}},                        // column 2 to column 9
      {"abcdefg\tB", {"a@5,0", "b@65,0", "c@125,0", "d@185,0", "e@245,0", "f@305,0", "g@365,0", "B@485,0"}},
      {"ab\r\tC", {"a@5,0", "b@65,0", "C@5,0"}},            // CR is column 1 again
      {"ab\n\tC", {"a@5,0", "b@65,0", "C@485,100"}},        // LF is not
      {"\bA", {"A@5,0"}},
      {"abc\bX", {"a@5,0", "b@65,0", "c@125,0", "X@125,0"}},
      {"a\b\b\tX", {"a@5,0", "X@5,0"}},                     // a backspace past the margin is column 1
      {"AB\rC", {"A@5,0", "B@65,0", "C@5,0"}},
      {"AB\nC", {"A@5,0", "B@65,0", "C@125,100"}},
      {"A\0B"s, {"A@5,0", "B@65,0"}},
      {"A\0B"s, {"A@5,0", "B@125,0"}, false},
      {"A\aB", {"A@5,0", "B@65,0"}},
      {"A\x7f", {"A@5,0", "\x7f@65,0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.Input));
    system.Documents.clear();
    job.Settings.IgnoreNull = c.IgnoreNull;
    Render(c.Input);
    EXPECT_EQ(Drawn(), c.Drawn);
  }
  EXPECT_EQ(system.Beeps, 1);
  // The blank and the other control bytes take one empty column.
  std::string blanks = "\x01\x02\x03\x04\x05\x06\x0b"s;
  for (char b = 0x0e; b <= 0x1a; ++b) blanks += b;
  for (char b = 0x1c; b <= 0x20; ++b) blanks += b;
  for (char b : blanks) {
    SCOPED_TRACE(static_cast<int>(b));
    system.Documents.clear();
    Render("A"s + b + "B");
    EXPECT_EQ(Drawn(), (std::vector<std::string>{"A@5,0", "B@125,0"}));
  }
}

TEST_F(RenderDocumentTest, APrinterErrorEndsTheRunAndGoesToTheCaller) {
  job.Settings.Copies = 3;
  const int descriptors = OpenDescriptors();
  system.FailOn("TextOut", "paper jam", 2);
  try {
    Render("ABC");
    ADD_FAILURE() << "no error";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), "paper jam");
  }
  EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A"}));
  EXPECT_FALSE(Document().Finished);
  EXPECT_EQ(printer.CopyCount(), 3);  // left as the document had it
  EXPECT_EQ(OpenDescriptors(), descriptors);
  EXPECT_EQ(Output(), StartLine() + "Wydruk strony # 1\n");
}

TEST_F(RenderDocumentTest, AnInputThatCannotBeOpenedStartsNothing) {
  printer.SetPageOrientation(TPrinterOrientation::Landscape);
  printer.SetCopyCount(2);
  job.InputFileName = Scratch("brak.txt");
  EXPECT_EQ(RenderFile(), TRenderOutcome::NotStarted);
  EXPECT_EQ(Output(), "Błąd otwarcia pliku " + job.InputFileName + "\n");
  EXPECT_TRUE(system.Documents.empty());
  EXPECT_EQ(printer.PageOrientation(), TPrinterOrientation::Landscape);
  EXPECT_EQ(printer.CopyCount(), 2);
}

TEST_F(RenderDocumentTest, AReadErrorInTheFirstBlockStartsNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "a folder cannot be opened as a file here: no read error to provoke";
#endif
  // A folder opens for reading but gives a read error; the entry inside keeps its size above 0.
  job.InputFileName = Scratch("folder");
  std::filesystem::create_directory(job.InputFileName);
  std::ofstream(job.InputFileName + "/entry") << "x";
  struct stat info {};
  ASSERT_EQ(::stat(job.InputFileName.c_str(), &info), 0);
  ASSERT_GT(info.st_size, 0);
  printer.SetPageOrientation(TPrinterOrientation::Landscape);
  printer.SetCopyCount(2);
  GiveInput("\n");
  const int descriptors = OpenDescriptors();

  EXPECT_EQ(RenderFile(), TRenderOutcome::NotStarted);
  EXPECT_EQ(Output(), "Błąd odczytu z pliku " + job.InputFileName + "\n");
  EXPECT_TRUE(system.Documents.empty());
  EXPECT_EQ(printer.PageOrientation(), TPrinterOrientation::Landscape);
  EXPECT_EQ(printer.CopyCount(), 2);
  EXPECT_EQ(UnreadInput(), "\n");
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

TEST_F(RenderDocumentTest, AFileCutShortWhilePrintingCancelsTheJob) {
  printer.SetPageOrientation(TPrinterOrientation::Landscape);
  printer.SetCopyCount(4);
  for (bool messages : {true, false}) {
    SCOPED_TRACE(messages);
    system.Documents.clear();
    out.str("");
    job.Settings.ShowMessages = messages;
    job.Settings.Copies = 2;
    GiveInput("first\nsecond\n");
    // The bell in the first block shortens the file to ten bytes into its second block.
    hooked.OnBeep = [&] { ASSERT_EQ(::truncate(job.InputFileName.c_str(), kBlockSize + 10), 0); };
    SetInput("A\a" + std::string(kBlockSize - 2, '\r') + std::string(kBlockSize, 'y'));

    EXPECT_EQ(RenderFile(), TRenderOutcome::Cancelled);
    EXPECT_TRUE(Document().Aborted);
    EXPECT_FALSE(Document().Finished);
    EXPECT_FALSE(printer.IsPrinting());
    EXPECT_EQ(PageTexts(), (std::vector<std::string>{"A" + std::string(10, 'y')}));
    const std::string failure = "Błąd odczytu z pliku " + job.InputFileName + "\n";
    EXPECT_EQ(Output(), messages ? StartLine() + "Wydruk strony # 1\n" + failure + "Zadanie anulowano !\n" : failure);
    EXPECT_EQ(UnreadInput(), "second\n");
    EXPECT_EQ(Document().Settings.Copies, 2);
    EXPECT_EQ(printer.CopyCount(), 4);
    EXPECT_EQ(printer.PageOrientation(), TPrinterOrientation::Landscape);
  }
}

}  // namespace
}  // namespace prynda::testing
