#!/usr/bin/env python3
"""Times whole runs of orvane on synthetic corpora and reports peak memory,
each beside its target.

    run_bench.py BUILD_DIR [--quick]

BUILD_DIR holds orvane and bench/make_corpus (a Release build). Corpora are
made once under BUILD_DIR/corpus. Each run is timed three times and the
fastest counts; peak memory is the largest resident set of the three.
--quick runs the 1M-token corpora and the worst cases only. The flat 1M
corpus is also run in token-per-line form (--conll), two files and one.
The 1M corpora run under the shipped exact preset too (computed without
Lua). Each line gives the page faults of its fastest run and, when the
environment variable CONLLEVAL names conlleval.pl, how many times faster the
run is than conlleval.pl on the flat 1M corpus in token-per-line form, timed
in the same sitting.
Corpus runs (--corpus) time 10,000 pairs of 100 tokens and 100 pairs of
10,000 tokens on one and two threads, against one run over the pairs
concatenated. The 10,000 pairs are then evaluated in 1,000 and in 10,000
shards (once, kept under BUILD_DIR/corpus), whose merge is timed against
one corpus run with the same reports.
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import to_conll  # noqa: E402

build = os.path.abspath(sys.argv[1])
quick = "--quick" in sys.argv[2:]
orvane = os.path.join(build, "orvane")
make_corpus = os.path.join(build, "bench", "make_corpus")
measure = os.path.join(build, "bench", "measure")
root = os.path.join(build, "corpus")
here = os.path.dirname(os.path.abspath(__file__))


def corpus(kind, size):
    d = os.path.join(root, f"{kind}-{size}")
    if not os.path.isdir(d):
        os.makedirs(d)
        subprocess.check_call([make_corpus, d, kind, str(size)])
    ref = "ref.aref" if os.path.exists(os.path.join(d, "ref.aref")) else "ref.txt"
    size_bytes = sum(os.path.getsize(os.path.join(d, f)) for f in (ref, "hyp.txt"))
    return d, ref, size_bytes


def run_once(args, timeout, stdin=None):
    """Wall time, peak RSS (MiB), exit status, standard error and page faults
    of one run."""
    p = subprocess.run([measure, str(int(timeout))] + args, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE, stdin=stdin)
    lines = p.stderr.decode(errors="replace").rstrip("\n").split("\n")
    _, seconds, kib, status, faults = lines[-1].split()
    global last_faults
    last_faults = int(faults)
    return float(seconds), int(kib) / 1024, int(status), "\n".join(lines[:-1]).encode()


last_faults = 0  # of the fastest of the last run's three


def run(d, ref, options, timeout=120, documents=None, description=None):
    """Best wall time of three runs, largest peak RSS (MiB), exit status, stderr.
    `documents` replaces the reference and hypothesis files, `description`
    (a preset's name) the corpus's task.lua."""
    aref = ["-a"] if ref.endswith(".aref") else []
    files = [os.path.join(d, f) for f in (documents or [ref, "hyp.txt"])]
    args = [orvane] + aref + options + [description or os.path.join(d, "task.lua")] + files
    best, peak, faults = None, 0, 0
    for _ in range(3):
        t, rss, status, err = run_once(args, timeout)
        if t >= timeout:
            return None, None, status, err
        if best is None or t < best:
            faults = last_faults
        best = t if best is None else min(best, t)
        peak = max(peak, rss)
    global best_faults
    best_faults = faults
    return best, peak, status, err


best_faults = 0  # page faults of the last run()'s fastest run


def line(label, size_bytes, t, rss, verdicts):
    mib = size_bytes / 2**20
    ratio = f"{conlleval_time / t:6.1f}x" if conlleval_time else ""
    print(f"{label:40} {mib:7.1f} MiB {t:7.3f} s {rss:7.1f} MiB {rss / mib:5.1f}x "
          f"{best_faults:8d} {ratio:>7}  {verdicts}")


def verdict(value, target, what):
    return f"{what} {value:.2f} (target <= {target:g}) {'ok' if value <= target + 1e-9 else 'MISSED'}"


# conlleval.pl on the flat 1M corpus in token-per-line form, best of three.
conlleval_time = None
conlleval = os.environ.get("CONLLEVAL", "")
if conlleval:
    d, _, _ = corpus("flat", 1000000)
    to_conll.convert(d)
    for _ in range(3):
        with open(os.path.join(d, "data.conll"), "rb") as data:
            t, _, status, _ = run_once(["/usr/bin/perl", os.path.abspath(conlleval)], 600, data)
        if status != 0:
            sys.exit(f"{conlleval} failed with status {status}")
        conlleval_time = t if conlleval_time is None else min(conlleval_time, t)
    print(f"conlleval.pl on the flat 1M corpus (data.conll): {conlleval_time:.3f} s; "
          "the last column says how many times faster each run is")
print(f"{'corpus':40} {'input':>11} {'wall':>9} {'peak RSS':>11} {'ratio':>6} "
      f"{'faults':>8} {'vs perl':>7}")
# The types of the corpora's descriptions, for the presets.
TYPES = ["--types", "pers,org,loc,func"]
results = {}
for kind in ["flat", "nested", "aref"] + ([] if quick else ["flat-4M"]):
    name, size = (kind, 1000000) if kind != "flat-4M" else ("flat", 4000000)
    d, ref, size_bytes = corpus(name, size)
    t, rss, status, err = run(d, ref, [])
    results[kind] = (t, rss, size_bytes)
    checks = []
    if kind == "flat":
        checks = [verdict(t, 0.5, "time s"), verdict(rss / (size_bytes / 2**20), 3, "RSS/input")]
        if conlleval_time:
            checks.append(verdict(t / conlleval_time, 1 / 10, "time/conlleval"))
    elif kind in ("nested", "aref"):
        checks = [verdict(t / results["flat"][0], 2, "time/flat"),
                  verdict(rss / (size_bytes / 2**20), 4, "RSS/input")]
    else:
        checks = [verdict(t / results["flat"][0], 4.4, "time/1M"),
                  verdict(rss / results["flat"][1], 4.4, "RSS/1M")]
    line(f"{kind} {size // 1000000}M tokens", size_bytes, t, rss,
         "; ".join(checks) + ("" if status == 0 else f"; exit status {status}"))
    if kind != "flat-4M":
        # The shipped exact preset, computed without Lua.
        tp, rssp, status, _ = run(d, ref, TYPES, description="exact")
        results[kind + " exact"] = tp
        checks = [verdict(tp / t, 1, "time/Lua")]
        if kind != "flat":
            checks.append(verdict(tp / results["flat exact"], 1.5, "time/flat exact"))
        line(f"{kind} 1M tokens, exact preset", size_bytes, tp, rssp,
             "; ".join(checks) + ("" if status == 0 else f"; exit status {status}"))
    if kind != "flat-4M":
        td, rssd, _, _ = run(d, ref, ["-d", "-i", "0"])
        line(f"{kind} 1M tokens, -d -i 0", size_bytes, td, rssd,
             verdict(td / t, 1.3, "time/summary"))
    if kind == "flat":
        # The JSON report streams: the listing of every outcome takes no
        # more memory than the text one, and about its time.
        tt, rsst, _, _ = run(d, ref, ["-c", "-i", "0"])
        tj, rssj, statusj, _ = run(d, ref, ["--json", "-c", "-i", "0"])
        line("flat 1M tokens, --json -c -i 0", size_bytes, tj, rssj,
             verdict(tj / tt, 1.5, "time/text") + "; " + verdict(rssj / rsst, 1.1, "RSS/text") +
             ("" if statusj == 0 else f"; exit status {statusj}"))
        # The visual report: a page within 3 times the reference's size, and,
        # when a browser is there, how long it takes to open and to scroll.
        page = os.path.join(d, "page.html")
        tp, rssp, statusp, _ = run(d, ref, ["--html", page])
        ratio = os.path.getsize(page) / os.path.getsize(os.path.join(d, ref))
        line("flat 1M tokens, --html", size_bytes, tp, rssp,
             verdict(ratio, 3, "page/reference") + ("" if statusp == 0 else f"; exit {statusp}"))
        if os.path.exists("/usr/bin/chromium") and os.path.exists("/usr/bin/chromedriver"):
            browser = subprocess.run(["/usr/bin/python3", os.path.join(here, "page_in_browser.py"),
                                      page], capture_output=True, text=True)
            print(f"{'   the page in Chromium':34} " +
                  (browser.stdout.strip() or browser.stderr.strip().splitlines()[-1]))
        # The same corpus token per line should cost about what the inline
        # tags do.
        to_conll.convert(d)
        for label, documents in (("two files", ["ref.conll", "hyp.conll"]),
                                 ("one file", ["data.conll"])):
            conll_bytes = sum(os.path.getsize(os.path.join(d, f)) for f in documents)
            tc, rssc, status, _ = run(d, ref, ["--conll"], documents=documents)
            line(f"flat 1M conll ({label})", conll_bytes, tc, rssc,
                 verdict(tc / t, 1.5, "time/flat") +
                 ("" if status == 0 else f"; exit status {status}"))
            tp, rssp, status, _ = run(d, ref, ["--conll"], documents=documents,
                                      description="exact")
            checks = [verdict(rssp / (conll_bytes / 2**20), 2, "RSS/input")]
            if conlleval_time and label == "one file":
                checks.append(verdict(tp / conlleval_time, 1 / 25, "time/conlleval"))
            line(f"flat 1M conll exact ({label})", conll_bytes, tp, rssp,
                 "; ".join(checks) + ("" if status == 0 else f"; exit status {status}"))

print()
print("corpora of many pairs (--corpus), against one run over the pairs joined in one:")
for count, tokens in ((10000, 100), (100, 10000)):
    d = os.path.join(root, f"pairs-{count}x{tokens}")
    if not os.path.isdir(d):
        os.makedirs(d)
        subprocess.check_call([make_corpus, d, "pairs", str(count), str(tokens)])
    size_bytes = sum(os.path.getsize(os.path.join(d, f)) for f in ("ref.txt", "hyp.txt"))
    label = f"{count} pairs x {tokens} tokens"
    tc, rssc, _, _ = run(d, "ref.txt", [])
    line(f"{label}, joined", size_bytes, tc, rssc, "")
    t1, rss1, s1, _ = run(d, "ref.txt", ["--corpus", "-j", "1"], documents=["ref", "hyp"])
    line(f"{label}, -j 1", size_bytes, t1, rss1,
         verdict(t1 / tc, 1.2, "time/joined") +
         f"; {(t1 - tc) / count * 1e6:.0f} us a pair beyond it (target <= 50)" +
         ("" if s1 == 0 else f"; exit status {s1}"))
    t2, rss2, s2, _ = run(d, "ref.txt", ["--corpus", "-j", "2"], documents=["ref", "hyp"])
    line(f"{label}, -j 2", size_bytes, t2, rss2,
         verdict(t2 / t1, 0.6, "time/-j 1") + ("" if s2 == 0 else f"; exit status {s2}"))

print()
print("shards of the 10,000 pairs merged (--merge --per-document --bootstrap 1000), against one")
print("corpus run with the same reports (-j 2):")
d = os.path.join(root, "pairs-10000x100")
pairs = [f"../{side}/{folder}/{name}" for side in ("ref",)
         for folder in sorted(os.listdir(os.path.join(d, "ref")))
         for name in sorted(os.listdir(os.path.join(d, "ref", folder)))]
lines = [f"{p}\t{p.replace('../ref/', '../hyp/', 1)}\n" for p in pairs]
reports = ["--per-document", "--bootstrap", "1000"]
whole = None
for count in (1000, 10000):
    shards = os.path.join(d, f"shards-{count}")
    if not os.path.isdir(shards):
        # The shards' reports are made once: count runs of --corpus --pairs.
        os.makedirs(os.path.join(shards, "reports"))
        size = -(-len(lines) // count)
        with open(os.path.join(shards, "all.tsv"), "w") as f:
            f.writelines(lines)
        jobs = []
        for k in range(count):
            with open(os.path.join(shards, f"s{k:05d}.tsv"), "w") as f:
                f.writelines(lines[k * size:(k + 1) * size])
            jobs.append((k, subprocess.Popen(
                [orvane, "--corpus", "--quiet", "-j", "1", "--pairs", f"s{k:05d}.tsv", "--json",
                 os.path.join(d, "task.lua")], cwd=shards,
                stdout=open(os.path.join(shards, "reports", f"s{k:05d}.json"), "wb"))))
            if len(jobs) >= 4:
                jobs.pop(0)[1].wait()
        for _, job in jobs:
            job.wait()
    if whole is None:
        whole = subprocess.run([orvane, "--corpus", "--quiet", "--pairs", "all.tsv"] + reports +
                               [os.path.join(d, "task.lua")], cwd=shards, capture_output=True)
        args = [orvane, "--corpus", "--quiet", "--pairs", os.path.join(shards, "all.tsv")] + \
            reports + [os.path.join(d, "task.lua")]
        best_whole = min(run_once(args, 120)[0] for _ in range(3))
    merged = subprocess.run([orvane, "--merge", "--quiet"] + reports + ["reports"], cwd=shards,
                            capture_output=True)
    same = merged.returncode == 0 and merged.stdout == whole.stdout
    args = [orvane, "--merge", "--quiet"] + reports + [os.path.join(shards, "reports")]
    t, rss = None, 0
    for _ in range(3):
        ti, rssi, status, _ = run_once(args, 120)
        t = ti if t is None else min(t, ti)
        rss = max(rss, rssi)
    size_bytes = sum(e.stat().st_size for e in os.scandir(os.path.join(shards, "reports")))
    best_faults = last_faults
    line(f"{count} shards merged", size_bytes, t, rss,
         f"the whole run {best_whole:.3f} s; " +
         ("the same reports" if same else "REPORTS DIFFER from the whole run's"))

print()
print("worst cases (a second each at most is the goal; a search limit may stop them):")
worst = [("chain", 4), ("candidates", 40), ("candidates", 70), ("candidates", 100),
         ("common-start", 10), ("common-start", 30), ("deep-ref", 100000),
         ("deep-hyp", 100000), ("staggered-ref", 10000), ("wide", 40000), ("stack", 12),
         ("stack", 20), ("stagger", 10), ("stagger", 20)]
for kind, n in worst:
    d, ref, size_bytes = corpus(kind, n)
    t, rss, status, err = run(d, ref, [], timeout=60)
    if t is None:
        print(f"{kind + ' ' + str(n):34} more than 60 s")
        continue
    note = "complete" if status == 0 else err.decode(errors="replace").strip().split(": ", 1)[-1]
    print(f"{kind + ' ' + str(n):34} {size_bytes / 1024:7.1f} KiB {t:7.3f} s {rss:7.1f} MiB  {note}")
