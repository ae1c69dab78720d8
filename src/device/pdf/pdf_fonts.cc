#include "device/pdf/pdf_fonts.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "device/pdf/subset_library.h"
#include "device/printer_error.h"

namespace prynda {

namespace {

// The glyphs kept from a face, as the bytes of a font file to embed.
struct Subset {
  std::string Data;
  bool Cff = false;  // outlines in CFF (an OpenType font) rather than TrueType
};

// HarfBuzz cuts the face down to the used glyphs, keeping their numbers so that the content
// streams can name glyphs as the face does. Layout tables are not needed inside a PDF.
Subset MakeSubset(const FontFace& face, const std::vector<char32_t>& used) {
  const SubsetLibrary& hb = Subsetter();
  Subset subset;
  hb_blob_t* blob = hb.hb_blob_create_from_file_or_fail(face.File().c_str());
  if (blob == nullptr) throw EPrinter("The font file " + face.File() + " cannot be read");
  hb_face_t* source = hb.hb_face_create(blob, static_cast<unsigned int>(face.Index()));
  hb.hb_blob_destroy(blob);
  hb_blob_t* cff = hb.hb_face_reference_table(source, HB_TAG('C', 'F', 'F', ' '));
  subset.Cff = hb.hb_blob_get_length(cff) > 0;
  hb.hb_blob_destroy(cff);

  hb_subset_input_t* input = hb.hb_subset_input_create_or_fail();
  if (input == nullptr) {
    hb.hb_face_destroy(source);
    throw EPrinter("Out of memory for a font subset");
  }
  hb_set_t* glyphs = hb.hb_subset_input_glyph_set(input);
  hb_set_t* unicodes = hb.hb_subset_input_unicode_set(input);
  hb.hb_set_add(glyphs, 0);
  for (std::size_t glyph = 0; glyph < used.size(); ++glyph) {
    if (used[glyph] == 0) continue;
    hb.hb_set_add(glyphs, static_cast<hb_codepoint_t>(glyph));
    if (used[glyph] > 1) hb.hb_set_add(unicodes, used[glyph] - 1);
  }
  hb_set_t* dropped = hb.hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
  for (hb_tag_t tag : {HB_TAG('G', 'S', 'U', 'B'), HB_TAG('G', 'P', 'O', 'S'), HB_TAG('G', 'D', 'E', 'F'),
                       HB_TAG('k', 'e', 'r', 'n'), HB_TAG('h', 'd', 'm', 'x'), HB_TAG('V', 'D', 'M', 'X'),
                       HB_TAG('L', 'T', 'S', 'H'), HB_TAG('D', 'S', 'I', 'G'), HB_TAG('g', 'a', 's', 'p')}) {
    hb.hb_set_add(dropped, tag);
  }
  hb.hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_face_t* result = hb.hb_subset_or_fail(source, input);
  hb.hb_subset_input_destroy(input);
  hb.hb_face_destroy(source);
  if (result != nullptr) {
    hb_blob_t* bytes = hb.hb_face_reference_blob(result);
    unsigned int length = 0;
    const char* data = hb.hb_blob_get_data(bytes, &length);
    subset.Data.assign(data, length);
    hb.hb_blob_destroy(bytes);
    hb.hb_face_destroy(result);
  }
  if (subset.Data.empty()) throw EPrinter("The font " + face.PostScriptName() + " cannot be embedded");
  return subset;
}

// Six capital letters naming the subset, the same for the same glyphs.
std::string SubsetTag(const std::vector<char32_t>& used) {
  std::uint64_t hash = 1469598103934665603ull;
  for (std::size_t glyph = 0; glyph < used.size(); ++glyph) {
    if (used[glyph] == 0) continue;
    hash = (hash ^ glyph) * 1099511628211ull;
  }
  std::string tag;
  for (int i = 0; i < 6; ++i) {
    tag += static_cast<char>('A' + hash % 26);
    hash /= 26;
  }
  return tag;
}

void AppendHex4(std::string& out, unsigned value) {
  static const char digits[] = "0123456789ABCDEF";
  out += digits[(value >> 12) & 15];
  out += digits[(value >> 8) & 15];
  out += digits[(value >> 4) & 15];
  out += digits[value & 15];
}

std::string ToUnicodeMap(const std::vector<char32_t>& used) {
  std::vector<std::pair<unsigned, char32_t>> pairs;
  for (std::size_t glyph = 0; glyph < used.size(); ++glyph) {
    if (used[glyph] > 1 && used[glyph] - 1 <= 0xFFFF) pairs.emplace_back(static_cast<unsigned>(glyph), used[glyph] - 1);
  }
  std::string cmap =
      "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
      "1 begincodespacerange\n<0000><FFFF>\nendcodespacerange\n";
  for (std::size_t start = 0; start < pairs.size(); start += 100) {
    const std::size_t end = std::min(pairs.size(), start + 100);
    AppendInt(cmap, static_cast<long long>(end - start));
    cmap += " beginbfchar\n";
    for (std::size_t i = start; i < end; ++i) {
      cmap += '<';
      AppendHex4(cmap, pairs[i].first);
      cmap += "><";
      AppendHex4(cmap, static_cast<unsigned>(pairs[i].second));
      cmap += ">\n";
    }
    cmap += "endbfchar\n";
  }
  cmap += "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
  return cmap;
}

}  // namespace

PdfFontSet::Entry& PdfFontSet::Use(FontFace& face, PdfWriter& writer) {
  if (last_ != nullptr && last_->Face == &face) return *last_;
  for (auto& entry : entries_) {
    if (entry->Face == &face) return *(last_ = entry.get());
  }
  auto entry = std::make_unique<Entry>();
  entry->Face = &face;
  entry->Object = writer.NewObject();
  entry->Resource = "F" + std::to_string(entries_.size() + 1);
  entries_.push_back(std::move(entry));
  return *(last_ = entries_.back().get());
}

void PdfFontSet::WriteAll(PdfWriter& writer) {
  for (const auto& entry : entries_) {
    const FontFace& face = *entry->Face;
    const Subset subset = MakeSubset(face, entry->Used);
    const std::string name = SubsetTag(entry->Used) + "+" + face.PostScriptName();
    const double per_unit = 1000.0 / face.UnitsPerEm();
    const int descendant = writer.NewObject();
    const int descriptor = writer.NewObject();
    const int file = writer.NewObject();
    const int to_unicode = writer.NewObject();

    writer.BeginObject(entry->Object);
    writer.Write("<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding/Identity-H/DescendantFonts[");
    writer.WriteInt(descendant);
    writer.Write(" 0 R]/ToUnicode ");
    writer.WriteInt(to_unicode);
    writer.Write(" 0 R>>");
    writer.EndObject();

    std::string widths;
    for (std::size_t glyph = 0; glyph < entry->Used.size(); ++glyph) {
      if (entry->Used[glyph] == 0) continue;
      AppendInt(widths, static_cast<long long>(glyph));
      widths += '[';
      AppendReal(widths, face.Advance(static_cast<std::uint32_t>(glyph)) * per_unit, 1);
      widths += ']';
    }
    writer.BeginObject(descendant);
    writer.Write(subset.Cff ? "<</Type/Font/Subtype/CIDFontType0/BaseFont/" : "<</Type/Font/Subtype/CIDFontType2/BaseFont/");
    writer.Write(name);
    writer.Write("/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ");
    writer.WriteInt(descriptor);
    writer.Write(" 0 R/W[");
    writer.Write(widths);
    writer.Write(subset.Cff ? "]>>" : "]/CIDToGIDMap/Identity>>");
    writer.EndObject();

    const auto bbox = face.BoundingBox();
    const bool italic = face.ItalicAngle() != 0 || face.SyntheticItalic();
    writer.BeginObject(descriptor);
    writer.Write("<</Type/FontDescriptor/FontName/" + name + "/Flags ");
    writer.WriteInt(4 | (face.FixedPitch() ? 1 : 0) | (face.Serif() ? 2 : 0) | (italic ? 64 : 0));
    writer.Write("/FontBBox[");
    for (int i = 0; i < 4; ++i) {
      if (i > 0) writer.Write(" ");
      writer.WriteReal(bbox[static_cast<std::size_t>(i)] * per_unit, 0);
    }
    writer.Write("]/ItalicAngle ");
    writer.WriteReal(face.ItalicAngle(), 2);
    writer.Write("/Ascent ");
    writer.WriteReal(face.WinAscent() * per_unit, 0);
    writer.Write("/Descent ");
    writer.WriteReal(-face.WinDescent() * per_unit, 0);
    writer.Write("/CapHeight ");
    writer.WriteReal(face.CapHeight() * per_unit, 0);
    writer.Write(face.SyntheticBold() ? "/StemV 140" : "/StemV 80");
    writer.Write(subset.Cff ? "/FontFile3 " : "/FontFile2 ");
    writer.WriteInt(file);
    writer.Write(" 0 R>>");
    writer.EndObject();

    writer.WriteStream(file, subset.Data,
                       subset.Cff ? "/Subtype/OpenType" : "/Length1 " + std::to_string(subset.Data.size()));
    writer.WriteStream(to_unicode, ToUnicodeMap(entry->Used));
  }
}

}  // namespace prynda
