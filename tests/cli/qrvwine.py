"""Driving QRVCli.exe and the registry editor in a Wine prefix.

The caller has set WINEPREFIX and started one persistent wineserver
(scripts/lib.sh start_wine). Output of Windows programs goes to files, never
to pipes: a Wine service started on the way could hold a pipe open.
"""
import collections
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

PREFIX = os.environ["WINEPREFIX"]
HKLM, HKCU, HKCR = "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_CLASSES_ROOT"
CV = "Software\\Microsoft\\Windows\\CurrentVersion"
APP_PATHS = f"{HKLM}\\{CV}\\App Paths"
# The loader: "wine" in a 32-bit prefix, the 64-bit one in a 64-bit prefix
# (it hands 32-bit programs to the 32-bit loader itself).
LOADER = os.environ.get("QRV_WINE", "wine")
DRIVE_C = os.path.join(PREFIX, "drive_c")


def unix_path(windows_path):
    """C:\\X\\Y -> <prefix>/drive_c/X/Y; Z:\\a\\b -> /a/b."""
    drive, rest = windows_path[0].upper(), windows_path[2:].replace("\\", "/").lstrip("/")
    if drive == "C":
        return os.path.join(DRIVE_C, rest)
    if drive == "Z":
        return "/" + rest
    raise ValueError(windows_path)


def windows_path(path):
    """An absolute Linux path as Wine's Z: drive names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Run:
    def __init__(self, code, out, err, seconds):
        self.code, self.out, self.err, self.seconds = code, out, err, seconds


class Wine:
    def __init__(self, bin_dir, work_dir):
        self.bin_dir = bin_dir
        self.work = work_dir
        os.makedirs(work_dir, exist_ok=True)
        self.wrapper = []  # a command that runs each Windows program (without_file_capabilities)

    def run(self, program, *args, timeout=1800):
        with tempfile.TemporaryFile(dir=self.work) as out, tempfile.TemporaryFile(dir=self.work) as err:
            start = time.monotonic()
            code = subprocess.call([*self.wrapper, LOADER, program, *args], stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err, timeout=timeout)
            seconds = time.monotonic() - start
            out.seek(0)
            err.seek(0)
            return Run(code, out.read(), err.read(), seconds)

    def while_mutex_held(self, *args):
        """Runs QRVCli with args while another process certainly holds the
        program's mutex: the holder has said so before QRVCli starts."""
        holder = subprocess.Popen([LOADER, os.path.join(self.bin_dir, "qrv_hold_mutex.exe")],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        try:
            if holder.stdout.readline().strip() != b"held":
                raise AssertionError("qrv_hold_mutex.exe did not take the mutex")
            return self.cli(*args)
        finally:
            holder.stdin.close()
            holder.wait(timeout=600)

    def cli(self, *args):
        return self.run(os.path.join(self.bin_dir, "QRVCli.exe"), *args)

    def cli_json(self, command):
        r = self.cli(command, "--json")
        if r.code != 0:
            raise AssertionError(f"QRVCli {command} --json exited {r.code}: {r.err.decode('utf-8', 'replace')}")
        return json.loads(r.out.decode("utf-8")), r

    def cli_json_args(self, *args):
        r = self.cli(*args, "--json")
        if r.code != 0:
            raise AssertionError(f"QRVCli {' '.join(args)} --json exited {r.code}: {r.err.decode('utf-8', 'replace')}")
        return json.loads(r.out.decode("utf-8")), r

    def scan(self):
        report, _ = self.cli_json("scan")
        return report

    def regedit_import(self, reg_file, editor="regedit"):
        r = self.run(editor, "/s", windows_path(reg_file))
        if r.code != 0:
            raise AssertionError(f"regedit /s {reg_file} exited {r.code}")
        return r

    def export(self, root, name, editor="regedit"):
        """The registry editor's export of a key (a root key, or any below), parsed."""
        target = os.path.join(self.work, name + ".reg")
        if os.path.exists(target):
            os.remove(target)
        # Wine's own services may still add or drop keys of a young prefix
        # while the editor walks it, and the editor gives up when a key it
        # listed is gone by the time it opens it: such a walk is tried again.
        for attempt in range(3):
            r = self.run(editor, "/e", windows_path(target), root)
            if r.code == 0 and os.path.exists(target):
                break
            sys.stderr.write(f"regedit /e {root}: exit {r.code}, {r.err.decode('utf-8', 'replace').strip()}\n")
        else:
            raise AssertionError(f"regedit /e {root} failed ({r.code})")
        with open(target, "rb") as f:
            return parse_export(f.read())

    def snapshot(self, name):
        snap = {}
        for root in ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"):
            snap.update(self.export(root, f"{name}-{root}"))
        return snap


def decode_reg(data):
    if data.startswith(b"\xff\xfe"):
        return data[2:].decode("utf-16-le")
    return data.decode("cp1252")


def parse_export(data):
    """{key (lower case): {value name (lower case, '' for @): (name as written, data as written)}}.

    Continuation lines are joined, so that each value's text is compared whole.
    """
    text = decode_reg(data)
    keys = {}
    current = None
    pending = ""
    for raw in text.splitlines():
        line = pending + (raw.lstrip(" ") if pending else raw)
        pending = ""
        if line.endswith("\\") and current is not None and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1]
            keys.setdefault(current.lower(), {})
            continue
        if current is None or not line or line.startswith(";"):
            continue
        name, rest = split_value_line(line)
        if name is None:
            continue
        keys[current.lower()][name.lower()] = (name, rest)
    return keys


def split_value_line(line):
    """("name", data text) of one value line; name '' for @."""
    if line.startswith("@="):
        return "", line[2:]
    if not line.startswith('"'):
        return None, None
    i, name = 1, []
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            name.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            break
        name.append(c)
        i += 1
    rest = line[i + 1:]
    if not rest.startswith("="):
        return None, None
    return "".join(name), rest[1:]


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_reg(path, keys):
    """keys: list of (key path with root name, [(name, kind, data)]); kind is
    'sz', 'dword', 'hex' (bytes) or 'expand'. Written as the registry editor's
    UTF-16 format."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in keys:
        lines.append(f"[{key}]")
        for name, kind, data in values:
            left = "@" if name == "" else reg_string(name)
            if kind == "sz":
                right = reg_string(data)
            elif kind == "dword":
                right = f"dword:{data:08x}"
            elif kind == "hex":
                right = "hex:" + ",".join(f"{b:02x}" for b in data)
            elif kind == "expand":
                raw = (data + "\0").encode("utf-16-le")
                right = "hex(2):" + ",".join(f"{b:02x}" for b in raw)
            else:
                raise ValueError(kind)
            lines.append(f"{left}={right}")
        lines.append("")
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + b"\r\n")


def findings(report):
    """{category number: Counter of display lines}."""
    return {c["number"]: collections.Counter(c["findings"]) for c in report["categories"]}


def entries(snapshot, wanted):
    """The (key, value name) entries a predicate picks: every key it picks as
    (key, None), and every value of any key that it picks with its data."""
    out = {}
    for key, values in snapshot.items():
        key_picked = wanted(key, None, None)
        if key_picked:
            out[(key, None)] = None
        for name, (_, data) in values.items():
            if key_picked or wanted(key, name, data):
                out[(key, name)] = data
    return out


def apply_effects(picked, effects):
    """What a repair should leave of the picked entries. Effects:
    ('key', K) deletes K with its subkeys, ('value', K, name) deletes a value,
    ('set', K, name, data text) sets one."""
    result = dict(picked)
    for effect in effects:
        kind, key = effect[0], effect[1].lower()
        if kind == "key":
            for k in [k for k in result if k[0] == key or k[0].startswith(key + "\\")]:
                del result[k]
        elif kind == "value":
            result.pop((key, effect[2].lower()), None)
        elif kind == "set":
            result[(key, effect[2].lower())] = effect[3]
    return result


def _view_aliases(key):
    """Where the 32-bit view of 64-bit Windows shows a native key under Wow6432Node."""
    classes = "hkey_local_machine\\software\\classes\\"
    software = "hkey_local_machine\\software\\"
    if key.startswith(classes):
        rest = key[len(classes):]
        return [classes + "wow6432node\\" + rest, software + "wow6432node\\classes\\" + rest]
    if key.startswith(software) and not key.startswith(software + "wow6432node"):
        return [software + "wow6432node\\" + key[len(software):]]
    return []


def _branch(snapshot, key):
    """The key and its subkeys, by their path below it, with their values."""
    return {k[len(key):]: v for k, v in snapshot.items() if k == key or k.startswith(key + "\\")}


def with_shared_views(snapshot, effects):
    """The effects, each also on the 32-bit view's copy of its key where the
    snapshot shows that copy as the same key seen twice (a key both views
    share, as Wine shares TypeLib and App Paths): equal branches, value for
    value. In a 32-bit prefix there is no such copy and nothing is added."""
    out = list(effects)
    for effect in effects:
        key = effect[1].lower()
        branch = _branch(snapshot, key)
        for alias in _view_aliases(key):
            if branch and _branch(snapshot, alias) == branch:
                out.append((effect[0], alias) + tuple(effect[2:]))
    return out


def settled_registry(key, name, data):
    """The part of the registry that a repair and its undo must leave as it
    was: the software and user keys, but not the program's own settings (the
    scan dates and counts) nor the host's network cards, which Wine adds as
    it sees them."""
    return key.startswith(("hkey_local_machine\\software", "hkey_current_user")) and \
        "\\software\\quorvane" not in key and "\\currentversion\\networkcards\\" not in key


def describe_difference(expected, actual, limit=40):
    lines = []
    for k in sorted(set(expected) | set(actual), key=lambda k: (k[0], k[1] or "")):
        if expected.get(k, "<absent>") != actual.get(k, "<absent>") or (k in expected) != (k in actual):
            lines.append(f"  {k[0]} [{k[1]}]: expected {expected.get(k, '<absent>') if k in expected else '<absent>'}"
                         f", got {actual.get(k) if k in actual else '<absent>'}")
    return "\n".join(lines[:limit]) + (f"\n  … {len(lines) - limit} more" if len(lines) > limit else "")


class Checker:
    """Collects failures so that one run reports all of them."""

    def __init__(self, name):
        self.name = name
        self.failures = []
        self.passed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what + (("\n" + detail) if detail else ""))
            print(f"FAIL {self.name}: {what}\n{detail}", flush=True)

    def counters(self, expected, actual, what):
        for n in sorted(set(expected) | set(actual)):
            e, a = expected.get(n, collections.Counter()), actual.get(n, collections.Counter())
            missing, extra = e - a, a - e
            self.check(not missing and not extra, f"{what}, category {n}",
                       "".join(f"  missing: {l} (x{c})\n" for l, c in missing.items()) +
                       "".join(f"  unexpected: {l} (x{c})\n" for l, c in extra.items()))

    def cli(self, wine, *command):
        """QRVCli command --json, checked to exit 0 and print JSON ({} when it does not)."""
        r = wine.cli(*command, "--json")
        self.check(r.code == 0, f"QRVCli {' '.join(command)} exits 0", r.err.decode("utf-8", "replace"))
        try:
            return json.loads(r.out.decode("utf-8"))
        except ValueError:
            self.check(False, f"QRVCli {' '.join(command)} prints JSON", r.out.decode("utf-8", "replace")[:2000])
            return {}

    def finish(self):
        print(f"{self.name}: {self.passed} passed, {len(self.failures)} failed", flush=True)
        return 0 if not self.failures else 1


def without_file_capabilities(unreadable_folder):
    """The command prefix that runs a program so that `unreadable_folder`
    (mode 000) cannot be read: nothing for an ordinary user; for root, which
    reads everything, the file-permission capabilities dropped (setpriv, else
    capsh). None when that cannot be done here, which the prefix proves by
    trying to list the folder."""
    if os.geteuid() != 0:
        return []
    caps = ["dac_override", "dac_read_search"]
    candidates = []
    if shutil.which("setpriv"):
        drop = ",".join("-" + c for c in caps)
        candidates.append(["setpriv", f"--inh-caps={drop}", f"--bounding-set={drop}"])
    if shutil.which("capsh"):
        candidates.append(["capsh", "--drop=" + ",".join("cap_" + c for c in caps), "--", "-c", 'exec "$0" "$@"'])
    for prefix in candidates:
        quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}
        if subprocess.call([*prefix, "true"], **quiet) == 0 and \
                subprocess.call([*prefix, "ls", unreadable_folder], **quiet) != 0:
            return prefix
    return None
