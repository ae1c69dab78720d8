// A PDF sink that takes every byte and keeps none: for drawing through the PDF writer where only
// the drawing itself is looked at.
#pragma once

#include <cstddef>
#include <string>

#include "printers/pdf/pdf_sink.h"

namespace prynda::testing {

class NullSink final : public PdfSink {
 public:
  void Begin(const TDocInfo&) override {}
  bool Write(const unsigned char*, std::size_t) override { return true; }
  std::string FailureText() const override { return {}; }
  void Commit() override {}
  void Discard() noexcept override {}
};

}  // namespace prynda::testing
