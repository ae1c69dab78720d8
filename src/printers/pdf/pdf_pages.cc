#include "printers/pdf/pdf_pages.h"

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>

#include "device/printer_error.h"
#include "printers/fonts/font_subset.h"
#include "printers/pdf/page_form.h"

namespace prynda {

namespace {

void AppendColor(std::string& out, TRgb color, const char* op) {
  AppendReal(out, (color & 0xFF) / 255.0, 3);
  out += ' ';
  AppendReal(out, ((color >> 8) & 0xFF) / 255.0, 3);
  out += ' ';
  AppendReal(out, ((color >> 16) & 0xFF) / 255.0, 3);
  out += ' ';
  out += op;
  out += '\n';
}

void AppendGlyph(std::string& out, std::uint32_t glyph) {
  static const char digits[] = "0123456789ABCDEF";
  const char text[] = {'<', digits[(glyph >> 12) & 15], digits[(glyph >> 8) & 15], digits[(glyph >> 4) & 15],
                       digits[glyph & 15], '>', 'T', 'j', '\n'};
  out.append(text, sizeof text);
}

void AppendRects(std::string& out, const std::vector<PageBatch::RectBatch>& batches) {
  for (const auto& batch : batches) {
    if (batch.Rects.empty()) continue;
    AppendColor(out, batch.Color, "rg");
    for (const auto& rect : batch.Rects) {
      AppendReal(out, rect.X, 2);
      out += ' ';
      AppendReal(out, rect.Y, 2);
      out += ' ';
      AppendReal(out, rect.Width, 2);
      out += ' ';
      AppendReal(out, rect.Height, 2);
      out += " re\n";
    }
    out += "f\n";
  }
}

void AppendSegment(std::string& out, int x1, int y1, int x2, int y2) {
  AppendInt(out, x1);
  out += ' ';
  AppendInt(out, y1);
  out += " m ";
  AppendInt(out, x2);
  out += ' ';
  AppendInt(out, y2);
  out += " l\n";
}

// The picture's dots as the image object `object`: grey or RGB, 8 bits a channel, rows from the
// top. Rows that are not packed are packed into `packed` first.
void WriteImage(PdfWriter& writer, int object, const TImage& image, std::vector<std::uint8_t>& packed) {
  const std::size_t row = static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Channels);
  std::string_view data(reinterpret_cast<const char*>(image.Pixels), row * static_cast<std::size_t>(image.Height));
  if (static_cast<std::size_t>(image.Stride) != row) {
    packed.resize(row * static_cast<std::size_t>(image.Height));
    for (int y = 0; y < image.Height; ++y) {
      std::copy_n(image.Pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Stride), row,
                  packed.data() + static_cast<std::size_t>(y) * row);
    }
    data = std::string_view(reinterpret_cast<const char*>(packed.data()), packed.size());
  }
  std::string dictionary = "/Type/XObject/Subtype/Image/Width ";
  AppendInt(dictionary, image.Width);
  dictionary += "/Height ";
  AppendInt(dictionary, image.Height);
  dictionary += image.Channels == 1 ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB";
  dictionary += "/BitsPerComponent 8";
  writer.WriteStream(object, data, dictionary);
}

// A PDF text string of the title: UTF-16BE in hex, from UTF-8 (any other byte becomes U+FFFD).
std::string TitleString(std::string_view text) {
  std::string out = "<FEFF";
  auto unit = [&](unsigned value) {
    static const char digits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(value >> shift) & 15];
  };
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = length > 0 && i + length <= text.size();
    char32_t point = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      point = (point << 6) | (next & 0x3F);
    }
    if (!valid) {
      point = 0xFFFD;
      length = 1;
    }
    if (point >= 0x10000) {
      point -= 0x10000;
      unit(0xD800 + static_cast<unsigned>(point >> 10));
      unit(0xDC00 + static_cast<unsigned>(point & 0x3FF));
    } else {
      unit(static_cast<unsigned>(point));
    }
    i += length;
  }
  return out + ">";
}

// SOURCE_DATE_EPOCH, when set, fixes the document's date so that output is reproducible.
std::string PdfDate() {
  using namespace std::chrono;
  auto seconds = time_point_cast<std::chrono::seconds>(system_clock::now());
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
    char* end = nullptr;
    const long long fixed = std::strtoll(epoch, &end, 10);
    if (*end == '\0' && fixed >= 0) seconds = sys_seconds(std::chrono::seconds(fixed));
  }
  const auto day = floor<days>(seconds);
  const year_month_day date(day);
  const hh_mm_ss<std::chrono::seconds> time(seconds - day);
  char text[32];
  std::snprintf(text, sizeof text, "(D:%04d%02u%02u%02d%02d%02dZ)", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}

}  // namespace

PdfPageContext::PdfPageContext(FontLibrary& fonts, const TPageGeometry& geometry, std::unique_ptr<PdfSink> sink)
    : fonts_(fonts), geometry_(geometry), sink_(std::move(sink)),
      order_(sink_ ? TContextKind::Device : TContextKind::Information) {
  // What lies off the page's sheet is never seen: images are cropped to it.
  const TDeviceCaps& caps = geometry_.Caps;
  pictures_.SetSheet(-caps.PhysicalOffsetX, -caps.PhysicalOffsetY, caps.PhysicalWidth - caps.PhysicalOffsetX,
                     caps.PhysicalHeight - caps.PhysicalOffsetY);
}

PdfPageContext::~PdfPageContext() {
  if (in_document_) Discard();
}

int PdfPageContext::RealizeFont(const TFontSpec& spec) {
  SizedFont* font = &fonts_.Realize(spec, geometry_.Caps.LogPixelsX, geometry_.Caps.LogPixelsY);
  for (std::size_t i = 0; i < realized_.size(); ++i) {
    if (realized_[i] == font) return static_cast<int>(i);
  }
  realized_.push_back(font);
  return static_cast<int>(realized_.size() - 1);
}

SizedFont& PdfPageContext::FontAt(int font) {
  if (font < 0 || static_cast<std::size_t>(font) >= realized_.size()) throw EPrinter("Unknown font handle");
  return *realized_[static_cast<std::size_t>(font)];
}

TTextExtent PdfPageContext::MeasureText(int font, std::string_view text) { return FontAt(font).Measure(text); }

TTextExtent PdfPageContext::MeasureUnicode(int font, std::u32string_view text) {
  return FontAt(font).MeasureUnicode(text);
}

bool PdfPageContext::HasGlyph(int font, char32_t c) { return FontAt(font).HasGlyph(c); }

void PdfPageContext::StartDoc(const TDocInfo& info) {
  order_.Run(DocumentCall::StartDoc, [&] {
    PreloadSubsetter();
    sink_->Begin(info);
    in_document_ = true;
    try {
      writer_ = std::make_unique<PdfWriter>(*sink_);
      pages_object_ = writer_->NewObject();
    } catch (...) {
      Discard();
      throw;
    }
    title_ = info.DocumentName;
    content_.reserve(1 << 17);
  });
}

void PdfPageContext::StartPage() {
  order_.Run(DocumentCall::StartPage, [&] {
    page_.Clear();
    pictures_.Clear();
    page_pictures_.clear();
  });
}

void PdfPageContext::WriteContent() {
  const TDeviceCaps& caps = geometry_.Caps;
  const double sx = 72.0 / caps.LogPixelsX;
  const double sy = 72.0 / caps.LogPixelsY;
  std::string& out = content_;
  out.clear();
  page_form_ = 0;
  if (geometry_.Form) {
    // The paper first, over the whole sheet in the page's own space.
    std::array<double, 6> matrix{};
    page_form_ = FormObject(matrix);
    out += "q";
    for (double value : matrix) {
      out += ' ';
      AppendReal(out, value, 6);
    }
    out += " cm /Paper Do Q\n";
  }
  // User space: device pixels from the printable area's top-left corner, y growing downwards.
  out += "q ";
  AppendReal(out, sx, 8);
  out += " 0 0 ";
  AppendReal(out, -sy, 8);
  out += ' ';
  AppendReal(out, caps.PhysicalOffsetX * sx, 4);
  out += ' ';
  AppendReal(out, geometry_.HeightPoints - caps.PhysicalOffsetY * sy, 4);
  out += " cm\n1 J 1 j\n";

  // Pictures first: they cover the paper, and what is drawn on the page lies on them.
  for (std::size_t i = 0; i < page_pictures_.size(); ++i) {
    const PlacedImage& picture = page_pictures_[i];
    out += "q ";
    AppendInt(out, picture.Width);
    out += " 0 0 ";
    AppendInt(out, -picture.Height);
    out += ' ';
    AppendInt(out, picture.X);
    out += ' ';
    AppendInt(out, std::int64_t{picture.Y} + picture.Height);
    out += " cm /Pic";
    AppendInt(out, static_cast<long long>(i));
    out += " Do Q\n";
  }
  AppendRects(out, page_.Backgrounds());
  AppendRects(out, page_.Fills());  // each colour's rectangles as one path: shared edges leave no seam
  for (const auto& batch : page_.Lines()) {
    if (batch.Empty()) continue;
    AppendInt(out, batch.Width > 0 ? batch.Width : 1);
    out += " w\n";
    AppendColor(out, batch.Color, "RG");
    for (const auto& run : batch.Horizontal) AppendSegment(out, run.Low, run.Fixed, run.High, run.Fixed);
    for (const auto& run : batch.Vertical) AppendSegment(out, run.Fixed, run.Low, run.Fixed, run.High);
    for (std::size_t s = 0; s < batch.Starts.size(); ++s) {
      const std::size_t begin = batch.Starts[s];
      const std::size_t end = s + 1 < batch.Starts.size() ? batch.Starts[s + 1] : batch.Points.size();
      AppendInt(out, batch.Points[begin].X);
      out += ' ';
      AppendInt(out, batch.Points[begin].Y);
      out += " m\n";
      for (std::size_t i = begin + 1; i < end; ++i) {
        AppendInt(out, batch.Points[i].X);
        out += ' ';
        AppendInt(out, batch.Points[i].Y);
        out += " l\n";
      }
    }
    out += "S\n";
  }

  // Pictures as image masks: the set dots in the picture's colour, the rest of it transparent.
  // Image space has its first row at the top of the unit square, so y is turned back here.
  page_images_.clear();
  for (std::size_t i = 0; i < pictures_.Count(); ++i) {
    const PictureSet::Picture& picture = pictures_[i];
    const int object = writer_->NewObject();
    page_images_.push_back(object);
    out += "q\n";
    AppendColor(out, picture.Color, "rg");
    AppendReal(out, picture.Right - picture.X, 4);
    out += " 0 0 ";
    AppendReal(out, picture.Y - picture.Bottom, 4);
    out += ' ';
    AppendReal(out, picture.X, 4);
    out += ' ';
    AppendReal(out, picture.Bottom, 4);
    out += " cm /Im";
    AppendInt(out, static_cast<long long>(i));
    out += " Do Q\n";
  }

  bool in_text = false;
  bool stroking_text = false;
  double horizontal_scaling = 100;
  for (const auto& run : page_.Runs()) {
    if (run.Glyphs.empty()) continue;
    if (!in_text) out += "BT\n";
    in_text = true;
    SizedFont& font = *run.Font;
    FontFace& face = font.Face();
    PdfFontSet::Entry& entry = font_set_.Use(face, *writer_);
    if (std::find(page_fonts_.begin(), page_fonts_.end(), &entry) == page_fonts_.end()) page_fonts_.push_back(&entry);
    out += '/';
    out += entry.Resource;
    out += ' ';
    AppendReal(out, font.EmY(), 4);
    out += " Tf\n";
    // The horizontal scaling stays in force for the runs after, so it is written whenever it changes.
    const double scaling = 100.0 * font.EmX() / font.EmY();
    if (scaling != horizontal_scaling) {
      AppendReal(out, scaling, 4);
      out += " Tz\n";
      horizontal_scaling = scaling;
    }
    AppendColor(out, run.Color, "rg");
    // A face without the weight asked for is emboldened by stroking its outlines as well.
    if (face.SyntheticBold()) {
      AppendColor(out, run.Color, "RG");
      AppendReal(out, font.EmY() / 32.0, 2);
      out += " w 2 Tr\n";
      stroking_text = true;
    } else if (stroking_text) {
      out += "0 Tr\n";
      stroking_text = false;
    }
    const bool slanted = face.SyntheticItalic();
    int x = 0;
    int y = 0;
    bool first = true;
    for (const auto& glyph : run.Glyphs) {
      PdfFontSet::NoteGlyph(entry, glyph.Index, glyph.CodePoint);
      if (first || slanted) {
        out += slanted ? "1 0 0.2 -1 " : "1 0 0 -1 ";
        AppendInt(out, glyph.X);
        out += ' ';
        AppendInt(out, glyph.Y);
        out += " Tm";
        first = false;
      } else {
        // Text space runs upwards here, so a move down the page is a negative one.
        AppendInt(out, glyph.X - x);
        out += ' ';
        AppendInt(out, y - glyph.Y);
        out += " Td";
      }
      x = glyph.X;
      y = glyph.Y;
      AppendGlyph(out, glyph.Index);
    }
  }
  if (stroking_text) out += "0 Tr\n";
  if (in_text) out += "ET\n";
  AppendRects(out, page_.Decorations());
  out += "Q\n";
}

int PdfPageContext::FormObject(std::array<double, 6>& matrix) {
  const PageForm& form = *geometry_.Form;
  if (form.Type() == PageForm::Kind::Png) {
    const FormPicture& picture = form.Picture();
    if (form_image_ == 0) {
      form_image_ = writer_->NewObject();
      WriteImage(*writer_, form_image_, picture.Image(), image_data_);
    }
    // An image fills the unit square, its first row at the top.
    matrix = {geometry_.WidthPoints, 0, 0, geometry_.HeightPoints, 0, 0};
    return form_image_;
  }
  const int page = form.PageOfSheet(pages_.size());
  if (form_pages_.empty()) form_pages_.assign(static_cast<std::size_t>(form.PageCount()), 0);
  int& object = form_pages_[static_cast<std::size_t>(page)];
  if (object == 0) object = form.Pdf().Write(page, *writer_, form_objects_);
  matrix = SheetMatrix(form.Pdf().Box(page), geometry_.WidthPoints, geometry_.HeightPoints);
  return object;
}

void PdfPageContext::EndPage() { order_.Run(DocumentCall::EndPage, [&] { WritePage(); }); }

void PdfPageContext::WritePage() {
  page_fonts_.clear();
  WriteContent();
  const int contents = writer_->NewObject();
  writer_->WriteStream(contents, content_);
  std::string dictionary;
  for (std::size_t i = 0; i < page_images_.size(); ++i) {
    const PictureSet::Picture& picture = pictures_[i];
    image_data_.clear();
    for (int row = 0; row < picture.Rows; ++row) picture.AppendRow(row, image_data_);
    dictionary = "/Type/XObject/Subtype/Image/ImageMask true/Decode[1 0]/Width ";
    AppendInt(dictionary, picture.Columns);
    dictionary += "/Height ";
    AppendInt(dictionary, picture.Rows);
    writer_->WriteStream(page_images_[i],
                         std::string_view(reinterpret_cast<const char*>(image_data_.data()), image_data_.size()),
                         dictionary);
  }
  const int page = writer_->NewObject();
  writer_->BeginObject(page);
  writer_->Write("<</Type/Page/Parent ");
  writer_->WriteInt(pages_object_);
  writer_->Write(" 0 R/MediaBox[0 0 ");
  writer_->WriteReal(geometry_.WidthPoints, 3);
  writer_->Write(" ");
  writer_->WriteReal(geometry_.HeightPoints, 3);
  writer_->Write("]/Resources<</Font<<");
  for (const PdfFontSet::Entry* font : page_fonts_) {
    writer_->Write("/" + font->Resource + " ");
    writer_->WriteInt(font->Object);
    writer_->Write(" 0 R");
  }
  writer_->Write(">>");
  if (!page_images_.empty() || !page_pictures_.empty() || page_form_ != 0) {
    writer_->Write("/XObject<<");
    for (std::size_t i = 0; i < page_pictures_.size(); ++i) {
      writer_->Write("/Pic");
      writer_->WriteInt(static_cast<long long>(i));
      writer_->Write(" ");
      writer_->WriteInt(page_pictures_[i].Object);
      writer_->Write(" 0 R");
    }
    if (page_form_ != 0) {
      writer_->Write("/Paper ");
      writer_->WriteInt(page_form_);
      writer_->Write(" 0 R");
    }
    for (std::size_t i = 0; i < page_images_.size(); ++i) {
      writer_->Write("/Im");
      writer_->WriteInt(static_cast<long long>(i));
      writer_->Write(" ");
      writer_->WriteInt(page_images_[i]);
      writer_->Write(" 0 R");
    }
    writer_->Write(">>");
  }
  writer_->Write(">>/Contents ");
  writer_->WriteInt(contents);
  writer_->Write(" 0 R>>");
  writer_->EndObject();
  pages_.push_back(page);
}

void PdfPageContext::EndDoc() { order_.Run(DocumentCall::EndDoc, [&] { WriteEnd(); }); }

void PdfPageContext::WriteEnd() {
  try {
    font_set_.WriteAll(*writer_);
    writer_->BeginObject(pages_object_);
    writer_->Write("<</Type/Pages/Kids[");
    for (std::size_t i = 0; i < pages_.size(); ++i) {
      if (i > 0) writer_->Write(" ");
      writer_->WriteInt(pages_[i]);
      writer_->Write(" 0 R");
    }
    writer_->Write("]/Count ");
    writer_->WriteInt(static_cast<long long>(pages_.size()));
    writer_->Write(">>");
    writer_->EndObject();
    const std::string date = PdfDate();
    const int info = writer_->NewObject();
    writer_->BeginObject(info);
    writer_->Write("<</Title" + TitleString(title_) + "/Creator(Prynda)/Producer(Prynda " PRYNDA_VERSION
                   ")/CreationDate" + date + "/ModDate" + date + ">>");
    writer_->EndObject();
    const int catalog = writer_->NewObject();
    writer_->BeginObject(catalog);
    writer_->Write("<</Type/Catalog/Pages ");
    writer_->WriteInt(pages_object_);
    writer_->Write(" 0 R>>");
    writer_->EndObject();
    writer_->Finish(catalog, info);
    writer_.reset();
    in_document_ = false;
    sink_->Commit();
  } catch (...) {
    Discard();
    throw;
  }
}

void PdfPageContext::AbortDoc() {
  order_.Run(DocumentCall::AbortDoc, [&] {
    if (in_document_) Discard();
  });
}

void PdfPageContext::Discard() noexcept {
  writer_.reset();
  in_document_ = false;
  sink_->Discard();
}

void PdfPageContext::TextOut(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                             std::string_view text) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddText(FontAt(font), x, y, color, background, text); });
}

void PdfPageContext::TextOutUnicode(int x, int y, int font, TRgb color, std::optional<TRgb> background,
                                    std::u32string_view text) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddUnicodeText(FontAt(font), x, y, color, background, text); });
}

void PdfPageContext::FillRect(int x, int y, int width, int height, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddFill(x, y, width, height, color); });
}

void PdfPageContext::Polyline(const TPoint* points, std::size_t count, int width, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] { page_.AddPolyline(points, count, width, color); });
}

void PdfPageContext::ImageMask(int x, int y, int width, int height, const TMonoImage& image, TRgb color) {
  order_.Run(DocumentCall::Draw, [&] { pictures_.Add(x, y, width, height, image, color); });
}

// The picture's object is written at once, so that the page keeps only where it lies.
void PdfPageContext::DrawImage(int x, int y, int width, int height, const TImage& image) {
  order_.Run(DocumentCall::Draw, [&] {
    const int object = writer_->NewObject();
    WriteImage(*writer_, object, image, image_data_);
    page_pictures_.push_back(PlacedImage{object, x, y, width, height});
  });
}

}  // namespace prynda
