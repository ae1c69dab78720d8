// Form files for the tests: a PDF written byte by byte, its pages in a font every reader has.
#pragma once

#include <string>
#include <vector>

namespace prynda::testing {

// A PDF of A4 pages, each drawn by its content stream (uncompressed), the font /F1 (Helvetica)
// in resources that every page inherits; `rotate` is the pages' /Rotate.
inline std::string FormPdf(const std::vector<std::string>& contents, int rotate = 0) {
  std::vector<std::string> objects;
  const int pages = static_cast<int>(3 + 2 * contents.size());
  objects.push_back("<</Type/Catalog/Pages " + std::to_string(pages) + " 0 R>>");
  objects.push_back("<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>");
  std::string kids;
  for (const std::string& content : contents) {
    objects.push_back("<</Length " + std::to_string(content.size()) + ">>stream\n" + content + "\nendstream");
    objects.push_back("<</Type/Page/Parent " + std::to_string(pages) + " 0 R/Contents " +
                      std::to_string(objects.size()) + " 0 R" +
                      (rotate != 0 ? "/Rotate " + std::to_string(rotate) : std::string()) + ">>");
    kids += std::to_string(objects.size()) + " 0 R ";
  }
  objects.push_back("<</Type/Pages/Kids[" + kids + "]/Count " + std::to_string(contents.size()) +
                    "/MediaBox[0 0 595.276 841.89]/Resources<</Font<</F1 2 0 R>>>>>>");
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    std::string number = std::to_string(offset);
    pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
  }
  pdf += "trailer\n<</Size " + std::to_string(objects.size() + 1) + "/Root 1 0 R>>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

// Text in /F1 at (x, y) points from the page's bottom-left corner.
inline std::string FormText(double x, double y, const std::string& text, int size = 12) {
  return "BT /F1 " + std::to_string(size) + " Tf " + std::to_string(x) + " " + std::to_string(y) + " Td (" + text +
         ") Tj ET\n";
}

// A rectangle filled in grey `level` (0 black, 1 white), points from the bottom-left corner.
inline std::string FormBox(double x, double y, double width, double height, double level = 0) {
  return std::to_string(level) + " g " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) +
         " " + std::to_string(height) + " re f 0 g\n";
}

}  // namespace prynda::testing
