// The archive: its file names, the name claimed once however many jobs end at once, and the
// forwarding print system - every call of a document reaches the archive as the printer got it,
// the file is named only once the printer has the whole document, and the archive failing never
// stops the printing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "device/printer_error.h"
#include "fakes/recording_print_system.h"
#include "job/prynda_settings.h"
#include "platform/files.h"
#include "printers/archive/archive_name.h"
#include "printers/archive/archive_print_system.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::RecordingPrintSystem;
using testing::TempDir;

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A path as the system spells it: on Windows the folder and the name are joined by a backslash.
std::string Native(const std::string& path) { return fs::path(path).make_preferred().string(); }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

ArchiveFields Fields() {
  ArchiveFields fields;
  fields.Name = "FAKTURA";
  fields.Printer = "Kyocera FS-1020";
  fields.User = "kasa1";
  fields.Time.tm_year = 2026 - 1900;
  fields.Time.tm_mon = 2;  // March
  fields.Time.tm_mday = 7;
  fields.Time.tm_hour = 9;
  fields.Time.tm_min = 5;
  fields.Time.tm_sec = 3;
  fields.Pages = 12;
  return fields;
}

TEST(ArchiveNameTest, FieldsAndWhatNoFileNameCanHold) {
  struct Case {
    std::string Pattern;
    std::function<void(ArchiveFields&)> Change;
    std::string Stem;
  };
  const Case cases[] = {
      {std::string(kDefaultArchiveName), nullptr, "2026-03-07-09-05-03-FAKTURA"},
      {"{user}/{printer} {pages}", nullptr, "kasa1_Kyocera FS-1020 12"},
      {"{name}.PDF", nullptr, "FAKTURA"},
      {"{name}.pdf.pdf", nullptr, "FAKTURA.pdf"},
      {"{pages}p-{name}", [](ArchiveFields& f) { f.Pages.reset(); }, "p-FAKTURA"},  // pages not counted
      {"{nazwa}-{name}{", nullptr, "{nazwa}-FAKTURA{"},                             // not a field: as written
      // Both slashes, a drive's colon, the characters Windows keeps for itself, control bytes.
      {"{name}", [](ArchiveFields& f) { f.Name = "a/b\\c:d*e?f\"g<h>i|j\tk\x7f" "l\x01m"; }, "a_b_c_d_e_f_g_h_i_j_k_l_m"},
      // Out of the folder, hidden, or no name at all.
      {"../../etc/passwd", nullptr, "_._.._etc_passwd"},
      {"{name}", [](ArchiveFields& f) { f.Name = ".."; }, "_."},
      {"{name}", [](ArchiveFields& f) { f.Name = "."; }, "_"},
      {"{name}", [](ArchiveFields& f) { f.Name = ".profile"; }, "_profile"},
      {"", nullptr, "_"},
      {".pdf", nullptr, "_"},
      {"C:\\Windows\\{name}", nullptr, "C__Windows_FAKTURA"},
      // Windows' devices, whatever follows a dot; names that only begin like them are names.
      {"{name}", [](ArchiveFields& f) { f.Name = "con"; }, "con_"},
      {"{name}.x", [](ArchiveFields& f) { f.Name = "NUL"; }, "NUL_.x"},
      {"{name}", [](ArchiveFields& f) { f.Name = "Lpt1 "; }, "Lpt1 _"},
      {"{name}", [](ArchiveFields& f) { f.Name = "COM10"; }, "COM10"},
      {"{name}", [](ArchiveFields& f) { f.Name = "console"; }, "console"},
      // Polish letters stay; a long name is cut where a character begins, not inside one.
      {"{name}", [](ArchiveFields& f) { f.Name = "Faktura żółw"; }, "Faktura żółw"},
      {"{name}", [](ArchiveFields& f) { f.Name = std::string(199, 'a') + "ż"; }, std::string(199, 'a')},
      {"{name}", [](ArchiveFields& f) { f.Name = std::string(300, 'b'); }, std::string(kMaxArchiveStem, 'b')},
      // A title of no UTF-8 is cut near the length too, and the cut leaves no device name.
      {"PRN{name}", [](ArchiveFields& f) { f.Name = std::string(300, '\xB5'); }, "PRN" + std::string(194, '\xB5')},
      {"PRN{name}", [](ArchiveFields& f) { f.Name = "\x11" + std::string(300, '\xB5'); }, "PRN_" + std::string(193, '\xB5')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Pattern);
    ArchiveFields fields = Fields();
    if (c.Change) c.Change(fields);
    EXPECT_EQ(ArchiveStem(c.Pattern, fields), c.Stem);
  }
  EXPECT_EQ(ArchiveFileName("x", 1), "x.pdf");
  EXPECT_EQ(ArchiveFileName("x", 2), "x-2.pdf");
  EXPECT_EQ(ArchiveFileName("x", 13), "x-13.pdf");
  for (const auto& [path, name] : std::vector<std::pair<std::string, std::string>>{
           {"C:\\DOS\\FAKTURA.TXT", "FAKTURA"}, {"/var/spool/druk.prn", "druk"}, {"raport", "raport"},
           {"a.b/raport", "raport"}, {"dir/.hidden", ".hidden"}, {"faktura.tar.gz", "faktura.tar"}}) {
    EXPECT_EQ(PrintedFileName(path), name) << path;
  }
}

// Files written at once, each claiming the first free of one set of names: every file gets a
// name of its own and keeps its own bytes, and a file that was there before is never replaced.
TEST(ArchiveNameTest, JobsEndingAtOnceNeverTakeOneName) {
  const TempDir dir;
  dir.Write("wspolny.pdf", "before");
  constexpr int kJobs = 8;
  std::vector<std::string> taken(kJobs);
  std::vector<std::thread> jobs;
  for (int n = 0; n < kJobs; ++n) {
    jobs.emplace_back([&, n] {
      ReplacingFile file;
      const std::string bytes = "job " + std::to_string(n);
      if (!file.Create(dir.File("wspolny.pdf")) || !file.Write(bytes.data(), bytes.size())) return;
      for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string path = dir.File(ArchiveFileName("wspolny", attempt));
        const ReplacingFile::NewName named = file.CommitAsNew(path);
        if (named == ReplacingFile::NewName::Taken) continue;
        if (named == ReplacingFile::NewName::Committed) taken[static_cast<std::size_t>(n)] = path;
        return;
      }
    });
  }
  for (auto& job : jobs) job.join();
  std::vector<std::string> expected = {"wspolny.pdf"};
  for (int n = 2; n <= kJobs + 1; ++n) expected.push_back("wspolny-" + std::to_string(n) + ".pdf");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(dir.Path()), expected) << "one name each, and no temporary file left";
  EXPECT_EQ(ReadAll(dir.File("wspolny.pdf")), "before");
  for (int n = 0; n < kJobs; ++n) {
    ASSERT_FALSE(taken[static_cast<std::size_t>(n)].empty()) << n;
    EXPECT_EQ(ReadAll(taken[static_cast<std::size_t>(n)]), "job " + std::to_string(n));
  }
}

// The archive's PDF context stood in for by a context of a second fake, which records what it is
// given; its sink gets a line for each page and is completed with the document.
class SinkFed final : public PrintContextWrapper {
 public:
  SinkFed(std::unique_ptr<PrintContext> context, std::unique_ptr<PdfSink> sink)
      : PrintContextWrapper(std::move(context)), sink_(std::move(sink)) {}
  void StartDoc(const TDocInfo& info) override {
    PrintContextWrapper::StartDoc(info);
    sink_->Begin(info);
  }
  void EndPage() override {
    PrintContextWrapper::EndPage();
    const std::string line = "page\n";
    if (!sink_->Write(reinterpret_cast<const unsigned char*>(line.data()), line.size())) {
      throw EPrinter(sink_->FailureText());
    }
  }
  void EndDoc() override {
    PrintContextWrapper::EndDoc();
    sink_->Commit();
  }
  void AbortDoc() override {
    sink_->Discard();
    PrintContextWrapper::AbortDoc();
  }

 private:
  std::unique_ptr<PdfSink> sink_;
};

class ArchivingTest : public ::testing::Test {
 protected:
  ArchivingTest() : archive_(printer_, [this](const TPageGeometry& geometry, const TDeviceSettings& settings,
                                              std::unique_ptr<PdfSink> sink) {
    geometry_ = geometry;
    settings_ = settings;
    auto context = archived_.CreateContext("Fake Printer", settings, TContextKind::Device);
    // A font of its own first, so that the archive's handles are not the printer's.
    context->RealizeFont(TFontSpec{.Face = "Arial", .Height = -7});
    return std::make_unique<SinkFed>(std::move(context), std::move(sink));
  }) {
    archive_.Archive(Request("{name}-{printer}-{pages}"));
  }

  ArchiveRequest Request(const std::string& pattern) {
    ArchiveRequest request;
    request.Folder = dir_.Path();
    request.Pattern = pattern;
    request.Fields.Name = "faktura";
    return request;
  }

  void ArchiveIn(const std::string& folder) {
    ArchiveRequest request = Request("x");
    request.Folder = folder;
    archive_.Archive(request);
  }

  // A document of two pages, drawn in two fonts.
  void PrintDocument(PrintSystem& system, const TDeviceSettings& settings = {}) {
    auto context = system.CreateContext("Fake Printer", settings, TContextKind::Device);
    const int courier = context->RealizeFont(TFontSpec{.Face = "Courier New", .Height = -100});
    const int times = context->RealizeFont(TFontSpec{.Face = "Times New Roman", .Height = -50, .Bold = true});
    const TPoint line[] = {{0, 0}, {300, 0}};
    const std::uint8_t dots[] = {0xA0};
    context->StartDoc(TDocInfo{"Faktura 7", "faktura.txt"});
    context->StartPage();
    context->TextOut(10, 20, courier, 0, std::nullopt, "Faktura");
    context->TextOutUnicode(10, 200, times, 0xFF, 0xFFFFFF, U"żółw");
    context->Polyline(line, 2, 3, 0);
    context->EndPage();
    context->StartPage();
    context->FillRect(5, 6, 7, 8, 0x00FF00);
    context->ImageMask(0, 0, 30, 10, TMonoImage{3, 1, 1, dots}, 0);
    context->TextOut(10, 20, times, 0, std::nullopt, "Razem");
    context->EndPage();
    context->EndDoc();
  }

  TempDir dir_;
  RecordingPrintSystem printer_;
  RecordingPrintSystem archived_;
  ArchivingPrintSystem archive_;
  TPageGeometry geometry_;
  TDeviceSettings settings_;
};

// What a document looks like on one side, as plain text to compare.
std::string Describe(const testing::RecordedDocument& document) {
  std::string text = document.Name + "/" + document.Source + (document.Finished ? " finished" : "") +
                     (document.Aborted ? " aborted" : "") + "\n";
  for (const auto& page : document.Pages) {
    text += "page\n";
    for (const auto& t : page.Texts) {
      text += " text " + std::to_string(t.X) + "," + std::to_string(t.Y) + " " + t.Text + " " + t.Font.Face + " " +
              std::to_string(t.Font.Height) + (t.Font.Bold ? " bold" : "") + " " + std::to_string(t.Color) +
              (t.Opaque ? " opaque" : "") + (t.Unicode ? " unicode" : "") + "\n";
    }
    for (const auto& l : page.Lines) text += " line " + std::to_string(l.Points.size()) + " " + std::to_string(l.Width) + "\n";
    for (const auto& f : page.Fills) text += " fill " + std::to_string(f.X) + "," + std::to_string(f.Y) + "\n";
    for (const auto& i : page.Images) text += " image " + i.Dots.front() + "\n";
  }
  return text;
}

TEST_F(ArchivingTest, TheArchiveGetsThePagesThePrinterGot) {
  TDeviceSettings settings;
  settings.Orientation = TPrinterOrientation::Landscape;
  settings.Copies = 3;
  settings.Paper = PaperByName("Letter");
  PrintDocument(archive_, settings);
  ASSERT_EQ(printer_.Documents.size(), 1u);
  ASSERT_EQ(archived_.Documents.size(), 1u);
  EXPECT_EQ(Describe(archived_.Documents[0]), Describe(printer_.Documents[0]));
  EXPECT_TRUE(archived_.Documents[0].Finished);
  // The printer's own page and settings, unchanged.
  const TDeviceCaps caps = testing::CapsOf(printer_.Printers[0], TPrinterOrientation::Landscape);
  EXPECT_EQ(geometry_.Caps.PhysicalWidth, caps.PhysicalWidth);
  EXPECT_EQ(geometry_.Caps.HorzRes, caps.HorzRes);
  EXPECT_EQ(geometry_.Caps.PhysicalOffsetY, caps.PhysicalOffsetY);
  EXPECT_DOUBLE_EQ(geometry_.WidthPoints, caps.PhysicalWidth * 72.0 / caps.LogPixelsX);
  EXPECT_EQ(settings_.Orientation, TPrinterOrientation::Landscape);
  EXPECT_EQ(settings_.Copies, 3);
  EXPECT_EQ(settings_.Paper, PaperByName("Letter"));
  // Measuring is the printer's alone.
  EXPECT_EQ(archived_.CallCount("MeasureText") + archived_.CallCount("Caps"), 0);

  EXPECT_EQ(Native(archive_.Result().Path), Native(dir_.File("faktura-Fake Printer-2.pdf")));
  EXPECT_EQ(archive_.Result().Failure, "");
  EXPECT_EQ(ReadAll(archive_.Result().Path), "page\npage\n");
  // The same name again: -2, -3 before the extension.
  PrintDocument(archive_);
  EXPECT_EQ(Native(archive_.Result().Path), Native(dir_.File("faktura-Fake Printer-2-2.pdf")));
  PrintDocument(archive_);
  EXPECT_EQ(FilesIn(dir_.Path()), (std::vector<std::string>{"faktura-Fake Printer-2-2.pdf", "faktura-Fake Printer-2-3.pdf",
                                                              "faktura-Fake Printer-2.pdf"}));
}

// The sheet in points: a known sheet's own size where the caps are its pixels, else the pixels'.
TEST(ArchivePageTest, TheSheetInPoints) {
  struct Case {
    int Dpi, Width, Height;
    std::optional<TPaperSize> Asked;
    double WidthPoints, HeightPoints;
  };
  const Case cases[] = {
      {600, 4961, 7016, std::nullopt, 595.2756, 841.8898},             // A4: 210 x 297 mm
      {600, 7016, 4961, std::nullopt, 841.8898, 595.2756},             // A4 turned
      {300, 2550, 3300, std::nullopt, 612, 792},                       // Letter
      {600, 4961, 7205, PaperByName("210x305"), 595.2756, 864.5669},   // the sheet asked for
      {600, 4000, 5000, std::nullopt, 480, 600},                       // none known: its pixels
  };
  for (const Case& c : cases) {
    TDeviceCaps caps{c.Dpi, c.Dpi, c.Width - 200, c.Height - 200, c.Width, c.Height, 100, 100};
    const TPageGeometry page = ArchivePage(caps, c.Asked);
    EXPECT_NEAR(page.WidthPoints, c.WidthPoints, 1e-4) << c.Width;
    EXPECT_NEAR(page.HeightPoints, c.HeightPoints, 1e-4) << c.Height;
  }
}

TEST_F(ArchivingTest, ADocumentThatDoesNotEndOnThePrinterLeavesNothing) {
  struct Case {
    std::string Name;
    std::function<void(RecordingPrintSystem& printer)> Fail;
  };
  const Case cases[] = {
      {"the printer fails at the end", [](RecordingPrintSystem& p) { p.FailOn("EndDoc"); }},
      {"the printer fails on a page", [](RecordingPrintSystem& p) { p.FailOn("FillRect"); }},
      {"the printer cannot begin", [](RecordingPrintSystem& p) { p.FailOn("StartDoc"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Fail(printer_);
    EXPECT_THROW(PrintDocument(archive_), EPrinter);
    EXPECT_EQ(FilesIn(dir_.Path()), std::vector<std::string>{}) << "not even a temporary file";
    EXPECT_EQ(archive_.Result().Path, "");
    EXPECT_EQ(archive_.Result().Failure, "");
  }
  // Cancelled: the same.
  auto context = archive_.CreateContext("Fake Printer", TDeviceSettings{}, TContextKind::Device);
  context->StartDoc(TDocInfo{"Faktura", ""});
  context->StartPage();
  context->EndPage();
  context->AbortDoc();
  EXPECT_TRUE(archived_.LastDocument().Aborted);
  EXPECT_EQ(FilesIn(dir_.Path()), std::vector<std::string>{});
}

TEST_F(ArchivingTest, AnArchiveThatFailsLetsThePrinterFinish) {
  struct Case {
    std::string Name;
    std::function<void()> Fail;
    std::string Says;
  };
  const Case cases[] = {
      {"drawing fails", [this] { archived_.FailOn("TextOutUnicode", "no room"); }, "no room"},
      {"its end fails", [this] { archived_.FailOn("EndDoc", "no room"); }, "no room"},
      {"its font fails", [this] { archived_.FailOn("RealizeFont", "no font", 2); }, "no font"},
      {"no such folder", [this] { ArchiveIn(dir_.File("nowhere")); },
       "Cannot write the archive in " + dir_.File("nowhere") + ": "},
      {"a file for the folder", [this] { ArchiveIn(dir_.Write("plik", "x")); },
       "Cannot write the archive in " + dir_.File("plik") + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    archive_.Archive(Request("x"));
    c.Fail();
    PrintDocument(archive_);
    EXPECT_TRUE(printer_.LastDocument().Finished);
    EXPECT_EQ(printer_.LastDocument().Pages.size(), 2u);
    EXPECT_EQ(archive_.Result().Path, "");
    EXPECT_TRUE(archive_.Result().Failure.starts_with(c.Says)) << archive_.Result().Failure;
    fs::remove(dir_.File("plik"));
    EXPECT_EQ(FilesIn(dir_.Path()), std::vector<std::string>{}) << "not even a temporary file";
  }
  ArchivingPrintSystem without(printer_, nullptr);
  without.Archive(Request("x"));
  PrintDocument(without);
  EXPECT_TRUE(printer_.LastDocument().Finished);
  EXPECT_NE(without.Result().Failure, "");
}

TEST_F(ArchivingTest, ADocumentHandedOnIsArchivedAsAPdfOrSaysWhyNot) {
  fs::create_directories(dir_.File("in"));
  const std::string document = std::string("%PDF-1.4\n\0binary\n%%EOF\n", 24);
  std::ofstream(dir_.File("in/wzor.pdf"), std::ios::binary) << "PJL header\n" << document;
  fs::create_directory(dir_.File("out"));
  ArchiveRequest request = Request("{name}-{printer}-{pages}");
  request.Folder = dir_.File("out");
  request.Fields.Name = "wzor";
  archive_.Archive(request);

  const TDocInfo info{"Wzór", "wzor.pdf"};
  EXPECT_EQ(archive_.PassOn("Fake Printer", {}, info, TDocumentFormat::Pdf, dir_.File("in/wzor.pdf"), 11),
            TPassOnResult::Printed);
  EXPECT_EQ(Native(archive_.Result().Path), Native(dir_.File("out/wzor-Fake Printer-.pdf")))
      << "its pages are not counted";
  EXPECT_EQ(ReadAll(archive_.Result().Path), document);
  EXPECT_EQ(printer_.PassedOn.back().Bytes, document);

  EXPECT_EQ(archive_.PassOn("Fake Printer", {}, info, TDocumentFormat::Raw, dir_.File("in/wzor.pdf"), 0),
            TPassOnResult::Printed);
  EXPECT_EQ(archive_.Result().Path, "");
  EXPECT_NE(archive_.Result().Failure.find("PCL"), std::string::npos) << archive_.Result().Failure;

  // Where the printer does not take it, nothing is archived and nothing said: the job fails.
  printer_.Printers[0].Unsupported = {TDocumentFormat::Pdf};
  EXPECT_EQ(archive_.PassOn("Fake Printer", {}, info, TDocumentFormat::Pdf, dir_.File("in/wzor.pdf"), 11),
            TPassOnResult::Unsupported);
  EXPECT_EQ(archive_.Result().Failure, "");
  printer_.FailOn("PassOn");
  EXPECT_THROW(archive_.PassOn("Fake Printer", {}, info, TDocumentFormat::Pdf, dir_.File("in/wzor.pdf"), 11), EPrinter);
  EXPECT_EQ(FilesIn(dir_.File("out")), std::vector<std::string>{"wzor-Fake Printer-.pdf"});
}

}  // namespace
}  // namespace prynda
