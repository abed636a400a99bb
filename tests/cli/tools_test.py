"""The tweaks and the undo files under Wine: `QRVCli tweaks apply` on each
page against the real registry and regedit.exe, read back with `reg query`
(only the rows whose state changes are written, the others keep their data);
the tweak's undo file, imported with `QRVCli undo`, restores exactly what was
there before (values that did not exist are removed again); and `QRVCli undo`
of a repair's undo file brings the repaired entries back.
"""
import json
import os
import re
import sys

from qrvwine import Checker, Wine, write_reg

HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"
MM = f"{HKLM}\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management"
IE = f"{HKCU}\\Software\\Microsoft\\Internet Explorer\\Main"
PX = f"{HKCU}\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer"
PS = f"{HKCU}\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System"

# page, row, key, value name, kind ("dword" or "sz"), data written for on, for off.
ROWS = [
    ("system", 1, MM, "ClearPageFileAtShutdown", "dword", 1, 0),
    ("system", 2, MM + "\\PrefetchParameters", "EnablePrefetcher", "dword", 1, 0),
    ("system", 3, f"{HKLM}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer", "AlwaysUnloadDLL", "dword", 1, 0),
    ("system", 4, f"{HKCU}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoInstrumentation",
     "dword", 0, 1),
    ("system", 5, f"{HKLM}\\SOFTWARE\\Microsoft\\PCHealth\\ErrorReporting", "DoReport", "dword", 1, 0),
    ("system", 6, f"{HKCU}\\SOFTWARE\\Policies\\Microsoft\\Windows\\System\\Power", "PromptPasswordOnResume", "dword",
     1, 0),
    ("system", 7, f"{HKLM}\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", "AutoAdminLogon", "sz", "1",
     "0"),
    ("system", 8, f"{HKLM}\\SYSTEM\\CurrentControlSet\\Control\\CrashControl", "AutoReboot", "dword", 1, 0),
    ("system", 9, f"{HKLM}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", "verbosestatus", "dword",
     1, 0),
    ("internet", 1, f"{HKCU}\\Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions", "NoBrowserOptions",
     "dword", 0, 1),
    ("internet", 2, f"{HKCU}\\Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel", "Settings", "dword",
     0, 1),
    ("internet", 3, IE, "Enable AutoImageResize", "sz", "YES", "NO"),
    ("internet", 4, IE, "NoUpdateCheck", "dword", 0, 1),
    ("internet", 6, f"{HKCU}\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete", "AutoSuggest",
     "sz", "YES", "NO"),
    ("internet", 7, IE, "Use FormSuggest", "sz", "YES", "NO"),
    ("internet", 8, IE, "FormSuggest Passwords", "sz", "YES", "NO"),
    ("internet", 9, IE, "FormSuggest PW Ask", "sz", "YES", "NO"),
    ("security", 1, PX, "NoControlPanel", "dword", 0, 1),
    ("security", 2, PX, "NoSetTaskbar", "dword", 0, 1),
    ("security", 3, PS, "NoDispCPL", "dword", 0, 1),
    ("security", 4, PX, "NoRun", "dword", 0, 1),
    ("security", 5, f"{HKCU}\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Uninstall",
     "NoAddRemovePrograms", "dword", 0, 1),
    ("security", 6, PS, "DisableTaskMgr", "dword", 0, 1),
    ("security", 7, PS, "DisableRegistryTools", "dword", 0, 1),
]
WINLOGON = ROWS[6][2]


def short(key):
    return key.replace(HKLM, "HKLM", 1).replace(HKCU, "HKCU", 1)


def reg_query(wine, key, name):
    """(type, data text) as `reg query` prints them, or None when absent."""
    r = wine.run("reg", "query", short(key), "/v", name)
    if r.code != 0:
        return None
    for line in r.out.decode("utf-8", "replace").splitlines():
        m = re.match(r"^\s+(.+?)\s{4}(REG_[A-Z_]+)(?:\s{4}(.*))?$", line)
        if m and m.group(1).lower() == name.lower():
            return m.group(2), (m.group(3) or "").strip()
    return None


def expected_query(kind, data):
    return ("REG_DWORD", f"0x{data:x}") if kind == "dword" else ("REG_SZ", data)


def apply(wine, page, *options):
    r = wine.cli("tweaks", "apply", "--page", page, *options, "--json")
    if r.code != 0:
        raise AssertionError(f"tweaks apply {page} exited {r.code}: {r.err.decode('utf-8', 'replace')}")
    return json.loads(r.out.decode("utf-8"))


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    wine = Wine(bin_dir, os.path.join(work, "tools"))
    c = Checker("tools")

    # Before: values of other types and data than Apply writes, beside absent ones.
    seed = os.path.join(wine.work, "seed.reg")
    write_reg(seed, [
        (MM + "\\PrefetchParameters", [("EnablePrefetcher", "dword", 3)]),
        (WINLOGON, [("AutoAdminLogon", "sz", "1 "), ("DefaultUserName", "sz", "someone\\else")]),
        (PX, [("NoRun", "hex", b"\x01\x00"), ("NoControlPanel", "dword", 1)]),
        (IE, [("Use FormSuggest", "sz", "yes"), ("Enable AutoImageResize", "expand", "%NO%")]),
    ])
    wine.regedit_import(seed)
    names = [(key, name) for _, _, key, name, *_ in ROWS] + [(WINLOGON, "DefaultUserName")]
    before = {(k, n): reg_query(wine, k, n) for k, n in names}
    c.check(before[(PX, "NoRun")] is not None and before[(PX, "NoRun")][0] == "REG_BINARY", "seeded",
            repr(before[(PX, "NoRun")]))

    listed, _ = wine.cli_json("tweaks")
    c.check(len(listed["tweaks"]) == 24, "24 rows listed")
    start = {(t["page"], int(t["row"])): t["on"] for t in listed["tweaks"]}
    c.check(start[("system", 2)] and not start[("system", 7)] and not start[("security", 1)]
            and start[("security", 4)], "the seeded states read", repr(start))

    # Only the rows whose state changes are written: a row named with the
    # state it has, or not named at all, keeps its value as stored (or stays
    # absent). Prefetcher 3 and AutoAdminLogon "1 " make the system page's
    # --on 02 a row already on; NoRun stored as binary reads on.
    recommended = {(t["page"], int(t["row"])): t["recommended"] for t in listed["tweaks"]}
    runs = [("system", ["--on", "02,07", "--off", "01"], ["07"]),
            ("internet", ["--recommended"], ["03", "04", "07", "09"]),
            ("security", ["--on", "01,02,03,04,05,06,07"], ["01"]),
            ("security", ["--on", "01", "--off", "04"], ["04"]),
            ("security", ["--on", "01", "--off", "04"], [])]
    undo_files = []
    states = dict(start)
    for page, options, expected in runs:
        wanted = dict(states)
        if "--recommended" in options:
            wanted.update({k: v for k, v in recommended.items() if k[0] == page})
        for flag, value in (("--on", True), ("--off", False)):
            if flag in options:
                for n in options[options.index(flag) + 1].split(","):
                    wanted[(page, int(n))] = value
        changed = sorted(f"{row:02d}" for (p, row), on in wanted.items() if p == page and on != states[(p, row)])
        c.check(changed == expected, f"{page} {' '.join(options)}: the rows that change", repr(changed))
        stored = {(k, n): reg_query(wine, k, n) for k, n in names}
        report = apply(wine, page, *options)
        c.check(report.get("written") == expected, f"{page} {' '.join(options)}: rows written",
                repr(report.get("written")))
        if expected:
            undo_files.append(report["undo"])
        else:
            c.check("undo" not in report, f"{page}: nothing changed, no undo file", repr(report.get("undo")))
        after = {(t["page"], int(t["row"])): t["on"] for t in report["tweaks"]}
        for p, row, key, name, kind, on, off in ROWS:
            if p != page:
                continue
            got = reg_query(wine, key, name)
            if f"{row:02d}" in expected:
                c.check(got == expected_query(kind, on if after[(p, row)] else off), f"{page} {row:02d} {name} written",
                        f"  state {after[(p, row)]}, reg query gives {got!r}")
            else:
                c.check(got == stored[(key, name)], f"{page} {row:02d} {name} untouched",
                        f"  before {stored[(key, name)]!r}, now {got!r}")
            c.check(after[(p, row)] == wanted[(p, row)], f"{page} {row:02d} reads as asked", repr(after[(p, row)]))
        if page == "system":
            user = reg_query(wine, WINLOGON, "DefaultUserName")
            c.check(user is not None and user[1] and user[1] != "someone\\else", "DefaultUserName written",
                    repr(user))
        states = after

    listed_logs, _ = wine.cli_json("logs")
    for path in undo_files:
        c.check(path.split("\\")[-1] in listed_logs["undo"], f"undo file listed: {path}", repr(listed_logs))

    # Undo, newest first: every value as it was, the absent ones absent again.
    for path in reversed(undo_files):
        r = wine.cli("undo", path)
        c.check(r.code == 0, f"undo {path}", r.err.decode("utf-8", "replace"))
    for k, n in names:
        got = reg_query(wine, k, n)
        c.check(got == before[(k, n)], f"restored: {short(k)} [{n}]", f"  before {before[(k, n)]!r}, now {got!r}")

    # A repair's undo file: a missing program's App Paths entry comes back.
    app = f"{HKLM}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qrvtoolsgone.exe"
    write_reg(seed, [(app, [("", "sz", "C:\\QrvToolsGone\\qrvtoolsgone.exe"), ("Path", "sz", "C:\\QrvToolsGone")])])
    wine.regedit_import(seed)
    fixed, r = wine.cli_json("fix")
    c.check(reg_query(wine, app, "Path") is None, "the repair removed the entry")
    c.check(bool(fixed.get("undo")), "the repair wrote an undo file", repr(fixed.get("undo")))
    if fixed.get("undo"):
        r = wine.cli("undo", fixed["undo"])
        c.check(r.code == 0, "undo of the repair", r.err.decode("utf-8", "replace"))
        c.check(reg_query(wine, app, "Path") == ("REG_SZ", "C:\\QrvToolsGone"), "the repaired entry is back",
                repr(reg_query(wine, app, "Path")))

    # Refused: a script outside the undo folder.
    r = wine.cli("undo", "C:\\windows\\win.ini")
    c.check(r.code == 1, "a file outside the undo folder is refused", repr(r.code))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
