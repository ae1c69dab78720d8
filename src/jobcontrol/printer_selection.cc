#include "jobcontrol/printer_selection.h"

namespace prynda {

namespace {

bool ForcesDefault(const std::string& name) {
  if (name.size() < 3) return false;
  std::string head = name.substr(0, 3);
  for (char& c : head) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return head == "DEF";
}

}  // namespace

void SelectPrinterByName(TJobContext& job, const std::string& name) {
  TPrinter& printer = job.CurrentPrinter;
  TConsole& console = job.Console;
  int index = -1;
  if (ForcesDefault(name)) {
    if (job.Settings.ShowMessages) console.Line("Wymuszono domyślną drukarkę ");
  } else if (const int found = printer.PrinterNames().IndexOf(name); found >= 0) {
    index = found;
    if (job.Settings.ShowMessages) console.Line("Wybrano drukarkę ", Raw{name});
  } else {
    console.Line("Nie odnaleziono drukarki ", Raw{name}, " w systemie");
    console.Line("Lista zainstalowanych w systemie drukarek:");
    for (const std::string& installed : printer.PrinterNames().Items()) console.Line(Raw{installed});
    console.EndLine();
    console.Line("Wybieram domyślną");
    console.ReadLine();
  }
  printer.SetSelectedIndex(index);
  printer.ReloadLists();
}

}  // namespace prynda
