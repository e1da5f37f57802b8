#!/usr/bin/env python3
"""Whole-process throughput of quillmark-format, run by hand (not by the tests).

Builds inputs of about 1 MB and 10 MB (MB = 2^20 bytes) from distinct whole
corpus files, in name order, and times the built command on each as a whole
process: Format (result to /dev/null), Capitalise and --check, each at -j 1 and,
with --jobs, at more threads. Every figure is the median of several runs; CPU
time (user plus system, from wait4) stands beside wall time, since wall time is
noisy on a shared machine.

    bench/process_bench.py [--tool build-rel/cli/quillmark-format] [--runs 5]
                           [--sizes 1,10] [--jobs 2] [--corpus ../shared/corpus]

Columns: MB/s of CPU time and of wall time, CPU seconds, page faults per KB
of input, and peak resident memory in bytes per input byte (measured under
/usr/bin/time when it is there).
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

MB = 1 << 20
EXTENSIONS = (".sql", ".pks", ".pkb", ".tps", ".tpb")
TIME = "/usr/bin/time"


def corpus_files(corpus):
    files = []
    for root, _, names in os.walk(corpus):
        for name in names:
            if name.lower().endswith(EXTENSIONS):
                files.append(os.path.join(root, name))
    return sorted(files)


def refused(tool, files):
    """The files that the command refuses (one run over all of them)."""
    result = subprocess.run([tool, "--no-config", "--check"] + files, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, text=True, errors="replace")
    return {path for path in files if ": " + path + ": " in result.stderr}


def build_input(files, size, used, folder):
    """About size bytes of whole files not used by a smaller input, as one file."""
    parts = []
    total = 0
    for path in files:
        if total >= size * 0.98:
            break
        if path in used:
            continue
        with open(path, "rb") as f:
            data = f.read()
        if total + len(data) > size * 1.02:
            continue
        try:
            data.decode("utf-8")
        except UnicodeDecodeError:
            continue
        # One input of mixed line endings would be refused as a whole: files
        # with CR LF line breaks come with LF ones.
        data = data.replace(b"\r\n", b"\n")
        if b"\0" in data or b"\r" in data:
            continue
        if not data.endswith(b"\n"):
            data += b"\n"
        used.add(path)
        parts.append(data)
        total += len(data)
    name = os.path.join(folder, "corpus-%dMB.sql" % round(size / MB))
    with open(name, "wb") as f:
        f.write(b"".join(parts))
    return name, total, len(parts)


def peak_bytes(argv):
    """The command's own peak resident memory, from GNU time, or None without it.

    The peak that wait4 reports for a child of this script counts the pages of
    the Python process the child was forked from; a child of GNU time starts
    small."""
    if not os.path.exists(TIME):
        return None
    with tempfile.NamedTemporaryFile("r") as report, open(os.devnull, "wb") as null:
        subprocess.run([TIME, "-f", "%M", "-o", report.name] + argv, stdout=null, stderr=subprocess.DEVNULL)
        return int(report.read().split()[-1]) * 1024


def run_once(argv):
    """(CPU seconds, wall seconds, page faults, peak bytes, exit status, standard error)."""
    start = time.perf_counter()
    with open(os.devnull, "wb") as null:
        process = subprocess.Popen(argv, stdout=null, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(process.pid, 0)
        errors = process.stderr.read().decode("utf-8", "replace")
        process.stderr.close()
    wall = time.perf_counter() - start
    cpu = usage.ru_utime + usage.ru_stime
    faults = usage.ru_minflt + usage.ru_majflt
    return cpu, wall, faults, usage.ru_maxrss * 1024, os.waitstatus_to_exitcode(status), errors


def measure(argv, runs, expected_status):
    samples = []
    for _ in range(runs):
        sample = run_once(argv)
        if sample[4] not in expected_status:
            sys.exit("%s exited with %d:\n%s" % (" ".join(argv), sample[4], sample[5]))
        samples.append(sample)
    cpu, wall, faults, peak = [statistics.median(s[k] for s in samples) for k in range(4)]
    return cpu, wall, faults, peak_bytes(argv) or peak


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", default=os.path.join(here, "..", "build-rel", "cli", "quillmark-format"))
    parser.add_argument("--corpus", default=os.path.join(here, "..", "..", "shared", "corpus"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--inputs", help="folder to write the inputs to and keep them in")
    parser.add_argument("--sizes", default="1,10", help="input sizes in MB, comma-separated")
    parser.add_argument("--jobs", default="2", help="thread counts besides 1, comma-separated")
    args = parser.parse_args()

    tool = os.path.abspath(args.tool)
    files = corpus_files(args.corpus)
    if not files:
        sys.exit("no corpus at " + args.corpus)
    sizes = [int(s) for s in args.sizes.split(",") if s]
    jobs = [1] + [int(j) for j in args.jobs.split(",") if j and int(j) > 1]
    modes = [("format", []), ("capitalise", ["--capitalise"]), ("check", ["--check"])]

    with tempfile.TemporaryDirectory(prefix="quillmark-bench-") as scratch:
        folder = args.inputs or scratch
        os.makedirs(folder, exist_ok=True)
        used = refused(tool, files)
        inputs = [build_input(files, size * MB, used, folder) for size in sizes]
        print("%-26s %9s %9s %7s %9s %10s" % ("run", "cpu MB/s", "wall MB/s", "cpu s", "faults/KB", "peak B/B"))
        for name, total, count in inputs:
            mb = total / MB
            print("# %s: %.2f MB, %d corpus files" % (os.path.basename(name), mb, count))
            for mode, flags in modes:
                for j in jobs if mode == "format" else [1]:
                    argv = [tool, "--no-config", "-j", str(j)] + flags + [name]
                    # --check exits 1 when the file would change, as it does here.
                    cpu, wall, faults, peak = measure(argv, args.runs, (0, 1) if mode == "check" else (0,))
                    label = "%s -j %d" % (mode, j)
                    print("%-26s %9.1f %9.1f %7.3f %9.2f %10.1f" % (
                        label, mb / cpu, mb / wall, cpu, faults / (total / 1024), peak / total))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
