#!/usr/bin/env python3
"""Prints the same jobs with two builds of Prynda on "Prynda PDF" and says where they differ: the
console's bytes, the exit code, and every page rasterised (pdftoppm) when the PDFs' bytes differ.
For changes that must not change a page.

  bench/render_diff.py OLD_PRYNDA NEW_PRYNDA [--corpus ../shared/corpus/real] [--dpi 100]
                       [--pages 1000] [--only SUBSTRING]

The jobs: every sample of examples/ with the options the gallery prints it with, and without; the
standard workload (bench/generate_workload.py) with and without /FF, in FX mode and with /AUTO;
every file of the corpus folder in FX mode (with 180, /CP=850 and /CP=895 where the capture asks for
them), in our own dialect and with /AUTO. The captures stay where they are; PDFs go to a temporary
folder.
"""
import argparse
import hashlib
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

SAMPLE_OPTIONS = {
    "list-mazowia.txt": ["MAZ"],
    "faktura-fx.txt": ["/FX"],
    "wykaz-lf.txt": ["/FX"],
    "zamowienie-fx.txt": ["/FX"],
    "logo-fx.txt": ["/FX"],
    "karta-72.txt": ["/FX"],
    "rechnung-fx.txt": ["/FX", "/CP=850"],
}


def jobs(corpus, workload_dir, pages):
    examples = os.path.join(ROOT, "examples")
    for name in sorted(os.listdir(examples)):
        if not name.endswith(".txt"):
            continue
        path = os.path.join(examples, name)
        yield name, path, SAMPLE_OPTIONS.get(name, [])
        yield name + " /LF", path, ["/LF"]
        if "/FX" not in SAMPLE_OPTIONS.get(name, []):
            yield name + " /FX", path, ["/FX"]
    subprocess.check_call([sys.executable, os.path.join(HERE, "generate_workload.py"), str(pages),
                           os.path.join(workload_dir, "workload")])
    workload = os.path.join(workload_dir, "workload.txt")
    yield "workload", workload, []
    yield "workload /FF", workload, ["/FF"]
    yield "workload /FF=50 DY=2", workload, ["/FF=50", "DY=2"]
    yield "workload /FX", workload, ["/FX"]
    yield "workload /AUTO", workload, ["/AUTO"]
    if not corpus or not os.path.isdir(corpus):
        return
    for name in sorted(os.listdir(corpus)):
        path = os.path.join(corpus, name)
        if not os.path.isfile(path) or name.endswith(".md") or name == "escape-census.txt":
            continue
        yield name + " /FX", path, ["/FX"]
        yield name + " /FX 180", path, ["/FX", "180"]
        if "KEYBCS2" in name:
            yield name + " /FX /CP=895", path, ["/FX", "/CP=895"]
        if "CP850" in name:
            yield name + " /FX /CP=850 180", path, ["/FX", "/CP=850", "180"]
        yield name, path, []
        yield name + " /AUTO", path, ["/AUTO"]


def run(prynda, path, options, pdf, cache):
    env = dict(os.environ, PRYNDA_PDF=pdf, SOURCE_DATE_EPOCH="1700000000", XDG_CACHE_HOME=cache,
               LC_ALL="C.UTF-8")
    done = subprocess.run([prynda, path] + options, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=600)
    return done.returncode, done.stdout, done.stderr


def page_hashes(pdf, dpi, folder):
    for old in os.listdir(folder):
        os.remove(os.path.join(folder, old))
    subprocess.check_call(["pdftoppm", "-r", str(dpi), "-gray", pdf, os.path.join(folder, "p")])
    names = sorted(os.listdir(folder))
    return [hashlib.sha256(open(os.path.join(folder, n), "rb").read()).hexdigest() for n in names]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--corpus", default=os.path.join(ROOT, "..", "shared", "corpus", "real"))
    parser.add_argument("--dpi", type=int, default=100)
    parser.add_argument("--pages", type=int, default=1000)
    parser.add_argument("--only", default="")
    args = parser.parse_args()
    old, new = os.path.abspath(args.old), os.path.abspath(args.new)
    differing = 0
    total = 0
    with tempfile.TemporaryDirectory() as tmp:
        caches = [os.path.join(tmp, "cache-old"), os.path.join(tmp, "cache-new")]
        rasters = [os.path.join(tmp, "r-old"), os.path.join(tmp, "r-new")]
        for folder in caches + rasters:
            os.mkdir(folder)
        for label, path, options in jobs(args.corpus, tmp, args.pages):
            if args.only and args.only not in label:
                continue
            total += 1
            pdfs = [os.path.join(tmp, "old.pdf"), os.path.join(tmp, "new.pdf")]
            for pdf in pdfs:
                if os.path.exists(pdf):
                    os.remove(pdf)
            results = [run(binary, path, options, pdf, cache)
                       for binary, pdf, cache in zip((old, new), pdfs, caches)]
            problems = []
            if results[0][0] != results[1][0]:
                problems.append(f"exit {results[0][0]} -> {results[1][0]}")
            if results[0][1] != results[1][1]:
                problems.append("console differs")
            if results[0][2] != results[1][2]:
                problems.append("standard error differs")
            exists = [os.path.exists(pdf) for pdf in pdfs]
            pages = "-"
            if exists[0] != exists[1]:
                problems.append("PDF only from one")
            elif exists[0]:
                same_bytes = open(pdfs[0], "rb").read() == open(pdfs[1], "rb").read()
                if same_bytes:
                    pages = "identical bytes"
                else:
                    hashes = [page_hashes(pdf, args.dpi, folder) for pdf, folder in zip(pdfs, rasters)]
                    if len(hashes[0]) != len(hashes[1]):
                        problems.append(f"pages {len(hashes[0])} -> {len(hashes[1])}")
                    else:
                        changed = [i + 1 for i, (a, b) in enumerate(zip(*hashes)) if a != b]
                        if changed:
                            problems.append(f"pages differ: {changed[:10]}")
                        pages = f"{len(hashes[0])} pages rasterised alike"
            status = "DIFFERS: " + "; ".join(problems) if problems else "same"
            differing += bool(problems)
            print(f"{label}: {status} ({pages}, exit {results[1][0]})", flush=True)
    print(f"{total} jobs, {differing} differing")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
