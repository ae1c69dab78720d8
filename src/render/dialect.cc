#include "render/dialect.h"

#include "render/default_dialect.h"

namespace prynda {

std::unique_ptr<Dialect> MakeDialect(TRenderState& state) {
  return std::make_unique<DefaultDialect>(state.Job.Prynda.AutoCR);
}

}  // namespace prynda
