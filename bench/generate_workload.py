#!/usr/bin/env python3
"""The standard benchmark workload: pages of 66 lines of exactly 80 characters, a form feed between
pages; a header line, a table framed with single box lines, one framed with double lines, and lines
of mixed ASCII and Polish words and numbers. Deterministic (fixed seed).

  generate_workload.py PAGES OUT_PREFIX

writes OUT_PREFIX.txt (CP852, CR LF: for Prynda) and OUT_PREFIX.utf8.txt (UTF-8, LF: for
text-to-PDF tools).
"""
import random
import sys

WORDS = ["faktura", "magazyn", "towar", "cena", "wartość", "ilość", "zażółć", "gęślą", "jaźń",
         "łódź", "źdźbło", "ćma", "śnieg", "pięć", "ŻÓŁW", "ĄĆĘŁŃÓŚŹŻ", "ąćęłńóśźż", "dostawa",
         "odbiorca", "netto", "brutto", "VAT", "razem", "kwota", "rabat", "Kraków", "Gdańsk", "Łęczyca"]


def page_lines(rng, number):
    lines = [f"RAPORT MAGAZYNOWY nr {number:05d}".ljust(64) + f"Strona {number:5d}".rjust(16)]
    # A table framed with single lines.
    lines.append("┌" + "─" * 10 + "┬" + "─" * 40 + "┬" + "─" * 12 + "┬" + "─" * 13 + "┐")
    for _ in range(12):
        name = " ".join(rng.choice(WORDS) for _ in range(4))[:38]
        lines.append("│" + f"{rng.randrange(100000):>9} " + "│ " + name.ljust(39) + "│"
                     + f"{rng.randrange(10000):>11} " + "│" + f"{rng.randrange(1000000) / 100:>12.2f} " + "│")
    lines.append("└" + "─" * 10 + "┴" + "─" * 40 + "┴" + "─" * 12 + "┴" + "─" * 13 + "┘")
    # A table framed with double lines.
    lines.append("╔" + "═" * 38 + "╦" + "═" * 39 + "╗")
    for _ in range(12):
        left = " ".join(rng.choice(WORDS) for _ in range(3))[:36]
        right = f"{rng.randrange(10 ** 7) / 100:>14.2f} zł"
        lines.append("║ " + left.ljust(37) + "║" + right.rjust(38) + " ║")
    lines.append("╚" + "═" * 38 + "╩" + "═" * 39 + "╝")
    while len(lines) < 66:
        words = []
        while len(" ".join(words)) < 70:
            words.append(rng.choice(WORDS) if rng.random() < 0.7 else str(rng.randrange(100000)))
        lines.append(" ".join(words)[:80])
    return [line.ljust(80)[:80] for line in lines]


def encode_cp852(text):
    out = bytearray()
    for ch in text:
        out += ch.encode("cp437") if "\u2500" <= ch <= "\u257f" else ch.encode("cp852")
    return bytes(out)


def main():
    pages = int(sys.argv[1])
    prefix = sys.argv[2]
    rng = random.Random(20261208)
    all_pages = [page_lines(rng, n + 1) for n in range(pages)]
    with open(prefix + ".txt", "wb") as raw:
        raw.write(b"\x0c".join(encode_cp852("\r\n".join(p) + "\r\n") for p in all_pages))
    with open(prefix + ".utf8.txt", "w", encoding="utf-8") as text:
        text.write("\f".join("\n".join(p) + "\n" for p in all_pages))


if __name__ == "__main__":
    main()
