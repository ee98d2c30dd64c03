"""Wine prefixes for the tests: cloned from one template inside the build tree.

A prefix runs programs with an exact Windows command line (through lgrun.exe), maps
Windows paths to host paths and reads its registry back from the files Wine saves.
"""
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

BUILD_DIR = Path(os.environ.get("LG_BUILD_DIR", Path(__file__).resolve().parents[2] / "build"))
WINE_ROOT = Path(os.environ.get("LG_WINE_ROOT", BUILD_DIR / "wine"))
TEMPLATE = WINE_ROOT / "template"
SETUP_EXE = Path(os.environ.get("LG_SETUP_EXE", BUILD_DIR / "lumagrove-setup64.exe"))
LOG_NAME = "Lumagrove_Install.log"
READY = TEMPLATE / ".lg-ready"
SESSION_MANAGER = r"System\CurrentControlSet\Control\Session Manager"
# The DLL folders are large and never written to: hard links instead of copies.
LINKED = ("drive_c/windows/system32", "drive_c/windows/syswow64")


def dos_path(host_path):
    """The Z: path under which Wine shows a host file."""
    return "Z:" + str(Path(host_path).resolve()).replace("/", "\\")


def base_env(prefix):
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    # No menu builder: saving a link would otherwise write menu entries into the Unix home.
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    # A German user: the log's short date reads 10.12.2026.
    env["LANG"] = env["LC_ALL"] = "de_DE.UTF-8"
    # Without the compiled locale Wine falls back to ASCII file names, and a file such as
    # "Über Lumagrove.lnk" cannot be created; glibc finds the locale through LOCPATH.
    locales = german_locale()
    if locales:
        env["LOCPATH"] = str(locales)
    return env


def german_locale():
    """de_DE.UTF-8 compiled once into the build tree (None when localedef is missing)."""
    root = WINE_ROOT / "locale"
    if (root / "de_DE.UTF-8" / "LC_CTYPE").exists():
        return root
    if not shutil.which("localedef"):
        return None
    root.mkdir(parents=True, exist_ok=True)
    work = Path(tempfile.mkdtemp(dir=root))
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(work / "de_DE.UTF-8")],
                   check=False, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    try:
        (work / "de_DE.UTF-8").rename(root / "de_DE.UTF-8")
    except OSError:
        pass  # compiled at the same time by another test
    shutil.rmtree(work, ignore_errors=True)
    return root if (root / "de_DE.UTF-8" / "LC_CTYPE").exists() else None


def wine(prefix, *args, check=True, timeout=300, **kw):
    return subprocess.run(["wine", *map(str, args)], env=kw.pop("env", None) or base_env(prefix),
                          check=check, timeout=timeout, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, **kw)


def wineserver(prefix, *args, timeout=60):
    subprocess.run(["wineserver", *args], env=base_env(prefix), timeout=timeout, check=False)


def make_template():
    if READY.exists():
        return
    if TEMPLATE.exists():
        shutil.rmtree(TEMPLATE)
    TEMPLATE.parent.mkdir(parents=True, exist_ok=True)
    env = base_env(TEMPLATE)
    subprocess.run(["wineboot", "-i"], env=env, check=True, timeout=600,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Headless by default: windows exist (FindWindow sees them) without a display.
    wine(TEMPLATE, "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null",
         "/f")
    # The frames a Wine desktop draws take their buttons' glyphs from Marlett, which this
    # Wine finds only among the prefix's fonts (without it the close button reads "r").
    marlett = Path("/usr/share/wine/fonts/marlett.ttf")
    if marlett.exists():
        shutil.copy2(marlett, TEMPLATE / "drive_c" / "windows" / "Fonts" / marlett.name)
    wineserver(TEMPLATE, "-k")
    wineserver(TEMPLATE, "-w")
    READY.write_text("ok\n")


def detach_home_links(prefix):
    """Wine links Desktop, Documents and the like to the Unix home; links and files that
    tests write there must stay in the prefix, so each such link becomes an empty folder."""
    for root, dirs, files in os.walk(Path(prefix) / "drive_c" / "users"):
        for name in dirs + files:
            path = Path(root) / name
            if path.is_symlink():
                path.unlink()
                path.mkdir()


def clone_template(dest):
    dest = Path(dest)
    if dest.exists():
        wineserver(dest, "-k")
        shutil.rmtree(dest)

    def copy(src, dst):
        rel = os.path.relpath(src, TEMPLATE)
        if rel.startswith(LINKED):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(TEMPLATE, dest, symlinks=True, copy_function=copy)
    (dest / ".lg-ready").unlink(missing_ok=True)
    detach_home_links(dest)
    return dest


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        n = text[i + 1] if i + 1 < len(text) else ""
        if n == "x":
            m = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
            continue
        out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
        i += 2
    return "".join(out)


def _parse_string(text):
    """The quoted string at the start of text: (value, rest)."""
    assert text[0] == '"', text
    i = 1
    while text[i] != '"':
        i += 2 if text[i] == "\\" else 1
    return _unescape(text[1:i]), text[i + 1:]


class Registry:
    """One saved hive: keys by lower-cased path, values by lower-cased name ("" = default)."""

    def __init__(self, path):
        self.keys = {}
        current = None
        lines = Path(path).read_text(encoding="utf-8", errors="replace").split("\n")
        i = 0
        while i < len(lines):
            line = lines[i]
            while line.endswith("\\") and i + 1 < len(lines) and not line.startswith("["):
                i += 1
                line = line[:-1] + lines[i].strip()
            i += 1
            if line.startswith("["):
                name = _unescape(line[1:line.rindex("]")])
                current = self.keys.setdefault(name.lower(), {"name": name, "values": {}})
            elif current is not None and (line.startswith('"') or line.startswith("@=")):
                if line.startswith("@="):
                    vname, rest = "", line[1:]
                else:
                    vname, rest = _parse_string(line)
                current["values"][vname.lower()] = self._value(rest[1:])

    @staticmethod
    def _value(text):
        if text.startswith('"'):
            return ("REG_SZ", _parse_string(text)[0])
        if text.startswith("str(2):"):
            return ("REG_EXPAND_SZ", _parse_string(text[7:])[0])
        if text.startswith("str(7):"):
            # A list of strings, each ended by a NUL, as Wine saves REG_MULTI_SZ it wrote.
            return ("REG_MULTI_SZ", _parse_string(text[7:])[0].split("\0")[:-1])
        if text.startswith("dword:"):
            return ("REG_DWORD", int(text[6:], 16))
        m = re.match(r"hex(?:\((\w+)\))?:(.*)", text)
        if m:
            data = bytes(int(b, 16) for b in m.group(2).split(",") if b.strip())
            return (f"hex({m.group(1) or 3})", data)
        return ("unknown", text)

    def key(self, path):
        return self.keys.get(path.lower())

    def value(self, path, name=""):
        key = self.key(path)
        if key is None:
            return None
        return key["values"].get(name.lower())

    def subtree(self, path):
        """Every key at or below path: {key path: {value name: (type, data)}}."""
        low = path.lower()
        return {k: v["values"] for k, v in self.keys.items()
                if k == low or k.startswith(low + "\\")}


class Prefix:
    """A fresh prefix cloned from the template for one test."""

    def __init__(self, name, windows_version=None):
        make_template()
        self.path = clone_template(WINE_ROOT / "prefixes" / name)
        self.env = base_env(self.path)
        if windows_version:
            self.reg_add(r"HKCU\Software\Wine", "Version", windows_version)

    # Paths
    def host(self, winpath):
        """Host path of a C: path such as C:\\Apps\\x.txt."""
        p = winpath.replace("\\", "/")
        assert p[:2].upper() == "C:", winpath
        return self.path / "drive_c" / p[3:]

    @property
    def appdata(self):
        return self.host(r"C:\users\root\AppData\Roaming")

    # Running programs
    def run(self, command_line, start_folder=r"C:\\", timeout=120, extra_env=None):
        """Runs command_line exactly as written, from start_folder; returns the exit code."""
        env = dict(self.env)
        env.update(LG_COMMAND_LINE=command_line, LG_START_FOLDER=start_folder)
        if extra_env:
            env.update(extra_env)
        r = subprocess.run(["wine", str(BUILD_DIR / "lgrun.exe")], env=env, timeout=timeout,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        # The exit status keeps 8 bits; lgrun prints the whole code.
        codes = re.findall(rb"^lgrun-exit-code (\d+)\r?$", r.stdout, re.M)
        return int(codes[-1]) if codes else r.returncode

    def start(self, command_line, start_folder=r"C:\\"):
        """Starts a program in the background; returns the Popen object."""
        env = dict(self.env)
        env.update(LG_COMMAND_LINE=command_line, LG_START_FOLDER=start_folder)
        return subprocess.Popen(["wine", str(BUILD_DIR / "lgrun.exe")], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def running(self, program):
        """Windows command lines of this prefix's processes whose program file is named
        program (any letter case), read from the host's /proc: what runs, on whatever
        Wine desktop, without asking Win32."""
        found = []
        marker = f"WINEPREFIX={self.path}".encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                env = (entry / "environ").read_bytes().split(b"\0")
                args = (entry / "cmdline").read_bytes().decode("utf-8", "replace").split("\0")
            except OSError:
                continue
            name = args[0].replace("\\", "/").rsplit("/", 1)[-1]
            if marker in env and name.lower() == program.lower():
                found.append(" ".join(a for a in args if a))
        return found

    def setup(self, arguments="", start_folder=r"C:\start", timeout=180):
        """Runs the installer with the arguments from start_folder (created when missing)."""
        self.host(start_folder).mkdir(parents=True, exist_ok=True)
        return self.run(f'"{dos_path(SETUP_EXE)}" {arguments}'.rstrip(), start_folder, timeout)

    def log(self, folder=r"C:\start"):
        """The install log's bytes in folder, or None when there is none."""
        path = self.host(folder) / LOG_NAME
        return path.read_bytes() if path.exists() else None

    def wine(self, *args, check=True):
        return wine(self.path, *args, check=check, env=self.env)

    def links(self, *folders):
        """The shell links in Windows folders, read back through IShellLinkW in one run:
        {folder: {file name: {"target", "arguments", "icon", "icon_index", "description"}}},
        or for one folder just its {file name: ...}."""
        r = self.wine(BUILD_DIR / "lglink.exe", *folders)
        found = {folder: {} for folder in folders}
        for line in r.stdout.decode("utf-8").split("\n"):
            if not line:
                continue
            folder, name, target, arguments, icon, index, description = line.split("\t")
            found.setdefault(folder, {})[name] = {
                "target": target, "arguments": arguments, "icon": icon,
                "icon_index": int(index), "description": description}
        return found[folders[0]] if len(folders) == 1 else found

    def reg_add(self, key, name, data, kind="REG_SZ"):
        args = ["reg", "add", key, "/t", kind, "/d", data, "/f"]
        args[3:3] = ["/ve"] if name is None else ["/v", name]
        # reg.exe once failed in a loaded CI run, and its output was lost: try again, and
        # keep the output of a last failure.
        for attempt in range(3):
            r = self.wine(*args, check=False)
            if r.returncode == 0:
                return
            time.sleep(1)
        raise RuntimeError(f"{' '.join(map(str, r.args))} returned {r.returncode}: "
                           f"{r.stdout.decode(errors='replace')}{r.stderr.decode(errors='replace')}")

    def restart(self, timeout=300):
        """What a restart of Windows does to the prefix: `wineboot -r` carries out the
        renames left in PendingFileRenameOperations; the wineserver is stopped after."""
        subprocess.run(["wineboot", "-r"], env=self.env, check=True, timeout=timeout,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.stop()

    def stop(self):
        """Ends the prefix's wineserver, which saves the registry."""
        wineserver(self.path, "-k")
        wineserver(self.path, "-w")

    def machine(self):
        self.stop()
        return Registry(self.path / "system.reg")

    def user(self):
        self.stop()
        return Registry(self.path / "user.reg")

    def pending_renames(self):
        """PendingFileRenameOperations as (source, target) pairs of plain paths, in order;
        the target is "" for a delete."""
        value = self.machine().value(SESSION_MANAGER, "PendingFileRenameOperations")
        if value is None:
            return []
        kind, data = value
        if kind == "hex(7)":
            names = data.decode("utf-16-le").split("\0")
        else:
            assert kind == "REG_MULTI_SZ", kind
            names = list(data)
        while names and names[-1] == "":  # the terminators of the last string and the list
            names.pop()
        if len(names) % 2:
            names.append("")  # the last target was empty
        plain = [n[4:] if n.startswith("\\??\\") else n for n in names]
        return list(zip(plain[0::2], plain[1::2]))

    def remove(self):
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)
