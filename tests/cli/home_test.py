"""The Home tab's one-click scan and Repair & Optimize under Wine.

The prefix is seeded with findings of every group (registry entries to the
registry groups, files to the temporary files, cookies, residual files and
shortcut groups) and with healthy look-alikes beside them. A scan of the
prefix before seeding is the baseline: the scan after seeding must list
exactly the baseline plus what was seeded, group by group. `home repair
--groups 1,3,6` must then remove exactly the items of those three groups
(registry entries, files) and nothing else, write one log per group and an
undo file that gives every registry entry back. Links to files outside the
prefix lie in the folders of groups 3, 6 and 7: Wine shows them as plain
files, so they are listed, but no repair deletes them or what they lead to;
the undo folder's copy of a shortcut is never listed; a later `home repair
--groups 7` removes the shortcuts and nothing else.

Every seeded name carries the marker QRV1C (class identifiers start with
BAD0B0E0 for broken and 00D0B0E0 for healthy ones).
"""
import collections
import json
import os
import re
import subprocess
import sys

from qrvwine import (APP_PATHS, CV, DRIVE_C, HKCR, HKCU, HKLM, Checker, Wine, describe_difference, entries,
                     settled_registry, unix_path, windows_path, write_reg)

SHELL_FOLDERS = f"{HKCU}\\{CV}\\Explorer\\Shell Folders"
VENDOR = f"{HKCU}\\Software\\Qrv1cVendor\\Recent"
TYPED_URLS = f"{HKCU}\\Software\\Microsoft\\Internet Explorer\\TypedURLs"
FNF, RNF = "File not found: ", "Relation not found: "
JUNK = "C:\\Qrv1cJunk"
GONE = "C:\\Qrv1cGone"
REPAIRED = (1, 3, 6)


def bad(n):
    return "{BAD0B0E0-0000-4000-8000-%012d}" % n


def ok(n):
    return "{00D0B0E0-0000-4000-8000-%012d}" % n


def write(path, data=b"x"):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def groups(report):
    """{group: Counter of its items, letter case ignored}."""
    return {g["group"]: collections.Counter(i.upper() for i in g["items"]) for g in report.get("groups", [])}


def in_code_page(line):
    try:
        line.encode("cp1252")
        return True
    except UnicodeEncodeError:
        return False


def tree(places, only_links=False):
    """Every file below the given (Linux folder, Windows name) pairs, not
    following links, by its Windows path in upper case (or only the links to
    files among them)."""
    found = set()
    for top, name in places:
        for folder, _, files in os.walk(top, followlinks=False):
            rel = os.path.relpath(folder, top)
            base = name if rel == "." else name + "\\" + rel.replace("/", "\\")
            found.update((base + "\\" + f).upper() for f in files
                         if not only_links or os.path.islink(os.path.join(folder, f)))
    return found


class Seed:
    """Registry entries and files, and what the scan must list of them."""

    def __init__(self):
        self.keys = collections.OrderedDict()
        self.files = []                      # Windows paths (Linux paths for what lies outside)
        self.listed = collections.defaultdict(collections.Counter)
        self.healthy_files = []              # Linux paths that must never go
        self.broken_keys = {}                # group: [(key, value name or None)] that its repair deletes
        self.healthy_keys = []               # (key, value name or None) that must stay
        self.shortcuts = []                  # (link, target)
        self.folders = {}                    # where the files were seeded
        self.file_links = {}                 # Windows path of a link to a file: its Linux target

    def put(self, key, *values):
        self.keys.setdefault(key, []).extend(values)

    def finding(self, group, line, *registry):
        self.listed[group][line.upper()] += 1
        self.broken_keys.setdefault(group, []).extend(registry)


def sz(name, text):
    return (name, "sz", text)


def seed_registry(s):
    # Group 1: a missing program's App Paths entry, a class whose library is
    # gone, an extension whose file type is gone.
    s.put(f"{APP_PATHS}\\Qrv1cBad.exe", sz("", f"{GONE}\\Qrv1cBad.exe"))
    s.finding(1, FNF + "C:\\QRV1CGONE\\QRV1CBAD.EXE", (f"{APP_PATHS}\\Qrv1cBad.exe", None))
    s.put(f"{HKCR}\\CLSID\\{bad(1)}", sz("", "Qrv1c bad class"))
    s.put(f"{HKCR}\\CLSID\\{bad(1)}\\InprocServer32", sz("", f"{GONE}\\qrv1ccom.dll"), sz("ThreadingModel", "Both"))
    s.finding(1, FNF + "QRV1CCOM.DLL", (f"{HKCR}\\CLSID\\{bad(1)}\\InprocServer32", None))
    s.put(f"{HKCR}\\.qrv1cbad", sz("", "Qrv1cGoneClass"))
    s.finding(1, RNF + ".qrv1cbad", (f"{HKCR}\\.qrv1cbad", None))
    # Their healthy look-alikes.
    s.put(f"{APP_PATHS}\\Qrv1cOk.exe", sz("", "C:\\Qrv1cOk\\ok.exe"))
    s.put(f"{HKCR}\\CLSID\\{ok(1)}\\InprocServer32", sz("", "C:\\Qrv1cOk\\ok.dll"))
    s.put(f"{HKCR}\\.qrv1cok", sz("", "Qrv1cOkClass"))
    s.put(f"{HKCR}\\Qrv1cOkClass", sz("", "Qrv1c document"))
    s.healthy_keys += [(f"{APP_PATHS}\\Qrv1cOk.exe", None), (f"{HKCR}\\CLSID\\{ok(1)}\\InprocServer32", None),
                       (f"{HKCR}\\.qrv1cok", None), (f"{HKCR}\\Qrv1cOkClass", None), (f"{HKCR}\\CLSID\\{bad(1)}", None)]
    s.files += ["C:\\Qrv1cOk\\ok.exe", "C:\\Qrv1cOk\\ok.dll"]

    # Group 2: a stale path in a program's settings and a typed address.
    s.put(VENDOR, sz("File1", f"{GONE}\\doc.txt"), sz("Qrv1cOkPresent", "C:\\Qrv1cOk\\ok.dll"))
    s.finding(2, f"{HKCU}\\SOFTWARE\\Qrv1cVendor\\Recent\\File1=C:\\QRV1CGONE\\DOC.TXT", (VENDOR, "File1"))
    s.put(TYPED_URLS, sz("url9", "http://qrv1c.example/page"))
    s.finding(2, f"{HKCU}\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs\\url9=HTTP://QRV1C.EXAMPLE/PAGE",
              (TYPED_URLS, "url9"))
    s.healthy_keys.append((VENDOR, "Qrv1cOkPresent"))


def seed_files(s, folders, home, outside):
    s.folders = folders
    temp, cache, cookies = folders["temp"], folders["cache"], folders["cookies"]

    def listed(group, *paths):
        for p in paths:
            s.files.append(p)
            s.listed[group][p.upper()] += 1

    def healthy(*paths):
        for p in paths:
            s.files.append(p)
            s.healthy_files.append(unix_path(p) if p[1] == ":" else p)

    # Group 3: the temporary folder's subfolders and the Internet cache. A
    # setup folder keeps the Temp folder from being taken whole, so a file
    # lying in it directly stays, and so does a folder holding a program.
    listed(3, f"{temp}\\Qrv1cTemp\\t1.log", f"{temp}\\Qrv1cTemp\\Deep\\t2.dat", f"{cache}\\Qrv1cCache\\c1.htm",
           f"{cache}\\qrv1c-c2.gif")
    healthy(f"{temp}\\Qrv1cSetup\\keep.log", f"{temp}\\qrv1c-loose.log", f"{temp}\\Qrv1cApp\\tool.exe",
            f"{temp}\\Qrv1cApp\\readme.txt", f"{cache}\\Qrv1cCache\\index.dat", f"{cache}\\Qrv1cCache\\desktop.ini")
    # Group 5: the cookie folder's text files, not its other files nor its subfolders'.
    listed(5, f"{cookies}\\qrv1c@example.txt", f"{cookies}\\qrv1c@other.TXT")
    healthy(f"{cookies}\\qrv1c-keep.dat", f"{cookies}\\Qrv1cSub\\qrv1c-deep.txt")
    # Group 6: residual files below C:\, but not a protected name or word, a
    # near extension, nor what lies behind a link (out of the tree, or the
    # profile's Desktop leading to $HOME).
    listed(6, f"{JUNK}\\a.tmp", f"{JUNK}\\Deep\\b.bak", f"{JUNK}\\c.old", f"{JUNK}\\d.$$$", f"{JUNK}\\e.TMPFILE")
    healthy(f"{JUNK}\\keep.txt", f"{JUNK}\\Data.bak", f"{JUNK}\\Setup\\s.tmp", f"{JUNK}\\Winter\\w.bak",
            f"{JUNK}\\a.tm", f"{JUNK}\\index.tmpl", f"{JUNK}\\Deep\\layout.TMPL", f"{JUNK}\\proj.tmproj",
            os.path.join(outside, "victim.tmp"), os.path.join(home, "qrv1c-home.tmp"))
    # Links to a file outside in groups 3 and 6 (listed as the plain files
    # Wine shows), and their targets, which must stay.
    document = os.path.join(outside, "qrv1c-document.txt")
    healthy(document)
    s.healthy_files.append(os.path.join(outside, "qrv1c-gone.lnk"))
    s.file_links[f"{JUNK}\\Deep\\link.bak"] = document
    s.file_links[f"{temp}\\Qrv1cTemp\\qrv1c-link.tmp"] = document
    s.listed[6][f"{JUNK}\\Deep\\link.bak".upper()] += 1
    for g in (3, 6):  # a temporary file, and a residual one too
        s.listed[g][f"{temp}\\Qrv1cTemp\\qrv1c-link.tmp".upper()] += 1
    # Group 7: shortcuts below the profile folder whose targets are gone;
    # one to an existing file and one behind the Desktop link stay.
    profile = folders["profile"]
    gone = [f"{folders['appdata']}\\Qrv1cLinks\\gone.lnk", f"{folders['localappdata']}\\Qrv1cLinks\\Sub\\gone2.lnk"]
    for link in gone:
        s.listed[7][link.upper()] += 1
        s.shortcuts.append((link, f"{GONE}\\app.exe"))
    # A link to a shortcut outside whose target is gone, and the undo folder's
    # copy of a removed startup link, whose target is gone too.
    dead = f"{folders['appdata']}\\Qrv1cLinks\\dead.lnk"
    s.file_links[dead] = os.path.join(outside, "qrv1c-gone.lnk")
    s.listed[7][dead.upper()] += 1
    s.shortcuts.append((windows_path(os.path.join(outside, "qrv1c-gone.lnk")), f"{GONE}\\app.exe"))
    undo_copy = f"{folders['appdata']}\\Quorvane\\Undo\\Undo qrv1c.lnk"
    s.shortcuts.append((undo_copy, f"{GONE}\\app.exe"))
    s.healthy_files.append(unix_path(undo_copy))
    live = f"{folders['appdata']}\\Qrv1cLinks\\live.lnk"
    s.shortcuts.append((live, f"{JUNK}\\keep.txt"))
    s.healthy_files.append(unix_path(live))
    behind = os.path.join(home, "qrv1c-home-gone.lnk")
    s.shortcuts.append((windows_path(behind), f"{GONE}\\app.exe"))
    s.healthy_files.append(behind)
    assert all(link.upper().startswith(profile.upper()) for link in gone)


def remove_seed(wine, s, work, outside):
    """Takes what an earlier run seeded out of the prefix again."""
    lines = ["REGEDIT4", ""]
    for key, values in s.keys.items():
        if key in (VENDOR, TYPED_URLS):
            lines += [f"[{key}]"] + [f'"{name}"=-' for name, _, _ in values] + [""]
        else:
            lines += [f"[-{key}]", ""]
    lines += [f"[-{HKCU}\\Software\\Qrv1cVendor]", ""]
    script = os.path.join(work, "home-unseed.reg")
    with open(script, "w", encoding="ascii", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    wine.regedit_import(script)
    for path in s.files + [link for link, _ in s.shortcuts] + list(s.file_links):
        path = unix_path(path) if path[1] == ":" else path
        if os.path.lexists(path):
            os.remove(path)
    f = s.folders
    for top in (JUNK, "C:\\Qrv1cOk", f"{f['temp']}\\Qrv1cTemp", f"{f['temp']}\\Qrv1cSetup", f"{f['temp']}\\Qrv1cApp",
                f"{f['cache']}\\Qrv1cCache", f"{f['cookies']}\\Qrv1cSub", f"{f['appdata']}\\Qrv1cLinks",
                f"{f['localappdata']}\\Qrv1cLinks"):
        subprocess.call(["rm", "-rf", unix_path(top)])
    subprocess.call(["rm", "-rf", outside])


def reg_present(wine, key, name=None):
    args = ["reg", "query", key] + (["/v", name] if name is not None else [])
    return wine.run(*args).code == 0


def main(bin_dir, work):
    wine = Wine(bin_dir, work)
    c = Checker("QRVCli home")
    home = os.environ["HOME"]
    outside = os.path.join(os.path.abspath(work), "home-outside")

    def cli(*command):
        return c.cli(wine, *command)

    # The folders the scan looks in, as the shell names them.
    env = wine.run("cmd", "/c", "echo %TEMP%;%APPDATA%;%LOCALAPPDATA%").out.decode("utf-8", "replace").strip()
    temp, appdata, localappdata = env.split(";")
    shell = wine.run("reg", "query", SHELL_FOLDERS).out.decode("utf-8", "replace")
    named = {}
    for line in shell.splitlines():
        parts = line.strip().split("    ")
        if len(parts) == 3:
            named[parts[0]] = parts[2]
    folders = {"temp": temp, "appdata": appdata, "localappdata": localappdata, "cache": named.get("Cache", ""),
               "cookies": named.get("Cookies", ""),
               # The shortcut search starts at the folder above the application data.
               "profile": appdata[:appdata.rfind("\\") + 1]}
    c.check(all(folders.values()), "the shell names the temporary, cache and cookie folders", repr(folders))

    s = Seed()
    seed_registry(s)
    seed_files(s, folders, home, outside)
    remove_seed(wine, s, work, outside)
    baseline = cli("home", "scan")
    c.check([g.get("group") for g in baseline.get("groups", [])] == list(range(1, 8)), "seven groups in order",
            json.dumps(baseline)[:500])
    c.check(not any("QRV1C" in i for items in groups(baseline).values() for i in items),
            "the prefix holds nothing of ours before seeding")

    seed_reg = os.path.join(work, "home-seed.reg")
    write_reg(seed_reg, list(s.keys.items()))
    wine.regedit_import(seed_reg)
    for path in s.files:
        write(unix_path(path) if path[1] == ":" else path, b"MZ" if path.endswith(".exe") else b"x")
    os.symlink(outside, unix_path(f"{JUNK}\\Out"))
    for link, _ in s.shortcuts:
        os.makedirs(os.path.dirname(unix_path(link)), exist_ok=True)
    made = wine.run(os.path.join(bin_dir, "make_shortcut.exe"), *[a for pair in s.shortcuts for a in pair])
    c.check(made.code == 0, "make_shortcut saved every shortcut", made.err.decode("utf-8", "replace"))
    for link, target in s.file_links.items():
        os.makedirs(os.path.dirname(unix_path(link)), exist_ok=True)
        os.symlink(target, unix_path(link))
    places = [(DRIVE_C, "C:"), (home, "HOME"), (outside, "OUTSIDE")]
    links = tree(places, only_links=True)  # ours, and any an earlier test left

    def links_intact(what):
        c.check(all(os.path.islink(unix_path(link)) for link in s.file_links) and
                all(os.path.isfile(target) for target in s.file_links.values()),
                f"{what} leaves the links to files and their targets", repr(sorted(tree([(outside, "OUTSIDE")]))))

    # ---- the scan: the baseline plus exactly what was seeded ----
    scan = cli("home", "scan")
    found, before_groups = groups(scan), groups(baseline)
    for g in range(1, 8):
        extra = found.get(g, collections.Counter()) - before_groups.get(g, collections.Counter())
        lost = before_groups.get(g, collections.Counter()) - found.get(g, collections.Counter())
        c.check(extra == s.listed.get(g, collections.Counter()) and not lost,
                f"group {g} lists the baseline and exactly the seeded items",
                f"  new: {sorted(extra)}\n  expected new: {sorted(s.listed.get(g, {}))}\n  gone: {sorted(lost)}")
    counts = {g["group"]: g["count"] for g in scan.get("groups", [])}
    c.check(all(counts.get(g) == sum(found[g].values()) for g in found), "each count is its items' number")
    c.check(scan.get("itemsToFix") == counts.get(1) and
            scan.get("itemsToClean") == sum(counts.get(g, 0) for g in range(3, 8)),
            "itemsToFix counts group 1, itemsToClean groups 3 to 7", json.dumps({k: v for k, v in scan.items()
                                                                              if k != "groups"}))
    c.check(scan.get("startupPrograms") == baseline.get("startupPrograms"), "the startup programs are not ours")
    # ---- the repair of groups 1, 3 and 6 ----
    own_files = (appdata + "\\Quorvane\\").upper()  # the logs, undo files and the fix script
    files_before = {p for p in tree(places) if not p.startswith(own_files)}
    registry_before = wine.snapshot("home-before")
    repair = cli("home", "repair", "--groups", ",".join(map(str, REPAIRED)))
    repaired_scan = groups(repair)
    c.check(repaired_scan == found, "the repair's own scan finds what the scan found",
            describe_difference({(str(g), i): 1 for g in found for i in found[g]},
                                {(str(g), i): 1 for g in repaired_scan for i in repaired_scan[g]}))
    listed_files = {i for g in (3, 6) for i in repaired_scan.get(g, {})} - links
    files_after = {p for p in tree(places) if not p.startswith(own_files)}
    c.check(files_before - files_after == listed_files,
            "exactly the files of groups 3 and 6 are gone, not the links to files",
            f"  gone but not listed: {sorted(files_before - files_after - listed_files)}\n"
            f"  listed but still there: {sorted(listed_files & files_after)}")
    c.check(files_after <= files_before, "the repair adds no file outside its own folder",
            repr(sorted(files_after - files_before)))
    c.check(all(os.path.exists(p) for p in s.healthy_files), "every healthy file is still there",
            repr([p for p in s.healthy_files if not os.path.exists(p)]))
    links_intact("home repair --groups 1,3,6")
    for g in (5, 7):
        c.check(all(i.upper() in files_after for i in s.listed[g]), f"group {g}'s files are still there")
    for g in (1, 2):
        for key, name in s.broken_keys[g]:
            c.check(reg_present(wine, key, name) == (g == 2),
                    f"group {g}'s {key} {name or ''} is {'still there' if g == 2 else 'gone'}")
    c.check(all(reg_present(wine, key, name) for key, name in s.healthy_keys), "every healthy registry entry stays",
            repr([k for k in s.healthy_keys if not reg_present(wine, *k)]))

    # (the links are listed but not removed, and the count is of what went)
    expected_fixed = sum(n for g in REPAIRED for i, n in repaired_scan.get(g, {}).items() if i not in links)
    c.check(repair.get("fixed") == expected_fixed, f"fixed {repair.get('fixed')} == {expected_fixed}")
    c.check(repair.get("notRepaired") == [] and repair.get("scheduledAtRestart") == 0, "every group was repaired",
            json.dumps({k: v for k, v in repair.items() if k != "groups"}))
    logs = repair.get("logs", [])
    c.check(len(logs) == len(REPAIRED), "one log per repaired group", repr(logs))
    # The logs are in the ANSI code page: an item it cannot hold is written
    # approximately, the others as they are.
    for g, log in zip(REPAIRED, logs):
        try:
            with open(unix_path(log), "rb") as f:
                lines = collections.Counter(l.upper() for l in f.read().decode("cp1252").splitlines())
        except OSError:
            lines = collections.Counter()
        items = repaired_scan.get(g, collections.Counter())
        exact = collections.Counter({i: n for i, n in items.items() if in_code_page(i)})
        c.check(sum(lines.values()) == sum(items.values()) and not exact - lines,
                f"the log of group {g} lists its items", f"  {log}\n  not in the log: {sorted(exact - lines)}")

    # ---- a scan after the repair ----
    again = groups(cli("home", "scan"))
    for g in REPAIRED:
        c.check(not any(i in again.get(g, {}) for i in s.listed[g] if i not in links),
                f"group {g} lists nothing seeded any more (but the links)",
                repr(sorted(again.get(g, {}))))
    for g in (3, 6):
        c.check(set(again.get(g, {})) <= links, f"group {g} lists only the links to files after its repair",
                repr(sorted(again.get(g, {}))))
    # Group 1 removed keys: what held only them may be reported as empty now.
    c.check(not (found[2] - again.get(2, collections.Counter())), "group 2 still lists all it listed",
            repr(sorted(found[2] - again.get(2, collections.Counter()))))
    for g in (4, 5, 7):
        c.check(again.get(g) == found[g], f"group {g} is as before")

    # ---- the undo file gives the registry back ----
    undo = repair.get("undo")
    c.check(bool(undo) and os.path.isfile(unix_path(undo)), "the repair wrote an undo file", repr(undo))
    if undo:
        cli("undo", undo)
    registry_after = wine.snapshot("home-after-undo")
    c.check(entries(registry_before, settled_registry) == entries(registry_after, settled_registry),
            "after the undo the registry is as before the repair",
            describe_difference(entries(registry_before, settled_registry),
                                entries(registry_after, settled_registry)))

    # ---- group 7 on its own: the shortcuts, not the link, not the undo folder ----
    shortcuts = cli("home", "repair", "--groups", "7")
    gone = {i for i in groups(shortcuts).get(7, {})} - links
    c.check(gone and not any(p in gone for p in tree(places)), "home repair --groups 7 removes the shortcuts",
            repr(sorted(gone)))
    c.check(all(os.path.exists(p) for p in s.healthy_files), "every healthy file is still there after group 7",
            repr([p for p in s.healthy_files if not os.path.exists(p)]))
    links_intact("home repair --groups 7")
    remove_seed(wine, s, work, outside)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
