// The order of a context's document and drawing calls as print_system.h states it, kept in one
// place for every context that implements the seam: each such call is made through Run, which
// refuses it with EPrinter when it is out of order and notes where the document then stands.
#pragma once

#include "device/print_system.h"

namespace prynda {

enum class DocumentCall { StartDoc, StartPage, EndPage, EndDoc, AbortDoc, Draw };

class DocumentOrder {
 public:
  explicit DocumentOrder(TContextKind kind)
      : state_(kind == TContextKind::Device ? State::Ready : State::Information) {}

  // Runs `make` when `call` may come now, else raises EPrinter without running it. Once a call of
  // the begun document raises, refused or failing, AbortDoc is the only call it still takes.
  template <typename Make>
  void Run(DocumentCall call, Make&& make) {
    Check(call);
    try {
      make();
    } catch (...) {
      Raised(call);
      throw;
    }
    Made(call);
  }

 private:
  enum class State { Information, Ready, Document, Page, Failed, Over };

  void Check(DocumentCall call);
  void Raised(DocumentCall call);
  void Made(DocumentCall call);

  State state_;
};

}  // namespace prynda
