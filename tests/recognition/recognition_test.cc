// Recognition of a job from its first bytes: the language (documents past PJL headers and
// Ctrl-D, our dialect against ESC/P, text and UTF-8), the pins, the line ends, and the code page
// of paragraphs as DOS programs printed them - framed, each language in the tables that served it.
#include "recognition/recognition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace prynda::testing {
namespace {

using namespace std::string_literals;

Recognition Of(std::string_view bytes) {
  return Recognise(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

const std::string kUel = "\x1B%-12345X";

TEST(RecognitionTest, TellsTheLanguageAndWhereADocumentBegins) {
  struct Case {
    const char* Name;
    std::string Header;  // what comes before the document
    std::string Document;
    JobLanguage Language;
    std::string_view Polish;
  };
  const std::string pjl = kUel + "@PJL JOB NAME=\"faktura\"\r\n@PJL SET RESOLUTION=600\r\n";
  const Case cases[] = {
      {"PostScript", "", "%!PS-Adobe-3.0\n%%Pages: 1\n", JobLanguage::PostScript, kNamePostScript},
      {"PostScript after Ctrl-D", "\x04", "%!PS\n/Times findfont\n", JobLanguage::PostScript, kNamePostScript},
      {"PJL entering PostScript", pjl + "@PJL ENTER LANGUAGE=POSTSCRIPT\r\n", "%!PS\n", JobLanguage::PostScript,
       kNamePostScript},
      {"PJL, then PostScript as it is", kUel + "@PJL\n", "%!PS\n", JobLanguage::PostScript, kNamePostScript},
      {"\"%!\", then PostScript", "", "%!\n/Courier findfont 12 scalefont setfont\n", JobLanguage::PostScript,
       kNamePostScript},
      {"\"%!\" before text", "", "%! Uwaga: faktura nr 12\r\n", JobLanguage::Text, kNameText},
      {"PDF", "", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", JobLanguage::Pdf, kNamePdf},
      {"PJL entering PDF", kUel + "@pjl enter language = pdf\n", "%PDF-1.7\n", JobLanguage::Pdf, kNamePdf},
      {"PCL after its reset", "", "\x1B" "E\x1B&l26a0O\x1B(s0p12h10v0s0b3T" "Faktura", JobLanguage::Pcl, kNamePcl},
      {"PCL without a reset", "", "\r\n\x1B*rB\x1B*t300R\x1B*r1A", JobLanguage::Pcl, kNamePcl},
      {"PCL symbol set", "", "\x1B(10U\x1B(s1p10v0s0b16602T", JobLanguage::Pcl, kNamePcl},
      {"PJL entering PCL", pjl + "@PJL ENTER LANGUAGE=PCL\r\n", "\x1B" "E", JobLanguage::Pcl, kNamePcl},
      {"PJL alone", pjl, "\x1B" "E", JobLanguage::Pcl, kNamePcl},
      // ESC E is ESC/P's bold too; text after it is no PCL, nor is ESC/P's ESC ( with its count.
      {"ESC E and text", "", "\x1B" "EFAKTURA\x1B" "F nr 12\r\n", JobLanguage::EscP, kNameEscP9},
      {"ESC/P reset", "", "\x1B@Faktura\r\n", JobLanguage::EscP, kNameEscP9},
      {"ESC/P 24-pin", "", "\x1B(c\x04\x00\x10\x00\x00\x0E" "Faktura\r\n"s, JobLanguage::EscP, kNameEscP24},
      {"ESC/P control codes", "", "\x0E" "FAKTURA\x14\r\n\x0F" "drobny\x12\r\n", JobLanguage::EscP, kNameEscP9},
      // ESC/P prints what these ask for; ours only skips their argument.
      {"underline and wide", "", "\x1B-\x01" "Razem\x1B-\x00 \x1BW\x01" "100\r\n"s, JobLanguage::EscP, kNameEscP9},
      {"prefix commands", "", "Tekst \xFAN" "pogrubiony\xFAn i \xFAU" "podkre\x98lony\xFAu\r\n",
       JobLanguage::OwnDialect, kNameOwnDialect},
      {"orientation", "", "\xFAL" "Wykaz\r\n", JobLanguage::OwnDialect, kNameOwnDialect},
      {"orientation after a margin", "", "\x1Bl\x05\x1B\"S" "Wykaz\r\n", JobLanguage::OwnDialect, kNameOwnDialect},
      {"escapes both act on", "", "Wiersz\r\n\x1BJ\x12\x1Bl\x05" "Dalej\r\n", JobLanguage::OwnDialect,
       kNameOwnDialect},
      {"ESC J among prefix commands", "", "\xFA" "4Wykaz\x1BJ\x24\xFA" "3Dalej\r\n", JobLanguage::OwnDialect,
       kNameOwnDialect},
      {"ESC/P reset among prefix commands", "", "\x1B@\xFA" "EWykaz\xFA" "e\r\n", JobLanguage::OwnDialect,
       kNameOwnDialect},
      {"more of ESC/P's own", "", "\x1B" "E\x1B" "4Wykaz\x1B" "5\x1B" "F\xFA" "e\r\n", JobLanguage::EscP, kNameEscP9},
      {"a bit image among prefix commands", "", "\xFA" "EWykaz\x1BK\x02\x00\xFF\xFF\r\n"s, JobLanguage::EscP,
       kNameEscP9},
      // The Proprinter by what only it sends, counted against what only Epson's printers have.
      {"Proprinter: ESC : and ESC A then ESC 2", "", "\x1B:Faktura\x1B" "A\x0C\x1B" "2\r\n", JobLanguage::Proprinter,
       kNameProprinter},
      {"Proprinter: ESC [ T and chart characters", "", "\x1B[T\x04\x00\x00\x00\x03\x54\x1B\\\x02\x00\x03\x04 x\r\n"s,
       JobLanguage::Proprinter, kNameProprinter},
      {"Proprinter: ESC 5 1 with ESC @", "", "\x1B@\x1B" "5\x01\x1B" "5\x00Wykaz\r"s, JobLanguage::Proprinter,
       kNameProprinter},
      {"as many of Epson's own", "", "\x1B@\x1Bx\x01\x1B:Faktura\x1B" "A\x0C\x1B" "2\r\n"s,
       JobLanguage::EscP, kNameEscP9},
      {"Epson's ESC : NUL n NUL", "", "\x1B:\x00\x00\x00\x1B" "A\x0C\x1B" "2Faktura\r\n"s, JobLanguage::EscP,
       kNameEscP9},
      {"text", "", "Faktura nr 12\r\nRazem: 100,00\r\n", JobLanguage::Text, kNameText},
      {"text in PC852", "", "Za\xBE\xA2\x88\x86 g\xA9\x98l\xA5 ja\xAB\xE4\r\n", JobLanguage::Text, kNameText},
      {"UTF-8", "", "Zażółć gęślą jaźń\n", JobLanguage::Utf8Text, kNameUtf8Text},
      {"UTF-8 after its BOM", "\xEF\xBB\xBF", "Wykaz\n", JobLanguage::Utf8Text, kNameUtf8Text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Recognition job = Of(c.Header + c.Document);
    EXPECT_EQ(job.Language, c.Language);
    EXPECT_EQ(job.DocumentStart, c.Header.size());
    EXPECT_EQ(PolishName(job), c.Polish);
  }
}

// What is no DOS printout: raster pages, PCL XL, receipts, inkjet raster and UTF-16 told by the walk
// and the bytes they begin with; pictures, XPS, archives and programs by the system's library for
// telling file types; bytes that are neither text nor commands by the control bytes among them.
TEST(RecognitionTest, TellsWhatIsNoDosPrintout) {
  struct Case {
    const char* Name;
    std::string Bytes;
    JobLanguage Language;
    std::string_view Polish;
  };
  // A ZIP's first local header, naming its first part.
  const auto zip = [](std::string_view part) {
    return "PK\x03\x04\x14\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x00\x00\x05\x00\x00\x00"s +
           static_cast<char>(part.size()) + "\x00\x00\x00"s + std::string(part) + "<x/>\n";
  };
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) % 251);
  const Case cases[] = {
      {"PWG raster", "RaS2PwgRaster\0"s + std::string(100, '\0'), JobLanguage::PwgRaster, kNamePwgRaster},
      {"Apple raster", "UNIRAST\0\0\0\0\x01"s, JobLanguage::AppleRaster, kNameAppleRaster},
      {"PCL XL after PJL", kUel + "@PJL ENTER LANGUAGE = PCLXL\n) HP-PCL XL;2;0\r\n", JobLanguage::PclXl, kNamePclXl},
      {"PCL XL alone", ") HP-PCL XL;3;0;Comment\r\n\xd1\x58\x02\x00"s, JobLanguage::PclXl, kNamePclXl},
      {"a receipt", "\x1b@\x1b" "a\x01" "Paragon\n\x1b" "d\x03\x1d" "V\x01"s, JobLanguage::Receipt, kNameReceipt},
      {"inkjet raster",
       "\x1b@\x1b(R\x08\x00\x00REMOTE1PM\x02\x00\x00\x00SN\x03\x00\x00\x00\x00\x1b\x00\x00\x00"
       "\x1b(G\x01\x00\x01\x1bi\x01\x00\x01\x02\x00\x02\x00\xff\xff\xff\xff\r\x0c"s,
       JobLanguage::InkjetRaster, kNameInkjetRaster},
      {"UTF-16", "\xff\xfeZ\x00" "a\x00\x7c\x01\r\x00\n\x00"s, JobLanguage::Utf16Text, kNameUtf16Text},
      {"binary data", binary, JobLanguage::BinaryData, kNameBinaryData},
      {"PNG", "\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x10\x00\x00\x00\x10\x08\x02\x00\x00\x00"s,
       JobLanguage::Png, kNamePng},
      {"JPEG", "\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"s, JobLanguage::Jpeg, kNameJpeg},
      {"GIF", "GIF89a\x10\x00\x10\x00\x80\x00\x00"s, JobLanguage::Gif, kNameGif},
      {"TIFF", "MM\x00*\x00\x00\x00\x08\x00\x01\x01\x00\x00\x03\x00\x00\x00\x01\x00\x10\x00\x00\x00\x00\x00\x00"s, JobLanguage::Tiff, kNameTiff},
      {"XPS", zip("FixedDocSeq.fdseq"), JobLanguage::Xps, kNameXps},
      {"a ZIP", zip("dokumenty/faktura.txt"), JobLanguage::Archive, "archiwum ZIP"},
      {"gzip", "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\x4b\x4c\x4a\x06\x00"s, JobLanguage::Compressed,
       "plik skompresowany gzip"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Recognition job = Of(c.Bytes);
    EXPECT_EQ(job.Language, c.Language);
    EXPECT_EQ(PolishName(job), c.Polish);
  }
}

// Cut short where the bytes read end, or where the job does (its last character cut off).
TEST(RecognitionTest, AUtf8SequenceCutShortAtTheEndStaysUtf8) {
  EXPECT_EQ(Of("Łódź\n\xC5").Language, JobLanguage::Utf8Text);
  EXPECT_EQ(Of("Ksi\xC4").Language, JobLanguage::Text) << "no whole sequence before it";
}

TEST(RecognitionTest, TwentyFourPinsOnlyForWhatOnlyTheyHave) {
  struct Case {
    const char* Name;
    std::string Bytes;
    int Pins;
  };
  // Image data that, read as commands, would be ESC + (24-pin line spacing) however it is cut.
  auto data = [](std::size_t n) {
    std::string bytes;
    while (bytes.size() < n) bytes += "\x1B+";
    return bytes.substr(0, n);
  };
  const Case cases[] = {
      {"8-dot ESC *", "\x1B@\x1B*\x01\x03\x00"s + data(3) + "\r\n", 9},
      {"24-dot ESC *", "\x1B@\x1B*\x27\x01\x00\x00\x00\x00\r\n"s, 24},
      {"ESC K", "\x1B@\x1BK\x06\x00"s + data(6) + "\r\n", 9},
      {"ESC L after ESC ? gave it 8 dots", "\x1B?L\x01\x1BL\x02\x00"s + data(2), 9},
      {"ESC Z after ESC ? gave it 24 dots", "\x1B?Z\x27\x1BZ\x01\x00"s + data(3), 24},
      {"ESC ^", "\x1B@\x1B^\x00\x02\x00"s + data(4), 9},
      {"user characters", "\x1B@\x1B&\x00\x41\x41"s + data(12) + "A", 9},
      {"ESC/P's 9-pin commands", "\x1B@\x1B" "3\x18\x1B" "E\x1B" "C\x00\x0B\x1B" "D\x08\x10\x00" "A\tB"s, 9},
      {"ESC ( C", "\x1B@\x1B(C\x02\x00\x10\x0E"s, 24},
      {"ESC ( V", "\x1B@\x1B(V\x02\x00\x10\x00"s, 24},
      {"ESC ( c", "\x1B@\x1B(c\x04\x00\x10\x00\x00\x0E"s, 24},
      {"ESC ( t", "\x1B@\x1B(t\x03\x00\x01\x0A\x00\x1Bt\x01"s, 24},
      {"ESC ( U", "\x1B@\x1B(U\x01\x00\x0A"s, 24},
      {"ESC .", "\x1B@\x1B.\x01\x0A\x0A\x01\x10\x00\xFE\x00"s, 24},
      {"ESC X", "\x1B@\x1BX\x00\x30\x00"s, 24},
      {"ESC +", "\x1B@\x1B+\x3C", 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Recognition job = Of(c.Bytes);
    EXPECT_EQ(job.Language, JobLanguage::EscP);
    EXPECT_EQ(job.Pins, c.Pins);
  }
}

TEST(RecognitionTest, LineEndsAreThoseOfTheTextNotOfArguments) {
  struct Case {
    std::string Bytes;
    LineEnd Ends;
  };
  const Case cases[] = {
      {"Wiersz\nWiersz\n", LineEnd::Lf},          {"Wiersz\r\nWiersz\r\n", LineEnd::CrLf},
      {"Wiersz\n\rWiersz\n\r", LineEnd::CrLf},   {"Wiersz\rWiersz\r", LineEnd::Cr},
      {"Wiersz", LineEnd::None},                  {"A\r\nB\r\nC\nD\r\n", LineEnd::CrLf},
      {"A\nB\nC\r\n", LineEnd::Lf},
      {"\x1B@\x1BJ\x0A\x1B" "3\x0A\x1BK\x02\x00\x0A\x0A" "A\r\nB\r\n"s, LineEnd::CrLf},
  };
  for (const Case& c : cases) EXPECT_EQ(Of(c.Bytes).LineEnds, c.Ends) << c.Bytes;
}

// Paragraphs as DOS programs printed them.
constexpr std::u32string_view kPolish =
    U"Faktura VAT nr 123/2024. Sprzedawca: Przedsiębiorstwo Handlowo-Usługowe Łączność, ul. Źródlana 5, "
    U"Łódź. Nabywca: Spółdzielnia Mleczarska w Końskich. Termin płatności: czternaście dni od daty "
    U"wystawienia. Należność prosimy przelać na rachunek bankowy podany poniżej; reklamacje będą "
    U"rozpatrywane w ciągu miesiąca.";
constexpr std::u32string_view kCzech =
    U"Dodací list č. 58. Odběratel se zavazuje uhradit částku do čtrnácti dnů ode dne vystavení. "
    U"Dodavatel si vyhrazuje vlastnické právo ke zboží až do úplného zaplacení. Reklamace je nutno "
    U"uplatnit písemně, nejpozději do osmi dnů po převzetí zásilky. Děkujeme Vám za objednávku.";
constexpr std::u32string_view kHungarian =
    U"Számla száma: 77. A fizetendő összeget kérjük a kiállítástól számított tizenöt napon belül "
    U"átutalni. Késedelmes fizetés esetén a törvényes kamatot felszámítjuk. Az áru a teljes vételár "
    U"kifizetéséig az eladó tulajdonában marad. Az új árak úgy érvényesek, mint tavaly; köszönjük hűségüket.";
constexpr std::u32string_view kGerman =
    U"Rechnung Nr. 4711. Wir danken Ihnen für Ihren Auftrag und erlauben uns, folgende Lieferung zu "
    U"berechnen. Zahlbar innerhalb von vierzehn Tagen ohne Abzug. Die Ware bleibt bis zur vollständigen "
    U"Bezahlung unser Eigentum. Größere Mengen können wir Ihnen gern zu günstigeren Preisen anbieten.";
constexpr std::u32string_view kFrench =
    U"Facture n° 218. Nous vous remercions de votre commande et vous prions de trouver ci-dessous le "
    U"détail des marchandises livrées. Le règlement est à effectuer à réception, sans escompte. Élève de "
    U"l'École supérieure, le gérant a reçu les pièces à la fin de l'été. À bientôt, et merci de votre fidélité !";
constexpr std::u32string_view kSwedish =
    U"Faktura nummer 312. Vi tackar för er beställning och översänder härmed följande varor. Betalning "
    U"ska ske inom trettio dagar från fakturadatum. Vid försenad betalning debiteras dröjsmålsränta. "
    U"Äganderätten till varorna övergår först när full betalning har erlagts. Åkesson & Söner AB, Göteborg.";
constexpr std::u32string_view kDanish =
    U"Faktura nummer 77. Vi takker for Deres bestilling og fremsender hermed følgende varer. Betaling skal "
    U"ske senest fjorten dage efter fakturadato. Ved for sen betaling beregnes rente efter gældende regler. "
    U"Varerne forbliver sælgers ejendom, indtil købesummen er betalt. Med venlig hilsen, Søren Ærø, Århus.";
constexpr std::u32string_view kRussian =
    U"Счёт-фактура № 15. Благодарим вас за заказ и направляем следующие товары. Оплата производится в "
    U"течение десяти дней с даты выставления счёта. Товар остаётся собственностью продавца до полной "
    U"оплаты. Претензии по качеству принимаются в письменном виде не позднее недели после получения груза.";

// The frame around a paragraph: corners, rules, sides, and the rule under its heading.
struct Frame {
  std::u32string_view Top, Rule, Side, Under, Bottom;  // left, fill, right of each rule
};
constexpr Frame kDouble{U"╔═╗", U"═", U"║", U"╠═╣", U"╚═╝"};
constexpr Frame kDoubleSingle{U"╔═╗", U"═", U"║", U"╟─╢", U"╚═╝"};  // junctions PC852 and PC850 lack
constexpr Frame kSingle{U"┌─┐", U"─", U"│", U"├─┤", U"└─┘"};
constexpr Frame kAscii{U"+-+", U"-", U"|", U"+-+", U"+-+"};

// The paragraph in lines of at most `width` below a heading, in the frame, CR LF.
std::u32string Framed(std::u32string_view text, const Frame& frame, std::size_t width = 56) {
  auto rule = [&](std::u32string_view ends) {
    return std::u32string(1, ends[0]) + std::u32string(width + 2, ends[1]) + ends[2] + U"\r\n";
  };
  auto line = [&](std::u32string_view words) {
    return std::u32string(frame.Side) + U" " + std::u32string(words) + std::u32string(width - words.size(), U' ') +
           U" " + std::u32string(frame.Side) + U"\r\n";
  };
  std::u32string out = rule(frame.Top) + line(U"Dokument 1/2024") + rule(frame.Under);
  while (!text.empty()) {
    std::size_t cut = text.size() <= width ? text.size() : text.rfind(U' ', width);
    out += line(text.substr(0, cut));
    text.remove_prefix(cut == text.size() ? cut : cut + 1);
  }
  return out + rule(frame.Bottom);
}

// Text in a table, as the DOS program wrote it.
std::string Encoded(std::u32string_view text, CodePageId id) {
  const std::array<char32_t, 128>& upper = UpperHalf(CodePageOf(id));
  std::string out;
  for (const char32_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    const auto* at = std::find(upper.begin(), upper.end(), c);
    if (at == upper.end()) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<std::uint32_t>(c) << " is not in " << CodePageOf(id).Name;
      continue;
    }
    out += static_cast<char>(0x80 + (at - upper.begin()));
  }
  return out;
}

TEST(RecognitionTest, TheCodePageOfParagraphsInFrames) {
  struct Case {
    const char* Name;
    std::u32string_view Text;
    CodePageId Written;
    const Frame& Around;
  };
  using enum CodePageId;
  const Case cases[] = {
      {"Polish in PC852", kPolish, Pc852, kDouble},
      {"Polish in Mazovia", kPolish, Mazovia, kDoubleSingle},
      {"Polish in Windows-1250", kPolish, Windows1250, kAscii},
      {"Czech in PC852", kCzech, Pc852, kSingle},
      {"Czech in Kamenický", kCzech, Kamenicky, kDoubleSingle},
      {"Hungarian in PC852", kHungarian, Pc852, kDouble},
      // ú is 0xFA there, and úgy no prefix command.
      {"Hungarian in Windows-1250", kHungarian, Windows1250, kAscii},
      {"German in PC437", kGerman, Pc437, kDoubleSingle},
      // The letters are PC437's too, and the frame is: the first of the two.
      {"German in PC850", kGerman, Pc850, kDouble},
      {"French in PC850", kFrench, Pc850, kSingle},
      {"Swedish in PC850", kSwedish, Pc850, kDouble},
      {"Danish in PC850", kDanish, Pc850, kSingle},
      {"Russian in PC866", kRussian, Pc866, kDoubleSingle},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string text = Encoded(Framed(c.Text, c.Around), c.Written);
    const Recognition job = Of(text);
    EXPECT_EQ(job.Language, JobLanguage::Text);
    EXPECT_EQ(CodePageOf(job.CodePage).Name, CodePageOf(c.Written).Name);
    EXPECT_TRUE(job.CodePageFromEvidence);
    // The same bytes behind ESC/P's commands and a bit image of high bytes of another table.
    const std::string image = "\x1B*\x01\x10\x00"s + Encoded(U"ąęłśżźćńóąęłśżźć", Pc852);
    const Recognition fx = Of("\x1B@\x1B" "3\xA5" + image + text + image);
    EXPECT_EQ(fx.Language, JobLanguage::EscP);
    EXPECT_EQ(CodePageOf(fx.CodePage).Name, CodePageOf(c.Written).Name);
  }
}

TEST(RecognitionTest, WithoutEvidencePC852IsKept) {
  struct Case {
    const char* Name;
    std::string Bytes;
    CodePageId Page;
    bool FromEvidence;
  };
  using enum CodePageId;
  const Case cases[] = {
      {"no high bytes", "Faktura nr 12\r\n", Pc852, false},
      {"too short", Encoded(U"Razem: 100 zł\r\n", Windows1250), Pc852, false},
      {"one byte value", "Dzie\x9B\x9B\x9B\r\nRaz\x9B", Pc852, false},
      {"a frame every DOS table has", Encoded(Framed(U"", kDouble) + Framed(U"", kSingle), Pc437), Pc852, false},
      {"a frame of PC437's own", Encoded(Framed(U"", kDoubleSingle), Pc437), Pc437, true},
      {"a PostScript document", "%!PS\n\xA5\xA9\x88\x98\xBE", Pc852, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Recognition job = Of(c.Bytes);
    EXPECT_EQ(CodePageOf(job.CodePage).Name, CodePageOf(c.Page).Name);
    EXPECT_EQ(job.CodePageFromEvidence, c.FromEvidence);
  }
}

}  // namespace
}  // namespace prynda::testing
