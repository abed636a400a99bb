"""Both registry views of 64-bit Windows, in a 64-bit Wine prefix.

A class is registered in both views: healthy in one, dead in the other. The
32-bit QRVCli works in the 32-bit view only; the 64-bit one reads both
views and finds the dead registration of each. Each repair deletes only the
dead ones, and each undo file restores them where they were. App Paths, which the two
views share, holds a program found only in the native System32 and one only
in SysWOW64: neither program takes either for gone.
Which view an editor writes is checked by exporting each view with its own
editor (C:\\windows\\regedit.exe is the native one, C:\\windows\\syswow64's
the 32-bit one), never by trusting which editor Wine starts.

    views64_test.py BIN32 BIN64 WORK     (WINEPREFIX: a win64 prefix)
"""
import json
import os
import sys

from qrvwine import Checker, Wine, unix_path, write_reg

NATIVE_EDITOR = "C:\\windows\\regedit.exe"
EDITOR_32 = "C:\\windows\\syswow64\\regedit.exe"
CLASS_A = "{51A7E0A1-0000-4000-8000-00000000000A}"  # healthy natively, dead in the 32-bit view
CLASS_B = "{51A7E0A1-0000-4000-8000-00000000000B}"  # the reverse
APP_PATHS = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
KEYS = [f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_A}", f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_B}",
        APP_PATHS + "qrvonly64.exe", APP_PATHS + "qrvonly32.exe"]


def seed(wine, work):
    # The files: each view's healthy registration names a file of its own system folder.
    for path in ("C:\\windows\\system32\\qrvhealthy64.dll", "C:\\windows\\syswow64\\qrvhealthy32.dll",
                 "C:\\windows\\system32\\qrvonly64.exe", "C:\\windows\\syswow64\\qrvonly32.exe"):
        os.makedirs(os.path.dirname(unix_path(path)), exist_ok=True)
        with open(unix_path(path), "wb") as f:
            f.write(b"MZ")
    native = [(f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_A}\\InprocServer32",
               [("", "sz", "C:\\windows\\system32\\qrvhealthy64.dll")]),
              (f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_B}\\InprocServer32", [("", "sz", "C:\\QrvGone\\qrvgone64.dll")]),
              (APP_PATHS + "qrvonly64.exe", [("", "sz", "C:\\windows\\system32\\qrvonly64.exe")])]
    view32 = [(f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_A}\\InprocServer32",
               [("", "sz", "C:\\QrvGone\\qrvgone32.dll"), ("ThreadingModel", "sz", "Both")]),
              (f"HKEY_CLASSES_ROOT\\CLSID\\{CLASS_B}\\InprocServer32",
               [("", "sz", "C:\\windows\\system32\\qrvhealthy32.dll")]),
              (APP_PATHS + "qrvonly32.exe", [("", "sz", "C:\\windows\\system32\\qrvonly32.exe")])]
    for name, keys, editor in (("seed64.reg", native, NATIVE_EDITOR), ("seed32.reg", view32, EDITOR_32)):
        path = os.path.join(work, name)
        write_reg(path, keys)
        wine.regedit_import(path, editor)


def views(wine, tag):
    """{editor: {key: values}} of our keys, each view exported by its own editor."""
    out = {}
    for editor in (NATIVE_EDITOR, EDITOR_32):
        merged = {}
        for i, key in enumerate(KEYS):
            try:
                merged.update(wine.export(key, f"{tag}-{'64' if editor == NATIVE_EDITOR else '32'}-{i}", editor))
            except AssertionError:
                pass  # the key is not there in this view
        out[editor] = merged
    return out


def class_count(wine, tag, editor):
    return len(wine.export("HKEY_CLASSES_ROOT\\CLSID", tag, editor))


# Shortcuts made on 64-bit Windows name either face of System32 and the
# Program Files folder of whoever expands "%ProgramFiles%": each target below
# is there in one face only, and neither program may take it for gone.
LINKS = "C:\\QrvLinks"
SHORTCUTS = {
    "only64.lnk": "C:\\windows\\system32\\qrvonly64.exe",
    "only32.lnk": "C:\\windows\\system32\\qrvonly32.exe",
    "native-pf.lnk": "%ProgramFiles%\\QrvNativeOnly\\app.exe",
    "x86-pf.lnk": "%ProgramFiles%\\QrvX86Only\\app.exe",
    "gone.lnk": "C:\\QrvGone\\gone.exe",
}


def seed_shortcuts(wine, make_shortcut):
    for path in ("C:\\Program Files\\QrvNativeOnly\\app.exe", "C:\\Program Files (x86)\\QrvX86Only\\app.exe"):
        os.makedirs(os.path.dirname(unix_path(path)), exist_ok=True)
        with open(unix_path(path), "wb") as f:
            f.write(b"MZ")
    os.makedirs(unix_path(LINKS), exist_ok=True)
    args = [a for name, target in SHORTCUTS.items() for a in (f"{LINKS}\\{name}", target)]
    return wine.run(make_shortcut, *args)


def listed_shortcuts(wine):
    report, _ = wine.cli_json_args("shortcuts", "scan", "--root", LINKS)
    return sorted(s["link"].rsplit("\\", 1)[-1].lower() for s in report.get("shortcuts", []))


def findings(report):
    return [line for c in report["categories"] for line in c["findings"]]


def main():
    bin32, bin64, work = sys.argv[1:4]
    c = Checker("views64")
    w32, w64 = Wine(bin32, work), Wine(bin64, work)
    seed(w32, work)
    before = views(w32, "before")
    c.check(all(k.lower() in before[e] for e in before for k in (KEYS[0] + "\\InprocServer32", KEYS[1] + "\\InprocServer32")),
            "both classes are registered in both views")
    classes32 = class_count(w32, "classes32-before", EDITOR_32)
    classes64 = class_count(w32, "classes64-before", NATIVE_EDITOR)

    scan32, _ = w32.cli_json("scan")
    scan64, _ = w64.cli_json("scan")
    f32, f64 = findings(scan32), findings(scan64)
    c.check("File not found: QRVGONE32.DLL" in f32 and "File not found: QRVGONE64.DLL" not in f32,
            "the 32-bit program finds the dead 32-bit class only", "\n".join(f32))
    c.check("File not found: QRVGONE64.DLL" in f64 and "File not found: QRVGONE32.DLL (32-bit view)" in f64,
            "the 64-bit program finds the dead class of each view", "\n".join(f64))
    c.check(not any("qrvonly" in l.lower() for l in f32 + f64),
            "a program in either face of System32 is not gone", "\n".join(f32 + f64))
    c.check(not any("wow6432node" in l.lower() for l in f32), "no finding of the 32-bit program names Wow6432Node")

    fixed32, r = w32.cli_json("fix")
    c.check(r.code == 0 and fixed32.get("undo"), "the 32-bit repair ran and wrote an undo file", r.err.decode())
    after32 = views(w32, "after32")
    a_server = (KEYS[0] + "\\InprocServer32").lower()
    c.check(a_server not in after32[EDITOR_32], "the dead 32-bit registration is gone from the 32-bit view")
    c.check(after32[NATIVE_EDITOR] == before[NATIVE_EDITOR], "the native view is untouched by the 32-bit repair")
    c.check(class_count(w32, "classes32-after", EDITOR_32) == classes32 - 1,
            "the 32-bit repair removed one key of the 32-bit classes, no more")

    fixed64, r = w64.cli_json("fix")
    c.check(r.code == 0 and fixed64.get("undo"), "the 64-bit repair ran and wrote an undo file", r.err.decode())
    after64 = views(w32, "after64")
    c.check((KEYS[1] + "\\InprocServer32").lower() not in after64[NATIVE_EDITOR],
            "the dead native registration is gone from the native view")
    c.check(all(k.lower() in after64[e] for e in after64 for k in KEYS[2:]), "both App Paths entries stay")
    c.check(after64[EDITOR_32] == after32[EDITOR_32], "the 32-bit view is untouched by the 64-bit repair")
    c.check(class_count(w32, "classes64-after", NATIVE_EDITOR) >= classes64 - 2,
            "the 64-bit repair removed no native class wholesale")

    made = seed_shortcuts(w32, os.path.join(bin32, "make_shortcut.exe"))
    c.check(made.code == 0, "make_shortcut saved every shortcut", made.err.decode("utf-8", "replace"))
    for bits, wine in (("32", w32), ("64", w64)):
        listed = listed_shortcuts(wine)
        c.check(listed == ["gone.lnk"], f"the {bits}-bit shortcut search lists only the shortcut gone in every face",
                ", ".join(listed))

    # Each program's console undo imports its undo file into the view it came from.
    for report, wine in ((fixed32, w32), (fixed64, w64)):
        if report.get("undo"):
            r = wine.cli("undo", report["undo"])
            c.check(r.code == 0, f"QRVCli undo {report['undo']}", r.err.decode("utf-8", "replace"))
    restored = views(w32, "restored")
    c.check(restored == before, "the undo files restore both views exactly",
            json.dumps({e: sorted(set(before[e]) ^ set(restored[e])) for e in before}, indent=1))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
