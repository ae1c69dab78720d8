// The six fonts: the base face chosen among the printer's faces, their built-in definitions, and
// the font sections of the settings file.
#include "jobcontrol/font_set.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobcontrol/settings_file.h"
#include "support/job_fixture.h"

namespace prynda::testing {
namespace {

class FontSetTest : public JobFixture {
 protected:
  void OfferFaces(std::vector<std::string> faces) { system.Printers[0].Fonts = std::move(faces); }
  std::vector<TFont*> AllFonts() {
    std::vector<TFont*> fonts;
    for (TFont& font : job.Fonts) fonts.push_back(&font);
    return fonts;
  }
  // Puts every field of a font off its built-in value.
  static void Spoil(TFont& font) {
    font.SetName("Wingdings");
    font.SetCharset(0);
    font.SetColor(0x0000FF);
    font.SetPitch(TFontPitch::fpFixed);
    font.SetSize(30);
    font.SetStyle(fsBold | fsItalic);
  }
  void Load(const std::string& settings, TFont& font, std::string_view suffix) {
    LoadFontSection(job, TMemIniFile::FromText(settings), font, suffix);
  }
};

TEST_F(FontSetTest, TheBaseFaceIsOneThePrinterOffers) {
  struct Case {
    std::string Base;
    std::vector<std::string> Faces;
    std::string Expected;
  };
  const std::string long_face(100, 'F');
  const Case cases[] = {
      {"Courier New", {"Arial", "Courier New"}, "Courier New"},
      {"Courier New", {"COURIER NEW"}, "Courier New"},  // found: kept as spelled
      {"Lucida Console", {"Courier New", "lucida console"}, "Lucida Console"},
      {"Lucida Console", {"Arial", "Courier New"}, "Courier New"},
      {"Courier New", {"Times New Roman", "Arial"}, "Arial"},
      {"Courier New", {"Times New Roman", "Verdana"}, "Times New Roman"},
      {"Courier New", {long_face, "Verdana"}, long_face.substr(0, 80)},
      {"Courier New", {}, "Courier New"},
      {"Lucida Console", {}, "Lucida Console"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Base + " among " + std::to_string(c.Faces.size()) + " faces");
    OfferFaces(c.Faces);
    printer.SetSelectedIndex(-1);  // a fresh context, and with it the new faces
    printer.ReloadLists();
    job.Settings.BaseFontName = c.Base;
    SetUpFontSet(job);
    EXPECT_EQ(job.Settings.BaseFontName, c.Expected);
    // A font's face is at most 31 characters.
    for (TFont* font : AllFonts()) EXPECT_EQ(font->Name(), c.Expected.substr(0, 31));
  }
}

TEST_F(FontSetTest, BuiltInDefinitions) {
  for (TFont* font : AllFonts()) Spoil(*font);
  SetUpFontSet(job);
  struct Expected {
    const TFont& Font;
    int Size;
    int Height;
  };
  const Expected fonts[] = {{job.Font(JobFont::Cpi10), 10, -13},    {job.Font(JobFont::Cpi12), 8, -11},
                            {job.Font(JobFont::Condensed), 8, -11}, {job.Font(JobFont::Cpi20), 8, -11},
                            {job.Font(JobFont::Expanded), 12, -16}, {job.Font(JobFont::Small), 6, -8}};
  for (const Expected& e : fonts) {
    EXPECT_EQ(e.Font.Name(), "Courier New");
    EXPECT_EQ(e.Font.Size(), e.Size);
    EXPECT_EQ(e.Font.Height(), e.Height);
    EXPECT_EQ(e.Font.Charset(), 238);
    EXPECT_EQ(e.Font.Color(), clWindowText);
    EXPECT_EQ(e.Font.Pitch(), TFontPitch::fpDefault);
    EXPECT_EQ(e.Font.Style(), 0);
  }
}

TEST_F(FontSetTest, ASectionNamingAnOfferedFaceReplacesTheFont) {
  struct Case {
    std::string Keys;
    std::string Name;
    int Size;
    TColor Color;
    int Charset;
  };
  const Case cases[] = {
      {"Name=Arial", "Arial", 8, clWindowText, 238},
      {"Name=aRIAL\nHeight=-40", "aRIAL", 8, clWindowText, 238},
      {"Name=Arial\nSize=9\nHeight=-40", "Arial", 9, clWindowText, 238},
      {"Height=-40\nName=Arial\nSize=14\nColor=255\nCharset=186", "Arial", 14, 255, 186},
      {"Name=Arial\nColor=0x00FF00\nCharset=0", "Arial", 8, 0x00FF00, 0},
      {"Name=Arial\nCharset=255\nPitch=fpFixed", "Arial", 8, clWindowText, 255},
      {"Name=Arial\nCharset=256\nSize=dziewięć\nColor=red", "Arial", 8, clWindowText, 238},
      {"Name=Arial\nCharset=-1", "Arial", 8, clWindowText, 238},
  };
  OfferFaces({"Courier New", "Arial"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Keys);
    Spoil(job.Font(JobFont::Expanded));
    Load("[FormKelvra\\FontDialog_EM_Font]\n" + c.Keys + "\n", job.Font(JobFont::Expanded), "EM");
    EXPECT_EQ(Output(), "");
    EXPECT_EQ(job.Font(JobFont::Expanded).Name(), c.Name);
    EXPECT_EQ(job.Font(JobFont::Expanded).Size(), c.Size);
    EXPECT_EQ(job.Font(JobFont::Expanded).Color(), c.Color);
    EXPECT_EQ(job.Font(JobFont::Expanded).Charset(), c.Charset);
    EXPECT_EQ(job.Font(JobFont::Expanded).Pitch(), TFontPitch::fpDefault);
    EXPECT_EQ(job.Font(JobFont::Expanded).Style(), 0);
  }
}

TEST_F(FontSetTest, AMissingSectionOrFaceKeepsTheFontAndSaysSo) {
  OfferFaces({"Courier New", "Arial"});
  job.Settings.ShowMessages = false;  // these lines are no progress messages
  struct Case {
    std::string Settings;
    std::string Message;
  };
  const Case cases[] = {
      {"", "Brak sekcji czcionki: FormKelvra\\FontDialog_EM_Font\n"},
      {"[FormKelvra\\FontDialog_EM_Font]\nSize=9\nName\n", "Brak sekcji czcionki: FormKelvra\\FontDialog_EM_Font\n"},
      {"[FormKelvra\\FontDialog_12_Font]\nName=Arial\n", "Brak sekcji czcionki: FormKelvra\\FontDialog_EM_Font\n"},
      {"[FormKelvra\\FontDialog_EM_Font]\nName=Tahoma\nSize=9\n", "Czcionki EM nie odnaleziono w drukarce\n"},
      {"[FormKelvra\\FontDialog_EM_Font]\nName=\n", "Czcionki EM nie odnaleziono w drukarce\n"},
      {"[FormKelvra\\FontDialog_EM_Font]\nName=Arial Black\n", "Czcionki EM nie odnaleziono w drukarce\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Settings);
    out.str("");
    Spoil(job.Font(JobFont::Expanded));
    const TFontSpec before = job.Font(JobFont::Expanded).Spec();
    Load(c.Settings, job.Font(JobFont::Expanded), "EM");
    EXPECT_EQ(Output(), c.Message);
    EXPECT_TRUE(job.Font(JobFont::Expanded).Spec() == before);
    EXPECT_EQ(job.Font(JobFont::Expanded).Color(), 0x0000FF);
  }
}

TEST_F(FontSetTest, TheSettingsFileLoadsTheSixSectionsInOrder) {
  TempDir folder;
  job.Params[0] = folder.File("prynda");
  OfferFaces({"Courier New", "Arial"});
  SetUpFontSet(job);
  folder.Write("prynda.ini", "[FormKelvra]\n");
  ReadSettingsFile(job);
  EXPECT_EQ(OutputLines(), MissingFontSections());

  out.str("");
  folder.Write("prynda.ini",
               "[formkelvra\\fontdialog_16_font]\nName=Arial\nSize=7\n"
               "[FormKelvra\\FontDialog_AK_Font]\nName=Tahoma\n"
               "[FormKelvra\\FontDialog_10_Font]\nName=Courier New\n"
               "[FormKelvra\\FontDialog_12_Font]\nName=Arial\n"
               "[FormKelvra\\FontDialog_20_Font]\nName=Arial\n");
  ReadSettingsFile(job);
  EXPECT_EQ(OutputLines(), (std::vector<std::string>{"Brak sekcji czcionki: FormKelvra\\FontDialog_EM_Font",
                                                     "Czcionki AK nie odnaleziono w drukarce"}));
  EXPECT_EQ(job.Font(JobFont::Condensed).Name(), "Arial");
  EXPECT_EQ(job.Font(JobFont::Condensed).Size(), 7);
  EXPECT_EQ(job.Font(JobFont::Cpi10).Size(), 8);
  EXPECT_EQ(job.Font(JobFont::Expanded).Size(), 12);
  EXPECT_EQ(job.Font(JobFont::Small).Name(), "Courier New");
  EXPECT_EQ(job.Font(JobFont::Small).Size(), 6);
}

}  // namespace
}  // namespace prynda::testing
