"""A large registry for the scan benchmark, as a registry editor script.

One half holds, with scale 1: 10,000 COM classes, 2,500 ProgIDs with icon
and open command, 2,500 extensions, 4,000 interfaces, 1,500 type libraries,
1,000 App Paths and 1,000 uninstall entries, 500 Applications entries and
vendor trees under both software keys (fan-out 6, four levels, plus a chain
twelve deep) — about 67,000 keys. Halves have disjoint names, so that half 2
imported after half 1 doubles the registry. Every entry is healthy: the
benchmark times the reading and judging, not the backups of findings.

usage: make_registry.py OUTPUT PART [SCALE]
"""
import sys

SERVERS = ["C:\\windows\\system32\\ole32.dll", "%SystemRoot%\\system32\\oleaut32.dll", "shell32.dll",
           '"C:\\windows\\system32\\comctl32.dll"', "C:\\windows\\system32\\msxml3.dll"]


def main():
    out, part = sys.argv[1], int(sys.argv[2])
    scale = float(sys.argv[3]) if len(sys.argv) > 3 else 1.0
    n = lambda count: max(1, int(count * scale))  # noqa: E731
    lines = ["Windows Registry Editor Version 5.00", ""]
    keys = 0

    def key(path, *values):
        nonlocal keys
        keys += 1
        lines.append(f"[{path}]")
        lines.extend(values)
        lines.append("")

    def s(name, text):
        esc = text.replace("\\", "\\\\").replace('"', '\\"')
        return ("@" if name == "" else f'"{name}"') + f'="{esc}"'

    def guid(kind, i):
        return "{%08X-%04X-4000-8000-%012X}" % (0xBE000000 + kind, part, i)

    cr = "HKEY_CLASSES_ROOT"
    classes = n(10000)
    for i in range(classes):
        g = guid(1, i)
        key(f"{cr}\\CLSID\\{g}", s("", f"Bench class {part}.{i}"))
        key(f"{cr}\\CLSID\\{g}\\InprocServer32", s("", SERVERS[i % len(SERVERS)]), s("ThreadingModel", "Both"))
    for i in range(n(2500)):
        prog = f"Bench.Prog{part}_{i}"
        key(f"{cr}\\{prog}", s("", f"Bench document {i}"))
        key(f"{cr}\\{prog}\\CLSID", s("", guid(1, i % classes)))
        key(f"{cr}\\{prog}\\DefaultIcon", s("", "C:\\windows\\system32\\shell32.dll,3"))
        key(f"{cr}\\{prog}\\shell")
        key(f"{cr}\\{prog}\\shell\\open")
        key(f"{cr}\\{prog}\\shell\\open\\command", s("", '"C:\\windows\\notepad.exe" "%1"'))
        key(f"{cr}\\.b{part}x{i}", s("", prog), s("Content Type", "application/x-bench"))
    libs = n(1500)
    for i in range(libs):
        g = guid(3, i)
        key(f"{cr}\\TypeLib\\{g}")
        key(f"{cr}\\TypeLib\\{g}\\1.0", s("", f"Bench library {i}"))
        key(f"{cr}\\TypeLib\\{g}\\1.0\\0")
        key(f"{cr}\\TypeLib\\{g}\\1.0\\0\\win32", s("", "C:\\windows\\system32\\oleaut32.dll"))
        key(f"{cr}\\TypeLib\\{g}\\1.0\\FLAGS", s("", "0"))
        key(f"{cr}\\TypeLib\\{g}\\1.0\\HELPDIR", s("", "C:\\windows\\system32"))
    for i in range(n(4000)):
        g = guid(2, i)
        key(f"{cr}\\Interface\\{g}", s("", f"IBench{i}"))
        key(f"{cr}\\Interface\\{g}\\ProxyStubClsid32", s("", guid(1, i % classes)))
        key(f"{cr}\\Interface\\{g}\\TypeLib", s("", guid(3, i % libs)), s("Version", "1.0"))
    for i in range(n(500)):
        a = f"{cr}\\Applications\\bench{part}_{i}.exe"
        key(a, s("FriendlyAppName", f"Bench {i}"))
        key(f"{a}\\shell")
        key(f"{a}\\shell\\open")
        key(f"{a}\\shell\\open\\command", s("", '"C:\\windows\\notepad.exe" "%1"'))
    cv = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion"
    for i in range(n(1000)):
        key(f"{cv}\\App Paths\\bench{part}_{i}.exe", s("", "C:\\windows\\notepad.exe"), s("Path", "C:\\windows"))
        key(f"{cv}\\Uninstall\\Bench{part}_{i}", s("DisplayName", f"Bench product {part}.{i}"),
            s("UninstallString", f"C:\\windows\\notepad.exe /uninstall {i}"))

    def tree(path, depth, fan):
        key(path, s("Path", "C:\\windows\\system32\\ole32.dll"), s("Name", "bench"), '"Count"=dword:00000007')
        if depth > 0:
            for j in range(fan):
                tree(f"{path}\\Node{j}", depth - 1, fan)

    fan = max(2, int(round(6 * scale ** 0.25)))
    for root in ("HKEY_CURRENT_USER\\Software", "HKEY_LOCAL_MACHINE\\Software"):
        for v in range(2 if root.startswith("HKEY_CURRENT_USER") else 1):
            tree(f"{root}\\BenchVendor{part}_{v}", 4, fan)
        chain = f"{root}\\BenchChain{part}"
        for depth in range(12):
            chain += f"\\Level{depth}"
            key(chain, s("Recent", "C:\\windows\\win.ini"))

    with open(out, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le") + b"\r\n")
    print(keys)


if __name__ == "__main__":
    main()
