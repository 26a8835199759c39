#!/usr/bin/env python3
"""A corpus evaluated in shards on a Dask cluster, then merged by orvane.

    dask_shards.py [--scheduler ADDRESS | --workers N] [--shards N]
                   [--orvane PROGRAM] [--evaluate OPTIONS]
                   DESCRIPTION PAIRS [MERGE OPTION...]

PAIRS is a pairs file (REF<TAB>HYP a line, paths relative to its folder).
Each of the --shards parts of it is evaluated on a worker with
`orvane --corpus --pairs PAIRS --shard K/N --json DESCRIPTION` and
--evaluate's options (the format, --types, --only-types, ...): nothing is
cut or written beforehand. The JSON reports come back to this process,
which merges them with `orvane --merge` and the MERGE OPTIONs (-i N,
--per-document, --bootstrap N, --json, ...) and prints the reports of one
`orvane --corpus --pairs PAIRS` run, byte for byte; a part lost on the way
would be named, not left out.

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


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--scheduler", help="a running cluster's scheduler address")
    parser.add_argument("--workers", type=int, default=2, help="LocalCluster processes")
    parser.add_argument("--shards", type=int, default=4, help="parts of the corpus")
    parser.add_argument("--orvane", default="orvane", help="the program (on every worker)")
    parser.add_argument("--evaluate", default="", help="options of each shard's evaluation")
    parser.add_argument("description")
    parser.add_argument("pairs")
    parser.add_argument("merge_options", nargs=argparse.REMAINDER)
    a = parser.parse_args()

    cluster = None if a.scheduler else LocalCluster(
        n_workers=a.workers, threads_per_worker=1, processes=True, dashboard_address=None)
    with Client(a.scheduler or cluster) as client:
        commands = [[a.orvane, "--corpus", "--quiet", "--pairs", a.pairs,
                     "--shard", "%d/%d" % (k + 1, a.shards), "--json"] +
                    shlex.split(a.evaluate) + [a.description] for k in range(a.shards)]
        futures = client.map(evaluate_shard, commands, cwd=os.getcwd(), pure=False)
        results = client.gather(futures)
    if cluster:
        cluster.close()
    with tempfile.TemporaryDirectory() as reports:
        files = []
        for k, (status, out, err) in enumerate(results):
            sys.stderr.buffer.write(err)
            if status != 0:
                print("dask_shards: part %d of %d failed (status %d)" % (k + 1, len(results), status),
                      file=sys.stderr)
                return status
            files.append(os.path.join(reports, "part%d.json" % k))
            with open(files[-1], "wb") as f:
                f.write(out)
        sys.stdout.flush()
        return subprocess.run([a.orvane, "--merge", "--quiet"] + a.merge_options + files).returncode


if __name__ == "__main__":
    sys.exit(main())
