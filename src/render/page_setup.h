// The page a job asks for with the settings of our own: the sheet, its orientation (FX mode), the
// fit of the form on the printable area and the offsets. They are set on the printer once, before
// anything is measured; the renderer then goes on in device pixels as ever, at the resolution the
// printer reports, which the fit has lowered.
#pragma once

#include "device/print_system.h"
#include "render/render_state.h"

namespace prynda {

// Sets the sheet, orientation, scale and offsets on the printer; `orientation` is the one the file
// asks for. Returns the orientation chosen. Says on the console when the printer has no such sheet.
TPrinterOrientation SetUpPage(TRenderState& state, TPrinterOrientation orientation);

// The form's length in device pixels at the job's resolution (FormLength lines of 1/6 inch), or 0
// when the sheet's printable length is the form. Said on the console when lines of it fall below
// the sheet.
double FormLengthPixels(TRenderState& state);

// "Formularz dłuższy niż strona drukarki: ...", naming the form's lines that do not fit, once.
void TellFormTooLong(TRenderState& state, long first_line, long last_line);

}  // namespace prynda
