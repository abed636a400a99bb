"""One 64-bit QRVCli covers both registry views of 64-bit Windows.

A class is registered in both views, healthy in one and dead in the other,
and the reverse; an uninstall entry of the 32-bit view is dead; an App Paths
entry, which both views share, is dead. Everything is seeded and exported by
the native editor at the paths where 64-bit Windows keeps the 32-bit view
(`...\\Wow6432Node\\...`): the one program alone finds each dead entry once,
repairs each where it is stored and leaves both healthy twins; its undo file
brings everything back.

    both_views_test.py BIN64 WORK     (WINEPREFIX: a win64 prefix)
"""
import json
import os
import sys

from qrvwine import Checker, Wine, unix_path, write_reg

CLASS_A = "{51A7E0A1-0000-4000-8000-0000000000AA}"  # healthy natively, dead in the 32-bit view
CLASS_B = "{51A7E0A1-0000-4000-8000-0000000000BB}"  # the reverse
CLASSES = "HKEY_LOCAL_MACHINE\\Software\\Classes\\"
NODE = "Wow6432Node\\"
UNINSTALL32 = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QrvOld32"
APP_PATH = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\qrvgoneshared.exe"
SERVER = "\\InprocServer32"  # what the repair of a dead class deletes
KEYS = [f"{CLASSES}CLSID\\{CLASS_A}{SERVER}", f"{CLASSES}{NODE}CLSID\\{CLASS_A}{SERVER}",
        f"{CLASSES}CLSID\\{CLASS_B}{SERVER}", f"{CLASSES}{NODE}CLSID\\{CLASS_B}{SERVER}", UNINSTALL32, APP_PATH]


def seed(wine, work):
    for path in ("C:\\windows\\system32\\qrvhealthy64.dll", "C:\\windows\\syswow64\\qrvhealthy32.dll"):
        os.makedirs(os.path.dirname(unix_path(path)), exist_ok=True)
        with open(unix_path(path), "wb") as f:
            f.write(b"MZ")
    keys = [(KEYS[0], [("", "sz", "C:\\windows\\system32\\qrvhealthy64.dll")]),
            (KEYS[1], [("", "sz", "C:\\QrvGone\\qrvgone32.dll"), ("ThreadingModel", "sz", "Both")]),
            (KEYS[2], [("", "sz", "C:\\QrvGone\\qrvgone64.dll")]),
            (KEYS[3], [("", "sz", "C:\\windows\\system32\\qrvhealthy32.dll")]),
            (UNINSTALL32, [("DisplayName", "sz", "Quorvane test, long gone")]),
            (APP_PATH, [("", "sz", "C:\\QrvGone\\qrvgoneshared.exe")])]
    path = os.path.join(work, "seed-both.reg")
    write_reg(path, keys)
    wine.regedit_import(path)


def present(wine, tag):
    """The keys of KEYS that the native editor finds, with what they hold."""
    out = {}
    for i, key in enumerate(KEYS):
        try:
            out[key] = wine.export(key, f"{tag}-{i}")
        except AssertionError:
            pass  # not there
    return out


def findings(report):
    return [line for c in report["categories"] for line in c["findings"]]


def main():
    bin64, work = sys.argv[1:3]
    os.makedirs(work, exist_ok=True)
    c = Checker("both views")
    wine = Wine(bin64, work)
    seed(wine, work)
    before = present(wine, "before")
    c.check(sorted(before) == sorted(KEYS), "every key is seeded", ", ".join(sorted(set(KEYS) - set(before))))

    scan, _ = wine.cli_json("scan")
    lines = findings(scan)
    ours = [l for l in lines if "QRV" in l.upper()]
    c.check(ours.count("File not found: QRVGONE64.DLL") == 1, "the dead native class, once", "\n".join(ours))
    c.check(ours.count("File not found: QRVGONE32.DLL (32-bit view)") == 1, "the dead 32-bit class, once, with its view",
            "\n".join(ours))
    c.check(sum("QRVGONESHARED" in l.upper() for l in ours) == 1, "the shared App Paths entry, examined once",
            "\n".join(ours))
    c.check(sum("QRVOLD32" in l.upper() for l in ours) == 1, "the dead 32-bit uninstall entry", "\n".join(ours))

    fixed, r = wine.cli_json("fix")
    c.check(r.code == 0 and fixed.get("undo"), "the repair ran and wrote an undo file", r.err.decode("utf-8", "replace"))
    after = present(wine, "after")
    c.check(sorted(after) == sorted([KEYS[0], KEYS[3]]), "only the healthy twins stay", ", ".join(sorted(after)))
    c.check(after.get(KEYS[0]) == before[KEYS[0]] and after.get(KEYS[3]) == before[KEYS[3]],
            "the healthy twins are untouched")

    if fixed.get("undo"):
        r = wine.cli("undo", fixed["undo"])
        c.check(r.code == 0, "QRVCli undo", r.err.decode("utf-8", "replace"))
    restored = present(wine, "restored")
    c.check(restored == before, "the undo file restores both views exactly",
            json.dumps(sorted(set(before) ^ set(restored)), indent=1))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
