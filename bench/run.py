#!/usr/bin/env python3
"""Times lorvex against tar, unzip, cp and xxd doing the same work on the same bytes.

Usage: bench/run.py [runs] [--disk]   (builds the release tool and the generator)

The work folder is in /dev/shm (memory) unless --disk is given: on the disk,
a file system that has just deleted the 100,000 files of an earlier run
creates new files ten times slower for a while, which drowns every command's
own cost in the same noise.

For every workload it makes a tar and a stored zip archive of exactly the files
`lorvex -e` writes, checks that every command produces the same files, then
times each command as a whole process: one warm-up, then `runs` rounds with
the commands alternating. It prints medians, the ratio lorvex / peer and the
peak resident memory of each command.
"""
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ARGS = [a for a in sys.argv[1:] if a != "--disk"]
RUNS = int(ARGS[0]) if ARGS else 5
ON_DISK = "--disk" in sys.argv or not os.path.isdir("/dev/shm")


def sh(*args, **kw):
    subprocess.run(args, check=True, **kw)


def run_timed(argv, cwd, stdout=subprocess.DEVNULL):
    """Wall time in seconds, peak RSS in MB and exit code of one process.

    The peak comes from /usr/bin/time: a child forked from this (large) Python
    process would count the parent's pages in its own peak."""
    report = os.path.join(cwd, "..", "rss")
    start = time.perf_counter()
    code = subprocess.call(["/usr/bin/time", "-q", "-f", "%M %x", "-o", report] + argv,
                           cwd=cwd, stdout=stdout, stderr=subprocess.DEVNULL)
    elapsed = time.perf_counter() - start
    with open(report) as f:
        fields = f.read().split()
    return elapsed, int(fields[0]) / 1024.0, int(fields[1]) if len(fields) > 1 else code


def fresh(path):
    """An empty folder, with the removal of the old one written out first, so
    that no command is timed while the disk catches up with an earlier one."""
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    os.sync()
    return path


def tree(path):
    """Relative file names and content digests of a folder, for comparing outputs."""
    files = {}
    for base, _, names in os.walk(path):
        for name in names:
            full = os.path.join(base, name)
            with open(full, "rb") as f:
                files[os.path.relpath(full, path)] = hashlib.sha256(f.read()).digest()
    return files


class Command:
    def __init__(self, label, argv, stdout_to=None):
        self.label, self.argv, self.stdout_to = label, argv, stdout_to
        self.times, self.rss = [], []

    def once(self, work):
        out = fresh(os.path.join(work, "out"))
        if self.stdout_to:
            with open(os.path.join(out, self.stdout_to), "wb") as sink:
                return run_timed(self.argv, out, sink)
        return run_timed(self.argv, out)


def measure(name, work, commands, expected_codes):
    for command in commands:  # warm-up; also checks the exit codes
        _, _, code = command.once(work)
        if code not in expected_codes.get(command.label, (0,)):
            sys.exit(f"{name}: {command.label} exited {code}")
    for _ in range(RUNS):
        for command in commands:
            elapsed, rss, _ = command.once(work)
            command.times.append(elapsed)
            command.rss.append(rss)
    lorvex = statistics.median(commands[0].times)
    print(f"\n{name}")
    print(f"  {'command':<34}{'median s':>10}{'lorvex/peer':>13}{'peak MB':>9}")
    for command in commands:
        median = statistics.median(command.times)
        ratio = "" if command is commands[0] else f"{lorvex / median:.2f}"
        print(f"  {command.label:<34}{median:>10.3f}{ratio:>13}{max(command.rss):>9.1f}")
    return lorvex


def same_outputs(work, commands, label):
    trees = []
    for command in commands:
        command.once(work)
        trees.append(tree(os.path.join(work, "out")))
    for command, files in zip(commands[1:], trees[1:]):
        if files != trees[0]:
            sys.exit(f"{label}: {command.label} does not give the files lorvex gives")


def archive(work, lib, lorvex, tag):
    """tar and stored zip of exactly the files `lorvex -e` writes."""
    ref = fresh(os.path.join(work, f"ref-{tag}"))
    sh(lorvex, "-e", lib, cwd=ref)
    names = sorted(os.listdir(ref))
    listing = os.path.join(work, f"{tag}.files")
    with open(listing, "w") as f:
        f.write("\n".join(names) + "\n")
    tar, zipf = os.path.join(work, f"{tag}.tar"), os.path.join(work, f"{tag}.zip")
    sh("tar", "-cf", tar, "-C", ref, "-T", listing)
    with open(listing) as names_in:
        sh("zip", "-0", "-q", zipf, "-@", cwd=ref, stdin=names_in)
    shutil.rmtree(ref)
    return tar, zipf


def main():
    sys.stdout.reconfigure(line_buffering=True)
    sh("cmake", "--preset", "bench", cwd=ROOT, stdout=subprocess.DEVNULL)
    sh("cmake", "--build", "--preset", "bench", cwd=ROOT, stdout=subprocess.DEVNULL)
    lorvex = os.path.join(ROOT, "build/bench/lorvex")
    work = tempfile.mkdtemp(prefix="lorvex-bench-", dir=None if ON_DISK else "/dev/shm")
    try:
        sh(os.path.join(ROOT, "build/bench/bench/make_workloads"), work)
        w1, w2, w4 = (os.path.join(work, f) for f in ("w1.pbl", "w2.pbl", "w4.pbl"))
        w1tar, w1zip = archive(work, w1, lorvex, "w1")
        w2tar, w2zip = archive(work, w2, lorvex, "w2")
        with open(os.path.join(work, "w3-names")) as f:
            names = f.read().split("\n")[:-1]
        base = [n[n.rfind("\\") + 1:] if "\\" in n else n for n in names]
        print(f"lorvex {lorvex}; {RUNS} timed runs each after a warm-up; folder {work}")

        extract_w1 = [Command("lorvex -e w1.pbl", [lorvex, "-e", w1]),
                      Command("tar -xf w1.tar", ["tar", "-xf", w1tar]),
                      Command("unzip -q w1.zip", ["unzip", "-q", w1zip])]
        same_outputs(work, extract_w1, "W1")
        list_w1 = [Command("lorvex -v w1.pbl", [lorvex, "-v", w1], "listing"),
                   Command("unzip -l w1.zip", ["unzip", "-l", w1zip], "listing")]
        w1_list = measure("W1 list: 100,000 small entries", work, list_w1, {})
        measure("W1 extract all: 100,000 small entries", work, extract_w1, {})

        extract_w2 = [Command("lorvex -e w2.pbl", [lorvex, "-e", w2]),
                      Command("tar -xf w2.tar", ["tar", "-xf", w2tar]),
                      Command("unzip -q w2.zip", ["unzip", "-q", w2zip]),
                      Command("cp w2.pbl", ["cp", w2, "copy.pbl"])]
        same_outputs(work, extract_w2[:3], "W2")
        empty = Command("lorvex -e empty.pbl", [lorvex, "-e", os.path.join(work, "empty.pbl")])
        measure("W2 extract all: 2,000 entries, 200 MB", work, extract_w2 + [empty], {})
        print(f"  W2 peak memory over an empty library: {max(extract_w2[0].rss) - max(empty.rss):.1f} MB")

        extract_w3 = [Command("lorvex -e w1.pbl <1,000 names>", [lorvex, "-e", w1] + names, "extracting"),
                      Command("tar -xf w1.tar <1,000 names>", ["tar", "-xf", w1tar] + base)]
        codes = {"tar -xf w1.tar <1,000 names>": (2,)}  # tar reports the missing names
        w3 = measure("W3 extract 1,000 names of W1", work, extract_w3, codes)
        print(f"  W3 / lorvex's W1 listing: {w3 / w1_list:.2f}")

        companion = os.path.join(work, "w4-companion.bin")
        extract_w4 = [Command("lorvex -e w4.pbl w_big.srw", [lorvex, "-e", w4, "w_big.srw"], "extracting"),
                      Command("xxd -p companion (8 MB)", ["xxd", "-p", companion], "hex")]
        measure("W4 binary data section of 8 MB", work, extract_w4, {})
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
