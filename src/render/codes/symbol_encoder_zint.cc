// The symbols by libzint, opened when the first code of the run is drawn.
#include "render/codes/symbol_encoder.h"

#include <zint.h>

#include "platform/runtime_library.h"

namespace prynda::codes {

namespace {

#define PRYNDA_ZINT_FUNCTIONS(X) X(ZBarcode_Create) X(ZBarcode_Delete) X(ZBarcode_Encode_and_Buffer_Vector)

struct ZintLibrary {
  PRYNDA_ZINT_FUNCTIONS(PRYNDA_FUNCTION_POINTER)
};

// The library's functions; nullptr where it cannot be opened.
const ZintLibrary* Zint() {
  static ZintLibrary zint;
  static const bool loaded = PRYNDA_LOAD_LIBRARY("libzint.so.2.11", PRYNDA_ZINT_FUNCTIONS, zint);
  return loaded ? &zint : nullptr;
}

int SymbologyOf(const SymbolRequest& request) {
  switch (request.Kind) {
    case Symbol::Ean: return request.DataHasCheck ? BARCODE_EANX_CHK : BARCODE_EANX;
    case Symbol::UpcA: return request.DataHasCheck ? BARCODE_UPCA_CHK : BARCODE_UPCA;
    case Symbol::UpcE: return request.DataHasCheck ? BARCODE_UPCE_CHK : BARCODE_UPCE;
    case Symbol::Interleaved2Of5: return BARCODE_C25INTER;
    case Symbol::Code39: return BARCODE_CODE39;
    case Symbol::Code128: return BARCODE_CODE128;
    case Symbol::Postnet: return BARCODE_POSTNET;
    case Symbol::Qr: return BARCODE_QRCODE;
  }
  return BARCODE_CODE128;
}

Align AnchorOf(int halign) {
  if (halign == 1) return Align::Left;
  if (halign == 2) return Align::Right;
  return Align::Centre;
}

}  // namespace

EncodedSymbol EncodeSymbol(const SymbolRequest& request) {
  EncodedSymbol out;
  const ZintLibrary* zint = Zint();
  if (zint == nullptr) {
    out.Failed = out.LibraryMissing = true;
    out.Failure = "Kodów kreskowych i QR nie wydrukowano: brak biblioteki libzint (pakiet libzint2.11)";
    return out;
  }
  zint_symbol* symbol = zint->ZBarcode_Create();
  if (symbol == nullptr) {
    out.Failed = true;
    out.Failure = "brak pamięci";
    return out;
  }
  symbol->symbology = SymbologyOf(request);
  symbol->scale = 0.5f;  // a vector unit is a module
  symbol->input_mode = DATA_MODE;
  symbol->output_options = BARCODE_NO_QUIET_ZONES;
  symbol->show_hrt = request.Readable ? 1 : 0;
  if (request.Kind == Symbol::Qr) {
    symbol->option_1 = 2;  // error correction M
  } else {
    symbol->height = static_cast<float>(request.Height);
    if (request.AddCheck) symbol->option_2 = 1;
  }
  const int rc = zint->ZBarcode_Encode_and_Buffer_Vector(symbol, reinterpret_cast<const unsigned char*>(request.Data.data()),
                                                          static_cast<int>(request.Data.size()), 0);
  if (rc >= ZINT_ERROR || symbol->vector == nullptr) {
    out.Failed = true;
    out.BadCheck = rc == ZINT_ERROR_INVALID_CHECK;
    out.Failure = symbol->errtxt;
  } else {
    for (const zint_vector_rect* r = symbol->vector->rectangles; r != nullptr; r = r->next) {
      out.Bars.push_back({r->x, r->y, r->width, r->height});
    }
    for (const zint_vector_string* t = symbol->vector->strings; t != nullptr; t = t->next) {
      out.Texts.push_back({std::string(reinterpret_cast<const char*>(t->text), static_cast<std::size_t>(t->length)), t->x,
                           t->y, t->fsize, t->width, AnchorOf(t->halign)});
    }
    out.Width = symbol->vector->width;
    out.Height = symbol->vector->height;
  }
  zint->ZBarcode_Delete(symbol);
  return out;
}

}  // namespace prynda::codes
