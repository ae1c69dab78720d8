// The settings file beside the executable: which file is taken, how its keys land in the job
// settings, its "PRINTER" key, and the failures that end the step silently. Real files in a
// scratch folder, with the executable's path pointing into it.
#include "jobcontrol/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "jobcontrol/font_set.h"
#include "jobcontrol/options.h"
#include "platform/mem_ini_file.h"
#include "support/job_fixture.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

TEST(SettingFlagTest, OnlyTheFirstCharacterCounts) {
  for (const char* text : {"1", "T", "Y", "t", "True", "true", "Yes", "Tak", "10"}) EXPECT_TRUE(SettingFlag(text)) << text;
  for (const char* text : {"", "y", "yes", "False", "F", "0", "N", " T", "nie"}) EXPECT_FALSE(SettingFlag(text)) << text;
}

TEST(LocateSettingsFileTest, TheIniBesideTheExecutableFirstThenLodvig) {
#ifdef _WIN32
  GTEST_SKIP() << "the file system matches names ignoring case by itself here";
#endif
  struct Case {
    std::string Executable;
    std::vector<std::string> Files;
    std::vector<std::string> Folders;
    std::string Expected;  // "" = no settings file
  };
  const Case cases[] = {
      {"prynda", {"Lodvig.ini", "prynda.INI"}, {}, "prynda.INI"},
      {"prynda", {"PRYNDA.INI"}, {}, "PRYNDA.INI"},
      {"prynda", {"prynda.ini"}, {}, "prynda.ini"},
      {"prynda", {"PRYNDA.INI", "Prynda.ini", "prynda.INI"}, {}, "prynda.INI"},
      {"prynda", {"prynda.ini", "Prynda.ini", "PRYNDA.INI", "PRYNDA.ini"}, {}, "PRYNDA.INI"},
      {"PRYNDA.EXE", {"PRYNDA.INI", "PRYNDA.EXE.INI"}, {}, "PRYNDA.INI"},
      {"prynda", {"LODVIG.INI"}, {}, "LODVIG.INI"},
      {"prynda", {"Lodvig.ini"}, {"prynda.INI", "PRYNDA.ini"}, "Lodvig.ini"},
      {"prynda", {}, {"prynda.INI", "Lodvig.ini"}, ""},
      {"prynda", {"prynda", "prynda.INI.bak", "xprynda.INI", "prynda.conf", "Lodvig.ini~"}, {}, ""},
  };
  for (const Case& c : cases) {
    TempDir folder;
    for (const auto& file : c.Files) folder.Write(file, "[FormKelvra]\n");
    for (const auto& name : c.Folders) fs::create_directory(folder.File(name));
    const auto found = LocateSettingsFile(folder.File(c.Executable));
    EXPECT_EQ(found.value_or(""), c.Expected.empty() ? "" : folder.File(c.Expected))
        << c.Executable << " beside " << c.Files.size() << " files";
  }
  EXPECT_EQ(LocateSettingsFile(""), std::nullopt);
}

TEST(LocateSettingsFileTest, WithNoneBesideTheExecutableTheFirstFurtherFileThatExists) {
  struct Case {
    std::vector<std::string> Files;
    std::vector<std::string> Folders;
    std::string Expected;  // "" = no settings file
  };
  const Case cases[] = {
      {{"user/prynda.ini", "system/prynda.ini"}, {}, "user/prynda.ini"},
      {{"system/prynda.ini"}, {}, "system/prynda.ini"},
      {{"program/Lodvig.ini", "user/prynda.ini"}, {}, "program/Lodvig.ini"},
      {{"program/prynda.INI", "user/prynda.ini", "system/prynda.ini"}, {}, "program/prynda.INI"},
      {{"system/prynda.ini"}, {"user/prynda.ini"}, "system/prynda.ini"},
#ifndef _WIN32
      {{"user/PRYNDA.INI", "system/Prynda.ini"}, {}, ""},  // only beside the program in any case
#endif
      {{}, {"user/prynda.ini", "system/prynda.ini"}, ""},
  };
  for (const Case& c : cases) {
    TempDir folder;
    for (const char* name : {"program", "user", "system"}) fs::create_directory(folder.File(name));
    for (const auto& file : c.Files) folder.Write(file, "[FormKelvra]\n");
    for (const auto& name : c.Folders) fs::create_directory(folder.File(name));
    const auto found = LocateSettingsFile(folder.File("program/prynda"),
                                          {folder.File("user/prynda.ini"), folder.File("system/prynda.ini")});
    auto normal = [](const std::string& path) { return fs::path(path).lexically_normal().string(); };
    EXPECT_EQ(normal(found.value_or("")), c.Expected.empty() ? "" : normal(folder.File(c.Expected))) << c.Files.size();
  }
}

TEST(UserAndSystemSettingsFilesTest, TheUsersFolderFromTheEnvironmentThenTheSystems) {
  const std::string system(kSystemSettingsFile);
  struct Case {
    const char* ConfigHome;
    const char* Home;
    std::vector<std::string> Expected;
  };
  const Case cases[] = {
      {"/srv/ola/cfg", "/users/ola", {"/srv/ola/cfg/prynda/prynda.ini", system}},
      {nullptr, "/users/ola", {"/users/ola/.config/prynda/prynda.ini", system}},
      {"", "/users/ola", {"/users/ola/.config/prynda/prynda.ini", system}},
      {"cfg", "/users/ola", {"/users/ola/.config/prynda/prynda.ini", system}},
      {nullptr, nullptr, {system}},
      {"", "", {system}},
      {"cfg", "home/ola", {system}},
  };
  for (const Case& c : cases) {
#ifdef _WIN32
    EXPECT_EQ(UserAndSystemSettingsFiles(c.ConfigHome, c.Home), std::vector<std::string>{});
#else
    EXPECT_EQ(UserAndSystemSettingsFiles(c.ConfigHome, c.Home), c.Expected)
        << (c.ConfigHome ? c.ConfigHome : "unset") << ", " << (c.Home ? c.Home : "unset");
#endif
  }
}

class SettingsFileTest : public JobFixture {
 protected:
  SettingsFileTest() {
    FakePrinter broken = Printer("Zepsuta", {"Arial"});
    broken.Valid = false;
    InstallPrinters({Printer("Biuro HP", {"Arial"}), Printer("Magazyn Epson", {"Courier New"}), broken},
                    "Magazyn Epson");
    job.Params[0] = folder.File("prynda");
  }
  void Read(const std::string& settings) {
    folder.Write("prynda.INI", settings);
    ReadSettingsFile(job);
  }

  TempDir folder;
};

TEST_F(SettingsFileTest, KeysOverwriteTheBuiltInValues) {
  struct Case {
    std::string Settings;
    std::function<void(TJobSettings&)> Changes;
  };
  const Case cases[] = {
      {"", [](TJobSettings& s) { s.IgnoreNull = false; }},
      {"[Inne]\nUSUN=1\nIgnoreNULL=1\n", [](TJobSettings& s) { s.IgnoreNull = false; }},
      {"[FormKelvra]\nUSUN=Yes\niteracja=180\nPL=1\nRAMKA=0x3\nLINEY=2\nForceFF=t\nFF_LINES=T\n"
       "FF_NLINES=50\nTRUNCATE=1\nIgnoreNULL=True\n",
       [](TJobSettings& s) {
         s.DeleteAfterPrint = s.ForceFF = s.FFLines = s.Truncate = true;
         s.Scale216 = false;
         s.CodePage = CodePageId::Mazovia;
         s.FrameWidth = 3;
         s.TopMarginLines = 2;
         s.FFNLines = 50;
       }},
      {"[formkelvra]\nusun=1\nIGNORENULL=t\n", [](TJobSettings& s) { s.DeleteAfterPrint = true; }},
      {"[FormKelvra]\nUSUN=yes\nForceFF=y\nTRUNCATE=False\nIgnoreNULL=\n", [](TJobSettings& s) { s.IgnoreNull = false; }},
      {"[FormKelvra]\nRAMKA=\nIgnoreNULL=1\n", [](TJobSettings&) {}},
      {"[FormKelvra]\nRAMKA=2px\nIgnoreNULL=1\n", [](TJobSettings&) {}},
      {"[FormKelvra]\nRAMKA=0\nLINEY=-1\nFF_NLINES=0\nIgnoreNULL=1\n",
       [](TJobSettings& s) { s.FrameWidth = 0; s.TopMarginLines = -1; s.FFNLines = 0; }},
      {"[FormKelvra]\nRAMKA=$A\nPL=2\niteracja=0\nIgnoreNULL=1\n", [](TJobSettings& s) { s.FrameWidth = 10; }},
      {"[FormKelvra]\niteracja=abc\nIgnoreNULL=1\n", [](TJobSettings&) {}},
      {"[FormKelvra]\niteracja=-1\nIgnoreNULL=1\n", [](TJobSettings& s) { s.Scale216 = false; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Settings);
    job.Settings = TJobSettings();
    Read(c.Settings);
    TJobSettings expected;
    c.Changes(expected);
    EXPECT_EQ(Describe(job.Settings), Describe(expected));
  }
}

// The settings file that comes with the program sets every key and font to its built-in value.
TEST_F(SettingsFileTest, TheShippedFileHoldsTheBuiltInValues) {
  const fs::path shipped = fs::path(__FILE__).parent_path().parent_path().parent_path() / "docs" / "prynda.ini";
  SetUpFontSet(job);
  std::vector<TFontSpec> built_in;
  for (const TFontSlot& slot : kFontSlots) built_in.push_back(job.Font(slot.Font).Spec());
  fs::copy_file(shipped, folder.File("prynda.INI"));
  job.Settings.IgnoreNull = false;  // so that the file must set it
  ReadSettingsFile(job);
  EXPECT_EQ(Describe(job.Settings), Describe(TJobSettings()));
  EXPECT_EQ(Output(), "");
  for (std::size_t i = 0; i < std::size(kFontSlots); ++i) {
    EXPECT_TRUE(job.Font(kFontSlots[i].Font).Spec() == built_in[i]) << kFontSlots[i].Suffix;
  }

  // Every key is there, also those whose default equals the built-in value, and our own.
  const TMemIniFile ini(shipped.string());
  for (const char* key : {"USUN", "PL", "iteracja", "RAMKA", "LINEY", "ForceFF", "FF_LINES", "FF_NLINES", "TRUNCATE",
                          "IgnoreNULL", "PRINTER"}) {
    EXPECT_TRUE(ini.HasKey(kSettingsSection, key)) << key;
  }
  for (const char* key : {"Emulation", "AutoCR", "CodePage", "Paper", "FormLength", "FormWidth", "Fit", "Orientation",
                          "OffsetX", "OffsetY", "MaxPages", "ProgramTime", "Background", "Archive", "ArchiveName"}) {
    EXPECT_TRUE(ini.HasKey("Prynda", key)) << key;
  }
  EXPECT_EQ(job.Prynda.Emulation, EmulationKind::Own);
  EXPECT_FALSE(job.Prynda.AutoCR || job.Prynda.ShapesThePage());
  EXPECT_EQ(job.Prynda.Background, "");
  EXPECT_EQ(job.Prynda.ArchiveFolder, "");
  EXPECT_EQ(job.Prynda.ArchiveName, PryndaSettings().ArchiveName);
  EXPECT_EQ(JobCodePage(job).Id, CodePageId::Pc852);
  for (const TFontSlot& slot : kFontSlots) {
    for (const char* key : {"Name", "Size", "Height", "Charset", "Color"}) {
      EXPECT_TRUE(ini.HasKey("FormKelvra\\FontDialog_" + std::string(slot.Suffix) + "_Font", key)) << slot.Suffix;
    }
  }
}

TEST_F(SettingsFileTest, PaperAndFormKeys) {
  struct Case {
    std::string Settings;
    std::string Paper;  // "name WxH", or "" for none asked
    int FormLength, FormWidth;
    bool Fit;
    OrientationChoice Orientation;
    double OffsetX, OffsetY;
  };
  const Case cases[] = {
      {"", "", 0, 0, false, OrientationChoice::File, 0, 0},
      {"Paper=letter\nFormLength=72\nFormWidth=136\nFit=T\nOrientation=auto\nOffsetX=-3.5\nOffsetY=12",
       "Letter 215.9x279.4", 72, 136, true, OrientationChoice::Auto, -3.5, 12},
      {"Paper=Fanfold14\nOrientation=Landscape", "Fanfold14 377.825x279.4", 0, 0, false, OrientationChoice::Landscape, 0, 0},
      {"Paper= 210x305 \nOrientation=portrait", "210x305 210x305", 0, 0, false, OrientationChoice::Portrait, 0, 0},
      // Values Prynda cannot take are ignored: the built-in value stays.
      {"Paper=B7\nFormLength=0\nFormWidth=72.5\nFit=maybe\nOrientation=sideways\nOffsetX=1,5\nOffsetY=5000",
       "", 0, 0, false, OrientationChoice::File, 0, 0},
      {"Paper=5x297\nFormLength=1000", "", 0, 0, false, OrientationChoice::File, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Settings);
    job.Prynda = PryndaSettings{};
    Read("[Prynda]\n" + c.Settings + "\n");
    const PryndaSettings& p = job.Prynda;
    std::string paper;
    if (p.Paper) {
      std::ostringstream text;
      text << p.Paper->Name << " " << p.Paper->WidthMm << "x" << p.Paper->HeightMm;
      paper = text.str();
    }
    EXPECT_EQ(paper, c.Paper);
    EXPECT_EQ(p.FormLength, c.FormLength);
    EXPECT_EQ(p.FormWidth, c.FormWidth);
    EXPECT_EQ(p.Fit, c.Fit);
    EXPECT_EQ(p.Orientation, c.Orientation);
    EXPECT_EQ(p.OffsetXMm, c.OffsetX);
    EXPECT_EQ(p.OffsetYMm, c.OffsetY);
  }
  job.Params = {job.Params[0], "faktura.txt", "/fit"};
  ApplyOptions(job);
  EXPECT_TRUE(job.Prynda.Fit);
}

TEST_F(SettingsFileTest, ArchiveKeys) {
  struct Case {
    std::string Settings;
    std::string Folder;
    std::string Name;
  };
  const std::string standard(kDefaultArchiveName);
  const Case cases[] = {
      {"", "", standard},
      {"Archive= /srv/archiwum kasy \nArchiveName= {user}-{name}.pdf ", "/srv/archiwum kasy", "{user}-{name}.pdf"},
      {"Archive=C:\\Archiwum\nArchiveName=", "C:\\Archiwum", standard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Settings);
    job.Prynda = PryndaSettings{};
    Read("[Prynda]\n" + c.Settings + "\n");
    EXPECT_EQ(job.Prynda.ArchiveFolder, c.Folder);
    EXPECT_EQ(job.Prynda.ArchiveName, c.Name);
  }
}

// A face per ESC k family, by its key; an empty value or another key names none.
TEST_F(SettingsFileTest, TypefaceKeys) {
  job.Prynda = PryndaSettings{};
  Read("[Prynda]\nFaceScript= URW Chancery L \nFaceRoman=\nFaceGothic=Arial\n");
  const std::map<std::string, std::string, std::less<>> named = {{"FaceScript", "URW Chancery L"}};
  EXPECT_EQ(job.Prynda.TypefaceFaces, named);
}

// Seconds from 1 to 3600; anything else leaves the built-in value.
TEST_F(SettingsFileTest, ProgramTimeKey) {
  const std::pair<std::string, int> cases[] = {
      {"", 120},              {"ProgramTime=2", 2},      {"ProgramTime= 3600 ", 3600},
      {"ProgramTime=0", 120}, {"ProgramTime=3601", 120}, {"ProgramTime=2s", 120},
  };
  for (const auto& [settings, seconds] : cases) {
    job.Prynda = PryndaSettings{};
    Read("[Prynda]\n" + settings + "\n");
    EXPECT_EQ(job.Prynda.ProgramTime, seconds) << settings;
  }
}

TEST_F(SettingsFileTest, OurOwnSectionAndItsOptions) {
  struct Case {
    std::string Settings;
    std::vector<std::string> Options;
    EmulationKind Emulation;
    bool AutoCR;
    CodePageId Table = CodePageId::Pc852;  // FX mode's
  };
  const Case cases[] = {
      {"", {}, EmulationKind::Own, false},
      {"[Prynda]\nEmulation=fx\nAutoCR=Yes\nBogus=1\n", {}, EmulationKind::Fx, true},
      {"[prynda]\nemulation=FX \nautocr=y\n", {}, EmulationKind::Fx, false},
      {"[Prynda]\nEmulation=ESC/P\nAutoCR=T\n", {}, EmulationKind::Own, true},
      // Read before the printer, whose failure ends the step.
      {"[FormKelvra]\nPRINTER=Zepsuta\n[Prynda]\nEmulation=FX\n", {}, EmulationKind::Fx, false},
      {"", {"/fx"}, EmulationKind::Fx, false},
      {"[Prynda]\nEmulation=ibm\n", {}, EmulationKind::Ibm, false},
      {"[Prynda]\nEmulation=FX\n", {"/IBM"}, EmulationKind::Ibm, false},
      {"", {"/AUTO", "/ibm"}, EmulationKind::Ibm, false},
      {"", {"K=2", "/LF"}, EmulationKind::Own, true},
      {"[Prynda]\nEmulation=FX\nAutoCR=1\n", {"/FF"}, EmulationKind::Fx, true},
      // The character table: by number, MAZ, or PL=1; the command line over the file.
      {"[Prynda]\nCodePage=850\n", {}, EmulationKind::Own, false, CodePageId::Pc850},
      {"[Prynda]\nCodePage=88592\n", {}, EmulationKind::Own, false, CodePageId::Iso8859_2},
      {"[Prynda]\nCodePage=maz\n", {}, EmulationKind::Own, false, CodePageId::Mazovia},
      {"[Prynda]\nCodePage=1251\n", {}, EmulationKind::Own, false},
      {"[Prynda]\nCodePage=8520\n", {}, EmulationKind::Own, false},
      {"[FormKelvra]\nPL=1\n", {}, EmulationKind::Own, false, CodePageId::Mazovia},
      {"[FormKelvra]\nPL=1\n[Prynda]\nCodePage=866\n", {}, EmulationKind::Own, false, CodePageId::Pc866},
      {"", {"MAZ"}, EmulationKind::Own, false, CodePageId::Mazovia},
      {"[Prynda]\nCodePage=866\n", {"MAZ"}, EmulationKind::Own, false, CodePageId::Mazovia},
      {"[Prynda]\nCodePage=866\n", {"/fx/cp=895"}, EmulationKind::Fx, false, CodePageId::Kamenicky},
      {"", {"MAZ", "/CP=1250"}, EmulationKind::Own, false, CodePageId::Windows1250},
      {"", {"/CP=437/FX"}, EmulationKind::Fx, false, CodePageId::Pc437},
      {"[Prynda]\nCodePage=866\n", {"/CP=999"}, EmulationKind::Own, false, CodePageId::Pc866},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Settings + ::testing::PrintToString(c.Options));
    job.Prynda = PryndaSettings{};
    job.Settings = TJobSettings();
    Read(c.Settings);
    job.Params = {job.Params[0], "faktura.txt"};
    job.Params.insert(job.Params.end(), c.Options.begin(), c.Options.end());
    ApplyOptions(job);
    EXPECT_EQ(job.Prynda.Emulation, c.Emulation);
    EXPECT_EQ(job.Prynda.AutoCR, c.AutoCR);
    EXPECT_EQ(JobCodePage(job).Name, CodePageOf(c.Table).Name);
  }
  // The new options touch none of the others.
  job.Settings = TJobSettings();
  job.Params = {job.Params[0], "faktura.txt", "/FX/LF"};
  ApplyOptions(job);
  EXPECT_EQ(Describe(job.Settings), Describe(TJobSettings()));
}

TEST_F(SettingsFileTest, ThePrinterKeyChoosesThePrinterForTheFontSections) {
  struct Case {
    std::string Printer;
    bool PrinterGiven;
    int Index;
    std::vector<std::string> Lines;  // before those of the missing sections 12 to AK
  };
  const std::string long_name(300, 'n');
  const Case cases[] = {
      {"biuro hp", false, 0, {"Wybrano drukarkę biuro hp"}},
      {"", false, 1, {"Czcionki 10 nie odnaleziono w drukarce"}},
      {"Biuro HP", true, 1, {"Czcionki 10 nie odnaleziono w drukarce"}},
      {"Kadry", true, 1, {"Czcionki 10 nie odnaleziono w drukarce"}},
      {long_name, false, 1,
       {"Nie odnaleziono drukarki " + long_name.substr(0, 255) + " w systemie",
        "Lista zainstalowanych w systemie drukarek:", "Biuro HP", "Magazyn Epson", "Zepsuta", "",
        "Wybieram domyślną", "Czcionki 10 nie odnaleziono w drukarce"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.Printer.substr(0, 20) + "]");
    out.str("");
    GiveInput("\n");
    printer.SetSelectedIndex(1);
    printer.ReloadLists();
    SetUpFontSet(job);
    job.Settings.PrinterGiven = c.PrinterGiven;
    Read("[FormKelvra]\nPRINTER=" + c.Printer + "\n[FormKelvra\\FontDialog_10_Font]\nName=Arial\n");
    std::vector<std::string> expected = c.Lines;
    for (const auto& line : MissingFontSections(1)) expected.push_back(line);
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_EQ(printer.SelectedIndex(), c.Index);
    EXPECT_EQ(job.Font(JobFont::Cpi10).Name(), c.Index == 0 ? "Arial" : "Courier New");
    EXPECT_EQ(UnreadInput(), c.Lines.size() > 1 ? "" : "\n");
  }
}

TEST_F(SettingsFileTest, APrinterFailureEndsTheStepKeepingWhatWasRead) {
  struct Case {
    std::string Printer;
    std::function<void()> Break;
    std::string Line;
  };
  const Case cases[] = {
      {"Biuro HP", [this] { system.FailOn("FontFaces"); }, "Wybrano drukarkę Biuro HP"},
      {"Zepsuta", [] {}, "Wybrano drukarkę Zepsuta"},
      {"default", [this] { system.Default = ""; }, "Wymuszono domyślną drukarkę "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Printer);
    out.str("");
    job.Settings = TJobSettings();
    system.Default = "Magazyn Epson";
    printer.SetSelectedIndex(-1);
    printer.ReloadLists();
    SetUpFontSet(job);
    c.Break();
    Read("[FormKelvra]\nRAMKA=4\nIgnoreNULL=T\nPRINTER=" + c.Printer +
         "\n[FormKelvra\\FontDialog_10_Font]\nName=Arial\nSize=20\n");
    EXPECT_EQ(OutputLines(), std::vector<std::string>{c.Line});
    EXPECT_EQ(job.Settings.FrameWidth, 4);
    EXPECT_TRUE(job.Settings.IgnoreNull);
    EXPECT_EQ(job.Font(JobFont::Cpi10).Name(), "Courier New");
    EXPECT_EQ(job.Font(JobFont::Cpi10).Size(), 10);
  }
}

TEST_F(SettingsFileTest, AnUnreadableFileIsIgnoredSilently) {
  const std::string good = "[FormKelvra]\nRAMKA=7\nIgnoreNULL=1\n";
  folder.Write("Lodvig.ini", "[FormKelvra]\nRAMKA=9\n");
  SetUpFontSet(job);

  // Too large: the file beside the executable is still the settings file, so Lodvig.ini is not
  // read either.
  folder.Write("prynda.INI", good);
  fs::resize_file(folder.File("prynda.INI"), TMemIniFile::kMaxFileSize + 1);
  ReadSettingsFile(job);
  EXPECT_EQ(Describe(job.Settings), Describe(TJobSettings()));
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(job.Font(JobFont::Cpi10).Size(), 10);

  // One byte less is read; the zeros after the keys are blank.
  fs::resize_file(folder.File("prynda.INI"), TMemIniFile::kMaxFileSize);
  ReadSettingsFile(job);
  EXPECT_EQ(job.Settings.FrameWidth, 7);
}

TEST_F(SettingsFileTest, BinaryGarbageIsReadLikeTextWithoutKeys) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) {
    garbage += static_cast<char>(i % 97 == 0 ? 0 : i % 61 == 0 ? '\n' : 0x80 | ((i * 37) & 0x7F));
  }
  Read(garbage);
  TJobSettings expected;
  expected.IgnoreNull = false;
  EXPECT_EQ(Describe(job.Settings), Describe(expected));
  EXPECT_EQ(OutputLines(), MissingFontSections());

  // Garbage around a section does not hide it.
  Read(garbage + "\n[FormKelvra]\nRAMKA=5\n" + garbage);
  EXPECT_EQ(job.Settings.FrameWidth, 5);
}

}  // namespace
}  // namespace prynda::testing
