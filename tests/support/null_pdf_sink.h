// A PDF sink that takes every byte and keeps none, for PDFs that are made only to be made.
#pragma once

#include <cstddef>
#include <string>

#include "printers/pdf/pdf_sink.h"

namespace prynda::testing {

class NullPdfSink final : public PdfSink {
 public:
  void Begin(const TDocInfo&) override {}
  bool Write(const unsigned char*, std::size_t) override { return true; }
  std::string FailureText() const override { return {}; }
  void Commit() override {}
  void Discard() noexcept override {}
};

}  // namespace prynda::testing
