// The box of a program run on a job, through RunProgramOnDocument with small limits: Ghostscript
// given hostile PostScript, the shell where a case needs a program of its own. However a run ends,
// its temporary folder is gone afterwards, and a file planted in /tmp is neither seen nor touched.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "printers/pass_on/pass_on.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::FilesIn;
using testing::ReadFile;
using testing::TempDir;

const std::vector<std::string> kGhostscript = {"gs", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dQUIET", "-sDEVICE=pdfwrite",
                                               "-sstdout=%stderr", "-sOutputFile=-", "-"};
constexpr const char* kSecret = "haslo-do-banku-1234";
constexpr const char* kPlanted = "planted-beside";
constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

std::vector<std::string> Script(const std::string& script) { return {"/bin/sh", "-c", script}; }

ProgramBox Box(int seconds, std::uint64_t memory_mib = 256, std::uint64_t output_mib = 4) {
  ProgramBox box;
  box.Seconds = seconds;
  box.MemoryBytes = memory_mib * kMiB;
  box.OutputBytes = output_mib * kMiB;
  return box;
}

// Whether the process still runs (a zombie does not), waiting a moment for a kill to land.
bool StillRuns(int pid) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t state = stat.rfind(')');
    if (state == std::string::npos || stat.compare(state, 3, ") Z") == 0) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The runs' temporary folders go below a folder of the test's (TMPDIR), so that what is left of
// them shows; a file is planted in /tmp for the document to look for.
class ProgramBoxTest : public ::testing::Test {
 protected:
  ProgramBoxTest() {
    if (const char* tmpdir = std::getenv("TMPDIR")) saved_tmpdir_ = tmpdir;
    ::setenv("TMPDIR", base_.Path().c_str(), 1);
    planted_ = "/tmp/prynda-planted-" + std::to_string(std::random_device()() % 100000000);
    std::ofstream(planted_) << kSecret;
    base_.Write(kPlanted, kSecret);
  }
  ~ProgramBoxTest() override {
    if (saved_tmpdir_) {
      ::setenv("TMPDIR", saved_tmpdir_->c_str(), 1);
    } else {
      ::unsetenv("TMPDIR");
    }
    for (const char* suffix : {"", ".new", ".moved"}) fs::remove(planted_ + suffix);
  }

  TempDir base_;
  std::optional<std::string> saved_tmpdir_;
  std::string planted_;
};

TEST_F(ProgramBoxTest, EachRunEndsWithinItsLimitsAndLeavesNothing) {
  struct Case {
    std::string name;
    std::vector<std::string> args;
    std::string document;
    ProgramBox box;
    std::optional<ProgramLimit> limit;  // nullopt: it ends by itself
    double seconds;                     // it ends sooner
    std::function<void(const std::string& output, const std::string& errors)> check = nullptr;
    bool caller_raises = false;  // at its first output
  };
  const auto ended_with_it = [](const std::string& output, const std::string&) {
    ASSERT_FALSE(output.empty());
    EXPECT_FALSE(StillRuns(std::stoi(output))) << "what it started is ended with it";
  };
  // Each probe is tried on the file planted in /tmp and on one planted in the folder the box's
  // folder is made in (FILE in `postscript`, DIR its folder), what it finds printed; Ghostscript
  // goes on after a refusal.
  const auto probe = [&](const std::string& postscript) {
    std::string document = "%!PS\n";
    for (const std::string& file : {planted_, base_.File(kPlanted)}) {
      std::string tried = postscript;
      const std::string folder = fs::path(file).parent_path().string();
      for (const auto& [name, value] : {std::pair{"FILE", file}, std::pair{"DIR", folder}}) {
        for (std::size_t at; (at = tried.find(name)) != std::string::npos;) tried.replace(at, std::strlen(name), value);
      }
      document += "{ " + tried + " } stopped pop\n";
    }
    return document;
  };
  const std::vector<Case> cases = {
      {"endless PostScript", kGhostscript, "%!PS\n{} loop\n", Box(2), ProgramLimit::Time, 5},
      {"PostScript taking ever more memory", kGhostscript,
       "%!PS\n/a [] def { /a [ a aload pop 100000 string ] def } loop\n", Box(30), ProgramLimit::Memory, 20},
      {"pages without end", kGhostscript, "%!PS\n{ showpage } loop\n", Box(30, 256, 1), ProgramLimit::Output, 20},
      {"one file in its folder past the output limit", Script("head -c 3000000 /dev/zero >\"$TMPDIR/big\""), "",
       Box(10, 256, 1), ProgramLimit::Output, 5},
      {"files in its folder together past the output limit",
       Script("for i in 1 2 3 4 5 6 7 8; do head -c 300000 /dev/zero >\"$TMPDIR/f$i\"; done; sleep 30"), "",
       Box(20, 256, 1), ProgramLimit::Output, 5},
      {"what it leaves running when it ends", Script("sleep 30 & echo $!"), "", Box(20), std::nullopt, 5,
       ended_with_it},
      {"a program that will not end when asked", Script("trap '' TERM; sleep 30"), "", Box(1), ProgramLimit::Time, 5},
      {"what it started when its time is up", Script("sleep 30 & echo $!; wait"), "", Box(1), ProgramLimit::Time, 5,
       ended_with_it},
      {"the caller raising at its first output", kGhostscript, "%!PS\n{ showpage } loop\n", Box(30), std::nullopt, 5,
       nullptr, true},
      {"its own folder, named by TMPDIR, TEMP and TMP, its owner's alone",
       Script("echo \"$TMPDIR\"; echo \"$TEMP\"; echo \"$TMP\"; stat -c %a \"$TMPDIR\""), "", Box(10), std::nullopt,
       5,
       [&](const std::string& output, const std::string&) {
         std::istringstream lines(output);
         std::string tmpdir, temp, tmp, mode;
         lines >> tmpdir >> temp >> tmp >> mode;
         EXPECT_EQ(fs::path(tmpdir).parent_path(), fs::path(base_.Path()));
         EXPECT_TRUE(fs::path(tmpdir).filename().string().starts_with("prynda-program-")) << tmpdir;
         EXPECT_EQ(temp, tmpdir);
         EXPECT_EQ(tmp, tmpdir);
         EXPECT_EQ(mode, "700");
       }},
      {"listing its own folder", kGhostscript,
       "%!PS\n(" + base_.Path() + "/prynda-program-*/*) { print (\\n) print } 4096 string filenameforall\n", Box(10),
       std::nullopt, 5,
       [](const std::string&, const std::string& errors) {
         EXPECT_NE(errors.find("/gs_"), std::string::npos) << "the listing works where it may: " << errors;
       }},
      {"listing /tmp", kGhostscript, probe("(DIR/*) { print (\\n) print } 4096 string filenameforall"), Box(10),
       std::nullopt, 5},
      {"reading a file in /tmp", kGhostscript, probe("(FILE) (r) file 100 string readstring pop print"), Box(10),
       std::nullopt, 5},
      {"writing a file in /tmp", kGhostscript, probe("(FILE.new) (w) file dup (x) writestring closefile"), Box(10),
       std::nullopt, 5},
      {"renaming a file in /tmp", kGhostscript, probe("(FILE) (FILE.moved) renamefile"), Box(10), std::nullopt, 5},
      {"deleting a file in /tmp", kGhostscript, probe("(FILE) deletefile"), Box(10), std::nullopt, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string document = base_.Write("zadanie.ps", c.document);
    std::string output;
    const DocumentBytes take = [&](const unsigned char* data, std::size_t size) {
      if (c.caller_raises) throw std::runtime_error("enough");
      output.append(reinterpret_cast<const char*>(data), size);
    };
    std::optional<ProgramResult> result;
    std::optional<ProgramLimit> limit;
    bool raised = false;
    const auto start = std::chrono::steady_clock::now();
    try {
      result = RunProgramOnDocument(c.args, document, 0, take, c.box);
      ASSERT_TRUE(result) << "no such program";
    } catch (const ProgramLimitExceeded& e) {
      limit = e.Limit();
      EXPECT_EQ(e.Value(), limit == ProgramLimit::Time     ? static_cast<std::uint64_t>(c.box.Seconds)
                           : limit == ProgramLimit::Memory ? c.box.MemoryBytes
                                                           : c.box.OutputBytes)
          << e.what();
    } catch (const std::runtime_error& e) {
      raised = std::string(e.what()) == "enough";
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(limit, c.limit) << (result ? result->Errors : "");
    EXPECT_EQ(raised, c.caller_raises);
    EXPECT_LT(took.count(), c.seconds);
    if (limit == ProgramLimit::Time) {
      EXPECT_GE(took.count(), c.box.Seconds);
    }
    const std::string errors = result ? result->Errors : "";
    if (c.check) c.check(output, errors);

    EXPECT_EQ(FilesIn(base_.Path()), (std::vector<std::string>{kPlanted, "zadanie.ps"})) << "the run's folder is gone";
    for (const std::string& planted : {planted_, base_.File(kPlanted)}) {
      EXPECT_EQ(ReadFile(planted), kSecret);
      EXPECT_FALSE(fs::exists(planted + ".new") || fs::exists(planted + ".moved"));
      EXPECT_EQ(errors.find(fs::path(planted).filename().string()), std::string::npos) << errors;
    }
    EXPECT_EQ(errors.find(kSecret), std::string::npos) << errors;
  }
}

}  // namespace
}  // namespace prynda
