// ESC ( B nL nH k m s v1 v2 c and its data: a bar code drawn from the top of the current line
// down, the print position unchanged. A code the printer would not print (a wrong count or
// character, a value out of range, past the right margin) is not drawn and named at the end.
#include <string>

#include "render/codes/bar_codes.h"
#include "render/escp/fx.h"

namespace prynda::escp {

namespace {

constexpr std::uint32_t kHeader = 6;  // k m s v1 v2 c

void NotPrinted(Fx& fx, std::string_view what, std::string_view reason) {
  fx.State.Unprinted.Note("Kodu kreskowego " + (what.empty() ? "" : std::string(what) + " ") + "nie wydrukowano: " +
                          std::string(reason));
}

void BarCode(Fx& fx, std::uint32_t count) {
  const auto header = TakeCounted<kHeader>(fx, std::min(count, kHeader));
  std::string data;
  if (count > kHeader) {
    data.resize(count - kHeader);
    for (char& c : data) c = static_cast<char>(Next(fx));
  }
  if (fx.State.Input.AtEof) return;
  const auto [k, m, s_byte, v1, v2, c] = header;
  const auto s = static_cast<std::int8_t>(s_byte);
  const int v = v1 + 256 * v2;
  // 24 pins: modules in 1/180 inch, spaces in 1/360, bars in 1/180; 9 pins: 1/120, 1/240, 1/72.
  const double module_unit = fx.Pins24 ? 180 : 120, space_unit = fx.Pins24 ? 360 : 240, length_unit = fx.Pins24 ? 180 : 72;
  if (count < kHeader || k >= codes::kSymbologies) {
    NotPrinted(fx, "", count < kHeader ? "polecenie bez nagłówka" : "nieznany rodzaj " + std::to_string(k));
    return;
  }
  const auto kind = static_cast<codes::Symbology>(k);
  const std::string_view name = codes::SymbologyName(kind);
  if (m < 2 || m > 5 || s < -3 || s > 3 || v < 0.25 * length_unit || v > 22 * length_unit) {
    NotPrinted(fx, name, "szerokość modułu, odstępów lub długość kresek poza zakresem");
    return;
  }
  const codes::BarCodeRequest request{kind, data, (c & 1) != 0, (c & 2) == 0, (c & 4) != 0};
  const codes::BarGeometry geometry{PixelsX(fx, m, module_unit), PixelsY(fx, m, module_unit), PixelsX(fx, s, space_unit),
                                    PixelsY(fx, v, length_unit),  PixelsY(fx, 0.125, 1),        PixelsY(fx, 0.050, 1)};
  const codes::CodeDrawing drawing = codes::LayOutBarCode(request, geometry);
  if (!drawing.Refused.empty()) {
    fx.State.Unprinted.Note(drawing.Refused);
    return;
  }
  const double left = fx.State.Page.LeftMargin + fx.State.Page.PosX;
  if (left + drawing.Width > fx.RightMargin + 0.5) {
    NotPrinted(fx, name, "wychodzi poza prawy margines");
    return;
  }
  if (NeedsMark(fx)) MarkSheet(fx);
  codes::PaintCode(fx.State, drawing, left, fx.State.Page.PosY);
}

constexpr ParenCommand kParenCommands[] = {
    {'B', BarCode},
};

}  // namespace

std::span<const ParenCommand> BarCodeParenCommands() { return kParenCommands; }

}  // namespace prynda::escp
