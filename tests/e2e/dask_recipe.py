#!/usr/bin/env python3
"""The README's Dask recipe (examples/dask_shards.py) runs, and its merged
report is that of one corpus run over the same pairs.

    dask_recipe.py ORVANE SOURCE_DIR

100 random document pairs listed in a random order, 4 parts (--shard) on
a LocalCluster of 2 worker processes. Exits 77 (skipped) when Dask's distributed scheduler is not
installed (Debian: python3-dask, python3-distributed).
"""
import os
import random
import subprocess
import sys
import tempfile

try:
    import dask.distributed  # noqa: F401
except ImportError as e:
    print("dask_recipe: skipped, Dask's distributed scheduler cannot be imported (%s); "
          "Debian's python3-dask and python3-distributed provide it" % e)
    sys.exit(77)


def main():
    orvane, source = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    sys.path.insert(0, os.path.join(source, "bench"))
    import random_case
    rng = random.Random(28)
    types = random_case.TYPES
    report = ["--per-document", "--confusion", "--table", "-i", "40", "--bootstrap", "200",
              "--seed", "4"]
    with tempfile.TemporaryDirectory() as root:
        lines = []
        for k in range(100):
            toks = [t for t in random_case.words(rng, rng.randint(1, 25)) if t != "\t"] or ["x"]
            ents = random_case.spans(rng, len(toks))
            for side, spans in (("ref", ents), ("hyp", random_case.perturb(rng, ents, len(toks)))):
                os.makedirs(os.path.join(root, side), exist_ok=True)
                with open(os.path.join(root, side, "doc%03d.txt" % k), "w", encoding="utf-8") as f:
                    f.write(random_case.annotated(rng, toks, spans, types, True))
            lines.append("ref/doc%03d.txt\thyp/doc%03d.txt\n" % (k, k))
        rng.shuffle(lines)  # the pairs file's own order is the corpus's
        with open(os.path.join(root, "pairs.tsv"), "w") as f:
            f.writelines(lines)
        with open(os.path.join(root, "task.lua"), "w") as f:
            f.write("function get_all_tags() return {%s} end\n" % ", ".join("'%s'" % t for t in types))
            f.write(random_case.DESCRIPTIONS[0])
        whole = subprocess.run([orvane, "--corpus", "--quiet", "--pairs", "pairs.tsv"] + report +
                               ["task.lua"], cwd=root, capture_output=True)
        merged = subprocess.run([sys.executable, os.path.join(source, "examples", "dask_shards.py"),
                                 "--orvane", orvane, "--workers", "2", "--shards", "4", "task.lua",
                                 "pairs.tsv"] + report, cwd=root, capture_output=True)
        if merged.returncode != 0 or whole.returncode != 0:
            print("dask_recipe: a run failed (whole %d, recipe %d):\n%s" % (
                whole.returncode, merged.returncode, merged.stderr.decode(errors="replace")))
            return 1
        if merged.stdout != whole.stdout:
            print("dask_recipe: the merged report differs from the whole run's")
            print(merged.stdout.decode(errors="replace"))
            return 1
    print("dask_recipe: 100 pairs in 4 shards on 2 workers, merged as the whole run")
    return 0


if __name__ == "__main__":
    sys.exit(main())
