#!/usr/bin/env python3
"""Command line for the test prefixes: `template ROOT` makes the template once;
`run ROOT NAME[:VERSION] EXE ARGS...` runs a Windows program in the prefix ROOT/NAME
(cloned from the template when missing, reporting Windows VERSION such as win10 when
given) and returns its exit code."""
import os
import subprocess
import sys
from pathlib import Path


def main():
    cmd, root = sys.argv[1], Path(sys.argv[2])
    os.environ["LG_WINE_ROOT"] = str(root)
    sys.path.insert(0, str(Path(__file__).parent))
    import lgwine
    lgwine.WINE_ROOT, lgwine.TEMPLATE = root, root / "template"
    lgwine.READY = lgwine.TEMPLATE / ".lg-ready"
    lgwine.make_template()
    if cmd == "template":
        return 0
    name, exe, args = sys.argv[3], sys.argv[4], sys.argv[5:]
    name, _, version = name.partition(":")
    prefix = root / "prefixes" / name
    env = lgwine.base_env(prefix)
    if not (prefix / "system.reg").exists():
        lgwine.clone_template(prefix)
        if version:
            lgwine.wine(prefix, "reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d",
                        version, "/f")
    lgwine.detach_home_links(prefix)  # prefixes cloned before links were detached
    env["LG_EXPECTED_WINDOWS"] = version or "win7"
    # The test binary changes the current folder; it starts in a folder of its own.
    work = prefix / "drive_c" / "work"
    work.mkdir(exist_ok=True)
    r = subprocess.run(["wine", exe, *args], env=env, cwd=work)
    lgwine.wineserver(prefix, "-k")
    return r.returncode


if __name__ == "__main__":
    sys.exit(main())
