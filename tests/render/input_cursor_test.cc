// The input cursor on real files and on memory: blocks of 4095 bytes, zero bytes against the end of
// input, skipping, the trim of trailing filler (/TR), read-only files and the errors of opening and
// reading.
#include "render/input_cursor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/engine_fixture.h"

namespace prynda::testing {
namespace {

using namespace std::string_literals;

class InputStreamTest : public EngineFixture {
 protected:
  InputCursor& Open(std::string_view bytes) {
    SetInput(bytes);
    state_ = MakeCursor();
    EXPECT_TRUE(state_->OpenInput());
    return *state_;
  }
  // The same bytes from memory.
  InputCursor& OpenInMemory(std::string_view bytes) {
    memory_ = bytes;
    state_ = MakeCursor();
    state_->OpenMemory(memory_);
    return *state_;
  }
  std::unique_ptr<InputCursor> MakeCursor() {
    return std::make_unique<InputCursor>(console, printer, job.InputFileName, job.Settings.Truncate);
  }

  struct Drained {
    std::string Bytes;
    std::vector<int> Blocks;  // the size of each block, as it was loaded
  };
  // Takes every byte up to the end of input.
  static Drained Drain(InputCursor& state) {
    Drained drained;
    for (;;) {
      const std::uint8_t byte = state.NextByte();
      if (state.AtEof) break;
      if (state.BufPos == 0) drained.Blocks.push_back(state.BufCount);
      drained.Bytes += static_cast<char>(byte);
    }
    return drained;
  }

  static std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);  // zeros too
    return bytes;
  }

  std::unique_ptr<InputCursor> state_;
  std::string memory_;
};

TEST_F(InputStreamTest, TheFileComesInBlocksOf4095Bytes) {
  const std::pair<std::size_t, std::vector<int>> cases[] = {
      {1, {1}}, {4095, {4095}}, {4096, {4095, 1}}, {8190, {4095, 4095}}, {8191, {4095, 4095, 1}}};
  for (const auto& [size, blocks] : cases) {
    SCOPED_TRACE(size);
    const std::string bytes = Pattern(size);
    for (const bool memory : {false, true}) {
      InputCursor& state = memory ? OpenInMemory(bytes) : Open(bytes);
      const Drained drained = Drain(state);
      EXPECT_EQ(drained.Bytes, bytes);
      EXPECT_EQ(drained.Blocks, blocks);
      for (int i = 0; i < 3; ++i) EXPECT_EQ(state.NextByte(), 0);
      EXPECT_TRUE(state.AtEof);
      EXPECT_FALSE(state.ReadFailed);
    }
  }
}

TEST_F(InputStreamTest, AZeroByteIsNotTheEndOfInput) {
  InputCursor& state = Open("A\0B"s);
  EXPECT_EQ(state.NextByte(), 'A');
  EXPECT_EQ(state.NextByte(), 0);
  EXPECT_FALSE(state.AtEof);
  EXPECT_EQ(state.NextByte(), 'B');
  EXPECT_EQ(state.NextByte(), 0);
  EXPECT_TRUE(state.AtEof);
}

TEST_F(InputStreamTest, SkipBytesTakesBytesAndTellsWhetherInputRemains) {
  InputCursor& state = Open("ABCDE");
  EXPECT_TRUE(state.SkipBytes(0));
  EXPECT_EQ(state.NextByte(), 'A');
  EXPECT_TRUE(state.SkipBytes(0));
  EXPECT_TRUE(state.SkipBytes(2));
  EXPECT_EQ(state.NextByte(), 'D');
  EXPECT_FALSE(state.SkipBytes(5));
  EXPECT_TRUE(state.AtEof);
}

TEST_F(InputStreamTest, TheTrimDropsFillerFromTheEndOfTheLastBlockOnly) {
  const std::string text(4090, 'x');
  const std::pair<std::string, std::string> cases[] = {
      {"text\r\n\x1a", "text"},
      {"text @\x1b \r\n", "text"},
      {"text\0 \r\n"s, "text\0"s},                         // a zero byte is no filler
      {"a\r\n \x1a@b\r\n", "a\r\n \x1a@b"},                  // filler inside stays
      {"\r\n \x1b@\x1a", ""},
      {text + "\r\n  \x1a", text},                          // one block, the last one
      {text + "xxxxx" + " ", text + "xxxxx"},               // 4096 bytes: the last block trims to nothing
      {text + "\r\n\r\n " + std::string(4095, ' '), text + "\r\n\r\n "},
      {std::string(4095, ' ') + "y", std::string(4095, ' ') + "y"},
  };
  for (const auto& [input, trimmed] : cases) {
    SCOPED_TRACE(::testing::PrintToString(input.substr(0, 20)) + " of " + std::to_string(input.size()));
    job.Settings.Truncate = true;
    EXPECT_EQ(Drain(Open(input)).Bytes, trimmed);
    job.Settings.Truncate = false;
    EXPECT_EQ(Drain(Open(input)).Bytes, input);
  }

  // Exactly six byte values are filler.
  job.Settings.Truncate = true;
  for (int value = 0; value < 256; ++value) {
    const bool filler = value == 10 || value == 13 || value == 26 || value == 27 || value == 32 || value == 64;
    EXPECT_EQ(Drain(Open("A"s + static_cast<char>(value))).Bytes.size(), filler ? 1u : 2u) << value;
  }
}

TEST_F(InputStreamTest, AReadOnlyFileIsReadWithReadAccessOnly) {
#ifndef __linux__
  GTEST_SKIP() << "the open file is looked at through /proc";
#endif
  SetInput("ABC");
  ASSERT_EQ(::chmod(job.InputFileName.c_str(), 0444), 0);
  InputCursor state(console, printer, job.InputFileName, false);
  ASSERT_TRUE(state.OpenInput());
  // Even where permissions do not bind (the superuser), the file must not be held for writing.
  std::string descriptor;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) == job.InputFileName) {
      descriptor = entry.path().filename().string();
    }
  }
  ASSERT_FALSE(descriptor.empty());
  std::ifstream info("/proc/self/fdinfo/" + descriptor);
  std::string key;
  unsigned flags = 0;
  while (info >> key && key != "flags:") {
  }
  ASSERT_TRUE(info >> std::oct >> flags);
  EXPECT_EQ(flags & O_ACCMODE, static_cast<unsigned>(O_RDONLY));
  EXPECT_EQ(Drain(state).Bytes, "ABC");

  const int descriptors = OpenDescriptors();
  EXPECT_TRUE(state.CloseInput());
  EXPECT_EQ(OpenDescriptors(), descriptors - 1);
  EXPECT_EQ(Output(), "");
}

TEST_F(InputStreamTest, AFileShorterThanItWasWhenOpenedIsAReadError) {
  // Shortened inside the second block while the document prints: the bytes still there come,
  // then the error cancels the document.
  const std::string bytes = Pattern(3 * 4095);
  InputCursor& state = Open(bytes);
  printer.StartDocument();
  std::string taken;
  for (int i = 0; i < 4095; ++i) taken += static_cast<char>(state.NextByte());
  ASSERT_EQ(::truncate(job.InputFileName.c_str(), 5000), 0);
  taken += Drain(state).Bytes;
  EXPECT_EQ(taken, bytes.substr(0, 5000));
  EXPECT_TRUE(state.ReadFailed);
  EXPECT_FALSE(printer.IsPrinting());
  EXPECT_TRUE(Document().Aborted);
  EXPECT_EQ(Output(), "Błąd odczytu z pliku " + job.InputFileName + "\n");

  // Emptied before its first block, with no document open: reported, nothing to cancel.
  out.str("");
  InputCursor& early = Open("ABC");
  ASSERT_EQ(::truncate(job.InputFileName.c_str(), 0), 0);
  EXPECT_NO_THROW(early.ReadBlock());
  EXPECT_TRUE(early.AtEof);
  EXPECT_TRUE(early.ReadFailed);
  EXPECT_EQ(early.NextByte(), 0);
  EXPECT_EQ(Output(), "Błąd odczytu z pliku " + job.InputFileName + "\n");
}

}  // namespace
}  // namespace prynda::testing
