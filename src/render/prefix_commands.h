// DoPrefixCommand: the command letter after the prefix byte 0xFA, acted on.
#pragma once

#include "render/render_state.h"

namespace prynda {

void DoPrefixCommand(TRenderState& state);

}  // namespace prynda
