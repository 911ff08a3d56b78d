"""Kerrak, the hook library: what it imports and exports, its size, how Ravak deploys it, and
its shared record."""
import subprocess

import pytest

from ravak_app import Ravak
from harness import BUILD, E2E_BIN, wait_for, win_path

KERRAK = BUILD / "hookdll" / "Kerrak.dll"
EXPORTS = {"GETHOOKRECPOINTER", "STARTKEYBOARDHOOK", "STOPKEYBOARDHOOK", "KEYBOARDPROC"}


def objdump(path):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(path)], capture_output=True,
                          text=True, check=True).stdout


def test_kerrak_is_small_imports_only_kernel32_and_user32_and_exports_four_names():
    assert KERRAK.exists(), f"{KERRAK} was not built"
    assert KERRAK.stat().st_size < 32 * 1024
    dump = objdump(KERRAK)
    imports = {line.split(":", 1)[1].strip().upper() for line in dump.splitlines()
               if line.strip().startswith("DLL Name:")}
    assert imports == {"KERNEL32.DLL", "USER32.DLL"}
    export_part = dump.split("[Ordinal/Name Pointer] Table\n", 1)[1].split("\n\n", 1)[0]
    names = {line.split("]", 1)[1].strip() for line in export_part.splitlines()}
    assert names == EXPORTS


def start_host(desktop, *args):
    log = desktop.dir / "hookhost.log"
    ready = desktop.dir / "hookhost.ready"
    for left in (log, ready):  # by a host started before
        left.unlink(missing_ok=True)
    proc = desktop.start(hook_host(desktop), "--ready", win_path(ready), "--log", win_path(log),
                         *args)
    wait_for(lambda: ready.exists() or proc.poll() is not None, timeout=30, what="hook host")
    return proc, log.read_text().splitlines() if log.exists() else []


def hook_host(desktop):
    """The hook host installed with a Kerrak beside it, as the package installs Ravak."""
    return desktop.install("RavakHookHost", E2E_BIN / "ravak-hookhost.exe", E2E_BIN / "Kerrak.dll")


def system_copy(desktop):
    return desktop.prefix / "drive_c" / "windows" / "system32" / "Kerrak.dll"


def per_user_copy(desktop):
    return (desktop.prefix / "drive_c" / "users" / "root" / "AppData" / "Local" / "Tirnak"
            / "Ravak" / "x64" / "Kerrak.dll")


def test_elevated_ravak_loads_only_the_copy_beside_it_and_writes_none(desktop):
    # Under Wine every program runs elevated. A copy in the per-user folder, which the user can
    # write, is never loaded, even one that claims to be Kerrak; an older copy in the System
    # folder is neither loaded nor replaced, and none is written there when it is missing.
    beside = "C:\\Program Files\\RavakHookHost\\Kerrak.dll"
    planted = per_user_copy(desktop)
    planted.parent.mkdir(parents=True)
    planted.write_bytes((E2E_BIN / "ravak-planted.dll").read_bytes())
    proc, lines = start_host(desktop)
    assert proc.poll() is None, lines
    assert lines[:2] == ["loaded " + beside, "hooked"]
    assert not system_copy(desktop).exists()
    assert not planted.with_name("Kerrak.dll.loaded").exists()
    proc.kill()
    proc.wait()

    older = KERRAK.read_bytes() + b"\0" * 16
    system_copy(desktop).write_bytes(older)
    proc, lines = start_host(desktop)
    assert lines[:2] == ["loaded " + beside, "hooked"]
    assert system_copy(desktop).read_bytes() == older


def test_without_its_shared_record_ravak_reports_it_and_loads_no_kerrak(desktop):
    # Another object holding the record's name (a mutex), or a record another program created
    # first with the default security, which any program could then steer: Ravak does not use
    # it, and without a record of its own it neither loads Kerrak nor hooks.
    for option in ("--take-record-name", "--squat-record"):
        proc, lines = start_host(desktop, option)
        assert proc.poll() is None, lines
        assert lines == ["error: Could not create file map object"], (option, lines)
        proc.kill()
        proc.wait()


def test_the_loaded_copy_can_be_neither_renamed_nor_replaced_while_ravak_runs(desktop):
    Ravak(desktop)
    loaded = "C:\\Program Files\\Ravak\\Kerrak.dll"
    moved = "C:\\Program Files\\Ravak\\Kerrak.old"
    probe = E2E_BIN / "ravak-probe.exe"
    assert desktop.run(probe, "file-move", loaded, moved, check=False).returncode != 0
    assert desktop.run(probe, "file-write", loaded, check=False).returncode != 0
    assert desktop.installed("Ravak", "Kerrak.dll").exists()

