"""The Windows Installer package, installed, upgraded and removed silently.

In a fresh prefix: `msiexec /i PACKAGE /qn` puts the programs into Program
Files (the native one for the 64-bit package), the Start menu shortcut into
the common Programs folder and the entry into the installed programs list;
the installed QRVCli scans, repairs (writing an undo file) and registers the
companion's Run value. A package of a newer version then replaces the first
in place (one entry, same folder, the Run value kept: an upgrade is not an
uninstall). `msiexec /x /qn` removes the program files, the shortcut, the
entry and the Run value, and keeps the user's undo and log folders, their
settings and everyone else's Run values.

    install_test.py PACKAGE NEWER_PACKAGE BIN WORK [x64|x86]
      (WINEPREFIX: a fresh prefix of the package's kind; BIN: the programs packaged)
"""
import os
import subprocess
import sys

from qrvwine import CV, HKCU, HKLM, Checker, Wine, unix_path, windows_path, write_reg

SHIPPED = ["Quorvane.exe", "QRVCli.exe", "QRVSchedule.exe", "Quorvane.chm", "ProgressBar.gif",
           "English.ini", "French.ini", "German.ini", "Spanish.ini", "Italian.ini"]
UNINSTALL = f"{HKLM}\\{CV}\\Uninstall"
RUN = f"{HKCU}\\{CV}\\Run"
# A per-machine package puts its shortcut into the common Programs folder;
# Wine's Windows Installer resolves ProgramMenuFolder to the user's Programs
# folder whatever ALLUSERS says, so either place counts, but only one of them.
SHORTCUTS = ["C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvane.lnk",
             "C:\\users\\{user}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Quorvane.lnk"]
PRODUCTS = f"{HKLM}\\Software\\Classes\\Installer\\Products"
SETTINGS = f"{HKCU}\\Software\\Quorvane"
DEAD_CLASS = "{51A7E0A1-0000-4000-8000-00000000D1ED}"
DEAD_SERVER = f"{HKLM}\\Software\\Classes\\CLSID\\{DEAD_CLASS}\\InprocServer32"
OTHER_RUN = ("Qrv Other Program", "C:\\QrvOther\\other.exe")  # not ours: stays


def package_property(package, name):
    """A row of the package's Property table (msitools' msiinfo)."""
    table = subprocess.run(["msiinfo", "export", package, "Property"], check=True, capture_output=True,
                           text=True).stdout
    for line in table.splitlines():
        key, _, value = line.partition("\t")
        if key == name:
            return value
    raise AssertionError(f"{package} has no property {name}")


def reg_text(data):
    """A REG_SZ as the editor exports it, unquoted."""
    return data[1:-1].replace('\\"', '"').replace("\\\\", "\\") if data.startswith('"') else data


class Prefix:
    def __init__(self, wine, work):
        self.wine, self.work, self.n = wine, work, 0

    def msiexec(self, *args):
        """msiexec with a verbose log; (exit code, log tail)."""
        self.n += 1
        log = os.path.join(self.work, f"msiexec-{self.n}.log")
        r = self.wine.run("msiexec", *args, "/qn", "/l*v", windows_path(log))
        tail = ""
        if os.path.exists(log):
            with open(log, "rb") as f:
                data = f.read()
            text = data.decode("utf-16-le", "replace") if data[:2] == b"\xff\xfe" or b"\0" in data[:200] \
                else data.decode("latin-1")
            tail = text[-3000:]
        return r.code, tail

    def key(self, path):
        """{value name (lower case): text} of a key, None when it is not there."""
        if self.wine.run("reg", "query", path).code != 0:
            return None
        self.n += 1
        keys = self.wine.export(path, f"key-{self.n}")
        return {name: reg_text(data) for name, (_, data) in keys.get(path.lower(), {}).items()}

    def entries(self):
        """The installed programs list: {subkey: {value: text}} of those named Quorvane."""
        self.n += 1
        keys = self.wine.export(UNINSTALL, f"uninstall-{self.n}")
        prefix = UNINSTALL.lower() + "\\"
        out = {}
        for key, values in keys.items():
            sub = key[len(prefix):] if key.startswith(prefix) else None
            if sub and "\\" not in sub and reg_text(values.get("displayname", ("", ""))[1]) == "Quorvane":
                out[sub] = {name: reg_text(data) for name, (_, data) in values.items()}
        return out


def packed_guid(guid):
    """A product code as Windows Installer names its keys: each field's hex
    digits reversed, the last two fields byte by byte."""
    h = guid.strip("{}").split("-")
    tail = "".join(h[3:])
    return (h[0][::-1] + h[1][::-1] + h[2][::-1] + "".join(tail[i + 1] + tail[i] for i in range(0, 16, 2))).upper()


def shortcuts():
    """The Quorvane shortcuts in the common Programs folder and in every user's."""
    users = unix_path("C:\\users")
    paths = [unix_path(SHORTCUTS[0])] + [unix_path(SHORTCUTS[1].format(user=u)) for u in os.listdir(users)]
    return sorted(p for p in paths if os.path.exists(p))


def program_folder(arch):
    """Where the package installs: Program Files of its own kind of program."""
    on_64bit = os.environ.get("WINEARCH") == "win64"
    return "C:\\Program Files (x86)\\Quorvane" if arch == "x86" and on_64bit else "C:\\Program Files\\Quorvane"


def check_installed(c, p, package, bin_dir, arch, version, stage):
    folder = unix_path(program_folder(arch))
    for name in SHIPPED:
        path = os.path.join(folder, name)
        with open(os.path.join(bin_dir, name), "rb") as f:
            want = f.read()
        have = None
        if os.path.exists(path):
            with open(path, "rb") as f:
                have = f.read()
        c.check(have == want, f"{stage}: {name} installed as built", path)
    if arch == "x64":
        c.check(not os.path.exists(unix_path("C:\\Program Files (x86)\\Quorvane")),
                f"{stage}: nothing in the 32-bit Program Files")

    links = shortcuts()
    c.check(len(links) == 1, f"{stage}: one Start menu shortcut", ", ".join(links))
    target = (program_folder(arch) + "\\Quorvane.exe").lower()
    for link in links:
        with open(link, "rb") as f:
            data = f.read().lower()
        c.check(target.encode("latin-1") in data or target.encode("utf-16-le") in data,
                f"{stage}: the Start menu shortcut starts the installed Quorvane.exe", link)

    code = package_property(package, "ProductCode")
    entries = p.entries()
    c.check(list(entries) == [code.lower()], f"{stage}: one installed-programs entry, the package's",
            f"{code} vs {sorted(entries)}")
    entry = entries.get(code.lower(), {})
    c.check(entry.get("displayversion") == version, f"{stage}: the entry's version", str(entry))
    c.check(entry.get("publisher") == "Quorvane", f"{stage}: the entry's publisher", str(entry))
    # The list takes a Windows Installer product's icon from its published
    # ProductIcon: the package's icon, kept in the Installer folder.
    icon = (p.key(f"{PRODUCTS}\\{packed_guid(code)}") or {}).get("producticon", "")
    c.check(icon.lower().endswith(".ico") and os.path.exists(unix_path(icon)), f"{stage}: the entry's icon", icon)
    if arch == "x64":
        wow = p.key(f"{HKLM}\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{code}")
        c.check(wow is None, f"{stage}: the 64-bit package's entry is not in the 32-bit view")


def main():
    package, newer, bin_dir, work = sys.argv[1:5]
    arch = sys.argv[5] if len(sys.argv) > 5 else "x64"
    os.makedirs(work, exist_ok=True)
    c = Checker(f"install {arch}")
    version = package_property(package, "ProductVersion")
    new_version = package_property(newer, "ProductVersion")
    wine = Wine(unix_path(program_folder(arch)), work)
    p = Prefix(wine, work)

    code, log = p.msiexec("/i", windows_path(package))
    c.check(code == 0, "msiexec /i /qn installs", log)
    check_installed(c, p, package, bin_dir, arch, version, "installed")

    scan = c.cli(wine, "scan")
    c.check("categories" in scan, "the installed QRVCli scans", str(scan)[:500])
    write_reg(os.path.join(work, "dead.reg"), [(DEAD_SERVER, [("", "sz", "C:\\QrvGone\\qrvgoneinstall.dll")])])
    wine.regedit_import(os.path.join(work, "dead.reg"))
    fixed = c.cli(wine, "fix")
    undo = fixed.get("undo") or ""
    c.check(undo and os.path.exists(unix_path(undo)), "the installed QRVCli repairs and writes an undo file", undo)
    c.check(p.key(DEAD_SERVER) is None, "the dead class is repaired")
    c.cli(wine, "schedule", "set", "--on")
    companion = f'"{program_folder(arch)}\\QRVSchedule.exe"'
    c.check((p.key(RUN) or {}).get("quorvane schedule") == companion, "the companion's Run value names the installed one",
            str(p.key(RUN)))
    write_reg(os.path.join(work, "other.reg"), [(RUN, [(OTHER_RUN[0], "sz", OTHER_RUN[1])])])
    wine.regedit_import(os.path.join(work, "other.reg"))

    # A newer package replaces this one in place.
    code, log = p.msiexec("/i", windows_path(newer))
    c.check(code == 0, "msiexec /i /qn of a newer version upgrades", log)
    check_installed(c, p, newer, bin_dir, arch, new_version, "upgraded")
    c.check((p.key(RUN) or {}).get("quorvane schedule") == companion, "the upgrade keeps the Run value",
            str(p.key(RUN)))

    # The older package does not go back over the newer one.
    code, _ = p.msiexec("/i", windows_path(package))
    c.check(code != 0, "the older package refuses to replace the newer one")
    c.check(list(p.entries()) == [package_property(newer, "ProductCode").lower()],
            "after the refused downgrade, the newer version is still the one entry", str(p.entries()))

    code, log = p.msiexec("/x", windows_path(newer))
    c.check(code == 0, "msiexec /x /qn uninstalls", log)
    folder = unix_path(program_folder(arch))
    left = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    c.check(left == [], "the program files are gone", ", ".join(left))
    c.check(shortcuts() == [], "the Start menu shortcut is gone", ", ".join(shortcuts()))
    c.check(p.entries() == {}, "the installed-programs entry is gone")
    run = p.key(RUN) or {}
    c.check("quorvane schedule" not in run, "the companion's Run value is gone", str(run))
    c.check(run.get(OTHER_RUN[0].lower()) == OTHER_RUN[1], "another program's Run value stays", str(run))
    c.check(undo and os.path.exists(unix_path(undo)), "the undo file stays", undo)
    c.check(os.path.isdir(os.path.dirname(unix_path(undo))) if undo else False, "the undo folder stays")
    if undo:
        logs = os.path.join(os.path.dirname(os.path.dirname(unix_path(undo))), "Log")
        c.check(os.path.isdir(logs), "the log folder stays", logs)
    settings = p.key(SETTINGS)
    c.check(bool(settings), "the settings stay", str(settings))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
