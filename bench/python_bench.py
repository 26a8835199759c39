#!/usr/bin/env python3
"""Times orvane.evaluate on tag sequences held as Python lists against a
faithful port of seqeval's default counting (its get_entities and the
per-type sets of classification_report), which Debian does not package.

    python_bench.py [TOKENS]

Run it with the Python that has the orvane package (a virtual environment
made as the README says). Prints both times, their ratio, the memory the
call adds beside the lists' own, and the time of a 100-sentence call.
"""
import gc
import random
import resource
import sys
import time
import tracemalloc

import orvane

sys.dont_write_bytecode = True


# seqeval's default (non-strict) chunking, as its sources state it.
def end_of_chunk(prev_tag, tag, prev_type, type_):
    return (prev_tag in ("E", "S") or (prev_tag in ("B", "I") and tag in ("B", "S", "O"))
            or (prev_tag not in ("O", ".") and prev_type != type_))


def start_of_chunk(prev_tag, tag, prev_type, type_):
    return (tag in ("B", "S") or (prev_tag in ("E", "S") and tag in ("E", "I"))
            or (prev_tag == "O" and tag in ("E", "I")) or (tag not in ("O", ".") and prev_type != type_))


def get_entities(seq):
    seq = [item for sublist in seq for item in sublist + ["O"]]
    prev_tag, prev_type, begin, chunks = "O", "", 0, []
    for i, chunk in enumerate(seq + ["O"]):
        tag = chunk[0]
        type_ = chunk[1:].split("-", maxsplit=1)[-1] or "_"
        if end_of_chunk(prev_tag, tag, prev_type, type_):
            chunks.append((prev_type, begin, i - 1))
        if start_of_chunk(prev_tag, tag, prev_type, type_):
            begin = i
        prev_tag, prev_type = tag, type_
    return chunks


def seqeval_counts(y_true, y_pred):
    true, pred = {}, {}
    for type_, b, e in get_entities(y_true):
        true.setdefault(type_, set()).add((b, e))
    for type_, b, e in get_entities(y_pred):
        pred.setdefault(type_, set()).add((b, e))
    types = sorted(set(true) | set(pred))
    return {t: (len(true.get(t, set()) & pred.get(t, set())), len(pred.get(t, set())),
                len(true.get(t, set()))) for t in types}


def sentences(rng, tokens, length=20):
    """Sentences of `length` tokens with entities of 1 to 3 tokens starting
    at about one token in nine, as in CoNLL-2003's English data, and a
    prediction that misses, retypes, shifts or adds about one entity in
    eight."""
    types = ["PER", "LOC", "ORG", "MISC"]
    y_true, y_pred = [], []
    for _ in range(tokens // length):
        t = ["O"] * length
        spans = []
        i = 0
        while i < length:
            if rng.random() < 0.13:
                n = min(length - i, rng.choice((1, 1, 2, 2, 3)))
                spans.append((i, i + n, rng.choice(types)))
                i += n + 1  # an O between entities keeps them apart
            else:
                i += 1
        for b, e, ty in spans:
            t[b:e] = ["B-" + ty] + ["I-" + ty] * (e - b - 1)
        p = ["O"] * length
        for b, e, ty in spans:
            draw = rng.random()
            if draw < 0.03:
                continue  # missed
            if draw < 0.06:
                ty = rng.choice(types)  # retyped
            elif draw < 0.09 and e - b > 1:
                e -= 1  # shortened
            p[b:e] = ["B-" + ty] + ["I-" + ty] * (e - b - 1)
        if rng.random() < 0.2:
            k = rng.randrange(length)
            if t[k] == "O" and p[k] == "O":
                p[k] = "B-" + rng.choice(types)  # spurious
        y_true.append(t)
        y_pred.append(p)
    return y_true, y_pred


def dense_sentences(rng, tokens, length=20):
    """Tags drawn one by one: entities at four times CoNLL's density, most
    of them one token long, the worst case for a per-entity evaluator."""
    types = ["PER", "LOC", "ORG", "MISC"]
    y_true, y_pred = [], []
    for _ in range(tokens // length):
        t, p = [], []
        for _ in range(length):
            tag = rng.choice(["O", "O", "O", "B-", "I-"])
            tag = tag if tag == "O" else tag + rng.choice(types)
            t.append(tag)
            p.append(tag if rng.random() < 0.9 else rng.choice(["O", "B-PER", "I-LOC"]))
        y_true.append(t)
        y_pred.append(p)
    return y_true, y_pred


def best_of(n, f):
    best = float("inf")
    for _ in range(n):
        gc.collect()
        start = time.perf_counter()
        f()
        best = min(best, time.perf_counter() - start)
    return best


def main():
    numbers = [a for a in sys.argv[1:] if a.isdigit()]
    tokens = int(numbers[0]) if numbers else 1000000
    rng = random.Random(1)
    tracemalloc.start()
    y_true, y_pred = (dense_sentences if "--dense" in sys.argv else sentences)(rng, tokens)
    lists = tracemalloc.get_traced_memory()[0]
    tracemalloc.stop()

    # The same counts first: orvane's exact preset under conlleval's rules
    # is seqeval's default counting.
    counts = seqeval_counts(y_true, y_pred)
    r = orvane.evaluate(y_true, y_pred)
    got = {row["type"]: (row["correct"], row["hypothesis_count"], row["reference_count"])
           for row in r.per_type}
    assert got == counts, (got, counts)

    rss_before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    t_orvane = best_of(3, lambda: orvane.evaluate(y_true, y_pred))
    rss_after = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    t_seqeval = best_of(3, lambda: seqeval_counts(y_true, y_pred))
    batch = (y_true[:100], y_pred[:100])
    t_batch = best_of(20, lambda: orvane.evaluate(*batch))
    print("%d tokens in %d sentences (lists: %.1f MiB)" % (tokens, len(y_true), lists / 2**20))
    print("orvane.evaluate        %.3f s" % t_orvane)
    print("seqeval's counting     %.3f s (a port; %.1fx orvane's time)" % (t_seqeval, t_seqeval / t_orvane))
    print("peak RSS added by the calls: %.1f MiB (%.2fx the lists)" %
          ((rss_after - rss_before) / 1024, (rss_after - rss_before) * 1024 / lists))
    print("100 sentences          %.2f ms" % (t_batch * 1000))


if __name__ == "__main__":
    main()
