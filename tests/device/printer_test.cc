// TPrinter and its canvas over the recording print system: the printer list and selection, device
// settings, contexts and resolution, the document's life, the drawing state and the six errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "device/printer.h"
#include "fakes/recording_print_system.h"
#include "printers/pdf/page_form.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fake = prynda::testing;

::testing::AssertionResult RaisesPrinterError(const std::function<void()>& action, std::string_view text) {
  try {
    action();
  } catch (const EPrinter& e) {
    if (e.what() == text) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "raised \"" << e.what() << "\" instead of \"" << text << "\"";
  }
  return ::testing::AssertionFailure() << "raised nothing, expected \"" << text << "\"";
}

// Every one of `uses` raises `text`.
void ExpectEachRaises(const std::vector<std::function<void()>>& uses, std::string_view text) {
  for (std::size_t i = 0; i < uses.size(); ++i) EXPECT_TRUE(RaisesPrinterError(uses[i], text)) << "use " << i;
}

class PrinterTest : public ::testing::Test {
 protected:
  PrinterTest() {
    system_.Printers = {fake::FakePrinter{.Name = "HP LaserJet"},
                        fake::FakePrinter{.Name = "Brother HL", .Fonts = {"Courier", "Letter Gothic"}},
                        fake::FakePrinter{.Name = "PDF"}};
    system_.Default = "Brother HL";
  }

  int CallCount(std::string_view call) const {
    return static_cast<int>(std::count(system_.Calls.begin(), system_.Calls.end(), call));
  }
  TCanvas& Canvas() { return printer_.PageCanvas(); }

  fake::RecordingPrintSystem system_;
  TPrinter printer_{system_};
};

TEST_F(PrinterTest, PrinterNamesAreFoundByWholeNameIgnoringCase) {
  const TNameList& names = printer_.PrinterNames();
  ASSERT_EQ(names.Count(), 3);
  EXPECT_EQ(names.IndexOf("brother hl"), 1);
  EXPECT_EQ(names.IndexOf("PDF"), 2);
  EXPECT_EQ(names.IndexOf("pdf"), 2);
  EXPECT_EQ(names.IndexOf("HP"), -1);
  EXPECT_EQ(names.IndexOf("HP LaserJet 4"), -1);
  EXPECT_EQ(names.IndexOf(""), -1);
  EXPECT_EQ(names.Text(), "HP LaserJet\r\nBrother HL\r\nPDF\r\n");

  EXPECT_EQ(TNameList({"Arial", "ARIAL"}).IndexOf("arial"), 0);  // the first equal entry wins
  EXPECT_TRUE(TNameList().Empty());
  EXPECT_EQ(TNameList().Text(), "");
}

TEST_F(PrinterTest, SelectedIndexResolvesTheDefaultPrinter) {
  system_.Default = "BROTHER hl";
  EXPECT_EQ(printer_.SelectedIndex(), 1);
  printer_.SetSelectedIndex(2);
  EXPECT_EQ(printer_.SelectedIndex(), 2);
  printer_.SetSelectedIndex(-1);
  EXPECT_EQ(printer_.SelectedIndex(), 1);
}

TEST_F(PrinterTest, NoDefaultPrinter) {
  for (const char* name : {"", "Missing Printer", "Brother"}) {
    system_.Default = name;
    TPrinter printer(system_);
    EXPECT_TRUE(RaisesPrinterError([&] { printer.SelectedIndex(); }, kNoDefaultPrinter)) << name;
    EXPECT_TRUE(RaisesPrinterError([&] { printer.DeviceCaps(kLogPixelsY); }, kNoDefaultPrinter)) << name;
    // A printer chosen by index needs no default.
    printer.SetSelectedIndex(0);
    EXPECT_EQ(printer.DeviceCaps(kLogPixelsY), 600);
  }
}

TEST_F(PrinterTest, IndexOutOfRangeLeavesTheSelection) {
  printer_.SetSelectedIndex(2);
  for (int index : {-2, -100, 3, 100}) {
    EXPECT_TRUE(RaisesPrinterError([&] { printer_.SetSelectedIndex(index); }, kPrinterIndexError)) << index;
  }
  EXPECT_EQ(printer_.SelectedIndex(), 2);
}

TEST_F(PrinterTest, PrinterWithoutContextIsNotValid) {
  system_.Printers[1].Valid = false;
  ExpectEachRaises({[&] { printer_.DeviceCaps(kVertRes); }, [&] { printer_.FontNames(); },
                    [&] { Canvas().MeasureTextWidth("X"); }, [&] { printer_.StartDocument(); }},
                   kInvalidPrinter);
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_TRUE(system_.Documents.empty());
}

TEST_F(PrinterTest, PrinterWithoutSettingsRefusesOrientationAndCopiesButStillPrints) {
  system_.Printers[1].Settings = std::nullopt;
  ExpectEachRaises({[&] { printer_.PageOrientation(); },
                    [&] { printer_.SetPageOrientation(TPrinterOrientation::Landscape); },
                    [&] { printer_.CopyCount(); }, [&] { printer_.SetCopyCount(2); }},
                   kInvalidPrinterOp);
  EXPECT_EQ(printer_.PrintableHeight(), 6816);
  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_TRUE(system_.LastDocument().Finished);
}

TEST_F(PrinterTest, DrawingAndDocumentCallsNeedAnOpenDocument) {
  const TPoint line[] = {{0, 0}, {10, 0}};
  const std::vector<std::function<void()>> uses = {
      [&] { Canvas().PaintText(0, 0, "A"); }, [&] { Canvas().DrawPolyline(line); },
      [&] { printer_.FinishDocument(); },     [&] { printer_.AbortDocument(); },
      [&] { printer_.StartNextPage(); }};
  ExpectEachRaises(uses, kNotPrinting);
  printer_.StartDocument();
  printer_.FinishDocument();
  ExpectEachRaises(uses, kNotPrinting);
  EXPECT_EQ(system_.Documents.size(), 1u);
}

TEST_F(PrinterTest, SelectionAndSettingsAreRefusedWhilePrinting) {
  printer_.StartDocument();
  ExpectEachRaises({[&] { printer_.StartDocument(); }, [&] { printer_.SetSelectedIndex(0); },
                    [&] { printer_.SetSelectedIndex(-1); },
                    [&] { printer_.SetPageOrientation(TPrinterOrientation::Landscape); },
                    [&] { printer_.SetCopyCount(2); }},
                   kPrinting);
  // The open document is untouched and can still be finished.
  EXPECT_TRUE(printer_.IsPrinting());
  EXPECT_EQ(printer_.SelectedIndex(), 1);
  EXPECT_EQ(printer_.PageOrientation(), TPrinterOrientation::Portrait);
  printer_.FinishDocument();
  ASSERT_EQ(system_.Documents.size(), 1u);
  EXPECT_TRUE(system_.LastDocument().Finished);
  EXPECT_EQ(system_.LastDocument().Printer, "Brother HL");
}

TEST_F(PrinterTest, FontNamesFollowTheSelectedPrinter) {
  EXPECT_EQ(printer_.FontNames().Items(), (std::vector<std::string>{"Courier", "Letter Gothic"}));
  EXPECT_EQ(printer_.FontNames().IndexOf("LETTER GOTHIC"), 1);
  EXPECT_EQ(CallCount("FontFaces"), 1);  // kept once built

  printer_.SetSelectedIndex(0);
  EXPECT_EQ(printer_.FontNames().IndexOf("Times New Roman"), 2);
  EXPECT_EQ(CallCount("FontFaces"), 2);

  // Reloading enumerates printers and fonts afresh but keeps the selection.
  system_.Printers.push_back(fake::FakePrinter{.Name = "New Printer"});
  printer_.ReloadLists();
  EXPECT_EQ(printer_.SelectedIndex(), 0);
  EXPECT_EQ(printer_.PrinterNames().Count(), 4);
  printer_.FontNames();
  EXPECT_EQ(CallCount("FontFaces"), 3);
}

TEST_F(PrinterTest, OrientationAndCopiesReachTheNextContext) {
  EXPECT_EQ(printer_.PageOrientation(), TPrinterOrientation::Portrait);
  EXPECT_EQ(printer_.CopyCount(), 1);
  EXPECT_EQ(printer_.PrintableHeight(), 6816);
  EXPECT_EQ(printer_.DeviceCaps(kPhysicalWidth), 4960);
  EXPECT_EQ(printer_.DeviceCaps(kHorzRes), 4760);
  EXPECT_EQ(printer_.DeviceCaps(kPhysicalOffsetY), 100);
  EXPECT_EQ(printer_.DeviceCaps(12345), 0);

  printer_.SetPageOrientation(TPrinterOrientation::Landscape);
  printer_.SetCopyCount(3);
  EXPECT_EQ(printer_.PageOrientation(), TPrinterOrientation::Landscape);
  EXPECT_EQ(printer_.CopyCount(), 3);
  EXPECT_EQ(printer_.PrintableHeight(), 4760);
  EXPECT_EQ(printer_.DeviceCaps(kPhysicalWidth), 7016);

  printer_.StartDocument();
  EXPECT_EQ(printer_.PrintableHeight(), 4760);
  printer_.FinishDocument();
  EXPECT_EQ(system_.LastDocument().Settings.Orientation, TPrinterOrientation::Landscape);
  EXPECT_EQ(system_.LastDocument().Settings.Copies, 3);

  // Settings belong to a printer: another one starts from its own.
  printer_.SetSelectedIndex(0);
  EXPECT_EQ(printer_.PageOrientation(), TPrinterOrientation::Portrait);
  EXPECT_EQ(printer_.CopyCount(), 1);
}

TEST_F(PrinterTest, TheFormReachesTheContextsOfWhicheverPrinterUntilItIsTakenAway) {
  printer_.SetForm(std::make_shared<const PageForm>("papier.png", FormPicture{1, 1, 1, {255}}));
  printer_.StartDocument();
  EXPECT_THROW(printer_.SetForm(nullptr), EPrinter);
  printer_.StartNextPage();
  printer_.FinishDocument();
  EXPECT_EQ(system_.LastDocument().FormPath, "papier.png");
  EXPECT_EQ(system_.LastDocument().FormPages, 1);
  ASSERT_EQ(system_.LastDocument().Pages.size(), 2u);
  EXPECT_EQ(system_.LastDocument().Pages[1].FormPage, 0);

  printer_.SetSelectedIndex(0);
  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_EQ(system_.LastDocument().FormPath, "papier.png");

  printer_.SetForm(nullptr);
  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_EQ(system_.LastDocument().FormPath, "");
  EXPECT_EQ(system_.LastDocument().Pages[0].FormPage, -1);
}

TEST_F(PrinterTest, TheScaleLowersTheResolutionTheCapsAnswerNotTheSheet) {
  printer_.SetPageScale(0.333);  // 600 dpi at a third is 199.8: whole dots, rounded down
  const TDeviceCaps caps = printer_.Caps();
  EXPECT_EQ(caps.LogPixelsX, 199);
  EXPECT_EQ(caps.LogPixelsY, 199);
  EXPECT_EQ(caps.HorzRes, 4760);
  EXPECT_EQ(caps.PhysicalHeight, 7016);
  EXPECT_EQ(printer_.DeviceCaps(kLogPixelsY), 199);
  EXPECT_EQ(printer_.PhysicalCaps().LogPixelsY, 600);
}

TEST_F(PrinterTest, MeasuringWorksBeforeTheDocumentAtThePrintersVerticalResolution) {
  system_.Printers[1].DpiX = 300;  // the font follows LOGPIXELSY only
  TFont& font = Canvas().Font();
  font.SetSize(10);
  ASSERT_EQ(font.Height(), -13);
  // The fake's metrics: em 83 px, each byte round(0.6 * 83) = 50 wide, the cell 83 + 16 high.
  EXPECT_EQ(Canvas().MeasureTextWidth("XXXX"), 200);
  EXPECT_EQ(Canvas().MeasureTextHeight("X"), 99);
  EXPECT_EQ(font.Height(), -83);
  EXPECT_EQ(font.Size(), 10);
  EXPECT_EQ(system_.ContextCount(TContextKind::Device), 0);
  EXPECT_FALSE(printer_.IsPrinting());

  // A change to the font applies at the next measure.
  font.SetSize(12);
  EXPECT_EQ(Canvas().MeasureTextHeight("X"), 120);
}

TEST_F(PrinterTest, DocumentRecordsPagesTextsAndLines) {
  printer_.SetDocumentName("GDI=report.txt");
  printer_.SetSourceFileName("/tmp/report.txt");
  TCanvas& canvas = Canvas();
  canvas.Font().SetName("Courier");
  canvas.Font().SetSize(10);
  canvas.Font().SetColor(0x00112233);
  canvas.Pen().SetWidth(-3);  // ignored
  EXPECT_EQ(canvas.Pen().Width(), 1);
  canvas.Pen().SetWidth(0);
  EXPECT_EQ(canvas.Pen().Width(), 0);

  printer_.StartDocument();
  EXPECT_TRUE(printer_.IsPrinting());
  canvas.PaintText(10, 20, "Ab");
  printer_.StartNextPage();
  canvas.Brush().SetStyle(TBrushStyle::bsClear);
  canvas.PaintText(30, 40, "C");
  const TPoint points[] = {{1, 2}, {3, 4}};
  canvas.DrawPolyline(points);
  printer_.FinishDocument();
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_EQ(system_.OpenContexts, 0);

  const fake::RecordedDocument& document = system_.LastDocument();
  EXPECT_EQ(std::tie(document.Printer, document.Name, document.Source),
            std::make_tuple("Brother HL", "GDI=report.txt", "/tmp/report.txt"));
  EXPECT_TRUE(document.Finished && !document.Aborted);
  ASSERT_EQ(document.Pages.size(), 2u);
  ASSERT_EQ(document.Pages[0].Texts.size(), 1u);
  ASSERT_EQ(document.Pages[1].Texts.size(), 1u);
  const fake::RecordedText& first = document.Pages[0].Texts[0];
  const fake::RecordedText& second = document.Pages[1].Texts[0];
  EXPECT_EQ(std::tie(first.X, first.Y, first.Text, first.Size),
            std::make_tuple(10, 20, std::string("Ab"), 10));
  EXPECT_EQ(first.Font.Face, "Courier");
  EXPECT_EQ(first.Color, 0x112233u);
  EXPECT_TRUE(first.Opaque);    // the default solid brush
  EXPECT_FALSE(second.Opaque);  // bsClear leaves the background
  EXPECT_EQ(second.Font, first.Font);  // the font survives the page change
  ASSERT_EQ(document.Pages[1].Lines.size(), 1u);
  EXPECT_EQ(document.Pages[1].Lines[0].Points, (std::vector<TPoint>{{1, 2}, {3, 4}}));
  EXPECT_EQ(document.Pages[1].Lines[0].Width, 0);
  EXPECT_EQ(document.Pages[1].Lines[0].Color, 0u);
}

TEST_F(PrinterTest, DrawingWhollyOffTheSheetIsDropped) {
  // The sheet is 4960 x 7016 px with the canvas origin 100 px in: x from -100 to 4860, y from -100
  // to 6916. "Ab" in 10-point Courier at 600 dpi is 100 px wide (2 x 50) and 99 px high.
  TCanvas& canvas = Canvas();
  canvas.Font().SetName("Courier");
  canvas.Font().SetSize(10);
  printer_.StartDocument();
  const std::vector<std::pair<TPoint, bool>> texts = {
      {{4859, 0}, true},  {{4860, 0}, false},  {{0, 6915}, true},   {{0, 6916}, false},
      {{-199, 0}, true},  {{-200, 0}, false},  {{0, -198}, true},   {{0, -199}, false},
      {{1 << 30, 1 << 30}, false},
  };
  // Pen width 1 reaches a pixel past each end point (half the pen, and one for the caps).
  const std::vector<std::pair<std::vector<TPoint>, bool>> lines = {
      {{{4860, 0}, {4870, 0}}, true},   {{{4861, 0}, {4870, 0}}, false},
      {{{0, 6916}, {0, 7000}}, true},   {{{0, 6917}, {0, 7000}}, false},
      {{{-101, 0}, {-101, 10}}, true},  {{{-102, 0}, {-102, 10}}, false},
      {{{-500, -500}, {5000, 7500}}, true},  // across the sheet, though both ends lie outside
  };
  std::vector<TPoint> drawn_texts;
  std::vector<std::vector<TPoint>> drawn_lines;
  for (const auto& [at, kept] : texts) {
    canvas.PaintText(at.X, at.Y, "Ab");
    if (kept) drawn_texts.push_back(at);
  }
  for (const auto& [points, kept] : lines) {
    canvas.DrawPolyline(points);
    if (kept) drawn_lines.push_back(points);
  }
  // A 10 x 10 px image of one dot: kept while a pixel of it is on the sheet.
  const std::uint8_t dot = 0x80;
  const std::vector<std::pair<TPoint, bool>> images = {
      {{4859, 0}, true}, {{4860, 0}, false}, {{-109, -109}, true}, {{-110, 0}, false}, {{0, 6916}, false}};
  std::vector<TPoint> drawn_images;
  for (const auto& [at, kept] : images) {
    canvas.DrawImage(at.X, at.Y, 10, 10, TMonoImage{1, 1, 1, &dot});
    if (kept) drawn_images.push_back(at);
  }
  printer_.FinishDocument();
  const fake::RecordedPage& page = system_.LastDocument().Pages.at(0);
  std::vector<TPoint> recorded_images;
  for (const auto& image : page.Images) recorded_images.push_back({image.X, image.Y});
  EXPECT_EQ(recorded_images, drawn_images);
  std::vector<TPoint> recorded_texts;
  for (const auto& text : page.Texts) recorded_texts.push_back({text.X, text.Y});
  std::vector<std::vector<TPoint>> recorded_lines;
  for (const auto& line : page.Lines) recorded_lines.push_back(line.Points);
  EXPECT_EQ(recorded_texts, drawn_texts);
  EXPECT_EQ(recorded_lines, drawn_lines);
}

TEST_F(PrinterTest, ColoursResolveThroughTheSystem) {
  EXPECT_EQ(printer_.ColorToRgb(0x00C08040), 0xC08040u);  // RGB as it stands
  EXPECT_EQ(CallCount("SystemColor"), 0);
  EXPECT_EQ(printer_.ColorToRgb(clWindowText), 0x000000u);
  EXPECT_EQ(printer_.ColorToRgb(static_cast<TColor>(0x80000005u)), 0xFFFFFFu);
  EXPECT_EQ(CallCount("SystemColor"), 2);

  // A new font prints in the window-text colour.
  printer_.StartDocument();
  Canvas().PaintText(0, 0, "A");
  printer_.FinishDocument();
  EXPECT_EQ(system_.LastDocument().Pages[0].Texts[0].Color, 0x000000u);
  EXPECT_EQ(CallCount("SystemColor"), 3);
}

TEST_F(PrinterTest, AbortDocumentCancelsTheJob) {
  printer_.StartDocument();
  Canvas().PaintText(0, 0, "lost");
  printer_.AbortDocument();
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_TRUE(system_.LastDocument().Aborted);
  EXPECT_FALSE(system_.LastDocument().Finished);
  EXPECT_EQ(system_.OpenContexts, 0);
  // The next document starts afresh.
  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_TRUE(system_.LastDocument().Finished);
}

TEST_F(PrinterTest, FailuresWhileOpeningOrClosingEndPrintingAndPropagate) {
  system_.FailOn("EndDoc", "spooler gone");
  printer_.StartDocument();
  EXPECT_TRUE(RaisesPrinterError([&] { printer_.FinishDocument(); }, "spooler gone"));
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_FALSE(system_.LastDocument().Finished);
  EXPECT_EQ(system_.OpenContexts, 0);

  system_.FailOn("StartPage", "no paper");
  EXPECT_TRUE(RaisesPrinterError([&] { printer_.StartDocument(); }, "no paper"));
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_TRUE(system_.LastDocument().Aborted);

  system_.FailOn("StartDoc", "refused");
  EXPECT_TRUE(RaisesPrinterError([&] { printer_.StartDocument(); }, "refused"));
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_EQ(system_.Documents.size(), 2u);
  EXPECT_EQ(system_.OpenContexts, 0);

  // No device context: nothing is begun, and measuring still has its information context.
  system_.FailOn(TContextKind::Device, "spooler gone");
  EXPECT_TRUE(RaisesPrinterError([&] { printer_.StartDocument(); }, "spooler gone"));
  EXPECT_FALSE(printer_.IsPrinting());
  EXPECT_GT(Canvas().MeasureTextWidth("X"), 0);
  EXPECT_EQ(system_.Documents.size(), 2u);

  printer_.StartDocument();
  printer_.FinishDocument();
  EXPECT_TRUE(system_.LastDocument().Finished);
}

TEST_F(PrinterTest, DestroyingThePrinterMidDocumentAbortsIt) {
  {
    TPrinter printer(system_);
    printer.StartDocument();
    printer.PageCanvas().PaintText(0, 0, "half a page");
  }
  ASSERT_EQ(system_.Documents.size(), 1u);
  EXPECT_TRUE(system_.LastDocument().Aborted);
  EXPECT_FALSE(system_.LastDocument().Finished);
  EXPECT_EQ(system_.OpenContexts, 0);
}

TEST_F(PrinterTest, PassOnHandsTheFileFromItsOffsetToTheCurrentPrinter) {
  fake::TempDir dir;
  const std::string header = "\x1b%-12345X@PJL ENTER LANGUAGE=PDF\r\n";
  const std::string path = dir.Write("zadanie.prn", header + "%PDF-1.4 tre\x9c\xe6");
  printer_.SetSelectedIndex(0);
  printer_.SetCopyCount(3);
  printer_.SetDocumentName("GDI=zadanie.prn");
  printer_.SetSourceFileName("zadanie.prn");
  EXPECT_EQ(printer_.PassOn(TDocumentFormat::Pdf, path, header.size()), TPassOnResult::Printed);
  ASSERT_EQ(system_.PassedOn.size(), 1u);
  const fake::RecordedPassOn& passed = system_.PassedOn[0];
  EXPECT_EQ(passed.Printer, "HP LaserJet");
  EXPECT_EQ(passed.Format, TDocumentFormat::Pdf);
  EXPECT_EQ(passed.Bytes, "%PDF-1.4 tre\x9c\xe6");
  EXPECT_EQ(passed.Copies, 3);
  EXPECT_EQ(passed.Title, "GDI=zadanie.prn");
  EXPECT_EQ(passed.Source, "zadanie.prn");
  EXPECT_EQ(system_.ContextCount(TContextKind::Device), 0) << "no document of its own";

  system_.Printers[0].Unsupported = {TDocumentFormat::Raw};
  EXPECT_EQ(printer_.PassOn(TDocumentFormat::Raw, path, 0), TPassOnResult::Unsupported);
  EXPECT_EQ(system_.PassedOn.size(), 1u);
}

TEST(PrinterPassOnTest, IsRefusedWhilePrintingAndFailsOnAGonePrinterOrAnOffsetPastTheEnd) {
  fake::TempDir dir;
  const std::string path = dir.Write("zadanie.ps", "%!PS");
  struct Case {
    const char* name;
    std::function<void(TPrinter&, fake::RecordingPrintSystem&)> setup;
    std::uint64_t offset;
    std::string raises;
  };
  const std::vector<Case> cases = {
      {"while a document is open", [](TPrinter& printer, fake::RecordingPrintSystem&) { printer.StartDocument(); },
       0, kPrinting},
      {"a printer the system no longer has",
       [](TPrinter& printer, fake::RecordingPrintSystem& system) {
         printer.PrinterNames();
         system.Printers.clear();
       },
       0, kInvalidPrinter},
      {"an offset past the end", [](TPrinter&, fake::RecordingPrintSystem&) {}, 5,
       "The document " + path + " ends before byte 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::RecordingPrintSystem system;
    TPrinter printer(system);
    c.setup(printer, system);
    EXPECT_TRUE(RaisesPrinterError([&] { printer.PassOn(TDocumentFormat::PostScript, path, c.offset); }, c.raises));
    EXPECT_TRUE(system.PassedOn.empty());
  }
}

}  // namespace
}  // namespace prynda
