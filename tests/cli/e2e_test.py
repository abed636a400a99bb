"""End to end under Wine: QRVCli.exe scans a prefix seeded with broken
entries of every kind the checks look for and with healthy look-alikes,
repairs them, and the undo file brings everything back.

Every seeded name carries a marker (QRVT, or a class identifier starting
with BAD51A7E for broken and 00051A7E for healthy entries), so that the
prefix's own entries can be told apart from ours.
"""
import collections
import os
import re
import sys

from qrvwine import (APP_PATHS, CV, DRIVE_C, HKCR, HKCU, HKLM, Checker, Wine, apply_effects, describe_difference,
                     with_shared_views,
                     entries, findings, settled_registry, unix_path, without_file_capabilities, write_reg)

SHARED = f"{HKLM}\\{CV}\\SharedDLLs"
UNINSTALL = f"{HKLM}\\{CV}\\Uninstall"
HELP = f"{HKLM}\\Software\\Microsoft\\Windows\\Help"
FONTS = f"{HKLM}\\{CV}\\Fonts"
EVENTS = f"{HKCU}\\AppEvents\\Schemes\\Apps\\.Default"
RUN_MRU = f"{HKCU}\\{CV}\\Explorer\\RunMRU"
TYPED_URLS = f"{HKCU}\\Software\\Microsoft\\Internet Explorer\\TypedURLs"
HISTORY_KEYS = [RUN_MRU, TYPED_URLS]

MARKER = re.compile(r"QRVT|BAD51A7E|00051A7E", re.I)
HEALTHY = re.compile(r"QRVTOK|00051A7E", re.I)


def bad(n):
    return "{BAD51A7E-0000-4000-8000-%012d}" % n


def ok(n):
    return "{00051A7E-0000-4000-8000-%012d}" % n


def exported(key):
    """A key path as the export names it: HKEY_CLASSES_ROOT lives under HKLM\\Software\\Classes."""
    if key.startswith(HKCR + "\\"):
        return f"{HKLM}\\Software\\Classes" + key[len(HKCR):]
    return key


class Seed:
    def __init__(self):
        self.keys = collections.OrderedDict()
        self.expected = collections.defaultdict(collections.Counter)  # after seeding
        self.remain = collections.defaultdict(collections.Counter)    # after the repair
        self.effects = []
        self.files = []

    def put(self, key, *values):
        self.keys.setdefault(key, []).extend(values)

    def finding(self, category, line, *effects, times=1):
        self.expected[category][line] += times
        for e in effects:
            self.effects.append((e[0], exported(e[1])) + tuple(e[2:]))

    def file(self, windows_path, data=b"MZ"):
        self.files.append((windows_path, data))


def sz(name, text):
    return (name, "sz", text)


def dword(name, value):
    return (name, "dword", value)


def seed_everything(s):
    fnf, rnf = "File not found: ", "Relation not found: "
    for f in ["C:\\QrvtOk\\ok1.exe", "C:\\QrvtOk\\ok1.dll", "C:\\QrvtOk\\ding.wav", "C:\\QrvtOk\\qrvtok1.hlp",
              "C:\\QrvtOk\\qrvtok2.ttf", "C:\\windows\\Fonts\\qrvtok1.ttf", "C:\\QrvtOk\\Folder\\keep.txt"]:
        s.file(f)

    # 1. Software locations.
    s.put(f"{APP_PATHS}\\QrvtBad1.exe", sz("", "C:\\QrvtGone\\QrvtBad1.exe"), sz("Path", "C:\\QrvtGone"))
    s.finding(1, fnf + "C:\\QRVTGONE\\QRVTBAD1.EXE", ("key", f"{APP_PATHS}\\QrvtBad1.exe"))
    s.put(f"{APP_PATHS}\\QrvtBad2.exe", sz("", '"C:\\QrvtGone\\Sub Dir\\QrvtBad2.exe" /min'))
    s.finding(1, fnf + "C:\\QRVTGONE\\SUB DIR\\QRVTBAD2.EXE", ("key", f"{APP_PATHS}\\QrvtBad2.exe"))
    s.put(f"{APP_PATHS}\\QrvtOk1.exe", sz("", "C:\\QrvtOk\\ok1.exe"))
    s.put(f"{APP_PATHS}\\QrvtOk2.exe", sz("", '"C:\\QrvtOk\\ok1.exe" -x'))
    s.put(f"{APP_PATHS}\\QrvtOk3.exe", sz("", "Q:\\QrvtGone\\absent-drive.exe"))
    s.put(f"{APP_PATHS}\\QrvtOk4.exe", sz("", "notepad.exe"))

    # 2. Shared and known programs.
    s.put(SHARED, dword("C:\\QrvtGone\\qrvtbad1.dll", 1), dword("C:\\QrvtGone\\Sub\\qrvtbad2.ocx", 2),
          dword("C:\\QrvtOk\\ok1.dll", 1), dword("C:\\QrvtOk\\Folder", 1), dword("Q:\\QrvtOk\\absent.dll", 1))
    s.finding(2, fnf + "C:\\QRVTGONE\\QRVTBAD1.DLL", ("value", SHARED, "C:\\QrvtGone\\qrvtbad1.dll"))
    s.finding(2, fnf + "C:\\QRVTGONE\\SUB\\QRVTBAD2.OCX", ("value", SHARED, "C:\\QrvtGone\\Sub\\qrvtbad2.ocx"))
    apps = f"{HKCR}\\Applications"
    s.put(f"{apps}\\QrvtBadApp1.exe\\shell\\open\\command", sz("", '"C:\\QrvtGone\\QrvtBadApp1.exe" "%1"'))
    s.finding(2, fnf + "C:\\QRVTGONE\\QRVTBADAPP1.EXE", ("key", f"{apps}\\QrvtBadApp1.exe"))
    s.put(f"{apps}\\QrvtBadApp2.exe", sz("FriendlyAppName", "Qrvt bad 2"))
    s.put(f"{apps}\\QrvtBadApp2.exe\\shell\\edit\\command", sz("", "C:\\QrvtGone\\QrvtBadApp2.exe %1"))
    s.finding(2, fnf + "C:\\QRVTGONE\\QRVTBADAPP2.EXE", ("key", f"{apps}\\QrvtBadApp2.exe"))
    s.put(f"{apps}\\QrvtOkApp1.exe\\shell\\open\\command", sz("", "rundll32.exe C:\\QrvtGone\\qrvtx.dll,Run %1"))
    s.put(f"{apps}\\QrvtOkApp2.exe", sz("NoOpenWith", ""))
    s.put(f"{apps}\\QrvtOkApp2.exe\\shell\\open\\command", sz("", "C:\\QrvtGone\\QrvtOkApp2.exe %1"))
    s.put(f"{apps}\\QrvtOkApp3.exe\\shell\\open\\command", sz("", '"C:\\QrvtOk\\ok1.exe" "%1"'))
    s.put(f"{apps}\\QrvtOkApp4.exe\\shell\\open\\command", sz("", "notepad.exe %1"))
    s.put(f"{apps}\\QrvtOkApp5.exe\\shell\\open\\command", sz("", "C:\\QrvtGone\\QrvtOkApp5.exe %1"))
    s.put(f"{apps}\\QrvtOkApp5.exe\\shell\\edit\\command", sz("", "C:\\QrvtOk\\ok1.exe %1"))

    # 3. File associations: a dangling extension alone goes whole; one that
    # holds more loses only its dangling default value.
    s.put(f"{HKCR}\\.qrvtbad1", sz("", "QrvtGoneClass1"))
    s.finding(3, rnf + ".qrvtbad1", ("key", f"{HKCR}\\.qrvtbad1"))
    s.put(f"{HKCR}\\.qrvtbad2", sz("", "QrvtGoneClass2"), sz("Content Type", "text/x-qrvt"))
    s.put(f"{HKCR}\\.qrvtbad2\\ShellNew", sz("NullFile", ""))
    s.finding(3, rnf + ".qrvtbad2", ("value", f"{HKCR}\\.qrvtbad2", ""))
    s.put(f"{HKCR}\\.qrvtok1", sz("", "QrvtOkClass"))
    s.put(f"{HKCR}\\QrvtOkClass", sz("", "Qrvt document"))
    s.put(f"{HKCR}\\.qrvtok2", sz("Content Type", "text/plain"))

    # 4. COM classes and ActiveX identifiers.
    clsid = f"{HKCR}\\CLSID"
    s.put(f"{clsid}\\{bad(1)}", sz("", "Qrvt bad class 1"))
    s.put(f"{clsid}\\{bad(1)}\\InprocServer32", sz("", "C:\\QrvtGone\\qrvtcom1.dll"), sz("ThreadingModel", "Both"))
    s.finding(4, fnf + "QRVTCOM1.DLL", ("key", f"{clsid}\\{bad(1)}\\InprocServer32"))
    s.put(f"{clsid}\\{bad(2)}\\LocalServer32", sz("", '"C:\\QrvtGone\\qrvtcom2.exe" /automation'))
    s.put(f"{clsid}\\{bad(2)}\\ProgID", sz("", "QrvtBad.Server2"))
    s.finding(4, fnf + "QRVTCOM2.EXE", ("key", f"{clsid}\\{bad(2)}\\LocalServer32"))
    s.put(f"{clsid}\\{ok(1)}\\InprocServer32", sz("", "C:\\QrvtOk\\ok1.dll"))
    s.put(f"{clsid}\\{ok(2)}\\InprocServer32", sz("", "ole32.dll"))
    s.put(f"{clsid}\\{ok(3)}\\InprocServer32", sz("", "C:\\QrvtGone\\excluded.dll"))
    s.put(f"{clsid}\\{ok(3)}\\TypeLib", sz("", "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}"))
    s.put(f"{clsid}\\{ok(4)}\\InprocServer32", sz("", "Q:\\QrvtGone\\absent.dll"))
    s.put(f"{HKCR}\\QrvtBad.Prog1", sz("", "Qrvt bad 1"))
    s.put(f"{HKCR}\\QrvtBad.Prog1\\CLSID", sz("", bad(11)))
    s.finding(4, rnf + bad(11), ("key", f"{HKCR}\\QrvtBad.Prog1\\CLSID"))
    s.put(f"{HKCR}\\QrvtBad.Prog2\\DefaultIcon", sz("", "C:\\QrvtGone\\qrvticon2.dll,3"))
    s.finding(4, rnf + "QRVTICON2.DLL", ("key", f"{HKCR}\\QrvtBad.Prog2\\DefaultIcon"))
    s.put(f"{HKCR}\\QrvtBad.Prog3\\shell\\open\\command", sz("", 'C:\\QrvtGone\\qrvtopen3.exe "%1"'))
    s.put(f"{HKCR}\\QrvtBad.Prog3\\shell\\print\\command", sz("", 'C:\\QrvtGone\\qrvtopen3.exe /p "%1"'))
    s.finding(4, fnf + "QRVTOPEN3.EXE", ("key", f"{HKCR}\\QrvtBad.Prog3\\shell\\open\\command"))
    # A dangling class is all one scan reports; its lost icon shows on the next.
    s.put(f"{HKCR}\\QrvtBad.Prog4\\CLSID", sz("", bad(14)))
    s.put(f"{HKCR}\\QrvtBad.Prog4\\DefaultIcon", sz("", "C:\\QrvtGone\\qrvticon4.exe,0"))
    s.finding(4, rnf + bad(14), ("key", f"{HKCR}\\QrvtBad.Prog4\\CLSID"))
    s.remain[4][rnf + "QRVTICON4.EXE"] += 1
    s.put(f"{HKCR}\\QrvtBad.Prog5\\DefaultIcon", sz("", '"C:\\QrvtGone\\qrvticon5.exe",1'))
    s.finding(4, rnf + "QRVTICON5.EXE", ("key", f"{HKCR}\\QrvtBad.Prog5\\DefaultIcon"))
    s.put(f"{HKCR}\\QrvtBad.Prog6\\shell\\open\\command", sz("", 'C:\\QrvtOk\\ok1.exe "%1"'))
    s.put(f"{HKCR}\\QrvtBad.Prog6\\shell\\edit\\command", sz("", 'C:\\QrvtGone\\qrvtedit6.exe /e "%1"'))
    s.finding(4, fnf + "QRVTEDIT6.EXE", ("key", f"{HKCR}\\QrvtBad.Prog6\\shell\\edit\\command"))
    s.put(f"{HKCR}\\QrvtOk.Prog1\\CLSID", sz("", ok(1)))
    s.put(f"{HKCR}\\QrvtOk.Prog2\\shell\\open\\command", sz("", "rundll32.exe C:\\QrvtGone\\qrvtx.dll,Run %1"))
    s.put(f"{HKCR}\\QrvtOk.Prog3\\shell\\open\\command", sz("", "explorer.exe /e,C:\\QrvtGone\\qrvtdir.exe"))
    s.put(f"{HKCR}\\QrvtOk.Prog4\\DefaultIcon", sz("", "C:\\QrvtOk\\ok1.dll,0"))
    s.put(f"{HKCR}\\QrvtOk.Prog5\\CLSID", sz("", "{C3F8B282-5B69-47F0-80C3-A22A97FF2EB5}"))
    s.put(f"{HKCR}\\QrvtOk.Prog6\\DefaultIcon", sz("", "%1"))

    # 5. Interfaces and type libraries.
    itf = f"{HKCR}\\Interface"
    s.put(f"{itf}\\{bad(21)}\\ProxyStubClsid32")
    s.finding(5, f"[HKCR]\\Interface\\{bad(21)}", ("key", f"{itf}\\{bad(21)}"))
    s.put(f"{itf}\\{bad(22)}", sz("", "IQrvtBad22"))
    s.put(f"{itf}\\{bad(22)}\\TypeLib", sz("", bad(29)), sz("Version", "1.0"))
    s.finding(5, rnf + bad(29), ("key", f"{itf}\\{bad(22)}"))
    s.put(f"{itf}\\{bad(23)}", sz("", "IQrvtBad23"))
    s.put(f"{itf}\\{bad(23)}\\ProxyStubClsid", sz("", bad(28)))
    s.put(f"{itf}\\{bad(23)}\\ProxyStubClsid32", sz("", bad(28)))
    s.finding(5, rnf + bad(28), ("key", f"{itf}\\{bad(23)}\\ProxyStubClsid"))
    s.finding(5, f"[HKCR]\\Interface\\{bad(23)}\\ProxyStubClsid32\\{bad(28)}",
              ("key", f"{itf}\\{bad(23)}\\ProxyStubClsid32"))
    s.put(f"{itf}\\{bad(24)}")
    s.finding(5, f"[HKCR]\\Interface\\{bad(24)}", ("key", f"{itf}\\{bad(24)}"))
    s.put(f"{itf}\\{bad(25)}", sz("", "IQrvtBad25"))
    s.put(f"{itf}\\{bad(25)}\\TypeLib", sz("", bad(27)))
    s.finding(5, rnf + bad(27), ("key", f"{itf}\\{bad(25)}"))
    s.put(f"{itf}\\{bad(26)}", sz("", "IQrvtBad26"))
    s.put(f"{itf}\\{bad(26)}\\ProxyStubClsid32", sz("", bad(38)))
    s.finding(5, f"[HKCR]\\Interface\\{bad(26)}\\ProxyStubClsid32\\{bad(38)}",
              ("key", f"{itf}\\{bad(26)}\\ProxyStubClsid32"))
    s.put(f"{itf}\\{ok(21)}", sz("", "IQrvtOk21"))
    s.put(f"{itf}\\{ok(21)}\\ProxyStubClsid32", sz("", ok(1)))
    s.put(f"{itf}\\{ok(21)}\\TypeLib", sz("", ok(31)))
    s.put(f"{itf}\\{ok(22)}\\Level1\\Level2", sz("Deep", "1"))
    tlb = f"{HKCR}\\TypeLib"
    s.put(f"{tlb}\\{bad(31)}\\1.0\\0\\win32")
    s.finding(5, rnf + bad(31), ("key", f"{tlb}\\{bad(31)}"))
    s.put(f"{tlb}\\{bad(32)}\\1.0", sz("", "Qrvt lib 32"))
    s.put(f"{tlb}\\{bad(32)}\\1.0\\0\\win32", sz("", "C:\\QrvtOk\\ok1.dll"))
    s.put(f"{tlb}\\{bad(32)}\\1.0\\HELPDIR")
    s.finding(5, rnf + f"\\Typelib\\{bad(32)}\\1.0\\HELPDIR", ("key", f"{tlb}\\{bad(32)}\\1.0\\HELPDIR"))
    s.put(f"{tlb}\\{bad(33)}")
    s.finding(5, rnf + bad(33), ("key", f"{tlb}\\{bad(33)}"))
    s.put(f"{tlb}\\{bad(34)}\\2.1", sz("", "Qrvt lib 34"))
    s.put(f"{tlb}\\{bad(34)}\\2.1\\HELPDIR", sz("", ""))
    s.finding(5, rnf + f"\\Typelib\\{bad(34)}\\2.1\\HELPDIR", ("key", f"{tlb}\\{bad(34)}\\2.1\\HELPDIR"))
    s.put(f"{tlb}\\{ok(31)}\\1.0", sz("", "Qrvt ok lib"))
    s.put(f"{tlb}\\{ok(31)}\\1.0\\0\\win32", sz("", "C:\\QrvtOk\\ok1.dll"))
    s.put(f"{tlb}\\{ok(31)}\\1.0\\HELPDIR", sz("", "C:\\QrvtOk"))

    # 6. Startup programs.
    run_lm, run_cu = f"{HKLM}\\{CV}\\Run", f"{HKCU}\\{CV}\\Run"
    s.put(run_lm, sz("QrvtBadRun1", "C:\\QrvtGone\\qrvtrun1.exe /background"),
          sz("QrvtBadRun4", '"C:\\QrvtGone\\Qrvt Run 4.exe"'),
          sz("QrvtOkRun6", "rundll32.exe C:\\QrvtGone\\qrvtx.dll,Start"),
          sz("QrvtOkRun1", "rundll32.exe qrvtshell.dll,Start"), sz("QrvtOkRun2", "C:\\QrvtOk\\ok1.exe -min"),
          sz("QrvtOkRun4", "\\SystemRoot\\System32\\qrvtgone.exe"), sz("QrvtOkRun5", "Q:\\QrvtGone\\absent.exe"))
    s.put(run_cu, sz("QrvtBadRun2", ""), dword("QrvtBadRun3", 1), sz("QrvtOkRun3", "notepad.exe"))
    s.finding(6, fnf + "C:\\QRVTGONE\\QRVTRUN1.EXE", ("value", run_lm, "QrvtBadRun1"))
    s.finding(6, fnf + "C:\\QRVTGONE\\QRVT RUN 4.EXE", ("value", run_lm, "QrvtBadRun4"))
    # Commands that rundll32 runs are never judged, with or without a path
    # to their library (QrvtOkRun1, QrvtOkRun6).
    s.finding(6, f"[HKCU]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\QrvtBadRun2",
              ("value", run_cu, "QrvtBadRun2"))
    s.finding(6, f"[HKCU]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\QrvtBadRun3",
              ("value", run_cu, "QrvtBadRun3"))

    # 7. Uninstall entries.
    line = fnf + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
    s.put(f"{UNINSTALL}\\QrvtBadUninst1", sz("DisplayName", "Qrvt Bad 1"))
    s.finding(7, line + "QrvtBadUninst1", ("key", f"{UNINSTALL}\\QrvtBadUninst1"))
    s.put(f"{UNINSTALL}\\QrvtBadUninst2", sz("DisplayName", "Qrvt Bad 2"), sz("DisplayVersion", "2.0"))
    s.put(f"{UNINSTALL}\\QrvtBadUninst2\\Extra", sz("Note", "x"))
    s.finding(7, line + "QrvtBadUninst2", ("key", f"{UNINSTALL}\\QrvtBadUninst2"))
    s.put(f"{UNINSTALL}\\QrvtOkUninst1", sz("DisplayName", "Qrvt Ok 1"),
          sz("UninstallString", "C:\\QrvtGone\\uninst.exe"))
    s.put(f"{UNINSTALL}\\{ok(41)}", sz("DisplayName", "Qrvt Ok product"))
    s.put(f"{UNINSTALL}\\QrvtOkUninst2", sz("DisplayName", "Qrvt Ok 2"), dword("SystemComponent", 1))
    s.put(f"{UNINSTALL}\\QrvtOkUninst3", sz("DisplayName", "Qrvt Ok 3"),
          sz("QuietUninstallString", "C:\\QrvtGone\\quiet.exe /q"))
    s.put(f"{UNINSTALL}\\QrvtOkUninst4", sz("Comments", "no name"))
    s.put(f"{UNINSTALL}\\QrvtOkUninst5", sz("DisplayName", "Qrvt Ok 5"), dword("NoRemove", 1))

    # 8. Help files.
    s.put(HELP, sz("qrvtbad1.hlp", "C:\\QrvtGone\\"), sz("qrvtbad2.chm", "C:\\QrvtOk"),
          sz("qrvtok1.hlp", "C:\\QrvtOk\\"), sz("qrvtok2.hlp", "Q:\\Help"), sz("qrvtok3.hlp", ""))
    s.finding(8, fnf + "\\SOFTWARE\\Microsoft\\Windows\\Help\\qrvtbad1.hlp", ("value", HELP, "qrvtbad1.hlp"))
    s.finding(8, fnf + "\\SOFTWARE\\Microsoft\\Windows\\Help\\qrvtbad2.chm", ("value", HELP, "qrvtbad2.chm"))

    # 9. Fonts and sounds.
    s.put(FONTS, sz("Qrvt Bad Font 1 (TrueType)", "qrvtbad1.ttf"),
          sz("Qrvt Bad Font 2 (TrueType)", "C:\\QrvtGone\\qrvtbad2.ttf"), sz("Qrvt Ok Font 1", "qrvtok1.ttf"),
          sz("Qrvt Ok Font 2", "C:\\QrvtOk\\qrvtok2.ttf"), sz("Qrvt Ok Font 3", "Q:\\Fonts\\qrvtok3.ttf"))
    fonts_line = fnf + "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\"
    s.finding(9, fonts_line + "Qrvt Bad Font 1 (TrueType)", ("value", FONTS, "Qrvt Bad Font 1 (TrueType)"))
    s.finding(9, fonts_line + "Qrvt Bad Font 2 (TrueType)", ("value", FONTS, "Qrvt Bad Font 2 (TrueType)"))
    ev_line = fnf + "\\AppEvents\\Schemes\\Apps\\.Default\\"
    s.put(f"{EVENTS}\\QrvtBadEvent1\\.Current", sz("", "C:\\QrvtGone\\qrvt1.wav"))
    s.put(f"{EVENTS}\\QrvtBadEvent1\\.Default", sz("", "C:\\QrvtOk\\ding.wav"))
    s.finding(9, ev_line + "QrvtBadEvent1",
              ("set", f"{EVENTS}\\QrvtBadEvent1\\.Current", "", '"C:\\\\QRVTOK\\\\DING.WAV"'))
    s.put(f"{EVENTS}\\QrvtBadEvent2\\.Current", sz("", "C:\\QrvtGone\\qrvt2a.wav"))
    s.put(f"{EVENTS}\\QrvtBadEvent2\\.Default", sz("", "C:\\QrvtGone\\qrvt2b.wav"))
    s.finding(9, ev_line + "QrvtBadEvent2", ("set", f"{EVENTS}\\QrvtBadEvent2\\.Current", "", '""'),
              ("set", f"{EVENTS}\\QrvtBadEvent2\\.Default", "", '""'), times=2)
    s.put(f"{EVENTS}\\QrvtBadEvent3\\.Current", sz("", ""))
    s.put(f"{EVENTS}\\QrvtBadEvent3\\.Default", sz("", "C:\\QrvtGone\\qrvt3.wav"))
    s.finding(9, ev_line + "QrvtBadEvent3", ("set", f"{EVENTS}\\QrvtBadEvent3\\.Default", "", '""'))
    s.put(f"{EVENTS}\\QrvtOkEvent1\\.Current", sz("", ""))
    s.put(f"{EVENTS}\\QrvtOkEvent1\\.Default", sz("", ""))
    s.put(f"{EVENTS}\\QrvtOkEvent2\\.Current", sz("", "C:\\QrvtOk\\ding.wav"))
    s.put(f"{EVENTS}\\QrvtOkEvent2\\.Default", sz("", "C:\\QrvtGone\\qrvtunused.wav"))
    s.put(f"{EVENTS}\\QrvtOkEvent3\\.Current", sz("", "Q:\\Sounds\\qrvt3.wav"))

    # 10. Temporary values: every string of a history key; stale paths in
    # software trees; vendor keys without any value.
    s.put(RUN_MRU, sz("a", "C:\\QrvtBad\\cmd1\\1"), sz("b", "qrvtbad cmd2\\1"), sz("MRUList", "ba"))
    mru_line = "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU\\"
    s.finding(10, mru_line + "a=C:\\QRVTBAD\\CMD1\\1", ("value", RUN_MRU, "a"))
    s.finding(10, mru_line + "b=QRVTBAD CMD2\\1", ("value", RUN_MRU, "b"))
    s.finding(10, mru_line + "MRUList=BA", ("value", RUN_MRU, "MRUList"))
    s.put(TYPED_URLS, sz("url1", "http://qrvt.example/one"), dword("QrvtOkDword", 5), sz("QrvtOkEmpty", ""))
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs\\url1=HTTP://QRVT.EXAMPLE/ONE",
              ("value", TYPED_URLS, "url1"))
    vendor_cu, vendor_lm = f"{HKCU}\\Software\\QrvtVendor", f"{HKLM}\\Software\\QrvtVendor"
    s.put(f"{vendor_cu}\\Editor\\Recent", sz("File1", "C:\\QrvtGone\\doc1.txt"),
          sz("QrvtOkPresent", "C:\\QrvtOk\\ok1.dll"), sz("QrvtOkTilde", "C:\\QRVTGO~1\\doc.txt"),
          sz("QrvtOkDollar", "C:\\QrvtGone\\$temp\\doc.txt"), sz("QrvtOkCommas", "C:\\QrvtGone\\a,b,c.txt"),
          sz("QrvtOkShort", "C:\\q"), sz("QrvtOkFolder", "C:\\QrvtOk\\Folder"),
          sz("QrvtOkAbsent", "Q:\\QrvtGone\\doc.txt"), ("QrvtOkBinary", "hex", b"C:\\QrvtGone\\bin.txt\0"),
          sz("QrvtOkUrl", "http://qrvt.example/x"))
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\QrvtVendor\\Editor\\Recent\\File1=C:\\QRVTGONE\\DOC1.TXT",
              ("value", f"{vendor_cu}\\Editor\\Recent", "File1"))
    s.put(f"{vendor_cu}\\Editor", ("Template", "expand", "C:\\QrvtGone\\normal.dot"))
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\QrvtVendor\\Editor\\Template=C:\\QRVTGONE\\NORMAL.DOT",
              ("value", f"{vendor_cu}\\Editor", "Template"))
    s.put(f"{vendor_cu}\\Microsoft Addin", sz("QrvtOkFile", "C:\\QrvtGone\\ms.txt"))
    s.put(f"{vendor_cu}\\Classes\\Thing", sz("QrvtOkFile", "C:\\QrvtGone\\cls.txt"))
    s.put(f"{vendor_lm}\\Tool", sz("LastDir", "C:\\QrvtGone\\Projects"), sz("QrvtOkDir", "C:\\QrvtOk"))
    s.finding(10, "HKEY_LOCAL_MACHINE\\SOFTWARE\\QrvtVendor\\Tool\\LastDir=C:\\QRVTGONE\\PROJECTS",
              ("value", f"{vendor_lm}\\Tool", "LastDir"))
    s.put(f"{HKCU}\\Software\\QrvtEmpty1\\A\\B")
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\QrvtEmpty1", ("key", f"{HKCU}\\Software\\QrvtEmpty1"))
    s.put(f"{HKCU}\\Software\\QrvtEmpty2")
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\QrvtEmpty2", ("key", f"{HKCU}\\Software\\QrvtEmpty2"))
    s.put(f"{HKCU}\\Software\\QrvtOkDeep\\L1\\L2\\L3\\L4\\L5", sz("Setting", "1"))
    s.put(f"{HKCU}\\Software\\QrvtOkDefaultOnly", sz("", "x"))
    # A vendor key whose only value is stale: empty once the value is gone.
    s.put(f"{HKCU}\\Software\\QrvtOnlyStale\\Sub", sz("Doc", "C:\\QrvtGone\\only.txt"))
    s.finding(10, "HKEY_CURRENT_USER\\SOFTWARE\\QrvtOnlyStale\\Sub\\Doc=C:\\QRVTGONE\\ONLY.TXT",
              ("value", f"{HKCU}\\Software\\QrvtOnlyStale\\Sub", "Doc"))
    s.remain[10]["HKEY_CURRENT_USER\\SOFTWARE\\QrvtOnlyStale"] += 1


# A folder the scan may not read (mode 000), holding the program of healthy
# entries: "access denied" is not "not found".
LOCKED = "C:\\QrvtOkLocked"
# A folder only the user's PATH names, holding programs named by their bare names.
PATH_DIR = "C:\\QrvtOkPath"


def seed_cannot_tell(s):
    run_lm, run_cu = f"{HKLM}\\{CV}\\Run", f"{HKCU}\\{CV}\\Run"
    s.file(LOCKED + "\\qrvtoklocked.exe")
    s.put(f"{APP_PATHS}\\QrvtOkLocked.exe", sz("", LOCKED + "\\qrvtoklocked.exe"))
    s.put(run_lm, sz("QrvtOkLockedRun", f'"{LOCKED}\\qrvtoklocked.exe" /background'))
    s.put(SHARED, dword(LOCKED + "\\qrvtoklocked.exe", 1))

    s.file(PATH_DIR + "\\qrvtokpath.exe")
    s.file(PATH_DIR + "\\qrvtokpathlib.dll")
    s.put(f"{HKCU}\\Environment", ("Path", "expand", "%SystemDrive%\\QrvtOkPath"))
    s.put(run_cu, sz("QrvtOkPathRun", "qrvtokpath.exe /background"), sz("QrvtBadBareRun", "qrvtbadbare.exe /background"))
    s.finding(6, "File not found: QRVTBADBARE.EXE", ("value", run_cu, "QrvtBadBareRun"))
    s.put(f"{HKCR}\\Applications\\QrvtOkPathApp.exe\\shell\\open\\command", sz("", 'qrvtokpath.exe "%1"'))
    s.put(f"{HKCR}\\CLSID\\{ok(5)}\\InprocServer32", sz("", "qrvtokpathlib.dll"))


def ours(line):
    return bool(MARKER.search(line)) or any(line.upper().startswith(k.upper() + "\\") for k in HISTORY_KEYS)


def split(found):
    """(ours, the prefix's own) per category."""
    mine, theirs = {}, {}
    for n, lines in found.items():
        mine[n] = collections.Counter({l: c for l, c in lines.items() if ours(l)})
        theirs[n] = collections.Counter({l: c for l, c in lines.items() if not ours(l)})
    return mine, theirs


def picked(key, name, data):
    return bool(MARKER.search(key) or (name is not None and MARKER.search(name)) or
                (data is not None and MARKER.search(data)) or any(key == k.lower() for k in HISTORY_KEYS))


BROKEN = re.compile(r"QRVTBAD|BAD51A7E", re.I)


def healthy(key, name, data):
    """A healthy look-alike's key or value: marked healthy, and not part of a broken entry."""
    if BROKEN.search(key) or (name is not None and BROKEN.search(name)):
        return False
    return bool(HEALTHY.search(key) or (name is not None and HEALTHY.search(name)) or
                (data is not None and HEALTHY.search(data)))


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    wine = Wine(bin_dir, work)
    c = Checker("cli_e2e")

    r = wine.cli("scan", "--bogus")
    c.check(r.code == 2 and b"unknown option" in r.err and not r.out, "a wrong option is a usage error (exit 2)")
    r = wine.cli("--help")
    c.check(r.code == 0 and b"Usage:" in r.out, "--help prints the usage and exits 0")

    baseline_report, r = wine.cli_json("scan")
    print(f"baseline scan of the fresh prefix: {baseline_report['total']} findings, {r.seconds:.1f} s", flush=True)
    mine, baseline = split(findings(baseline_report))
    c.check(not any(mine.values()), "the fresh prefix holds nothing of ours")
    c.check([x["number"] for x in baseline_report["categories"]] == list(range(1, 11)),
            "ten categories in order")
    c.check(baseline_report["categories"][0]["caption"] == "Software locations" and
            baseline_report["categories"][9]["caption"] == "Temporary registry values", "captions from English.ini")

    s = Seed()
    seed_everything(s)
    seed_cannot_tell(s)
    for path, data in s.files:
        os.makedirs(os.path.dirname(unix_path(path)), exist_ok=True)
        with open(unix_path(path), "wb") as f:
            f.write(data)
    os.chmod(unix_path(LOCKED), 0)
    try:
        wrapper = without_file_capabilities(unix_path(LOCKED))
        if wrapper is None:
            print("note: root's file capabilities cannot be dropped here; the folder that cannot be read is "
                  "readable, so that case proves nothing", flush=True)
        wine.wrapper = wrapper or []
        return seeded(wine, c, s, baseline)
    finally:
        os.chmod(unix_path(LOCKED), 0o755)


def seeded(wine, c, s, baseline):
    seed_file = os.path.join(wine.work, "seed.reg")
    write_reg(seed_file, list(s.keys.items()))
    wine.regedit_import(seed_file)
    before = wine.snapshot("before")
    missing_keys = [k for k in s.keys if exported(k).lower() not in before]
    c.check(not missing_keys, "every seeded key was imported", "\n".join(missing_keys))

    report, r = wine.cli_json("scan")
    print(f"scan after seeding: {report['total']} findings, {r.seconds:.1f} s", flush=True)
    mine, theirs = split(findings(report))
    c.counters(s.expected, mine, "scan after seeding: our findings")
    c.counters(baseline, theirs, "scan after seeding: the prefix's own findings are unchanged")
    total_expected = sum(sum(v.values()) for v in s.expected.values()) + sum(sum(v.values()) for v in baseline.values())
    c.check(report["total"] == total_expected, f"total {report['total']} == {total_expected}")
    flat = [l.upper() for lines in findings(report).values() for l in lines]
    c.check(not [l for l in flat if "QRVTOKLOCKED" in l], "no program in a folder that cannot be read is gone")
    c.check(not [l for l in flat if "QRVTOKPATH" in l], "no program found through the PATH is gone")

    fixed, r = wine.cli_json("fix")
    print(f"fix: {fixed['total']} findings repaired, {r.seconds:.1f} s", flush=True)
    c.check(findings(fixed) == findings(report), "fix repairs exactly what the scan found")
    c.check(fixed.get("fixed") == fixed["total"] and fixed.get("left") == [],
            "the registry read back after the import holds none of the findings",
            f"fixed {fixed.get('fixed')} of {fixed['total']}, left {fixed.get('left')}")
    c.check(fixed.get("log") and os.path.isfile(unix_path(fixed["log"])), "the log file exists", str(fixed.get("log")))
    c.check(fixed.get("undo") and os.path.isfile(unix_path(fixed["undo"])), "the undo file exists",
            str(fixed.get("undo")))
    if fixed.get("log") and os.path.isfile(unix_path(fixed["log"])):
        with open(unix_path(fixed["log"]), "rb") as f:
            log = f.read().decode("cp1252").splitlines()
        flat = [l for cat in fixed["categories"] for l in cat["findings"]]
        c.check(log == flat, "the log lists every finding in category order")

    after_fix = wine.snapshot("after-fix")
    expected_after = apply_effects(entries(before, picked), with_shared_views(before, s.effects))
    actual_after = entries(after_fix, picked)
    c.check(expected_after == actual_after, "the repair deleted exactly the broken entries",
            describe_difference(expected_after, actual_after))
    c.check(entries(before, healthy) == entries(after_fix, healthy), "no healthy look-alike was touched",
            describe_difference(entries(before, healthy), entries(after_fix, healthy)))
    c.check(len(entries(before, healthy)) > 100, f"healthy look-alikes seen: {len(entries(before, healthy))}")

    again, r = wine.cli_json("scan")
    mine, theirs = split(findings(again))
    c.counters(s.remain, mine, "scan after the repair: what must remain")
    print(f"scan after the repair: {again['total']} findings ({sum(sum(v.values()) for v in theirs.values())} "
          f"of the prefix's own), {r.seconds:.1f} s", flush=True)

    if fixed.get("undo"):
        wine.regedit_import(unix_path(fixed["undo"]))
    after_undo = wine.snapshot("after-undo")
    c.check(entries(before, picked) == entries(after_undo, picked), "the undo file restores every seeded entry",
            describe_difference(entries(before, picked), entries(after_undo, picked)))
    # Everything else too: the prefix's own repaired entries come back.
    c.check(entries(before, settled_registry) == entries(after_undo, settled_registry),
            "the whole registry is as before the repair",
            describe_difference(entries(before, settled_registry), entries(after_undo, settled_registry)))
    final, _ = wine.cli_json("scan")
    c.check(findings(final) == findings(report), "after the undo a scan finds what it found before the repair")

    # One instance: while another process holds the mutex, every command is
    # refused on standard error with exit 1; once it is released, they run.
    for args in (["scan", "--json"], ["fix", "--json"]):
        refused = wine.while_mutex_held(*args)
        c.check(refused.code == 1 and not refused.out and b"is running" in refused.err,
                f"QRVCli {args[0]} while the mutex is held exits 1 and says why on standard error only",
                f"{refused.code} {refused.out!r} {refused.err!r}")
    after = wine.cli("scan", "--json")
    c.check(after.code == 0, "once the mutex is released the command runs", after.err.decode("utf-8", "replace"))
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
