#!/usr/bin/env python3
"""Converting a collection of RTTTL tunes to MIDI files: one batch against one process per tune.

    python3 bench/batch_bench.py [--cli build/bin/pealix-cli] [--tunes 10000] [--sample 200]
                                 [--dir FOLDER]

Builds a collection file of TUNES tunes (the test collection's public-domain tunes, renamed
so that every output gets its own file), converts it with one `pealix-cli convert --each-line
--out-dir` and times it; then converts SAMPLE of the same tunes one process each and
extrapolates that rate to the whole collection. Output files go to a fresh folder inside
FOLDER (default: the system's temporary folder); the file system decides much of the cost.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(HERE)
COLLECTION = os.path.join(TOP, "app", "tests", "data", "collections", "public_domain.txt")


def tunes(count):
    with open(COLLECTION, encoding="utf-8") as f:
        source = [line.strip() for line in f if line.strip()]
    out = []
    for i in range(count):
        name, rest = source[i % len(source)].split(":", 1)
        out.append(f"{name} {i + 1}:{rest}")
    return out


def file_system(path):
    best, kind = "", "?"
    with open("/proc/mounts") as f:
        for line in f:
            fields = line.split()
            mount = fields[1]
            if path.startswith(mount) and len(mount) > len(best):
                best, kind = mount, fields[2]
    return kind


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(TOP, "build", "bin", "pealix-cli"))
    parser.add_argument("--tunes", type=int, default=10000)
    parser.add_argument("--sample", type=int, default=200)
    parser.add_argument("--dir", default=tempfile.gettempdir())
    args = parser.parse_args()
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"{args.cli} is not built (make build)")

    work = tempfile.mkdtemp(prefix="pealix-batch-bench-", dir=args.dir)
    try:
        lines = tunes(args.tunes)
        collection = os.path.join(work, "collection.txt")
        with open(collection, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

        out = os.path.join(work, "batch")
        os.mkdir(out)
        start = time.perf_counter()
        run = subprocess.run([args.cli, "convert", "--to", "midi", "--out-dir", out, "--each-line",
                              "--quiet", collection], capture_output=True, text=True)
        batch = time.perf_counter() - start
        written = len(os.listdir(out))
        if run.returncode != 0 or written != args.tunes:
            sys.exit(f"batch failed ({run.returncode}, {written} files): {run.stderr[:500]}")

        single = os.path.join(work, "single")
        os.mkdir(single)
        inputs = []
        for i, line in enumerate(lines[:args.sample]):
            path = os.path.join(single, f"t{i}.rtx")
            with open(path, "w", encoding="utf-8") as f:
                f.write(line)
            inputs.append(path)
        start = time.perf_counter()
        for path in inputs:
            subprocess.run([args.cli, "convert", path, path[:-4] + ".mid"], check=True,
                           stdout=subprocess.DEVNULL)
        per_process = (time.perf_counter() - start) / args.sample

        batch_rate = args.tunes / batch
        single_rate = 1 / per_process
        print(f"output folder: {work} ({file_system(work)}), {os.cpu_count()} cores")
        print(f"batch:              {args.tunes} tunes in {batch:.2f} s = {batch_rate:,.0f} tunes/s")
        print(f"one process a tune: {args.sample} tunes in {per_process * args.sample:.2f} s = "
              f"{single_rate:,.1f} tunes/s ({args.tunes} tunes: about "
              f"{per_process * args.tunes:,.0f} s)")
        print(f"batch / one process a tune: {batch_rate / single_rate:,.0f} x")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
