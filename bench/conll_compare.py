#!/usr/bin/env python3
"""Checks orvane's counts on random token-per-line files against conlleval's.

    conll_compare.py ORVANE_BINARY [COUNT] [SEED]

Writes COUNT (default 500) random CoNLL documents into a temporary folder:
two in three as one file (token, reference tag, hypothesis tag, sometimes
extra middle columns), one in three as two files of the same lines (token
and reference tag; token and hypothesis tag), -DOCSTART- lines tagged on one
side or both, several in a row included. Counts their chunks here the way
conlleval does on the lines pasted side by side, token by token, and
compares the reference, hypothesis and correct counts, overall and per type,
with those of `ORVANE --conll -s exact FILE [HYP_FILE]`. Prints a line per mismatch,
keeping its file, then "N files, M mismatches"; exits with 1 on any mismatch.

Two differences are known and counted apart. Where both columns open a `[`
or `]` chunk inside an open chunk of its type at the same token, conlleval,
which follows one chunk at a time, counts at most one correct chunk for the
two that end together; orvane counts each exact match. And a typeless S, U
or L tag starts a chunk that no O ends (an O's type is as empty as its), so
that conlleval's tracking of correct chunks runs on into the next one; orvane
ends it at the sentence's end and counts each exact match.
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
from collections import Counter

WORDS = ["EU", "rejects", "German", "call", "to", "boycott", "British", "lamb", ".", "Peter",
         "Blackburn", "O", "B-PER", "-X-", "x", "New", "York", "é", "1996-08-22", ","]
TYPES = ["PER", "LOC", "ORG", "MISC", "IDX-DE"]
USUAL_PREFIXES = "BIES"
ODD_PREFIXES = "LU[]"


# conlleval's chunk rules. A tag is (prefix, type); "O" is ("O", "").

def split_tag(tag):
    if tag == "O":
        return "O", ""
    prefix, _, kind = tag.partition("-")
    return prefix, kind


def end_of_chunk(prev, cur):
    (p, t), (c, u) = prev, cur
    if (p, c) in {("B", "B"), ("B", "O"), ("I", "B"), ("I", "O"), ("E", "E"), ("E", "I"),
                  ("E", "O")}:
        return True
    if p != "O" and t != u:
        return True
    return p in ("[", "]")


def start_of_chunk(prev, cur):
    (p, t), (c, u) = prev, cur
    if (p, c) in {("B", "B"), ("I", "B"), ("O", "B"), ("O", "I"), ("E", "E"), ("E", "I"),
                  ("O", "E")}:
        return True
    if c != "O" and t != u:
        return True
    return c in ("[", "]")


def conlleval_counts(rows):
    """Reference, hypothesis and correct chunk counts, each a Counter by type
    with the total under None, and whether both columns nest a chunk at one
    token (the known difference). `rows` holds (ref tag, hyp tag) pairs, and
    None for a sentence or document boundary."""
    ref, hyp, correct = Counter(), Counter(), Counter()
    nested_both = False
    runs_on = False
    outside = ("O", "")
    last_ref = last_hyp = outside
    in_correct = False
    # A boundary reads as an O token; so does the end of the file, which
    # settles a chunk still open there.
    for row in rows + [None]:
        cur_ref, cur_hyp = (outside, outside) if row is None else map(split_tag, row)
        runs_on = runs_on or any(t == "" and p in "SUL" for p, t in (cur_ref, cur_hyp))
        ref_ends = end_of_chunk(last_ref, cur_ref)
        hyp_ends = end_of_chunk(last_hyp, cur_hyp)
        if in_correct:
            if ref_ends and hyp_ends and last_ref[1] == last_hyp[1]:
                in_correct = False
                correct[None] += 1
                correct[last_ref[1]] += 1
            elif ref_ends != hyp_ends or cur_ref[1] != cur_hyp[1]:
                in_correct = False
        ref_starts = start_of_chunk(last_ref, cur_ref)
        hyp_starts = start_of_chunk(last_hyp, cur_hyp)
        # A start that ends nothing after a tagged token opens a chunk inside.
        if (ref_starts and not ref_ends and last_ref[0] != "O" and hyp_starts and not hyp_ends
                and last_hyp[0] != "O"):
            nested_both = True
        if ref_starts and hyp_starts and cur_ref[1] == cur_hyp[1]:
            in_correct = True
        if ref_starts:
            ref[None] += 1
            ref[cur_ref[1]] += 1
        if hyp_starts:
            hyp[None] += 1
            hyp[cur_hyp[1]] += 1
        last_ref, last_hyp = cur_ref, cur_hyp
    return (ref, hyp, correct), nested_both or runs_on


# Random files.

def valid_sentence(rng, n, types):
    """Tags of one sentence in one of the usual encodings."""
    scheme = rng.choice(["iob1", "iob2", "iobes", "bilou"])
    tags = []
    while len(tags) < n:
        if rng.random() < 0.5:
            tags.append("O")
            continue
        kind = rng.choice(types)
        size = min(rng.randint(1, 4), n - len(tags))
        if scheme == "iob2":
            prefixes = ["B"] + ["I"] * (size - 1)
        elif scheme == "iob1":
            # B only where the previous chunk has the same type.
            follows = bool(tags) and tags[-1] != "O" and split_tag(tags[-1])[1] == kind
            prefixes = ["B" if follows else "I"] + ["I"] * (size - 1)
        else:
            single, last = ("S", "E") if scheme == "iobes" else ("U", "L")
            prefixes = [single] if size == 1 else ["B"] + ["I"] * (size - 2) + [last]
        tags += [tag_of(rng, p, kind) for p in prefixes]
    return tags


def tag_of(rng, prefix, kind):
    """A tag; a typeless one ("B", or "B-") for the empty type."""
    if not kind:
        return prefix + rng.choice(["", "-"])
    return f"{prefix}-{kind}"


def random_tag(rng, types, odd):
    if rng.random() < 0.35:
        return "O"
    prefixes = USUAL_PREFIXES + (ODD_PREFIXES if odd else "")
    return tag_of(rng, rng.choice(prefixes), rng.choice(types))


def hypothesis_of(rng, ref, types, odd):
    """The reference's tags with some changed, so that many chunks match."""
    hyp = []
    for tag in ref:
        x = rng.random()
        if x < 0.75:
            hyp.append(tag)
        elif x < 0.85 and tag != "O":
            hyp.append(tag_of(rng, split_tag(tag)[0], rng.choice(types)))
        else:
            hyp.append(random_tag(rng, types, odd))
    return hyp


def random_files(rng, two_files):
    """The text of one random file, or of two (the reference's columns and
    the hypothesis's, line for line), and their (ref, hyp) rows with None at
    each boundary."""
    types = rng.sample(TYPES, rng.randint(1, 3))
    if "IDX-DE" not in types and rng.random() < 0.5:
        types.append("IDX-DE")
    # Typeless tags: a data set of one kind of entity, or mixed with types.
    if rng.random() < 0.15:
        types = [""] if rng.random() < 0.5 else types + [""]
    odd = rng.random() < 0.4
    valid = rng.random() < 0.6
    middle = rng.choice([0, 0, 0, 1, 2])
    newline = "\r\n" if rng.random() < 0.2 else "\n"
    seps = rng.choice([[" "], ["\t"], [" ", "  ", "\t", " \t "]])

    def line(cols):
        text = cols[0]
        for c in cols[1:]:
            text += rng.choice(seps) + c
        return text + (rng.choice(seps) if rng.random() < 0.05 else "")

    # Each line as the reference file's columns and the hypothesis file's
    # (with one file, the first holds both tags); [] for a blank line.
    lines, rows = [], []

    def docstart():
        """A document boundary, in the forms files give it. conlleval reads
        "-DOCSTART-" as a token like any other, tags and all (taggers do tag
        it); a line of it alone it would refuse."""
        r, h = ("O", "O") if rng.random() < 0.7 else \
            (random_tag(rng, types, odd), random_tag(rng, types, odd))
        if not two_files:
            cols = rng.choice([["-DOCSTART-"], ["-DOCSTART-", "-X-", r, h],
                               ["-DOCSTART-"] + ["-X-"] * middle + [r, h]])
            lines.append((cols, None))
            rows.append(None if len(cols) == 1 else tuple(cols[-2:]))
            return
        # Two files: each gives the line its own way; one without a tag
        # reads as O.
        ref = rng.choice([["-DOCSTART-"], ["-DOCSTART-", "-X-", r],
                          ["-DOCSTART-"] + ["-X-"] * middle + [r]])
        hyp = rng.choice([["-DOCSTART-"], ["-DOCSTART-", h], ["-DOCSTART-", "-X-", h]])
        lines.append((ref, hyp))
        rows.append((ref[-1] if len(ref) > 1 else "O", hyp[-1] if len(hyp) > 1 else "O"))

    for doc in range(rng.randint(1, 4)):
        if doc > 0 or rng.random() < 0.5:
            # Sometimes several in a row, which two files must pair line by
            # line, whatever their tags.
            for _ in range(rng.choice([1, 1, 1, 2, 3])):
                docstart()
            if rng.random() < 0.7:
                lines.append(([], []))
                rows.append(None)
        for _ in range(rng.choice([0, 1, 2, 3, 5])):
            n = rng.choice([0, 1, 2, 3, 5, 8, 13])
            if valid:
                ref = valid_sentence(rng, n, types)
                hyp = hypothesis_of(rng, ref, types, odd) if rng.random() < 0.8 else \
                    valid_sentence(rng, n, types)
            else:
                ref = [random_tag(rng, types, odd) for _ in range(n)]
                hyp = hypothesis_of(rng, ref, types, odd) if rng.random() < 0.5 else \
                    [random_tag(rng, types, odd) for _ in range(n)]
            for r, h in zip(ref, hyp):
                extra = [rng.choice(["NN", "VB", "-X-", "I-NP"]) for _ in range(middle)]
                word = rng.choice(WORDS)
                if two_files:
                    lines.append(([word] + extra + [r], [word, h]))
                else:
                    lines.append(([word] + extra + [r, h], None))
                # conlleval reads a line whose first field is "-X-" as a
                # sentence boundary, whatever its tags.
                rows.append(None if word == "-X-" else (r, h))
            lines.append(([], []))
            rows.append(None)
            if rng.random() < 0.1:
                lines.append(([], []))
    # The last token's line may end the file, with or without its line feed.
    while lines and not lines[-1][0] and rng.random() < 0.5:
        lines.pop()
    final = bool(lines) and rng.random() < 0.8
    texts = []
    for side in range(2 if two_files else 1):
        text = newline.join(line(cols[side]) if cols[side] else rng.choice(["", "", "", " ", "\t"])
                            for cols in lines)
        texts.append(text + newline if final else text)
    return texts, rows


# orvane's summary.

COUNT_LINES = {
    "hyp": re.compile(r"\((\d+) entities in hypothesis\)"),
    "ref": re.compile(r"\((\d+) entities in reference\)"),
    "correct": re.compile(r"^\s*(\d+)\s+\S+%\s+corrects$", re.M),
}
TYPE_ROW = re.compile(r"^.*?% (\S+|\(no type\)) \(hyp_count=(\d+), ref_count=(\d+), "
                      r"correct=(\d+)\)$", re.M)


def orvane_counts(binary, paths):
    """Reference, hypothesis and correct Counters as conlleval_counts gives
    them, or an error message."""
    p = subprocess.run([binary, "--conll", "-s", "exact"] + paths, capture_output=True, text=True)
    if p.returncode != 0:
        return f"exit status {p.returncode}: {p.stderr.strip()}"
    ref, hyp, correct = Counter(), Counter(), Counter()
    for key, counter in (("ref", ref), ("hyp", hyp), ("correct", correct)):
        m = COUNT_LINES[key].search(p.stdout)
        if not m:
            return f"no {key} count in the summary"
        counter[None] = int(m.group(1))
    for kind, h, r, c in TYPE_ROW.findall(p.stdout):
        kind = "" if kind == "(no type)" else kind  # typeless tags' type
        hyp[kind], ref[kind], correct[kind] = int(h), int(r), int(c)
    return ref, hyp, correct


def describe(counts):
    ref, hyp, correct = counts
    kinds = sorted({k for c in counts for k in c if k is not None})
    parts = [f"ref={ref[None]} hyp={hyp[None]} correct={correct[None]}"]
    parts += [f"{k}:{ref[k]}/{hyp[k]}/{correct[k]}" for k in kinds]
    return " ".join(parts)


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: conll_compare.py ORVANE_BINARY [COUNT] [SEED]")
    binary = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 500
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    rng = random.Random(seed)
    folder = tempfile.mkdtemp(prefix="conll_compare.")
    mismatches = known = 0
    for i in range(count):
        # One file in three is two: the reference's and the hypothesis's.
        texts, rows = random_files(rng, i % 3 == 2)
        paths = [os.path.join(folder, f"case{i}" + ("", ".hyp")[k] + ".conll")
                 for k in range(len(texts))]
        for path, text in zip(paths, texts):
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)
        want, nested_both = conlleval_counts(rows)
        got = orvane_counts(binary, paths)
        # Types counted nowhere are left out of the comparison: Counter
        # equality ignores missing keys but not zero ones.
        differs = isinstance(got, str) or any(+g != +w for g, w in zip(got, want))
        if differs and nested_both and not isinstance(got, str) and +got[0] == +want[0] \
                and +got[1] == +want[1]:
            known += 1
            for path in paths:
                os.remove(path)
        elif differs:
            mismatches += 1
            shown = got if isinstance(got, str) else describe(got)
            print(f"{' '.join(paths)}: conlleval {describe(want)}; orvane {shown}")
        else:
            for path in paths:
                os.remove(path)
    if mismatches == 0:
        shutil.rmtree(folder)
    print(f"{count} files, {mismatches} mismatches"
          f" ({known} more differ only in correct chunks, where both columns nest a bracket chunk"
          f" or a typeless S, U or L runs on)")
    sys.exit(1 if mismatches else 0)


if __name__ == "__main__":
    main()
