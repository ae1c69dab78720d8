// Raster pages by libcups's reader, which knows PWG raster and Apple raster alike; the dots of
// each line made grey or RGB here, and reduced as they come where the page is too large.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <string>
#include <vector>

#include "platform/files.h"
#include "printers/cups/cups_library.h"
#include "printers/raster/raster_reader.h"

namespace prynda {

namespace {

// How a page's colours are told: one sample of light or of ink, three of light, four of ink.
enum class Colours { Light, Ink, Rgb, Cmyk };

bool KnownColours(unsigned space, Colours& colours) {
  switch (space) {
    case CUPS_CSPACE_W:
    case CUPS_CSPACE_SW: colours = Colours::Light; return true;
    case CUPS_CSPACE_K: colours = Colours::Ink; return true;
    case CUPS_CSPACE_RGB:
    case CUPS_CSPACE_SRGB:
    case CUPS_CSPACE_ADOBERGB: colours = Colours::Rgb; return true;
    case CUPS_CSPACE_CMYK: colours = Colours::Cmyk; return true;
    default: return false;
  }
}

int SamplesOf(Colours colours) {
  switch (colours) {
    case Colours::Light:
    case Colours::Ink: return 1;
    case Colours::Rgb: return 3;
    case Colours::Cmyk: return 4;
  }
  return 1;
}

[[noreturn]] void Damaged(const std::string& why) { throw RasterError(RasterProblem::Damaged, "Raster: " + why); }

// A page header's width, height and line length, big- or little-endian as the file is.
std::uint32_t FieldAt(const std::vector<std::uint8_t>& bytes, std::size_t at, bool big_endian) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value = value << 8 | bytes[at + static_cast<std::size_t>(big_endian ? i : 3 - i)];
  }
  return value;
}

class CupsRasterReader final : public RasterReader {
 public:
  CupsRasterReader(const CupsRasterLibrary& cups, const std::string& path, std::uint64_t offset) : cups_(cups) {
    if (!file_.Open(path)) Damaged("cannot open " + path);
    // The document starts at `offset`: what lies before it is read past.
    for (std::uint64_t left = offset; left > 0;) {
      unsigned char skipped[4096];
      const ssize_t read = Serve(skipped, static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof skipped)));
      if (read <= 0) Damaged("the document starts past the end of " + path);
      left -= static_cast<std::uint64_t>(read);
    }
    served_ = 0;
    raster_ = cups_.cupsRasterOpenIO(Read, this, CUPS_RASTER_READ);
    if (raster_ == nullptr) Damaged(read_failed_ ? "cannot read " + path : "not a PWG or Apple raster document");
  }
  ~CupsRasterReader() override {
    if (raster_ != nullptr) cups_.cupsRasterClose(raster_);
  }

  bool NextPage(RasterPage& page) override {
    cups_page_header2_t header;
    header_.clear();
    in_header_ = true;
    const unsigned read = cups_.cupsRasterReadHeader2(raster_, &header);
    in_header_ = false;
    if (!read) {
      // The end of the document, unless reading failed or the page's header was refused.
      const char* why = cups_.cupsRasterErrorString();
      if (too_large_) throw RasterError(RasterProblem::TooLarge, "Raster: page " + std::to_string(pages_ + 1) + " is too large");
      if (read_failed_) Damaged("the file cannot be read");
      if (why != nullptr && *why != '\0') Damaged(why);
      if (pages_ == 0) Damaged("a document without a page");
      return false;
    }
    ++pages_;
    ReadPage(header, page);
    return true;
  }

 private:
  // libcups reads ahead of what it needs into a buffer of its own, and takes memory for a page's
  // lines as its header says before anyone can look at it. So a compressed document is given to
  // it a byte at a time where it reads ahead: every byte of a page header then comes while the
  // header is read, and a header that asks for more than a page may have is refused here, before
  // libcups sees the whole of it.
  static ssize_t Read(void* context, unsigned char* buffer, size_t length) {
    auto& self = *static_cast<CupsRasterReader*>(context);
    if (self.compressed_ && length >= kReadAhead) length = 1;
    const ssize_t read = self.Serve(buffer, length);
    if (read <= 0 || !self.in_header_ || !self.compressed_) return read;
    self.header_.insert(self.header_.end(), buffer, buffer + read);
    if (self.header_.size() >= self.HeaderSize() && self.TooLarge()) {
      self.too_large_ = true;
      return -1;
    }
    return read;
  }

  // The file's bytes through a buffer of ours; the first four, the sync word, tell its kind.
  ssize_t Serve(unsigned char* buffer, std::size_t length) {
    if (at_ == end_) {
      const std::int64_t read = file_.Read(block_, sizeof block_);
      if (read < 0) {
        read_failed_ = true;
        return -1;
      }
      at_ = 0;
      end_ = static_cast<std::size_t>(read);
      if (end_ == 0) return 0;
    }
    const std::size_t count = std::min(length, end_ - at_);
    std::memcpy(buffer, block_ + at_, count);
    for (std::size_t i = 0; i < count && served_ + i < 4; ++i) sync_[served_ + i] = static_cast<char>(buffer[i]);
    served_ += count;
    at_ += count;
    if (served_ >= 4 && served_ - count < 4) {
      const std::string_view sync(sync_, 4);
      apple_ = sync == "UNIR" || sync == "RINU";
      compressed_ = apple_ || sync == "RaS2" || sync == "2SaR";
      big_endian_ = sync == "RaS2" || sync == "UNIR";
    }
    return static_cast<ssize_t>(count);
  }

  std::size_t HeaderSize() const { return apple_ ? 32 : sizeof(cups_page_header2_t); }
  bool TooLarge() const {
    if (apple_) {
      return FieldAt(header_, 12, true) > kMostRasterSide || FieldAt(header_, 16, true) > kMostRasterSide;
    }
    return FieldAt(header_, offsetof(cups_page_header2_t, cupsWidth), big_endian_) > kMostRasterSide ||
           FieldAt(header_, offsetof(cups_page_header2_t, cupsHeight), big_endian_) > kMostRasterSide ||
           FieldAt(header_, offsetof(cups_page_header2_t, cupsBytesPerLine), big_endian_) > kMostRasterSide * 8;
  }

  void ReadPage(const cups_page_header2_t& header, RasterPage& page);
  // Line `line_` as 8-bit grey or RGB dots in `dots_`.
  void ConvertLine(Colours colours, unsigned bits, std::size_t width);

  static constexpr std::size_t kReadAhead = 65536;  // libcups's least read ahead

  const CupsRasterLibrary& cups_;
  InputFile file_;
  unsigned char block_[1 << 16];
  std::size_t at_ = 0, end_ = 0;
  std::uint64_t served_ = 0;
  char sync_[4] = {};
  bool apple_ = false, compressed_ = false, big_endian_ = false;
  bool in_header_ = false;
  std::vector<std::uint8_t> header_;  // the header being read
  bool too_large_ = false;
  cups_raster_t* raster_ = nullptr;
  bool read_failed_ = false;
  int pages_ = 0;
  std::vector<std::uint8_t> line_;    // a line as libcups gives it
  std::vector<std::uint8_t> eight_;   // the line's samples as 8 bits, where they are not
  std::vector<std::uint8_t> dots_;    // the line made grey or RGB
  std::vector<std::uint32_t> sums_;   // a reduced page's line of sums
};

void CupsRasterReader::ConvertLine(Colours colours, unsigned bits, std::size_t width) {
  const std::size_t count = width * static_cast<std::size_t>(SamplesOf(colours));
  // Every sample as 8 bits first: a 16-bit one keeps its high byte (libcups gives it in the
  // machine's order), a 1-bit one becomes 0 or 255.
  const std::uint8_t* in = line_.data();
  if (bits != 8) {
    eight_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      if (bits == 1) {
        eight_[i] = (line_[i / 8] >> (7 - i % 8)) & 1 ? 255 : 0;
      } else {
        std::uint16_t value;
        std::memcpy(&value, &line_[i * 2], 2);
        eight_[i] = static_cast<std::uint8_t>(value >> 8);
      }
    }
    in = eight_.data();
  }
  std::uint8_t* out = dots_.data();
  switch (colours) {
    case Colours::Light:
    case Colours::Rgb: std::memcpy(out, in, count); break;
    case Colours::Ink:
      for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>(255 - in[i]);
      break;
    case Colours::Cmyk:
      // Ink on white: each colour is what its ink and the black leave of the paper.
      for (std::size_t x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned paper = 255u - in[3];
        for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>(((255u - in[c]) * paper + 127) / 255);
      }
      break;
  }
}

void CupsRasterReader::ReadPage(const cups_page_header2_t& header, RasterPage& page) {
  // The header's enumerations hold whatever the file says: they are read as the numbers they are.
  unsigned order = 0, space = 0;
  static_assert(sizeof order == sizeof header.cupsColorOrder && sizeof space == sizeof header.cupsColorSpace);
  std::memcpy(&order, &header.cupsColorOrder, sizeof order);
  std::memcpy(&space, &header.cupsColorSpace, sizeof space);
  Colours colours;
  if (order != CUPS_ORDER_CHUNKED || !KnownColours(space, colours)) {
    Damaged("page " + std::to_string(pages_) + " is in colours that are not printed (space " + std::to_string(space) +
            ")");
  }
  const unsigned samples = static_cast<unsigned>(SamplesOf(colours));
  const unsigned bits = header.cupsBitsPerColor;
  if ((bits != 8 && bits != 16 && !(bits == 1 && samples == 1)) || header.cupsBitsPerPixel != bits * samples) {
    Damaged("page " + std::to_string(pages_) + " has " + std::to_string(bits) + " bits a colour");
  }
  const std::int64_t width = header.cupsWidth;
  const std::int64_t height = header.cupsHeight;
  if (width <= 0 || height <= 0) Damaged("page " + std::to_string(pages_) + " has no dots");
  if (width > kMostRasterSide || height > kMostRasterSide || width * height > kMostRasterDots) {
    throw RasterError(RasterProblem::TooLarge, "Raster: page " + std::to_string(pages_) + " is " +
                                                   std::to_string(width) + " x " + std::to_string(height) + " dots");
  }
  const std::size_t bytes_per_line = static_cast<std::size_t>((width * header.cupsBitsPerPixel + 7) / 8);
  if (header.cupsBytesPerLine != bytes_per_line) Damaged("page " + std::to_string(pages_) + " has lines of a wrong length");
  const unsigned x_dpi = header.HWResolution[0], y_dpi = header.HWResolution[1];
  if (x_dpi > 0 && y_dpi > 0) {
    page.WidthPoints = width * 72.0 / x_dpi;
    page.HeightPoints = height * 72.0 / y_dpi;
  } else if (header.PageSize[0] > 0 && header.PageSize[1] > 0) {
    page.WidthPoints = header.PageSize[0];
    page.HeightPoints = header.PageSize[1];
  } else {
    Damaged("page " + std::to_string(pages_) + " does not say its size");
  }

  // The smallest whole factor that brings the page within the dots a picture may have.
  std::int64_t factor = 1;
  while (((width + factor - 1) / factor) * ((height + factor - 1) / factor) > kMostRasterPageDots) ++factor;
  const std::size_t out_width = static_cast<std::size_t>((width + factor - 1) / factor);
  const std::size_t out_height = static_cast<std::size_t>((height + factor - 1) / factor);
  const int channels = samples == 1 ? 1 : 3;
  page.Width = static_cast<int>(out_width);
  page.Height = static_cast<int>(out_height);
  page.Channels = channels;
  page.DpiX = static_cast<double>(x_dpi) / static_cast<double>(factor);
  page.DpiY = static_cast<double>(y_dpi) / static_cast<double>(factor);
  const std::size_t out_row = out_width * static_cast<std::size_t>(channels);
  page.Dots.resize(out_row * out_height);

  const std::size_t in_width = static_cast<std::size_t>(width);
  line_.resize(bytes_per_line);
  dots_.resize(in_width * static_cast<std::size_t>(channels));
  if (factor > 1) sums_.assign(out_row, 0);
  const std::size_t f = static_cast<std::size_t>(factor);
  for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
    if (cups_.cupsRasterReadPixels(raster_, line_.data(), static_cast<unsigned>(bytes_per_line)) != bytes_per_line) {
      Damaged("page " + std::to_string(pages_) + " ends before its last line");
    }
    ConvertLine(colours, bits, in_width);
    if (f == 1) {
      std::memcpy(page.Dots.data() + y * out_row, dots_.data(), out_row);
      continue;
    }
    const std::uint8_t* in = dots_.data();
    std::uint32_t* sum = sums_.data();
    for (std::size_t x = 0; x < in_width; x += f, sum += channels) {
      for (std::size_t k = std::min(f, in_width - x); k > 0; --k) {
        for (int c = 0; c < channels; ++c) sum[c] += *in++;
      }
    }
    if (y % f != f - 1 && y + 1 != static_cast<std::size_t>(height)) continue;
    // Each reduced dot is the mean of the dots of its cell; the last row and column may be narrower.
    const std::size_t rows = y % f + 1;
    std::uint8_t* out = page.Dots.data() + (y / f) * out_row;
    for (std::size_t x = 0; x < out_width; ++x) {
      const std::size_t cell = rows * std::min(f, in_width - x * f);
      for (int c = 0; c < channels; ++c) {
        std::uint32_t& sum = sums_[x * channels + c];
        out[x * channels + c] = static_cast<std::uint8_t>((sum + cell / 2) / cell);
        sum = 0;
      }
    }
  }
}

}  // namespace

std::unique_ptr<RasterReader> RasterReader::Open(const std::string& path, std::uint64_t offset) {
  const CupsRasterLibrary* cups = CupsRaster();
  if (cups == nullptr) {
    throw RasterError(RasterProblem::NoReader, "Raster documents need libcups (libcups2 2.3 or later), which is not installed");
  }
  return std::make_unique<CupsRasterReader>(*cups, path, offset);
}

}  // namespace prynda
