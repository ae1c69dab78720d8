#include "render/own/prefix_commands.h"

#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda {

void DoPrefixCommand(DefaultModes& own) {
  TRenderState& state = own.State;
  switch (state.Input.NextChar()) {
    case '1': ResetPageState(own); break;
    case '2':
      ResetPageState(own);
      state.Page.PageFull = true;
      break;
    case '3': SelectPitch(state, kPitch10Cpi); break;
    case '4': SelectPitch(state, kPitch12Cpi); break;
    case '5': SelectPitch(state, kPitch17Cpi); break;
    case '6': SelectPitch(state, kPitch20Cpi); break;
    case 'A': SmallFontBottomAligned(state); break;
    case 'B': SmallFontTopAligned(state); break;
    case 'E': ExpandedOn(own); break;
    case 'F':
    case 'f': state.Page.PageFull = true; break;
    case 'G':
    case 'N': BoldOn(state); break;
    case 'I': ItalicOn(state); break;
    case 'O': state.Page.LineSpacing = state.Page.DpiY / 8; break;
    case 'S': state.Page.LineSpacing = state.Page.DpiY / 6; break;
    case 'U': UnderlineOn(state); break;
    case 'a': NormalFont(state); break;
    case 'e': ExpandedOff(own); break;
    case 'g':
    case 'n': BoldOff(state); break;
    case 'i': ItalicOff(state); break;
    case 'u': UnderlineOff(state); break;
    default: break;  // "L" and "P" act only at the very start of the file; other letters mean nothing
  }
}

}  // namespace prynda
