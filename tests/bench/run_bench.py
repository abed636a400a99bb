"""The scan benchmark: imports a large registry in two equal halves and, on
the fresh prefix and after each half, times QRVCli.exe scan against the
floor program that walks the same trees once. Prints figures; never fails
on time.

Then, on the fresh prefix, the cost of findings: 1,000 and 5,000 (times the
scale) COM classes whose servers are gone, scanned against the same scan
without them, and repaired (a fix scans again, then backs up every class,
writes the log and the undo file and imports the repair).

usage: run_bench.py BIN_DIR WORK_DIR [SCALE [classes]]
  classes: only the fresh prefix and the broken classes, not the two halves
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from qrvwine import Wine, write_reg  # noqa: E402

# Each figure is the best of three runs, floor and scan taking turns, so
# that the server's periodic saving of the registry falls on one run only.
RUNS = 3


def best(runs):
    return min(runs, key=lambda r: r.seconds)


def measure(wine, label):
    floors, scans = [], []
    for _ in range(RUNS):
        floors.append(wine.run(os.path.join(wine.bin_dir, "qrv_regwalk.exe")))
        scans.append(wine.cli("scan", "--json"))
    floor = best(floors)
    m = re.search(rb"keys (\d+) values (\d+) bytes (\d+) walk ([\d.]+) s", floor.out)
    if floor.code != 0 or not m:
        raise SystemExit(f"qrv_regwalk failed: {floor.out!r} {floor.err!r}")
    keys, values, walk = int(m.group(1)), int(m.group(2)), float(m.group(4))
    scan = best(scans)
    if scan.code != 0:
        raise SystemExit(f"QRVCli scan failed: {scan.err!r}")
    total = int(re.search(rb'"total":(\d+)', scan.out).group(1))
    counted = wine.run(os.path.join(wine.bin_dir, "qrv_scan_calls.exe"))
    c = re.search(rb"registry calls (\d+) file probes (\d+)", counted.out)
    if counted.code != 0 or not c:
        raise SystemExit(f"qrv_scan_calls failed: {counted.out!r} {counted.err!r}")
    calls, probes = int(c.group(1)), int(c.group(2))
    print(f"  runs: floor {' '.join(f'{r.seconds:.2f}' for r in floors)} s, "
          f"scan {' '.join(f'{r.seconds:.2f}' for r in scans)} s", flush=True)
    row = dict(label=label, keys=keys, values=values, floor=floor.seconds, walk=walk, scan=scan.seconds,
               findings=total, calls=calls, probes=probes)
    print(f"{label:<22} {keys:>8} {values:>8} {floor.seconds:>9.2f} {walk:>8.2f} {scan.seconds:>9.2f} "
          f"{scan.seconds / floor.seconds:>7.1f} {total:>9} {calls:>10} {calls / keys:>8.2f} {probes:>8}",
          flush=True)
    return row


def clean_baseline(wine):
    """Repairs what the fresh prefix itself holds, then times the scan of the
    clean prefix: the scan without findings."""
    fix = wine.cli("fix", "--json")
    if fix.code != 0:
        raise SystemExit(f"QRVCli fix failed: {fix.err!r}")
    scan = best([wine.cli("scan", "--json") for _ in range(RUNS)])
    total = int(re.search(rb'"total":(\d+)', scan.out).group(1))
    print(f"clean prefix (after repairing its own findings): scan {scan.seconds:.2f} s, {total} findings", flush=True)
    return dict(scan=scan.seconds, findings=total)


def broken_classes(wine, fresh, count, first):
    """Imports `count` classes whose server files are gone, times the scan
    and the fix, and checks that the fix took them all away again."""
    path = os.path.join(wine.work, f"broken-{count}.reg")
    keys = []
    for i in range(first, first + count):
        clsid = "{BE5C0000-0000-4000-8000-%012d}" % i
        keys.append((f"HKEY_CLASSES_ROOT\\CLSID\\{clsid}", [("", "sz", f"Bench class {i}")]))
        keys.append((f"HKEY_CLASSES_ROOT\\CLSID\\{clsid}\\InprocServer32",
                     [("", "sz", f"C:\\QrvBenchGone\\server{i}.dll"), ("ThreadingModel", "sz", "Both")]))
    write_reg(path, keys)
    wine.regedit_import(path)
    scans = [wine.cli("scan", "--json") for _ in range(RUNS)]
    scan = best(scans)
    if scan.code != 0:
        raise SystemExit(f"QRVCli scan failed: {scan.err!r}")
    total = int(re.search(rb'"total":(\d+)', scan.out).group(1))
    fix = wine.cli("fix", "--json")
    if fix.code != 0:
        raise SystemExit(f"QRVCli fix failed: {fix.err!r}")
    after = wine.cli("scan", "--json")
    left = int(re.search(rb'"total":(\d+)', after.out).group(1))
    added = scan.seconds - fresh["scan"]
    print(f"{count:>6} broken classes: {total - fresh['findings']} more findings; scan {scan.seconds:.2f} s "
          f"against {fresh['scan']:.2f} s without them (x{scan.seconds / fresh['scan']:.2f}, "
          f"+{added:.2f} s, {1000 * added / count:.2f} s per 1,000); fix {fix.seconds:.2f} s "
          f"(its own scan, backups, log, undo file, import: {fix.seconds - scan.seconds:.2f} s beyond the scan); "
          f"findings after the fix {left}", flush=True)
    if left != fresh["findings"]:
        raise SystemExit(f"the fix left {left - fresh['findings']} findings of the broken classes")


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    scale = sys.argv[3] if len(sys.argv) > 3 else "1"
    only_classes = len(sys.argv) > 4 and sys.argv[4] == "classes"
    wine = Wine(bin_dir, work)
    here = os.path.dirname(os.path.abspath(__file__))
    parts = []
    for part in (1, 2):
        path = os.path.join(work, f"bench-part{part}.reg")
        keys = subprocess.check_output([sys.executable, os.path.join(here, "make_registry.py"), path, str(part), scale])
        parts.append((path, int(keys)))
    start = wine.run(os.path.join(bin_dir, "QRVCli.exe"), "--help")
    print(f"process start-up (QRVCli --help): {start.seconds:.2f} s", flush=True)
    print(f"{'registry':<22} {'keys':>8} {'values':>8} {'floor s':>9} {'walk s':>8} {'scan s':>9} "
          f"{'ratio':>7} {'findings':>9} {'reg calls':>10} {'per key':>8} {'probes':>8}", flush=True)
    rows = [measure(wine, "fresh prefix")]
    clean = clean_baseline(wine)
    first = 1
    for count in (1000, 5000):
        n = max(1, int(count * float(scale)))
        broken_classes(wine, clean, n, first)
        first += n
    if only_classes:
        return
    for i, (path, keys) in enumerate(parts, 1):
        imported = wine.regedit_import(path)
        print(f"  import of half {i} ({keys} keys, {os.path.getsize(path) // 1024} KiB): {imported.seconds:.1f} s",
              flush=True)
        rows.append(measure(wine, f"+ half {i}"))
    half, full = rows[1], rows[2]
    print(f"growth from half 1 to both halves: keys x{full['keys'] / half['keys']:.2f}, "
          f"floor x{full['floor'] / half['floor']:.2f}, scan x{full['scan'] / half['scan']:.2f} "
          f"(times vary with the machine's load; the call counts below do not)", flush=True)
    fresh = rows[0]
    per_added = [(b["calls"] - a["calls"]) / max(1, b["keys"] - a["keys"]) for a, b in ((fresh, half), (half, full))]
    print(f"registry calls of the scan per added key: {per_added[0]:.3f} for half 1, {per_added[1]:.3f} for half 2 "
          f"(equal: the scan's work grows linearly)", flush=True)
    print(f"scan / floor at full size: {full['scan'] / full['floor']:.1f}", flush=True)


if __name__ == "__main__":
    main()
