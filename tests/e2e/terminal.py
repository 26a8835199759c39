#!/usr/bin/env python3
"""A corpus run on a terminal that is both its standard output and its
standard error: the progress line never shares a line with the listing.
The run's bytes are played on a small terminal model (carriage return,
erase to the end of the line, line feed) and every line left on the screen
is checked.

    terminal.py path/to/orvane
"""
import os
import pty
import subprocess
import sys
import tempfile

binary = os.path.abspath(sys.argv[1])
failures = []
PAIRS = 40


def run_on_terminal(args, cwd):
    """The bytes that the program writes to its terminal, and its status."""
    pid, fd = pty.fork()
    if pid == 0:
        os.chdir(cwd)
        os.execv(binary, [binary] + args)
    out = b""
    while True:
        try:
            data = os.read(fd, 65536)
        except OSError:  # the other side closed
            break
        if not data:
            break
        out += data
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return out, os.waitstatus_to_exitcode(status)


def screen_lines(data):
    """The lines a terminal shows after `data`, the last one included."""
    lines, line, col = [], [], 0
    text = data.decode("utf-8", "replace")
    i = 0
    while i < len(text):
        if text.startswith("\x1b[K", i):
            del line[col:]
            i += 3
            continue
        c = text[i]
        i += 1
        if c == "\r":
            col = 0
        elif c == "\n":
            lines.append("".join(line))
            line, col = [], 0
        else:
            if col < len(line):
                line[col] = c
            else:
                line.append(c)
            col += 1
    lines.append("".join(line))
    return lines


def check(label, args, cwd, want_progress_drawn, unit="pairs"):
    out, status = run_on_terminal(args, cwd)
    if status != 0:
        failures.append(f"{label}: status {status}: {out[-300:]!r}")
        return []
    drawn = f"{unit}/s".encode() in out
    if drawn != want_progress_drawn:
        failures.append(f"{label}: progress line drawn: {drawn}, expected {want_progress_drawn}")
    lines = screen_lines(out)
    for line in lines:
        if f"{unit}/s" in line:
            failures.append(f"{label}: the progress line stays on the screen: {line!r}")
            break
    return lines


with tempfile.TemporaryDirectory() as work:
    for side in ("ref", "hyp"):
        os.mkdir(os.path.join(work, side))
    for i in range(PAIRS):
        with open(os.path.join(work, "ref", f"{i:02}.conll"), "w") as f:
            f.write("Jean B-PER\nvit O\nParis B-LOC\n")
        with open(os.path.join(work, "hyp", f"{i:02}.conll"), "w") as f:
            f.write("Jean B-PER\nvit O\nParis O\n")

    # The listing streams while the progress line is drawn: each listing
    # line is whole on the screen.
    for jobs in ("1", "2"):
        lines = check(f"-d -j {jobs}", ["--corpus", "--conll", "-d", "-j", jobs, "exact", "ref", "hyp"],
                      work, True)
        listing = [l for l in lines if l.startswith("D: deletion")]
        if len(listing) != PAIRS or any(not l.startswith("D: deletion (1): ref/") for l in listing):
            failures.append(f"-d -j {jobs}: {len(listing)} whole deletion lines of {PAIRS}")

    # Without a listing the line is drawn and gone before the summary.
    lines = check("summary", ["--corpus", "--conll", "exact", "ref", "hyp"], work, True)
    if not any(l.startswith("Slot Error Rate:") for l in lines):
        failures.append("summary: no summary on the screen")

    # A JSON document writes at any byte: no progress line at all.
    check("--json -d", ["--corpus", "--conll", "--json", "-d", "exact", "ref", "hyp"], work, False)

    # A merge of many shards counts them, and its line is gone before the
    # summary.
    os.mkdir(os.path.join(work, "parts"))
    for k in range(1, 13):
        with open(os.path.join(work, "parts", f"{k}.json"), "wb") as f:
            subprocess.run(["orvane", "--corpus", "--conll", "--json", "--quiet", "--shard",
                            f"{k}/12", "exact", "ref", "hyp"], executable=binary, cwd=work,
                           stdout=f, stderr=subprocess.DEVNULL, check=True)
    lines = check("merge", ["--merge", "parts"], work, True, unit="shards")
    if not any(l.startswith("Slot Error Rate:") for l in lines):
        failures.append("merge: no summary on the screen")

    # A timeout while the line is on show: the message has a line of its own.
    with open(os.path.join(work, "loops.lua"), "w") as f:
        f.write('function get_miss_cost(e)\n'
                '  while e.value == "Loop" do end\n'
                '  return 1, "miss"\n'
                'end\n'
                'function get_substitution_cost(r, h) return 0 end\n')
    for side in ("ref", "hyp"):
        with open(os.path.join(work, side, "30.conll"), "w") as f:
            f.write("Loop B-PER\n")
    out, status = run_on_terminal(["--corpus", "--conll", "-j", "1", "--timeout", "1", "loops.lua",
                                   "ref", "hyp"], work)
    lines = screen_lines(out)
    if status != 1 or "Error: the evaluation took longer than 1 second (--timeout)." not in lines:
        failures.append(f"timeout: status {status}, screen {lines[-3:]!r}")

for f in failures:
    print(f)
sys.exit(1 if failures else 0)
