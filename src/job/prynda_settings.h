// Settings of our own, beyond the fields of TJobSettings: the section [Prynda] of the settings file
// and the options that go with it. Built-in values here; the settings file, then the command line,
// overwrite them before the banner; from then on they are only read.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "device/paper.h"
#include "device/print_system.h"
#include "translation/code_pages.h"

namespace prynda {

// The archive's file names when the settings name none.
inline constexpr std::string_view kDefaultArchiveName = "{date}-{time}-{name}.pdf";

enum class EmulationKind {
  Own,      // our own dialect: the ESC subset and the 0xFA prefix commands
  Fx,       // Epson ESC/P (9-pin FX/LX; with "180", the 24-pin LQ/ESC/P2 units)
  Ibm,      // the IBM Proprinter (FX mode's groups under its own commands)
  Auto,     // whichever the job's bytes show; settled before anything is printed
};

// How our own dialect reads the bytes of text.
enum class OwnText {
  PolishLetters,  // its Polish letters translated to the fonts' Windows-1250 codes, as ever
  CodePage,       // every byte a character of the job's code page, through FX mode's tables
  Utf8,           // UTF-8
};

enum class OrientationChoice {
  File,       // the file's own command (our dialect), portrait (FX mode)
  Portrait,
  Landscape,
  Auto,       // FX mode: landscape when the form is wider than long
};

inline constexpr double kDefaultQrModuleMm = 0.5;

struct PryndaSettings {
  EmulationKind Emulation = EmulationKind::Own;  // key "Emulation" (FX, IBM, Auto), options "/FX", "/IBM", "/AUTO"
  bool AutoCR = false;  // key "AutoCR", option "/LF": in our own dialect a line feed also returns the carriage
  OwnText Text = OwnText::PolishLetters;  // chosen by what a recognised job holds, never by a key
  // A recognised text job: in our dialect a page asked for is begun only once something is
  // printed on it, so form feeds and line ends at the end of the job leave no blank page.
  bool PagesWhenPrinted = false;
  std::string Recognised;  // what recognition said of the job, for the console; "" without it

  // Paper and forms.
  std::optional<TPaperSize> Paper;  // key "Paper"; none: A4 on "Prynda PDF", a printer's own elsewhere
  int FormLength = 0;               // key "FormLength": lines of 1/6 inch; 0: the sheet's printable length
  int FormWidth = 0;                // key "FormWidth": columns at 10 cpi, for fitting; 0: 80
  bool Fit = false;                 // key "Fit", option "/FIT": the form scaled to fit the printable area
  OrientationChoice Orientation = OrientationChoice::File;  // key "Orientation" (FX mode)
  double OffsetXMm = 0;             // keys "OffsetX", "OffsetY": everything moved on the page
  double OffsetYMm = 0;
  // Key "Background", option "/BG=": the file of a form (PDF or PNG) printed under every sheet,
  // as it was written; "": plain paper.
  std::string Background;

  // Whether any of the page settings above asks for something; if not, the page is as it has
  // always been.
  bool ShapesThePage() const {
    return Paper || FormLength > 0 || FormWidth > 0 || Fit || Orientation != OrientationChoice::File ||
           OffsetXMm != 0 || OffsetYMm != 0;
  }

  // FX mode's character table as the settings name it: key "CodePage" and option "/CP=nnn" by
  // number (CodePage=MAZ too), option "MAZ"; none: the letters of TJobSettings::CodePage.
  std::optional<CodePageId> CodePage;

  // Key "MaxPages": a job that would print more pages is cancelled as a failed job is; 0: no limit.
  int MaxPages = 0;
  // Key "ProgramTime": seconds (1 to 3600) a program run on the job (Ghostscript) may take on the
  // clock before it is ended and the job fails.
  int ProgramTime = kDefaultProgramSeconds;

  // Key "Archive": the folder where every completed job also leaves a PDF of its pages; "": none.
  std::string ArchiveFolder;
  // Key "ArchiveName": the pattern of the archive's file names (its fields: printers/archive/archive_name.h).
  std::string ArchiveName{kDefaultArchiveName};

  // Key "QrModule": the side of one module of the QR codes of our own dialect (0xFA Q), in
  // millimetres (0.1 to 10).
  double QrModuleMm = kDefaultQrModuleMm;

  // Keys "FaceRoman", "FaceSansSerif", "FaceCourier" ... (one per typeface family of FX mode's
  // ESC k, render/escp/typefaces.h): the face a site prints a family in, by the key's name; a family
  // not named here prints in its built-in face.
  std::map<std::string, std::string, std::less<>> TypefaceFaces;

  // The printer's pins: 9 (FX/LX units) or 24 (LQ/ESC/P2 units). Settled with the feed scale:
  // "180" and the key "iteracja" give 24.
  int Pins = 9;
};

// The form's width when FormWidth does not say: 80 columns at 10 cpi, the narrow carriage's line.
inline constexpr int kDefaultFormWidth = 80;

// The page limit of a job nobody is there to stop - one on a print server, or read from standard
// input - where the settings (and the queue or the job) set none.
inline constexpr int kDefaultPageLimit = 10000;


}  // namespace prynda
