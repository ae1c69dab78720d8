#include "recognition/command_walk.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "render/escp/fx.h"
#include "render/own/own.h"

namespace prynda::recognition {

namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr int kUnknown = -1;

// The argument bytes of every ESC command of FX mode; kUnknown where it has none.
const std::array<int, 256>& EscPArguments() {
  static const std::array<int, 256> arguments = [] {
    std::array<int, 256> a;
    a.fill(kUnknown);
    a['('] = 3;  // c nL nH, then the bytes they count
    for (const auto group : {escp::PrinterControlCommands(), escp::PrintModeCommands(), escp::LineAndFormCommands(),
                             escp::HorizontalCommands(), escp::BitImageCommands(), escp::CharacterTableCommands(),
                             escp::RasterCommands()}) {
      for (const escp::EscCommand& command : group) a[command.Code] = command.Arguments;
    }
    return a;
  }();
  return arguments;
}

// What an ESC command tells of the job, by the two dialects' rows.
enum class EscKind : std::uint8_t {
  None,     // neither has it
  Own,      // only our dialect acts on it
  Shared,   // both act on it
  Skipped,  // our dialect only consumes its arguments
  EscP,     // only FX mode has it
};

const std::array<EscKind, 256>& EscKinds() {
  static const std::array<EscKind, 256> kinds = [] {
    std::array<EscKind, 256> k;
    const std::array<int, 256>& escp = EscPArguments();
    for (std::size_t code = 0; code < k.size(); ++code) k[code] = escp[code] != kUnknown ? EscKind::EscP : EscKind::None;
    for (const own::EscCommand& command : own::EscCommands()) {
      k[command.Code] = command.Act == own::kSkipped       ? EscKind::Skipped
                        : escp[command.Code] != kUnknown ? EscKind::Shared
                                                         : EscKind::Own;
    }
    return k;
  }();
  return kinds;
}

// The letters after 0xFA that are our prefix commands.
const std::array<bool, 256>& PrefixLetters() {
  static const std::array<bool, 256> letters = [] {
    std::array<bool, 256> l{};
    for (const own::PrefixCommand& command : own::PrefixCommands()) l[command.Code] = true;
    return l;
  }();
  return letters;
}

// The bytes, read once from the front.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  std::size_t Position() const { return at_; }
  std::uint8_t Peek() const { return At(at_); }
  std::uint8_t Next() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
  void Skip(std::uint64_t count) { at_ = count >= bytes_.size() - at_ ? bytes_.size() : at_ + count; }
  std::uint8_t At(std::size_t i) const { return i < bytes_.size() ? bytes_[i] : 0; }
  std::size_t Size() const { return bytes_.size(); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

// What both walks do with a byte that is not a command: text, a separator, a line end.
class TextSink {
 public:
  TextSink(Walk& walk, const Reader& reader) : walk_(walk), reader_(reader) {}

  // The byte just read, at Position() - 1.
  void Byte(std::uint8_t c) {
    ++walk_.TextBytes;
    if (IsStray(c)) ++walk_.StrayBytes;
    if (c >= 0x20 && c != 0x7F) {
      walk_.Text.push_back(c);
      return;
    }
    if (c == '\n' || c == '\r') {
      // CR LF and LF CR are one line end, counted and written once, by their first byte.
      const std::size_t at = reader_.Position() - 1;
      if (at == partner_) return;
      if (reader_.At(at + 1) == (c == '\n' ? '\r' : '\n')) {
        ++walk_.LineEnds.CrLf;
        partner_ = at + 1;
      } else {
        ++(c == '\n' ? walk_.LineEnds.Lf : walk_.LineEnds.Cr);
      }
      walk_.Text.push_back('\n');
      return;
    }
    walk_.Text.push_back(c == '\f' || c == '\v' ? '\n' : ' ');
  }

  void Gap() { walk_.Text.push_back(' '); }

 private:
  // SOH to ACK, DLE, NAK, SYN, ETB, EM, FS, GS, RS, US: no printer of either dialect acts on them,
  // and text has none. (SUB ends many a DOS text file.)
  static bool IsStray(std::uint8_t c) {
    return (c >= 0x01 && c <= 0x06) || c == 0x10 || (c >= 0x15 && c <= 0x17) || c == 0x19 || (c >= 0x1C && c <= 0x1F);
  }

  Walk& walk_;
  const Reader& reader_;
  std::size_t partner_ = static_cast<std::size_t>(-1);  // where the second byte of a pair is
};

// Bytes per column of an ESC * density.
std::uint32_t BytesPerColumn(std::uint8_t m) { return m < 32 ? 1 : (m < 64 ? 3 : 6); }

// ESC B, ESC D: stops up to NUL or one not above the one before (which ends the list too).
void SkipStops(Reader& in) {
  int last = -1;
  while (!in.AtEnd()) {
    const std::uint8_t n = in.Next();
    if (n == 0 || n <= last) return;
    last = n;
  }
}

// An ESC/POS command after its GS or FS byte, skipped with its arguments and data; false where
// the byte after it starts none (the walk then counts the GS or FS as text).
bool SkipReceiptCommand(Reader& in, std::uint8_t lead) {
  const std::uint8_t code = in.Peek();
  // GS: character size, cut, barcode height and width and text, left margin and print area,
  // motion units, reverse print, ... ; FS: Kanji modes and the NV logo.
  constexpr std::string_view kGsOne = "!BEHIIafhrw/bc";
  constexpr std::string_view kGsTwo = "LWP\\";
  const auto in_set = [code](std::string_view set) { return set.find(static_cast<char>(code)) != std::string_view::npos; };
  const std::size_t at = in.Position() + 1;
  if (lead == 0x1C) {
    if (code == 'p') {
      in.Skip(3);
    } else if (code == '!' || code == 'C' || code == '-' || code == 'W') {
      in.Skip(2);
    } else if (code == '&' || code == '.') {
      in.Skip(1);
    } else {
      return false;
    }
    return true;
  }
  if (in_set(kGsOne)) {
    in.Skip(2);
  } else if (in_set(kGsTwo)) {
    in.Skip(3);
  } else if (code == 'V') {
    in.Skip(in.At(at) >= 65 ? 3 : 2);  // a cut; from 65 on, a feed before it
  } else if (code == 'v' && in.At(at) == '0') {
    // Raster bit image: m xL xH yL yH, then xL + 256 xH bytes a row, yL + 256 yH rows.
    const std::uint64_t row = in.At(at + 2) + 256u * in.At(at + 3);
    const std::uint64_t rows = in.At(at + 4) + 256u * in.At(at + 5);
    in.Skip(7 + row * rows);
  } else if (code == '(' || code == '8') {
    // pL pH and that many bytes (GS ( k: QR codes and other symbols; GS 8 L: four length bytes).
    const std::uint64_t length = code == '(' ? in.At(at + 1) + 256u * in.At(at + 2)
                                             : in.At(at + 1) + 256u * in.At(at + 2) + 65536u * in.At(at + 3) +
                                                   16777216u * in.At(at + 4);
    in.Skip(code == '(' ? 4 + length : 6 + length);
  } else if (code == 'k') {
    // A barcode: m from 65 on counts its data, below it ends with NUL.
    const std::uint8_t m = in.At(at);
    if (m >= 65) {
      in.Skip(3 + in.At(at + 1));
    } else {
      in.Skip(2);
      while (!in.AtEnd() && in.Next() != 0) {
      }
    }
  } else {
    return false;
  }
  return true;
}

// A Proprinter's command after ESC that Epson's language has not, or reads with other bytes:
// skipped with its own arguments and data when it is one; false, and nothing read, otherwise.
bool ProprinterCommand(Reader& in, std::uint8_t code) {
  const std::size_t at = in.Position();  // the first byte after the code
  switch (code) {
    case '[': {
      // ESC [ c nL nH and that many bytes: the commands of later Proprinters, a handful of bytes
      // long but for ESC [ g's image.
      constexpr std::string_view kBracketCodes = "@ACFIKST\\gj";
      const std::uint8_t c = in.At(at);
      const std::size_t count = in.At(at + 1) + 256u * in.At(at + 2);
      if (kBracketCodes.find(static_cast<char>(c)) == std::string_view::npos || (c != 'g' && count > 16)) {
        return false;
      }
      in.Skip(3 + count);
      return true;
    }
    case ':':  // 12 cpi; Epson's ESC : is always ESC : NUL n NUL
      return at < in.Size() && in.At(at) != 0;
    case 'A':  // a spacing stored, applied by ESC 2 at once
      if (in.At(at + 1) != kEsc || in.At(at + 2) != '2') return false;
      in.Skip(3);
      return true;
    case '5':  // automatic line feed on or off; Epson's ESC 5 takes nothing
      if (at >= in.Size() || in.At(at) > 1) return false;
      in.Skip(1);
      return true;
    case '\\': {  // chart characters: mostly control codes, where Epson's move has text after it
      const std::size_t count = in.At(at) + 256u * in.At(at + 1);
      if (count == 0 || count > 255 || at + 2 + count > in.Size()) return false;
      std::size_t controls = 0;
      for (std::size_t i = 0; i < count; ++i) controls += in.At(at + 2 + i) < 0x20 ? 1 : 0;
      if (controls * 2 < count) return false;
      in.Skip(2 + count);
      return true;
    }
    case '_':  // overline
      in.Skip(1);
      return true;
    default:
      return false;
  }
}

bool IsEpsonOnly(const Reader& in, std::uint8_t code) {
  constexpr std::string_view kEpsonOnly = "@xkpt(!$lM*+w ";
  if (code == ':') return in.Peek() == 0;
  return kEpsonOnly.find(static_cast<char>(code)) != std::string_view::npos;
}

}  // namespace

Walk WalkEscP(std::span<const std::uint8_t> bytes) {
  Walk walk;
  walk.Text.reserve(bytes.size());
  Reader in(bytes);
  TextSink text(walk, in);
  const std::array<int, 256>& arguments = EscPArguments();
  const std::array<EscKind, 256>& kinds = EscKinds();
  const std::array<bool, 256>& prefix_letters = PrefixLetters();
  std::array<std::uint8_t, 4> image_modes = {0, 1, 2, 3};  // ESC ? for ESC K, L, Y, Z
  bool script = false;                                     // ESC S: user characters are two bytes a column
  bool graphics = false;  // ESC ( G 1 0 1 seen, no ESC @ since: ESC i is a row of dots
  while (!in.AtEnd()) {
    const std::uint8_t c = in.Next();
    if (c == 0x0E || c == 0x0F || c == 0x12 || c == 0x14) ++walk.EscPCommands;
    if (c == own::kPrefix && prefix_letters[in.Peek()]) ++walk.PrefixCommands;
    if ((c == 0x1D || c == 0x1C) && SkipReceiptCommand(in, c)) {
      ++walk.ReceiptCommands;
      continue;
    }
    if (c != kEsc) {
      text.Byte(c);
      continue;
    }
    if (in.AtEnd()) break;
    const std::size_t at = in.Position() - 1;  // the ESC's
    const std::uint8_t code = in.Next();
    // Raster rows and remote mode, with their data; inkjets' job language.
    if (const std::size_t length = escp::CommandLength(bytes.subspan(at), graphics)) {
      in.Skip(at + length - in.Position());
      if (code == '.' || code == 'i') {
        ++walk.BitImages;
        walk.Pins24 = true;
        text.Gap();
      }
      if (code != '.' || graphics) ++walk.InkjetCommands;
      continue;
    }
    // ESC/POS: a line count after ESC d, a switch after ESC E and ESC G, where ESC/P takes none.
    if ((code == 'd' && in.Peek() < 0x20) || ((code == 'E' || code == 'G') && in.Peek() <= 1 && !in.AtEnd())) {
      ++walk.ReceiptCommands;
      in.Skip(1);
      continue;
    }
    if (ProprinterCommand(in, code)) {
      ++walk.ProprinterCommands;
      continue;
    }
    if (IsEpsonOnly(in, code)) ++walk.EpsonOnlyCommands;
    switch (kinds[code]) {
      case EscKind::Own: ++walk.OwnEscapes; break;
      case EscKind::Shared: ++walk.SharedCommands; break;
      case EscKind::Skipped: ++walk.SkippedCommands; break;
      case EscKind::EscP: ++walk.EscPCommands; break;
      case EscKind::None: break;
    }
    if (arguments[code] == kUnknown) continue;  // ESC and the byte after it, as the printer takes them
    escp::Args args{};
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(arguments[code]), args.size());
    for (std::size_t i = 0; i < count; ++i) args[i] = in.Next();
    const std::uint32_t count12 = args[1] + 256u * args[2];
    const std::uint32_t count01 = args[0] + 256u * args[1];
    switch (code) {
      case 'K': case 'L': case 'Y': case 'Z': {
        const std::size_t slot = code == 'K' ? 0 : code == 'L' ? 1 : code == 'Y' ? 2 : 3;
        in.Skip(static_cast<std::uint64_t>(count01) * BytesPerColumn(image_modes[slot]));
        ++walk.BitImages;
        text.Gap();
        break;
      }
      case '*':
        if (args[0] >= 32) walk.Pins24 = true;
        in.Skip(static_cast<std::uint64_t>(count12) * BytesPerColumn(args[0]));
        ++walk.BitImages;
        text.Gap();
        break;
      case '^':
        in.Skip(static_cast<std::uint64_t>(count12) * 2);
        ++walk.BitImages;
        text.Gap();
        break;

      case '?':
        if (args[1] >= 32) walk.Pins24 = true;
        if (args[0] == 'K') image_modes[0] = args[1];
        if (args[0] == 'L') image_modes[1] = args[1];
        if (args[0] == 'Y') image_modes[2] = args[1];
        if (args[0] == 'Z') image_modes[3] = args[1];
        break;
      case '(':
        walk.Pins24 = true;
        if (args[0] == 'G') {
          graphics = count12 == 1 && escp::IsOn(in.Peek());
          in.Skip(count12);
          ++walk.InkjetCommands;
        } else if (args[0] == '^') {  // its data prints as characters
          for (std::uint32_t i = 0; i < count12 && !in.AtEnd(); ++i) {
            const std::uint8_t byte = in.Next();
            if (byte >= 0x20) {
              walk.Text.push_back(byte);
            } else {
              text.Gap();
            }
          }
        } else {
          in.Skip(count12);
        }
        break;
      case 'X': case '+': walk.Pins24 = true; break;
      case 'D': case 'B': case 'b': SkipStops(in); break;
      case 'C':
        if (args[0] == 0) in.Skip(1);
        break;
      case '&': {
        const int characters = args[2] >= args[1] ? args[2] - args[1] + 1 : 0;
        for (int i = 0; i < characters && !in.AtEnd(); ++i) {
          if (walk.Pins24) {
            in.Skip(1);
            const std::uint8_t columns = in.Next();
            in.Skip(1);
            in.Skip(columns * (script ? 2u : 3u));
          } else {
            in.Skip(12);
          }
        }
        break;
      }
      case 'S':
        if (args[0] <= 1 || args[0] == '0' || args[0] == '1') script = true;
        break;
      case 'T': script = false; break;
      case '@':
        image_modes = {0, 1, 2, 3};
        script = false;
        graphics = false;
        break;
      default: break;
    }
  }
  return walk;
}

Walk WalkOwnDialect(std::span<const std::uint8_t> bytes) {
  Walk walk;
  walk.Text.reserve(bytes.size());
  Reader in(bytes);
  TextSink text(walk, in);
  while (!in.AtEnd()) {
    const std::uint8_t c = in.Next();
    if (c == own::kPrefix) {
      // The command letter, whichever it is, and the text of one that takes a line.
      const own::PrefixCommand* command = own::FindRow(own::PrefixCommands(), in.Next());
      if (command != nullptr && command->TakesLine) {
        for (std::uint8_t b = 0xFF; !in.AtEnd() && b != '\r' && b != '\n' && b != 0;) b = in.Next();
      }
    } else if (c != kEsc) {
      text.Byte(c);
    } else {
      const std::uint8_t code = in.Next();
      in.Skip(own::EscapeArguments(code, in.Peek()));
    }
  }
  return walk;
}

}  // namespace prynda::recognition
