"""QRVSchedule.exe under Wine: with the weekly slot set to the current
minute it runs the one-click scan at once and writes RunDate1, ItemsToFix and
ItemsToClean; a seeded dead App Paths key, which the scan finds, is still
there afterwards (the companion never repairs); a second start ends at once
while the first runs; switching the schedule off ends the first.
"""
import os
import subprocess
import sys
import time

from qrvwine import LOADER, Checker, Wine, write_reg

HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"
SETTINGS = "HKCU\\Software\\Quorvane"
DEAD = f"{HKLM}\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qrvsched-gone.exe"
WRITTEN = ("RunDate1", "ItemsToFix", "ItemsToClean", "s_LastRun")
TIMEOUT = 180  # seconds; a run takes a few


def reg_value(wine, key, name):
    """The data text `reg query` prints for a value, or None when it is absent."""
    r = wine.run("reg", "query", key, "/v", name)
    if r.code != 0:
        return None
    for line in r.out.decode("utf-8", "replace").splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) >= 2 and parts[0].lower() == name.lower() and parts[1].startswith("REG_"):
            return parts[2] if len(parts) == 3 else ""
    return None


def wait_until(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.3)
    return condition()


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    wine = Wine(bin_dir, work)
    check = Checker("schedule companion")
    companion = os.path.join(bin_dir, "QRVSchedule.exe")
    seed = os.path.join(work, "schedule-seed.reg")
    write_reg(seed, [(DEAD, [("", "sz", "C:\\nowhere\\qrvsched-gone.exe")])])
    wine.regedit_import(seed)
    for name in WRITTEN:
        wine.run("reg", "delete", SETTINGS, "/v", name, "/f")

    # The slot is the current minute, with time enough left in it for the
    # companion to start (the clock of Wine is the host's local clock).
    if time.localtime().tm_sec > 40:
        minute = time.localtime().tm_min
        wait_until(lambda: time.localtime().tm_min != minute, 30)
    now = time.localtime()
    r = wine.cli("schedule", "set", "--on", "--day", str(now.tm_wday), "--time", f"{now.tm_hour:02d}:{now.tm_min:02d}")
    check.check(r.code == 0, "QRVCli schedule set --on", r.err.decode("utf-8", "replace"))

    with open(os.path.join(work, "companion.out"), "wb") as out:
        first = subprocess.Popen([LOADER, companion], stdin=subprocess.DEVNULL, stdout=out, stderr=out)
        try:
            took = wait_until(lambda: reg_value(wine, SETTINGS, "s_LastRun") is not None, TIMEOUT)
            check.check(took, "the companion takes the slot of this minute")
            second = wine.run(companion, timeout=60)
            check.check(second.code == 0 and first.poll() is None, "a second start ends at once while the first runs",
                        f"second exited {second.code} after {second.seconds:.1f} s; first {first.poll()}")
            done = wait_until(lambda: all(reg_value(wine, SETTINGS, n) is not None for n in WRITTEN[:3]), TIMEOUT)
            check.check(done, "the scan writes RunDate1, ItemsToFix and ItemsToClean")
            fix = reg_value(wine, SETTINGS, "ItemsToFix") or "0x0"
            check.check(int(fix, 16) >= 1, "the dead App Paths key is counted", fix)
            check.check(wine.run("reg", "query", DEAD.replace(HKLM, "HKLM", 1)).code == 0,
                        "the dead App Paths key is still there: the companion only scans")
            check.check(first.poll() is None, "the companion waits for next week's slot")
            wine.run("reg", "add", SETTINGS, "/v", "s_Enable", "/t", "REG_DWORD", "/d", "0", "/f")
            try:
                code = first.wait(timeout=90)
            except subprocess.TimeoutExpired:
                code = None
            check.check(code == 0, "switched off, the companion ends", f"exit status {code}")
        finally:
            if first.poll() is None:
                first.kill()
                first.wait()
    wine.run("reg", "delete", DEAD.replace(HKLM, "HKLM", 1), "/f")
    wine.cli("schedule", "set", "--off")
    return check.finish()


if __name__ == "__main__":
    sys.exit(main())
