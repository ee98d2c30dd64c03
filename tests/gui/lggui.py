"""GUI sessions for the wizard tests: an Xvfb display of our own, prefixes that draw on it
through the X11 driver, screenshots, and the driver program lgdrive.exe that reads and
clicks the installer's windows from inside the same prefix.

Every wait here is bounded; a hang raises instead of stalling the run.
"""
import os
import select
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))
import lgwine  # noqa: E402

SETUP_EXE = Path(os.environ.get("LG_SETUP_EXE", lgwine.BUILD_DIR / "lumagrove-setup64.exe"))
DRIVER_EXE = lgwine.BUILD_DIR / "lgdrive.exe"
BROWSER_EXE = lgwine.BUILD_DIR / "lgbrowser.exe"


class GuiError(AssertionError):
    pass


def _free_display():
    for n in range(90, 400):
        if not Path(f"/tmp/.X{n}-lock").exists() and not Path(f"/tmp/.X11-unix/X{n}").exists():
            return n
    raise GuiError("no free X display number")


class Display:
    """An Xvfb server on a free display number; stopped by close()."""

    def __init__(self, width=1280, height=1024):
        self.number = _free_display()
        self.name = f":{self.number}"
        self.proc = subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp",
             "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = Path(f"/tmp/.X11-unix/X{self.number}")
        deadline = time.monotonic() + 20
        while not socket.exists():
            if self.proc.poll() is not None or time.monotonic() > deadline:
                self.close()
                raise GuiError(f"Xvfb {self.name} did not start")
            time.sleep(0.1)

    def screenshot(self, path, crop=None):
        """The whole screen, or the part crop ("900x650+0+0") of it, as a PNG."""
        path = Path(path)
        path.parent.mkdir(parents=True, exist_ok=True)
        extra = ["-crop", crop, "+repage"] if crop else []
        subprocess.run(["import", "-display", self.name, "-window", "root", *extra, str(path)],
                       check=True, timeout=60, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return path

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)


def gui_prefix(name, display, dpi=None, windows_version=None):
    """A fresh prefix that draws on display through the X11 driver."""
    prefix = lgwine.Prefix(name, windows_version=windows_version)
    prefix.reg_add(r"HKCU\Software\Wine\Drivers", "Graphics", "x11")
    if dpi:
        prefix.reg_add(r"HKCU\Control Panel\Desktop", "LogPixels", str(dpi), "REG_DWORD")
    prefix.env["DISPLAY"] = display.name
    return prefix


def install_browser(prefix):
    """Registers the stand-in browser for http, https and .htm files; it appends every
    URL it is given to C:\\lgbrowser.log."""
    target = prefix.host(r"C:\lgtools\lgbrowser.exe")
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(BROWSER_EXE, target)
    command = r'"C:\lgtools\lgbrowser.exe" "%1"'
    for cls in ("http", "https", "htmlfile"):
        prefix.reg_add(rf"HKCR\{cls}\shell\open\command", None, command)
    prefix.reg_add(r"HKCR\.htm", None, "htmlfile")
    return prefix.host(r"C:\lgbrowser.log")


def browser_urls(prefix):
    log = prefix.host(r"C:\lgbrowser.log")
    if not log.exists():
        return []
    return [line for line in log.read_text(encoding="utf-8").splitlines() if line]


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "t": "\t", "\\": "\\", "s": " "}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class Driver:
    """lgdrive.exe running in the prefix: one command line in, one answer line out."""

    def __init__(self, prefix, timeout=60):
        self.prefix = prefix
        self.timeout = timeout
        tools = prefix.host(r"C:\lgtools")
        tools.mkdir(parents=True, exist_ok=True)
        shutil.copy2(DRIVER_EXE, tools / "lgdrive.exe")
        self.proc = subprocess.Popen(["wine", str(tools / "lgdrive.exe")], env=prefix.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL)
        self._buffer = b""

    def _readline(self, timeout):
        deadline = time.monotonic() + timeout
        while b"\n" not in self._buffer:
            left = deadline - time.monotonic()
            if left <= 0:
                raise GuiError("the driver did not answer in time")
            ready, _, _ = select.select([self.proc.stdout], [], [], left)
            if ready:
                chunk = os.read(self.proc.stdout.fileno(), 65536)
                if not chunk:
                    raise GuiError("the driver ended")
                self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8").rstrip("\r")

    def raw(self, *words, timeout=None):
        line = " ".join(str(w) for w in words)
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        return self._readline((timeout or self.timeout) + 5)

    def __call__(self, *words, timeout=None):
        """Runs a command; returns the answer after "ok " (unescaped) or raises."""
        answer = self.raw(*words, timeout=timeout)
        if answer == "ok":
            return ""
        if answer.startswith("ok "):
            return _unescape(answer[3:])
        raise GuiError(f"{' '.join(map(str, words))}: {answer}")

    def fields(self, *words, timeout=None):
        """A command whose answer is name=value pairs separated by blanks."""
        result = {}
        for part in self.raw(*words, timeout=timeout).split(" ")[1:]:
            name, _, value = part.partition("=")
            result[name] = _unescape(value)
        return result

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(timeout=15)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait(timeout=15)
