#!/usr/bin/env python3
"""The files that orvane writes (the visual page) never cost a user a file:
every input of a run, a link to one, a device, a FIFO or a folder given as
the page is refused before anything is read and left untouched; a page is
never left half-written by a failed write, a timeout, a signal, a closed
pipe or a description that exits; closed standard streams do not end up in
the page.

    hostile_outputs.py path/to/orvane
"""
import os
import resource
import signal
import stat
import subprocess
import sys
import tempfile
import time

binary = os.path.abspath(sys.argv[1])
failures = []

TASK = b"""function get_all_tags() return { "pers", "loc" } end
function get_miss_cost(e) return 1, "miss" end
function get_substitution_cost(r, h)
  if r.type == h.type then return 0 end
  return 0.5, "type"
end
"""
LOOPS = TASK.replace(b'return 1, "miss"', b"while true do end")
EXITS = TASK.replace(b'return 1, "miss"', b"os.exit(0)")


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)
    return name


def fail(label, problem):
    failures.append("%s: %s" % (label, problem))


def snapshot(path):
    """What must not change: the entry itself, and a file's bytes."""
    st = os.lstat(path)
    data = None
    if stat.S_ISREG(st.st_mode):
        with open(path, "rb") as f:
            data = f.read()
    elif stat.S_ISLNK(st.st_mode):
        data = os.readlink(path)
    return (st.st_mode, st.st_ino, st.st_size, st.st_mtime_ns, data)


def entries(folder="."):
    return sorted(os.listdir(folder))


def run(label, args, status, stderr=None, stdout=None, preexec=None, stdout_fd=None):
    proc = subprocess.run(["orvane"] + args, executable=binary, stdin=subprocess.DEVNULL,
                          stdout=stdout_fd if stdout_fd is not None else subprocess.PIPE,
                          stderr=subprocess.PIPE, preexec_fn=preexec)
    if proc.returncode != status:
        fail(label, "status %d, expected %d (stderr %r)" % (proc.returncode, status,
                                                             proc.stderr[:300]))
    if stderr is not None and proc.stderr != stderr:
        fail(label, "stderr %r, expected %r" % (proc.stderr[:400], stderr))
    if stdout is not None and (proc.stdout or b"") != stdout:
        fail(label, "stdout %r, expected %r" % ((proc.stdout or b"")[:300], stdout))
    return proc


def refused(label, page, args, message):
    """The page `page` is refused with `message`, before anything is read,
    and nothing in the folders around changes."""
    before = {p: snapshot(p) for p in (page,) if os.path.lexists(p)}
    listing = {d: entries(d) for d in (".", "ref", "hyp")}
    run(label, ["--html", page] + args, 1, message, stdout=b"")
    for p, s in before.items():
        if not os.path.lexists(p) or snapshot(p) != s:
            fail(label, "%s was changed" % p)
    for d, names in listing.items():
        if entries(d) != names:
            fail(label, "%s now holds %r, not %r" % (d, entries(d), names))


def not_regular(page, kind):
    return (b"Error: --html %s is %s, not a regular file: give a new name, or that of a "
            b"regular file to replace.\n" % (page.encode(), kind))


def is_input(page, name):
    return b"Error: --html %s is %s, which the run reads: give another name.\n" % (
        page.encode(), name.encode())


def in_folder(page, folder):
    return (b"Error: --html %s is in the folder %s, whose every file is a document: give "
            b"another name.\n" % (page.encode(), folder.encode()))


def temporaries(folder="."):
    return [n for n in os.listdir(folder) if n.startswith(".page.html.")]


def no_page_left(label, folder="."):
    if os.path.lexists(os.path.join(folder, "page.html")):
        fail(label, "a page was left")
    if temporaries(folder):
        fail(label, "temporary files were left: %r" % temporaries(folder))


def inputs_as_page():
    write("task.lua", TASK)
    write("ref.txt", b"<pers>Jean</pers> vit a <loc>Paris</loc>.\n")
    write("hyp.txt", b"<pers>Jean</pers> vit a <pers>Paris</pers>.\n")
    os.makedirs("ref/sub", exist_ok=True)
    os.makedirs("hyp/sub", exist_ok=True)
    for side in ("ref", "hyp"):
        write(side + "/a.txt", open(side + ".txt", "rb").read())
        write(side + "/sub/b.txt", open(side + ".txt", "rb").read())
    write("pairs.tsv", b"ref/a.txt\thyp/a.txt\nref/sub/b.txt\thyp/sub/b.txt\n")
    for name in ("ref.txt", "hyp.txt", "task.lua", "pairs.tsv"):
        os.symlink(name, "ln-" + name)
    os.link("ref.txt", "hard.txt")
    os.mkfifo("fifo")
    os.mkdir("folder")
    try:
        os.mknod("null", 0o666 | stat.S_IFCHR, os.makedev(1, 3))
        device = "null"
    except PermissionError:
        device = None  # not allowed here: /dev/null stands in
    single = ["task.lua", "ref.txt", "hyp.txt"]

    for page in ("ref.txt", "hyp.txt", "task.lua"):
        refused("single run, page " + page, page, single, is_input(page, page))
    refused("single run, a hard link to the reference", "hard.txt", single,
            is_input("hard.txt", "ref.txt"))
    for name in ("ref.txt", "hyp.txt", "task.lua"):
        refused("single run, a link to " + name, "ln-" + name, single,
                not_regular("ln-" + name, b"a symbolic link"))
    refused("single run, a FIFO", "fifo", single, not_regular("fifo", b"a FIFO"))
    refused("single run, a folder", "folder", single, not_regular("folder", b"a folder"))
    refused("single run, a folder's name with a slash", "page/", single,
            not_regular("page/", b"a folder"))
    for dev in filter(None, (device, "/dev/null", "/dev/full")):
        refused("single run, device " + dev, dev, single, not_regular(dev, b"a device"))
    # The one-file token-per-line form has one document.
    write("both.conll", b"Jean B-PER B-PER\nvit O O\n")
    refused("one token-per-line file", "both.conll", ["--conll", "exact", "both.conll"],
            is_input("both.conll", "both.conll"))

    corpus = ["--corpus", "task.lua", "ref", "hyp"]
    refused("corpus, page task.lua", "task.lua", corpus, is_input("task.lua", "task.lua"))
    # Anything in a corpus folder is a document, or would be the next time.
    for page, folder in (("ref/a.txt", "ref"), ("hyp/sub/b.txt", "hyp"), ("hyp/new.html", "hyp"),
                         ("ref/sub/../new.html", "ref")):
        refused("corpus, page " + page, page, corpus, in_folder(page, folder))
    refused("corpus, a link to a document", "ln-ref.txt", corpus,
            not_regular("ln-ref.txt", b"a symbolic link"))
    refused("corpus, a folder of documents", "ref", corpus, not_regular("ref", b"a folder"))
    write("ref/c.txt", b"<loc>Rome</loc>\n")  # no hypothesis
    refused("corpus, a hypothesis that is missing", "hyp/c.txt",
            ["--corpus", "--missing-as-empty", "task.lua", "ref", "hyp"],
            in_folder("hyp/c.txt", "hyp"))
    os.unlink("ref/c.txt")
    pairs = ["--pairs", "pairs.tsv", "task.lua"]
    refused("pairs file as the page", "pairs.tsv", pairs, is_input("pairs.tsv", "pairs.tsv"))
    refused("a link to the pairs file", "ln-pairs.tsv", pairs,
            not_regular("ln-pairs.tsv", b"a symbolic link"))
    refused("a document of the pairs file", "hyp/a.txt", pairs, is_input("hyp/a.txt", "hyp/a.txt"))
    if device:
        refused("corpus, a device", device, corpus, not_regular(device, b"a device"))

    # Standard output sent to the page's file would be lost with it.
    write("out.txt", b"")
    with open("out.txt", "wb") as out:
        run("page is standard output's file", ["--html", "out.txt"] + single, 1,
            b"Error: --html out.txt is the file that standard output goes to: give another "
            b"name.\n", stdout_fd=out)

    # A page that is written replaces the old one whole, keeping its mode; a
    # new one gets the umask's.
    write("page.html", b"old")
    os.chmod("page.html", 0o640)
    run("page replaced", ["--html", "page.html"] + single, 0)
    if not os.path.exists("page.html"):
        fail("page replaced", "no page")
    else:
        st = os.stat("page.html")
        if stat.S_IMODE(st.st_mode) != 0o640:
            fail("page replaced", "mode %o, expected 640" % stat.S_IMODE(st.st_mode))
        if not open("page.html", "rb").read().endswith(b"</html>\n"):
            fail("page replaced", "the page is not whole")
        os.unlink("page.html")

    def umask_022():
        os.umask(0o022)

    run("new page", ["--html", "page.html"] + single, 0, preexec=umask_022)
    if not os.path.exists("page.html"):
        fail("new page", "no page")
    else:
        if stat.S_IMODE(os.stat("page.html").st_mode) != 0o644:
            fail("new page", "mode %o, expected 644" % stat.S_IMODE(os.stat("page.html").st_mode))
        os.unlink("page.html")
    no_page_left("runs that wrote pages")

    # A file the user may not write is not replaced, though its folder may
    # be written; a folder that may not be written is named.
    def nobody():
        os.setgid(65534)
        os.setuid(65534)

    if os.getuid() == 0:
        os.mkdir("open")
        os.chmod("open", 0o777)
        os.chmod(".", 0o755)
        for name in ("task.lua", "ref.txt", "hyp.txt"):
            os.chmod(name, 0o644)
        write("open/page.html", b"root's")
        os.chmod("open/page.html", 0o644)
        run("another's page", ["--html", "open/page.html"] + single, 1,
            b"Write open/page.html: Permission denied\n", stdout=b"", preexec=nobody)
        if open("open/page.html", "rb").read() != b"root's":
            fail("another's page", "it was replaced")
        run("a folder that may not be written", ["--html", "page.html"] + single, 1,
            b"Write page.html: Permission denied (it is written in its folder . and "
            b"renamed)\n", stdout=b"", preexec=nobody)


def unfinished_pages():
    single = ["task.lua", "ref.txt", "hyp.txt"]
    write("loops.lua", LOOPS)
    write("exits.lua", EXITS)

    # A write that fails (a file size limit, its signal at its default)
    # leaves the old page as it was.
    write("page.html", b"old page")

    def small_files():
        signal.signal(signal.SIGXFSZ, signal.SIG_DFL)
        resource.setrlimit(resource.RLIMIT_FSIZE, (4096, 4096))

    proc = run("page that cannot be written whole", ["--html", "page.html"] + single, 1,
               preexec=small_files)
    if not proc.stderr.endswith(b"Write page.html: File too large\n"):
        fail("page that cannot be written whole", "stderr %r" % proc.stderr)
    if open("page.html", "rb").read() != b"old page":
        fail("page that cannot be written whole", "the old page was changed")
    os.unlink("page.html")
    no_page_left("page that cannot be written whole")

    run("timeout", ["--timeout", "1", "--html", "page.html", "loops.lua", "ref.txt", "hyp.txt"],
        1, b"Error: the evaluation took longer than 1 second (--timeout).\n")
    no_page_left("timeout")
    run("timeout in a corpus",
        ["--timeout", "1", "--html", "page.html", "--corpus", "-j", "2", "loops.lua", "ref",
         "hyp"], 1, b"Error: the evaluation took longer than 1 second (--timeout).\n")
    no_page_left("timeout in a corpus")
    run("description that exits", ["--html", "page.html", "exits.lua", "ref.txt", "hyp.txt"], 0)
    no_page_left("description that exits")

    for sig in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGQUIT):
        for args in (["loops.lua", "ref.txt", "hyp.txt"],
                     ["--corpus", "-j", "2", "loops.lua", "ref", "hyp"]):
            label = "%s during %s" % (signal.Signals(sig).name, " ".join(args))
            proc = subprocess.Popen(["orvane", "--html", "page.html"] + args, executable=binary,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + 20
            while not temporaries() and time.time() < deadline:
                time.sleep(0.02)
            time.sleep(0.1)
            proc.send_signal(sig)
            proc.wait()
            if proc.returncode != -sig:
                fail(label, "status %d" % proc.returncode)
            no_page_left(label)

    # Standard output closed by the reader: the program ends on SIGPIPE, as
    # any filter does, and the page goes with it.
    write("long.txt", b"<pers>Jean</pers> vit. " * 200000)
    proc = subprocess.Popen(["orvane", "-c", "--html", "page.html", "task.lua", "long.txt",
                             "long.txt"], executable=binary, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdout.close()
    proc.wait()
    if proc.returncode != -signal.SIGPIPE:
        fail("closed pipe", "status %d" % proc.returncode)
    no_page_left("closed pipe")


def closed_streams():
    # Warnings on a closed standard error, reports on a closed standard
    # output: the page holds neither.
    os.makedirs("conll", exist_ok=True)
    write("conll/ref.conll", b"Jean B-PER B-PER\nvit O O\nParis I-LOC I-LOC\n")
    runs = (["exact", "conll/ref.conll"], ["--corpus", "exact", "conll"])
    for (fd, stream), args in ((s, a) for s in ((2, "error"), (1, "output")) for a in runs):
        label = "closed standard %s, %s" % (stream, " ".join(args))
        proc = subprocess.run(["orvane", "--conll", "--scheme", "iob2", "-c", "--html",
                               "page.html"] + args,
                              executable=binary, preexec_fn=lambda fd=fd: os.close(fd),
                              stdout=subprocess.DEVNULL if fd == 2 else None,
                              stderr=subprocess.DEVNULL if fd == 1 else None)
        page = open("page.html", "rb").read()
        if proc.returncode != 0:
            fail(label, "status %d" % proc.returncode)
        if b"Warning" in page or b"C: correct" in page or not page.endswith(b"</html>\n"):
            fail(label, "the page holds what was not its own")
        os.unlink("page.html")


def main():
    os.chdir(tempfile.mkdtemp(prefix="orvane-outputs-"))
    # A program that destroys its inputs leaves the checks after it without
    # their files: each part reports what it could not do.
    for part in (inputs_as_page, unfinished_pages, closed_streams):
        try:
            part()
        except OSError as e:
            fail(part.__name__, "stopped: %s" % e)
    if failures:
        print("\n".join(failures))
        sys.exit(1)
    print("hostile outputs: all checks passed")


main()
