"""Shared pieces of the end-to-end tests: the harness import, log parsing, files held open."""
import contextlib
import re
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "harness"))

import lgwine  # noqa: E402  (re-exported for the tests)

SEPARATOR = b"-" * 48 + b"\r\n"
ENTRY = re.compile(rb"(\d{2}\.\d{2}\.\d{4}) - (\d{2}:\d{2}:\d{2}): (.*?)\r\n" + re.escape(SEPARATOR),
                   re.S)

MESSAGE_5 = "Ungültiges Zielverzeichnis!"
MESSAGE_7 = ("Fehler beim Installieren!\n\nÜberprüfen Sie bitte ob Lumagrove läuft, das "
             "Zielverzeichnis voll ist oder keine Schreibrechte vorhanden sind!\n\n(Der Installer "
             "sollte im ADMIN-Modus gestartet werden, z.B. den Installer mit der rechten Maustaste "
             "anklicken)")
MESSAGE_10 = ("Warnung: Lumagrove läuft!\nBeenden Sie bitte Lumagrove bevor Sie mit der "
              "Installation fortsetzen!")
MESSAGE_11 = ("Kann Zielverzeichnis nicht erstellen!\n\nBitte überprüfen Sie Ihre Schreibrechte "
              "und System-Policies!\n\nVersuchen Sie das Zielverzeichnis zuerst händisch zu "
              "erstellen.")


SESSION_MANAGER = r"System\CurrentControlSet\Control\Session Manager"


def temp_files(prefix):
    """Every file below the user's temporary folder, as paths relative to it."""
    temp = prefix.host(r"C:\users\root\Temp")
    return sorted(str(p.relative_to(temp)) for p in temp.rglob("*") if not p.is_dir())


def pending_renames(prefix):
    """The renames left for the next restart (source, "!"-marked target, ...), or None."""
    value = prefix.machine().value(SESSION_MANAGER, "PendingFileRenameOperations")
    return None if value is None else value[1]


def ini_text(path):
    """A settings file's text: UTF-16 after a byte-order mark, else Windows-1252."""
    data = path.read_bytes()
    return data[2:].decode("utf-16-le") if data[:2] == b"\xff\xfe" else data.decode("cp1252")


def ini_values(path):
    """{(section, key): value} of a settings file."""
    values, section = {}, None
    for line in ini_text(path).splitlines():
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            section = line[1:-1]
        elif "=" in line and section:
            key, _, value = line.partition("=")
            values[(section, key)] = value
    return values


def log_messages(data):
    """The messages of a log file's entries, in order; the whole file must be entries."""
    messages, pos = [], 0
    for m in ENTRY.finditer(data):
        assert m.start() == pos, f"unexpected bytes in log: {data[pos:m.start()]!r}"
        messages.append(m.group(3).replace(b"\r\n", b"\n").decode("latin-1"))
        pos = m.end()
    assert pos == len(data), f"unexpected bytes at end of log: {data[pos:]!r}"
    return messages


FULL_LOG_LINE = re.compile(r"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2})  ([^\r\n]*)")


UNIT_TESTS = lgwine.BUILD_DIR / "tests" / "lg_unit_tests.exe"


def run_unit_tests_on_links(case, prefix, gtest_filter):
    """Runs the unit tests gtest_filter names inside prefix, with LG_LINK_ROOT set to the
    C:\\links the caller planted, and asserts that exactly one test ran and passed."""
    env = dict(prefix.env, LG_LINK_ROOT=r"C:\links")
    r = lgwine.wine(prefix.path, UNIT_TESTS, f"--gtest_filter={gtest_filter}", check=False, env=env)
    out = r.stdout.decode("utf-8", "replace")
    case.assertEqual(r.returncode, 0, out)
    case.assertIn("[  PASSED  ] 1 test", out)


def full_log(path, after=b""):
    """The steps of a full log (/log=) as (time, text) pairs: the whole file (after the bytes
    it must start with) must be UTF-8 lines without a byte-order mark, each a time stamp,
    two blanks, the text and CR LF."""
    data = path.read_bytes()
    assert data.startswith(after), data[:80]
    data = data[len(after):]
    assert not data.startswith(b"\xef\xbb\xbf"), "a byte-order mark"
    assert data.endswith(b"\r\n"), data[-80:]
    steps = []
    for line in data.decode("utf-8").split("\r\n")[:-1]:
        m = FULL_LOG_LINE.fullmatch(line)
        assert m, f"not a log line: {line!r}"
        steps.append((m.group(1), m.group(2)))
    return steps


@contextlib.contextmanager
def holding(prefix, windows_paths, seconds=90):
    """Another program holds the files open without sharing (lghold.exe) while the block
    runs; files that do not exist are created empty first."""
    ready = prefix.host(r"C:\lghold.ready")
    ready.unlink(missing_ok=True)
    held = " ".join(f'"{path}"' for path in windows_paths)
    holder = prefix.start(f'"{lgwine.dos_path(lgwine.BUILD_DIR / "lghold.exe")}" '
                          f'C:\\lghold.ready {seconds} {held}')
    try:
        deadline = time.time() + 30
        while not ready.exists() and time.time() < deadline and holder.poll() is None:
            time.sleep(0.1)
        if not ready.exists():
            raise AssertionError("the holding program did not come up")
        yield
    finally:
        holder.kill()
        holder.wait(timeout=30)
        subprocess.run(["wine", "taskkill", "/f", "/im", "lghold.exe"], env=prefix.env,
                       capture_output=True, timeout=60)
