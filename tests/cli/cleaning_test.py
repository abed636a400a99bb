"""The Clean Up tab's commands under Wine on a seeded tree with real files,
real links and real shortcut files: junk find/remove, shortcuts scan/remove,
privacy scan/clean. After each remove exactly the listed files are gone and
everything else is still there, above all what lies behind a link out of the
tree (a folder outside the prefix, a loop, the profile's links to $HOME) and
what a link to a file leads to: Wine shows such a link as a plain file, and a
deletion by its path deletes its target. A startup link removed by the
startup manager leaves its copy in the undo folder, which no search touches.
"""
import json
import os
import shutil
import stat
import subprocess
import sys

from qrvwine import Checker, Wine, unix_path, windows_path, DRIVE_C

SEED = "C:\\QrvSeed"


def write(path, data=b"x"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def shell_folders(wine):
    """The shell's folders by upper-case name (CACHE, COOKIES, HISTORY, STARTUP ...)."""
    out = wine.run("reg", "query", "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
                   "\\Shell Folders").out.decode("utf-8", "replace")
    named = {}
    for line in out.splitlines():
        parts = line.strip().split("    ")
        if len(parts) == 3:
            named[parts[0].upper()] = parts[2]
    return named


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
    # (extensions that only begin with a residual one are no residue)
    near = ["index.tmpl", "Deep\\layout.TMPL", "proj.tmproj", "notes.oldx"]
    for name in listed_junk + near + ["keep.txt", "Data.bak", "a.tm", "Edwina\\twin.tmp", "MyData.txt"]:
        write(os.path.join(seed, *name.split("\\")))
    os.chmod(os.path.join(seed, "ro.bak"), stat.S_IRUSR)
    write(os.path.join(outside, "victim.tmp"))
    document = os.path.join(outside, "document.txt")
    write(document, b"the user's document")
    os.symlink(outside, os.path.join(seed, "Out"))
    os.symlink(seed, os.path.join(seed, "Loop"))
    # Links to a file outside, one absolute and one relative: listed (Wine
    # shows them as plain files), never deleted through.
    file_links = ["cache.tmp", "Deep\\Er\\rel.bak"]
    os.symlink(document, os.path.join(seed, "cache.tmp"))
    os.symlink(os.path.relpath(document, os.path.join(seed, "Deep", "Er")), os.path.join(seed, "Deep", "Er", "rel.bak"))

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
    # A link to a shortcut outside whose target is gone.
    os.symlink(os.path.join(outside, "gone.lnk"), os.path.join(seed, "Links", "dead.lnk"))
    before = tree(seed) | tree(outside)
    c.check(os.path.exists(home_link) and not os.path.islink(desktop_target), "the profile's Desktop leads out")

    def outside_intact(what):
        c.check(os.path.isfile(document) and open(document, "rb").read() == b"the user's document" and
                os.path.isfile(os.path.join(outside, "gone.lnk")), f"{what} leaves the files behind the links",
                repr(sorted(tree(outside))))
        c.check(all(os.path.islink(os.path.join(seed, *n.split("\\"))) for n in file_links + ["Links\\dead.lnk"]),
                f"{what} leaves the links to files as they are")

    def cli(*command):
        return c.cli(wine, *command)

    # ---- junk find / remove ----
    links = sorted(SEED + "\\" + n for n in file_links)
    expected = sorted(SEED + "\\" + n for n in listed_junk)
    found = cli("junk", "find", "--root", SEED)
    paths = sorted(f["path"] for f in found.get("files", []))
    c.check(paths == sorted(expected + links), "junk find lists exactly the residual files (and the links to files)",
            f"  got {paths}\n  expected {sorted(expected + links)}")
    c.check(found.get("total") == len(expected) + len(links) and found.get("root") == SEED + "\\",
            "junk find total and root")
    c.check(tree(seed) | tree(outside) == before, "junk find changes nothing")
    removed = cli("junk", "remove", "--root", SEED)
    c.check(removed.get("removed") == len(expected) and sorted(removed.get("failed", [])) == links,
            "junk remove removes them all but the links", json.dumps(removed))
    gone = {unix_path(p) for p in expected}
    after = tree(seed) | tree(outside)
    c.check(after == before - gone, "junk remove deletes exactly the listed files",
            f"  missing: {sorted(before - gone - after)}\n  still there: {sorted(after & gone)}")
    outside_intact("junk remove")
    before = after

    # ---- shortcuts scan / remove ----
    listed_links = sorted(SEED + "\\" + n for n in ("Links\\gone.lnk", "Links\\Sub\\GONE2.LNK"))
    dead = SEED + "\\Links\\dead.lnk"
    found = cli("shortcuts", "scan", "--root", SEED)
    links = sorted(s["link"] for s in found.get("shortcuts", []))
    c.check(links == sorted(listed_links + [dead]), "shortcuts scan lists exactly the shortcuts to missing files",
            f"  got {links}\n  expected {sorted(listed_links + [dead])}")
    targets = {s["link"]: s["target"] for s in found.get("shortcuts", [])}
    c.check(targets.get(SEED + "\\Links\\gone.lnk", "").upper() == "C:\\QRVSEED\\GONE\\APP.EXE",
            "the target as the shortcut stores it", json.dumps(targets))
    for root in ([], ["--root", profile]):
        whole = cli("shortcuts", "scan", *root)
        c.check(not any("qrv-home-gone" in s["link"] for s in whole.get("shortcuts", [])),
                f"shortcuts scan {' '.join(root) or '(default root)'} does not walk the profile's links to $HOME",
                json.dumps(whole)[:2000])
    removed = cli("shortcuts", "remove", "--root", SEED)
    c.check(removed.get("removed") == 2 and removed.get("failed") == [dead],
            "shortcuts remove removes both, not the link to the outside shortcut", json.dumps(removed))
    cli("shortcuts", "remove", "--root", profile)
    gone = {unix_path(p) for p in listed_links}
    after = tree(seed) | tree(outside)
    c.check(after == before - gone, "shortcuts remove deletes exactly the listed shortcuts",
            f"  missing: {sorted(before - gone - after)}\n  still there: {sorted(after & gone)}")
    c.check(os.path.exists(home_link), "a shortcut behind the profile's Desktop link survives")
    outside_intact("shortcuts remove")

    # ---- privacy scan / clean (rows 1 to 4) ----
    # Each walked folder holds a file it lists, a link to a file outside
    # (named as the walk would list it) and a link to a folder outside.
    temp = wine.run("cmd", "/c", "echo %TEMP%").out.decode("utf-8", "replace").strip()
    named = shell_folders(wine)
    priv = os.path.join(unix_path(temp), "QrvPriv")
    cache = os.path.join(unix_path(named["CACHE"]), "QrvCache")
    history = os.path.join(unix_path(named["HISTORY"]), "QrvHist")
    cookies = unix_path(named["COOKIES"])
    outside2 = os.path.join(os.path.abspath(work), "outside2")
    subprocess.call(["rm", "-rf", priv, outside2, cache, history] +
                    [os.path.join(cookies, n) for n in ("qrv@site.txt", "qrvlink@site.txt")])
    write(os.path.join(priv, "p1.txt"))
    write(os.path.join(priv, "Inner", "p2.log"))
    write(os.path.join(priv, "ro.txt"))
    os.chmod(os.path.join(priv, "ro.txt"), stat.S_IRUSR)
    write(os.path.join(cache, "page.htm"))
    write(os.path.join(history, "Day", "index.dat"))
    write(os.path.join(cookies, "qrv@site.txt"))
    victims = {name: os.path.join(outside2, name) for name in ("victim2.txt", "index.dat")}
    for path in victims.values():
        write(path, b"keep me")
    priv_links = [(os.path.join(priv, "cache.tmp"), victims["victim2.txt"]),
                  (os.path.join(cache, "cache.tmp"), victims["victim2.txt"]),
                  (os.path.join(history, "index.dat"), victims["index.dat"]),
                  (os.path.join(cookies, "qrvlink@site.txt"), victims["victim2.txt"])]
    for link, target in priv_links:
        os.symlink(target, link)
    for folder in (priv, cache, history):
        os.symlink(outside2, os.path.join(folder, "Out"))
    scan = cli("privacy", "scan", "--rows", "1,2,3,4")
    rows = {r["row"]: r for r in scan.get("rows", [])}
    items = set(rows.get(1, {}).get("items", []))
    # (start-up keeps the temporary folders in upper case)
    wanted = {(temp + "\\QrvPriv\\" + n).upper() for n in ("p1.txt", "Inner\\p2.log", "ro.txt")}
    c.check(wanted <= {i.upper() for i in items} and not any("victim2" in i for i in items),
            "privacy scan lists the temporary files and nothing behind the link", json.dumps(scan)[:2000])
    c.check(rows.get(3, {}).get("items") == [], "the URL history of Wine gives no site and no error")
    clean = cli("privacy", "clean", "--rows", "1,2,3,4")
    gone = [os.path.join(priv, "p1.txt"), os.path.join(priv, "Inner", "p2.log"), os.path.join(cache, "page.htm"),
            os.path.join(history, "Day", "index.dat"), os.path.join(cookies, "qrv@site.txt")]
    c.check(not any(os.path.exists(p) for p in gone), "privacy clean deletes the listed files of every row",
            repr([p for p in gone if os.path.exists(p)]))
    c.check(os.path.exists(os.path.join(priv, "ro.txt")), "a read-only file stays on the privacy page")
    c.check(all(open(p, "rb").read() == b"keep me" for p in victims.values() if os.path.exists(p)) and
            all(os.path.exists(p) for p in victims.values()), "what lies behind a link stays",
            repr(sorted(tree(outside2))))
    c.check(all(os.path.islink(link) for link, _ in priv_links), "the links to files are left as they are",
            repr([link for link, _ in priv_links if not os.path.islink(link)]))
    log = clean.get("log")
    c.check(bool(log) and os.path.exists(unix_path(log)), "the log is on disk", json.dumps(clean)[:2000])
    cleaned = {r["row"]: r for r in clean.get("rows", [])}
    c.check(cleaned.get(1, {}).get("removed") == len(cleaned.get(1, {}).get("items", [])) - 2,
            "removed counts what went (not the read-only file, not the link), not what was listed",
            json.dumps(clean)[:2000])

    # ---- a startup link removed, then the shortcut search of the profile ----
    startup = named["STARTUP"] + "\\QrvStart.lnk"
    made = wine.run(os.path.join(bin_dir, "make_shortcut.exe"), startup, "C:\\QrvSeed\\Gone\\start.exe")
    c.check(made.code == 0, "make_shortcut saved the startup link", made.err.decode("utf-8", "replace"))
    listing = cli("startup")
    index = next((e["index"] for e in listing.get("entries", []) if e.get("program") == "QrvStart.lnk"), None)
    c.check(index is not None, "the startup manager lists the link", json.dumps(listing)[:2000])
    taken = cli("startup", "remove", str(index or 0))
    copy = taken.get("linkCopy") or ""
    c.check(bool(copy) and os.path.isfile(unix_path(copy)) and not os.path.exists(unix_path(startup)),
            "startup remove keeps a copy of the link beside its undo file", json.dumps(taken))
    own = [os.path.dirname(unix_path(p)) for p in (copy, log) if p]  # the undo and log folders
    kept = set().union(*(tree(folder) for folder in own))
    whole = cli("shortcuts", "scan")
    c.check(bool(copy) and not any(s["link"].upper() == copy.upper() for s in whole.get("shortcuts", [])),
            "the shortcut search of the profile does not list the undo folder's copy", json.dumps(whole)[:2000])
    cli("shortcuts", "remove")
    c.check(bool(copy) and os.path.isfile(unix_path(copy)), "the copy of the removed link is still there")
    left = set().union(*(tree(folder) for folder in own))
    c.check(kept <= left, "shortcuts remove leaves the undo and log folders as they were", repr(sorted(kept - left)))
    if copy and os.path.isfile(unix_path(copy)):  # the copy brings the startup link back
        shutil.copyfile(unix_path(copy), unix_path(startup))
        back = cli("startup")
        c.check(any(e.get("program") == "QrvStart.lnk" for e in back.get("entries", [])),
                "the copy restores the startup link")
        os.remove(unix_path(startup))
    for top in (seed, outside, outside2, priv, cache, history):
        subprocess.call(["chmod", "-R", "u+w", top], stderr=subprocess.DEVNULL)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
