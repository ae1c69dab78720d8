#include "printers/pdf/pdf_fonts.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "device/printer_error.h"
#include "printers/fonts/font_subset.h"

namespace prynda {

namespace {

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
  entry->Resource = std::to_string(entries_.size() + 1);
  entry->Resource.insert(entry->Resource.begin(), 'F');
  entries_.push_back(std::move(entry));
  return *(last_ = entries_.back().get());
}

void PdfFontSet::WriteAll(PdfWriter& writer) {
  for (const auto& entry : entries_) {
    const FontFace& face = *entry->Face;
    const FontSubset subset = SubsetFont(face, entry->Used);
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
