// EPrinter: the one error class of the printer layer and its backends. The six fixed texts are the
// ones callers may see from the object layer; backends raise it with a text of their own.
#pragma once

#include <stdexcept>
#include <string>

namespace prynda {

class EPrinter : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kNotPrinting = "Printer is not currently printing";
inline constexpr const char* kPrinting = "Printing in progress";
inline constexpr const char* kPrinterIndexError = "Printer index out of range";
inline constexpr const char* kInvalidPrinter = "Printer selected is not valid";
inline constexpr const char* kInvalidPrinterOp = "Operation not supported on selected printer";
inline constexpr const char* kNoDefaultPrinter = "There is no default printer currently selected";

}  // namespace prynda
