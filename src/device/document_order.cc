#include "device/document_order.h"

#include <string>

#include "device/printer_error.h"

namespace prynda {

namespace {

const char* NameOf(DocumentCall call) {
  switch (call) {
    case DocumentCall::StartDoc: return "StartDoc";
    case DocumentCall::StartPage: return "StartPage";
    case DocumentCall::EndPage: return "EndPage";
    case DocumentCall::EndDoc: return "EndDoc";
    case DocumentCall::AbortDoc: return "AbortDoc";
    case DocumentCall::Draw: return "Drawing";
  }
  return "A call";
}

}  // namespace

void DocumentOrder::Check(DocumentCall call) {
  const char* refusal = nullptr;
  switch (state_) {
    case State::Information:
      refusal = "this context cannot print";
      break;
    case State::Ready:
      if (call != DocumentCall::StartDoc) refusal = "no document is open";
      break;
    case State::Document:
      if (call == DocumentCall::StartDoc) refusal = "a document is already open";
      if (call == DocumentCall::EndPage || call == DocumentCall::Draw) refusal = "no page is open";
      break;
    case State::Page:
      if (call == DocumentCall::StartDoc) refusal = "a document is already open";
      if (call == DocumentCall::StartPage) refusal = "a page is already open";
      if (call == DocumentCall::EndDoc) refusal = "a page is still open";
      break;
    case State::Failed:
      if (call != DocumentCall::AbortDoc) refusal = "the document has failed and can only be aborted";
      break;
    case State::Over:
      refusal = call == DocumentCall::StartDoc ? "this context has had its document" : "the document is over";
      break;
  }
  if (refusal == nullptr) return;
  if (state_ == State::Document || state_ == State::Page) state_ = State::Failed;
  throw EPrinter(std::string(NameOf(call)) + ": " + refusal);
}

void DocumentOrder::Raised(DocumentCall call) {
  // A document that failed to begin is no document; an abort that failed has still ended it.
  state_ = call == DocumentCall::StartDoc || call == DocumentCall::AbortDoc ? State::Over : State::Failed;
}

void DocumentOrder::Made(DocumentCall call) {
  switch (call) {
    case DocumentCall::StartDoc:
    case DocumentCall::EndPage: state_ = State::Document; break;
    case DocumentCall::StartPage:
    case DocumentCall::Draw: state_ = State::Page; break;
    case DocumentCall::EndDoc:
    case DocumentCall::AbortDoc: state_ = State::Over; break;
  }
}

}  // namespace prynda
