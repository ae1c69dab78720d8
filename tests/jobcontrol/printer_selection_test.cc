// Choosing the printer by name over a print system with several printers: the forced default,
// the look-up ignoring letter case, and the list shown for a name that matches nothing.
#include "jobcontrol/printer_selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/job_fixture.h"

namespace prynda::testing {
namespace {

constexpr int kDefaultIndex = 2;  // "Magazyn Epson"

std::string NotFound(const std::string& name) {
  return "Nie odnaleziono drukarki " + name + " w systemie\n"
         "Lista zainstalowanych w systemie drukarek:\n"
         "Biuro HP\n"
         "DEFAULT PRINTER\n"
         "Magazyn Epson\n"
         "Prynda PDF\n"
         "\n"
         "Wybieram domyślną\n";
}

class PrinterSelectionTest : public JobFixture {
 protected:
  PrinterSelectionTest() {
    InstallPrinters({Printer("Biuro HP", {"Arial"}), Printer("DEFAULT PRINTER", {"Arial"}),
                     Printer("Magazyn Epson", {"Courier New"}), Printer("Prynda PDF", {"Courier New"})},
                    "Magazyn Epson");
  }
};

TEST_F(PrinterSelectionTest, SelectsByWholeNameIgnoringCaseOrForcesTheDefault) {
  struct Case {
    std::string Name;
    int Index;
    std::string Output;
  };
  const std::string forced = "Wymuszono domyślną drukarkę \n";
  const Case cases[] = {
      {"def", kDefaultIndex, forced},
      {"Default", kDefaultIndex, forced},
      {"DEFAULT PRINTER", kDefaultIndex, forced},  // installed at 1, still the default
      {"dEfinitely", kDefaultIndex, forced},
      {"biuro hp", 0, "Wybrano drukarkę biuro hp\n"},
      {"Prynda PDF", 3, "Wybrano drukarkę Prynda PDF\n"},
      {"de", kDefaultIndex, NotFound("de")},
      {"Biuro", kDefaultIndex, NotFound("Biuro")},
      {"Biuro HP ", kDefaultIndex, NotFound("Biuro HP ")},
      {"", kDefaultIndex, NotFound("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("[" + c.Name + "]");
    out.str("");
    printer.SetSelectedIndex(3);
    SelectPrinterByName(job, c.Name);
    EXPECT_EQ(Output(), c.Output);
    EXPECT_EQ(printer.SelectedIndex(), c.Index);
  }
}

TEST_F(PrinterSelectionTest, QuietJobsLoseTheConfirmationsButNotTheNotFoundList) {
  job.Settings.ShowMessages = false;
  SelectPrinterByName(job, "def");
  SelectPrinterByName(job, "BIURO HP");
  EXPECT_EQ(printer.SelectedIndex(), 0);
  EXPECT_EQ(Output(), "");
  SelectPrinterByName(job, "Kadry");
  EXPECT_EQ(Output(), NotFound("Kadry"));
}

TEST_F(PrinterSelectionTest, ANameNotFoundTakesOneLineOfInput) {
  GiveInput("\nK=2\nnext\n");
  SelectPrinterByName(job, "Kadry");
  EXPECT_EQ(UnreadInput(), "K=2\nnext\n");

  // Found names and the forced default never read.
  GiveInput("stays\n");
  SelectPrinterByName(job, "Biuro HP");
  SelectPrinterByName(job, "DEF");
  EXPECT_EQ(UnreadInput(), "stays\n");

  // At the end of input the wait ends at once.
  GiveInput("");
  SelectPrinterByName(job, "Kadry");
  EXPECT_EQ(printer.SelectedIndex(), kDefaultIndex);
}

TEST_F(PrinterSelectionTest, TheListsAreAskedAgainForTheNewPrinter) {
  EXPECT_EQ(printer.FontNames().Items(), std::vector<std::string>{"Courier New"});  // the default's
  printer.PrinterNames();
  system.Printers.push_back(Printer("Kadry", {"Arial"}));
  const int asked = CallsOf("PrinterNames");
  SelectPrinterByName(job, "Biuro HP");
  EXPECT_EQ(printer.FontNames().Items(), std::vector<std::string>{"Arial"});
  EXPECT_EQ(printer.PrinterNames().IndexOf("Kadry"), 4);
  EXPECT_GT(CallsOf("PrinterNames"), asked);
}

TEST_F(PrinterSelectionTest, WithoutADefaultPrinterTheFailureReachesTheCaller) {
  system.Default = "";
  EXPECT_THROW(SelectPrinterByName(job, "Kadry"), EPrinter);
  EXPECT_EQ(Output(), NotFound("Kadry"));
  EXPECT_THROW(SelectPrinterByName(job, "default"), EPrinter);
  EXPECT_NO_THROW(SelectPrinterByName(job, "Biuro HP"));
}

}  // namespace
}  // namespace prynda::testing
