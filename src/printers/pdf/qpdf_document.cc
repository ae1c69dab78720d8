#include "printers/pdf/qpdf_document.h"

#include <cstdlib>
#include <memory>
#include <set>
#include <utility>

#include "printers/pdf/qpdf_library.h"

namespace prynda {

namespace {

const QpdfLibrary& Api() { return *Qpdf(); }

// A handle given back to the library when it goes.
class Held {
 public:
  Held(qpdf_data q, qpdf_oh handle) : q_(q), handle_(handle) {}
  ~Held() { Api().qpdf_oh_release(q_, handle_); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  operator qpdf_oh() const { return handle_; }

 private:
  qpdf_data q_;
  qpdf_oh handle_;
};

}  // namespace

QpdfDocument::QpdfDocument() : q_(Api().qpdf_init()) {
  Api().qpdf_silence_errors(q_);
  Api().qpdf_set_suppress_warnings(q_, QPDF_TRUE);
}

QpdfDocument::~QpdfDocument() { Api().qpdf_cleanup(&q_); }

bool QpdfDocument::Failed() const { return Api().qpdf_has_error(q_) != QPDF_FALSE; }

std::string QpdfDocument::Failure() const {
  if (!Failed()) return "unreadable";
  const char* text = Api().qpdf_get_error_full_text(q_, Api().qpdf_get_error(q_));
  return text != nullptr ? text : "unreadable";
}

void QpdfDocument::ForgetWarnings() const {
  while (Api().qpdf_more_warnings(q_)) Api().qpdf_next_warning(q_);
}

bool QpdfDocument::Warned() const { return Api().qpdf_more_warnings(q_) != QPDF_FALSE; }

void QpdfDocument::Read(std::string_view bytes, const std::string& name, const PdfReadLimits& limits,
                        DecodeBudget& budget) {
  const PdfScan scan = ScanPdf(bytes, limits, budget);
  if (Api().qpdf_read_memory(q_, name.c_str(), bytes.data(), bytes.size(), "") & QPDF_ERRORS) {
    throw PdfReadError(PdfReadProblem::Damaged, Failure());
  }
  CheckDeadline(limits.Deadline);
  MeasureObjectStreams(scan, limits, budget);
  if (Failed()) throw PdfReadError(PdfReadProblem::Damaged, Failure());
}

void QpdfDocument::MeasureObjectStreams(const PdfScan& scan, const PdfReadLimits& limits, DecodeBudget& budget) const {
  const QpdfLibrary& api = Api();
  for (const long long number : scan.ObjectStreams) {
    const Held stream(q_, api.qpdf_get_object_by_id(q_, static_cast<int>(number), 0));
    if (!api.qpdf_oh_is_stream(q_, stream)) continue;
    const Held dictionary(q_, api.qpdf_oh_get_dict(q_, stream));
    const Held type(q_, api.qpdf_oh_get_key(q_, dictionary, "/Type"));
    if (!api.qpdf_oh_is_name_and_equals(q_, type, "/ObjStm")) continue;
    const std::optional<std::vector<PdfFilterStep>> steps = Filters(dictionary);
    if (!steps) continue;  // qpdf cannot decode it either
    unsigned char* raw = nullptr;
    std::size_t size = 0;
    // Warnings left from reading other objects make no error of this one.
    const QPDF_ERROR_CODE read = api.qpdf_oh_get_stream_data(q_, stream, qpdf_dl_none, nullptr, &raw, &size);
    const std::unique_ptr<unsigned char, decltype(&std::free)> held(raw, &std::free);
    if ((read & QPDF_ERRORS) || raw == nullptr) continue;
    budget.Spend(budget.Measure({reinterpret_cast<const char*>(raw), size}, *steps, limits.ObjectStream));
    CheckDeadline(limits.Deadline);
  }
}

std::uint64_t QpdfDocument::CountPages(const PdfReadLimits& limits) const {
  const QpdfLibrary& api = Api();
  const Held root(q_, api.qpdf_get_root(q_));
  const Held tree(q_, api.qpdf_oh_get_key(q_, root, "/Pages"));
  if (Failed()) throw PdfReadError(PdfReadProblem::Damaged, Failure());
  if (!api.qpdf_oh_is_dictionary(q_, tree)) return 0;  // as qpdf counts it

  // The nodes from the root down to the one walked: their kids, the next of them, and who they are
  // (indirect objects only: a direct one cannot be reached twice).
  struct Level {
    qpdf_oh Kids;
    int Count, Next;
    std::pair<int, int> Id;
  };
  std::vector<Level> path;
  std::set<std::pair<int, int>> on_path;
  std::uint64_t pages = 0, nodes = 0;
  const auto enter = [&](qpdf_oh node, bool root) {
    if (++nodes > limits.Objects)
      throw PdfReadError(PdfReadProblem::Objects,
                         "a page tree of more than " + std::to_string(limits.Objects) + " nodes");
    if (nodes % 1024 == 0) CheckDeadline(limits.Deadline);
    if (!api.qpdf_oh_is_dictionary(q_, node)) return;
    if (api.qpdf_oh_has_key(q_, node, "/Kids")) {
      const qpdf_oh kids = api.qpdf_oh_get_key(q_, node, "/Kids");
      if (api.qpdf_oh_is_array(q_, kids)) {
        std::pair<int, int> id{0, 0};
        if (api.qpdf_oh_is_indirect(q_, node)) {
          id = {api.qpdf_oh_get_object_id(q_, node), api.qpdf_oh_get_generation(q_, node)};
          if (!on_path.insert(id).second) {
            api.qpdf_oh_release(q_, kids);
            throw PdfReadError(PdfReadProblem::Damaged, "the page tree leads back into itself");
          }
        }
        path.push_back({kids, api.qpdf_oh_get_array_n_items(q_, kids), 0, id});
        return;
      }
      api.qpdf_oh_release(q_, kids);
    }
    if (root) return;  // a root without kids has no pages
    if (++pages > limits.Pages)
      throw PdfReadError(PdfReadProblem::Pages, "more than " + std::to_string(limits.Pages) + " pages");
  };
  try {
    enter(tree, true);
    while (!path.empty()) {
      Level& level = path.back();
      if (level.Next >= level.Count) {
        on_path.erase(level.Id);
        api.qpdf_oh_release(q_, level.Kids);
        path.pop_back();
        continue;
      }
      const Held kid(q_, api.qpdf_oh_get_array_item(q_, level.Kids, level.Next++));
      enter(kid, false);
    }
  } catch (...) {
    for (const Level& level : path) api.qpdf_oh_release(q_, level.Kids);
    throw;
  }
  if (Failed()) throw PdfReadError(PdfReadProblem::Damaged, Failure());
  return pages;
}

std::optional<std::vector<PdfFilterStep>> QpdfDocument::Filters(qpdf_oh dictionary) const {
  const QpdfLibrary& api = Api();
  const Held filter(q_, api.qpdf_oh_get_key(q_, dictionary, "/Filter"));
  const Held parameters(q_, api.qpdf_oh_get_key(q_, dictionary, "/DecodeParms"));
  std::vector<PdfFilterStep> steps;
  if (api.qpdf_oh_is_null(q_, filter)) return steps;
  const bool listed = api.qpdf_oh_is_array(q_, filter);
  const int count = listed ? api.qpdf_oh_get_array_n_items(q_, filter) : 1;
  if (!listed && !api.qpdf_oh_is_name(q_, filter)) return std::nullopt;
  if (count > static_cast<int>(kMostPdfFilters)) return std::nullopt;
  for (int i = 0; i < count; ++i) {
    const Held name(
        q_, listed ? api.qpdf_oh_get_array_item(q_, filter, i) : api.qpdf_oh_get_key(q_, dictionary, "/Filter"));
    const std::optional<PdfFilter> known =
        api.qpdf_oh_is_name(q_, name) ? FilterNamed(api.qpdf_oh_get_name(q_, name)) : std::nullopt;
    if (!known) return std::nullopt;
    const Held own(q_, api.qpdf_oh_is_array(q_, parameters) ? api.qpdf_oh_get_array_item(q_, parameters, i)
                                                            : api.qpdf_oh_get_key(q_, dictionary, "/DecodeParms"));
    const Held early(q_, api.qpdf_oh_is_dictionary(q_, own) ? api.qpdf_oh_get_key(q_, own, "/EarlyChange")
                                                            : api.qpdf_oh_new_null(q_));
    steps.push_back({*known, !(api.qpdf_oh_is_integer(q_, early) && api.qpdf_oh_get_int_value(q_, early) == 0)});
  }
  return steps;
}

}  // namespace prynda
