#include "jobcontrol/usage_text.h"

namespace prynda {

const std::array<std::string_view, 20> kUsageLines = {
    "Program PRYNDA.EXE",
    "wywołanie :",
    "PRYNDA plik.txt [E][MAZ][180][K=nn][R=nn][/ST][/FF][/P][/TR][/DR=\"nnn\"]",
    "  np. PRYNDA c:\\druk.txt K=2 /FF/TR",
    "gdzie :",
    "plik.txt - pełna nazwa pliku do wydrukowania",
    "E        - usunięcie pliku po wydrukowaniu   (def.NIE)",
    "MAZ      - kodowanie polskich znaków MAZovia (def.CP-852)",
    "180      - ustaw skalę iteracji na 180       (def.216)",
    "K=nn     - ilość kopii (tj.krotność wydruku) (def K=1)",
    "R=nn     - grubość ramki w pixelach          (def R=1)",
    "DY=nn    - górny margines w liniach          (def DY=0)",
    "/TR      - usunięcie znaków [LF,CR,Esc,@,Spc,EOF] z końca pliku",
    "/FF      - jeżeli wydruk przekracza długość strony ustawia na następną",
    "/FF=[NN] - j.w. ale co NN wierszy (domyślnie NN=60)",
    "/P       - przed zakończeniem pracy programu należy wcisnąć Enter",
    "           co niekiedy przyspiesza proces wydruku",
    "/ST      - wersja bez wyświetlania komunikatów",
    "/DR=\"nnn\"- wydruk na drukarę o nazwie nnn, np. /DR=Faks",
    "           Uwaga: musi wystąpić jako ostatni parametr",
};

}  // namespace prynda
