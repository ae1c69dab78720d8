// The symbol library behind the bar codes: one symbol encoded from data the caller has checked,
// given back in modules (x to the right, y down from the top, captions by their baseline). Where
// the library is missing (or on a build without it) every symbol fails with the same line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/codes/bar_codes.h"

namespace prynda::codes {

enum class Symbol : std::uint8_t { Ean, UpcA, UpcE, Interleaved2Of5, Code39, Code128, Postnet, Qr };

struct SymbolRequest {
  Symbol Kind = Symbol::Ean;
  std::string_view Data;
  bool DataHasCheck = false;  // EAN and UPC: the data ends with its check digit (checked)
  bool AddCheck = false;      // Interleaved 2 of 5 and Code 39: a check digit added
  bool Readable = true;
  double Height = 0;          // the bars' height in modules (1D)
};

struct EncodedSymbol {
  std::vector<Box> Bars;  // in modules
  struct Text {
    std::string Chars;
    double X = 0, Baseline = 0, Size = 0, Width = 0;
    Align Anchor = Align::Centre;
  };
  std::vector<Text> Texts;
  double Width = 0, Height = 0;
  bool Failed = false;
  bool LibraryMissing = false;  // Failure is then the same line for every symbol
  bool BadCheck = false;        // the data's check digit is wrong
  std::string Failure;          // the library's words, or the missing library's console line
};

EncodedSymbol EncodeSymbol(const SymbolRequest& request);

}  // namespace prynda::codes
