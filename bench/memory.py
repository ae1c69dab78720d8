#!/usr/bin/env python3
"""Peak memory of Prynda on pages that never end: files without form feeds of 1 MB and 1 GB, one
line of 100 MB with no CR or LF, and ESC $ / tab runs far past the right edge. Each is printed to
"Prynda PDF" with /ST; reported are seconds, peak RSS (GNU time) and the PDF's size and pages.

  bench/memory.py [--prynda build-release/prynda] [--big-mb 1024]

The files are written to a temporary folder (several GB free are needed for the 1 GB file) and
removed afterwards.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
LINE = b"Wiersz raportu 0123456789 \xa5\x86\xa9\x88\xe4\xa2\x98\xab\xbe pozycja magazynowa  12 345,67\r\n"


def write_repeated(path, piece, size):
    chunk = piece * max(1, (1 << 20) // len(piece))
    with open(path, "wb") as out:
        written = 0
        while written < size:
            part = chunk[: size - written]
            out.write(part)
            written += len(part)


def tab_runs(path, size):
    # Each line jumps far right (ESC $ 65535/60 inch), then tabs on and on, then a word.
    piece = b"\x1b$\xff\xff" + b"\t" * 4000 + b"Tekst\r\n"
    write_repeated(path, piece, size)


def measure(prynda, path, pdf):
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss:
        env = dict(os.environ, PRYNDA_PDF=pdf)
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", rss.name, prynda, path, "/ST"], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        peak_mb = int(rss.read().split()[-1]) / 1024.0
    if status != 0:
        sys.exit(f"prynda failed on {path} with status {status}")
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    pages = next((int(l.split()[1]) for l in info.splitlines() if l.startswith("Pages:")), -1)
    return seconds, peak_mb, os.path.getsize(pdf) / 1e6, pages


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prynda", default=os.path.join(HERE, "..", "build-release", "prynda"))
    parser.add_argument("--big-mb", type=int, default=1024)
    args = parser.parse_args()
    prynda = os.path.abspath(args.prynda)
    cases = [
        ("1 MB of lines, no form feed", lambda p: write_repeated(p, LINE, 1 << 20)),
        (f"{args.big_mb} MB of lines, no form feed", lambda p: write_repeated(p, LINE, args.big_mb << 20)),
        ("one line of 100 MB, no CR or LF", lambda p: write_repeated(p, LINE.rstrip(b"\r\n") + b" ", 100 << 20)),
        ("ESC $ and tab runs past the right edge, 10 MB", lambda p: tab_runs(p, 10 << 20)),
    ]
    print("| file | seconds | peak RSS | PDF | pages |")
    print("|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as folder:
        for name, make in cases:
            path = os.path.join(folder, "input.txt")
            make(path)
            seconds, peak, size, pages = measure(prynda, path, os.path.join(folder, "out.pdf"))
            print(f"| {name} | {seconds:.1f} | {peak:.1f} MB | {size:.2f} MB | {pages} |", flush=True)
            os.remove(path)


if __name__ == "__main__":
    main()
