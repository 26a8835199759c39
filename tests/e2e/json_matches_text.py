#!/usr/bin/env python3
"""The JSON report says what the text reports say.

For every end-to-end case that ends well with text reports, runs the case
again with --json (and -c -i, so that every part is there) and checks that
the JSON's figures round to the text's: summary counts, rates and per-type
rows, agreement values, the listed outcomes one by one; and that the
confusion cells add up to the outcomes and to each type's counts.

    json_matches_text.py ORVANE CASES_DIR FIXTURES_DIR
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

UNDEFINED = {"inf", "-inf", "nan", "-nan"}


def fail(case, message):
    raise AssertionError(f"{case}: {message}")


def pct(value, shown, case, what, undefined_shows=UNDEFINED):
    if value is None:
        if shown not in undefined_shows:
            fail(case, f"{what}: JSON null, text {shown}")
    elif f"{100 * value:.1f}" != shown:
        fail(case, f"{what}: JSON {value}, text {shown}")


def check_summary(case, text, s):
    m = re.search(r"^Slot Error Rate: +(\S+)% \((\S+) (\d+)\)$", text, re.M)
    if not m:
        fail(case, "no summary in the text")
    pct(s["slot_error_rate"], m.group(1), case, "slot error rate")
    if s["slot_error_sum"] is not None and f"{s['slot_error_sum']:g}" != m.group(2):
        fail(case, f"slot error sum {s['slot_error_sum']} vs {m.group(2)}")
    if s["reference_entities"] != int(m.group(3)):
        fail(case, "reference entities")
    for key, word in (("corrects", "corrects"), ("insertions", "inserts"),
                      ("deletions", "deletes"), ("substitutions", "substitutions"),
                      ("total_errors", "total errors")):
        m = re.search(rf"^ *(\d+) +\S+% {word}$", text, re.M)
        if not m or int(m.group(1)) != s[key]:
            fail(case, f"{key}: JSON {s[key]}, text {m and m.group(1)}")
    m = re.search(r"^ *(\S+)% overall precision \((\d+) entities in hypothesis\)$", text, re.M)
    pct(s["precision"], m.group(1), case, "precision", {"0.0"})
    if int(m.group(2)) != s["hypothesis_entities"]:
        fail(case, "hypothesis entities")
    m = re.search(r"^ *(\S+)% overall recall", text, re.M)
    pct(s["recall"], m.group(1), case, "recall")
    m = re.search(r"^ *(\S+)% overall F-measure", text, re.M)
    pct(s["f_measure"], m.group(1), case, "F-measure")
    # A row whose corrects differ by side (a pairing of two types was
    # correct) shows both, the hypothesis's first; JSON then has both too.
    rows = re.findall(r"^ *(\S+)% +(\S+)% +(\S+)% (.*) \(hyp_count=(\d+), ref_count=(\d+), "
                      r"correct=(\d+)(?: of hyp, (\d+) of ref)?\)$", text, re.M)
    if len(rows) != len(s["per_type"]):
        fail(case, f"{len(rows)} type rows in the text, {len(s['per_type'])} in JSON")
    for (p, r, f, name, h, rc, k, k_ref), row in zip(rows, s["per_type"]):
        k_hyp = int(k)
        k_ref = int(k_ref) if k_ref else k_hyp
        if k_ref == k_hyp and "correct_of_hypothesis" in row:
            fail(case, f"type row {name}: correct_of_hypothesis where the corrects agree")
        if (name, int(h), int(rc), k_ref, k_hyp) != (
                row["type"], row["hypothesis_count"], row["reference_count"], row["correct"],
                row.get("correct_of_hypothesis", row["correct"])):
            fail(case, f"type row {name}")
        pct(row["precision"], p, case, f"{name} precision", {"0.0"})
        pct(row["recall"], r, case, f"{name} recall", {"0.0"})
        pct(row["f_measure"], f, case, f"{name} F-measure")


def check_agreement(case, text, a):
    for key, label in (("total_entities", "Total entities"), ("corrects", "Correct"),
                       ("tag_types", "Tag types")):
        m = re.search(rf"^{label}: (-?\d+)$", text, re.M)
        if not m or int(m.group(1)) != a[key]:
            fail(case, f"agreement {key}")
    m = re.search(r"^Added void/void corrects: (\S+)$", text, re.M)
    if a["void_void_corrects"] is not None and f"{a['void_void_corrects']:g}" != m.group(1):
        fail(case, "void/void corrects")
    for key, label in (("s", "S        "), ("pi", "Pi       "), ("kappa", "Kappa    "),
                       ("f_measure", "F-measure")):
        m = re.search(rf"^{label} = +(\S+)$", text, re.M)
        shown = m.group(1)
        if a[key] is None:
            if shown not in UNDEFINED:
                fail(case, f"agreement {key}: null vs {shown}")
        elif f"{a[key]:7.5f}".strip() != shown:
            fail(case, f"agreement {key}: {a[key]} vs {shown}")


LETTER = {"I": "insertion", "D": "deletion", "S": "substitution", "C": "correct"}


def check_outcomes(case, text, outcomes):
    heads = re.findall(r"^([IDSC]): (.*) \((\S+)\): (.*)$", text, re.M)
    if len(heads) != len(outcomes):
        fail(case, f"{len(heads)} outcomes listed, {len(outcomes)} in JSON")
    for (letter, names, cost, places), o in zip(heads, outcomes):
        if LETTER[letter] != o["kind"]:
            fail(case, f"{letter} listed, {o['kind']} in JSON")
        # The listing gives the names in the order the run first met them,
        # JSON in the order of their UTF-8 bytes.
        if o["errors"] != sorted(o["errors"], key=lambda n: n.encode("utf-8")):
            fail(case, f"error names {o['errors']} out of order")
        if o["kind"] == "correct":
            if names != "correct" or o["errors"]:
                fail(case, f"error names {names!r} vs {o['errors']}")
        elif sorted(names.split(" ")) != sorted(" ".join(o["errors"]).split(" ")):
            fail(case, f"error names {names!r} vs {o['errors']}")
        if (o["cost"] is None and cost not in UNDEFINED) or (
                o["cost"] is not None and f"{o['cost']:g}" != cost):
            fail(case, f"cost {cost} vs {o['cost']}")
        sides = [o[k] for k in ("reference", "hypothesis") if k in o]
        if places != " ".join(place(e) for e in sides):
            fail(case, f"places {places!r}")


def place(e):
    """An entity's place in the listing: a standoff annotation's id (or its
    span's number) follows its line, a task's number its file."""
    where = f"{e['file']} task {e['task']}" if "task" in e else f"{e['file']}:{e['line']}"
    if "id" in e:
        return f"{where} ({e['id']})"
    for key in ("span", "result"):
        if key in e:
            return f"{where} ({key} {e[key]})"
    return where


def check_confusion(case, doc):
    s = doc["summary"]
    cells = doc["confusion"]["cells"]
    outcomes = s["corrects"] + s["substitutions"] + s["insertions"] + s["deletions"]
    if sum(c["count"] for c in cells) != outcomes:
        fail(case, "confusion cells do not add up to the outcomes")
    # Every correct counts once under each side's type.
    for key in ("correct", "correct_of_hypothesis"):
        if sum(row.get(key, row["correct"]) for row in s["per_type"]) != s["corrects"]:
            fail(case, f"the per-type {key} counts do not add up to the corrects")
    for row in s["per_type"]:
        t = row["type"]
        if sum(c["count"] for c in cells if c["reference_type"] == t) != row["reference_count"]:
            fail(case, f"confusion row of {t}")
        if sum(c["count"] for c in cells if c["hypothesis_type"] == t) != row["hypothesis_count"]:
            fail(case, f"confusion column of {t}")


def run(orvane, work, args):
    r = subprocess.run(["orvane"] + args, executable=orvane, cwd=work, capture_output=True,
                       stdin=subprocess.DEVNULL, timeout=120)
    return r.returncode, r.stdout.decode("utf-8", "replace")


def json_line(out):
    # A description may print its own lines before the document.
    for line in reversed(out.splitlines()):
        if line.startswith('{"documents":'):
            return json.loads(line)
    return None


def check_case(orvane, case_dir, fixtures):
    case = os.path.basename(case_dir)
    files = set(os.listdir(case_dir))
    if files & {"status", "stdout_to"} or "args" not in files:
        return False
    with open(os.path.join(case_dir, "args")) as f:
        args = f.read().splitlines()
    # --compare and --scenarios have reports of their own; --merge has no
    # listing to check the outcomes against (merge_matches_corpus.py checks it).
    if any(a in ("--json", "--help", "-h", "--version", "--compare", "--scenarios", "--merge")
           for a in args):
        return False
    with tempfile.TemporaryDirectory() as work:
        if "fixture" in files:
            with open(os.path.join(case_dir, "fixture")) as f:
                shutil.copytree(os.path.join(fixtures, f.readline().strip()), work,
                                dirs_exist_ok=True)
        shutil.copytree(case_dir, work, dirs_exist_ok=True)
        # Every report, in text and in JSON, from the same arguments.
        expected = [a for a in args if a not in ("-s", "-d", "-c", "-o")]
        if "-i" not in expected:
            expected = ["-i", "10"] + expected
        full = ["-s", "-c"] + expected
        status, text = run(orvane, work, full)
        jstatus, out = run(orvane, work, full + ["--json"])
        if status != 0 or jstatus != 0:
            fail(case, f"status {status} in text, {jstatus} in JSON")
        doc = json_line(out)
        if doc is None:
            fail(case, "no JSON document on standard output")
        check_summary(case, text, doc["summary"])
        check_agreement(case, text, doc["agreement"])
        check_outcomes(case, text, doc["outcomes"])
        check_confusion(case, doc)
    return True


def main():
    orvane, cases_dir, fixtures = (os.path.abspath(a) for a in sys.argv[1:4])
    checked = 0
    for name in sorted(os.listdir(cases_dir)):
        if check_case(orvane, os.path.join(cases_dir, name), fixtures):
            checked += 1
    print(f"json_matches_text: {checked} cases agree")
    return 0 if checked > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
