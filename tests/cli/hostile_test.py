"""Hostile names under Wine: Run values, SharedDLLs names and history values
whose names hold quotes, backslashes, brackets, "=" and non-Latin letters,
beside healthy entries that must survive. The first round stays within the
system code page (the fix script goes out as REGEDIT4 text), the second has
Cyrillic, Greek and CJK letters (the fix script goes out as UTF-16).
"""
import collections
import os
import re
import sys

from qrvwine import (Checker, Wine, apply_effects, describe_difference, entries, findings, unix_path, write_reg)

HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"
CV = "Software\\Microsoft\\Windows\\CurrentVersion"
RUN_LM, RUN_CU = f"{HKLM}\\{CV}\\Run", f"{HKCU}\\{CV}\\Run"
SHARED = f"{HKLM}\\{CV}\\SharedDLLs"
HISTORY = f"{HKCU}\\Software\\Far\\SavedDialogHistory\\Copy"
KEEP = f"{HKCU}\\Software\\Far\\SavedDialogHistory\\QrvhKeep"


def upper_ascii(text):
    return "".join(c.upper() if "a" <= c <= "z" else c for c in text)


def sz(name, text):
    return (name, "sz", text)


def dword(name, value):
    return (name, "dword", value)


def round_data(tag, letters):
    """Seed, expected findings and repair effects of one round.
    `letters` are the round's non-ASCII letters (of the code page, or not)."""
    L = letters
    keys = collections.OrderedDict()
    expected = collections.defaultdict(collections.Counter)
    effects = []
    ok_file = f"C:\\Qrvh{tag}Ok\\{L[0]}fichier.exe"
    files = [ok_file]
    fnf = "File not found: "

    run_values = [
        (f'Qrvh{tag} "quoted" name', f"C:\\Qrvh{tag}Gone\\run1.exe /x"),
        (f"Qrvh{tag}\\back\\slash\\", f"C:\\Qrvh{tag}Gone\\{L[1]}\\{L[2]}.exe"),
        (f"Qrvh{tag} [bracket]=eq {L[3]}", f'"C:\\Qrvh{tag}Gone\\{L[4]} {L[5]}.exe" -x'),
    ]
    keys[RUN_LM] = [sz(n, d) for n, d in run_values]
    for n, d in run_values:
        program = d.replace('"', "").split(".exe")[0].upper() + ".EXE"
        expected[6][fnf + program] += 1
        effects.append(("value", RUN_LM, n))
    empty_name = f'Qrvh{tag} {L[6]} "{L[7]}" \\ [x]='
    keys[RUN_CU] = [sz(empty_name, ""), sz(f'Qrvh{tag}Ok "{L[0]}" [ok]=\\', ok_file)]
    expected[6]["[HKCU]\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\" + empty_name] += 1
    effects.append(("value", RUN_CU, empty_name))

    shared = [f"C:\\Qrvh{tag}Gone\\[brackets]=eq\\{L[8]}.dll", f"C:\\Qrvh{tag}Gone\\{L[9]}\\{L[10]}.dll"]
    # A quote cannot be part of a file name: such a name is no path, so it is
    # never judged and stays.
    unjudged = f'C:\\Qrvh{tag}Gone\\"quoted"\\lib.dll'
    keys[SHARED] = [dword(n, 1) for n in shared] + [dword(unjudged, 3), dword(ok_file, 2)]
    for n in shared:
        expected[2][fnf + n.upper()] += 1
        effects.append(("value", SHARED, n))

    history = [(f'Qrvh{tag}"1"', f"C:\\{L[1]}\\{L[2]}.txt"), (f"Qrvh{tag}\\2\\", 'say "hi" \\ there'),
               (f"Qrvh{tag}[3]=x", f"{L[11]} [x]=y"), (f"Qrvh{tag} {L[3]} {L[6]}", "plain"),
               ("", f"Qrvh{tag} unnamed {L[4]}")]
    keys[HISTORY] = [sz(n, d) for n, d in history]
    for n, d in history:
        expected[10][f"{HISTORY}\\{n}={upper_ascii(d)}".replace(f"{HKCU}\\Software", "HKEY_CURRENT_USER\\SOFTWARE")] += 1
        effects.append(("value", HISTORY, n))
    # Beside it, a key that is no history key, with the same names: kept
    # (its texts name no file, but one that is there).
    keys[f"{KEEP}\\{tag} [{L[0]}]"] = [sz(n, d.replace(":", "")) for n, d in history] + [sz(f"Qrvh{tag}Path", ok_file)]
    return keys, expected, effects, files


ROUNDS = [
    ("A", ["é", "Dossier à", "ü", "ß", "Programme ô", "ñ", "Ærø", "€", "Bibliothèque", "Ça", "Œuvre", "«q»"]),
    ("B", ["файл", "Каталог", "запуск", "λ", "Ελληνικα", "προγραμμα", "文件", "启动", "Библиотека", "文件夹", "库",
           "Ψ Ж 文"]),
]


def picker(tag):
    """The entries of one round: its marker in the key, the name or the data."""
    marker = re.compile(f"QRVH{tag}", re.I)

    def picked(key, name, data):
        return bool(marker.search(key) or (name is not None and marker.search(name)) or
                    (data is not None and marker.search(data)))
    return picked


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    wine = Wine(bin_dir, work)
    c = Checker("cli_hostile")
    for tag, letters in ROUNDS:
        keys, expected, effects, files = round_data(tag, letters)
        picked = picker(tag)
        for f in files:
            os.makedirs(os.path.dirname(unix_path(f)), exist_ok=True)
            open(unix_path(f), "wb").close()
        baseline = findings(wine.scan())
        seed = os.path.join(work, f"hostile-{tag}.reg")
        write_reg(seed, list(keys.items()))
        wine.regedit_import(seed)
        before = wine.snapshot(f"hostile-{tag}-before")
        seeded = entries(before, picked)
        c.check(len([k for k in seeded if k[1] is not None]) >= 20, f"round {tag}: the names were imported",
                str(len(seeded)))

        report = wine.scan()
        found = findings(report)
        new = {n: found.get(n, collections.Counter()) - baseline.get(n, collections.Counter()) for n in range(1, 11)}
        c.counters(expected, new, f"round {tag}: findings of the hostile names")

        fixed, run = wine.cli_json("fix")
        c.check(fixed.get("undo") is not None, f"round {tag}: an undo file was written")
        after_fix = wine.snapshot(f"hostile-{tag}-after-fix")
        want = apply_effects(seeded, effects)
        got = entries(after_fix, picked)
        c.check(want == got, f"round {tag}: only the intended values are gone", describe_difference(want, got))
        c.check(os.path.exists(unix_path(files[0])), f"round {tag}: no file was touched")

        if fixed.get("undo"):
            wine.regedit_import(unix_path(fixed["undo"]))
        after_undo = wine.snapshot(f"hostile-{tag}-after-undo")
        got = entries(after_undo, picked)
        c.check(seeded == got, f"round {tag}: the undo file restores every name and value exactly",
                describe_difference(seeded, got))
        print(f"round {tag}: {sum(sum(v.values()) for v in expected.values())} hostile findings, "
              f"fix {run.seconds:.1f} s", flush=True)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main())
