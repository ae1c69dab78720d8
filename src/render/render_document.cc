#include "render/render_document.h"

namespace prynda {

TRenderOutcome RenderDocument(TJobContext& job, TCanvas& canvas) {
  (void)job;
  (void)canvas;
  return TRenderOutcome::NotStarted;
}

}  // namespace prynda
