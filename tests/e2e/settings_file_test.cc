// The settings file as a user meets it: the program copied into a folder of its own with a
// settings file beside it or in the user's configuration folder, run with a file to print. Mostly
// what the program writes before its banner is checked here; CP852 bytes are written out where
// Polish letters appear.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "e2e/run_program.h"

namespace prynda::testing {
namespace {

const std::string kVersionLine = "Wydruk plik\xa2w RAW-TXT kodowanie \".kv\" na Windows GDI wersja 2007.03.26\n";
const std::string kMissingSections =
    "Brak sekcji czcionki: FormKelvra\\FontDialog_10_Font\n"
    "Brak sekcji czcionki: FormKelvra\\FontDialog_12_Font\n"
    "Brak sekcji czcionki: FormKelvra\\FontDialog_16_Font\n"
    "Brak sekcji czcionki: FormKelvra\\FontDialog_20_Font\n"
    "Brak sekcji czcionki: FormKelvra\\FontDialog_EM_Font\n"
    "Brak sekcji czcionki: FormKelvra\\FontDialog_AK_Font\n";

std::string NotFound(const std::string& name) {
  return "Nie odnaleziono drukarki " + name + " w systemie\n"
         "Lista zainstalowanych w systemie drukarek:\n"
         "Prynda PDF\n"
         "\n"
         "Wybieram domy\x98ln\xa5\n";
}

// The program installed in a scratch folder as "prynda", with a file to print beside it.
class InstalledProgram : public ::testing::Test {
 protected:
  InstalledProgram() {
    std::filesystem::copy_file(PRYNDA_EXE, dir.File("prynda"));
    dir.Write("faktura.txt", "Faktura nr 1\r\n");
  }
  ProgramRun Run(std::vector<std::string> options, std::map<std::string, std::string> env = {},
                 const std::string& file = "") {
    options.insert(options.begin(), file.empty() ? dir.File("faktura.txt") : file);
    env.emplace("PRYNDA_PDF", dir.File("faktura.pdf"));
    return RunPrynda({.Executable = dir.File("prynda"), .Args = options, .Env = env, .WorkDir = dir.Path()});
  }
  // What the run wrote before the banner (whose first line names the maker).
  static std::string BeforeBanner(const ProgramRun& run) {
    const std::size_t version = run.Out.find(kVersionLine);
    if (version == std::string::npos || version == 0) {
      ADD_FAILURE() << "no banner in: " << run.Out;
      return run.Out;
    }
    const std::size_t maker = run.Out.rfind('\n', version - 2);
    return maker == std::string::npos ? std::string() : run.Out.substr(0, maker + 1);
  }

  TempDir dir;
};

TEST_F(InstalledProgram, TheIniBesideTheProgramIsReadBeforeTheBanner) {
  dir.Write("PRYNDA.INI", "[FormKelvra]\nRAMKA=2\n");
  dir.Write("Lodvig.ini", "[FormKelvra]\nPRINTER=NoSuchPrinter\n");
  const ProgramRun run = Run({});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(BeforeBanner(run), kMissingSections);
}

TEST_F(InstalledProgram, AFolderOrAnOversizedFileIsNoSettingsFile) {
  std::filesystem::create_directory(dir.File("prynda.ini"));
  const ProgramRun beside_folder = Run({});
  EXPECT_EQ(beside_folder.ExitCode, 0) << beside_folder.Err;
  EXPECT_EQ(BeforeBanner(beside_folder), "");

  std::filesystem::remove(dir.File("prynda.ini"));
  dir.Write("PRYNDA.INI", "[FormKelvra]\nPRINTER=NoSuchPrinter\n");
  std::filesystem::resize_file(dir.File("PRYNDA.INI"), (64u << 20) + 1);
  const ProgramRun too_large = Run({});
  EXPECT_EQ(too_large.ExitCode, 0) << too_large.Err;
  EXPECT_EQ(BeforeBanner(too_large), "");
}

TEST_F(InstalledProgram, PrinterNamesFromTheFileAndTheCommandLine) {
  struct Case {
    std::string Printer;  // the settings file's PRINTER key
    std::vector<std::string> Options;
    std::string Expected;
  };
  const Case cases[] = {
      {"NoSuchPrinter", {}, NotFound("NoSuchPrinter") + kMissingSections},
      {"NoSuchPrinter", {"/DR=nosuch", "K=2"}, NotFound("nosuch") + kMissingSections},
      {"Prynda PDF", {"/DR=DEF"}, "Wymuszono domy\x98ln\xa5 drukark\xa9 \n" + kMissingSections},
      {"", {"/DR=prynda pdf"}, "Wybrano drukark\xa9 prynda pdf\n" + kMissingSections},
      {"prynda PDF", {}, "Wybrano drukark\xa9 prynda PDF\n" + kMissingSections},
      // Quiet jobs choose their printer without a word.
      {"prynda PDF", {"/st"}, kMissingSections},
      {"NoSuchPrinter", {"/DR=Prynda PDF", "/ST"}, kMissingSections},
      {"", {"/ST", "/DR=nosuch"}, NotFound("nosuch") + kMissingSections},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("PRINTER=" + c.Printer + (c.Options.empty() ? "" : " " + c.Options[0]));
    dir.Write("PRYNDA.INI", "[FormKelvra]\nPRINTER=" + c.Printer + "\n");
    const ProgramRun run = Run(c.Options);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(BeforeBanner(run), c.Expected);
  }
}

TEST_F(InstalledProgram, WithNoneBesideTheProgramTheUsersSettingsFile) {
  struct Case {
    std::vector<std::string> Files;  // each with a PRINTER key naming the file's folder
    std::map<std::string, std::string> Env;
    std::string Read;  // the folder of the file read, "" = none
  };
  const std::string config = dir.File("config"), home = dir.File("home");
  const Case cases[] = {
      {{"config/prynda/prynda.ini", "home/.config/prynda/prynda.ini"}, {{"XDG_CONFIG_HOME", config}, {"HOME", home}},
       "config/prynda"},
      {{"home/.config/prynda/prynda.ini"}, {{"HOME", home}}, "home/.config/prynda"},
      {{"config/prynda/prynda.ini", "home/.config/prynda/prynda.ini"}, {{"XDG_CONFIG_HOME", "config"}, {"HOME", home}},
       "home/.config/prynda"},
      {{"Lodvig.ini", "config/prynda/prynda.ini"}, {{"XDG_CONFIG_HOME", config}}, "."},
      {{"home/.config/prynda/prynda.ini"}, {}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Files[0]);
    std::filesystem::remove_all(config);
    std::filesystem::remove_all(home);
    std::filesystem::remove(dir.File("Lodvig.ini"));
    for (const std::string& file : c.Files) {
      const std::string folder = std::filesystem::path(file).parent_path().string();
      std::filesystem::create_directories(dir.File(folder.empty() ? "." : folder));
      dir.Write(file, "[FormKelvra]\nPRINTER=" + (folder.empty() ? "." : folder) + "\n");
    }
    const ProgramRun run = Run({}, c.Env);
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(BeforeBanner(run), c.Read.empty() ? "" : NotFound(c.Read) + kMissingSections);
  }
}

// The settings file that comes with the program holds every key at its built-in value: with it,
// every sample prints to the same PDF, with the same words on the console, as with none at all.
TEST_F(InstalledProgram, TheShippedSettingsFileChangesNothing) {
  const std::filesystem::path source = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
  const std::map<std::string, std::string> env = {{"SOURCE_DATE_EPOCH", "1765152000"}};
  auto bytes = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  std::map<std::string, std::string> samples = {
      // NUL bytes, and filler at the end, which the keys IgnoreNULL and TRUNCATE are about.
      {"zera.txt", std::string("Kolumna\0\0\0|\r\nKoniec@@@ \r\n\x1a", 26)}};
  for (const char* sample : {"faktura.txt", "raport.txt", "list-mazowia.txt", "poziomo.txt", "pozycje.txt"}) {
    samples[sample] = bytes((source / "examples" / sample).string());
  }
  for (const auto& [sample, content] : samples) {
    SCOPED_TRACE(sample);
    const std::string file = dir.Write(sample, content);
    const std::vector<std::string> options =
        sample == "list-mazowia.txt" ? std::vector<std::string>{"MAZ"} : std::vector<std::string>{};
    std::filesystem::remove(dir.File("prynda.ini"));
    const ProgramRun without = Run(options, env, file);
    const std::string pdf_without = bytes(dir.File("faktura.pdf"));
    std::filesystem::copy_file(source / "docs" / "prynda.ini", dir.File("prynda.ini"));
    const ProgramRun with = Run(options, env, file);
    EXPECT_EQ(without.ExitCode, 0) << without.Err;
    EXPECT_EQ(with.ExitCode, 0) << with.Err;
    EXPECT_EQ(with.Out, without.Out);
    EXPECT_FALSE(pdf_without.empty());
    EXPECT_TRUE(bytes(dir.File("faktura.pdf")) == pdf_without);
  }
}

}  // namespace
}  // namespace prynda::testing
