// DoPrefixCommand: the command letter after the prefix byte 0xFA, acted on.
#pragma once

#include "render/own/own.h"

namespace prynda {

void DoPrefixCommand(DefaultModes& own);

}  // namespace prynda
