#!/usr/bin/env python3
"""On a random brat corpus, `--format brat` with the exact preset against a
plain multiset intersection of (type, start, end), as brateval's exact mode
counts: true positives (the corrects), false positives (hypothesis entities
less corrects) and false negatives (reference entities less corrects),
document by document.

Flat documents (each side's entities apart, as most corpora have them) must
agree on every document. Nested ones must never count more corrects; they
may count fewer where the least-cost alignment, among alignments of equal
cost, keeps two substitutions (cost 1 each) rather than a correct, an
insertion and a deletion (cost 0 + 1 + 1): pairings must respect each
side's nesting, so a correct that would cross it costs its neighbours.
Those documents are counted and printed, not failed; the figures are in the
README.

    brat_multiset.py ORVANE SEED DOCUMENTS [nested]
"""
import collections
import json
import os
import random
import subprocess
import sys
import tempfile

orvane, seed, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
nested = len(sys.argv) > 4 and sys.argv[4] == "nested"
rng = random.Random(seed)
WORDS = ["Anna", "Bob", "de", "la", "Société", "Générale", "à", "Paris", "😀", "Zoé", "et", "cie"]
TYPES = ["PER", "LOC", "ORG"]


def nested_spans(n_words, depth=0):
    """Spans over word indices that nest or lie apart: a few top-level runs,
    each holding a few more, down to depth 3."""
    spans, at = [], 0
    while at < n_words and depth < 4:
        start = at + rng.randrange(0, 3)
        end = min(n_words, start + rng.randrange(1, 5))
        if start >= end:
            break
        spans.append((start, end))
        inner = nested_spans(end - start, depth + 1) if nested and rng.random() < 0.5 else []
        spans += [(start + s, start + e) for s, e in inner]
        at = end
    return spans


def document():
    words = [rng.choice(WORDS) for _ in range(rng.randrange(3, 25))]
    offsets, at = [], 0
    for w in words:
        offsets.append((at, at + len(w)))
        at += len(w) + 1
    text = " ".join(words) + "\n"
    spans = [(offsets[s][0], offsets[e - 1][1]) for s, e in nested_spans(len(words))]
    ref = [(rng.choice(TYPES), s, e) for s, e in spans]
    # The hypothesis: most reference entities kept, some retyped, some
    # dropped, some duplicated; new ones nested inside reference spans.
    hyp = []
    for t, s, e in ref:
        r = rng.random()
        if r < 0.6:
            hyp.append((t, s, e))
        elif r < 0.75:
            hyp.append((rng.choice(TYPES), s, e))
        elif r < 0.8 and nested:
            hyp += [(t, s, e), (t, s, e)]
        elif r < 0.9 and e - s > 1 and not nested:
            hyp.append((t, s, e - 1))  # a boundary error
    for t, s, e in list(hyp):
        if nested and rng.random() < 0.1:
            hyp.append((rng.choice(TYPES), s, e))
    return text, ref, hyp


def ann(entities, text):
    return "".join(f"T{i + 1}\t{t} {s} {e}\t{text[s:e]}\n" for i, (t, s, e) in
                   enumerate(entities))


failures = fewer = 0
with tempfile.TemporaryDirectory() as work:
    expected = {}
    for side in ("ref", "hyp"):
        os.makedirs(os.path.join(work, side))
    for d in range(count):
        text, ref, hyp = document()
        name = f"d{d:04d}"
        with open(os.path.join(work, "ref", name + ".txt"), "w", encoding="utf-8") as f:
            f.write(text)
        for side, entities in (("ref", ref), ("hyp", hyp)):
            with open(os.path.join(work, side, name + ".ann"), "w", encoding="utf-8") as f:
                f.write(ann(entities, text))
        tp = sum((collections.Counter(ref) & collections.Counter(hyp)).values())
        expected[f"ref/{name}.ann"] = (tp, len(hyp) - tp, len(ref) - tp)
    run = subprocess.run([orvane, "--corpus", "--format", "brat", "--per-document", "--json",
                          "--quiet", "exact", "ref", "hyp"], cwd=work, capture_output=True,
                         text=True)
    if run.returncode != 0:
        print(run.stderr)
        sys.exit(1)
    for row in json.loads(run.stdout)["per_document"]:
        s = row["summary"]
        got = (s["corrects"], s["hypothesis_entities"] - s["corrects"],
               s["reference_entities"] - s["corrects"])
        want = expected[row["reference"]]
        if got != want:
            tie = nested and got[0] < want[0]
            fewer += tie
            failures += not tie
            print(f"{row['reference']}: orvane tp/fp/fn {got}, multiset {want}")
print(f"brat_multiset: {count} {'nested' if nested else 'flat'} documents, {failures} differ"
      + (f", {fewer} with fewer corrects (the least-cost alignment keeps fewer)" if nested else ""))
sys.exit(1 if failures else 0)
