"""The Clean Up tab's commands under Wine on a seeded tree with real files,
real links and real shortcut files: junk find/remove, shortcuts scan/remove,
privacy scan/clean. After each remove exactly the listed files are gone and
everything else is still there, above all what lies behind a link out of the
tree (a folder outside the prefix, a loop, the profile's links to $HOME).
"""
import json
import os
import stat
import subprocess
import sys

from qrvwine import Checker, Wine, unix_path, windows_path, DRIVE_C

SEED = "C:\\QrvSeed"


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


def main(bin_dir, work):
    wine = Wine(bin_dir, work)
    c = Checker("QRVCli Clean Up")
    seed = unix_path(SEED)
    outside = os.path.join(os.path.abspath(work), "outside")
    for top in (seed, outside):
        subprocess.call(["chmod", "-R", "u+w", top], stderr=subprocess.DEVNULL)
        subprocess.call(["rm", "-rf", top])

    # ---- the seeded tree ----
    listed_junk = ["a.tmp", "Deep\\Er\\b.bak", "Deep\\c.old", "x.TMPFILE", "report.bak2", "ro.bak", "\u03a9mega.tmp"]
    for name in listed_junk + ["keep.txt", "Data.bak", "a.tm", "Edwina\\twin.tmp", "MyData.txt"]:
        write(os.path.join(seed, *name.split("\\")))
    os.chmod(os.path.join(seed, "ro.bak"), stat.S_IRUSR)
    write(os.path.join(outside, "victim.tmp"))
    os.symlink(outside, os.path.join(seed, "Out"))
    os.symlink(seed, os.path.join(seed, "Loop"))

    shortcuts = {
        "Links\\gone.lnk": "C:\\QrvSeed\\Gone\\app.exe",
        "Links\\fine.lnk": "C:\\QrvSeed\\keep.txt",
        "Links\\unc.lnk": "\\\\server\\share\\tool.exe",
        "Links\\late.lnk": "Q:\\Tools\\tool.exe",
        "Links\\Sub\\GONE2.LNK": "C:\\QrvSeed\\Gone\\readme.txt",
    }
    os.makedirs(os.path.join(seed, "Links", "Sub"), exist_ok=True)
    profile = wine.run("cmd", "/c", "echo %USERPROFILE%").out.decode("utf-8", "replace").strip()
    desktop_target = os.path.realpath(os.path.join(unix_path(profile), "Desktop"))
    args = []
    for link, target in shortcuts.items():
        args += [SEED + "\\" + link, target]
    args += [windows_path(os.path.join(outside, "gone.lnk")), "C:\\QrvSeed\\Gone\\app.exe"]
    home_link = os.path.join(desktop_target, "qrv-home-gone.lnk")
    os.makedirs(desktop_target, exist_ok=True)
    args += [windows_path(home_link), "C:\\QrvSeed\\Gone\\app.exe"]
    made = wine.run(os.path.join(bin_dir, "make_shortcut.exe"), *args)
    c.check(made.code == 0, "make_shortcut saved every shortcut", made.err.decode("utf-8", "replace"))
    before = tree(seed) | tree(outside)
    c.check(os.path.exists(home_link) and not os.path.islink(desktop_target), "the profile's Desktop leads out")

    def cli(*command):
        return c.cli(wine, *command)

    # ---- junk find / remove ----
    expected = sorted(SEED + "\\" + n for n in listed_junk)
    found = cli("junk", "find", "--root", SEED)
    paths = sorted(f["path"] for f in found.get("files", []))
    c.check(paths == expected, "junk find lists exactly the residual files", f"  got {paths}\n  expected {expected}")
    c.check(found.get("total") == len(expected) and found.get("root") == SEED + "\\", "junk find total and root")
    c.check(tree(seed) | tree(outside) == before, "junk find changes nothing")
    removed = cli("junk", "remove", "--root", SEED)
    c.check(removed.get("removed") == len(expected) and removed.get("failed") == [], "junk remove removes them all",
            json.dumps(removed))
    gone = {unix_path(p) for p in expected}
    after = tree(seed) | tree(outside)
    c.check(after == before - gone, "junk remove deletes exactly the listed files",
            f"  missing: {sorted(before - gone - after)}\n  still there: {sorted(after & gone)}")
    before = after

    # ---- shortcuts scan / remove ----
    listed_links = sorted(SEED + "\\" + n for n in ("Links\\gone.lnk", "Links\\Sub\\GONE2.LNK"))
    found = cli("shortcuts", "scan", "--root", SEED)
    links = sorted(s["link"] for s in found.get("shortcuts", []))
    c.check(links == listed_links, "shortcuts scan lists exactly the shortcuts to missing files",
            f"  got {links}\n  expected {listed_links}")
    targets = {s["link"]: s["target"] for s in found.get("shortcuts", [])}
    c.check(targets.get(SEED + "\\Links\\gone.lnk", "").upper() == "C:\\QRVSEED\\GONE\\APP.EXE",
            "the target as the shortcut stores it", json.dumps(targets))
    for root in ([], ["--root", profile]):
        whole = cli("shortcuts", "scan", *root)
        c.check(not any("qrv-home-gone" in s["link"] for s in whole.get("shortcuts", [])),
                f"shortcuts scan {' '.join(root) or '(default root)'} does not walk the profile's links to $HOME",
                json.dumps(whole)[:2000])
    removed = cli("shortcuts", "remove", "--root", SEED)
    c.check(removed.get("removed") == 2 and removed.get("failed") == [], "shortcuts remove removes both",
            json.dumps(removed))
    cli("shortcuts", "remove", "--root", profile)
    gone = {unix_path(p) for p in listed_links}
    after = tree(seed) | tree(outside)
    c.check(after == before - gone, "shortcuts remove deletes exactly the listed shortcuts",
            f"  missing: {sorted(before - gone - after)}\n  still there: {sorted(after & gone)}")
    c.check(os.path.exists(home_link), "a shortcut behind the profile's Desktop link survives")

    # ---- privacy scan / clean (rows 1 and 3) ----
    temp = wine.run("cmd", "/c", "echo %TEMP%").out.decode("utf-8", "replace").strip()
    priv = os.path.join(unix_path(temp), "QrvPriv")
    outside2 = os.path.join(os.path.abspath(work), "outside2")
    subprocess.call(["rm", "-rf", priv, outside2])
    write(os.path.join(priv, "p1.txt"))
    write(os.path.join(priv, "Inner", "p2.log"))
    write(os.path.join(priv, "ro.txt"))
    os.chmod(os.path.join(priv, "ro.txt"), stat.S_IRUSR)
    write(os.path.join(outside2, "victim2.txt"))
    os.symlink(outside2, os.path.join(priv, "Out"))
    scan = cli("privacy", "scan", "--rows", "1,3")
    rows = {r["row"]: r for r in scan.get("rows", [])}
    items = set(rows.get(1, {}).get("items", []))
    # (start-up keeps the temporary folders in upper case)
    wanted = {(temp + "\\QrvPriv\\" + n).upper() for n in ("p1.txt", "Inner\\p2.log", "ro.txt")}
    c.check(wanted <= {i.upper() for i in items} and not any("victim2" in i for i in items),
            "privacy scan lists the temporary files and nothing behind the link", json.dumps(scan)[:2000])
    c.check(rows.get(3, {}).get("items") == [], "the URL history of Wine gives no site and no error")
    clean = cli("privacy", "clean", "--rows", "1,3")
    c.check(not os.path.exists(os.path.join(priv, "p1.txt")) and not os.path.exists(os.path.join(priv, "Inner", "p2.log")),
            "privacy clean deletes the temporary files")
    c.check(os.path.exists(os.path.join(priv, "ro.txt")), "a read-only file stays on the privacy page")
    c.check(os.path.exists(os.path.join(outside2, "victim2.txt")), "what lies behind a link stays")
    log = clean.get("log")
    c.check(bool(log) and os.path.exists(unix_path(log)), "the log is on disk", json.dumps(clean)[:2000])
    c.check(clean.get("removed", 0) < len(items) or not items, "removed counts what went, not what was listed",
            json.dumps(clean)[:500])
    for top in (seed, outside, outside2, priv):
        subprocess.call(["chmod", "-R", "u+w", top], stderr=subprocess.DEVNULL)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
