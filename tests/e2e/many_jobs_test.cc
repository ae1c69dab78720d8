// Many Prynda processes at once, as a busy office or a print server starts them: each job's PDF
// is whole and its own, and two jobs that write one name leave one complete PDF, never a mix.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "e2e/run_program.h"
#include "support/pdf_tools.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

// Job `n`: n % 4 + 1 pages, each headed by the job's own mark.
std::string JobText(int n) {
  std::string text;
  for (int page = 0; page <= n % 4; ++page) {
    if (page > 0) text += "\x0c";
    text += "Zadanie" + std::to_string(n) + "\r\n";
    for (int line = 0; line < 50; ++line) text += "wiersz " + std::to_string(line) + " pozycja 0123456789\r\n";
  }
  return text;
}

// The runs of `count` jobs started together; job n prints file n with PRYNDA_PDF = pdf(n).
std::vector<ProgramRun> RunTogether(const TempDir& dir, int count, const std::function<std::string(int)>& pdf) {
  std::vector<ProgramRun> runs(static_cast<std::size_t>(count));
  std::vector<std::thread> threads;
  for (int n = 0; n < count; ++n) {
    const std::string input = dir.Write("zadanie" + std::to_string(n) + ".txt", JobText(n));
    threads.emplace_back([&runs, n, input, target = pdf(n)] {
      runs[static_cast<std::size_t>(n)] = RunPrynda({.Args = {input, "/ST"}, .Env = {{"PRYNDA_PDF", target}}, .TimeoutSeconds = 300});
    });
  }
  for (auto& thread : threads) thread.join();
  return runs;
}

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ManyJobsTest, TwentyJobsIntoOneFolderEachWholeAndItsOwn) {
  TempDir dir;
  const fs::path out = dir.File("out");
  fs::create_directory(out);
  const auto runs = RunTogether(dir, 20, [&](int) { return out.string() + "/"; });
  std::vector<std::string> expected;
  for (int n = 0; n < 20; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(runs[static_cast<std::size_t>(n)].ExitCode, 0) << runs[static_cast<std::size_t>(n)].Err;
    const std::string name = "zadanie" + std::to_string(n) + ".pdf";
    expected.push_back(name);
    const std::string pdf = (out / name).string();
    EXPECT_EQ(PdfPageCount(pdf), n % 4 + 1);
    const std::string text = Shell("pdftotext '" + pdf + "' - 2>/dev/null");
    std::size_t marks = 0;
    for (std::size_t at = 0; (at = text.find("Zadanie", at)) != std::string::npos; ++at) ++marks;
    EXPECT_EQ(marks, static_cast<std::size_t>(n % 4 + 1)) << "only its own pages";
    EXPECT_NE(text.find("Zadanie" + std::to_string(n) + "\n"), std::string::npos);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(out), expected) << "nothing else, no temporary file";
}

TEST(ManyJobsTest, JobsWritingOneNameLeaveOneCompletePdf) {
  TempDir dir;
  const fs::path out = dir.File("out");
  fs::create_directory(out);
  const std::string target = (out / "wspolny.pdf").string();
  const auto runs = RunTogether(dir, 8, [&](int) { return target; });
  for (const auto& run : runs) EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"wspolny.pdf"});
  // One job's document, all of it: its mark on every page and no other job's.
  const std::string text = Shell("pdftotext '" + target + "' - 2>/dev/null");
  const std::size_t at = text.find("Zadanie");
  ASSERT_NE(at, std::string::npos) << text;
  const int winner = std::stoi(text.substr(at + 7));
  EXPECT_EQ(PdfPageCount(target), winner % 4 + 1);
  std::size_t marks = 0;
  for (std::size_t from = 0; (from = text.find("Zadanie", from)) != std::string::npos; ++from) {
    EXPECT_EQ(std::stoi(text.substr(from + 7)), winner);
    ++marks;
  }
  EXPECT_EQ(marks, static_cast<std::size_t>(winner % 4 + 1));
}

}  // namespace
}  // namespace prynda::testing
