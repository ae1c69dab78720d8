// The six fonts of a job, one per kind of text, all on one base face the printer offers; the
// settings file may replace each by a section of its own.
#pragma once

#include <string_view>

#include "job/job_context.h"
#include "platform/mem_ini_file.h"

namespace prynda {

// Chooses the base face among the current printer's faces and gives the six fonts their built-in
// definitions. With a printer that reports no faces at all, the base face stays as it is and the
// platform's font mapper finds a substitute.
void SetUpFontSet(TJobContext& job);

// Replaces `font` by the section FormKelvra\FontDialog_<suffix>_Font, when the section names a
// face the current printer offers; otherwise writes why and keeps the font. A "Charset" outside
// 0-255 is no charset and gives 238; the section's "Pitch" is not used (cells are fixed anyway).
void LoadFontSection(TJobContext& job, const TMemIniFile& settings, TFont& font, std::string_view suffix);

// The six fonts in their fixed order, with the suffixes of their settings sections.
struct TFontSlot {
  JobFont Font;
  std::string_view Suffix;
  int Height;
  int Size;
};
inline constexpr TFontSlot kFontSlots[] = {
    {JobFont::Cpi10, "10", -13, 10},    {JobFont::Cpi12, "12", -11, 8},    {JobFont::Condensed, "16", -11, 8},
    {JobFont::Cpi20, "20", -11, 8},     {JobFont::Expanded, "EM", -16, 12}, {JobFont::Small, "AK", -8, 6},
};

}  // namespace prynda
