"""The installer package under Wine: install for all users or for the current user, uninstall,
and the removal of the external user-interface uninstaller stub by Sorvel's custom actions.

Wine's msi ignores MSIINSTALLPERUSER (a default install becomes an all-users one) and does not
restore the install's scope at uninstall, so every msiexec call here names the scope.
"""
import subprocess
from pathlib import Path

import pytest

import harness

STUB = "RavakUninstall.exe"
INI = "RavakUninstall.ini"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
TIMEOUT = 60  # the scripts run on their own after msiexec has returned


def package():
    found = sorted(harness.DIST.glob("Ravak-*-x64.msi"))
    if not found:
        raise harness.E2EError(f"no Ravak-*-x64.msi in {harness.DIST} (build and install first)")
    return found[-1]


def msi_table(msi, table):
    """Rows of an msi table as dicts (msiinfo export: names, types, key, then the rows)."""
    out = subprocess.run(["msiinfo", "export", str(msi), table], capture_output=True, text=True,
                         check=True).stdout.replace("\r", "").splitlines()
    names = out[0].split("\t")
    return [dict(zip(names, line.split("\t"))) for line in out[3:] if line]


class Machine:
    """One desktop with the package: scopes, folders and the files Sorvel deals with."""

    def __init__(self, desktop):
        self.desktop = desktop
        # Wine's menu builder would copy the Start menu entry into the host's menus.
        desktop.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
        # One wine server for the whole test (the desktop ends it): msiexec, cmd and reg then
        # start in well under a second instead of bringing the prefix up each time. The first
        # program starts Wine's services, which live as long as the server: they must not hold
        # the output pipes of a later desktop.run().
        subprocess.run([harness.WINESERVER, "-p"], env=desktop.env, check=True, timeout=30)
        # Under Wine a program now and then exits 1 as it shuts down, its work done (seen with
        # cmd, msiexec and the probe): a command that can safely run again is given three tries.
        for attempt in range(3):
            started = subprocess.run([harness.WINE, "cmd", "/c", "exit"], env=desktop.env,
                                     cwd=desktop.dir, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     timeout=120)
            if started.returncode == 0:
                break
        else:
            raise harness.E2EError(f"wine cmd exited {started.returncode} three times")
        self.msi = package()
        properties = {row["Property"]: row["Value"] for row in msi_table(self.msi, "Property")}
        self.product_code = properties["ProductCode"]
        assert properties["QZ_EXTERNALUIUNINSTALLERNAME"] == STUB
        self.program = msi_table(self.msi, "File")[0]["FileName"].split("|")[-1]
        self._folders = {}

    def msiexec(self, action, all_users):
        """Installs (/i) or removes (/x). An msiexec that exits 1 as it shuts down (a Wine flake,
        as with cmd above) is run once more: installing an installed package changes nothing, and
        removing a removed one ends with 1605, the product unknown (69 once Wine cuts the code to
        eight bits), which then means the first run did the work."""
        scope = "ALLUSERS=1" if all_users else "ALLUSERS="
        args = ("msiexec", action, harness.win_path(self.msi), scope, "/qn")
        first = self.desktop.run(*args, timeout=120, check=False)
        if first.returncode == 0:
            return
        print(f"msiexec {action} exited {first.returncode} ({first.stderr[-300:]!r}); once more")
        again = self.desktop.run(*args, timeout=120, check=False)
        if again.returncode == 0 or (action == "/x" and again.returncode == 69):
            return
        raise harness.E2EError(f"msiexec {action} exited {first.returncode}, then {again.returncode}: "
                               f"{again.stderr[-300:]!r}")

    def folder(self, variable):
        """The Linux path of a Windows folder named by an environment variable (%TEMP%...)."""
        if not self._folders:
            names = ("TEMP", "LOCALAPPDATA", "APPDATA", "ProgramData", "ProgramFiles")
            out = self.desktop.run("cmd", "/c", "echo " + "^|".join(f"%{n}%" for n in names))
            values = out.stdout.decode().strip().split("|")
            self._folders = {n: self._unix_path(v) for n, v in zip(names, values)}
        return self._folders[variable]

    def _unix_path(self, windows_path):
        assert windows_path[1:3] == ":\\", windows_path
        path = self.desktop.prefix / "dosdevices" / windows_path[:2].lower()
        for part in windows_path[3:].split("\\"):
            # Windows names ignore case; use the entry as it is spelt on disk when it exists.
            entries = path.iterdir() if path.is_dir() else []
            same = [p for p in entries if p.name.lower() == part.lower()]
            path = same[0] if same else path / part
        return path

    def stub_folder(self, all_users):
        base = self.folder("ProgramData" if all_users else "LOCALAPPDATA")
        return base / "Malvorn" / "Pellory" / self.product_code

    def place_stub(self, all_users, *names):
        folder = self.stub_folder(all_users)
        folder.mkdir(parents=True)
        for name in names:
            (folder / name).write_bytes(b"MZ stub" if name.endswith(".exe") else b"[Stub]\r\n")
        return folder

    def program_file(self):
        return self.folder("ProgramFiles") / "Ravak" / self.program

    def shortcuts(self):
        menus = [self.folder(v) / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Ravak.lnk"
                 for v in ("APPDATA", "ProgramData")]
        return [m for m in menus if m.exists()]

    def run_value(self, all_users):
        return self.desktop.reg_query(("HKLM\\" if all_users else "HKCU\\") + RUN_KEY, "Ravak")

    def scripts(self):
        return sorted(p.name for p in self.folder("TEMP").glob("EXE*.tmp*"))


@pytest.fixture
def machine(desktop):
    return Machine(desktop)


def wait_gone(path, what):
    harness.wait_for(lambda: not path.exists(), timeout=TIMEOUT, interval=0.2, what=what)


def wait_scripts_done(machine):
    harness.wait_for(lambda: not machine.scripts(), timeout=TIMEOUT, interval=0.2,
                     what=f"the removal scripts to delete themselves (left: {machine.scripts()})")


@pytest.mark.parametrize("all_users", [True, False], ids=["all_users", "per_user"])
def test_installs_and_uninstalls_cleanly_removing_the_stub(machine, all_users):
    machine.msiexec("/i", all_users)
    program = machine.program_file()
    assert program.is_file()
    assert len(machine.shortcuts()) == 1
    expected = f'"C:\\Program Files\\Ravak\\{machine.program}"'
    assert machine.run_value(all_users) == ("REG_SZ", expected)
    assert machine.run_value(not all_users) is None

    folder = machine.place_stub(all_users, STUB, INI)
    machine.msiexec("/x", all_users)

    assert not program.exists()
    assert machine.shortcuts() == []
    assert machine.run_value(all_users) is None
    wait_gone(folder, f"the stub's folder {folder} to be removed")
    assert folder.parent.is_dir()  # only the product's own folder goes
    wait_scripts_done(machine)


def test_folder_holding_another_file_keeps_it(machine):
    machine.msiexec("/i", all_users=False)
    folder = machine.place_stub(False, STUB, INI, "notes.txt")
    machine.msiexec("/x", all_users=False)

    wait_gone(folder / STUB, "the stub to be deleted")
    wait_gone(folder / INI, "the stub's .ini to be deleted")
    wait_scripts_done(machine)
    assert sorted(p.name for p in folder.iterdir()) == ["notes.txt"]


def test_uninstall_without_a_stub_leaves_the_folders_alone(machine):
    machine.msiexec("/i", all_users=False)
    parent = machine.stub_folder(False).parent
    parent.mkdir(parents=True)
    (parent / "other").mkdir()
    machine.msiexec("/x", all_users=False)
    assert not machine.program_file().exists()
    assert machine.scripts() == []
    assert sorted(p.name for p in parent.iterdir()) == ["other"]
