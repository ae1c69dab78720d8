#include "render/dialect.h"

#include "render/escp/fx_dialect.h"
#include "render/ibm/proprinter_dialect.h"
#include "render/own/own_dialect.h"

namespace prynda {

std::unique_ptr<Dialect> MakeDialect(TRenderState& state) {
  const PryndaSettings& own = state.Job.Prynda;
  if (own.Emulation == EmulationKind::Fx) {
    return std::make_unique<escp::FxDialect>(state, own.Pins == 24, JobCodePage(state.Job));
  }
  if (own.Emulation == EmulationKind::Ibm) {
    return std::make_unique<ibm::ProprinterDialect>(state, JobCodePage(state.Job));
  }
  return std::make_unique<own::OwnDialect>(state, own.AutoCR, own.Text, own.PagesWhenPrinted);
}

}  // namespace prynda
