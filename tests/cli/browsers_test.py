"""The caches of today's browsers under Wine: Chrome and Edge (a default and
a second profile each) and Firefox (two profiles) seeded in the prefix's
local application data folder. `privacy scan --rows 2` lists exactly their
cache files; `privacy clean --rows 2` deletes those and nothing else of the
profiles (a walk of the browsers' folders before and after). A browser whose
lock file another process holds open is named in `skipped`, and its caches
are neither listed nor cleaned.
"""
import json
import os
import subprocess
import sys

from qrvwine import Checker, LOADER, Wine, unix_path


def write(path, data=b"x"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def tree(top):
    """Every file below top, not following links (as a set of Linux paths)."""
    found = set()
    for folder, dirs, files in os.walk(top, followlinks=False):
        found.update(os.path.join(folder, f) for f in files)
    return found


def env_folder(wine, name):
    return wine.run("cmd", "/c", f"echo %{name}%").out.decode("utf-8", "replace").strip()


PROFILE_CACHES = ["Cache\\Cache_Data\\data_0", "Cache\\Cache_Data\\f_000001", "Code Cache\\js\\index",
                  "Code Cache\\wasm\\index", "GPUCache\\data_1"]
PROFILE_KEPT = ["History", "Cookies", "Network\\Cookies", "Login Data", "Preferences", "Secure Preferences",
                "Sessions\\Session_1", "Bookmarks", "Extensions\\abcdef\\1.0_0\\manifest.json",
                "Local Storage\\leveldb\\000003.log", "Service Worker\\CacheStorage\\ab\\index", "Cache.bak"]
FIREFOX_CACHES = ["cache2\\entries\\0A1B2C3D", "cache2\\doomed\\1", "cache2\\index"]
FIREFOX_KEPT = ["startupCache\\startupCache.8.little", "thumbnails\\ab.png", "cache2.txt"]
ROAMING_KEPT = ["places.sqlite", "cookies.sqlite", "logins.json", "prefs.js", "parent.lock"]


def seeds(local, roaming):
    """(windows path, is a cache) of every seeded file."""
    out = []
    for data, second in ((local + "\\Google\\Chrome\\User Data", "Profile 1"),
                         (local + "\\Microsoft\\Edge\\User Data", "Profile 2")):
        for profile in ("Default", second):
            out += [(f"{data}\\{profile}\\{n}", True) for n in PROFILE_CACHES]
            out += [(f"{data}\\{profile}\\{n}", False) for n in PROFILE_KEPT]
        out += [(f"{data}\\ShaderCache\\data_0", True), (f"{data}\\GrShaderCache\\data_1", True)]
        out += [(f"{data}\\{n}", False) for n in ("Local State", "lockfile", "Crashpad\\Cache\\report.dmp")]
    for profile in ("a1b2c3d4.default-release", "e5f6g7h8.second"):
        local_profile = f"{local}\\Mozilla\\Firefox\\Profiles\\{profile}"
        out += [(f"{local_profile}\\{n}", True) for n in FIREFOX_CACHES]
        out += [(f"{local_profile}\\{n}", False) for n in FIREFOX_KEPT]
        out += [(f"{roaming}\\Mozilla\\Firefox\\Profiles\\{profile}\\{n}", False) for n in ROAMING_KEPT]
    return out


def main(bin_dir, work):
    wine = Wine(bin_dir, work)
    c = Checker("QRVCli browser caches")
    tops = []
    try:
        return run(wine, c, bin_dir, work, tops)
    finally:
        # The suites after this one share the prefix: no browser folder stays.
        for top in tops:
            subprocess.call(["rm", "-rf", top])


def run(wine, c, bin_dir, work, tops):
    local, roaming = env_folder(wine, "LOCALAPPDATA"), env_folder(wine, "APPDATA")
    c.check(local[1:3] == ":\\" and roaming[1:3] == ":\\", "the prefix names its application data folders",
            f"{local!r} {roaming!r}")
    tops += [unix_path(f"{local}\\{n}") for n in ("Google", "Microsoft\\Edge", "Mozilla")]
    tops.append(unix_path(f"{roaming}\\Mozilla"))
    outside = os.path.join(os.path.abspath(work), "browsers-outside")
    tops.append(outside)
    victim = os.path.join(outside, "Cache", "victim.dat")
    for top in tops:
        subprocess.call(["rm", "-rf", top])
    all_seeds = seeds(local, roaming)
    for path, _ in all_seeds:
        write(unix_path(path))
    write(victim)
    write(os.path.join(outside, "Preferences"))
    # A profile folder that is a link, and a cache folder inside a cache that is one.
    os.symlink(outside, unix_path(local + "\\Google\\Chrome\\User Data\\Profile 3"))
    os.symlink(outside, unix_path(local + "\\Mozilla\\Firefox\\Profiles\\e5f6g7h8.second\\cache2\\out"))
    caches = {p.upper() for p, cache in all_seeds if cache}
    browser_roots = tuple(f"{local}\\{n}\\".upper() for n in ("Google", "Microsoft\\Edge", "Mozilla"))

    def listed(report):
        rows = [r for r in report.get("rows", []) if r.get("row") == 2]
        items = rows[0].get("items", []) if rows else []
        return {p.upper() for p in items if p.upper().startswith(browser_roots)}

    def walk():
        return set().union(*(tree(t) for t in tops))

    # ---- nothing running: exactly the caches, then only they go ----
    before = walk()
    scan = c.cli(wine, "privacy", "scan", "--rows", "2")
    got = listed(scan)
    c.check(got == caches, "privacy scan lists exactly the browsers' cache files",
            f"  missing: {sorted(caches - got)}\n  unexpected: {sorted(got - caches)}")
    c.check(scan.get("skipped") == [], "no browser is skipped when no lock is held", json.dumps(scan.get("skipped")))
    c.check(walk() == before, "privacy scan changes nothing")
    clean = c.cli(wine, "privacy", "clean", "--rows", "2")
    c.check(clean.get("skipped") == [], "privacy clean skips no browser")
    gone = {unix_path(p) for p, cache in all_seeds if cache}
    after = walk()
    c.check(after == before - gone, "privacy clean removes the caches and nothing else",
            f"  missing: {sorted(before - gone - after)}\n  still there: {sorted(after & gone)}")
    c.check(os.path.isfile(victim), "what a link leads to stays")

    # ---- Chrome running: its lock file held open by another process ----
    for path, cache in all_seeds:
        if cache:
            write(unix_path(path))
    lock = local + "\\Google\\Chrome\\User Data\\lockfile"
    chrome = {p for p in caches if p.startswith(f"{local}\\Google\\".upper())}
    holder = subprocess.Popen([LOADER, os.path.join(bin_dir, "qrv_hold_file.exe"), lock],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    try:
        held = holder.stdout.readline().strip() == b"held"
        c.check(held, "qrv_hold_file.exe holds Chrome's lock file")
        if held:
            before = walk()
            scan = c.cli(wine, "privacy", "scan", "--rows", "2")
            c.check(scan.get("skipped") == ["Chrome"], "a running Chrome is named in skipped",
                    json.dumps(scan.get("skipped")))
            got = listed(scan)
            c.check(got == caches - chrome, "a running Chrome's caches are not listed, the others are",
                    f"  unexpected: {sorted(got - (caches - chrome))}\n  missing: {sorted(caches - chrome - got)}")
            c.cli(wine, "privacy", "clean", "--rows", "2")
            expected = before - {unix_path(p) for p, cache in all_seeds if cache and p.upper() not in chrome}
            after = walk()
            c.check(after == expected, "privacy clean leaves a running Chrome's caches and removes the others",
                    f"  missing: {sorted(expected - after)}\n  still there: {sorted(after - expected)}")
    finally:
        holder.stdin.close()
        holder.wait(timeout=600)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
