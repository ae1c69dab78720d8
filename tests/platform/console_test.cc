// TConsole: messages in the console's code page, names as their bytes stand, write failures,
// the Enter prompt; the code page the locale asks for; code-page conversion itself.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/console.h"
#include "platform/platform.h"
#include "platform/text_encoding.h"
#include "support/environment.h"

namespace prynda {
namespace {

struct ConsoleStreams {
  explicit ConsoleStreams(int code_page, std::string input = "")
      : in(std::move(input)), console(out, in, err, code_page) {}
  std::ostringstream out;
  std::istringstream in;
  std::ostringstream err;
  TConsole console;
};

TEST(ConsoleTest, PromptIsWrittenInCp852WithoutLineEnd) {
  ConsoleStreams streams(852);
  streams.console.Prompt("Naciśnij Enter");
  EXPECT_EQ(streams.out.str(), "Naci\x98nij Enter");
}

TEST(ConsoleTest, PolishLettersInEachCodePage) {
  const std::string letters = "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";
  ConsoleStreams cp852(852);
  cp852.console.Line(std::string_view(letters));
  EXPECT_EQ(cp852.out.str(),
            "\xa5\x86\xa9\x88\xe4\xa2\x98\xab\xbe\xa4\x8f\xa8\x9d\xe3\xe0\x97\x8d\xbd\n");

  ConsoleStreams utf8(kCodePageUtf8);
  utf8.console.Line(std::string_view(letters));
  EXPECT_EQ(utf8.out.str(), letters + "\n");
  EXPECT_EQ(utf8.console.CodePage(), kCodePageUtf8);
}

TEST(ConsoleTest, RawBytesAreWrittenAsTheyStand) {
  const char bytes[] = "plik\x98\xa5\xff\0.txt";
  const std::string name(bytes, sizeof bytes - 1);
  for (int code_page : {852, kCodePageUtf8}) {
    ConsoleStreams streams(code_page);
    streams.console.Line("Nie mogę usunąć pliku ", Raw{name});
    const std::string message =
        code_page == 852 ? "Nie mog\xa9 usun\xa5\x86 pliku " : "Nie mogę usunąć pliku ";
    EXPECT_EQ(streams.out.str(), message + name + "\n") << code_page;
  }
}

TEST(ConsoleTest, CharactersTheCodePageLacksBecomeQuestionMarks) {
  ConsoleStreams streams(852);
  streams.console.Line("1 € = 4 zł \xff!");  // also one byte that is no UTF-8
  EXPECT_EQ(streams.out.str(), "1 ? = 4 z\x88 ?!\n");
}

TEST(ConsoleTest, FailedWritesRaise) {
  ConsoleStreams streams(852);
  streams.out.setstate(std::ios::badbit);
  EXPECT_THROW(streams.console.Line("Drukowanie"), std::runtime_error);
  EXPECT_THROW(streams.console.Prompt("Naciśnij Enter"), std::runtime_error);
}

TEST(ConsoleTest, ReadLineTakesOneLineAndTreatsTheEndOfInputAsEnter) {
  ConsoleStreams streams(852, "first\nsecond\n");
  streams.console.ReadLine();
  std::string rest;
  std::getline(streams.in, rest);
  EXPECT_EQ(rest, "second");

  ConsoleStreams empty(852);
  empty.console.ReadLine();
  empty.console.ReadLine();
  ConsoleStreams unterminated(852, "no line end");
  unterminated.console.ReadLine();
  unterminated.console.ReadLine();
  // The console stays usable for what follows.
  unterminated.console.Line("koniec");
  EXPECT_EQ(unterminated.out.str(), "koniec\n");
}

class CodePageFromEnvironmentTest : public ::testing::Test {
 protected:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_CTYPE", "LANG"};

  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      if (const char* value = ::getenv(kNames[i])) saved_[i] = value;
      testing::UnsetEnv(kNames[i]);
    }
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i) {
      if (saved_[i]) {
        testing::SetEnv(kNames[i], *saved_[i]);
      } else {
        testing::UnsetEnv(kNames[i]);
      }
    }
  }
  static int With(const char* lc_all, const char* lc_ctype, const char* lang) {
    const char* values[] = {lc_all, lc_ctype, lang};
    for (int i = 0; i < 3; ++i) {
      if (values[i]) {
        testing::SetEnv(kNames[i], values[i]);
      } else {
        testing::UnsetEnv(kNames[i]);
      }
    }
    return ConsoleCodePageFromEnvironment();
  }

  std::optional<std::string> saved_[3];
};

TEST_F(CodePageFromEnvironmentTest, FirstSetVariableDecides) {
#ifdef _WIN32
  GTEST_SKIP() << "the console code page comes from the console here, not the locale";
#endif
  EXPECT_EQ(With(nullptr, nullptr, nullptr), 852);
  EXPECT_EQ(With(nullptr, nullptr, "pl_PL.UTF-8"), kCodePageUtf8);
  EXPECT_EQ(With(nullptr, nullptr, "C.utf8"), kCodePageUtf8);
  EXPECT_EQ(With(nullptr, nullptr, "C"), 852);
  EXPECT_EQ(With(nullptr, nullptr, "pl_PL.ISO-8859-2"), 852);
  EXPECT_EQ(With(nullptr, "C", "pl_PL.UTF-8"), 852);
  EXPECT_EQ(With(nullptr, "pl_PL.UTF-8", "C"), kCodePageUtf8);
  EXPECT_EQ(With("C", "pl_PL.UTF-8", "pl_PL.UTF-8"), 852);
  EXPECT_EQ(With("en_US.UTF-8", "C", "C"), kCodePageUtf8);
  // A variable set to nothing counts as not set.
  EXPECT_EQ(With("", "", "pl_PL.utf8"), kCodePageUtf8);
}

TEST(ConvertCodePageTest, SingleByteCodePages) {
  EXPECT_EQ(ConvertCodePage("\xa5\x88 abc", 852, kCodePageUtf8), "ął abc");
  EXPECT_EQ(ConvertCodePage("\xb9\xb3", 1250, 852), "\xa5\x88");  // ą ł from Windows to DOS
  // Ă (C6) is not in 1252, Á (B5) is: each byte stands on its own.
  EXPECT_EQ(ConvertCodePage("\xc6\xb5", 852, 1252), "?\xc1");
  EXPECT_EQ(ConvertCodePage("", 852, kCodePageUtf8), "");
  EXPECT_THROW(ConvertCodePage("abc", 852, 99999), std::runtime_error);
}

TEST(ConvertCodePageTest, LongTextIsConvertedWhole) {
  std::string utf8;
  std::string cp852;
  for (int i = 0; i < 1000; ++i) {
    utf8 += "żółw ";
    cp852 += "\xbe\xa2\x88w ";
  }
  EXPECT_EQ(ConvertCodePage(utf8, kCodePageUtf8, 852), cp852);
  EXPECT_EQ(ConvertCodePage(cp852, 852, kCodePageUtf8), utf8);
}

// Converters are kept open between calls: nothing of one call may reach the next, in this thread
// or in another converting at the same time.
TEST(ConvertCodePageTest, EachCallStandsAlone) {
  EXPECT_EQ(ConvertCodePage("a\xc5", kCodePageUtf8, 852), "a?");  // ł cut short
  EXPECT_EQ(ConvertCodePage("\x82" "b", kCodePageUtf8, 852), "?b");
  EXPECT_EQ(ConvertCodePage("\xc5\x82", kCodePageUtf8, 852), "\x88");
  EXPECT_THROW(ConvertCodePage("abc", 852, 99999), std::runtime_error);
  EXPECT_THROW(ConvertCodePage("abc", 852, 99999), std::runtime_error);

  auto convert = [](int times, bool* same) {
    for (int i = 0; i < times; ++i) {
      *same = *same && ConvertCodePage("żółw", kCodePageUtf8, 852) == "\xbe\xa2\x88w" &&
              ConvertCodePage("\xbe\xa2\x88w", 852, kCodePageUtf8) == "żółw";
    }
  };
  bool same_here = true;
  bool same_there = true;
  std::thread other(convert, 2000, &same_there);
  convert(2000, &same_here);
  other.join();
  EXPECT_TRUE(same_here);
  EXPECT_TRUE(same_there);
}

}  // namespace
}  // namespace prynda
