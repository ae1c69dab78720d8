// A form under every sheet, as a user gives it (/BG= or the key Background) on "Prynda PDF", read
// back with poppler-utils: the form's pages under the job's, the last repeating, on the whole
// sheet whatever the offsets and fit do to the job; a PDF form kept as vector drawing and text, a
// PNG form as one image; a form that cannot be used stopping the job before anything prints.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "e2e/run_program.h"
#include "support/form_files.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

constexpr double kA4Height = 841.89;

// Page 1 of the form: a light grey band over the top-left corner, where the job's first line
// prints, and a black square near the bottom-left corner; page 2: the square near the
// bottom-right corner. Each page names itself in text.
const std::string kFormPdf = FormPdf({
    FormBox(0, kA4Height - 60, 300, 60, 0.8) + FormBox(40, 40, 60, 60) + FormText(300, 400, "FORMULARZ1"),
    FormBox(495, 40, 60, 60) + FormText(300, 400, "FORMULARZ2"),
});

struct Word {
  double X, Y, Right, Bottom;  // points from the page's top-left corner
  std::string Text;
};

std::vector<Word> Words(const std::string& pdf, int page) {
  const std::string bbox =
      Shell("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' -");
  static const std::regex word(R"re(xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)<)re");
  std::vector<Word> words;
  for (auto it = std::sregex_iterator(bbox.begin(), bbox.end(), word); it != std::sregex_iterator(); ++it) {
    words.push_back(Word{std::stod((*it)[1]), std::stod((*it)[2]), std::stod((*it)[3]), std::stod((*it)[4]), (*it)[5]});
  }
  return words;
}

const Word* Find(const std::vector<Word>& words, const std::string& text) {
  for (const Word& word : words) {
    if (word.Text == text) return &word;
  }
  return nullptr;
}

std::string Texts(const std::vector<Word>& words) {
  std::string joined;
  for (const Word& word : words) joined += word.Text + " ";
  return joined;
}

// A page rendered in grey at 36 dpi (a pixel is 2 points).
class Raster {
 public:
  Raster(const std::string& pdf, int page, const std::string& base) {
    Shell("pdftoppm -gray -r 36 -f " + std::to_string(page) + " -l " + std::to_string(page) + " -singlefile '" + pdf +
          "' '" + base + "'");
    std::ifstream in(base + ".pgm", std::ios::binary);
    std::string magic;
    int max = 0;
    in >> magic >> width_ >> height_ >> max;
    in.get();
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    in.read(reinterpret_cast<char*>(pixels_.data()), static_cast<std::streamsize>(pixels_.size()));
  }
  // The pixels from (x, y) to (right, bottom), points from the top-left corner, whose grey lies
  // from `low` to `high`.
  int Count(double x, double y, double right, double bottom, int low, int high) const {
    int count = 0;
    for (int row = static_cast<int>(y / 2); row < static_cast<int>(bottom / 2) && row < height_; ++row) {
      for (int column = static_cast<int>(x / 2); column < static_cast<int>(right / 2) && column < width_; ++column) {
        const int grey = pixels_[static_cast<std::size_t>(row) * width_ + column];
        count += grey >= low && grey <= high;
      }
    }
    return count;
  }
  bool Black(double x, double y, double right, double bottom) const {
    return Count(x, y, right, bottom, 0, 60) == Count(x, y, right, bottom, 0, 255);
  }
  bool White(double x, double y, double right, double bottom) const {
    return Count(x, y, right, bottom, 250, 255) == Count(x, y, right, bottom, 0, 255);
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<unsigned char> pixels_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() { form_ = dir_.Write("papier.pdf", kFormPdf); }

  // Prints `job` with `options`, `section` as the [Prynda] section of the user's settings file.
  ProgramRun Print(const std::string& job, std::vector<std::string> options, const std::string& section = "") {
    fs::create_directories(dir_.File("config/prynda"));
    dir_.Write("config/prynda/prynda.ini", "[Prynda]\n" + section);
    input_ = dir_.Write("wydruk.prn", job);
    options.insert(options.begin(), input_);
    options.push_back("/ST");
    pdf_ = dir_.File("wydruk" + std::to_string(++runs_) + ".pdf");
    return RunPrynda({.Args = options,
                      .Env = {{"PRYNDA_PDF", pdf_}, {"XDG_CONFIG_HOME", dir_.File("config")}, {"LC_ALL", "C.UTF-8"}}});
  }

  TempDir dir_;
  std::string form_;
  std::string input_;
  std::string pdf_;
  int runs_ = 0;
};

TEST_F(FormTest, TheFormLiesUnderTheJobOnEverySheetItsLastPageRepeating) {
  // Three sheets, the second one blank: the job asks for it with a second form feed.
  // The archive keeps the sheets as printed, the form under the job.
  fs::create_directories(dir_.File("archiwum"));
  const ProgramRun run = Print("XXXXXXXXXXXXXXXXXXXX\r\n\x0c\x0cStrona3\r\n", {"/BG=" + form_},
                               "Archive=" + dir_.File("archiwum") + "\nArchiveName=kopia.pdf\n");
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  ASSERT_EQ(PdfPageCount(pdf_), 3);
  const std::string archived = dir_.File("archiwum/kopia.pdf");
  ASSERT_EQ(PdfPageCount(archived), 3);
  const char* const expected[] = {"XXXXXXXXXXXXXXXXXXXX FORMULARZ1 ", "FORMULARZ2 ", "Strona3 FORMULARZ2 "};
  for (int page = 1; page <= 3; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Texts(Words(pdf_, page)), expected[page - 1]);
    EXPECT_EQ(Texts(Words(archived, page)), expected[page - 1]);
    const Raster raster(pdf_, page, dir_.File("strona"));
    // The squares, inside by a pixel: page 1's on the left, page 2's (and so page 3's) on the right.
    const double top = kA4Height - 98;
    EXPECT_EQ(raster.Black(44, top, 98, kA4Height - 44), page == 1);
    EXPECT_EQ(raster.White(44, top, 98, kA4Height - 44), page != 1);
    EXPECT_EQ(raster.Black(499, top, 553, kA4Height - 44), page != 1);
  }
  // The job's first line inks the grey band: it lies over the form, which shows around it.
  const Raster first(pdf_, 1, dir_.File("strona"));
  EXPECT_GT(first.Count(12, 12, 150, 24, 0, 150), 20);
  EXPECT_GT(first.Count(12, 12, 150, 24, 190, 215), 20);
  EXPECT_GT(first.Count(200, 4, 290, 56, 190, 215), 1000);

  // Vector drawing and text, no image; each form page once in the file, its font too.
  EXPECT_EQ(Occurrences(Shell("pdfimages -list '" + pdf_ + "'"), "\n"), 2);
  const std::string bytes = ReadFile(pdf_);
  EXPECT_EQ(Occurrences(bytes, "/Subtype/Form"), 2);
  EXPECT_EQ(Occurrences(bytes, "/BaseFont /Helvetica"), 1);
}

TEST_F(FormTest, OffsetsAndFitMoveTheJobButNotTheForm) {
  const std::string job = "XXXX\r\n";
  ASSERT_EQ(Print(job, {"/BG=" + form_}, "Emulation=FX\n").ExitCode, 0);
  const std::vector<Word> plain = Words(pdf_, 1);
  const ProgramRun moved_run =
      Print(job, {"/BG=" + form_, "/FIT"}, "Emulation=FX\nFormWidth=136\nOffsetX=20\nOffsetY=10\n");
  ASSERT_EQ(moved_run.ExitCode, 0) << moved_run.Err;
  const std::vector<Word> moved = Words(pdf_, 1);
  const Word *job_before = Find(plain, "XXXX"), *job_after = Find(moved, "XXXX");
  const Word *form_before = Find(plain, "FORMULARZ1"), *form_after = Find(moved, "FORMULARZ1");
  ASSERT_TRUE(job_before && job_after && form_before && form_after) << Texts(plain) << "/ " << Texts(moved);
  // 20 mm right (56.7 pt) and 10 mm down (28.3 pt), on top of the fit's shrinking to 80/136.
  EXPECT_NEAR(job_after->X - job_before->X, 56.7, 2);
  EXPECT_NEAR(job_after->Y - job_before->Y, 28.3, 2);
  EXPECT_NEAR((job_after->Right - job_after->X) / (job_before->Right - job_before->X), 80.0 / 136, 0.03);
  EXPECT_DOUBLE_EQ(form_after->X, form_before->X);
  EXPECT_DOUBLE_EQ(form_after->Y, form_before->Y);
  EXPECT_DOUBLE_EQ(form_after->Right, form_before->Right);
}

TEST_F(FormTest, APngFormIsOneImageUnderEverySheet) {
  // The form's first page as a grey picture of 249 x 351 dots (A4 at 30 dpi, rounded up).
  Shell("pdftoppm -png -r 30 -f 1 -l 1 -singlefile '" + form_ + "' '" + dir_.File("papier") + "'");
  const ProgramRun run = Print("Strona1\r\n\x0cStrona2\r\n", {"/BG=" + dir_.File("papier.png")});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  ASSERT_EQ(PdfPageCount(pdf_), 2);
  const std::string images = Shell("pdfimages -list '" + pdf_ + "'");
  static const std::regex row(R"(\n\s*(\d+)\s+\d+\s+image\s+249\s+351\s+gray\s.*?\s(\d+)\s+0\s)");
  std::vector<std::string> objects;
  for (auto it = std::sregex_iterator(images.begin(), images.end(), row); it != std::sregex_iterator(); ++it) {
    objects.push_back((*it)[2]);
  }
  ASSERT_EQ(objects.size(), 2u) << images;
  EXPECT_EQ(objects[0], objects[1]) << "one image object for both sheets";
  for (int page = 1; page <= 2; ++page) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Texts(Words(pdf_, page)), "Strona" + std::to_string(page) + " ");
    EXPECT_TRUE(Raster(pdf_, page, dir_.File("strona")).Black(46, kA4Height - 96, 96, kA4Height - 46));
  }
}

TEST_F(FormTest, AFormThatCannotBeUsedStopsTheJobBeforeAnythingPrints) {
  struct Case {
    std::string Name;
    std::string Bytes;  // "" for no file at all
    std::string Message;
  };
  const std::string no_pages =
      "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj 2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\n"
      "trailer<</Root 1 0 R>>\n%%EOF\n";
  const Case cases[] = {
      {"brak.pdf", "", "nie ma takiego pliku"},
      {"papier.txt", "Nagłówek firmy\r\n", "to nie jest plik PDF ani PNG"},
      {"urwany.pdf", kFormPdf.substr(0, 300), "plik PDF jest uszkodzony"},
      {"pusty.pdf", no_pages, "plik PDF nie ma żadnej strony"},
      {"urwany.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10", 20), "plik PNG jest uszkodzony"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = c.Bytes.empty() ? dir_.File(c.Name) : dir_.Write(c.Name, c.Bytes);
    const ProgramRun run = Print("Faktura\r\n", {"E", "/BG=" + path});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "Formularz " + path + ": " + c.Message + "; nic nie wydrukowano\n");
    EXPECT_FALSE(fs::exists(pdf_));
    EXPECT_TRUE(fs::exists(input_)) << "the job is kept";
  }
}

TEST_F(FormTest, AFormsPathIsNoOptionAndTheOptionOverridesTheKey) {
  // A path with E and 180 in it neither deletes the job nor switches to the 24-pin scale: the
  // job's one-inch feed (ESC J 216 in 9-pin units) stays 72 points.
  fs::create_directories(dir_.File("E180"));
  const std::string odd = dir_.File("E180/papier E 180.pdf");
  fs::copy_file(form_, odd);
  const std::string job = "A\r\x1bJ\xd8" "B\r\n";
  ProgramRun run = Print(job, {"/FX", "/BG=" + odd});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_TRUE(fs::exists(input_));
  const std::vector<Word> words = Words(pdf_, 1);
  const Word *a = Find(words, "A"), *b = Find(words, "B");
  ASSERT_TRUE(a && b && Find(words, "FORMULARZ1")) << Texts(words);
  EXPECT_NEAR(b->Y - a->Y, 72, 0.5);

  struct Case {
    std::string Key;
    std::vector<std::string> Options;
    bool Form;
  };
  const Case cases[] = {
      {form_, {}, true},
      {dir_.File("brak.pdf"), {"/BG=" + form_}, true},
      {dir_.File("brak.pdf"), {"/bg=" + form_}, true},
      {form_, {"/BG="}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Key + (c.Options.empty() ? "" : " " + c.Options[0]));
    run = Print("Faktura\r\n", c.Options, "Background=" + c.Key + "\n");
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(Texts(Words(pdf_, 1)), c.Form ? "Faktura FORMULARZ1 " : "Faktura ");
  }
}

}  // namespace
}  // namespace prynda::testing
