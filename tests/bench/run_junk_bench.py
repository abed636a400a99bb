"""The residual-file benchmark: grows a generated folder tree in steps up to
200,000 files (times SCALE) and, at each step, times QRVCli.exe junk find on
it against the floor program that walks the same tree once. Prints times,
the ratio and the time per file; never fails on time.

usage: run_junk_bench.py BIN_DIR WORK_DIR [SCALE]
"""
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from qrvwine import Wine, unix_path  # noqa: E402

RUNS = 3
ROOT = "C:\\QrvJunkBench"
PER_FOLDER = 50   # files in each leaf folder
FAN_OUT = 20      # subfolders of each inner folder


def grow(top, start, count):
    """Adds files start .. start+count-1: leaf folder n holds PER_FOLDER files,
    placed three levels deep; one file in 100 is residual."""
    for n in range(start, start + count):
        leaf = n // PER_FOLDER
        folder = os.path.join(top, f"d{leaf // (FAN_OUT * FAN_OUT)}", f"e{(leaf // FAN_OUT) % FAN_OUT}",
                              f"f{leaf % FAN_OUT}")
        if n % PER_FOLDER == 0:
            os.makedirs(folder, exist_ok=True)
        name = f"r{n}.tmp" if n % 100 == 7 else f"n{n}.dat"
        with open(os.path.join(folder, name), "wb"):
            pass


def measure(wine, files):
    floors, finds = [], []
    for _ in range(RUNS):
        floors.append(wine.run(os.path.join(wine.bin_dir, "qrv_filewalk.exe"), ROOT))
        finds.append(wine.cli("junk", "find", "--root", ROOT, "--json"))
    floor = min(floors, key=lambda r: r.seconds)
    find = min(finds, key=lambda r: r.seconds)
    if find.code != 0:
        raise SystemExit(f"QRVCli junk find failed: {find.err!r}")
    report = json.loads(find.out.decode("utf-8"))
    if report["scanned"] != files or report["total"] != len([n for n in range(files) if n % 100 == 7]):
        raise SystemExit(f"junk find saw {report['scanned']} files, listed {report['total']}")
    per_file = find.seconds / files * 1e6
    print(f"{files:>9} {floor.seconds:>9.2f} {find.seconds:>9.2f} {find.seconds / floor.seconds:>7.1f} "
          f"{per_file:>11.1f}", flush=True)
    return per_file


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    scale = float(sys.argv[3]) if len(sys.argv) > 3 else 1.0
    wine = Wine(bin_dir, work)
    top = unix_path(ROOT)
    steps = [int(n * scale) // PER_FOLDER * PER_FOLDER for n in (50000, 100000, 200000)]
    print("residual file benchmark: QRVCli junk find against one FindFirstFile walk (best of 3)")
    print(f"{'files':>9} {'floor s':>9} {'find s':>9} {'ratio':>7} {'us / file':>11}", flush=True)
    done = 0
    per_file = []
    for files in steps:
        grow(top, done, files - done)
        done = files
        per_file.append(measure(wine, files))
    print(f"time per file, last step against first: {per_file[-1] / per_file[0]:.2f}", flush=True)


if __name__ == "__main__":
    main()
