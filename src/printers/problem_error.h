// An error of reading what a job brings (a picture, raster pages, a form, an XPS document) that
// tells which kind of problem it is, for the job to say why it cannot print it.
#pragma once

#include <stdexcept>
#include <string>

namespace prynda {

// An error that tells which of the kinds of problem `Kind` names it is; its text says what failed.
template <typename Kind>
class ProblemError : public std::runtime_error {
 public:
  ProblemError(Kind problem, const std::string& detail) : std::runtime_error(detail), problem_(problem) {}
  Kind Problem() const { return problem_; }

 private:
  Kind problem_;
};

}  // namespace prynda
