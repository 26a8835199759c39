#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets under tests/fuzz/corpus/:
the documents of the end-to-end cases and hostile documents. Inputs found by
fuzzing are added beside them by `make fuzz-merge`; run this again after
adding end-to-end cases (it only adds or rewrites seed-*)."""
import hashlib
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
cases = os.path.join(here, "..", "e2e", "cases")
fixtures = os.path.join(here, "..", "e2e", "fixtures")


def write(target, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    name = "seed-" + hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def case_pairs():
    """(reference, hypothesis, aref) of every end-to-end case and fixture."""
    for root in (cases, fixtures):
        for name in sorted(os.listdir(root)):
            folder = os.path.join(root, name)
            files = {}
            fixture = os.path.join(folder, "fixture")
            if os.path.exists(fixture):
                base = os.path.join(fixtures, read(fixture).decode().strip())
                for f in os.listdir(base):
                    files[f] = os.path.join(base, f)
            for f in os.listdir(folder):
                files[f] = os.path.join(folder, f)
            refs = [f for f in files if f.endswith((".aref", ".txt")) and f.startswith(("ref", "reference"))]
            hyps = [f for f in files if f.startswith(("hyp", "hypothesis")) and f.endswith(".txt")]
            for r in refs:
                for h in hyps:
                    yield read(files[r]), read(files[h]), r.endswith(".aref")


def nested_stack(n, shift):
    """n nested entities, each starting `shift` words after the one outside it."""
    words = " ".join("w%d" % i for i in range(n * shift + 1))
    parts = words.split(" ")
    out = []
    for i, w in enumerate(parts):
        if shift and i % shift == 0 and i // shift < n:
            out.append("<pers>")
        elif not shift and i == 0:
            out.append("<pers>" * n)
        out.append(w + " ")
    out.append("</pers>" * n)
    return "".join(out).encode()


hostile = [
    b"",
    b"<pers></pers>" * 50,
    b"<pers>" * 2000 + b"x" + b"</pers>" * 2000,
    b"<pers>a</pers>" * 3000,
    b"a\r\nb\rc<pers>d\r</pers>\r\n",
    b"\xef\xbb\xbf<pers>Jean</pers>\n",
    b"\xff\xfe<\x00p\x00",
    b"<pers>\xc3\x28\xa0\xa1</pers> \xf0\x28\x8c\x28",
    b'<pers a="' + b"v" * 5000 + b'">x</pers>',
    b"<pers " + b" ".join(b"a%d=%d" % (i, i) for i in range(1000)) + b">x</pers>",
    b"text <",
    b"<pers>x</pers><",
    b"<PER>Jean</PER> <x-y>a</x-y> <a=b>c</a=b>",
    b"<pers note=\"l1\nD: fake\x1b[31m\">x</pers>",
    b"said\x00 <loc>Paris</loc>",
    nested_stack(10, 1),
    nested_stack(12, 0),
    nested_stack(30, 1),
]

aref_hostile = [
    b"",
    b"no markers at all\n",
    b"Le <annotation id=\"1\" type=\"pers\" ftype=\"s\"/>M. <annotation id=\"1\" ftype=\"e\"/>",
    b"<annotation id=0 type=pers ftype=se/>x<annotation id=1 type=loc ftype=s/>y"
    b"<annotation id=0 ftype=e/>z<annotation id=1 ftype=e/>",
    b"<annotation id=1 type=pers ftype=s parent=0/>a<annotation id=0 type=pers ftype=s/>"
    b"b<annotation id=1 ftype=e/><annotation id=0 ftype=e/>",
    b"".join(b"<annotation id=%d type=pers ftype=s/>w%d " % (i, i) for i in range(30))
    + b"".join(b"<annotation id=%d ftype=e/>" % i for i in range(30)),
    b"<annotation id=2147483647 type=pers ftype=s/>",
    b"<annotation id=0 type=pers ftype=s depth=-5 parent=-1/>x<annotation id=0 ftype=e/>",
]

text_docs = set(hostile)
aref_docs = set(aref_hostile)
pairs = []
for ref, hyp, aref in case_pairs():
    (aref_docs if aref else text_docs).add(ref)
    text_docs.add(hyp)
    pairs.append((ref, hyp, aref))
for d in hostile:
    # Whole runs take documents of at most 4 KiB (see scripts/fuzz-target):
    # longer stacks ask quadratically many costs, slow under the sanitizers.
    if len(d) <= 4096:
        pairs.append((d, d, False))
pairs.append((nested_stack(10, 1), nested_stack(10, 1).replace(b"<pers>", b"<loc>", 3)
              .replace(b"</pers>", b"</loc>", 3), False))
for d in aref_hostile:
    pairs.append((d, d.replace(b"<annotation", b"<x"), True))

for d in text_docs:
    write("text_reader", d)
for d in aref_docs:
    write("aref_reader", d)
for ref, hyp, aref in pairs:
    if not aref:
        write("reposition", ref + b"\0" + hyp)
    for flags in (0, 0x2F if not aref else 0x2F | 1):
        write("run", bytes([flags | (1 if aref else 0), 10]) + ref + b"\0" + hyp)
# Standoff documents: each text file beside an annotation file, its text
# then a NUL then its annotations; and hostile annotation files over one text.
standoff_text = "Jean Dupont vit à Paris.\r\n😀 Acme\n".encode()
standoff_hostile = [
    b"",
    b"T1\tPER 0 4\tJean\nT2\tLOC 18 23\tParis\nA1\tNegated T2\nN1\tReference T1 W:1\tJean\n",
    b"T1\tPER 0 11;5 20\tx\nT2\tPER 0 11\nT3\tPER 0 11\n",
    b"T1\tPER 0 11\tJean Dupont\nT2\tLOC 5 15\tDupont vit\n",
    b"T1\tPER 0 4\tJean\nT1\tPER 0 4\tJean\n",
    b"T1\tPER 0 9999999999\tx\nT2\tPER 4 0\n",
    b"\r\n\nR1\tr Arg1:T1 Arg2:T2\nE1\tEv:T1\n*\tEq T1 T2\n#1\tNote T1\tx\nA1\tA E1\n",
    b"".join(b"T%d\tPER 0 %d\n" % (i, 30 - i % 25) for i in range(1, 200)),
]
for root in (cases, fixtures):
    for dirpath, _, names in os.walk(root):
        for f in names:
            if f.endswith(".ann") and os.path.exists(os.path.join(dirpath, f[:-4] + ".txt")):
                write("standoff", read(os.path.join(dirpath, f[:-4] + ".txt")) + b"\0" +
                      read(os.path.join(dirpath, f)))
for ann in standoff_hostile:
    write("standoff", standoff_text + b"\0" + ann)

# JSON lines: every .jsonl file of the cases, and hostile lines.
for root in (cases, fixtures):
    for dirpath, _, names in os.walk(root):
        for f in names:
            if f.endswith(".jsonl"):
                write("jsonl", read(os.path.join(dirpath, f)))
for line in [b"", b"{}", b"[]", b'{"text": "a"}', b'{"text": "\\u00e9\\ud83d\\ude00 x", "label": [[1, 2, "X"]]}',
             b'{"text": "abc", "spans": [{"start": 0, "end": 3, "label": "P"}, {"start": 1, "end": 2, "label": "P"}]}',
             b'{"text": "abc", "label": [[0, 2, "P"], [1, 3, "P"]]}',
             b'{"text": "abc", "label": [[0, 99999999999, "P"]], "id": [1]}',
             b'{"text": "a\\r\\nb", "entities": [[0, 3, "P"], [2, 3, "Q"], [2, 3, "P"]]}\r\n\n{"text": 1}']:
    write("jsonl", line)

# Label Studio exports: every .json file of the Label Studio cases.
for root in (cases, fixtures):
    for dirpath, _, names in os.walk(root):
        for f in names:
            if f.endswith(".json") and "labelstudio" in dirpath:
                write("labelstudio", read(os.path.join(dirpath, f)))

# Shards: the shard reports of the cases and every JSON report the cases
# print, each after a byte of report choices (the target's first byte).
for root in (cases, fixtures):
    for dirpath, _, names in os.walk(root):
        for f in names:
            path = os.path.join(dirpath, f)
            data = read(path)
            if (f.endswith(".json") and b'"merge"' in data) or (f == "stdout" and data.startswith(b'{"documents"')):
                for choice in (0, 1, 0x7e, 0x7f):
                    write("shard", bytes([choice]) + data)

for i, answers in enumerate([b"", b"\x01\x01", b"\x02\x06\x10\x07\x01\x41", b"\x04\x09\x03\x07\x02\x08\x09",
                             b"\x03\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d",
                             bytes(range(256))]):
    for pair in range(3):
        write("answers", bytes([pair]) + answers)
print("seeds written", file=sys.stderr)
