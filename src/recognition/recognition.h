// Recognition: what a job is, told from its first bytes before any of it is printed - its
// language, the pins of an ESC/P job, its line ends and the code page of its text - as data the
// job flow acts on. A function of the bytes alone: no settings, no printer, no files; the same
// bytes give the same answer (but for a tie among code pages where uchardet is missing - on
// Windows, or not installed - see code_page_guess.h).
//
// Not every job is a printout: the answer may be a document, a picture or something no printer
// takes. The evidence is weighed in this order:
//  1. A document of its own from DocumentStart, past leading Ctrl-D bytes and a PJL header (UEL,
//     then @PJL lines), whose ENTER LANGUAGE names PostScript, PDF, PCL or PCL XL outright:
//     PostScript ("%!"), PDF ("%PDF-"); raster pages of driverless printing (PWG raster's and
//     CUPS raster's sync words, Apple raster's "UNIRAST"); PCL XL (") HP-PCL XL"); then what the
//     system's library for telling file types names (file_kind.h): pictures (PNG, JPEG, TIFF,
//     GIF, BMP), XPS, HP-GL/2 plots, archives, compressed files, programs; text in UTF-16 with its
//     byte-order mark; PCL: PCL's parameterised sequences (ESC & l 1 O, ESC ( s 0 P, ESC ( 10 U,
//     ESC * t 300 R) before any text, ESC E resets between them - or any job after a PJL header
//     that is none of the above. A job that starts with ESC E and then text is ESC/P's bold, not
//     PCL.
//  2. Our dialect's orientation at the start (0xFA L or P, ESC " S or T, after one ESC l n): ours.
//  3. Counting over the job, walked with ESC/P's argument counts and bit-image data skipped: our
//     own commands (0xFA and one of its command letters, unless the text is Windows-1250 and 0xFA
//     its ú; ESC "; ESC FF) against what only ESC/P has (ESC commands outside our subset, SO SI
//     DC2 DC4). Ours when ours are at least as many and the job has no bit image (our dialect
//     would print its data as characters); ESC/P when
//     it has any of its own, or commands whose argument our dialect only skips (ESC - 1, ESC R,
//     ESC W: ESC/P prints what they ask for); ours when its only escape sequences are the ones
//     both act on (ESC J, ESC l, ESC $), and ESC J in a job with 0xFA commands is ours; else
//     text - UTF-8 text when it starts with a BOM or its high bytes are all valid UTF-8
//     sequences, at least one of them. Before that: no printout when more than one in
//     kMostStrayPerMille of the bytes left as text are control bytes no printer acts on (binary
//     data, noise); ESC/P 2 raster for an inkjet when it enters graphics or remote mode and prints
//     no text; ESC/POS for a receipt printer when it has its GS/FS commands or its own ESC
//     arguments (ESC d n, ESC E 1), kReceiptEvidence of them.
//     An ESC/P job is a Proprinter's when it has at least kProprinterEvidence of what only a
//     Proprinter sends, and more of it than of what only Epson's printers have (command_walk.h).
//  4. ESC/P: 24 pins when the job uses what only 24-pin printers have (ESC ( commands, ESC * and
//     ESC ? with a 24-dot density, m >= 32, ESC . raster, ESC X, ESC +), else 9.
//  5. The code page from the text bytes only (code_page_guess.h): PC852 unless the bytes show
//     another table reads them clearly better.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "translation/code_pages.h"

namespace prynda {

// How many first bytes recognition looks at; a job may give fewer.
inline constexpr std::size_t kRecognitionBytes = 256 * 1024;

enum class JobLanguage : std::uint8_t {
  // Printed as it is: drawn by a dialect, or handed on.
  Text, Utf8Text, OwnDialect, EscP, Pcl, PostScript, Pdf,
  Proprinter,    // the IBM Proprinter's language
  Utf16Text,     // text in UTF-16 with its byte-order mark
  InkjetRaster,  // Epson ESC/P 2 raster as inkjet printers take it
  PclXl,         // PCL 6's binary stream
  Receipt,       // ESC/POS, receipt printers' language
  PwgRaster,     // PWG raster and CUPS raster pages
  AppleRaster,   // Apple raster (URF) pages
  Xps,           // an XPS or OpenXPS document
  Png, Jpeg, Tiff, Gif, Bmp,
  // No printout.
  HpGl,        // a plotter's HP-GL/2
  Archive,     // ZIP, tar, 7-Zip, RAR ...
  Compressed,  // gzip, bzip2, xz ...
  Program,     // an executable or a library
  BinaryData,  // bytes that are neither text nor commands of a printer language
};

// A job of more stray control bytes than this, per thousand bytes of text, is no printout.
inline constexpr std::size_t kMostStrayPerMille = 20;
// What only a Proprinter sends, at least, for an ESC/P job to be a Proprinter's.
inline constexpr std::size_t kProprinterEvidence = 2;
// The ESC/POS commands that make a job a receipt printer's.
inline constexpr std::size_t kReceiptEvidence = 2;

enum class LineEnd : std::uint8_t {
  None,  // no CR or LF at all
  CrLf,  // CR LF (or LF CR) pairs
  Lf,    // LF alone: our dialect needs /LF, a line feed that also returns the carriage
  Cr,    // CR alone
};

struct Recognition {
  JobLanguage Language = JobLanguage::Text;
  int Pins = 9;  // ESC/P: 9 or 24; 9 for every other language
  // A document of its own (step 1): its offset past a PJL header or Ctrl-D bytes; UTF-8 text:
  // past its BOM; 0 otherwise.
  std::size_t DocumentStart = 0;
  std::string Detail;  // an archive's, compressed file's or program's own kind ("ZIP", "ELF")
  LineEnd LineEnds = LineEnd::None;  // the most of the three kinds in the text, ties to CR LF
  CodePageId CodePage = CodePageId::Pc852;
  // Whether the bytes chose CodePage; false where PC852 is the default kept: no high bytes or all
  // of one value, another table reads them about as well, or PostScript, PDF, PCL, UTF-8.
  bool CodePageFromEvidence = false;
};

// `head`: the job's first bytes (at most kRecognitionBytes are looked at).
Recognition Recognise(std::span<const std::uint8_t> head);

// The short Polish names of what jobs are, for the console's line about the job.
inline constexpr std::string_view kNameText = "tekst";
inline constexpr std::string_view kNameUtf8Text = "tekst UTF-8";
inline constexpr std::string_view kNameOwnDialect = "dialekt Prynda";
inline constexpr std::string_view kNameEscP9 = "Epson ESC/P (9 igieł)";
inline constexpr std::string_view kNameEscP24 = "Epson ESC/P (24 igły)";
inline constexpr std::string_view kNameProprinter = "IBM Proprinter";
inline constexpr std::string_view kNamePcl = "PCL";
inline constexpr std::string_view kNamePostScript = "PostScript";
inline constexpr std::string_view kNamePdf = "PDF";
inline constexpr std::string_view kNameUtf16Text = "tekst UTF-16";
inline constexpr std::string_view kNameInkjetRaster = "Epson ESC/P 2 (raster drukarki atramentowej)";
inline constexpr std::string_view kNamePclXl = "PCL XL";
inline constexpr std::string_view kNameReceipt = "ESC/POS (drukarka paragonów)";
inline constexpr std::string_view kNamePwgRaster = "PWG raster";
inline constexpr std::string_view kNameAppleRaster = "Apple raster (URF)";
inline constexpr std::string_view kNameXps = "XPS";
inline constexpr std::string_view kNamePng = "obraz PNG";
inline constexpr std::string_view kNameJpeg = "obraz JPEG";
inline constexpr std::string_view kNameTiff = "obraz TIFF";
inline constexpr std::string_view kNameGif = "obraz GIF";
inline constexpr std::string_view kNameBmp = "obraz BMP";
inline constexpr std::string_view kNameHpGl = "HP-GL/2 (ploter)";
inline constexpr std::string_view kNameArchive = "archiwum";
inline constexpr std::string_view kNameCompressed = "plik skompresowany";
inline constexpr std::string_view kNameProgram = "program";
inline constexpr std::string_view kNameBinaryData = "dane binarne";

// The name of what the job is (ESC/P with its pins, an archive, compressed file or program with
// its own kind: "archiwum ZIP").
std::string PolishName(const Recognition& job);

// Whether the job is something no printer prints (a plot, an archive, a program, data).
constexpr bool IsNoPrintout(JobLanguage language) { return language >= JobLanguage::HpGl; }

}  // namespace prynda
