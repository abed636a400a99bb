"""QRVCli's startup manager and schedule under Wine: Run values (one with a
hostile name beside its prefix) and a switched-off entry are listed, one of
each is removed, the whole registry then differs by exactly that entry, and
importing each undo file gives the registry back; the first start has
registered the companion of the schedule it seeds on; the schedule's Run
value is written quoted and removed again.
"""
import json
import os
import sys

from qrvwine import Checker, Wine, unix_path, write_reg

HKLM, HKCU = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"
RUN = "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
OFF = f"{HKLM}\\Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\QrvsOff"
HOSTILE = 'Qrvs "quoted" \\ [x]=y'


def without(snapshot, key, name=None):
    """The snapshot less one value, or less a key and its subkeys."""
    key = key.lower()
    out = {}
    for k, values in snapshot.items():
        if name is None and (k == key or k.startswith(key + "\\")):
            continue
        out[k] = dict(values)
        if name is not None and k == key:
            out[k].pop(name.lower(), None)
    return out


def software(snapshot):
    """The Software branches only: the system branch holds counters that Wine's services move,
    and Wine adds the host's network cards under Software as it finds them."""
    return {k: v for k, v in snapshot.items()
            if k.startswith(("hkey_local_machine\\software", "hkey_current_user\\software"))
            and "\\currentversion\\networkcards\\" not in k}


def main():
    bin_dir, work = sys.argv[1], sys.argv[2]
    wine = Wine(bin_dir, work)
    check = Checker("startup")
    seed = os.path.join(work, "startup-seed.reg")
    write_reg(seed, [(f"{HKCU}\\{RUN}", [(HOSTILE, "sz", "C:\\windows\\notepad.exe /q"),
                                         ("Qrvs", "sz", "C:\\windows\\neighbour.exe")]),
                     (f"{HKLM}\\{RUN}", [("QrvsBeta", "sz", "C:\\windows\\system32\\winver.exe")]),
                     (OFF, [("item", "sz", "Qrvs Off"), ("command", "sz", "C:\\windows\\off.exe"),
                            ("hkey", "sz", "HKCU")])])
    wine.regedit_import(seed)

    def listing():
        report, _ = wine.cli_json("startup")
        return report

    def index_of(report, program):
        return next((e["index"] for e in report["entries"] if e["program"] == program), None)

    # The schedule that the first start seeds on has its companion registered,
    # quoted as the dialog writes it, and the startup list shows it.
    shown, _ = wine.cli_json("schedule")
    check.check(shown.get("enabled") is True and (shown.get("runValue") or "").endswith('\\QRVSchedule.exe"')
                and shown["runValue"].startswith('"'), "seeded on, the companion is registered", str(shown))

    report = listing()
    check.check(report["count"] >= len(report["entries"]), "the count covers every listed entry", str(report))
    companion = next((e for e in report["entries"] if e["program"] == "Quorvane Schedule"), None)
    check.check(companion is not None and companion["source"] == 1, "the companion is listed", json.dumps(report))
    for program, source in ((HOSTILE, 1), ("Qrvs", 1), ("QrvsBeta", 2), ("QRVS OFF", 3)):
        entry = next((e for e in report["entries"] if e["program"] == program), None)
        check.check(entry is not None and entry["source"] == source, f"{program!r} listed from source {source}",
                    json.dumps(report))

    for program, key, name in ((HOSTILE, f"{HKCU}\\{RUN}", HOSTILE), ("QRVS OFF", OFF, None)):
        before = software(wine.snapshot("startup-before"))
        r = wine.cli("startup", "remove", str(index_of(listing(), program)), "--json")
        out = json.loads(r.out.decode("utf-8")) if r.code == 0 else {}
        check.check(r.code == 0 and out.get("undo"), f"remove {program!r}", r.err.decode("utf-8", "replace"))
        after = software(wine.snapshot("startup-after"))
        expected = without(before, key, name)
        changed = sorted(k for k in set(expected) | set(after) if expected.get(k) != after.get(k))
        check.check(not changed, f"removing {program!r} changes exactly that entry", "\n".join(changed[:20]))
        if out.get("undo"):
            wine.regedit_import(unix_path(out["undo"]))
            restored = software(wine.snapshot("startup-restored"))
            changed = sorted(k for k in set(before) | set(restored) if before.get(k) != restored.get(k))
            check.check(not changed, f"the undo file of {program!r} restores the registry", "\n".join(changed[:20]))

    r = wine.cli("schedule", "set", "--on", "--day", "3", "--time", "08:15", "--json")
    shown = json.loads(r.out.decode("utf-8")) if r.code == 0 else {}
    run_value = shown.get("runValue") or ""
    check.check(shown.get("enabled") is True and shown.get("day") == 3 and shown.get("time") == "08:15",
                "schedule set --on", r.out.decode("utf-8", "replace") + r.err.decode("utf-8", "replace"))
    check.check(run_value.startswith('"') and run_value.endswith('\\QRVSchedule.exe"'),
                "the companion's Run value is quoted", run_value)
    stored = wine.snapshot("startup-schedule").get(f"{HKCU}\\{RUN}".lower(), {}).get("quorvane schedule")
    check.check(stored is not None and stored[1] == '"' + run_value.replace("\\", "\\\\").replace('"', '\\"') + '"',
                "the registry holds that Run value", str(stored))
    r = wine.cli("schedule", "set", "--off", "--json")
    shown = json.loads(r.out.decode("utf-8")) if r.code == 0 else {}
    check.check(shown.get("runValue", "x") is None and shown.get("day") == 3, "schedule set --off", str(shown))
    return check.finish()


if __name__ == "__main__":
    sys.exit(main())
