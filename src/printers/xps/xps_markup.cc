#include "printers/xps/xps_markup.h"

#include <algorithm>
#include <vector>

#include "printers/xps/xps_package.h"

namespace prynda {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where a number that starts at `at` ends, as libgxps reads it: its first character, digits, a
// point, digits, an exponent's letter, its sign, digits.
std::size_t NumberEnd(std::string_view text, std::size_t at) {
  auto digits = [&] {
    while (at < text.size() && IsDigit(text[at])) ++at;
  };
  auto one_of = [&](std::string_view characters) {
    if (at < text.size() && characters.find(text[at]) != std::string_view::npos) ++at;
  };
  ++at;
  digits();
  one_of(".");
  digits();
  one_of("eE");
  one_of("+-");
  digits();
  return at;
}

// The first letter of abbreviated geometry that libgxps would take for a command it does not know
// (it aborts the program there); 0 when there is none. Like libgxps it reads nothing of geometry
// that does not start with a letter (a resource's "{StaticResource name}"); after that, numbers
// are read as it reads them and every other character on its own, and a command that would never
// be reached is looked at all the same.
char UnknownCommand(std::string_view data) {
  constexpr std::string_view kCommands = "MmLlHhVvCcQqSsAaZzF";
  const std::size_t first = data.find_first_not_of(" \t");
  if (first == std::string_view::npos || !IsLetter(data[first])) return 0;
  for (std::size_t at = first; at < data.size();) {
    const char c = data[at];
    if (IsDigit(c) || c == '+' || c == '-') {
      at = NumberEnd(data, at);
      continue;
    }
    if (IsLetter(c) && kCommands.find(c) == std::string_view::npos) return c;
    ++at;
  }
  return 0;
}

// How many points libgxps finds in a list of them: the runs of characters between spaces.
std::size_t PointCount(std::string_view points) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < points.size(); ++at) {
    if (points[at] != ' ' && (at == 0 || points[at - 1] == ' ')) ++count;
  }
  return count;
}

// Raises for an attribute whose value libgxps cannot take.
void CheckAttribute(std::string_view element, std::string_view attribute, std::string_view value,
                    const std::string& name) {
  const bool geometry = attribute == "Data" || attribute == "Clip" || attribute == "Figures";
  std::size_t per_curve = 1;  // points a curve takes, where the attribute lists curves' points
  if (attribute == "Points") {
    per_curve = element == "PolyBezierSegment" ? 3 : element == "PolyQuadraticBezierSegment" ? 2 : 1;
  }
  if (!geometry && per_curve == 1) return;
  const std::string where = "the " + std::string(attribute) + " of a " + std::string(element) + " in " + name;
  // Character references would make the text libgxps reads another one than the one looked at.
  if (value.find('&') != std::string_view::npos) RaiseDamaged(where + " holds a character reference");
  if (geometry) {
    if (const char command = UnknownCommand(value)) RaiseDamaged(where + " has the unknown command " + command);
  } else if (PointCount(value) % per_curve != 0) {
    RaiseDamaged(where + " has " + std::to_string(PointCount(value)) + " points, not curves of " +
                 std::to_string(per_curve));
  }
}

}  // namespace

bool IsMarkup(std::string_view part) {
  if (part.starts_with("\xEF\xBB\xBF")) part.remove_prefix(3);
  const std::size_t first = part.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && part[first] == '<';
}

void CheckMarkup(std::string_view markup, const std::string& name, std::uint32_t nesting) {
  std::size_t depth = 0;
  for (std::size_t at = markup.find('<'); at != std::string_view::npos; at = markup.find('<', at)) {
    const std::string_view rest = markup.substr(at);
    auto skip_past = [&](std::string_view end) {
      const std::size_t found = markup.find(end, at + 1);
      at = found == std::string_view::npos ? markup.size() : found + end.size();
    };
    if (rest.starts_with("<!--")) {
      skip_past("-->");
    } else if (rest.starts_with("<![CDATA[")) {
      skip_past("]]>");
    } else if (rest.starts_with("<!") || rest.starts_with("<?")) {
      skip_past(">");
    } else if (rest.starts_with("</")) {
      if (depth > 0) --depth;
      skip_past(">");
    } else {
      // A start tag: its name, then attributes as name="value" or name='value'.
      std::size_t i = at + 1;
      auto word = [&] {
        const std::size_t start = i;
        while (i < markup.size() && !IsSpace(markup[i]) && markup[i] != '>' && markup[i] != '/' && markup[i] != '=') {
          ++i;
        }
        return markup.substr(start, i - start);
      };
      auto spaces = [&] {
        while (i < markup.size() && IsSpace(markup[i])) ++i;
      };
      const std::string_view element = word();
      std::vector<std::string_view> attributes;
      for (;;) {
        spaces();
        if (i >= markup.size() || markup[i] == '>' || markup[i] == '/' || markup[i] == '<') break;
        const std::string_view attribute = word();
        spaces();
        if (i >= markup.size() || markup[i] != '=') break;
        ++i;
        spaces();
        if (i >= markup.size() || (markup[i] != '"' && markup[i] != '\'')) break;
        const std::size_t end = markup.find(markup[i], i + 1);
        if (end == std::string_view::npos) break;
        CheckAttribute(element, attribute, markup.substr(i + 1, end - i - 1), name);
        attributes.push_back(attribute);
        i = end + 1;
      }
      // The parser takes an attribute given twice, and libgxps keeps what it made of the first
      // (a brush's pattern, say) for as long as the program runs.
      std::sort(attributes.begin(), attributes.end());
      if (const auto twice = std::adjacent_find(attributes.begin(), attributes.end()); twice != attributes.end()) {
        RaiseDamaged("a " + std::string(element) + " in " + name + " has its " + std::string(*twice) + " twice");
      }
      // A tag that is not read to its end here is one the parser stops at, drawing nothing after it.
      const bool empty = i + 1 < markup.size() && markup[i] == '/' && markup[i + 1] == '>';
      if (!empty && ++depth > nesting) {
        RaiseTooLarge("the markup " + name + " nesting " + std::to_string(depth) + " deep", nesting);
      }
      at = i;
    }
  }
}

}  // namespace prynda
