#!/usr/bin/env python3
"""Command line for the test prefixes: `template ROOT` makes the template once;
`run ROOT NAME EXE ARGS...` runs a Windows program in the prefix ROOT/NAME (cloned
from the template when missing) and returns its exit code."""
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
    prefix = root / "prefixes" / name
    if not (prefix / "system.reg").exists():
        lgwine.clone_template(prefix)
    env = lgwine.base_env(prefix)
    # The test binary changes the current folder; it starts in a folder of its own.
    work = prefix / "drive_c" / "work"
    work.mkdir(exist_ok=True)
    r = subprocess.run(["wine", exe, *args], env=env, cwd=work)
    lgwine.wineserver(prefix, "-k")
    return r.returncode


if __name__ == "__main__":
    sys.exit(main())
