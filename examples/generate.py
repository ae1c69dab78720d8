#!/usr/bin/env python3
"""Writes the sample printouts in this folder, byte for byte as a DOS program would.

Run it from anywhere: python3 examples/generate.py. The files are committed, so nobody needs to.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ESC = b"\x1b"
FF = b"\x0c"
CRLF = b"\r\n"


def prefix(letter):
    """The two-byte command of this printer language: 0xFA and a letter."""
    return b"\xfa" + letter.encode("ascii")


def cp852(text):
    """Letters in CP852; box-drawing characters by the DOS line-drawing layout (that of CP437),
    which the printer draws whatever the letters' encoding is."""
    out = bytearray()
    for ch in text:
        if "\u2500" <= ch <= "\u257f":
            out += ch.encode("cp437")
        else:
            out += ch.encode("cp852")
    return bytes(out)


def framed(width, rows, top="╔═╗", mid="║ ║", sep="╟─╢", bottom="╚═╝"):
    """Lines of a box `width` columns wide; None in rows draws a separator."""
    out = [top[0] + top[1] * (width - 2) + top[2]]
    for row in rows:
        if row is None:
            out.append(sep[0] + sep[1] * (width - 2) + sep[2])
        else:
            out.append(mid[0] + " " + row.ljust(width - 4) + " " + mid[2])
    out.append(bottom[0] + bottom[1] * (width - 2) + bottom[2])
    return out


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def invoice():
    head = framed(78, [
        "FAKTURA VAT nr 127/2026                                         Oryginał",
        None,
        "Sprzedawca:                          Nabywca:",
        "Hurtownia \"Żuraw\" Sp. z o.o.         Piekarnia Łęcka s.c.",
        "ul. Świętokrzyska 14                 ul. Źródlana 3",
        "00-050 Warszawa                      99-100 Łęczyca",
        "NIP 526-000-12-46                    NIP 775-123-45-67",
    ])
    rows = [
        ("1", "Mąka pszenna typ 650", "250", "kg", "2,15", "537,50"),
        ("2", "Drożdże świeże", "40", "kg", "12,80", "512,00"),
        ("3", "Cukier biały", "100", "kg", "4,35", "435,00"),
        ("4", "Sól kamienna jodowana", "25", "kg", "1,90", "47,50"),
        ("5", "Ziarno słonecznika łuskane", "15", "kg", "11,60", "174,00"),
    ]
    widths = (4, 32, 8, 6, 10, 12)

    def table_line(cells):
        return "│" + "│".join(c.rjust(w - 1) + " " if i != 1 else " " + c.ljust(w - 1)
                               for i, (c, w) in enumerate(zip(cells, widths))) + "│"

    def rule(left, mid, right):
        return left + mid.join("─" * w for w in widths) + right

    data = b""
    data += CRLF.join(cp852(line) for line in head) + CRLF + CRLF
    data += cp852("Data wystawienia: 2026-12-08        Termin zapłaty: 14 dni") + CRLF + CRLF
    data += cp852(rule("┌", "┬", "┐")) + CRLF
    data += cp852("│") + prefix("G")
    data += cp852("│".join(h.center(w) for h, w in zip(("Lp.", "Nazwa towaru", "Ilość", "J.m.", "Cena", "Wartość"), widths)))
    data += prefix("g") + cp852("│") + CRLF
    data += cp852(rule("├", "┼", "┤")) + CRLF
    for row in rows:
        data += cp852(table_line(row)) + CRLF
    data += cp852(rule("└", "┴", "┘")) + CRLF
    for label, value in (("Razem netto:", "1706,00"), ("VAT 5%:", "85,30")):
        data += cp852(" " * 46 + label.ljust(14) + value.rjust(12)) + CRLF
    data += cp852(" " * 46) + prefix("G") + prefix("U") + cp852("Do zapłaty:".ljust(14) + "1791,30".rjust(12))
    data += prefix("u") + prefix("g") + CRLF + CRLF
    data += cp852("Słownie: jeden tysiąc siedemset dziewięćdziesiąt jeden zł 30/100") + CRLF + CRLF
    data += b"\t" + cp852("Uwagi:") + b"\t" + cp852("towar odebrano bez zastrzeżeń.") + CRLF
    data += FF
    data += cp852("FAKTURA VAT nr 127/2026 - strona 2") + CRLF + CRLF
    data += cp852("Warunki dostawy: transport własny sprzedawcy, rozładunek po stronie nabywcy.") + CRLF
    data += cp852("Reklamacje ilościowe przyjmujemy w dniu dostawy, jakościowe w ciągu 7 dni.") + CRLF
    data += CRLF * 3
    data += cp852("     ......................               ......................") + CRLF
    data += cp852("     podpis osoby upoważnionej            podpis osoby upoważnionej") + CRLF
    data += cp852("     do wystawienia faktury               do odbioru faktury") + CRLF
    write("faktura.txt", data)


def wide_report():
    """A 130-column stock list at 17.125 characters per inch."""
    columns = ("Indeks", "Nazwa towaru", "Magazyn", "Stan pocz.", "Przychód", "Rozchód", "Stan końc.",
               "Cena", "Wartość")
    widths = (10, 34, 10, 11, 11, 11, 11, 12, 14)
    goods = ["Mąka żytnia", "Kasza gryczana", "Olej rzepakowy", "Ćwikła z chrzanem", "Śledzie w oleju",
             "Żurek w butelce", "Łosoś wędzony", "Źródlana woda", "Ogórki kiszone", "Pieczarki",
             "Miód wielokwiatowy", "Dżem śliwkowy"]
    out = prefix("5") + cp852("ZESTAWIENIE OBROTÓW MAGAZYNOWYCH - GRUDZIEŃ 2026".center(128)) + CRLF + CRLF
    out += cp852("┌" + "┬".join("─" * w for w in widths) + "┐") + CRLF
    out += cp852("│" + "│".join(c.center(w) for c, w in zip(columns, widths)) + "│") + CRLF
    out += cp852("├" + "┼".join("─" * w for w in widths) + "┤") + CRLF
    for i, name in enumerate(goods):
        start = 100 + 37 * i
        inflow = 40 + 11 * i
        outflow = 30 + 7 * i
        price = 3.5 + 1.25 * i
        end = start + inflow - outflow
        cells = (f"T{1000 + i:05d}", name, "MG-01", str(start), str(inflow), str(outflow), str(end),
                 f"{price:.2f}".replace(".", ","), f"{end * price:.2f}".replace(".", ","))
        line = "│" + "│".join((" " + c.ljust(w - 1)) if j in (0, 1, 2) else (c.rjust(w - 1) + " ")
                              for j, (c, w) in enumerate(zip(cells, widths))) + "│"
        out += cp852(line) + CRLF
    out += cp852("└" + "┴".join("─" * w for w in widths) + "┘") + CRLF
    out += prefix("3") + CRLF + cp852("Sporządził: Jan Łęcki") + CRLF
    write("raport.txt", out)


def mazovia_letter():
    """A letter written by a program that uses the Mazovia encoding: print it with MAZ."""
    mazovia = {"ą": 134, "ć": 141, "ę": 145, "ł": 146, "ń": 164, "ó": 162, "ś": 158, "ż": 167, "ź": 166,
               "Ą": 143, "Ć": 149, "Ę": 144, "Ł": 156, "Ń": 165, "Ó": 163, "Ś": 152, "Ż": 161, "Ź": 160}

    def maz(text):
        return bytes(mazovia.get(ch, None) or ord(ch) for ch in text)

    lines = [
        "                                            Łódź, 8 grudnia 2026 r.",
        "",
        "Szanowna Pani",
        "Małgorzata Źrebięcka",
        "ul. Żółkiewskiego 5",
        "90-001 Łódź",
        "",
        "",
        "      Uprzejmie informujemy, że zamówienie nr 44/2026 zostało zrealizowane.",
        "Przesyłka z towarem wyruszyła dziś i dotrze do Pani w ciągu dwóch dni",
        "roboczych. Fakturę dołączamy do przesyłki.",
        "",
        "      ZAŻÓŁĆ GĘŚLĄ JAŹŃ - zażółć gęślą jaźń.",
        "",
        "",
        "                                            Z poważaniem",
        "                                            Ćwiek i Syn Sp. j.",
    ]
    out = maz(lines[0]) + CRLF
    out += CRLF.join(maz(line) for line in lines[1:]) + CRLF
    # A Mazovia box line under the signature: in this encoding 0xC4 is a box character.
    out += b" " * 44 + b"\xc4" * 20 + CRLF
    write("list-mazowia.txt", out)


def landscape():
    """A landscape page: ESC " S as the file's first command."""
    out = ESC + b'"S'
    out += prefix("E") + cp852("HARMONOGRAM DOSTAW") + prefix("e") + CRLF + CRLF
    days = ("Poniedziałek", "Wtorek", "Środa", "Czwartek", "Piątek", "Sobota")
    out += cp852("╔" + "╤".join("═" * 16 for _ in days) + "╗") + CRLF
    out += cp852("║" + "│".join(d.center(16) for d in days) + "║") + CRLF
    out += cp852("╟" + "┼".join("─" * 16 for _ in days) + "╢") + CRLF
    for slot in ("6:00 pieczywo", "9:00 nabiał", "12:00 warzywa", "15:00 mięso"):
        out += cp852("║" + "│".join(slot.center(16) for _ in days) + "║") + CRLF
    out += cp852("╚" + "╧".join("═" * 16 for _ in days) + "╝") + CRLF
    write("poziomo.txt", out)


def positions():
    """A form filled by absolute positions (ESC $, 1/60 inch) and fine feeds (ESC J, 1/216 inch)."""
    def at(sixtieths):
        return ESC + b"$" + bytes([sixtieths % 256, sixtieths // 256])

    def feed(n216):
        return ESC + b"J" + bytes([n216])

    out = prefix("G") + cp852("PRZEKAZ POCZTOWY") + prefix("g") + CRLF + CRLF
    out += cp852("Kwota:") + at(120) + cp852("1791,30 zł") + b"\r" + feed(54)
    out += cp852("Słownie:") + at(120) + cp852("jeden tysiąc siedemset dziewięćdziesiąt jeden 30/100") + b"\r" + feed(54)
    out += cp852("Odbiorca:") + at(120) + cp852("Hurtownia \"Żuraw\" Sp. z o.o.") + b"\r" + feed(54)
    out += cp852("Adres:") + at(120) + cp852("ul. Świętokrzyska 14, 00-050 Warszawa") + b"\r" + feed(54)
    out += cp852("Nadawca:") + at(120) + cp852("Piekarnia Łęcka s.c.") + b"\r" + feed(54)
    out += feed(108) + at(300) + cp852("podpis: ........................") + b"\r\n"
    # Fine feeds of one 216th of an inch draw a thin grey-looking ladder of dots.
    for i in range(12):
        out += at(30 + 20 * i) + b"." + b"\r" + feed(3)
    out += CRLF
    write("pozycje.txt", out)


if __name__ == "__main__":
    invoice()
    wide_report()
    mazovia_letter()
    landscape()
    positions()
