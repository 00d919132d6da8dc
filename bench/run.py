#!/usr/bin/env python3
"""Times lorvex against tar, unzip, cp and xxd doing the same work on the same bytes.

Usage: bench/run.py [runs] [--disk] [--only W1,W5]   (builds the release tool and the generator)

The work folder is in /dev/shm (memory) unless --disk is given: on the disk,
a file system that has just deleted the 100,000 files of an earlier run
creates new files ten times slower for a while, which drowns every command's
own cost in the same noise.

For W1 to W4 it makes a tar and a stored zip archive of exactly the files
`lorvex -e` writes, checks that every command produces the same files, then
times each command as a whole process: one warm-up, then `runs` rounds with
the commands alternating. It prints medians, the ratio lorvex / peer and the
peak resident memory of each command.

W5 times `lorvex -s` on 20 libraries against `tar -xf` of a tar archive of
the tree -s writes, then the same -s again over its own unchanged output,
which should cost well under a first run.

W6, when the corpus of real libraries sits beside the project, times
`lorvex -p` of a real library of 3.8 MB into a file against `lorvex -s` of
it into an empty folder, both in the work folder.

W7 times `lorvex -l` of 160,000 entries that repeat one source name and its
companion against `lorvex -t` of the same library. `--only` picks workloads,
to save time while working on one.
"""
import argparse
import hashlib
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORKLOADS = ("W1", "W2", "W3", "W4", "W5", "W6", "W7")
CORPUS = os.path.join(os.path.dirname(ROOT), "shared", "corpus")
PRINTED = "AppeonH__saveas_pdf/DWIntegration/cr495212/dwproperty.pbl"
PARSER = argparse.ArgumentParser(description="Times lorvex against tar, unzip, cp and xxd.")
PARSER.add_argument("runs", nargs="?", type=int, default=5)
PARSER.add_argument("--disk", action="store_true", help="work folder on the disk, not in /dev/shm")
PARSER.add_argument("--only", default=",".join(WORKLOADS), help="workloads to run, e.g. W1,W5")
OPTIONS = PARSER.parse_args()
RUNS = OPTIONS.runs
ON_DISK = OPTIONS.disk or not os.path.isdir("/dev/shm")
ONLY = set(OPTIONS.only.upper().split(","))
if not ONLY <= set(WORKLOADS):
    PARSER.error(f"--only takes some of {','.join(WORKLOADS)}")


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
    """One timed command, run in the folder `folder` of the work folder, which
    is emptied before every run unless keep is set. A command that is not a
    peer (lorvex again) gets no ratio column."""

    def __init__(self, label, argv, stdout_to=None, folder="out", keep=False, peer=True):
        self.label, self.argv, self.stdout_to = label, argv, stdout_to
        self.folder, self.keep, self.peer = folder, keep, peer
        self.times, self.rss = [], []

    def once(self, work):
        out = os.path.join(work, self.folder)
        if self.keep:
            os.makedirs(out, exist_ok=True)
            os.sync()
        else:
            fresh(out)
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
        ratio = "" if command is commands[0] or not command.peer else f"{lorvex / median:.2f}"
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


def goal(label, value, limit, unit=""):
    verdict = "met" if value <= limit else "NOT met"
    print(f"  {label}: {value:.2f}{unit} (goal at most {limit}{unit}: {verdict})")


def w5(work, lorvex):
    """`lorvex -s` of 20 libraries into an empty folder against `tar -xf` of
    exactly the tree it writes; then -s again into its own unchanged output."""
    libraries = sorted(os.path.join(work, f) for f in os.listdir(work) if f.startswith("w5-"))
    def sync(folder):
        return [lorvex, "-s", "-o", os.path.join(work, folder), "--codepage=1252"] + libraries

    # Each library's folder is named after its path as seen from where -s runs:
    # from any folder of the work folder, "w5-NN.pbl.src".
    ref = fresh(os.path.join(work, "ref-w5"))
    sh(*sync("ref-w5"), stdout=subprocess.DEVNULL, cwd=ref)
    tar = os.path.join(work, "w5.tar")
    sh("tar", "-cf", tar, "--sort=name", "-C", ref, *sorted(os.listdir(ref)))
    expected = tree(ref)
    shutil.rmtree(ref)

    first = Command("lorvex -s <20 libraries>", sync("out"))
    untar = Command("tar -xf w5.tar", ["tar", "-xf", tar])
    # Its folder is filled by the warm-up and left as it is, so every timed
    # run finds all 40,000 files unchanged.
    again = Command("lorvex -s again, nothing changed", sync("again"), folder="again", keep=True,
                    peer=False)
    same_outputs(work, [first, untar], "W5")
    seconds = measure("W5 export the sources of 20 libraries, 40,000 sources", work,
                      [first, untar, again], {})
    report = subprocess.run(sync("again"), check=True, capture_output=True, text=True,
                            cwd=os.path.join(work, "again")).stdout
    unchanged = all(": 0 written," in line for line in report.splitlines())
    if tree(os.path.join(work, "again")) != expected or not unchanged:
        sys.exit("W5: the run again did not find its files unchanged")
    goal("W5 lorvex -s / tar -xf", seconds / statistics.median(untar.times), 1.0)
    goal("W5 again / first run", statistics.median(again.times) / seconds, 0.5)
    goal("W5 peak memory of -s", max(first.rss + again.rss), 64, " MB")


def w6(work, lorvex):
    """`lorvex -p` of a real library into a file against `lorvex -s` of it."""
    library = os.path.join(work, "dwproperty.pbl")
    shutil.copyfile(os.path.join(CORPUS, PRINTED), library)
    printed = Command("lorvex -p dwproperty.pbl >file", [lorvex, "-p", library], "printed")
    # Run in the work folder's "out": the library's folder is out/dwproperty.pbl.src.
    synced = Command("lorvex -s dwproperty.pbl", [lorvex, "-s", "-o", ".", "../dwproperty.pbl"])
    seconds = measure("W6 print a real library of 3.8 MB, 31 sources", work, [printed, synced], {})
    goal("W6 lorvex -p / lorvex -s", seconds / statistics.median(synced.times), 1.0)


def w7(work, lorvex):
    """`lorvex -l` of a library of 160,000 entries that repeat one source and
    its companion against `lorvex -t` of it: pairing must not cost per entry
    what the entries of one name cost."""
    library = os.path.join(work, "w7.pbl")
    listed = Command("lorvex -l w7.pbl", [lorvex, "-l", library], "listing")
    checked = Command("lorvex -t w7.pbl", [lorvex, "-t", library], "checking")
    seconds = measure("W7 list for scripts 160,000 entries of one name", work, [listed, checked], {})
    goal("W7 lorvex -l / lorvex -t", seconds / statistics.median(checked.times), 2.0)


def main():
    sys.stdout.reconfigure(line_buffering=True)
    sh("cmake", "--preset", "bench", cwd=ROOT, stdout=subprocess.DEVNULL)
    sh("cmake", "--build", "--preset", "bench", cwd=ROOT, stdout=subprocess.DEVNULL)
    lorvex = os.path.join(ROOT, "build/bench/lorvex")
    work = tempfile.mkdtemp(prefix="lorvex-bench-", dir=None if ON_DISK else "/dev/shm")
    try:
        sh(os.path.join(ROOT, "build/bench/bench/make_workloads"), work)
        w1, w2, w4 = (os.path.join(work, f) for f in ("w1.pbl", "w2.pbl", "w4.pbl"))
        if ONLY & {"W1", "W3"}:
            w1tar, w1zip = archive(work, w1, lorvex, "w1")
        if "W2" in ONLY:
            w2tar, w2zip = archive(work, w2, lorvex, "w2")
        with open(os.path.join(work, "w3-names")) as f:
            names = f.read().split("\n")[:-1]
        base = [n[n.rfind("\\") + 1:] if "\\" in n else n for n in names]
        print(f"lorvex {lorvex}; {RUNS} timed runs each after a warm-up; folder {work}")

        if "W1" in ONLY:
            extract_w1 = [Command("lorvex -e w1.pbl", [lorvex, "-e", w1]),
                          Command("tar -xf w1.tar", ["tar", "-xf", w1tar]),
                          Command("unzip -q w1.zip", ["unzip", "-q", w1zip])]
            same_outputs(work, extract_w1, "W1")
            list_w1 = [Command("lorvex -v w1.pbl", [lorvex, "-v", w1], "listing"),
                       Command("unzip -l w1.zip", ["unzip", "-l", w1zip], "listing")]
            w1_list = measure("W1 list: 100,000 small entries", work, list_w1, {})
            measure("W1 extract all: 100,000 small entries", work, extract_w1, {})

        if "W2" in ONLY:
            extract_w2 = [Command("lorvex -e w2.pbl", [lorvex, "-e", w2]),
                          Command("tar -xf w2.tar", ["tar", "-xf", w2tar]),
                          Command("unzip -q w2.zip", ["unzip", "-q", w2zip]),
                          Command("cp w2.pbl", ["cp", w2, "copy.pbl"])]
            same_outputs(work, extract_w2[:3], "W2")
            empty = Command("lorvex -e empty.pbl", [lorvex, "-e", os.path.join(work, "empty.pbl")])
            measure("W2 extract all: 2,000 entries, 200 MB", work, extract_w2 + [empty], {})
            print(f"  W2 peak memory over an empty library: {max(extract_w2[0].rss) - max(empty.rss):.1f} MB")

        if "W3" in ONLY:
            extract_w3 = [Command("lorvex -e w1.pbl <1,000 names>", [lorvex, "-e", w1] + names, "extracting"),
                          Command("tar -xf w1.tar <1,000 names>", ["tar", "-xf", w1tar] + base)]
            codes = {"tar -xf w1.tar <1,000 names>": (2,)}  # tar reports the missing names
            w3 = measure("W3 extract 1,000 names of W1", work, extract_w3, codes)
            if "W1" in ONLY:
                print(f"  W3 / lorvex's W1 listing: {w3 / w1_list:.2f}")

        if "W4" in ONLY:
            companion = os.path.join(work, "w4-companion.bin")
            extract_w4 = [Command("lorvex -e w4.pbl w_big.srw", [lorvex, "-e", w4, "w_big.srw"], "extracting"),
                          Command("xxd -p companion (8 MB)", ["xxd", "-p", companion], "hex")]
            measure("W4 binary data section of 8 MB", work, extract_w4, {})

        if "W5" in ONLY:
            w5(work, lorvex)

        if "W6" in ONLY and os.path.isfile(os.path.join(CORPUS, PRINTED)):
            w6(work, lorvex)
        elif "W6" in ONLY:
            print(f"\nW6 skipped: no {PRINTED} in {CORPUS}")
        if "W7" in ONLY:
            w7(work, lorvex)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
