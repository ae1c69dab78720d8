#!/usr/bin/env python3
"""Writes the sample printouts in this folder, byte for byte as a DOS program would.

Run it from anywhere: python3 examples/generate.py. The files are committed, so nobody needs to.
"""
import math
import os
import shutil
import subprocess
import zlib

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


# --- Samples for FX mode (Epson ESC/P): print them with /FX -------------------------------------

LF = b"\n"
SI = b"\x0f"
DC2 = b"\x12"


def fx_invoice():
    """An invoice as a DOS program writes it for an Epson printer: a form of 36 lines (ESC C, six
    inches), an ESC W title, ESC E headings, a 136-column table in DOS frames at condensed pitch
    (SI ... DC2) and an underlined total. There is no form feed: the next form begins by itself,
    as it does on fanfold paper."""
    widths = (4, 9, 36, 11, 8, 5, 11, 12, 5, 10, 13)  # 124 columns and 12 frame lines: 136
    heads = ("Lp.", "Indeks", "Nazwa towaru lub usługi", "PKWiU", "Ilość", "J.m.", "Cena netto",
             "Wart. netto", "VAT", "Kwota VAT", "Wart. brutto")
    goods = [("MK-650", "Mąka pszenna typ 650, worek 25 kg", "10.61.21.0", 10, "szt", 53.75, 5),
             ("DR-500", "Drożdże piekarskie świeże, 0,5 kg", "10.89.13.0", 40, "szt", 6.40, 5),
             ("CU-BIA", "Cukier biały kryształ, 1 kg", "10.81.12.0", 100, "kg", 4.35, 5),
             ("SL-JOD", "Sól kamienna jodowana, 1 kg", "08.93.10.0", 25, "kg", 1.90, 5),
             ("ZS-LUS", "Ziarno słonecznika łuskane", "10.41.11.0", 15, "kg", 11.60, 5),
             ("SZ-500", "Szpatułka piekarska nierdzewna", "25.71.11.0", 4, "szt", 18.90, 23),
             ("FO-ALU", "Forma aluminiowa do chleba 30 cm", "25.99.12.0", 12, "szt", 24.50, 23),
             ("WO-PAP", "Woreczki papierowe na pieczywo", "17.22.11.0", 6, "op", 38.00, 23)]

    def money(value):
        return f"{value:,.2f}".replace(",", " ").replace(".", ",")

    def row(cells):
        out = []
        for i, (cell, width) in enumerate(zip(cells, widths)):
            text = str(cell)
            out.append((" " + text.ljust(width - 1)) if i in (1, 2, 3, 5) else (text.rjust(width - 1) + " "))
        return "│" + "│".join(out) + "│"

    def rule(left, mid, right):
        return left + mid.join("─" * w for w in widths) + right

    net_total = vat_total = 0.0
    lines = []
    for i, (index, name, code, qty, unit, price, vat) in enumerate(goods, 1):
        net = qty * price
        tax = round(net * vat / 100, 2)
        net_total += net
        vat_total += tax
        lines.append(row((i, index, name, code, qty, unit, money(price), money(net), f"{vat}%", money(tax),
                          money(net + tax))))

    out = ESC + b"@" + ESC + b"C" + bytes([36])
    out += ESC + b"W1" + cp852("FAKTURA VAT nr 128/2026") + ESC + b"W0" + CRLF + CRLF
    out += ESC + b"E" + cp852("Sprzedawca:") + ESC + b"F" + cp852(" " * 28) + ESC + b"E" + cp852("Nabywca:") + ESC + b"F" + CRLF
    for seller, buyer in (("Hurtownia \"Żuraw\" Sp. z o.o.", "Piekarnia Łęcka s.c."),
                          ("ul. Świętokrzyska 14, 00-050 Warszawa", "ul. Źródlana 3, 99-100 Łęczyca"),
                          ("NIP 526-000-12-46", "NIP 775-123-45-67")):
        out += cp852(seller.ljust(40) + buyer) + CRLF
    out += CRLF + cp852("Data wystawienia: 2026-12-09     Termin zapłaty: 14 dni     Zapłata: przelew") + CRLF + CRLF
    out += SI + cp852(rule("┌", "┬", "┐")) + CRLF
    out += cp852("│") + ESC + b"E" + cp852("│".join(h.center(w) for h, w in zip(heads, widths))) + ESC + b"F" + cp852("│") + CRLF
    out += cp852(rule("├", "┼", "┤")) + CRLF
    out += CRLF.join(cp852(line) for line in lines) + CRLF
    out += cp852(rule("└", "┴", "┘")) + DC2 + CRLF + CRLF
    for label, value in (("Razem netto:", net_total), ("Podatek VAT:", vat_total)):
        out += cp852(" " * 44 + label.ljust(16) + money(value).rjust(12) + " zł") + CRLF
    out += cp852(" " * 44) + ESC + b"E" + ESC + b"-1" + cp852("Do zapłaty:".ljust(16) + money(net_total + vat_total).rjust(12) + " zł")
    out += ESC + b"-0" + ESC + b"F" + CRLF + CRLF
    out += cp852("Uwagi: towar odebrano bez zastrzeżeń.") + CRLF * 3
    out += cp852("     ......................               ......................") + CRLF
    out += cp852("     podpis osoby upoważnionej            podpis osoby upoważnionej") + CRLF
    out += cp852("     do wystawienia faktury               do odbioru faktury") + CRLF * 3
    out += ESC + b"E" + cp852("Warunki dostawy i reklamacji") + ESC + b"F" + CRLF + CRLF
    for line in ("1. Dostawa transportem własnym sprzedawcy, rozładunek po stronie nabywcy.",
                 "2. Reklamacje ilościowe przyjmujemy w dniu dostawy, jakościowe w ciągu 7 dni.",
                 "3. Do dnia zapłaty towar pozostaje własnością sprzedawcy.",
                 "4. Za opóźnienie w zapłacie naliczamy odsetki ustawowe."):
        out += cp852(line) + CRLF
    out += b"\x0c"
    write("faktura-fx.txt", out)


def lf_listing():
    """A weighing scale's listing: LF-only line ends, as instruments, CP/M and Amstrad machines
    write them, columns at the printer's tab stops, a form feed before the summary page. On the
    printer a line feed also returns the carriage: print it with /FX, or with /LF in our own
    dialect."""
    out = cp852("WAGA PLATFORMOWA WP-3000   nr fabr. 004711") + LF
    out += cp852("Wykaz ważeń z dnia 2026-12-09, zmiana I") + LF + LF
    out += cp852("Nr\tGodzina\tPojazd\t\tBrutto kg\tTara kg\tNetto kg\tOperator") + LF
    out += cp852("-" * 78) + LF
    plates = ("WA 4417K", "EL 93210", "WZ 0212S", "LLU 7781", "WPI 55A1", "EZG 1203")
    total = 0
    for i in range(48):
        gross = 14200 + (i * 1733) % 9100
        tare = 8100 + (i * 311) % 700
        total += gross - tare
        hour, minute = 6 + i // 6, (i * 10) % 60
        out += cp852(f"{i + 1:3d}\t{hour:02d}:{minute:02d}\t{plates[i % len(plates)]}\t{gross:9d}\t"
                     f"{tare:7d}\t{gross - tare:8d}\t{'Ł. Żak' if i % 2 else 'J. Ćwik'}") + LF
    out += cp852("-" * 78) + LF
    out += cp852(f"Razem netto:\t\t\t\t\t\t{total:8d} kg") + LF
    out += b"\x0c"
    out += cp852("PODSUMOWANIE ZMIANY I") + LF + LF
    out += cp852("Liczba ważeń:\t48") + LF
    out += cp852(f"Masa netto:\t{total} kg") + LF
    out += cp852("Legalizacja wagi ważna do 2027-06-30.") + LF
    write("wykaz-lf.txt", out)


def fx_order():
    """An order form for FX mode: a logo sent as a bit image (the text after it moves right by
    its width), margins in columns (ESC l, ESC Q) with a line
    that runs past the right margin onto the next, tab stops set by ESC D, absolute and relative
    positions (ESC $, ESC \\) and fine feeds (ESC J)."""
    def at(sixtieths):
        return ESC + b"$" + bytes([sixtieths % 256, sixtieths // 256])

    logo_columns = 96
    logo = bytes((0x3C if 24 <= c < 72 else 0x81) if c % 12 else 0xFF for c in range(logo_columns))
    out = ESC + b"@" + ESC + b"3" + bytes([24])
    out += ESC + b"*" + bytes([1, logo_columns, 0]) + logo + cp852("  ") + ESC + b"E"
    out += cp852("PIEKARNIA ŁĘCKA s.c.") + ESC + b"F" + CRLF
    out += ESC + b"*" + bytes([1, logo_columns, 0]) + logo + cp852("  ul. Źródlana 3, 99-100 Łęczyca") + CRLF
    out += ESC + b"2" + CRLF
    out += ESC + b"l" + bytes([6]) + ESC + b"Q" + bytes([74])
    out += ESC + b"E" + cp852("ZAMÓWIENIE nr 45/2026") + ESC + b"F" + CRLF + CRLF
    out += cp852("Zamawiamy u Państwa dostawę poniższych towarów w terminie do 2026-12-18, transportem "
                 "sprzedawcy, na adres piekarni.") + CRLF + CRLF
    out += ESC + b"D" + bytes([6, 34, 46, 58, 0])
    out += ESC + b"-1" + cp852("Lp.\tTowar\tIlość\tJ.m.\tCena") + ESC + b"-0" + CRLF
    for i, (name, qty, unit, price) in enumerate((("Mąka żytnia typ 720", 40, "worek", "61,20"),
                                                  ("Kminek cały", 5, "kg", "28,40"),
                                                  ("Ziarno sezamu", 12, "kg", "17,90"),
                                                  ("Papier do pieczenia", 20, "rolka", "9,75")), 1):
        out += cp852(f"{i:2d}.\t{name}\t{qty:5d}\t{unit}\t{price:>8}") + CRLF
    out += CRLF + cp852("Osoba do kontaktu:") + ESC + b"\\" + bytes([120, 0]) + cp852("Grażyna Łęcka, tel. 44 721 00 00") + CRLF
    out += ESC + b"J" + bytes([72])
    out += cp852("Data:") + at(60) + cp852("2026-12-09") + at(240) + cp852("Podpis:") + CRLF
    out += ESC + b"J" + bytes([36]) + at(240) + cp852("......................") + CRLF
    write("zamowienie-fx.txt", out)


def bakery_logo():
    """A round bakery logo, an ear of wheat in a ring: 120 x 72 dots, one inch square at 120 dots
    an inch across and 72 down (ESC * 1 on a 9-pin printer), as 9 bands of eight-dot columns."""
    def inked(x, y):
        r = math.hypot(x, y)
        if 0.42 <= r <= 0.48:
            return True
        if abs(x) < 0.014 and -0.30 < y < 0.36:
            return True
        grains = [(0.0, -0.33, 0.0)] + [(side * 0.075, -0.24 + k * 0.11, side) for k in range(5) for side in (-1, 1)]
        for gx, gy, side in grains:
            angle = math.radians(35) * side
            u = (x - gx) * math.cos(angle) + (y - gy) * math.sin(angle)
            v = -(x - gx) * math.sin(angle) + (y - gy) * math.cos(angle)
            if (u / 0.032) ** 2 + (v / 0.07) ** 2 <= 1:
                return True
        return False

    bands = []
    for band in range(9):
        columns = bytearray()
        for c in range(120):
            byte = 0
            for bit in range(8):
                if inked((c + 0.5) / 120 - 0.5, (band * 8 + bit + 0.5) / 72 - 0.5):
                    byte |= 0x80 >> bit
            columns.append(byte)
        bands.append(ESC + b"*" + bytes([1, 120, 0]) + bytes(columns))
    return bands


def logo_invoice():
    """An invoice whose header has the seller's logo as a bit image, the header text beside it:
    nine bands fed 24/216 inch apart (ESC 3 24) so that they meet edge to edge."""
    text = {2: ESC + b"E" + ESC + b"W1" + cp852("PIEKARNIA ŁĘCKA") + ESC + b"W0" + ESC + b"F",
            4: cp852("ul. Źródlana 3, 99-100 Łęczyca"),
            6: cp852("NIP 775-123-45-67   tel. 44 721 00 00")}
    out = ESC + b"@" + ESC + b"3" + bytes([24])
    for band, image in enumerate(bakery_logo()):
        out += image + (ESC + b"$" + bytes([84, 0]) + text[band] if band in text else b"") + CRLF
    out += ESC + b"2" + CRLF
    out += ESC + b"E" + cp852("FAKTURA nr 128/2026") + ESC + b"F" + cp852("          Łęczyca, 2026-12-09") + CRLF + CRLF
    out += cp852("Nabywca: Sklep spożywczy \"Pod Lipą\", ul. Ogrodowa 7, 99-100 Łęczyca") + CRLF + CRLF
    for line in framed(78, ["Lp. Towar                          Ilość  J.m.      Cena     Wartość", None,
                            " 1. Chleb żytni na zakwasie          40  szt.      6,50      260,00",
                            " 2. Bułka kajzerka                  200  szt.      0,85      170,00",
                            " 3. Rogal świętomarciński            30  szt.      9,90      297,00",
                            None, "                                            Razem brutto:  727,00 zł"],
                       top="┌─┐", mid="│ │", sep="├─┤", bottom="└─┘"):
        out += cp852(line) + CRLF
    out += FF
    write("logo-fx.txt", out)


def cp850(text):
    """Text in code page 850, the multilingual DOS table of German programs: letters, box-drawing
    characters and blocks alike."""
    return text.encode("cp850")


def german_invoice():
    """A German invoice in Epson ESC/P and code page 850 (print it with /FX /CP=850): umlauts, ß
    and §, a logo made of blocks, the table's heading on a band of light shade (░) overprinted in
    bold after a carriage return, the total on a darker band (▒), and a chart of ▓ bars."""
    logo = ["█▄ ▄█ █▀▀▀▀",
            "█ ▀ █ ▀▀▀▀█",
            "█   █ ▀▀▀▀▀"]
    beside = [ESC + b"E" + ESC + b"W1" + cp850("Müller & Söhne") + ESC + b"W0" + ESC + b"F",
              cp850("Büromöbel · Großhandel seit 1952"),
              cp850("Königstraße 12 · 70173 Stuttgart")]
    out = ESC + b"@" + ESC + b"l" + bytes([2])
    for shape, text in zip(logo, beside):
        out += cp850(shape) + b"  " + text + CRLF
    out += CRLF + cp850("Bäckerei Groß GmbH") + CRLF + cp850("Hauptstraße 5") + CRLF
    out += cp850("80331 München") + cp850(" " * 38 + "Stuttgart, 08.12.2026") + CRLF + CRLF
    out += ESC + b"E" + cp850("RECHNUNG Nr. 2026-0815") + ESC + b"F" + CRLF + CRLF

    widths = (5, 34, 7, 12, 12)
    heads = ("Pos", "Artikel", "Menge", "Einzelpreis", "Gesamtpreis")
    goods = [("Bürodrehstuhl Ergo-Plus", 4, 189.00),
             ("Schreibtisch, Höhe 72 cm", 2, 349.50),
             ("Rollcontainer, abschließbar", 2, 129.90),
             ("Aktenschrank, 5 Ordnerhöhen", 1, 418.00),
             ("Schreibtischleuchte, dimmbar", 3, 54.90)]

    def euro(value):
        return f"{value:,.2f}".replace(",", "X").replace(".", ",").replace("X", ".")

    def rule(left, mid, right):
        return cp850(left + mid.join("─" * w for w in widths) + right) + CRLF

    def row(cells):
        text = "│"
        for i, (cell, width) in enumerate(zip(cells, widths)):
            text += (" " + cell.ljust(width - 1)) if i == 1 else (cell.rjust(width - 1) + " ")
            text += "│"
        return cp850(text)

    out += rule("┌", "┬", "┐")
    # The heading: a band of light shade first, then the words in bold over it.
    out += cp850("│" + "│".join("░" * w for w in widths) + "│") + b"\r"
    out += ESC + b"E" + row(heads) + ESC + b"F" + CRLF
    out += rule("├", "┼", "┤")
    net = 0.0
    for pos, (name, qty, price) in enumerate(goods, 1):
        net += qty * price
        out += row((f"{pos}", name, f"{qty}", euro(price), euro(qty * price))) + CRLF
    out += rule("└", "┴", "┘")
    vat = round(net * 0.19, 2)
    total_width = sum(widths) + len(widths) + 1
    for label, value in (("Nettobetrag", net), ("zzgl. 19 % MwSt.", vat)):
        out += cp850(f"{label:>{total_width - 16}}{euro(value):>14} EUR") + CRLF
    out += cp850(" " * 44 + "▒" * 34) + b"\r" + ESC + b"E"
    out += cp850(f"{'Rechnungsbetrag':>{total_width - 16}}{euro(net + vat):>14} EUR") + ESC + b"F" + CRLF + CRLF

    out += cp850("Ihre Bestellungen 2026 (in Tausend EUR):") + CRLF
    for quarter, value in (("I", 11.2), ("II", 15.0), ("III", 8.6), ("IV", 12.9)):
        bar = round(value * 2)
        out += cp850(f"  Quartal {quarter:<4}" + "▓" * bar + "░" * (32 - bar) + f" {value:5.1f}".replace(".", ",")) + CRLF
    out += CRLF
    out += cp850("Zahlbar innerhalb von 14 Tagen ohne Abzug. Es gelten unsere Lieferbedingungen") + CRLF
    out += cp850("(§ 3 Lieferung frei Haus, § 7 Gewährleistung 24 Monate).") + CRLF + CRLF
    out += cp850("Mit freundlichen Grüßen") + CRLF + CRLF
    out += cp850("USt-IdNr. DE 123456789 · IBAN DE12 6005 0101 0001 2345 67") + CRLF
    out += FF
    write("rechnung-fx.txt", out)


def fanfold_card():
    """A stock card on 12-inch fanfold stationery: 72 lines a form in Epson ESC/P, the last line at
    the form's foot, no form feed (the program counts lines, as such programs do). On A4 it needs
    FormLength=72 and /FIT to come out whole."""
    rows = []
    stock = 500
    for i in range(56):
        received = 40 if i % 3 == 0 else 0
        issued = 0 if received else 5 + i % 7
        stock += received - issued
        document = f"{'PZ' if received else 'WZ'} {100 + i}/11"
        rows.append(f"{2 + i // 2:02d}.11.2026  {document:<12} {received:>8} {issued:>8} {stock:>8}")
    lines = framed(64, ["KARTA MAGAZYNOWA nr 17                   Hurtownia \"Żuraw\"",
                        "Towar: mąka pszenna typ 650, worek 25 kg       Jedn.: szt.", None,
                        "Data        Dokument     Przychód   Rozchód     Stan", None] + rows,
                   top="┌─┐", mid="│ │", sep="├─┤", bottom="└─┘")
    lines += ["", "", "", "", "", "", "", ""]
    lines += [f"Strona 1 z 1{' ' * 40}wydruk 2026-12-09"]
    assert len(lines) == 72, len(lines)
    out = ESC + b"@" + b"".join(cp852(line) + CRLF for line in lines)
    write("karta-72.txt", out)



# The letterhead: a PDF written here byte by byte. Its text is in the base fonts every PDF reader
# has (Helvetica), the Polish letters at their Windows-1250 codes named by /Differences. It is laid
# out on the grid of a job printed on "Prynda PDF" in Prynda's own dialect: the printable area
# starts 12 pt in from the sheet's top-left corner, a column is 7.2 pt (10 cpi), a line 12 pt.
A4 = (595.276, 841.89)
POLISH = {"ą": "aogonek", "ć": "cacute", "ę": "eogonek", "ł": "lslash", "ń": "nacute", "ś": "sacute",
          "ź": "zacute", "ż": "zdotaccent", "Ą": "Aogonek", "Ć": "Cacute", "Ę": "Eogonek", "Ł": "Lslash",
          "Ń": "Nacute", "Ś": "Sacute", "Ź": "Zacute", "Ż": "Zdotaccent"}


def col(c):
    """The left edge of column c (from 1), points from the sheet's left edge."""
    return 12 + (c - 1) * 7.2


def line_top(n):
    """The top of line n (from 1), in PDF points from the sheet's bottom edge."""
    return A4[1] - 12 - (n - 1) * 12


def pdf_text(text):
    """A PDF string of `text` in Windows-1250, as the letterhead's fonts encode it."""
    raw = text.encode("cp1250")
    return b"(" + raw.replace(b"\\", b"\\\\").replace(b"(", b"\\(").replace(b")", b"\\)") + b")"


class Page:
    """One page's drawing operators."""

    def __init__(self):
        self.ops = []

    def text(self, x, y, text, size=9, font="F1", grey=0.0):
        self.ops.append(b"BT /%s %g Tf %g g %.2f %.2f Td %s Tj ET 0 g" % (font.encode(), size, grey, x, y, pdf_text(text)))

    def label(self, c, n, text, size=6.5):
        """A small label in the top-left corner of the box whose cell (c, n) is the first."""
        self.text(col(c) - 0.5, line_top(n) + 2, text, size, grey=0.35)

    def box(self, c1, n1, c2, n2, width=0.6, fill=None, room=8):
        """A frame around columns c1..c2 of lines n1..n2, `room` points above their cells for a
        label, 2 points around them elsewhere."""
        x, y = col(c1) - 2, line_top(n2) - 14
        w, h = col(c2 + 1) - col(c1) + 4, line_top(n1) + room - y
        if fill is not None:
            self.ops.append(b"%g g %.2f %.2f %.2f %.2f re f 0 g" % (fill, x, y, w, h))
        self.ops.append(b"%g w %.2f %.2f %.2f %.2f re S" % (width, x, y, w, h))

    def rule(self, x1, y, x2, width=0.6, rgb=(0, 0, 0)):
        self.ops.append(b"%g %g %g RG %g w %.2f %.2f m %.2f %.2f l S 0 G" % (*rgb, width, x1, y, x2, y))

    def fill(self, x, y, w, h, rgb):
        self.ops.append(b"%g %g %g rg %.2f %.2f %.2f %.2f re f 0 g" % (*rgb, x, y, w, h))

    def content(self):
        return b"\n".join(self.ops) + b"\n"


def write_pdf(name, pages):
    """Pages of A4 sharing two fonts (F1 Helvetica, F2 Helvetica-Bold), their streams compressed."""
    encoding = b"<</Type/Encoding/BaseEncoding/WinAnsiEncoding/Differences[" + b" ".join(
        b"%d/%s" % (letter.encode("cp1250")[0], glyph.encode()) for letter, glyph in POLISH.items()) + b"]>>"
    objects = [None, None, encoding]  # 1 catalog, 2 pages, 3 encoding
    fonts = []
    for base in (b"Helvetica", b"Helvetica-Bold"):
        objects.append(b"<</Type/Font/Subtype/Type1/BaseFont/" + base + b"/Encoding 3 0 R>>")
        fonts.append(len(objects))
    kids = []
    for page in pages:
        data = zlib.compress(page.content(), 9)
        objects.append(b"<</Length %d/Filter/FlateDecode>>stream\n" % len(data) + data + b"\nendstream")
        objects.append(b"<</Type/Page/Parent 2 0 R/Contents %d 0 R>>" % len(objects))
        kids.append(len(objects))
    objects[0] = b"<</Type/Catalog/Pages 2 0 R>>"
    objects[1] = (b"<</Type/Pages/Kids[" + b" ".join(b"%d 0 R" % k for k in kids) + b"]/Count %d" % len(kids) +
                  b"/MediaBox[0 0 595.276 841.89]/Resources<</Font<</F1 %d 0 R/F2 %d 0 R>>>>>>" % tuple(fonts))
    out = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer\n<</Size %d/Root 1 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    write(name, out)


NAVY = (0.10, 0.20, 0.42)


def letterhead_header(page, small=False):
    """The company's name, a mark and the address over a navy rule."""
    top = A4[1] - 18
    page.fill(col(1), top - 30, 30, 30, NAVY)
    page.text(col(1) + 7.5, top - 23, "Ż", 24, "F2", grey=1.0)
    page.text(col(6), top - 14, "Hurtownia „Żuraw” Sp. z o.o.", 14 if small else 18, "F2")
    page.text(col(6), top - 27, "ul. Świętokrzyska 14, 00-050 Warszawa  •  tel. 22 555 01 20  •  "
              "biuro@zuraw.example.pl", 8)
    page.rule(col(1), top - 36, col(81), 1.5, NAVY)
    page.text(col(6), top - 46, "NIP 526-000-12-46  •  REGON 012345678  •  KRS 0000123456  •  "
              "Sąd Rejonowy dla m.st. Warszawy, XII Wydział Gospodarczy", 6.5, grey=0.35)


def letterhead():
    """examples/papier-firmowy.pdf: the company's invoice paper, page 1 the invoice's boxes,
    page 2 the terms of sale (the last page: under every sheet after the first); and
    papier-firmowy.png, its first page as a picture for printers that take only pictures."""
    first = Page()
    letterhead_header(first)
    first.text(col(2), line_top(7) - 9.5, "FAKTURA VAT nr", 11, "F2")
    first.box(18, 7, 34, 7)
    first.label(44, 7, "Data wystawienia")
    first.box(44, 7, 60, 7)
    first.label(63, 7, "Data sprzedaży")
    first.box(63, 7, 79, 7)
    first.box(2, 10, 38, 14, fill=0.95)
    first.label(2, 10, "Sprzedawca")
    for n, text in enumerate(("Hurtownia „Żuraw” Sp. z o.o.", "ul. Świętokrzyska 14", "00-050 Warszawa",
                              "NIP 526-000-12-46"), 11):
        first.text(col(4), line_top(n) - 9.5, text, 9)
    first.label(42, 10, "Nabywca")
    first.box(42, 10, 79, 14)
    # The table: its head pre-printed, a ruled row for each of its 12 lines.
    heads = ((2, 5, "Lp."), (6, 37, "Nazwa towaru lub usługi"), (38, 45, "Ilość"), (46, 50, "J.m."),
             (51, 60, "Cena netto"), (61, 71, "Wartość netto"), (72, 79, "VAT"))
    first.fill(col(2) - 2, line_top(18), col(80) - col(2) + 4, 14, (0.85, 0.85, 0.85))
    for c1, c2, text in heads:
        first.text(col(c1), line_top(17) - 9, text, 7.5, "F2")
    first.box(2, 17, 79, 29, room=2)
    first.rule(col(2) - 2, line_top(18), col(80) + 2, 0.6)
    for c1, _, _ in heads[1:]:
        first.ops.append(b"0.6 w %.2f %.2f m %.2f %.2f l S" % (col(c1) - 1, line_top(17) + 2, col(c1) - 1, line_top(29) - 14))
    for n in range(19, 30):
        first.rule(col(2) - 2, line_top(n) + 0.5, col(80) + 2, 0.3, (0.6, 0.6, 0.6))
    for n, text in ((32, "Razem netto"), (33, "VAT"), (35, "Do zapłaty")):
        first.text(col(50), line_top(n) - 9.5, text, 9, "F2" if n == 35 else "F1")
    first.box(64, 32, 79, 33, room=2)
    first.box(64, 35, 79, 35, width=1.5, room=2)
    first.label(2, 37, "Słownie")
    first.box(2, 37, 79, 37)
    first.label(2, 40, "Forma płatności")
    first.box(2, 40, 38, 40)
    first.label(42, 40, "Termin płatności")
    first.box(42, 40, 79, 40)
    first.text(col(2), line_top(43) - 9.5, "Konto: PKO BP 12 1020 1026 0000 1202 0345 6789", 9)
    for c1, c2, text in ((4, 34, "podpis osoby upoważnionej do wystawienia faktury"),
                         (46, 76, "podpis osoby upoważnionej do odbioru faktury")):
        first.rule(col(c1), line_top(53), col(c2 + 1), 0.5)
        first.text(col(c1), line_top(53) - 9, text, 6.5, grey=0.35)
    first.rule(col(1), line_top(66) + 4, col(81), 0.5, NAVY)
    first.text(col(1), line_top(66) - 6, "Ogólne warunki sprzedaży – na następnej stronie. Dziękujemy "
               "za zakupy w Hurtowni „Żuraw”.", 7, grey=0.35)

    terms = Page()
    letterhead_header(terms, small=True)
    terms.label(2, 7, "Do faktury nr")
    terms.box(2, 7, 30, 7)
    terms.text(col(2), line_top(10) - 9.5, "Ogólne warunki sprzedaży", 13, "F2")
    clauses = (
        "Towar pozostaje własnością Hurtowni „Żuraw” do dnia zapłaty całej ceny.",
        "Termin płatności liczy się od dnia wystawienia faktury; po jego upływie naliczamy odsetki ustawowe.",
        "Reklamacje ilościowe przyjmujemy przy odbiorze towaru, jakościowe w ciągu 7 dni od dostawy.",
        "Towar wydajemy po okazaniu zamówienia lub upoważnienia do odbioru.",
        "Dostawa na koszt sprzedawcy przy zamówieniu powyżej 1000 zł netto w granicach Warszawy.",
        "Opakowania zwrotne (skrzynki, palety) rozliczamy przy następnej dostawie.",
        "Spory rozstrzyga sąd właściwy dla siedziby sprzedawcy.",
    )
    for i, clause in enumerate(clauses):
        terms.text(col(2), line_top(12 + 2 * i) - 9.5, f"{i + 1}.", 9, "F2")
        terms.text(col(5), line_top(12 + 2 * i) - 9.5, clause, 9)
    terms.rule(col(1), line_top(66) + 4, col(81), 0.5, NAVY)
    terms.text(col(1), line_top(66) - 6, "Hurtownia „Żuraw” Sp. z o.o., kapitał zakładowy 50 000 zł.", 7, grey=0.35)
    write_pdf("papier-firmowy.pdf", [first, terms])
    # The picture, where poppler-utils are installed to draw it.
    if shutil.which("pdftoppm"):
        subprocess.run(["pdftoppm", "-png", "-r", "150", "-f", "1", "-l", "1", "-singlefile",
                        os.path.join(HERE, "papier-firmowy.pdf"), os.path.join(HERE, "papier-firmowy")], check=True)


def invoice_on_letterhead():
    """examples/faktura-papier.txt: an invoice as a DOS program prints it on the company's invoice
    paper - only what goes in the boxes, at the lines and columns of papier-firmowy.pdf - and on a
    second sheet the invoice's number in the box of the terms page."""
    lines = [""] * 60

    def put(n, c, text):
        row = lines[n - 1].ljust(c - 1)
        lines[n - 1] = row[:c - 1] + text + row[c - 1 + len(text):]

    put(7, 19, "128/2026")
    put(7, 45, "2026-12-09")
    put(7, 64, "2026-12-09")
    for n, text in enumerate(("Piekarnia Łęcka s.c.", "ul. Źródlana 3", "99-100 Łęczyca", "NIP 775-123-45-67"), 11):
        put(n, 44, text)
    rows = (("1", "Mąka żytnia typ 720", "120", "kg", "2,40", "288,00", "5%"),
            ("2", "Mąka pszenna typ 650", "300", "kg", "2,15", "645,00", "5%"),
            ("3", "Drożdże świeże", "25", "kg", "12,80", "320,00", "5%"),
            ("4", "Kminek cały", "5", "kg", "28,50", "142,50", "5%"),
            ("5", "Papier do pieczenia 50 m", "10", "szt.", "18,90", "189,00", "23%"))
    for i, (lp, name, qty, unit, price, value, vat) in enumerate(rows):
        n = 18 + i
        put(n, 2, lp.rjust(3) + ".")
        put(n, 7, name)
        put(n, 38, qty.rjust(7))
        put(n, 47, unit)
        put(n, 51, price.rjust(9))
        put(n, 61, value.rjust(10))
        put(n, 73, vat)
    put(32, 64, "1584,50".rjust(15))
    put(33, 64, "113,18".rjust(15))
    put(35, 64, "1697,68 zł".rjust(15))
    put(37, 4, "jeden tysiąc sześćset dziewięćdziesiąt siedem zł 68/100")
    put(40, 4, "przelew")
    put(40, 44, "14 dni, do 2026-12-23")
    while lines and not lines[-1]:
        lines.pop()
    out = b"".join(cp852(line) + CRLF for line in lines) + FF
    out += CRLF * 6 + cp852("   128/2026") + CRLF
    write("faktura-papier.txt", out)


if __name__ == "__main__":
    invoice()
    wide_report()
    mazovia_letter()
    landscape()
    positions()
    fx_invoice()
    lf_listing()
    fx_order()
    logo_invoice()
    fanfold_card()
    german_invoice()
    letterhead()
    invoice_on_letterhead()
