#!/usr/bin/env python3
"""Runs one command with its output discarded; prints elapsed time and peak memory."""
import resource
import subprocess
import sys
import time

start = time.monotonic()
status = subprocess.call(sys.argv[2:], stdout=subprocess.DEVNULL)
elapsed = time.monotonic() - start
peak_kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
print(f"{sys.argv[1]}: {elapsed:.2f} s, peak {peak_kib / 1024:.1f} MiB, exit status {status}")
sys.exit(status)
