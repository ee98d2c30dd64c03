"""One silent installation in a throwaway prefix, and a report of what it left behind."""
import datetime
import os
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
os.environ.setdefault("LG_BUILD_DIR", str(ROOT / "build"))
sys.path.insert(0, str(ROOT / "tests" / "harness"))
import lgwine  # noqa: E402

REGISTRY_KEYS = [
    ("HKLM", r"Software\Lumagrove"),
    ("HKLM", r"Software\Classes\Lumagrove"),
    ("HKLM", r"Software\Classes\Applications\lg_show64.exe"),
    ("HKLM", r"Software\Classes\Directory\shell\Durchsuchen mit &Lumagrove"),
    ("HKLM", r"Software\Classes\Drive\shell\Durchsuchen mit &Lumagrove"),
    ("HKLM", r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumagrove64"),
]


def section(title):
    print(f"\n== {title}")


def show_tree(folder):
    if not folder.exists():
        print(f"  (no folder {folder})")
        return
    for path in sorted(folder.rglob("*")):
        rel = path.relative_to(folder)
        if path.is_dir():
            print(f"  {rel}/")
        else:
            stamp = datetime.datetime.fromtimestamp(path.stat().st_mtime)
            print(f"  {rel}  {path.stat().st_size} bytes  {stamp:%Y-%m-%d %H:%M}")


def show_text(path):
    data = path.read_bytes()
    text = data[2:].decode("utf-16-le") if data[:2] == b"\xff\xfe" else data.decode("cp1252")
    kind = "UTF-16 with byte-order mark" if data[:2] == b"\xff\xfe" else "8-bit"
    print(f"  {path.name} ({kind}):")
    for line in text.splitlines():
        print(f"    {line}")


def show_registry(prefix):
    machine, user = prefix.machine(), prefix.user()
    count = 0
    for root, key in REGISTRY_KEYS:
        for name, values in sorted(machine.subtree(key).items()):
            print(f"  [{root}\\{machine.keys[name]['name']}]")
            for vname, (kind, data) in sorted(values.items()):
                print(f"    {vname or '@'} = {data!r} ({kind})")
                count += 1
    classes = machine.subtree(r"Software\Classes")
    exts = sorted(k for k in classes if k.startswith(r"software\classes\.") and
                  str(classes[k].get("", ("", ""))[1]).startswith("Lumagrove."))
    progids = {k for k in classes if k.startswith(r"software\classes\lumagrove.")
               and k.count("\\") == 2}
    caps = machine.value(r"Software\Lumagrove\Capabilities\FileAssociations") is not None
    reg_app = machine.value(r"Software\RegisteredApplications", "Lumagrove")
    print(f"  extension keys pointing to the viewer: {len(exts)}"
          f" ({', '.join(e.rsplit(chr(92), 1)[1] for e in exts[:12])}{' ...' if len(exts) > 12 else ''})")
    print(f"  ProgIDs: {len(progids)}; RegisteredApplications\\Lumagrove = {reg_app}")
    choices = [k for k in user.keys if k.endswith("\\userchoice") and "fileexts" in k]
    print(f"  user choices (HKCU): {len(choices)}")
    appx = [k for k in user.keys if k.startswith(r"software\classes\appx")]
    print(f"  AppX NoOpenWith keys (HKCU): {len(appx)}")
    if not (count or exts or caps):
        print("  (nothing written)")


def main():
    arguments = sys.argv[1]
    prefix = lgwine.Prefix("demo")
    print(f"Prefix: {prefix.path}")
    print(f"Command: lumagrove-setup64.exe /silent {arguments}   (started in C:\\start)")
    code = prefix.setup(f"/silent {arguments}", r"C:\start")
    section(f"Exit code: {code}")
    targets = [prefix.host(r"C:\Program Files\Lumagrove")]
    for part in arguments.split("/"):
        if part.startswith("folder="):
            value = part[7:].strip().strip('"')
            if value[:2].upper() == "C:":
                targets = [prefix.host(value)]
    section("Install log")
    logs = [prefix.host(r"C:\start") / lgwine.LOG_NAME] + [t / lgwine.LOG_NAME for t in targets]
    for log in [p for p in logs if p.exists()]:
        print(f"  {log.relative_to(prefix.path / 'drive_c')}:")
        print(log.read_bytes().decode("latin-1").replace("\r\n", "\n"), end="")
    if not any(p.exists() for p in logs):
        print("  (no log written)")
    section("Installed files")
    for target in targets:
        print(f"  {target.relative_to(prefix.path / 'drive_c')}:")
        show_tree(target)
    section("Settings files")
    for ini in [t / "lg_show64.ini" for t in targets] + [prefix.appdata / "Lumagrove" / "lg_show64.ini"]:
        if ini.exists():
            show_text(ini)
    section("Links (read back through IShellLinkW)")
    folders = [r"C:\users\root\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Lumagrove",
               r"C:\users\root\Desktop",
               r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Lumagrove",
               r"C:\users\Public\Desktop"]
    found = prefix.links(*folders)
    for folder in folders:
        for name, link in sorted(found.get(folder, {}).items()):
            extra = "".join(f"  {k}={link[k]!r}" for k in ("arguments", "description") if link[k])
            icon = f"  icon={link['icon']},{link['icon_index']}" if link["icon"] else ""
            print(f"  {folder}\\{name}\n    -> {link['target']}{extra}{icon}")
    if not any(found.get(f) for f in folders):
        print("  (no links)")
    section("Registry entries")
    show_registry(prefix)
    leftover = list(prefix.host(r"C:\users").rglob("lgshowg_x64.zip"))
    section(f"Temporary payload copy left behind: {'yes' if leftover else 'no'}")
    prefix.stop()


if __name__ == "__main__":
    main()
