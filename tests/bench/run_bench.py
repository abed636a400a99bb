"""The scan benchmark: imports a large registry in two equal halves and, on
the fresh prefix and after each half, times QRVCli.exe scan against the
floor program that walks the same trees once. Prints figures; never fails
on time.

Then, on the fresh prefix, the cost of findings: 250, 1,000 and 5,000 (times
the scale) COM classes whose servers are gone, scanned turn about with the
same scan without them and with as many healthy classes, and repaired (a fix scans again, then backs up every class,
writes the log and the undo file and imports the repair), with the requests
of each counted per finding and the repair's seconds beyond its scan split
by kind.

usage: run_bench.py BIN_DIR WORK_DIR [SCALE [classes]]
  classes: only the fresh prefix and the broken classes, not the two halves
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
from qrvwine import Wine, unix_path, write_reg  # noqa: E402

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
    c = counted(wine, "scan", "--json")
    calls, probes = c["calls"], c["probes"]
    print(f"  runs: floor {' '.join(f'{r.seconds:.2f}' for r in floors)} s, "
          f"scan {' '.join(f'{r.seconds:.2f}' for r in scans)} s", flush=True)
    row = dict(label=label, keys=keys, values=values, floor=floor.seconds, walk=walk, scan=scan.seconds,
               findings=total, calls=calls, probes=probes)
    print(f"{label:<22} {keys:>8} {values:>8} {floor.seconds:>9.2f} {walk:>8.2f} {scan.seconds:>9.2f} "
          f"{scan.seconds / floor.seconds:>7.1f} {total:>9} {calls:>10} {calls / keys:>8.2f} {probes:>8}",
          flush=True)
    return row


def counted(wine, *command):
    """Runs a QRVCli command through the counting platform: its time, its
    registry calls and file-system requests (exact), the seconds spent in
    each kind of call, and what the command printed."""
    run = wine.run(os.path.join(wine.bin_dir, "qrv_scan_calls.exe"), *command)
    m = re.search(rb"registry calls (\d+) file probes (\d+) time ([\d.]+) s", run.out)
    if not m:
        raise SystemExit(f"qrv_scan_calls {' '.join(command)} failed: {run.out!r} {run.err!r}")
    kinds = {name.decode(): (int(n), float(t)) for name, n, t in re.findall(rb"\n  (\w+) (\d+) ([\d.]+) s", run.out)}
    own = re.search(rb"own work \(outside platform calls\) ([\d.]+) s", run.out)
    repair = re.search(rb"repair after its scan ([\d.]+) s", run.out)
    return dict(calls=int(m.group(1)), probes=int(m.group(2)), seconds=float(m.group(3)), kinds=kinds, out=run.out,
                own=float(own.group(1)) if own else 0.0, repair=float(repair.group(1)) if repair else None)


def findings_of(out):
    return int(re.search(rb'"total":(\d+)', out).group(1))


def clean_baseline(wine):
    """Repairs what the fresh prefix itself holds, then times the scan of the
    clean prefix: the scan without findings."""
    fix = wine.cli("fix", "--json")
    if fix.code != 0:
        raise SystemExit(f"QRVCli fix failed: {fix.err!r}")
    scan = best([wine.cli("scan", "--json") for _ in range(RUNS)])
    count = counted(wine, "scan", "--json")
    print(f"clean prefix (after repairing its own findings): scan {scan.seconds:.2f} s, {findings_of(scan.out)} "
          f"findings, {count['calls']} registry calls, {count['probes']} file-system requests", flush=True)
    return dict(scan=scan.seconds, findings=findings_of(scan.out), calls=count["calls"], probes=count["probes"])


def class_keys(first, count, folder):
    """COM classes whose servers are files in `folder`, numbered from `first`."""
    keys = []
    for i in range(first, first + count):
        clsid = "{BE5C0000-0000-4000-8000-%012d}" % i
        keys.append((f"HKEY_CLASSES_ROOT\\CLSID\\{clsid}", [("", "sz", f"Bench class {i}")]))
        keys.append((f"HKEY_CLASSES_ROOT\\CLSID\\{clsid}\\InprocServer32",
                     [("", "sz", f"C:\\{folder}\\server{i}.dll"), ("ThreadingModel", "sz", "Both")]))
    return keys


def write_removal(path, first, count):
    """A registry script that deletes those classes whole."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    lines += ["[-HKEY_CLASSES_ROOT\\CLSID\\{BE5C0000-0000-4000-8000-%012d}]" % i for i in range(first, first + count)]
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + b"\r\n")


def broken_classes(wine, clean, count, first):
    """Times the scan of the clean prefix, of the prefix with `count` healthy
    COM classes and with the same classes whose server files are gone, turn
    about (the classes are imported and deleted between the runs, so a change
    of the machine's load falls on all three), counts the requests of each,
    then times and counts the fix of the dead classes and checks that it took
    them all away."""
    dead_reg = os.path.join(wine.work, f"dead-{count}.reg")
    healthy_reg = os.path.join(wine.work, f"healthy-{count}.reg")
    removal_reg = os.path.join(wine.work, f"remove-{count}.reg")
    write_reg(dead_reg, class_keys(first, count, "QrvBenchGone"))
    write_reg(healthy_reg, class_keys(first, count, "QrvBenchThere"))
    write_removal(removal_reg, first, count)
    there = unix_path("C:\\QrvBenchThere")
    os.makedirs(there, exist_ok=True)
    for i in range(first, first + count):
        open(os.path.join(there, f"server{i}.dll"), "wb").close()

    cleans, healthies, deads = [], [], []
    for _ in range(RUNS):
        wine.regedit_import(removal_reg)
        cleans.append(wine.cli("scan", "--json"))
        wine.regedit_import(healthy_reg)
        healthies.append(wine.cli("scan", "--json"))
        wine.regedit_import(dead_reg)  # the same classes, their servers named in a folder that is gone
        deads.append(wine.cli("scan", "--json"))
    for run in cleans + healthies + deads:
        if run.code != 0:
            raise SystemExit(f"QRVCli scan failed: {run.err!r}")
    clean_s, healthy, scan = best(cleans).seconds, best(healthies), best(deads)
    if findings_of(healthy.out) != clean["findings"]:
        raise SystemExit(f"{findings_of(healthy.out) - clean['findings']} findings among the healthy classes")
    total = findings_of(scan.out)
    found = total - clean["findings"]
    scanned = counted(wine, "scan", "--json")
    wine.regedit_import(healthy_reg)
    healthy_count = counted(wine, "scan", "--json")
    wine.regedit_import(dead_reg)
    fix = counted(wine, "fix", "--json")
    after = wine.cli("scan", "--json")
    left = findings_of(after.out)
    wine.regedit_import(removal_reg)  # the fix deletes the servers' keys; the classes' own keys go too
    added = scan.seconds - clean_s
    n = max(1, found)
    print(f"{count:>6} broken classes: {found} more findings; scan {scan.seconds:.2f} s against {clean_s:.2f} s "
          f"without them (x{scan.seconds / clean_s:.2f}, +{added:.2f} s, {1000 * added / count:.2f} s per 1,000) "
          f"and {healthy.seconds:.2f} s with as many healthy classes (x{healthy.seconds / clean_s:.2f}); "
          f"requests per class, healthy: registry {(healthy_count['calls'] - clean['calls']) / count:.2f}, "
          f"file system {(healthy_count['probes'] - clean['probes']) / count:.2f}; dead: registry "
          f"{(scanned['calls'] - clean['calls']) / n:.2f}, file system {(scanned['probes'] - clean['probes']) / n:.2f}",
          flush=True)
    beyond = fix["repair"] if fix["repair"] is not None else fix["seconds"] - scanned["seconds"]
    kinds, scan_kinds = fix["kinds"], scanned["kinds"]
    part = lambda name: kinds.get(name, (0, 0.0))[1]  # noqa: E731
    registry_calls_s = sum(t for name, (_, t) in kinds.items() if name.startswith("Reg")) - \
        sum(t for name, (_, t) in scan_kinds.items() if name.startswith("Reg"))
    print(f"        scan's own work (outside platform calls) {scanned['own']:.2f} s; "
          f"fix {fix['seconds']:.2f} s, the repair after its scan {beyond:.2f} s ({1000 * beyond / n:.2f} s per 1,000): "
          f"editor's import {part('CreateProcessAndWait'):.2f} s, wait {part('Sleep'):.2f} s, "
          f"files written {part('WriteFile'):.2f} s, registry calls about {max(0.0, registry_calls_s):.2f} s; "
          f"requests per finding beyond the scan: registry {(fix['calls'] - scanned['calls']) / n:.2f}, "
          f"file system {(fix['probes'] - scanned['probes']) / n:.2f}; findings after the fix {left}", flush=True)
    if left != clean["findings"]:
        raise SystemExit(f"the fix left {left - clean['findings']} findings of the broken classes")


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
    for count in (250, 1000, 5000):
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
