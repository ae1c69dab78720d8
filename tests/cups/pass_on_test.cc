// Documents handed on as they are to the private scheduler's queues (scripts/cups-test-server):
// PDF and PostScript as jobs of their own type that the queue converts, a printer language raw to
// a printer's port.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cups/printer_port.h"
#include "cups/scheduler.h"
#include "device/printer_error.h"
#include "platform/stop_requests.h"
#include "printers/cups/cups_print_system.h"
#include "printers/fonts/font_library.h"
#include "support/pdf_tools.h"
#include "support/temp_dir.h"

namespace prynda::testing {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kPostScript =
    "%!PS-Adobe-3.0\n/Helvetica findfont 24 scalefont setfont\n72 720 moveto (Przelew) show\nshowpage\n";

class CupsPassOnTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = PRYNDA_CUPS_DIR;
    if (!UsePrivateScheduler(server_)) GTEST_SKIP() << "no private CUPS scheduler";
    fs::remove(FileQueueOutput());
    before_ = LatestJobId();
  }
  void TearDown() override { detail::stop_request.store(0); }

  TPassOnResult PassOn(const std::string& queue, TDocumentFormat format, const std::string& bytes,
                       std::uint64_t offset = 0, int copies = 1) {
    input_ = dir_.Write("zadanie.prn", bytes);
    TDeviceSettings settings;
    settings.Copies = static_cast<std::int16_t>(copies);
    return cups_.PassOn(queue, settings, TDocInfo{"GDI=" + input_, input_}, format, input_, offset);
  }

  // A one-page PDF of the PostScript, as Ghostscript makes it.
  std::string OnePagePdf() {
    const std::string ps = dir_.Write("strona.ps", kPostScript);
    Shell("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=" + dir_.File("strona.pdf") + " " + ps);
    return ReadFile(dir_.File("strona.pdf"));
  }

  // The one job the test made, once the scheduler is done with it.
  JobInfo FinishedJob() { return FinishedJobAfter(before_); }
  fs::path FileQueueOutput() const { return FileQueueOutputOf(server_); }
  fs::path PdfQueueOutput(int job) const { return PdfQueueOutputOf(server_, job); }

  TempDir dir_;
  fs::path server_;
  std::string input_;
  int before_ = 0;
  CupsPrintSystem cups_{std::make_shared<FontLibrary>()};
};

TEST_F(CupsPassOnTest, PostScriptAndPdfArriveAsJobsOfTheirTypeAndComplete) {
  const std::string header = "\x1b%-12345X@PJL JOB\r\n";
  const std::pair<TDocumentFormat, std::string> documents[] = {{TDocumentFormat::PostScript, kPostScript},
                                                               {TDocumentFormat::Pdf, OnePagePdf()}};
  for (const auto& [format, document] : documents) {
    SCOPED_TRACE(format == TDocumentFormat::Pdf ? "PDF" : "PostScript");
    before_ = LatestJobId();
    ASSERT_EQ(PassOn("PryndaPdf", format, header + document, header.size()), TPassOnResult::Printed);
    const JobInfo job = FinishedJob();
    EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
    EXPECT_EQ(job.Title, "GDI=" + input_);
    EXPECT_EQ(PdfPageCount(PdfQueueOutput(job.Id).string()), 1);
  }
}

TEST_F(CupsPassOnTest, ARawJobArrivesWithItsBytesIntactAsManyTimesAsItsCopies) {
  // A queue of a printer on the network that reads PCL itself: the socket backend, with no
  // filter between, sends the job to the port the test listens on.
  PrinterPort port;
  const std::string add = "PATH=$PATH:/usr/sbin lpadmin -p PryndaRaw -E -v socket://127.0.0.1:" +
                          std::to_string(port.Number()) + " 2>&1";
  ASSERT_EQ(Shell(add), "");
  struct Removed {
    ~Removed() { Shell("PATH=$PATH:/usr/sbin lpadmin -x PryndaRaw"); }
  } removed;
  const std::string header = "\x1b%-12345X@PJL ENTER LANGUAGE = PCL\r\n";
  const std::string pcl = std::string("\x1b" "E\x1b&l26A\x1b(17U tekst \xa5\x86\xa9\x88\0\xff\r\n\x0c\x1b" "E", 31);
  ASSERT_EQ(PassOn("PryndaRaw", TDocumentFormat::Raw, header + pcl, header.size(), 2), TPassOnResult::Printed);
  const JobInfo job = FinishedJob();
  EXPECT_EQ(job.State, IPP_JSTATE_COMPLETED);
  EXPECT_EQ(job.Title, "GDI=" + input_);
  EXPECT_EQ(port.Received(), pcl + pcl);
}

TEST_F(CupsPassOnTest, AStopRequestCancelsTheJob) {
  detail::stop_request.store(SIGTERM);
  EXPECT_THROW(PassOn("PryndaFile", TDocumentFormat::Raw, "\x1b" "E tekst\x0c"), JobInterrupted);
  detail::stop_request.store(0);
  EXPECT_EQ(FinishedJob().State, IPP_JSTATE_CANCELED);
  EXPECT_FALSE(fs::exists(FileQueueOutput()) && fs::file_size(FileQueueOutput()) > 0) << "nothing may be printed";
}

TEST_F(CupsPassOnTest, AStoppedQueueIsReportedAndAnUnknownOneAnswered) {
  Shell("cupsdisable PryndaFile");
  try {
    PassOn("PryndaFile", TDocumentFormat::Raw, "\x1b" "E");
    ADD_FAILURE() << "raised nothing";
  } catch (const EPrinter& e) {
    EXPECT_EQ(std::string(e.what()).find("Printer PryndaFile is stopped"), 0u) << e.what();
  }
  Shell("cupsenable PryndaFile");
  EXPECT_EQ(PassOn("Laser", TDocumentFormat::Raw, "\x1b" "E"), TPassOnResult::UnknownPrinter);
  EXPECT_EQ(LatestJobId(), before_);
}

}  // namespace
}  // namespace prynda::testing
