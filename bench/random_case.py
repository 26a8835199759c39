#!/usr/bin/env python3
"""Writes one small random evaluation case, for comparing two builds of orvane.

    random_case.py SEED DIR [--preset]

DIR receives task.lua, ref (annotated text or aref), hyp and args (the
command-line words after the program name, one per line). With --preset the
case names one of the shipped presets, and the types with --types, instead
of task.lua. The cases mix
nested entities, alternative boundaries, whitespace differences, ties and
negative costs, every kind of error-name answer, every report option, and now
and then a fault of the input, so that messages are compared too.
"""
import os
import random
import sys

WORDS = ["Jean", "Dupont", "of", "the", "University", "Paris", "Mr", "head", "Acme",
         "in", "Lyon", "a", "b", "x", "New", "York", "é", "\t"]
TYPES = ["pers", "loc", "org", "func", "amount"]

DESCRIPTIONS = [
    # Exact match, the usual weights.
    """function get_miss_cost(e) return 1, e.hyp and 'insertion' or 'deletion' end
function get_substitution_cost(r, h)
  local t, b = r.type == h.type, r.spos == h.spos and r.epos == h.epos
  if t and b then return 0 end
  if b then return 0.5, 'type' end
  if t then return 0.5, 'boundary' end
  return 1, {'type', 'boundary'}
end
""",
    # Costs from the positions: many ties, some negative costs, numbers as names.
    """function get_miss_cost(e) return (e.spos * 7 + e.epos * 3) % 4 - 1, e.hyp and 1 or 'miss' end
function get_substitution_cost(r, h)
  local c = (r.spos + h.epos * 5 + #r.value) % 5 * 0.25
  if c == 0 then return 0 end
  if c < 0.5 then return c, {'b', 'a', 'b'} end
  return tostring(c), 'type'
end
""",
    # Attributes and values reach the description; costs depend on them.
    """function get_miss_cost(e)
  local n = 0
  for k, v in pairs(e.attr or {}) do n = n + #k + #v end
  return 1 + n % 3
end
function get_substitution_cost(r, h)
  if r.value == h.value and r.type == h.type then return 0 end
  if r.value == h.value then return 1, 'type' end
  return 1.5, {'span'}
end
""",
    # Everything costs the same: the tie-breaks decide the whole alignment.
    """function get_miss_cost(e) return 1, 'miss' end
function get_substitution_cost(r, h) return 1, r.type == h.type and 'span' or 'type' end
""",
    # Tenths and thirds, which round as they add up, with ties among them.
    """function get_miss_cost(e) return e.hyp and 0.1 or 0.3, 'miss' end
function get_substitution_cost(r, h)
  local c = (r.spos + h.epos) % 3 / 3 + (r.type == h.type and 0 or 0.1)
  if c == 0 then return 0 end
  return c, 'x'
end
""",
]


def words(rng, n):
    return [rng.choice(WORDS) for _ in range(n)]


def spans(rng, ntok, depth=0, lo=0, hi=None, nmax=4):
    """Laminar random spans over token indices [lo, hi)."""
    hi = ntok if hi is None else hi
    out = []
    pos = lo
    for _ in range(rng.randint(0, nmax)):
        if pos >= hi:
            break
        s = rng.randint(pos, hi - 1)
        e = rng.randint(s + 1, min(hi, s + 4))
        out.append((s, e, depth))
        if depth < 3 and e - s > 1 and rng.random() < 0.5:
            out.extend(spans(rng, ntok, depth + 1, s, e, 2))
        pos = e + rng.randint(0, 1)
    return out


def annotated(rng, toks, ents, types, attrs):
    opens = {}
    closes = {}
    for i, (s, e, d) in enumerate(sorted(ents, key=lambda x: (x[0], -x[1], x[2]))):
        t = rng.choice(types)
        a = ""
        if attrs and rng.random() < 0.3:
            a = " " + rng.choice(["kind=person", 'note="a b"', "x", "k=v k=w"])
        opens.setdefault(s, []).append("<%s%s>" % (t, a))
        closes.setdefault(e, []).insert(0, "</%s>" % t)
    out = []
    for i in range(len(toks) + 1):
        out.extend(closes.get(i, []))
        if i < len(toks):
            out.extend(opens.get(i, []))
            out.append(toks[i])
            out.append(rng.choice([" ", " ", " ", "  ", "\n"]) if i + 1 < len(toks) else "\n")
    return "".join(out)


def reference_aref(rng, toks, ents, types):
    """aref markers: ids in order of first marker, parents for nesting, 1-3
    start and end candidates per entity."""
    ents = sorted(ents, key=lambda x: (x[0], -x[1], x[2]))
    marks = {}
    stack = []
    for i, (s, e, d) in enumerate(ents):
        while stack and not (ents[stack[-1]][0] <= s and e <= ents[stack[-1]][1]):
            stack.pop()
        parent = stack[-1] if stack else -1
        stack.append(i)
        t = rng.choice(types)
        starts = sorted({s} | {rng.randint(max(0, s - 1), s) for _ in range(rng.randint(0, 2))})
        ends = sorted({e} | {rng.randint(e, min(len(toks), e + 1)) for _ in range(rng.randint(0, 2))})
        first = True
        for p in starts:
            extra = ' type="%s" depth="%d" parent="%d"' % (t, len(stack) - 1, parent) if first else ""
            first = False
            marks.setdefault(p, []).append('<annotation id="%d"%s ftype="s"/>' % (i, extra))
        for p in ends:
            marks.setdefault(p, []).insert(0, '<annotation id="%d" ftype="e"/>' % i)
    out = []
    for i in range(len(toks) + 1):
        out.extend(marks.get(i, []))
        if i < len(toks):
            out.append(toks[i])
            out.append(" " if i + 1 < len(toks) else "\n")
    return "".join(out)


def perturb(rng, ents, ntok):
    out = []
    for s, e, d in ents:
        r = rng.random()
        if r < 0.15:
            continue
        if r < 0.35:
            s = max(0, min(e - 1, s + rng.choice([-1, 1])))
        elif r < 0.45:
            e = min(ntok, max(s + 1, e + rng.choice([-1, 1])))
        out.append((s, e, d))
    out.extend(spans(rng, ntok, nmax=1))
    # Keep it laminar: drop spans that cross an earlier one.
    kept = []
    for s, e, d in out:
        if all(e <= a or b <= s or (a <= s and e <= b) or (s <= a and b <= e) for a, b, _ in kept):
            kept.append((s, e, d))
    return kept


def fault(rng, text):
    """Now and then a fault of the input, at a random place."""
    cut = rng.randint(0, len(text))
    return text[:cut] + rng.choice(["<pers", "</loc>", "<pers =x>", "<pers a=\"b", "zz",
                                    '<annotation id="0" foo="1"/>', "<org>"]) + text[cut:]


def main():
    seed = int(sys.argv[1])
    out = sys.argv[2]
    preset = "--preset" in sys.argv[3:]
    rng = random.Random(seed)
    types = rng.sample(TYPES, rng.randint(1, len(TYPES)))
    toks = words(rng, rng.randint(0, 25))
    toks = [t for t in toks if t != "\t"] or ["x"]
    ref_ents = spans(rng, len(toks))
    # An aref reference needs a marker: its ids run from 0.
    aref = bool(ref_ents) and rng.random() < 0.35
    hyp_ents = perturb(rng, ref_ents, len(toks))
    ref = reference_aref(rng, toks, ref_ents, types) if aref else annotated(rng, toks, ref_ents, types, True)
    hyp = annotated(rng, toks, hyp_ents, types, True)
    if rng.random() < 0.05:
        ref = fault(rng, ref)
    if rng.random() < 0.05:
        hyp = fault(rng, hyp)
    descr = "function get_all_tags() return {%s} end\n" % ", ".join("'%s'" % t for t in types)
    descr += rng.choice(DESCRIPTIONS)
    args = []
    if aref:
        args.append("-a")
    for opt in ["-s", "-d", "-c", "-o"]:
        if rng.random() < 0.3:
            args.append(opt)
    if rng.random() < 0.4:
        args += ["-i", str(rng.choice([0, 1, 5, 10, 100, -3]))]
    if preset:
        # The types as --types gives them, now and then one the documents
        # lack or in another order.
        named = rng.sample(TYPES, len(TYPES)) if rng.random() < 0.2 else types
        args += ["--types", ",".join(named),
                 rng.choice(["exact", "type", "boundary", "partial", "ser"]), "ref", "hyp"]
    else:
        args += ["task.lua", "ref", "hyp"]
    os.makedirs(out, exist_ok=True)
    for name, text in [("task.lua", descr), ("ref", ref), ("hyp", hyp), ("args", "\n".join(args) + "\n")]:
        with open(os.path.join(out, name), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
