// DoEscape: the rest of an escape sequence after its ESC byte, acted on or skipped.
#pragma once

#include "render/render_state.h"

namespace prynda {

void DoEscape(TRenderState& state);

}  // namespace prynda
