"""Kerrak, the hook library: what it imports and exports, its size, and how Ravak deploys it."""
import struct
import subprocess

import pytest

from harness import BUILD, E2E_BIN, wait_for, win_path

KERRAK = BUILD / "hookdll" / "Kerrak.dll"
USER_COPY = r"C:\users\root\AppData\Local\Tirnak\Ravak\x64\Kerrak.dll"
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
    proc = desktop.start(E2E_BIN / "ravak-hookhost.exe", "--ready", win_path(ready), "--log",
                         win_path(log), *args)
    wait_for(lambda: ready.exists() or proc.poll() is not None, timeout=30, what="hook host")
    return proc, log.read_text().splitlines() if log.exists() else []


def test_carried_image_is_written_to_the_system_folder_byte_for_byte(desktop):
    target = desktop.prefix / "drive_c" / "windows" / "system32" / "Kerrak.dll"
    assert not target.exists()
    proc, lines = start_host(desktop)
    assert proc.poll() is None, lines
    assert target.read_bytes() == KERRAK.read_bytes()
    assert lines[:3] == [r"deployed C:\windows\system32\Kerrak.dll",
                         r"loaded C:\windows\system32\Kerrak.dll", "hooked"]


def test_existing_copy_is_left_alone_and_loaded_by_full_path(desktop):
    target = desktop.prefix / "drive_c" / "windows" / "system32" / "Kerrak.dll"
    target.write_bytes(KERRAK.read_bytes() + b"\0" * 16)  # an older build, say
    (desktop.dir / "Kerrak.dll").write_bytes(b"planted in the current folder")
    proc, lines = start_host(desktop)
    assert proc.poll() is None, lines
    assert target.read_bytes() == KERRAK.read_bytes() + b"\0" * 16
    assert lines[:2] == [r"loaded C:\windows\system32\Kerrak.dll", "hooked"]


def test_unwritable_system_folder_deploys_per_user_without_error(desktop):
    # A folder where the file would go makes the System folder copy impossible to write.
    blocker = desktop.prefix / "drive_c" / "windows" / "system32" / "Kerrak.dll"
    blocker.mkdir()
    proc, lines = start_host(desktop)
    assert proc.poll() is None, lines
    assert per_user_copy(desktop).read_bytes() == KERRAK.read_bytes()
    assert not any(line.startswith("error") for line in lines), lines
    assert lines[:3] == ["deployed " + USER_COPY, "loaded " + USER_COPY, "hooked"]


def per_user_copy(desktop):
    return (desktop.prefix / "drive_c" / "users" / "root" / "AppData" / "Local" / "Tirnak"
            / "Ravak" / "x64" / "Kerrak.dll")


def as_x86(image):
    """The image with the machine type of its PE file header changed to x86."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    return image[:pe + 4] + struct.pack("<H", 0x14C) + image[pe + 6:]


def test_copies_of_another_architecture_are_skipped_and_the_own_per_user_copy_replaced(desktop):
    system_copy = desktop.prefix / "drive_c" / "windows" / "system32" / "Kerrak.dll"
    foreign = as_x86(KERRAK.read_bytes())
    system_copy.write_bytes(foreign)  # never replaced, never loaded
    per_user_copy(desktop).parent.mkdir(parents=True)
    per_user_copy(desktop).write_bytes(foreign)
    proc, lines = start_host(desktop)
    assert proc.poll() is None, lines
    assert system_copy.read_bytes() == foreign
    assert per_user_copy(desktop).read_bytes() == KERRAK.read_bytes()
    assert lines[:3] == ["deployed " + USER_COPY, "loaded " + USER_COPY, "hooked"]


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
