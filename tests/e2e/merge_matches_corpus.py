#!/usr/bin/env python3
"""Merged shards report as one corpus run over the same pairs, byte for byte.

    merge_matches_corpus.py ORVANE [COUNT [SEED]]

Each of COUNT random corpora (1 to 40 document pairs, nested entities,
alternative boundaries, several descriptions) is evaluated once whole, and
once in 1 to 50 shards, each evaluated with --json and all merged with
--merge: either the parts of --shard K/N over the same folders, or pairs
files of pairs drawn at random (in any order); now and then the shards are
merged in two groups and the two results merged again. Under a random
choice of report options, the merge's standard output must be the whole
run's byte for byte; with pairs files and --json, but for its "documents"
member (the shards name their pairs files, the whole run its folders).
"""
import json
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import random_case  # noqa: E402  (the documents of the random single-pair cases)


def run(orvane, args, cwd):
    r = subprocess.run(["orvane"] + args, executable=orvane, cwd=cwd, capture_output=True)
    return r.returncode, r.stdout, r.stderr


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def make_corpus(rng, root):
    """A random corpus under root/ref and root/hyp; its description; its
    pairs as relative paths; the options its runs take."""
    types = random_case.TYPES
    aref = rng.random() < 0.2
    descr = "function get_all_tags() return {%s} end\n" % ", ".join("'%s'" % t for t in types)
    descr += rng.choice(random_case.DESCRIPTIONS[:2])
    write(os.path.join(root, "task.lua"), descr)
    names = set()
    while len(names) < rng.randint(1, 40):
        depth = rng.choice(["", "sub/", "sub/deeper/", "a b/"])
        names.add(depth + rng.choice(["doc", "Doc", "d", "é"]) + str(rng.randint(0, 99)) + ".txt")
    pairs = []
    for name in sorted(names):
        toks = [t for t in random_case.words(rng, rng.randint(0, 25)) if t != "\t"] or ["x"]
        ref_ents = random_case.spans(rng, len(toks))
        hyp_ents = random_case.perturb(rng, ref_ents, len(toks))
        if aref and ref_ents:
            ref = random_case.reference_aref(rng, toks, ref_ents, types)
        else:
            ref = random_case.annotated(rng, toks, ref_ents, types, True)
        write(os.path.join(root, "ref", name), ref)
        write(os.path.join(root, "hyp", name), random_case.annotated(rng, toks, hyp_ents, types, True))
        pairs.append(("ref/" + name, "hyp/" + name))
    evaluation = []
    if aref:
        evaluation.append("-a")
    if rng.random() < 0.2:
        evaluation += ["--only-types", ",".join(rng.sample(types, rng.randint(1, len(types))))]
    return pairs, evaluation


def report_options(rng):
    options = []
    for flag in ["-s", "--confusion", "--table", "--credit", "--per-document", "--json"]:
        if rng.random() < 0.35:
            options.append(flag)
    if rng.random() < 0.3:
        options += ["-i", str(rng.choice([0, 10, 100]))]
        if rng.random() < 0.5:
            options.append("-o")
    if rng.random() < 0.3:
        options += ["--bootstrap", str(rng.randint(1, 60)), "--seed", str(rng.randint(0, 9))]
    return options


def without_documents(output):
    """A JSON report but for its first member, "documents"."""
    start = output.index(b',"', output.index(b"}"))
    return output[start:]


def merge(orvane, root, options, shards):
    return run(orvane, ["--merge", "--quiet"] + options + shards, root)


def check(orvane, seed):
    rng = random.Random(seed)
    with tempfile.TemporaryDirectory() as root:
        pairs, evaluation = make_corpus(rng, root)
        options = report_options(rng)
        # The corpus: the folders, or a pairs file in any order (its own).
        corpus = ["task.lua", "ref", "hyp"]
        if rng.random() < 0.3:
            listed = list(pairs)
            rng.shuffle(listed)
            write(os.path.join(root, "all.tsv"), "".join("%s\t%s\n" % p for p in listed))
            corpus = ["--pairs", "all.tsv", "task.lua"]
        status, whole, err = run(orvane, ["--corpus", "--quiet"] + evaluation + options + corpus,
                                 root)
        if status != 0:
            return "skipped"  # a fault of the random documents (an aref choice)
        count = rng.randint(1, min(50, len(pairs)))
        parts = corpus[0] == "--pairs" or rng.random() < 0.4
        if parts:
            count = rng.randint(1, 50)  # more parts than pairs leaves some empty
        shards = [[] for _ in range(count)]
        for p in pairs:
            shards[rng.randrange(count)].append(p)
        if not parts:
            shards = [s for s in shards if s]
        files = []
        for k, shard in enumerate(shards):
            if parts:
                args = ["--corpus", "--quiet", "--shard", "%d/%d" % (k + 1, count), "--json"] + \
                    evaluation + corpus
            else:
                rng.shuffle(shard)  # a pairs file in any order: the merge orders the pairs
                write(os.path.join(root, "s%d.tsv" % k), "".join("%s\t%s\n" % p for p in shard))
                args = ["--corpus", "--pairs", "s%d.tsv" % k, "--json"] + evaluation + ["task.lua"]
            status, out, err = run(orvane, args, root)
            if status != 0:
                return "shard %d failed: %s" % (k, err.decode(errors="replace"))
            write(os.path.join(root, "s%d.json" % k), out.decode("utf-8"))
            files.append("s%d.json" % k)
        rng.shuffle(files)
        if len(files) > 2 and rng.random() < 0.3 and not parts:
            # In two groups, then the groups: a merge's report merges again.
            cut = rng.randint(1, len(files) - 1)
            for name, group in (("g1.json", files[:cut]), ("g2.json", files[cut:])):
                status, out, err = merge(orvane, root, ["--json"], group)
                if status != 0:
                    return "group merge failed: %s" % err.decode(errors="replace")
                write(os.path.join(root, name), out.decode("utf-8"))
            files = ["g2.json", "g1.json"]
        status, merged, err = merge(orvane, root, options, files)
        if status != 0:
            return "merge failed: %s" % err.decode(errors="replace")
        if "--json" in options and not parts:
            json.loads(merged)
            same = without_documents(merged) == without_documents(whole)
        else:
            same = merged == whole
        if not same:
            return "differs with %s over %d %s" % (" ".join(options), len(shards),
                                                 "parts" if parts else "shards")
        return None


def main():
    orvane = os.path.abspath(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    first = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    failed = skipped = 0
    for seed in range(first, first + count):
        problem = check(orvane, seed)
        if problem == "skipped":
            skipped += 1
        elif problem:
            failed += 1
            print("seed %d: %s" % (seed, problem))
    print("merge_matches_corpus: %d corpora (%d skipped), %d differ" % (count, skipped, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
