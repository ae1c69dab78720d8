#include "printers/pdf/pdf_form.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/printer_error.h"
#include "printers/pdf/pdf_writer.h"
#include "printers/pdf/qpdf_document.h"
#include "printers/pdf/qpdf_library.h"

namespace prynda {

namespace {

const QpdfLibrary& Api() { return *Qpdf(); }

// A buffer that qpdf allocated with malloc.
struct Allocated {
  unsigned char* Data = nullptr;
  std::size_t Size = 0;
  Allocated() = default;
  Allocated(const Allocated&) = delete;
  Allocated& operator=(const Allocated&) = delete;
  ~Allocated() { std::free(Data); }
  std::string_view View() const { return {reinterpret_cast<const char*>(Data), Size}; }
};

// A name as PDF writes it: its bytes outside the printable ones, and its delimiters, as #xx.
std::string EscapedName(std::string_view name) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "/";
  for (std::size_t i = name.starts_with('/') ? 1 : 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x21 || c > 0x7E || std::string_view("#()<>[]{}/%").find(static_cast<char>(c)) != std::string_view::npos) {
      out += '#';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

struct PdfForm::State {
  std::string Bytes;  // qpdf reads the file where it lies: kept while the document is
  QpdfDocument Document;
  qpdf_data Pdf = Document.Handle();
  std::string Path;
  std::vector<FormBox> Boxes;
  std::vector<std::string> Contents;  // each page's content streams, decoded and joined

  bool Failed() const { return Document.Failed(); }
  void ForgetWarnings() const { Document.ForgetWarnings(); }
  bool Warned() const { return Document.Warned(); }
  std::string Failure() const { return Document.Failure(); }

  // A page's key as the page tree passes it down (/Resources, /MediaBox, /CropBox, /Rotate).
  qpdf_oh Inherited(qpdf_oh page, const char* key) const {
    qpdf_oh node = page;
    for (int depth = 0; depth < 64 && Api().qpdf_oh_is_dictionary(Pdf, node); ++depth) {
      if (Api().qpdf_oh_has_key(Pdf, node, key)) {
        const qpdf_oh value = Api().qpdf_oh_get_key(Pdf, node, key);
        if (!Api().qpdf_oh_is_null(Pdf, value)) return value;
      }
      node = Api().qpdf_oh_get_key(Pdf, node, "/Parent");
    }
    return Api().qpdf_oh_new_null(Pdf);
  }

  // A rectangle of four numbers, its corners put in order; nullopt for anything else or an empty one.
  std::optional<FormBox> Rectangle(qpdf_oh array) const {
    if (Api().qpdf_oh_get_type_code(Pdf, array) != ot_array || Api().qpdf_oh_get_array_n_items(Pdf, array) != 4) {
      return std::nullopt;
    }
    double v[4];
    for (int i = 0; i < 4; ++i) {
      const qpdf_oh item = Api().qpdf_oh_get_array_item(Pdf, array, i);
      if (!Api().qpdf_oh_is_number(Pdf, item)) return std::nullopt;
      v[i] = Api().qpdf_oh_get_numeric_value(Pdf, item);
    }
    FormBox box{std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]), std::max(v[1], v[3]), 0};
    if (!(box.Right - box.Left > 0.01 && box.Top - box.Bottom > 0.01) || !std::isfinite(box.Right - box.Left) ||
        !std::isfinite(box.Top - box.Bottom)) {
      return std::nullopt;
    }
    return box;
  }

  FormBox PageBox(qpdf_oh page) const {
    std::optional<FormBox> box = Rectangle(Api().qpdf_oh_get_key(Pdf, page, "/TrimBox"));
    if (!box) box = Rectangle(Inherited(page, "/CropBox"));
    if (!box) box = Rectangle(Inherited(page, "/MediaBox"));
    if (!box) box = FormBox{0, 0, 612, 792, 0};  // what a reader takes for a page without one
    const qpdf_oh rotate = Inherited(page, "/Rotate");
    if (Api().qpdf_oh_is_number(Pdf, rotate)) {
      const double turns = Api().qpdf_oh_get_numeric_value(Pdf, rotate) / 90;
      if (std::isfinite(turns) && turns == std::floor(turns) && std::fabs(turns) < 1e6) {
        box->Rotate = ((static_cast<int>(turns) % 4 + 4) % 4) * 90;
      }
    }
    return *box;
  }
};

namespace {

// What checking a form may still decode, and until when.
struct Allowance {
  DecodeBudget& Budget;
  std::uint64_t StreamBytes;
  PdfClock::time_point Deadline;
};

PdfReadError TooLarge(const std::string& what) { return PdfReadError(PdfReadProblem::Decoding, what); }

// The bytes a picture's dots take as its dictionary states them (four colours where it does not
// tell); 0 for a stream that is no picture.
std::uint64_t StatedPictureBytes(qpdf_data q, qpdf_oh dictionary) {
  const auto number = [&](const char* key, double otherwise) {
    const qpdf_oh value = Api().qpdf_oh_get_key(q, dictionary, key);
    return Api().qpdf_oh_is_number(q, value) ? std::fabs(Api().qpdf_oh_get_numeric_value(q, value)) : otherwise;
  };
  if (!Api().qpdf_oh_is_name_and_equals(q, Api().qpdf_oh_get_key(q, dictionary, "/Subtype"), "/Image")) return 0;
  double colours = 4;
  const qpdf_oh space = Api().qpdf_oh_get_key(q, dictionary, "/ColorSpace");
  const qpdf_oh family = Api().qpdf_oh_is_array(q, space) ? Api().qpdf_oh_get_array_item(q, space, 0) : space;
  for (const char* grey : {"/DeviceGray", "/CalGray", "/G", "/Indexed", "/I", "/Separation"}) {
    if (Api().qpdf_oh_is_name_and_equals(q, family, grey)) colours = 1;
  }
  for (const char* three : {"/DeviceRGB", "/CalRGB", "/RGB", "/Lab"}) {
    if (Api().qpdf_oh_is_name_and_equals(q, family, three)) colours = 3;
  }
  const qpdf_oh mask = Api().qpdf_oh_get_key(q, dictionary, "/ImageMask");
  const double bits =
      Api().qpdf_oh_unparse(q, mask) == std::string_view("true") ? 1 : colours * number("/BitsPerComponent", 8);
  const double bytes = std::ceil(number("/Width", 0) * bits / 8) * number("/Height", 0);
  return bytes < 1.8e19 ? static_cast<std::uint64_t>(bytes) : UINT64_MAX;
}

// Raises TooLarge where the page's content streams could decode to more than one stream may, or
// than is left.
void AllowContents(const PdfForm::State& state, qpdf_oh page, const Allowance& allowance) {
  qpdf_data q = state.Pdf;
  const qpdf_oh contents = Api().qpdf_oh_get_key(q, page, "/Contents");
  const bool listed = Api().qpdf_oh_is_array(q, contents);
  const int count = listed ? Api().qpdf_oh_get_array_n_items(q, contents) : 1;
  std::uint64_t left = std::min(allowance.StreamBytes, allowance.Budget.Left());
  for (int i = 0; i < count; ++i) {
    if (i % 1024 == 1023) CheckDeadline(allowance.Deadline);
    const qpdf_oh stream = listed ? Api().qpdf_oh_get_array_item(q, contents, i) : contents;
    QPDF_BOOL filterable = QPDF_FALSE;
    if (!Api().qpdf_oh_is_stream(q, stream) ||
        (Api().qpdf_oh_get_stream_data(q, stream, qpdf_dl_specialized, &filterable, nullptr, nullptr) & QPDF_ERRORS) ||
        !filterable) {
      continue;  // qpdf does not decode it: the page's content cannot be read
    }
    const std::optional<std::vector<PdfFilterStep>> steps = state.Document.Filters(Api().qpdf_oh_get_dict(q, stream));
    if (!steps) throw TooLarge("content whose decoded size cannot be told");
    Allocated raw;
    if (Api().qpdf_oh_get_stream_data(q, stream, qpdf_dl_none, nullptr, &raw.Data, &raw.Size) & QPDF_ERRORS) continue;
    left -= allowance.Budget.Allow(raw.View(), *steps, left);
  }
}

// The objects that a page's resources reach, written into a PDF under numbers of its own; without
// a PDF to write, only read (and their streams decoded within `allowance`), to check that they can
// be.
class Import {
 public:
  Import(const PdfForm::State& state, PdfWriter* writer, ImportedObjects& written, const Allowance* allowance = nullptr)
      : state_(state), q_(state.Pdf), writer_(writer), allowance_(allowance), written_(written) {}

  // Whether a stream read without a PDF to write failed to decode.
  bool Damaged() const { return damaged_; }

  // The object as PDF text: every indirect object in it referred to by its number in the PDF written.
  void Emit(qpdf_oh object, std::string& out, bool whole = false) {
    if (!whole && Api().qpdf_oh_is_indirect(q_, object)) {
      Refer(object, out);
      return;
    }
    switch (Api().qpdf_oh_get_type_code(q_, object)) {
      case ot_array: {
        out += '[';
        const int count = Api().qpdf_oh_get_array_n_items(q_, object);
        for (int i = 0; i < count; ++i) {
          if (i > 0) out += ' ';
          Emit(Api().qpdf_oh_get_array_item(q_, object, i), out);
        }
        out += ']';
        break;
      }
      case ot_dictionary:
        out += "<<";
        Entries(object, out, {});
        out += ">>";
        break;
      case ot_boolean:
      case ot_integer:
      case ot_real:
      case ot_string:
      case ot_name:
        out += Api().qpdf_oh_unparse(q_, object);
        break;
      default:
        out += "null";
        break;
    }
  }

  // Writes every object referred to so far, and those they refer to in turn.
  void Finish() {
    for (std::size_t i = 0; i < pending_.size(); ++i) WriteObject(pending_[i].first, pending_[i].second);
    pending_.clear();
  }

 private:
  // The dictionary's entries but those named in `left_out`; null ones are as good as absent.
  void Entries(qpdf_oh dictionary, std::string& out, std::initializer_list<std::string_view> left_out) {
    std::vector<std::string> keys;  // the library has one key walk at a time: taken before going deeper
    Api().qpdf_oh_begin_dict_key_iter(q_, dictionary);
    while (Api().qpdf_oh_dict_more_keys(q_)) keys.emplace_back(Api().qpdf_oh_dict_next_key(q_));
    for (const std::string& key : keys) {
      if (std::find(left_out.begin(), left_out.end(), key) != left_out.end()) continue;
      const qpdf_oh value = Api().qpdf_oh_get_key(q_, dictionary, key.c_str());
      if (Api().qpdf_oh_is_null(q_, value)) continue;
      out += EscapedName(key);
      out += ' ';
      Emit(value, out);
    }
  }

  // The page tree is not the form's: a reference into it (an annotation's /P, say) becomes null,
  // or every page of the file would come along.
  bool InPageTree(qpdf_oh object) {
    if (!Api().qpdf_oh_is_dictionary(q_, object) || !Api().qpdf_oh_has_key(q_, object, "/Type")) return false;
    const qpdf_oh type = Api().qpdf_oh_get_key(q_, object, "/Type");
    return Api().qpdf_oh_is_name_and_equals(q_, type, "/Page") || Api().qpdf_oh_is_name_and_equals(q_, type, "/Pages") ||
           Api().qpdf_oh_is_name_and_equals(q_, type, "/Catalog");
  }

  void Refer(qpdf_oh object, std::string& out) {
    if (InPageTree(object)) {
      out += "null";
      return;
    }
    const std::pair<int, int> key{Api().qpdf_oh_get_object_id(q_, object), Api().qpdf_oh_get_generation(q_, object)};
    auto found = written_.find(key);
    if (found == written_.end()) {
      const int number = writer_ != nullptr ? writer_->NewObject() : static_cast<int>(written_.size()) + 1;
      found = written_.emplace(key, number).first;
      pending_.emplace_back(object, number);
    }
    AppendInt(out, found->second);
    out += " 0 R";
  }

  void WriteObject(qpdf_oh object, int number) {
    text_.clear();
    if (Api().qpdf_oh_get_type_code(q_, object) != ot_stream) {
      Emit(object, text_, true);
      if (writer_ != nullptr) {
        writer_->BeginObject(number);
        writer_->Write(text_);
        writer_->EndObject();
      }
      return;
    }
    // A stream keeps its filters and its data as they are; one without a filter is compressed.
    const qpdf_oh dictionary = Api().qpdf_oh_get_dict(q_, object);
    const bool filtered = Api().qpdf_oh_has_key(q_, dictionary, "/Filter") &&
                          !Api().qpdf_oh_is_null(q_, Api().qpdf_oh_get_key(q_, dictionary, "/Filter"));
    if (filtered) {
      Entries(dictionary, text_, {"/Length", "/F", "/FFilter", "/FDecodeParms"});
    } else {
      Entries(dictionary, text_, {"/Length", "/F", "/FFilter", "/FDecodeParms", "/DecodeParms"});
    }
    Allocated data;
    // Warnings left from reading other objects make no error of this one.
    if (Api().qpdf_oh_get_stream_data(q_, object, qpdf_dl_none, nullptr, &data.Data, &data.Size) & QPDF_ERRORS) {
      return;  // the caller finds the error
    }
    if (writer_ != nullptr) {
      writer_->WriteStream(number, data.View(), text_, !filtered);
    } else if (filtered) {
      CheckDecoding(object, dictionary, data.View());
    }
  }

  // Decodes a stream only to learn whether it can be, once what it decodes to is known to be
  // within the allowance (its picture's size as stated, then its data's).
  void CheckDecoding(qpdf_oh stream, qpdf_oh dictionary, std::string_view raw) {
    CheckDeadline(allowance_->Deadline);
    QPDF_BOOL filterable = QPDF_FALSE;
    if ((Api().qpdf_oh_get_stream_data(q_, stream, qpdf_dl_generalized, &filterable, nullptr, nullptr) & QPDF_ERRORS) ||
        !filterable) {
      return;  // kept as it is: the printer decodes it
    }
    if (StatedPictureBytes(q_, dictionary) > allowance_->StreamBytes) {
      throw TooLarge("a picture of more than " + std::to_string(allowance_->StreamBytes) + " bytes");
    }
    const std::optional<std::vector<PdfFilterStep>> steps = state_.Document.Filters(dictionary);
    if (!steps) throw TooLarge("a stream whose decoded size cannot be told");
    allowance_->Budget.Allow(raw, *steps, allowance_->StreamBytes);
    state_.ForgetWarnings();
    Allocated decoded;
    Api().qpdf_oh_get_stream_data(q_, stream, qpdf_dl_generalized, nullptr, &decoded.Data, &decoded.Size);
    damaged_ = damaged_ || state_.Warned();
    allowance_->Budget.Spend(decoded.Size);
  }

  const PdfForm::State& state_;
  qpdf_data q_;
  PdfWriter* writer_;
  const Allowance* allowance_;
  bool damaged_ = false;
  ImportedObjects& written_;
  std::vector<std::pair<qpdf_oh, int>> pending_;
  std::string text_;
};

}  // namespace

PdfForm::PdfForm(std::unique_ptr<State> state) : state_(std::move(state)) {}
PdfForm::~PdfForm() = default;

std::unique_ptr<PdfForm> PdfForm::Open(std::string bytes, const std::string& path, const PdfFormLimits& limits) {
  if (Qpdf() == nullptr) throw FormError(FormProblem::NoPdfLibrary, "libqpdf.so.29 cannot be loaded");
  auto state = std::make_unique<State>();
  state->Bytes = std::move(bytes);
  state->Path = path;
  qpdf_data q = state->Pdf;
  const PdfReadLimits read{limits.Objects, limits.Pages, limits.ObjectStreamBytes,
                           PdfClock::now() + std::chrono::seconds(limits.Seconds)};
  DecodeBudget budget(limits.DecodedBytes);
  const Allowance allowance{budget, limits.StreamBytes, read.Deadline};
  const auto damaged = [&] { return FormError(FormProblem::DamagedPdf, state->Failure()); };
  try {
    state->Document.Read(state->Bytes, path, read, budget);
    state->Document.CountPages(read);  // the walk within limits, before qpdf's own
    const int pages = Api().qpdf_get_num_pages(q);
    if (state->Failed() || pages < 0) throw damaged();
    if (pages == 0) throw FormError(FormProblem::NoPages, "no pages");
    if (static_cast<std::uint64_t>(pages) > limits.Pages) {
      throw PdfReadError(PdfReadProblem::Pages, "more than " + std::to_string(limits.Pages) + " pages");
    }
    ImportedObjects seen;
    for (int i = 0; i < pages; ++i) {
      CheckDeadline(read.Deadline);
      const qpdf_oh page = Api().qpdf_get_page_n(q, static_cast<std::size_t>(i));
      AllowContents(*state, page, allowance);
      Allocated content;
      state->ForgetWarnings();
      if (state->Failed() ||
          Api().qpdf_oh_get_page_content_data(q, page, &content.Data, &content.Size) != QPDF_SUCCESS ||
          state->Warned()) {
        throw damaged();
      }
      budget.Spend(content.Size);
      state->Contents.emplace_back(content.View());
      state->Boxes.push_back(state->PageBox(page));
      Import check(*state, nullptr, seen, &allowance);
      std::string ignored;
      check.Emit(state->Inherited(page, "/Resources"), ignored);
      check.Emit(Api().qpdf_oh_get_key(q, page, "/Group"), ignored);
      check.Finish();
      Api().qpdf_oh_release_all(q);
      if (state->Failed() || check.Damaged()) throw damaged();
    }
  } catch (const PdfReadError& error) {
    throw FormError(error.Problem() == PdfReadProblem::Damaged ? FormProblem::DamagedPdf : FormProblem::TooLarge,
                    error.what());
  }
  return std::unique_ptr<PdfForm>(new PdfForm(std::move(state)));
}

int PdfForm::PageCount() const { return static_cast<int>(state_->Boxes.size()); }

const FormBox& PdfForm::Box(int page) const { return state_->Boxes.at(static_cast<std::size_t>(page)); }

int PdfForm::Write(int page, PdfWriter& writer, ImportedObjects& written) const {
  State& state = *state_;
  qpdf_data q = state.Pdf;
  const qpdf_oh handle = Api().qpdf_get_page_n(q, static_cast<std::size_t>(page));
  Import import(state, &writer, written);
  const FormBox& box = Box(page);
  std::string dictionary = "/Type/XObject/Subtype/Form/BBox[";
  for (double edge : {box.Left, box.Bottom, box.Right, box.Top}) {
    if (dictionary.back() != '[') dictionary += ' ';
    AppendReal(dictionary, edge, 4);
  }
  dictionary += ']';
  const qpdf_oh resources = state.Inherited(handle, "/Resources");
  if (!Api().qpdf_oh_is_null(q, resources)) {
    dictionary += "/Resources ";
    import.Emit(resources, dictionary);
  }
  const qpdf_oh group = Api().qpdf_oh_get_key(q, handle, "/Group");
  if (!Api().qpdf_oh_is_null(q, group)) {
    dictionary += "/Group ";
    import.Emit(group, dictionary);
  }
  const int number = writer.NewObject();
  writer.WriteStream(number, state.Contents.at(static_cast<std::size_t>(page)), dictionary);
  import.Finish();
  Api().qpdf_oh_release_all(q);
  if (state.Failed()) throw EPrinter("The form " + state.Path + " cannot be read: " + state.Failure());
  return number;
}

}  // namespace prynda
