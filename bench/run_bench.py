#!/usr/bin/env python3
"""Extraction of a large archive by our walk under Wine against Info-ZIP unzip run
natively, and the default silent installation against an empty Wine process; medians
of several runs in one session.

Usage: run_bench.py [RUNS]   (environment: LG_BUILD_DIR)
"""
import os
import random
import shutil
import statistics
import subprocess
import sys
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "harness"))
import lgwine  # noqa: E402

BENCH = lgwine.BUILD_DIR / "bench"
ARCHIVE = BENCH / "large.zip"
MIB = 1 << 20


def make_archive():
    """About 200 MB of files: half compressible text, half random bytes, in folders."""
    if ARCHIVE.exists():
        return
    rng = random.Random(1974)
    words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(2000)]
    with zipfile.ZipFile(ARCHIVE, "w", zipfile.ZIP_DEFLATED) as z:
        for n in range(100):
            folder = f"set{n % 10}/"
            size = rng.randint(3 * MIB // 2, 5 * MIB // 2)
            if n % 2:
                data = rng.randbytes(size)
            else:
                parts, total = [], 0
                while total < size:
                    w = rng.choice(words)
                    parts.append(w)
                    total += len(w) + 1
                data = b" ".join(parts)[:size]
            z.writestr(f"{folder}file{n:03}.{'bin' if n % 2 else 'txt'}", data)
        for n in range(2000):  # many small files too
            z.writestr(f"small/{n // 100}/s{n:04}.txt", rng.choice(words) * rng.randint(1, 400))


def median_native_unzip(runs):
    times = []
    out = BENCH / "unzip-out"
    for _ in range(runs):
        shutil.rmtree(out, ignore_errors=True)
        start = time.perf_counter()
        subprocess.run(["unzip", "-q", "-o", str(ARCHIVE), "-d", str(out)], check=True)
        times.append(time.perf_counter() - start)
    shutil.rmtree(out, ignore_errors=True)
    return statistics.median(times), times


def median_wine_extract(prefix, runs):
    times = []
    out = prefix.host(r"C:\bench-out")
    for _ in range(runs):
        shutil.rmtree(out, ignore_errors=True)
        r = prefix.wine(BENCH / "extract_bench.exe", lgwine.dos_path(ARCHIVE), r"C:\bench-out", 1)
        times.append(float(r.stdout.decode().split()[0]))
    shutil.rmtree(out, ignore_errors=True)
    return statistics.median(times), times


def median_wall(func, runs):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        func()
        times.append(time.perf_counter() - start)
    return statistics.median(times), times


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    BENCH.mkdir(parents=True, exist_ok=True)
    make_archive()
    with zipfile.ZipFile(ARCHIVE) as z:
        size = sum(i.file_size for i in z.infolist())
        count = len(z.infolist())
    print(f"archive: {count} entries, {size / 1e6:.0f} MB unpacked, "
          f"{ARCHIVE.stat().st_size / 1e6:.0f} MB packed")
    prefix = lgwine.Prefix("bench")
    prefix.wine("cmd", "/c", "exit")  # the prefix's first start is not measured

    unzip_median, unzip_times = median_native_unzip(runs)
    ours_median, ours_times = median_wine_extract(prefix, runs)
    print(f"unzip (native):       median {unzip_median:.3f} s  {[round(t, 3) for t in unzip_times]}")
    print(f"ExtractArchive (Wine): median {ours_median:.3f} s  {[round(t, 3) for t in ours_times]}")
    print(f"ratio ExtractArchive / unzip: {ours_median / unzip_median:.2f}")

    empty_median, _ = median_wall(lambda: prefix.wine("cmd", "/c", "exit"), runs)

    def install():
        shutil.rmtree(prefix.host(r"C:\Program Files\Lumagrove"), ignore_errors=True)
        assert prefix.setup("/silent") == 0

    install_median, install_times = median_wall(install, runs)
    print(f"wine cmd /c exit:     median {empty_median:.3f} s")
    print(f"silent installation:  median {install_median:.3f} s  "
          f"{[round(t, 3) for t in install_times]}")
    print(f"installation minus empty Wine process: {install_median - empty_median:.3f} s")
    prefix.remove()


if __name__ == "__main__":
    main()
