#!/usr/bin/env python3
"""Runs end-to-end case folders against the real binary and compares
standard output, standard error and the exit status byte for byte.

A case folder holds:
  args       the command-line words after the program name, one per line
  stdout     expected standard output (absent: must be empty)
  stderr     expected standard error (absent: must be empty)
  status     expected exit status (absent: 0)
  stdout_to  optional: a path standard output is sent to instead (e.g. /dev/full)
  fixture    optional: the name of a folder under fixtures/ whose files the
             case shares with others; the case's own files take precedence
and whatever files the arguments name, relative to the folder.

    run_cases.py [--shard K/N] [--validate JSON_VALIDATE SCHEMA] [--lua-presets]
                 ORVANE CASES_DIR [NAME...]

Runs the cases named, or every case (the K-th of each N in name order with
--shard). With --lua-presets, only the cases that name a shipped preset,
with ORVANE_LUA_PRESETS=1: the presets run through Lua must give what the
program computes without it. With a validator and a schema, the output of a successful run
with --json must also conform to the schema. One process runs many cases:
a shell and its helpers for each case cost as much as the run itself under
the sanitizers.
"""
import argparse
import difflib
import os
import shutil
import subprocess
import sys
import tempfile


def lines_of(path):
    """The file's lines, without their newlines, as bytes (as the shell's
    mapfile -t reads them)."""
    with open(path, "rb") as f:
        data = f.read()
    parts = data.split(b"\n")
    if parts and parts[-1] == b"":
        parts.pop()
    return parts


def compare(name, expected_path, actual):
    """A list of lines saying how `actual` differs from the expected file
    (empty when the file is absent)."""
    expected = b""
    if os.path.exists(expected_path):
        with open(expected_path, "rb") as f:
            expected = f.read()
    elif actual:
        return [f"{name} expected empty, got:", actual[:3000].decode("utf-8", "replace")]
    if expected == actual:
        return []
    diff = difflib.unified_diff(expected.decode("utf-8", "replace").splitlines(True),
                                actual.decode("utf-8", "replace").splitlines(True),
                                name, "actual")
    return [f"{name} differs:", "".join(list(diff)[:60]).rstrip("\n")]


PRESETS = {"exact", "type", "boundary", "partial", "ser"}


def names_a_preset(case_dir):
    """Whether the case's arguments name a shipped preset (or several, with
    --scenarios)."""
    path = os.path.join(case_dir, "args")
    if not os.path.exists(path):
        return False
    args = [a.decode("utf-8", "replace") for a in lines_of(path)]
    return "--scenarios" in args or any(
        a in PRESETS or (a.endswith(".lua") and os.path.basename(a)[:-4] in PRESETS) for a in args)


def run_case(orvane, case_dir, fixtures, validate, env=None):
    """The failures of one case, as lines of text (empty: it passed)."""
    with tempfile.TemporaryDirectory() as work:
        fixture = os.path.join(case_dir, "fixture")
        if os.path.exists(fixture):
            shared = lines_of(fixture)[0].decode()
            shutil.copytree(os.path.join(fixtures, shared), work, dirs_exist_ok=True,
                            symlinks=True)
        shutil.copytree(case_dir, work, dirs_exist_ok=True, symlinks=True)
        args = lines_of(os.path.join(work, "args")) if os.path.exists(
            os.path.join(work, "args")) else []
        target = None
        if os.path.exists(os.path.join(work, "stdout_to")):
            target = os.path.join(work, os.fsdecode(lines_of(os.path.join(work, "stdout_to"))[0]))
        out_path = os.path.join(work, ".stdout.actual")
        with open(target if target is not None else out_path, "wb") as out:
            # The program names itself in its usage text; run it as "orvane".
            r = subprocess.run([b"orvane"] + args, executable=orvane, cwd=work,
                               stdin=subprocess.DEVNULL, stdout=out, env=env,
                               stderr=subprocess.PIPE, timeout=300)
        # A signal's death as the shell reports it, 128 + the signal.
        status = r.returncode if r.returncode >= 0 else 128 - r.returncode
        failures = []
        expected_status = 0
        if os.path.exists(os.path.join(work, "status")):
            with open(os.path.join(work, "status")) as f:
                expected_status = int(f.read().strip())
        if status != expected_status:
            failures.append(f"exit status: expected {expected_status}, got {status}")
        if target is None:
            with open(out_path, "rb") as f:
                failures += compare("stdout", os.path.join(work, "stdout"), f.read())
        failures += compare("stderr", os.path.join(work, "stderr"), r.stderr)
        if validate and status == 0 and target is None and b"--json" in args:
            v = subprocess.run(validate + [out_path], capture_output=True)
            if v.returncode != 0:
                failures.append((v.stdout + v.stderr).decode("utf-8", "replace").rstrip("\n"))
        return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--shard", default="1/1", help="K/N: the K-th of each N cases")
    parser.add_argument("--validate", nargs=2, metavar=("JSON_VALIDATE", "SCHEMA"))
    parser.add_argument("--lua-presets", action="store_true",
                        help="the cases naming a preset, the presets run through Lua")
    parser.add_argument("orvane")
    parser.add_argument("cases_dir")
    parser.add_argument("names", nargs="*")
    a = parser.parse_args()
    orvane = os.path.abspath(a.orvane)
    cases_dir = os.path.abspath(a.cases_dir)
    fixtures = os.path.join(os.path.dirname(cases_dir), "fixtures")
    validate = [os.path.abspath(p) for p in a.validate] if a.validate else None
    k, n = (int(x) for x in a.shard.split("/"))
    names = a.names or sorted(d for d in os.listdir(cases_dir)
                              if os.path.isdir(os.path.join(cases_dir, d)))
    env = None
    if a.lua_presets:
        names = [x for x in names if names_a_preset(os.path.join(cases_dir, x))]
        env = dict(os.environ, ORVANE_LUA_PRESETS="1")
    names = names[k - 1::n]
    failed = []
    for name in names:
        case_dir = os.path.join(cases_dir, name)
        if not os.path.isdir(case_dir):
            failures = ["no such case"]
        else:
            try:
                failures = run_case(orvane, case_dir, fixtures, validate, env)
            except (OSError, subprocess.SubprocessError, ValueError, IndexError) as e:
                failures = [f"the case could not be run: {e}"]
        if failures:
            failed.append(name)
            print(f"--- {name}: FAILED")
            print("\n".join(failures))
    print(f"run_cases: {len(names) - len(failed)} of {len(names)} cases pass"
          + (": " + " ".join(failed) + " fail" if failed else ""))
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main())
