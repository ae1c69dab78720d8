#!/usr/bin/env python3
"""Prints every capture of a folder of real printer files in FX mode and sets Prynda's pages,
seconds, PDF size, images and peak memory beside a peer's figures from the folder's PEER.md.

  bench/corpus.py CORPUS_FOLDER [--prynda build-release/prynda] [--runs 5] [--only NAME,...]
                   [--options "/AUTO"]

--options replaces /FX (e.g. /AUTO: what recognition makes of each file, which the table then
shows). Seconds are the median of --runs whole-process runs. The captures stay where they are: nothing of
them is copied, and the PDFs go to a temporary folder.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def peer_figures(folder):
    figures = {}
    path = os.path.join(folder, "PEER.md")
    if not os.path.exists(path):
        return figures
    for line in open(path, encoding="utf-8"):
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) >= 4 and cells[0] and not cells[0].startswith(("file", "---")):
            figures[cells[0]] = cells[1:]
    return figures


def recognised(prynda, path, pdf, options):
    out = subprocess.run([prynda, path] + options, env=dict(os.environ, PRYNDA_PDF=pdf, LC_ALL="C.UTF-8"),
                         stdin=subprocess.DEVNULL, capture_output=True).stdout.decode("utf-8", "replace")
    found = re.search(r" \* rozpoznano : (.*)", out)
    return found.group(1) if found else "–"


def run_once(prynda, path, pdf, options):
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss:
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", rss.name, prynda, path] + options + ["/ST"],
                                 env=dict(os.environ, PRYNDA_PDF=pdf), stdin=subprocess.DEVNULL,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        peak = int(rss.read().split()[-1]) / 1024.0
    return status, seconds, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--prynda", default=os.path.join(HERE, "..", "build-release", "prynda"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--only", default="")
    parser.add_argument("--options", default="/FX")
    args = parser.parse_args()
    options = args.options.split()
    prynda = os.path.abspath(args.prynda)
    peers = peer_figures(args.folder)
    only = set(filter(None, args.only.split(",")))
    names = sorted(n for n in os.listdir(args.folder)
                   if os.path.isfile(os.path.join(args.folder, n)) and not n.endswith((".md", ".txt")) or
                   n in peers)
    shows = "/AUTO" in options
    print("| file |" + (" recognised |" if shows else "") +
          " pages | peer pages | seconds | peer seconds | PDF KB | peer PDF KB | images | peak RSS |")
    print("|---|" + ("---|" if shows else "") + "---|---|---|---|---|---|---|---|")
    with tempfile.TemporaryDirectory() as out:
        for name in names:
            if only and name not in only:
                continue
            path = os.path.join(args.folder, name)
            pdf = os.path.join(out, name + ".pdf")
            runs = [run_once(prynda, path, pdf, options) for _ in range(args.runs)]
            if any(status != 0 for status, _, _ in runs):
                print(f"| {name} | failed | | | | | | | |")
                continue
            info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
            pages = re.search(r"Pages:\s+(\d+)", info).group(1)
            images = len(subprocess.run(["pdfimages", "-list", pdf], capture_output=True,
                                        text=True).stdout.splitlines()[2:])
            peer = peers.get(name, ["–", "–", "–"])
            peer_kb = f"{int(peer[2]) / 1024:.1f}" if peer[2].isdigit() else peer[2]
            seconds = statistics.median(s for _, s, _ in runs)
            peak = max(p for _, _, p in runs)
            what = f" {recognised(prynda, path, pdf, options)} |" if shows else ""
            print(f"| {name} |{what} {pages} | {peer[0]} | {seconds:.3f} | {peer[1]} | {os.path.getsize(pdf) / 1024:.1f} "
                  f"| {peer_kb} | {images} | {peak:.1f} MB |", flush=True)


if __name__ == "__main__":
    main()
