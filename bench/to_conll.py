#!/usr/bin/env python3
"""Writes a bench corpus in token-per-line (CoNLL) form beside its
annotated-text form.

    to_conll.py DIR

From DIR/ref.txt and DIR/hyp.txt (inline tags <type>...</type>) it writes
DIR/ref.conll and DIR/hyp.conll (token and IOB2 tag) and DIR/data.conll
(token, reference tag, hypothesis tag). The tokens are the words of the bare
text, a word being also cut where a tag meets it; both texts must give the
same tokens. IOB2 cannot nest, so an entity inside another is left out, as
is one without a token. A sentence ends at a line break of the reference
that no entity of either side crosses.
"""
import os
import re
import sys

# A tag, a run of spaces, a word; anything else is a fault of the input.
PIECE = re.compile(r"<(/?)([^<>/\s]+)>|(\s+)|([^<\s]+)|(.)", re.S)


def read_annotated(path):
    """The tokens of an annotated text, the IOB2 tag of each, whether a line
    break comes before each, and how many entities were left out."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    tokens, tags, breaks = [], [], []
    open_types = []  # the types of the open entities, outermost first
    outer_tokens = 0  # tokens of the open outermost entity so far
    left_out = 0
    line_break = False
    for m in PIECE.finditer(text):
        closing, kind, space, word, stray = m.groups()
        if word:
            if open_types:
                tags.append(("I-" if outer_tokens else "B-") + open_types[0])
                outer_tokens += 1
            else:
                tags.append("O")
            tokens.append(word)
            breaks.append(line_break)
            line_break = False
        elif space:
            line_break = line_break or "\n" in space
        elif stray:
            sys.exit(f"{path}: stray '{stray}' at offset {m.start()}")
        elif not closing:
            if open_types:
                left_out += 1
            else:
                outer_tokens = 0
            open_types.append(kind)
        else:
            if not open_types or open_types[-1] != kind:
                sys.exit(f"{path}: </{kind}> at offset {m.start()} closes no <{kind}>")
            open_types.pop()
            if not open_types and outer_tokens == 0:
                left_out += 1
    if open_types:
        sys.exit(f"{path}: <{open_types[-1]}> is never closed")
    return tokens, tags, breaks, left_out


def write_lines(path, rows, first):
    """Writes `rows` (tuples of columns, or None for a sentence boundary)
    after a document-start line."""
    with open(path, "w", encoding="utf-8") as f:
        f.write(first + "\n\n")
        f.write("".join("\n" if row is None else " ".join(row) + "\n" for row in rows))


def convert(d):
    """Writes the CoNLL files of corpus folder `d` unless they are there.
    Returns how many reference and hypothesis entities they leave out, or
    None when they were there."""
    names = [os.path.join(d, n) for n in ("ref.conll", "hyp.conll", "data.conll")]
    if all(os.path.exists(n) for n in names):
        return None
    ref_tokens, ref_tags, ref_breaks, ref_left = read_annotated(os.path.join(d, "ref.txt"))
    hyp_tokens, hyp_tags, _, hyp_left = read_annotated(os.path.join(d, "hyp.txt"))
    if ref_tokens != hyp_tokens:
        at = next((i for i, (r, h) in enumerate(zip(ref_tokens, hyp_tokens)) if r != h),
                  min(len(ref_tokens), len(hyp_tokens)))
        sys.exit(f"{d}: the reference and the hypothesis differ at token {at}")
    # An I- tag continues an entity from the token before: no sentence ends there.
    ends = [b and not r.startswith("I-") and not h.startswith("I-")
            for b, r, h in zip(ref_breaks, ref_tags, hyp_tags)]
    one, ref_rows, hyp_rows = [], [], []
    for i, token in enumerate(ref_tokens):
        if ends[i]:
            for rows in (one, ref_rows, hyp_rows):
                rows.append(None)
        one.append((token, ref_tags[i], hyp_tags[i]))
        ref_rows.append((token, ref_tags[i]))
        hyp_rows.append((token, hyp_tags[i]))
    # Written to a temporary name first, so that a stopped run leaves no
    # half-written file that a later run would take as done.
    for name, rows, first in zip(names, (ref_rows, hyp_rows, one),
                                 ("-DOCSTART- O", "-DOCSTART- O", "-DOCSTART- O O")):
        write_lines(name + ".part", rows, first)
    for name in names:
        os.replace(name + ".part", name)
    return ref_left, hyp_left


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: to_conll.py DIR")
    left = convert(sys.argv[1])
    if left:
        print(f"{sys.argv[1]}: the CoNLL form leaves out {left[0]} reference and {left[1]} "
              "hypothesis entities (nested, or without a token)")
