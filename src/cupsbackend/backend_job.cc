#include "cupsbackend/backend_job.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <limits>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>
#include <streambuf>

#include "device/print_system_wrapper.h"
#include "device/printer.h"
#include "job/job_context.h"
#include "jobcontrol/job_flow.h"
#include "platform/console.h"
#include "platform/name_list.h"
#include "platform/text_encoding.h"
#include "render/page_cycle.h"
#include "translation/code_pages.h"

namespace prynda {

namespace {

constexpr int kMaxCopies = 9999;  // the scheduler's own limit (MaxCopies)

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// A boolean option's value as CUPS writes it; nullopt when it is none of them.
std::optional<bool> Flag(std::string_view value) {
  const std::string lower = Lower(value);
  if (lower.empty() || lower == "true" || lower == "yes" || lower == "on" || lower == "1") return true;
  if (lower == "false" || lower == "no" || lower == "off" || lower == "0") return false;
  return std::nullopt;
}

constexpr std::size_t kWholeLine = std::numeric_limits<std::size_t>::max();

// The length of the UTF-8 sequence at the start of `text` that encodes one character other than a
// control (no overlong forms, no surrogates, nothing above U+10FFFF); 0 where there is none.
std::size_t ShownSequence(std::string_view text) {
  const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
  const std::uint8_t lead = bytes[0];
  if (lead < 0x80) return lead >= 0x20 && lead != 0x7F ? 1 : 0;
  const std::size_t length = Utf8SequenceLength(bytes);
  if (length == kUtf8CutShort) return 0;
  if (lead == 0xC2 && bytes[1] < 0xA0) return 0;  // U+0080 to U+009F are the C1 controls
  return length;
}

// Every line written to it becomes a line of the log with the prefix ("INFO: ", "ERROR: "), shown
// as LogText shows text.
class LogLines final : public std::streambuf {
 public:
  LogLines(std::ostream& log, std::string_view prefix) : log_(log), prefix_(prefix) {}
  ~LogLines() override {
    if (!line_.empty()) log_ << prefix_ << LogText(line_, kWholeLine) << '\n' << std::flush;
  }

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (traits_type::to_char_type(c) == '\n') {
      log_ << prefix_ << LogText(line_, kWholeLine) << '\n' << std::flush;
      line_.clear();
    } else {
      line_ += traits_type::to_char_type(c);
    }
    return log_ ? c : traits_type::eof();
  }

 private:
  std::ostream& log_;
  std::string_view prefix_;
  std::string line_;
};

// {name} of the archive for a job's title: lp gives the printed file's name, whose extension
// (a dot and one to four letters or digits) is dropped.
std::string TitleName(std::string_view title) {
  const std::size_t dot = title.rfind('.');
  if (dot == std::string_view::npos || dot == 0 || title.size() - dot - 1 < 1 || title.size() - dot - 1 > 4) {
    return std::string(title);
  }
  const bool extension = std::all_of(title.begin() + static_cast<std::ptrdiff_t>(dot) + 1, title.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
  return std::string(extension ? title.substr(0, dot) : title);
}

// A device context that reports each page as it ends, as the scheduler counts pages.
class PageReports final : public PrintContextWrapper {
 public:
  PageReports(std::unique_ptr<PrintContext> context, int copies, std::ostream& log)
      : PrintContextWrapper(std::move(context)), copies_(copies), log_(log) {}

  void EndPage() override {
    PrintContextWrapper::EndPage();
    log_ << "PAGE: " << ++pages_ << ' ' << copies_ << '\n' << std::flush;
  }

 private:
  int copies_;
  std::ostream& log_;
  int pages_ = 0;
};

// The system's printers narrowed to the target queue: it is the only printer and the default, so
// that no setting and no slip can print the job anywhere else.
class TargetQueueOnly final : public PrintSystemWrapper {
 public:
  TargetQueueOnly(PrintSystem& system, std::string target, std::ostream& log)
      : PrintSystemWrapper(system), target_(std::move(target)), log_(log) {}

  std::vector<std::string> PrinterNames() override {
    for (std::string& name : Target().PrinterNames()) {
      if (SameTextIgnoringCase(name, target_)) return {name};
    }
    return {};
  }
  std::string DefaultPrinter() override {
    std::vector<std::string> names = PrinterNames();
    return names.empty() ? std::string() : names.front();
  }
  std::unique_ptr<PrintContext> CreateContext(const std::string& printer, const TDeviceSettings& settings,
                                              TContextKind kind) override {
    std::unique_ptr<PrintContext> context = Target().CreateContext(printer, settings, kind);
    if (context == nullptr || kind != TContextKind::Device) return context;
    return std::make_unique<PageReports>(std::move(context), settings.Copies, log_);
  }
  void Beep() override {}  // a server has no one to hear it

 private:
  std::string target_;
  std::ostream& log_;
};

}  // namespace

// A page limit as an option gives it: a whole number from 1 to kMostPageLimit, digits only.
std::optional<int> PageLimit(std::string_view text) {
  int value = 0;
  if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > kMostPageLimit) {
    return std::nullopt;
  }
  return value;
}

std::string LogText(std::string_view text, std::size_t most_chars) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  static constexpr std::string_view kCut = "\xE2\x80\xA6";  // U+2026 in UTF-8
  if (most_chars == 0) return {};
  std::string shown;
  std::size_t chars = 0;
  std::size_t cut_at = 0;  // where a cut text ends: the last place with room for "…" after it
  bool cut = false;
  while (!text.empty()) {
    const std::size_t sequence = ShownSequence(text);
    const std::size_t width = sequence > 0 ? 1 : 4;
    if (!cut && chars + width + 1 > most_chars) {
      cut = true;
      cut_at = shown.size();
    }
    chars += width;
    if (cut && chars > most_chars) {
      shown.resize(cut_at);
      shown += kCut;
      return shown;
    }
    if (sequence > 0) {
      shown.append(text.substr(0, sequence));
      text.remove_prefix(sequence);
    } else {
      const auto byte = static_cast<unsigned char>(text.front());
      shown += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
      text.remove_prefix(1);
    }
  }
  return shown;
}

std::optional<std::string> TargetQueue(std::string_view device_uri) {
  const std::string scheme = std::string(kBackendScheme) + ":";
  if (device_uri.size() < scheme.size() || Lower(device_uri.substr(0, scheme.size())) != scheme) return std::nullopt;
  std::string_view rest = device_uri.substr(scheme.size());
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  std::string name;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && HexDigit(rest[i + 1]) >= 0 && HexDigit(rest[i + 2]) >= 0) {
      name += static_cast<char>(HexDigit(rest[i + 1]) * 16 + HexDigit(rest[i + 2]));
      i += 2;
    } else {
      name += rest[i];
    }
  }
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  return name;
}

TBackendOptions MapBackendOptions(const std::vector<std::pair<std::string, std::string>>& job_options) {
  struct Switch {
    std::string_view Name;
    std::string_view Option;
  };
  static constexpr Switch kSwitches[] = {
      {"prynda-fx", "/FX"},   {"prynda-ibm", "/IBM"},  {"prynda-maz", "MAZ"},
      {"prynda-lf", "/LF"},   {"prynda-fit", "/FIT"}, {"prynda-auto", "/AUTO"}};
  TBackendOptions result;
  auto add = [&result](std::string_view option) {
    if (!result.Options.empty()) result.Options += ' ';
    result.Options += option;
  };
  for (const auto& [raw_name, value] : job_options) {
    if (Lower(raw_name) == kPrintedByOption) {
      result.Error = "The job comes back from prynda (" + std::string(kPrintedByOption) + "=" + LogText(value) +
                     "): it has been printed once and is not printed again";
      return result;
    }
  }
  for (const auto& [raw_name, value] : job_options) {
    const std::string name = Lower(raw_name);
    if (!name.starts_with("prynda-")) continue;
    const auto known = std::find_if(std::begin(kSwitches), std::end(kSwitches),
                                    [&name](const Switch& s) { return s.Name == name; });
    if (known != std::end(kSwitches)) {
      const std::optional<bool> on = Flag(value);
      if (!on) {
        result.Error = "Option " + LogText(name) + "=" + LogText(value) + ": the value must be true or false";
        return result;
      }
      if (*on) add(known->Option);
    } else if (name == "prynda-cp") {
      // Only the numbers of FX mode's tables: anything else among the options could mean another
      // option ("180" would switch the vertical feeds to 1/180 inch).
      const bool digits = !value.empty() && value.size() <= 5 &&
                          std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (!digits || FindCodePage(std::stoi(value)) == nullptr) {
        result.Error = "Option prynda-cp=" + LogText(value) + ": the code page is one of 437, 850, 852, 866, 895, 1250, 88592";
        return result;
      }
      add("/CP=" + value);
    } else if (name == "prynda-max-pages") {
      // A number of the job's own, never part of Prynda's options.
      const std::optional<int> limit = PageLimit(value);
      if (!limit) {
        result.Error = "Option prynda-max-pages=" + LogText(value) + ": the value must be a whole number from 1 to " +
                       std::to_string(kMostPageLimit);
        return result;
      }
      result.MaxPages = *limit;
    } else {
      result.Ignored.push_back(raw_name);
    }
  }
  return result;
}

std::optional<PryndaQueue> PryndaQueueBehind(const std::string& target, const AskQueue& ask) {
  std::vector<std::string> pending = {target};
  std::set<std::string> asked;  // names in lower case: the scheduler ignores their letter case
  while (!pending.empty()) {
    const std::string queue = std::move(pending.back());
    pending.pop_back();
    if (!asked.insert(Lower(queue)).second) continue;  // classes may hold one another
    const std::optional<QueueFacts> facts = ask(queue);
    if (!facts) continue;
    if (TargetQueue(facts->DeviceUri)) return PryndaQueue{queue, facts->DeviceUri};
    pending.insert(pending.end(), facts->Members.rbegin(), facts->Members.rend());
  }
  return std::nullopt;
}

int PrintBackendJob(const TBackendJob& request, PrintSystem& system, std::ostream& log,
                    ArchiveContextMaker archive_contexts) {
  std::string failure;
  int code = kBackendFailed;  // the target's fault unless the job's own is found
  {
    LogLines info_lines(log, "INFO: ");
    std::ostream info(&info_lines);
    LogLines error_lines(log, "ERROR: ");
    std::ostream errors(&error_lines);
    std::istringstream no_input;
    TConsole console(info, no_input, errors, kCodePageUtf8);
    TargetQueueOnly queue(system, request.Target, log);
    ArchivingPrintSystem archive(queue, std::move(archive_contexts));
    std::vector<std::string> params = {request.Executable, request.InputFile, "/DR=" + request.Target};
    if (!request.Options.empty()) params.push_back(request.Options);
    try {
      TPrinter printer(archive);
      TJobContext job(std::move(params), printer, console);
      job.InputFileName = request.InputFile;
      job.Archive = &archive;
      job.ArchiveUser = request.User;
      job.ArchiveJobName = TitleName(request.Title);
      if (!PrepareJob(job)) {
        failure = "There is no queue " + LogText(request.Target) + " to print on";
      } else {
        // The file is the scheduler's, and nobody sits at a console.
        job.Settings.DeleteAfterPrint = false;
        job.PauseAtEnd = false;
        job.Settings.Copies = std::clamp(request.Copies, 1, kMaxCopies);
        // The job is anyone's on the network: it may ask for fewer pages than the server allows.
        int limit = request.QueueMaxPages > 0   ? request.QueueMaxPages
                    : job.Prynda.MaxPages > 0 ? job.Prynda.MaxPages
                                              : kDefaultPageLimit;
        if (request.MaxPages > limit) {
          log << "WARNING: prynda-max-pages=" << request.MaxPages << " is more than this queue allows; the job prints at most "
              << limit << " pages\n" << std::flush;
        } else if (request.MaxPages > 0) {
          limit = request.MaxPages;
        }
        job.Prynda.MaxPages = limit;
        if (!request.Title.empty()) printer.SetDocumentName(request.Title);
        if (PrintJob(job) == TRenderOutcome::Completed) {
          // A job that printed but is in no archive has said so in an ERROR: line, which stays the
          // queue's message. It still ends well: a failure would have the job printed again.
          if (job.ArchiveFailure.empty()) log << "INFO: Printed on " << LogText(request.Target) << '\n' << std::flush;
          return kBackendOk;
        }
        failure = "The job's data could not be read; nothing was printed";
      }
    } catch (const PageLimitExceeded& e) {
      failure = "The job would print more than " + std::to_string(e.Limit()) +
                " pages (prynda-max-pages); nothing was printed";
      code = kBackendCancel;
    } catch (const JobRefused& e) {
      failure = e.LogMessage();
      code = kBackendCancel;
    } catch (const std::exception& e) {
      failure = e.what();
    } catch (...) {
      failure = "Unknown failure";
    }
  }
  // The printer object is gone by now: a document it had begun on the target is cancelled.
  log << "ERROR: " << LogText(failure, kWholeLine);
  if (code == kBackendCancel) log << "; the job is cancelled, the queue goes on";
  log << '\n' << std::flush;
  return code;
}

}  // namespace prynda
