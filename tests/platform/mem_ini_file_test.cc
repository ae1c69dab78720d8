// TMemIniFile: how the settings file's lines are taken, which of repeated sections and keys
// counts, the integer rule of ReadNumber, and reading real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

#include "platform/mem_ini_file.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;

TEST(MemIniFileTest, LinesSectionsAndKeys) {
  const TMemIniFile ini = TMemIniFile::FromText(
      "orphan=before any section\r\n"
      "[FormKelvra]\r\n"
      "USUN=T\r\n"
      "  \tRAMKA =\t 2 \r\n"
      "; PRINTER=commented out\r\n"
      "   ;LINEY=7\r\n"
      "PRINTER=\r\n"
      "just some words\r\n"
      "iteracja=1=2\r\n"
      "\r\n"
      "[ FormKelvra\\FontDialog_EM_Font ]\n"
      "Name=Courier New\n"
      "name=Letter Gothic\n"
      "[]\n"
      "empty=section");

  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"FormKelvra", "USUN", "T"},
      {"formkelvra", "usun", "T"},                               // letter case is ignored
      {"FormKelvra", "RAMKA", "2"},                              // trimmed of blanks, tabs and CR
      {"FormKelvra", "PRINTER", ""},                             // empty, not the default
      {"FormKelvra", "iteracja", "1=2"},                         // the first "=" splits
      {"FormKelvra", "LINEY", "default"},                        // comment
      {"FormKelvra", "just some words", "default"},              // no "=": never a key
      {"FormKelvra", "orphan", "default"},                       // before the first section
      {"FORMKELVRA\\FONTDIALOG_EM_FONT", "NAME", "Letter Gothic"},  // the last line counts
      {"", "empty", "section"},
      {"Missing", "USUN", "default"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadText(c.section, c.key, "default"), c.expected) << c.section << " / " << c.key;
  }
  EXPECT_TRUE(ini.HasKey("FormKelvra", "printer"));
  EXPECT_FALSE(ini.HasKey("FormKelvra", "just some words"));
  EXPECT_FALSE(ini.HasKey("FormKelvra", "LINEY"));
}

TEST(MemIniFileTest, OnlyTheLastOfRepeatedSectionsIsRead) {
  const TMemIniFile ini = TMemIniFile::FromText(
      "[Job]\nA=1\nB=2\n"
      "[Other]\nC=3\n"
      "[job]\nB=20\n");
  EXPECT_EQ(ini.ReadText("Job", "B", "-"), "20");
  EXPECT_EQ(ini.ReadText("Job", "A", "-"), "-");  // not merged from the first one
  EXPECT_EQ(ini.ReadText("Other", "C", "-"), "3");
}

TEST(MemIniFileTest, ReadNumber) {
  const TMemIniFile ini = TMemIniFile::FromText(
      "[N]\n"
      "hex=0x1F\nHEX=0X1f\ndollar=$FF\nsystem=0x80000008\nneg=-5\nplus=+7\n"
      "letters=12abc\nempty=\nprefix=0x\ndollaronly=$\nnegdollar=-$10\n"
      "big=2147483648\nmin=-2147483648\nallones=$FFFFFFFF\nnine=$123456789\n"
      "spaced=1 2\nneghex=-0x10\nbadhex=0xG1\nsign=-\n");
  struct Case {
    const char* key;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"hex", 31},         {"Hex", 31},        {"dollar", 255},     {"system", -2147483640},
      {"neg", -5},         {"plus", 7},        {"letters", 99},     {"empty", 99},
      {"prefix", 99},      {"dollaronly", 99}, {"negdollar", -16},  {"big", 99},
      {"min", INT32_MIN},  {"allones", -1},    {"nine", 99},        {"spaced", 99},
      {"neghex", 99},      {"badhex", 99},     {"sign", 99},        {"missing", 99},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.ReadNumber("N", c.key, 99), c.expected) << c.key;
  }
}

TEST(MemIniFileTest, SettingsIntegerRule) {
  // Values reach ReadNumber trimmed, so leading blanks only show here.
  EXPECT_EQ(ParseSettingsInteger("   12"), 12);
  EXPECT_EQ(ParseSettingsInteger("  -$1f"), -31);
  EXPECT_EQ(ParseSettingsInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseSettingsInteger("00000000000000000042"), 42);  // leading zeros are no overflow
  EXPECT_EQ(ParseSettingsInteger("$00000000F"), 15);
  EXPECT_EQ(ParseSettingsInteger("99999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("12 "), std::nullopt);
  EXPECT_EQ(ParseSettingsInteger("   "), std::nullopt);
}

class MemIniFileOnDiskTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = temp_.Path(); }
  testing::TempDir temp_;
  fs::path Write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  fs::path dir_;
};

TEST_F(MemIniFileOnDiskTest, ReadsTheWholeFile) {
  const fs::path path = Write("PRYNDA.INI", "[FormKelvra]\r\nRAMKA=0x3\r\nPRINTER=Drukarka \xa5\r\n");
  const TMemIniFile ini(path.string());
  EXPECT_EQ(ini.ReadNumber("FormKelvra", "RAMKA", 1), 3);
  EXPECT_EQ(ini.ReadText("FormKelvra", "PRINTER", ""), "Drukarka \xa5");  // bytes as they stand
}

TEST_F(MemIniFileOnDiskTest, MissingFileIsAnEmptyStore) {
  const TMemIniFile ini((dir_ / "absent.ini").string());
  EXPECT_FALSE(ini.HasKey("FormKelvra", "USUN"));
  EXPECT_EQ(ini.ReadNumber("FormKelvra", "RAMKA", 1), 1);
}

TEST_F(MemIniFileOnDiskTest, UnreadableFilesRaise) {
  fs::create_directory(dir_ / "folder.ini");
  EXPECT_THROW(TMemIniFile((dir_ / "folder.ini").string()), std::runtime_error);

  const fs::path large = Write("large.ini", "");
  fs::resize_file(large, TMemIniFile::kMaxFileSize + 1);  // sparse: no real space taken
  EXPECT_THROW(TMemIniFile(large.string()), std::runtime_error);
}

TEST_F(MemIniFileOnDiskTest, BinaryGarbageIsTakenWithoutHarm) {
  std::mt19937 engine(852);
  std::string bytes;
  const char specials[] = {'[', ']', '=', ';', '\n', '\r', '\0', ' ', '$'};
  for (int i = 0; i < 200000; ++i) {
    bytes += engine() % 4 == 0 ? specials[engine() % sizeof specials] : static_cast<char>(engine() % 256);
  }
  // A good section after the garbage is still found.
  bytes += "\n[FormKelvra]\nUSUN=T\nRAMKA=$0A\n";
  const TMemIniFile ini(Write("garbage.ini", bytes).string());
  EXPECT_EQ(ini.ReadText("FormKelvra", "USUN", "F"), "T");
  EXPECT_EQ(ini.ReadNumber("FormKelvra", "RAMKA", 1), 10);
}

}  // namespace
}  // namespace prynda
