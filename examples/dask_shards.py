#!/usr/bin/env python3
"""A corpus evaluated in shards on a Dask cluster, then merged by orvane.

    dask_shards.py [--scheduler ADDRESS | --workers N] [--shards N]
                   [--orvane PROGRAM] [--evaluate OPTIONS]
                   DESCRIPTION PAIRS [MERGE OPTION...]

PAIRS is a pairs file (REF<TAB>HYP a line, paths relative to its folder).
Its lines are cut into --shards pairs files written beside it (so that
their pairs keep the names a run over PAIRS gives them); each is evaluated
on a worker with `orvane --corpus --pairs SHARD --json DESCRIPTION` and
--evaluate's options (the format, --types, --only-types, ...); the JSON
reports come back to this process, which merges them with
`orvane --merge` and the MERGE OPTIONs (-i N, --per-document,
--bootstrap N, --json, ...) and prints the reports: those of one
`orvane --corpus --pairs PAIRS` run over the lines in order of their names.

Without --scheduler, a LocalCluster of --workers processes stands in for a
cluster. On a real one the workers must see the program, the description
and the documents at the same paths as this process (shared storage); the
shards' reports travel as the tasks' results, so nothing is written there.
"""
import argparse
import os
import shlex
import subprocess
import sys
import tempfile

from dask.distributed import Client, LocalCluster


def evaluate_shard(command, cwd):
    """Runs one shard's evaluation; its status, report and messages."""
    r = subprocess.run(command, cwd=cwd, capture_output=True)
    return r.returncode, r.stdout, r.stderr


def shard_lines(pairs_file, count):
    with open(pairs_file, encoding="utf-8", newline="") as f:
        lines = [line if line.endswith("\n") else line + "\n" for line in f if line.strip()]
    count = max(1, min(count, len(lines)))
    size = -(-len(lines) // count)  # contiguous runs of lines, the last maybe shorter
    return [lines[k:k + size] for k in range(0, len(lines), size)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", help="a running cluster's scheduler address")
    parser.add_argument("--workers", type=int, default=2, help="LocalCluster processes")
    parser.add_argument("--shards", type=int, default=4)
    parser.add_argument("--orvane", default="orvane", help="the program (on every worker)")
    parser.add_argument("--evaluate", default="", help="options of each shard's evaluation")
    parser.add_argument("description")
    parser.add_argument("pairs")
    parser.add_argument("merge_options", nargs=argparse.REMAINDER)
    a = parser.parse_args()

    # Beside PAIRS, named as relative as it is: the pairs keep their names.
    folder = os.path.dirname(a.pairs)
    base = os.path.basename(a.pairs)
    shards = []
    try:
        for k, lines in enumerate(shard_lines(a.pairs, a.shards)):
            name = os.path.join(folder, ".%s.shard%d.tsv" % (base, k))
            with open(name, "w", encoding="utf-8", newline="") as f:
                f.writelines(lines)
            shards.append(name)
        cluster = None if a.scheduler else LocalCluster(
            n_workers=a.workers, threads_per_worker=1, processes=True, dashboard_address=None)
        with Client(a.scheduler or cluster) as client:
            commands = [[a.orvane, "--corpus", "--quiet", "--pairs", s, "--json"] +
                        shlex.split(a.evaluate) + [a.description] for s in shards]
            futures = client.map(evaluate_shard, commands, cwd=os.getcwd(), pure=False)
            results = client.gather(futures)
        if cluster:
            cluster.close()
        with tempfile.TemporaryDirectory() as reports:
            files = []
            for k, (status, out, err) in enumerate(results):
                sys.stderr.buffer.write(err)
                if status != 0:
                    print("dask_shards: shard %d of %d failed (status %d)" %
                          (k + 1, len(results), status), file=sys.stderr)
                    return status
                files.append(os.path.join(reports, "shard%d.json" % k))
                with open(files[-1], "wb") as f:
                    f.write(out)
            sys.stdout.flush()
            return subprocess.run([a.orvane, "--merge", "--quiet"] + a.merge_options + files).returncode
    finally:
        for name in shards:
            os.remove(name)


if __name__ == "__main__":
    sys.exit(main())
