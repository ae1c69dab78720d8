#include "render/prefix_commands.h"

#include "render/input_stream.h"
#include "render/page_cycle.h"
#include "render/pitch_fonts.h"

namespace prynda {

void DoPrefixCommand(TRenderState& state) {
  switch (NextChar(state)) {
    case '1': ResetPageState(state); break;
    case '2':
      ResetPageState(state);
      state.PageFull = true;
      break;
    case '3': SetPitch10(state); break;
    case '4': SetPitch12(state); break;
    case '5': SetPitch17(state); break;
    case '6': SetPitch20(state); break;
    case 'A': SmallFontBottomAligned(state); break;
    case 'B': SmallFontTopAligned(state); break;
    case 'E': ExpandedOn(state); break;
    case 'F':
    case 'f': state.PageFull = true; break;
    case 'G':
    case 'N': BoldOn(state); break;
    case 'I': ItalicOn(state); break;
    case 'O': state.LineSpacing = state.DpiY / 8; break;
    case 'S': state.LineSpacing = state.DpiY / 6; break;
    case 'U': UnderlineOn(state); break;
    case 'a': NormalFont(state); break;
    case 'e': ExpandedOff(state); break;
    case 'g':
    case 'n': BoldOff(state); break;
    case 'i': ItalicOff(state); break;
    case 'u': UnderlineOff(state); break;
    default: break;  // "L" and "P" act only at the very start of the file; other letters mean nothing
  }
}

}  // namespace prynda
