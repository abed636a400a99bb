"""The ignore list under Wine: `QRVCli ignore add` of a seeded dead key, one
value of another and a seeded .bak file makes the next scans skip exactly
those, while their near misses (a longer key name, another value, a folder
whose name only begins like the ignored one) are still reported; a fix then
leaves the ignored entries in the registry; `ignore remove` brings them back.
"""
import os
import sys

from qrvwine import Checker, Wine, unix_path, write_reg

HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"
APP_PATHS = f"{HKLM}\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths"
RUN = f"{HKCU}\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
ROOT = "C:\\QrvIgnore"


def write(path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"x")


def registry_lines(report):
    return [line for category in report["categories"] for line in category["findings"]]


def mentions(lines, text):
    return any(text.upper() in line.upper() for line in lines)


def main(bin_dir, work):
    wine = Wine(bin_dir, work)
    c = Checker("QRVCli ignore list")
    seed = os.path.join(work, "ignore-seed.reg")
    write_reg(seed, [
        (f"{APP_PATHS}\\qrvign.exe", [("", "sz", "C:\\QrvIgnGone\\qrvign.exe")]),
        (f"{APP_PATHS}\\qrvign.exe2", [("", "sz", "C:\\QrvIgnGone\\qrvign2.exe")]),
        (RUN, [("QrvIgnKept", "sz", "C:\\QrvIgnGone\\kept.exe"), ("QrvIgnNear", "sz", "C:\\QrvIgnGone\\near.exe")]),
    ])
    wine.regedit_import(seed)
    for name in ("Data\\keep.bak", "Data\\drop.bak", "Database\\near.bak"):
        write(unix_path(f"{ROOT}\\{name}"))

    for args in ([f"{APP_PATHS}\\qrvign.exe"], [RUN, "--value", "QrvIgnKept"], [f"{ROOT}\\Data\\keep.bak"]):
        added = c.cli(wine, "ignore", "add", *args)
        c.check(added.get("added") is True, f"ignore add {args} is stored", str(added))
    bad = wine.cli("ignore", "add", "QrvIgnore\\Data", "--json")
    c.check(bad.code == 2, "an entry that is no key and no full path is refused", str(bad.code))
    listed = c.cli(wine, "ignore", "list")
    c.check(listed.get("ignored") == [
        {"entry": f"{APP_PATHS}\\qrvign.exe", "value": None},
        {"entry": RUN, "value": "QrvIgnKept"},
        {"entry": f"{ROOT}\\Data\\keep.bak", "value": None},
    ], "ignore list --json gives the entries in order", str(listed))

    found = registry_lines(wine.scan())
    c.check(not mentions(found, "QRVIGN.EXE\\") and not mentions(found, "QRVIGNGONE\\QRVIGN.EXE"),
            "the ignored key is not reported", "\n".join(found))
    c.check(mentions(found, "QRVIGN2.EXE"), "the key whose name only begins like it is", "\n".join(found))
    c.check(not mentions(found, "KEPT.EXE"), "the ignored value is not reported", "\n".join(found))
    c.check(mentions(found, "NEAR.EXE"), "the value beside it is", "\n".join(found))

    junk = c.cli(wine, "junk", "find", "--root", ROOT)
    paths = sorted(f["path"] for f in junk.get("files", []))
    c.check(paths == [f"{ROOT}\\Data\\drop.bak", f"{ROOT}\\Database\\near.bak"],
            "junk find skips the ignored file only", str(paths))

    c.cli(wine, "fix")
    after = registry_lines(wine.scan())
    c.check(not mentions(after, "QRVIGN2.EXE") and not mentions(after, "NEAR.EXE"), "the fix removed the near misses",
            "\n".join(after))
    c.check(wine.run("reg", "query", f"{APP_PATHS}\\qrvign.exe").code == 0, "the ignored key is still there")
    c.check(wine.run("reg", "query", RUN, "/v", "QrvIgnKept").code == 0, "the ignored value is still there")

    removed = c.cli(wine, "ignore", "remove", f"{APP_PATHS}\\qrvign.exe")
    c.check(removed.get("removed") is True, "ignore remove takes the key off the list", str(removed))
    again = registry_lines(wine.scan())
    c.check(mentions(again, "QRVIGNGONE\\QRVIGN.EXE") and not mentions(again, "KEPT.EXE"),
            "after the removal the key is reported again, the value still not", "\n".join(again))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
