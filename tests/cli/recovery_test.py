"""Removed files kept for recovery, under Wine: junk remove and shortcuts
remove on a seeded tree move the files into the recovery folder; `removed`
lists them with their original paths; `restore` never puts one back over a
file that has appeared at its path since, and then gives back every file
byte for byte at its path.
"""
import json
import os
import shutil
import stat
import subprocess
import sys

from qrvwine import Checker, Wine, unix_path

SEED = "C:\\QrvKeep"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def snapshot(top):
    """Every file below top with its bytes, not following links."""
    files = {}
    for folder, _, names in os.walk(top, followlinks=False):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[path] = f.read()
    return files


def main(bin_dir, work):
    wine = Wine(bin_dir, work)
    c = Checker("QRVCli removed files kept for recovery")
    seed = unix_path(SEED)
    subprocess.call(["chmod", "-R", "u+w", seed], stderr=subprocess.DEVNULL)
    subprocess.call(["rm", "-rf", seed])

    junk = ["a.tmp", "Deep\\Er\\b.bak", "Deep\\c.old", "ro.bak", "\u03a9mega.tmp"]
    for i, name in enumerate(junk + ["keep.txt", "Deep\\notes.txt"]):
        write(os.path.join(seed, *name.split("\\")), f"{name} #{i}\n".encode("utf-8") + bytes(range(256)) * (i + 1))
    os.chmod(os.path.join(seed, "ro.bak"), stat.S_IRUSR)
    dead = ["Links\\gone.lnk", "Links\\Sub\\GONE2.LNK"]
    os.makedirs(os.path.join(seed, "Links", "Sub"), exist_ok=True)
    made = wine.run(os.path.join(bin_dir, "make_shortcut.exe"),
                    SEED + "\\" + dead[0], "C:\\QrvKeep\\Gone\\app.exe",
                    SEED + "\\" + dead[1], "C:\\QrvKeep\\Gone\\readme.txt",
                    SEED + "\\Links\\fine.lnk", "C:\\QrvKeep\\keep.txt")
    c.check(made.code == 0, "make_shortcut saved the shortcuts", made.err.decode("utf-8", "replace"))
    before = snapshot(seed)
    listed = {unix_path(SEED + "\\" + n) for n in junk + dead}
    c.check(listed <= set(before), "the seeded files are there", repr(sorted(listed - set(before))))

    def cli(*command):
        return c.cli(wine, *command)

    # Earlier suites in this prefix removed files too: what they left in the
    # recovery folder beside the undo folder is set aside, so that the lists
    # below are this test's own.
    folders = cli("logs")
    if folders.get("undoFolder"):
        earlier = os.path.join(os.path.dirname(unix_path(folders["undoFolder"]).rstrip("/")), "Removed Files")
        if os.path.isdir(earlier):
            shutil.rmtree(earlier)
    logs_before = set(folders.get("logs", []))
    removed = cli("junk", "remove", "--root", SEED)
    c.check(removed.get("removed") == len(junk) and removed.get("failed") == [], "junk remove moves every residual file",
            json.dumps(removed))
    removed = cli("shortcuts", "remove", "--root", SEED)
    c.check(removed.get("removed") == len(dead) and removed.get("failed") == [],
            "shortcuts remove moves both dead shortcuts", json.dumps(removed))
    after = snapshot(seed)
    c.check(set(after) == set(before) - listed, "exactly the removed files left the tree",
            f"  still there: {sorted(set(after) & listed)}\n  missing: {sorted(set(before) - listed - set(after))}")
    c.check(all(after[p] == before[p] for p in after), "what was not removed is untouched")

    # The list names every original path, removal by removal.
    kept = cli("removed")
    removals = kept.get("removals", [])
    originals = [f["path"] for r in removals for f in r.get("files", [])]
    c.check(len(removals) == 2, "two removals are listed", json.dumps(kept))
    c.check(sorted(o.upper() for o in originals) == sorted((SEED + "\\" + n).upper() for n in junk + dead),
            "removed lists each file with its original path", json.dumps(kept))
    stored = [f["stored"] for r in removals for f in r.get("files", [])]
    c.check(all(os.path.isfile(unix_path(s)) for s in stored), "each file is in the recovery folder", repr(stored))

    # Each removal wrote a log naming each file and where it went.
    log_folder = cli("logs").get("logFolder", "")
    new_logs = sorted(set(cli("logs").get("logs", [])) - logs_before)
    text = ""
    for name in new_logs:
        with open(os.path.join(unix_path(log_folder), name), "rb") as f:
            text += f.read().decode("cp1252", "replace")
    c.check(all(s in text for s in stored if s.isascii()), "the logs name where each file went", text[:2000])

    # A file that has appeared at its path since is never overwritten.
    again = os.path.join(seed, "a.tmp")
    write(again, b"made again by the user")
    r = wine.cli("restore", "--all", "--json")
    out = json.loads(r.out.decode("utf-8") or "{}")
    outcomes = {f["path"].upper(): f["outcome"] for f in out.get("files", [])}
    c.check(r.code == 1 and outcomes.get((SEED + "\\a.tmp").upper()) == "occupied",
            "restore --all refuses to overwrite the new a.tmp", r.out.decode("utf-8", "replace"))
    c.check(out.get("restored") == len(junk) + len(dead) - 1, "and restores all the others", json.dumps(out))
    with open(again, "rb") as f:
        c.check(f.read() == b"made again by the user", "the new a.tmp is as the user made it")
    left = cli("removed").get("removals", [])
    c.check([f["path"].upper() for rm in left for f in rm["files"]] == [(SEED + "\\a.tmp").upper()],
            "only a.tmp is still kept", json.dumps(left))

    os.remove(again)
    r = wine.cli("restore", SEED + "\\A.TMP", "--json")
    out = json.loads(r.out.decode("utf-8") or "{}")
    c.check(r.code == 0 and out.get("restored") == 1, "restore PATH puts back the named file", r.out.decode())
    r = wine.cli("restore", SEED + "\\nothing.tmp", "--json")
    c.check(r.code == 1 and json.loads(r.out.decode() or "{}").get("unknown") == [SEED + "\\nothing.tmp"],
            "restore of a path never removed fails and says so", r.out.decode())

    final = snapshot(seed)
    c.check(set(final) == set(before), "every file is back at its path",
            f"  missing: {sorted(set(before) - set(final))}\n  extra: {sorted(set(final) - set(before))}")
    c.check(all(final.get(p) == data for p, data in before.items()), "byte for byte",
            repr([p for p, d in before.items() if final.get(p) != d]))
    c.check(cli("removed").get("removals") == [], "nothing is kept any more")
    subprocess.call(["chmod", "-R", "u+w", seed], stderr=subprocess.DEVNULL)
    return c.finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
