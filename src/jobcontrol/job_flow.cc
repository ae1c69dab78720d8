#include "jobcontrol/job_flow.h"

#include <cstdio>
#include <ctime>
#include <exception>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <string>

#include "jobcontrol/font_set.h"
#include "jobcontrol/options.h"
#include "jobcontrol/picture_pages.h"
#include "jobcontrol/printer_selection.h"
#include "jobcontrol/recognised_job.h"
#include "jobcontrol/settings_file.h"
#include "jobcontrol/usage_text.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "platform/stop_requests.h"
#include "printers/archive/archive_name.h"
#include "printers/pdf/page_form.h"
#include "render/render_document.h"

namespace prynda {

namespace {

// The input file is removed only after a completed job; a failed or cancelled one keeps it.
void DeleteInputFile(TJobContext& job) {
  try {
    if (std::remove(job.InputFileName.c_str()) != 0) {
      job.Console.Line("Nie mogę usunąć pliku ", Raw{job.InputFileName});
      job.Console.ReadLine();
    }
  } catch (...) {
  }
}

// The job that needs no drawing, handed to the printer as it is; a printer that cannot take it
// refuses the job, nothing printed.
TRenderOutcome PassOnDocument(TJobContext& job, PassedOnDocument document) {
  TPrinter& printer = job.CurrentPrinter;
  const bool talk = job.Settings.ShowMessages;
  WriteUndrawnJobStart(job);
  if (document.FromXps) {
    document = MakePdfOfXps(job, document);
    if (talk) job.Console.Line(" * ", document.Language, " : zamieniono na PDF");
  }
  if (document.Format == TDocumentFormat::PostScript) {
    document = MakePdfOfPostScript(job, document);
    if (talk && document.Format == TDocumentFormat::Pdf) job.Console.Line(" * ", document.Language, " : zamieniono na PDF");
  }
  if (document.Format == TDocumentFormat::Pdf) CheckHandedOnPdf(job, document);
  // A document handed on is printed as it is: no form goes under it.
  if (talk && !job.Prynda.Background.empty()) job.Console.Line(" * formularz : pominięty, dokument idzie bez zmian");
  const std::int16_t copies = printer.CopyCount();
  printer.SetCopyCount(static_cast<std::int16_t>(job.Settings.Copies));
  TPassOnResult result = TPassOnResult::Printed;
  try {
    result = printer.PassOn(document.Format, job.InputPath(), document.Start);
  } catch (const ProgramLimitExceeded& limit) {
    printer.SetCopyCount(copies);
    throw JobRefused(ProgramLimitRefusal(document.Language, limit));
  }
  printer.SetCopyCount(copies);
  if (result == TPassOnResult::Unsupported && IsRaster(document.Format)) {
    return PrintRasterPages(job, document, /*announced=*/true);  // drawn here, page by page
  }
  if (result == TPassOnResult::Unsupported) {
    const std::string& printer_name = printer.PrinterNames()[printer.SelectedIndex()];
    if (!IsPageDescription(document.Format)) {
      throw JobRefused({"Zadanie w języku " + document.Language + ": drukarka " + printer_name + " go nie przyjmie, " +
                            document.Language + " drukuje tylko drukarka, która go zna; nic nie wydrukowano",
                        "The job is in " + document.Language + ", which the printer does not take; nothing was printed"});
    }
    throw std::runtime_error(std::string("Zadanie w ") +
                             (document.Format == TDocumentFormat::Pdf ? "PDF" : "PostScripcie") +
                             ": do wydruku na tej drukarce potrzebny jest Ghostscript (gswin64c.exe); nic nie "
                             "wydrukowano");
  }
  if (talk) {
    if (!IsPageDescription(document.Format)) job.Console.Line(" * ", document.Language, " : wysłano na drukarkę bez zmian");
    job.Console.Line("Zadanie wykonano");
  }
  return TRenderOutcome::Completed;
}

// Why a form cannot be used, as the console says it.
std::string_view FormProblemText(FormProblem problem) {
  switch (problem) {
    case FormProblem::Missing: return "nie ma takiego pliku";
    case FormProblem::Unreadable: return "nie mogę odczytać pliku";
    case FormProblem::NotAForm: return "to nie jest plik PDF ani PNG";
    case FormProblem::DamagedPdf: return "plik PDF jest uszkodzony";
    case FormProblem::NoPages: return "plik PDF nie ma żadnej strony";
    case FormProblem::DamagedPng: return "plik PNG jest uszkodzony";
    case FormProblem::TooLarge: return "plik jest za duży na formularz";
    case FormProblem::PdfUnsupported: return "formularzy PDF ta wersja nie drukuje, zapisz formularz jako PNG";
    case FormProblem::NoPdfLibrary: return "do formularza PDF potrzebna jest biblioteka qpdf (libqpdf29)";
  }
  return "nie mogę go użyć";
}

// The form the settings name, read and checked before anything is printed: one that cannot be
// used ends the job as a failure does.
void SetUpForm(TJobContext& job) {
  const std::string& path = job.Prynda.Background;
  if (path.empty()) return;
  try {
    job.CurrentPrinter.SetForm(PageForm::Load(path));
  } catch (const FormError& error) {
    throw std::runtime_error("Formularz " + path + ": " + std::string(FormProblemText(error.Problem())) +
                             "; nic nie wydrukowano");
  }
}

// The archive asked for where the settings name its folder; false when there is none.
bool AskForArchive(TJobContext& job) {
  if (job.Archive == nullptr || job.Prynda.ArchiveFolder.empty()) return false;
  ArchiveRequest request;
  request.Folder = job.Prynda.ArchiveFolder;
  request.Pattern = job.Prynda.ArchiveName;
  ArchiveFields& fields = request.Fields;
  fields.Name = !job.ArchiveJobName.empty() ? job.ArchiveJobName
                : job.StandardInput         ? std::string(kStandardInputName)
                                            : PrintedFileName(job.InputFileName);
  fields.User = !job.ArchiveUser.empty() ? job.ArchiveUser : ProgramUserName();
  fields.Time = LocalTime(std::time(nullptr));  // the job's start
  job.Archive->Archive(std::move(request));
  return true;
}

// Where a completed job was archived, or that it was not: an archive that an office relies on
// never fails without a word.
void ReportArchive(TJobContext& job) {
  const ArchiveResult& result = job.Archive->Result();
  if (!result.Path.empty()) {
    if (job.Settings.ShowMessages) job.Console.Line(" * archiwum : ", Raw{result.Path});
    return;
  }
  job.ArchiveFailure = result.Failure.empty() ? std::string("Unknown failure") : result.Failure;
  if (job.Document && !IsPageDescription(job.Document->Format)) {
    job.Console.Error("Wydrukowano, ale nie zarchiwizowano: zadania w " + job.Document->Language +
                      " nie da się zapisać jako PDF");
  } else {
    job.Console.Error("Wydrukowano, ale nie zarchiwizowano: " + job.ArchiveFailure);
  }
}

}  // namespace

void WriteUndrawnJobStart(TJobContext& job) {
  if (!job.Settings.ShowMessages) return;
  WriteJobStart(job);
  job.Console.Line(" * rozpoznano : ", job.Prynda.Recognised);
}

void WaitForEnter(TConsole& console) {
  console.Prompt("Naciśnij Enter");
  console.ReadLine();
}

void ShowBanner(TJobContext& job) {
  job.Console.Line(kBannerMaker);
  job.Console.Line(kBannerVersion);
}

void ShowUsage(TJobContext& job) {
  ShowBanner(job);
  for (std::string_view line : kUsageLines) job.Console.Line(line);
  WaitForEnter(job.Console);
}

bool PrepareJob(TJobContext& job) {
  TPrinter& printer = job.CurrentPrinter;
  if (printer.PrinterNames().Empty()) {
    job.Console.Line("Nie zainstalowano drukarek GDI.");
    return false;
  }
  printer.SetDocumentName("GDI=" + job.InputFileName);
  // A job from standard input is named so: "Prynda PDF" writes stdin.pdf.
  printer.SetSourceFileName(job.StandardInput ? std::string(kStandardInputName) : job.InputFileName);
  for (const TFontSlot& slot : kFontSlots) job.Font(slot.Font) = TFont();

  // "/ST" also keeps the printer choice quiet; nothing but that option writes ShowMessages.
  if (BuildOptionString(job.Params).find("/ST") != std::string::npos) job.Settings.ShowMessages = false;
  if (auto name = PrinterParameter(job.Params)) {
    SelectPrinterByName(job, *name);
    job.Settings.PrinterGiven = true;
  }
  SetUpFontSet(job);
  ReadSettingsFile(job);
  ApplyOptions(job);
  printer.SetProgramTime(job.Prynda.ProgramTime);
  if (job.StandardInput) {
    job.Settings.DeleteAfterPrint = false;  // standard input leaves nothing to delete
    // A pipe may bring anything, and nobody may be watching the pages come.
    if (job.Prynda.MaxPages == 0) job.Prynda.MaxPages = kDefaultPageLimit;
  }
  RecogniseJob(job);
  ShowBanner(job);
  SetUpForm(job);
  return true;
}

TRenderOutcome PrintJob(TJobContext& job) {
  if (job.Refusal) {
    WriteUndrawnJobStart(job);
    throw JobRefused(*job.Refusal);
  }
  const bool archiving = AskForArchive(job);
  const TRenderOutcome outcome = job.Document  ? PassOnDocument(job, *job.Document)
                                 : job.Picture ? PrintPicture(job, *job.Picture)
                                               : RenderDocument(job, job.CurrentPrinter.PageCanvas());
  if (archiving && outcome == TRenderOutcome::Completed) ReportArchive(job);
  if (const int request = StopRequest()) RaiseStoppedAfterJob(request);  // and the file is kept

  // A job that is in no archive keeps its file: it is the only record of the job left.
  if (job.Settings.DeleteAfterPrint && outcome == TRenderOutcome::Completed && job.ArchiveFailure.empty()) {
    DeleteInputFile(job);
  }
  if (job.PauseAtEnd) WaitForEnter(job.Console);
  return outcome;
}

void RunJob(TJobContext& job) {
  if (PrepareJob(job)) PrintJob(job);
}

int ProgramEntry(TJobContext& job) {
  job.InputFileName = job.Params.size() > 1 ? job.Params[1] : std::string();
  if (job.InputFileName == kStandardInputParameter) {
    // The job comes from a pipe: kept in a file of its own, so that it can be read again.
    HiddenFile copy;
    if (!copy.TakeStandardInput()) {
      job.Console.Error("Nie mogę odczytać zadania ze standardowego wejścia");
      return 1;
    }
    job.StandardInput = true;
    job.InputSource = copy.Path();
    RunJob(job);
  } else if (IsExistingFile(job.InputFileName)) {
    RunJob(job);
  } else {
    ShowUsage(job);
  }
  return job.ArchiveFailure.empty() ? 0 : kNotArchivedExitCode;
}

int RunProgram(std::vector<std::string> params, PrintSystem& system, std::ostream& out,
               std::istream& in, std::ostream& err, int console_code_page, ArchiveContextMaker archive_contexts) {
  TConsole console(out, in, err, console_code_page);
  std::string failure;
  try {
    ArchivingPrintSystem archive(system, std::move(archive_contexts));
    TPrinter printer(archive);
    TJobContext job(std::move(params), printer, console);
    job.Archive = &archive;
    return ProgramEntry(job);
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "Unknown failure";
  }
  // The printer object is gone by now, so an interrupted document has already been cancelled.
  console.Error(failure);
  return 1;
}

}  // namespace prynda
