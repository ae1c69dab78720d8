// TJobContext: the named objects of one run - parameters, settings, the six fonts, the printer and
// the console - created by the program entry and handed to every step of the job.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/font.h"
#include "device/printer.h"
#include "job/job_settings.h"
#include "job/prynda_settings.h"
#include "platform/console.h"
#include "platform/files.h"

namespace prynda {

class ArchivingPrintSystem;  // printers/archive/archive_print_system.h

// The six fonts of a job, one per kind of text; the settings file names each by a suffix of its
// own (jobcontrol/font_set.h).
enum class JobFont : std::uint8_t {
  Cpi10,      // 10 characters per inch; the font of a reset and of a new document
  Cpi12,
  Condensed,  // 17.125 characters per inch (and FX mode's 15)
  Cpi20,
  Expanded,   // double width or height
  Small,      // the small font (our dialect's prefix commands A and B; super- and subscript)
};
inline constexpr std::size_t kJobFonts = 6;

// A job recognised as a document of its own - PostScript, PDF, a printer language (PCL, PCL XL,
// ESC/POS), raster pages - handed on as it is from Start (past a PJL header) instead of being
// drawn.
struct PassedOnDocument {
  TDocumentFormat Format = TDocumentFormat::Pdf;
  std::uint64_t Start = 0;
  std::string Language;  // a printer language's or raster's name for the console ("PCL", "ESC/POS")
  bool FromXps = false;  // an XPS document, handed on as the PDF made of it when it is printed
};

// A job recognised as a picture (its format's name: "PNG", "JPEG", "TIFF", "GIF", "BMP") from
// Start on, printed as one page fitted to the printable area instead of being drawn by a dialect.
struct PictureJob {
  std::string Format;
  std::uint64_t Start = 0;
};

// Why a job is not printed for what it is: in the console's words (Polish, ending "nic nie
// wydrukowano") and in the print server's log's (English).
struct JobRefusal {
  std::string Message;
  std::string LogMessage;
};

struct TJobContext {
  TJobContext(std::vector<std::string> params, TPrinter& printer, TConsole& console)
      : Params(std::move(params)), CurrentPrinter(printer), Console(console) {}

  // Parameter 0 is the executable's full path, 1 the file to print, 2 and on the options.
  std::vector<std::string> Params;
  std::string InputFileName;
  // The job read from standard input ("-" in place of a file name): InputSource is its copy.
  bool StandardInput = false;
  std::string InputSource;  // the file the job's bytes are read from; empty: InputFileName
  const std::string& InputPath() const { return InputSource.empty() ? InputFileName : InputSource; }
  TJobSettings Settings;
  PryndaSettings Prynda;  // the [Prynda] section and its options, apart from the fields above
  std::optional<PassedOnDocument> Document;  // set by recognition
  std::optional<PictureJob> Picture;         // set by recognition
  std::optional<JobRefusal> Refusal;         // set by recognition: the job is not printed
  // A file made of the job before it is printed (UTF-16 text as UTF-8, XPS as PDF): InputSource
  // names it while the job lives.
  std::shared_ptr<HiddenFile> MadeFile;
  bool PauseAtEnd = false;

  // The archive the job's document goes to as well where the settings name a folder; none in
  // programs that keep no archive.
  ArchivingPrintSystem* Archive = nullptr;
  // The archive's {user} and {name} where the program knows them better than the system does (the
  // CUPS backend: the job's user and title); "": the program's user, the printed file's name.
  std::string ArchiveUser;
  std::string ArchiveJobName;
  // Why a job that printed was not archived; "" when it was, or nothing was asked.
  std::string ArchiveFailure;

  TPrinter& CurrentPrinter;
  TConsole& Console;

  std::array<TFont, kJobFonts> Fonts;
  TFont& Font(JobFont font) { return Fonts[static_cast<std::size_t>(font)]; }
  const TFont& Font(JobFont font) const { return Fonts[static_cast<std::size_t>(font)]; }
};

// The character table the job prints with, said once for every dialect: the one the settings name,
// else the letters of TJobSettings::CodePage (PC852 or Mazovia).
const CodePage& JobCodePage(const TJobContext& job);

}  // namespace prynda
