// A build without the symbol library (Windows): no symbol is drawn, and the console says so once.
#include "render/codes/symbol_encoder.h"

namespace prynda::codes {

EncodedSymbol EncodeSymbol(const SymbolRequest&) {
  EncodedSymbol none;
  none.Failed = true;
  none.LibraryMissing = true;
  none.Failure = "Kodów kreskowych i QR nie wydrukowano: ta wersja programu ich nie rysuje";
  return none;
}

}  // namespace prynda::codes
