// Handing documents on under Windows (run under Wine): Ghostscript found through the registry,
// then PATH, and run by "Prynda PDF" on the document from its offset on - here the stand-in built
// beside the tests (fake-gs/gswin64c.exe), which hands its input back. With
// PRYNDA_TEST_PRINTER naming a printer of the spooler, the spooler's printers are tried too.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "device/printer_error.h"
#include "printers/fonts/font_library.h"
#include "printers/gdi/gdi_print_system.h"
#include "printers/pass_on/pass_on.h"
#include "printers/prynda_pdf/pdf_file_printer.h"
#include "support/temp_dir.h"

namespace prynda {
namespace {

namespace fs = std::filesystem;
using testing::FilesIn;
using testing::ReadFile;
using testing::TempDir;

constexpr const char* kRegistered = "SOFTWARE\\GPL Ghostscript";

fs::path FakeGhostscript() {
  char exe[MAX_PATH * 2];
  const DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
  return fs::path(std::string(exe, length)).parent_path() / "fake-gs" / "gswin64c.exe";
}

// The process's environment variable for the test's life (CRT and Windows alike).
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    _putenv_s(name, value.c_str());
  }
  ~ScopedVariable() { _putenv_s(name_, old_.c_str()); }

 private:
  const char* name_;
  std::string old_;
};

// Ghostscript versions under the user's registry key, removed again afterwards.
class Registered {
 public:
  explicit Registered(const std::map<std::string, std::string>& dlls) {
    for (const auto& [version, dll] : dlls) {
      const std::string key = std::string(kRegistered) + "\\" + version;
      RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "GS_DLL", REG_SZ, dll.c_str(),
                      static_cast<DWORD>(dll.size() + 1));
    }
  }
  ~Registered() { RegDeleteTreeA(HKEY_CURRENT_USER, kRegistered); }
};

TEST(GhostscriptLookupTest, TheNewestRegisteredVersionThenPath) {
  TempDir dir;
  for (const char* folder : {"gs9.56.1", "gs10.02.1", "on-path"}) {
    fs::create_directories(dir.File(folder));
    fs::copy_file(FakeGhostscript(), dir.File(folder) + "/gswin64c.exe");
  }
  fs::create_directories(dir.File("gs10.05.0"));  // registered, but without its program
  const auto dll = [&](const char* folder) { return (fs::path(dir.File(folder)) / "gsdll64.dll").string(); };
  struct Case {
    const char* name;
    std::map<std::string, std::string> registered;
    std::string path;  // PATH
    std::string found;  // the folder, "" for none
  };
  const std::vector<Case> cases = {
      {"none anywhere", {}, dir.File("empty"), ""},
      {"on PATH only", {}, dir.File("on-path"), "on-path"},
      {"the newest registered before PATH",
       {{"9.56.1", dll("gs9.56.1")}, {"10.02.1", dll("gs10.02.1")}},
       dir.File("on-path"),
       "gs10.02.1"},
      {"a registered version without its program passed over",
       {{"9.56.1", dll("gs9.56.1")}, {"10.05.0", dll("gs10.05.0")}},
       dir.File("on-path"),
       "gs9.56.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Registered registered(c.registered);
    ScopedVariable path("PATH", c.path);
    const std::string program = GhostscriptProgram();
    if (c.found.empty()) {
      EXPECT_EQ(program, "");
    } else {
      std::error_code error;
      EXPECT_TRUE(fs::equivalent(program, dir.File(c.found) + "/gswin64c.exe", error)) << program;
    }
  }
}

TEST(PdfPassOnWindowsTest, PostScriptGoesThroughGhostscriptFromItsOffset) {
  TempDir dir;
  ScopedVariable path("PATH", FakeGhostscript().parent_path().string());
  ScopedVariable arguments("FAKE_GS_ARGUMENTS", dir.File("arguments.txt"));
  PdfFilePrintSystem system(std::make_shared<FontLibrary>());
  std::string document = "%!PS\n";
  while (document.size() < 300000) document += "(wiersz raportu) show\n";
  const std::string input = dir.Write("wydruk.ps", "\x04" + document);
  ASSERT_EQ(system.PassOn(kPdfPrinterName, TDeviceSettings{}, TDocInfo{"GDI=" + input, input},
                          TDocumentFormat::PostScript, input, 1),
            TPassOnResult::Printed);
  EXPECT_EQ(ReadFile(dir.File("wydruk.pdf")), "%PDF-1.7\n" + document);
  EXPECT_EQ(ReadFile(dir.File("arguments.txt")),
            "-dSAFER\n-dBATCH\n-dNOPAUSE\n-dQUIET\n-sDEVICE=pdfwrite\n-sstdout=%stderr\n-sOutputFile=-\n-\n");

  const std::string failing = dir.Write("zly.ps", "%!PS\nnieznane_polecenie\n");
  try {
    system.PassOn(kPdfPrinterName, TDeviceSettings{}, TDocInfo{"GDI=" + failing, failing},
                  TDocumentFormat::PostScript, failing, 0);
    ADD_FAILURE() << "raised nothing";
  } catch (const EPrinter& e) {
    EXPECT_STREQ(e.what(), "Ghostscript cannot make a PDF of the PostScript: Error: /undefined in nieznane_polecenie");
  }
  EXPECT_FALSE(fs::exists(dir.File("zly.pdf")));

  ScopedVariable nowhere("PATH", dir.File("empty"));
  try {
    system.PassOn(kPdfPrinterName, TDeviceSettings{}, TDocInfo{"GDI=" + input, input}, TDocumentFormat::PostScript,
                  input, 0);
    ADD_FAILURE() << "raised nothing";
  } catch (const EPrinter& e) {
    EXPECT_NE(std::string(e.what()).find("Ghostscript is needed"), std::string::npos) << e.what();
  }
}

// The box under Windows: the stand-in asked for hostile runs, each ended by its limit or by itself
// with its job object, and its folder (TEMP, TMP and TMPDIR) gone afterwards.
TEST(ProgramBoxWindowsTest, EachRunEndsWithinItsLimitsAndLeavesNothing) {
  TempDir base;
  ScopedVariable temp("TEMP", base.Path()), tmp("TMP", base.Path());
  const auto box = [](int seconds, std::uint64_t output_mib = 4) {
    ProgramBox limits;
    limits.Seconds = seconds;
    limits.MemoryBytes = std::uint64_t{256} << 20;
    limits.OutputBytes = output_mib << 20;
    return limits;
  };
  struct Case {
    std::string document;
    ProgramBox box;
    std::optional<ProgramLimit> limit;  // nullopt: it ends by itself
    std::function<void(const std::string& output)> check = nullptr;
  };
  const std::vector<Case> cases = {
      {"%loop\n", box(2), ProgramLimit::Time},
      {"%memory\n", box(30), ProgramLimit::Memory},
      {"%output\n", box(30, 1), ProgramLimit::Output},
      {"%folder\n", box(10), std::nullopt,
       [&](const std::string& output) {
         std::istringstream lines(output);
         std::string temp_folder, tmp_folder, tmpdir;
         std::getline(lines, temp_folder);
         std::getline(lines, tmp_folder);
         std::getline(lines, tmpdir);
         std::error_code error;
         EXPECT_TRUE(fs::equivalent(fs::path(temp_folder).parent_path(), base.Path(), error)) << temp_folder;
         EXPECT_TRUE(fs::path(temp_folder).filename().string().starts_with("prynda-program-")) << temp_folder;
         EXPECT_EQ(tmp_folder, temp_folder);
         EXPECT_EQ(tmpdir, temp_folder);
       }},
      {"%child\n", box(10), std::nullopt,
       [](const std::string& output) {
         const HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(std::stoul(output)));
         if (child == nullptr) return;  // gone already
         EXPECT_EQ(WaitForSingleObject(child, 2000), WAIT_OBJECT_0) << "what it started is ended with it";
         CloseHandle(child);
       }},
  };
  // Wine keeps no memory limit of a job object.
  const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.document);
    if (wine && c.limit == ProgramLimit::Memory) continue;
    const std::string document = base.Write("zadanie.ps", c.document);
    std::string output;
    std::optional<ProgramLimit> limit;
    const auto start = std::chrono::steady_clock::now();
    try {
      const DocumentBytes take = [&](const unsigned char* data, std::size_t size) {
        output.append(reinterpret_cast<const char*>(data), size);
      };
      const auto result = RunProgramOnDocument({FakeGhostscript().string(), "-"}, document, 0, take, c.box);
      ASSERT_TRUE(result);
      EXPECT_EQ(result->ExitCode, 0) << result->Errors;
    } catch (const ProgramLimitExceeded& e) {
      limit = e.Limit();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(limit, c.limit);
    EXPECT_LT(took.count(), 20);
    if (c.check) c.check(output);
    EXPECT_EQ(FilesIn(base.Path()), std::vector<std::string>{"zadanie.ps"}) << "the run's folder is gone";
  }
}

TEST(GdiPassOnTest, APrinterTheSpoolerDoesNotKnowIsAnswered) {
  TempDir dir;
  const std::string input = dir.Write("wydruk.pcl", "\x1b" "E");
  GdiPrintSystem system;
  EXPECT_EQ(system.PassOn("No Such Printer", TDeviceSettings{}, TDocInfo{"GDI=" + input, input},
                          TDocumentFormat::Raw, input, 0),
            TPassOnResult::UnknownPrinter);
}

// PostScript to a printer of the spooler goes to Ghostscript's printer device by the printer's
// name, with the copies; without Ghostscript it is unsupported.
TEST(GdiPassOnTest, PostScriptGoesToGhostscriptsPrinterDevice) {
  const char* named = std::getenv("PRYNDA_TEST_PRINTER");
  if (named == nullptr) GTEST_SKIP() << "PRYNDA_TEST_PRINTER names no printer";
  const std::string printer = named;  // the environment changes below
  TempDir dir;
  const std::string input = dir.Write("wydruk.ps", "%!PS\nshowpage\n");
  TDeviceSettings settings;
  settings.Copies = 2;
  GdiPrintSystem system;
  {
    ScopedVariable path("PATH", FakeGhostscript().parent_path().string());
    ScopedVariable arguments("FAKE_GS_ARGUMENTS", dir.File("arguments.txt"));
    EXPECT_EQ(system.PassOn(printer, settings, TDocInfo{"GDI=" + input, input}, TDocumentFormat::PostScript, input, 0),
              TPassOnResult::Printed);
    EXPECT_EQ(ReadFile(dir.File("arguments.txt")),
              "-dSAFER\n-dBATCH\n-dNOPAUSE\n-dQUIET\n-dNoCancel\n-sDEVICE=mswinpr2\n-sstdout=%stderr\n"
              "-sOutputFile=%printer%" + printer + "\n-dNumCopies=2\n-\n");
  }
  ScopedVariable nowhere("PATH", dir.File("empty"));
  EXPECT_EQ(system.PassOn(printer, settings, TDocInfo{"GDI=" + input, input}, TDocumentFormat::Pdf, input, 0),
            TPassOnResult::Unsupported);
}

// A printer language goes to the spooler as it is (RAW), once per copy; the script that names the
// printer reads what reaches the printer's port.
TEST(GdiPassOnTest, APrinterLanguageGoesToTheSpoolerAsItIs) {
  const char* named = std::getenv("PRYNDA_TEST_RAW_PRINTER");
  if (named == nullptr) GTEST_SKIP() << "PRYNDA_TEST_RAW_PRINTER names no printer";
  TempDir dir;
  const std::string header = "\x1b%-12345X@PJL ENTER LANGUAGE = PCL\r\n";
  const std::string pcl("\x1b" "E tekst \xa5\x86\0\xff\x0c\x1b" "E", 16);  // what the script expects
  const std::string input = dir.Write("wydruk.pcl", header + pcl);
  TDeviceSettings settings;
  settings.Copies = 2;
  EXPECT_EQ(GdiPrintSystem().PassOn(named, settings, TDocInfo{"GDI=wydruk.pcl", input}, TDocumentFormat::Raw, input,
                                    header.size()),
            TPassOnResult::Printed);
}

}  // namespace
}  // namespace prynda
