#!/usr/bin/env python3
"""Prints the standard workload with Prynda (to "Prynda PDF") and with cups-filters' texttopdf, side
by side in one run, and reports pages per second, peak RSS and PDF size (medians of --runs runs).

  bench/run.py [--prynda build/prynda] [--runs 5] [--pages 1,10,1000] [--fx] [--auto]

With --fx Prynda also prints the same files in FX mode (/FX), with --auto as it recognises them
(/AUTO), in the same run.

Small jobs are run at least 20 times: their times are a few milliseconds, and the machine's noise
is of that size.
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TEXTTOPDF = "/usr/lib/cups/filter/texttopdf"
PPD = "/usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd"


def measure(argv, env, stdout_path=None):
    """Wall time and peak RSS (MB) of one run of argv. The peak is taken by GNU time (Debian
    package "time"): a child forked from this Python process would inherit its high-water mark."""
    out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss_file:
        start = time.perf_counter()
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", rss_file.name] + argv, env=env,
                                 stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
        peak_kb = int(rss_file.read().split()[-1])
    if stdout_path:
        out.close()
    if status != 0:
        sys.exit(f"{argv[0]} failed with status {status}")
    return elapsed, peak_kb / 1024.0


def page_count(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout
    for line in info.splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return -1


def args_first_size(args):
    return int(args.pages.split(",")[0])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--prynda", default=os.path.join(HERE, "..", "build", "prynda"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--pages", default="1,10,1000")
    parser.add_argument("--fx", action="store_true", help="also print with /FX (Epson ESC/P mode)")
    parser.add_argument("--auto", action="store_true", help="also print with /AUTO (recognised)")
    args = parser.parse_args()
    have_peer = os.path.exists(TEXTTOPDF) and os.path.exists(PPD)
    if not os.path.exists("/usr/bin/time"):
        sys.exit("bench/run.py needs GNU time: apt-get install time")

    with tempfile.TemporaryDirectory(prefix="prynda-bench-") as work:
        print(f"{'pages':>6} {'tool':<10} {'seconds':>9} {'pages/s':>9} {'peak RSS MB':>12} {'PDF MB':>8}  min-max s")
        for pages in (int(p) for p in args.pages.split(",")):
            prefix = os.path.join(work, f"work{pages}")
            subprocess.run([sys.executable, os.path.join(HERE, "generate_workload.py"), str(pages), prefix], check=True)
            rows = []
            pdf = prefix + ".pdf"
            # Font look-ups are kept between runs (in the user's cache folder; here one of the
            # bench's own): the first run fills it, as a user's first print does once.
            env = {"PATH": "/usr/bin:/bin", "LC_ALL": "C", "PRYNDA_PDF": pdf,
                   "HOME": work, "XDG_CACHE_HOME": os.path.join(work, "cache")}
            count = args.runs if pages > 10 else max(args.runs, 20)
            first = measure([args.prynda, prefix + ".txt", "/ST"], env)
            modes = [("/FX", "fx")] * args.fx + [("/AUTO", "auto")] * args.auto
            mode_pdfs = {option: prefix + "." + suffix + ".pdf" for option, suffix in modes}
            runs, mode_runs = [], {option: [] for option, _ in modes}
            for _ in range(count):  # the other modes' runs between ours, so that the machine's moods hit all
                runs.append(measure([args.prynda, prefix + ".txt", "/ST"], env))
                for option, _ in modes:
                    mode_env = dict(env, PRYNDA_PDF=mode_pdfs[option])
                    mode_runs[option].append(measure([args.prynda, prefix + ".txt", "/ST", option], mode_env))
            rows.append(("prynda", runs, pdf))
            for option, _ in modes:
                rows.append(("prynda " + option, mode_runs[option], mode_pdfs[option]))
            if have_peer:
                peer_pdf = prefix + ".peer.pdf"
                peer_env = {"PATH": "/usr/bin:/bin", "CONTENT_TYPE": "text/plain", "CHARSET": "utf-8", "PPD": PPD}
                options = "PageSize=A4 cpi=10 lpi=6 page-left=9 page-right=9 page-top=18 page-bottom=18"
                runs = [measure([TEXTTOPDF, "1", "user", "title", "1", options, prefix + ".utf8.txt"], peer_env,
                                peer_pdf) for _ in range(count)]
                rows.append(("texttopdf", runs, peer_pdf))
            for tool, runs, out_pdf in rows:
                seconds = statistics.median(r[0] for r in runs)
                rss = statistics.median(r[1] for r in runs)
                got = page_count(out_pdf)
                note = "" if got == pages else f"  (PDF has {got} pages!)"
                print(f"{pages:>6} {tool:<12} {seconds:>9.3f} {pages / seconds:>9.0f} {rss:>12.1f} "
                      f"{os.path.getsize(out_pdf) / 1e6:>8.2f}  {min(r[0] for r in runs):.3f}-"
                      f"{max(r[0] for r in runs):.3f}{note}")
            if pages == args_first_size(args):
                print(f"{'':>6} prynda's very first run (font cache empty): {first[0]:.3f} s")
            peer = [row for row in rows if row[0] == "texttopdf"]
            if peer:
                ratio = statistics.median(r[0] for r in peer[0][1]) / statistics.median(r[0] for r in rows[0][1])
                print(f"{'':>6} prynda speed / texttopdf speed: {ratio:.2f}")


if __name__ == "__main__":
    main()
