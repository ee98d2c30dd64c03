#!/usr/bin/env python3
"""Builds the payload archive from layout.txt, the one description of its entries.

Commands (all output is byte-for-byte reproducible: fixed times, fixed order):
  cmake  LAYOUT OUT.cmake        CMake calls lg_payload_entry(NAME KIND SOURCE STAGED)
  header LAYOUT OUT.h            C++ header with the entries as wide-string arrays
  text   SRC OUT                 UTF-8 text -> Windows-1252 with CR LF
  chm    PROJECT.hhp OUT.chm     compile a help project with chmcmd, timestamps fixed
  zip    LAYOUT STAGE OUT.zip    the archive from the staged files under STAGE
"""
import io
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

# Release date of 4.58: the one time stamp of every entry and of the help files.
RELEASE = (2024, 6, 3, 12, 0, 0)
ENTRY_COUNT = 39
KINDS = ("folder", "program", "text", "toolbar", "chm")
TEXT_SUFFIXES = {".txt", ".htm", ".html", ".hhp", ".hhc", ".hhk", ".css", ".lng"}


class LayoutError(Exception):
    pass


class Entry:
    def __init__(self, name, kind, source, line):
        self.name, self.kind, self.source, self.line = name, kind, source, line

    @property
    def is_folder(self):
        return self.kind == "folder"


def read_layout(path):
    """The entries of layout.txt in archive order, checked against the archive's rules."""
    entries = []
    for number, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith(";"):
            continue
        parts = line.split()
        if len(parts) != 3:
            raise LayoutError(f"{path}:{number}: expected NAME KIND SOURCE, got {raw!r}")
        entries.append(Entry(*parts, number))
    check_layout(entries, path)
    return entries


def check_layout(entries, path):
    seen = set()
    for e in entries:
        where = f"{path}:{e.line}"
        if e.kind not in KINDS:
            raise LayoutError(f"{where}: unknown kind {e.kind!r}")
        if not e.name.isascii() or "\\" in e.name or e.name.startswith("/") or ".." in e.name:
            raise LayoutError(f"{where}: entry names are plain ASCII paths with '/': {e.name!r}")
        if e.is_folder != e.name.endswith("/"):
            raise LayoutError(f"{where}: folder entries, and only they, end in '/': {e.name!r}")
        if e.name.lower() in seen:
            raise LayoutError(f"{where}: duplicate entry {e.name!r}")
        parent = e.name.rstrip("/").rpartition("/")[0]
        if parent and parent.lower() + "/" not in seen:
            raise LayoutError(f"{where}: {e.name!r} comes before its folder entry {parent}/")
        seen.add(e.name.lower())
    if len(entries) != ENTRY_COUNT:
        raise LayoutError(f"{path}: {len(entries)} entries, the archive has {ENTRY_COUNT}")


def staged_name(name):
    """Where an entry's file waits under the staging folder: CMake refuses "#" in the
    outputs of a build rule, so it is written %23 there."""
    return name.replace("%", "%25").replace("#", "%23")


def write_if_changed(path, data):
    """Leaves an unchanged file alone so that its dependants are not rebuilt."""
    path = Path(path)
    if path.exists() and path.read_bytes() == data:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def cmd_cmake(layout, out):
    lines = ["# Generated from payload/layout.txt by payload_tool.py; do not edit."]
    for e in read_layout(layout):
        lines.append(f'lg_payload_entry("{e.name}" {e.kind} "{e.source}" "{staged_name(e.name)}")')
    write_if_changed(out, ("\n".join(lines) + "\n").encode())


def wide_literal(text):
    return 'L"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def cmd_header(layout, out):
    entries = read_layout(layout)
    names = ",\n".join(f"    {wide_literal(e.name)}" for e in entries)
    paths = ",\n".join(f"    {wide_literal(e.name.rstrip('/').replace('/', chr(92)))}"
                       for e in entries)
    flags = ["true" if e.is_folder else "false" for e in entries]
    folders = ",\n".join("    " + ", ".join(flags[i:i + 8]) for i in range(0, len(flags), 8))
    text = f"""// The payload archive's entries in archive order; generated from payload/layout.txt.
#pragma once

inline constexpr int kPayloadEntryCount = {len(entries)};

// Names as stored in the archive: folders end in "/" and come before their files.
inline constexpr const wchar_t* kPayloadEntries[kPayloadEntryCount] = {{
{names}}};

// The same entries as paths relative to the installation folder.
inline constexpr const wchar_t* kPayloadPaths[kPayloadEntryCount] = {{
{paths}}};

inline constexpr bool kPayloadIsFolder[kPayloadEntryCount] = {{
{folders}}};
"""
    write_if_changed(out, text.encode("ascii"))


def windows_text(src):
    """A UTF-8 text as the viewer ships it: Windows-1252, CR LF, final line break."""
    text = Path(src).read_text(encoding="utf-8")
    if text.startswith("\ufeff"):
        raise LayoutError(f"{src}: no byte-order mark, please")
    text = text.replace("\r\n", "\n")
    if not text.endswith("\n"):
        text += "\n"
    try:
        return text.replace("\n", "\r\n").encode("cp1252")
    except UnicodeEncodeError as err:
        raise LayoutError(f"{src}: {text[err.start]!r} has no Windows-1252 form") from None


def cmd_text(src, out):
    write_if_changed(out, windows_text(src))


# --- Help files -------------------------------------------------------------------------

def _encint(data, pos):
    """A CHM directory number: 7 bits a byte, high bit set on all but the last."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def chm_directory(data):
    """{name: (section, offset, length)} from the PMGL chunks of an ITSF v3 file."""
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        raise LayoutError("not an ITSF version 3 file")
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise LayoutError("no ITSP directory header")
    header_len, _, chunk_size = struct.unpack_from("<III", data, dir_offset + 8)
    chunk_count = struct.unpack_from("<I", data, dir_offset + 0x2C)[0]
    files = {}
    for i in range(chunk_count):
        chunk = dir_offset + header_len + i * chunk_size
        if data[chunk:chunk + 4] != b"PMGL":
            continue
        free = struct.unpack_from("<I", data, chunk + 4)[0]
        pos, end = chunk + 20, chunk + chunk_size - free
        while pos < end:
            length, pos = _encint(data, pos)
            name = data[pos:pos + length].decode("utf-8")
            pos += length
            section, pos = _encint(data, pos)
            offset, pos = _encint(data, pos)
            size, pos = _encint(data, pos)
            files[name] = (section, offset, size)
    return files


def chm_system_records(data, files):
    """[(code, position of the record's data, length)] of the uncompressed #SYSTEM file."""
    section, offset, size = files["/#SYSTEM"]
    if section != 0:
        raise LayoutError("#SYSTEM is not in the uncompressed section")
    start = struct.unpack_from("<Q", data, 0x58)[0] + offset
    pos, end, records = start + 4, start + size, []
    while pos + 4 <= end:
        code, length = struct.unpack_from("<HH", data, pos)
        records.append((code, pos + 4, length))
        pos += 4 + length
    return records


def release_milliseconds():
    hour, minute, second = RELEASE[3:]
    return ((hour * 60 + minute) * 60 + second) * 1000


def stabilise_chm(data):
    """chmcmd stamps the milliseconds of the day into the ITSF header (big-endian) and
    into #SYSTEM record 10; both become the release time so that builds compare equal."""
    data = bytearray(data)
    stamp = release_milliseconds()
    struct.pack_into(">I", data, 0x10, stamp)
    patched = 0
    for code, pos, length in chm_system_records(data, chm_directory(data)):
        if code == 10 and length == 4:
            struct.pack_into("<I", data, pos, stamp)
            patched += 1
    if patched != 1:
        raise LayoutError("#SYSTEM has no time stamp record to fix")
    return bytes(data)


def compile_chm(project):
    """One chmcmd run over a copy of the project folder with its texts in Windows-1252."""
    project = Path(project)
    with tempfile.TemporaryDirectory(prefix="lg-chm-") as tmp:
        for src in sorted(project.parent.iterdir()):
            if src.is_file():
                dst = Path(tmp) / src.name
                if src.suffix.lower() in TEXT_SUFFIXES:
                    dst.write_bytes(windows_text(src))
                else:
                    shutil.copyfile(src, dst)
        compiled = None
        for line in (Path(tmp) / project.name).read_text(encoding="cp1252").splitlines():
            if line.lower().startswith("compiled file="):
                compiled = line.split("=", 1)[1].strip()
        if not compiled:
            raise LayoutError(f"{project}: no 'Compiled file=' line")
        r = subprocess.run(["chmcmd", "--verbosity", "1", project.name], cwd=tmp,
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        out = Path(tmp) / compiled
        if r.returncode != 0 or not out.exists():
            raise LayoutError(f"chmcmd failed on {project}:\n{r.stdout}")
        return stabilise_chm(out.read_bytes())


def cmd_chm(project, out):
    first = compile_chm(project)
    # A second run shows whether chmcmd put anything else of the moment into the file
    # (its binary index does, which is why the projects turn it off).
    if compile_chm(project) != first:
        raise LayoutError(f"{project}: two chmcmd runs give different files")
    write_if_changed(out, first)


# --- The archive ------------------------------------------------------------------------

def archive_bytes(entries, stage):
    """The archive in memory: fixed time, DOS attributes, files deflated, folders stored."""
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as zf:
        for e in entries:
            info = zipfile.ZipInfo(e.name, date_time=RELEASE)
            info.create_system = 0  # the attributes below are MS-DOS ones
            if e.is_folder:
                info.external_attr = 0x10
                zf.writestr(info, b"", compress_type=zipfile.ZIP_STORED)
                continue
            path = Path(stage) / staged_name(e.name)
            if not path.is_file():
                raise LayoutError(f"{e.name}: not built ({path} is missing)")
            info.external_attr = 0x20
            zf.writestr(info, path.read_bytes(), compress_type=zipfile.ZIP_DEFLATED,
                        compresslevel=9)
    return buf.getvalue()


def cmd_zip(layout, stage, out):
    write_if_changed(out, archive_bytes(read_layout(layout), stage))


COMMANDS = {"cmake": cmd_cmake, "header": cmd_header, "text": cmd_text, "chm": cmd_chm,
            "zip": cmd_zip}


def main(argv):
    if len(argv) < 2 or argv[1] not in COMMANDS:
        sys.stderr.write(__doc__)
        return 2
    try:
        COMMANDS[argv[1]](*argv[2:])
    except (LayoutError, OSError, TypeError) as err:
        sys.stderr.write(f"payload_tool {argv[1]}: {err}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
