// What a PDF stream's data decodes to, learnt before anything decodes it into memory: the most its
// filters could make of it, or its size found by decoding it without keeping what the filters
// give, given up on as soon as any filter on the way has given more than a bound. The filters are
// those qpdf decodes in general (Flate, LZW, run length, ASCII hex, ASCII base-85); predictors
// only shrink the data and are left out, so a size found is never less than what qpdf decodes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace prynda {

enum class PdfFilter { Flate, Lzw, RunLength, AsciiHex, Ascii85 };

struct PdfFilterStep {
  PdfFilter Filter;
  bool EarlyChange = true;  // LZW's /EarlyChange
};

// The most filters a chain may have for DecodedSize to follow it.
inline constexpr std::size_t kMostPdfFilters = 8;

// The filter a /Filter name gives, in full or abbreviated, with or without its slash; nullopt for
// the others (pictures' own codecs, encryption).
std::optional<PdfFilter> FilterNamed(std::string_view name);

// The most `raw` bytes can grow to through `steps`, on the way or at the end (at most UINT64_MAX).
std::uint64_t MostDecoded(std::uint64_t raw, std::span<const PdfFilterStep> steps);

// The bytes `raw` decodes to through `steps`, the first filter first; nullopt where it or what a
// filter gives on the way passes `most`, or where there are more than kMostPdfFilters steps.
// Decoding ends where a filter's data ends or is damaged, as qpdf's does.
std::optional<std::uint64_t> DecodedSize(std::string_view raw, std::span<const PdfFilterStep> steps,
                                         std::uint64_t most);
// The same, the data decoded kept.
std::optional<std::string> DecodedData(std::string_view raw, std::span<const PdfFilterStep> steps, std::uint64_t most);

}  // namespace prynda
