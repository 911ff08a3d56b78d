"""The installer package under Wine: install for all users or for the current user, uninstall
(the running Ravak asked to exit, the user's Kerrak copy and the external user-interface
uninstaller stub removed by Sorvel, in its own process), upgrade, and the packages' tables.

Wine's msi ignores MSIINSTALLPERUSER (a default install becomes an all-users one) and does not
restore the install's scope at uninstall, so every msiexec call here names the scope.
"""
import re
import subprocess

import pytest

import harness
from ravak_app import GENERAL, Ravak

STUB = "RavakUninstall.exe"
INI = "RavakUninstall.ini"
RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
MARK_KEY = r"Software\Tirnak\Ravak"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


def package(dist=harness.DIST, arch="x64"):
    found = sorted(dist.glob(f"Ravak-*-{arch}.msi"))
    if not found:
        raise harness.E2EError(f"no Ravak-*-{arch}.msi in {dist} (build and install first)")
    return found[-1]


def properties(msi):
    return {row["Property"]: row["Value"] for row in msi_table(msi, "Property")}


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
        self.msi = package()
        self.product_code = properties(self.msi)["ProductCode"]
        assert properties(self.msi)["QZ_EXTERNALUIUNINSTALLERNAME"] == STUB
        self._folders = {}

    def refused(self, all_users):
        """Installs, expecting a launch condition to refuse it (Wine logs no message for it in
        a quiet install); the installer's log."""
        log = self.desktop.dir / "refused.log"
        log.unlink(missing_ok=True)
        done = self.desktop.run("msiexec", "/i", harness.win_path(self.msi),
                                "ALLUSERS=1" if all_users else "ALLUSERS=", "/qn", "/l*v",
                                harness.win_path(log), timeout=120, check=False)
        assert done.returncode == 1603 % 256, done.returncode  # Wine keeps eight bits
        raw = log.read_bytes()  # Wine writes it in the ANSI code page, Windows in UTF-16
        text = raw.decode("utf-16" if raw.startswith(b"\xff\xfe") else "utf-8", errors="replace")
        assert re.search(r"LaunchConditions\. Return value [03]\.", text), text[-2000:]
        return text

    def msiexec(self, action, all_users, msi=None):
        """Installs (/i) or removes (/x). An msiexec that exits 1 as it shuts down (a Wine flake,
        as with cmd above) is run once more: installing an installed package changes nothing, and
        removing a removed one ends with 1605, the product unknown (69 once Wine cuts the code to
        eight bits), which then means the first run did the work."""
        scope = "ALLUSERS=1" if all_users else "ALLUSERS="
        args = ("msiexec", action, harness.win_path(msi or self.msi), scope, "/qn")
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

    def program_file(self, name="Ravak.exe"):
        return self.folder("ProgramFiles") / "Ravak" / name

    def kerrak_copy(self):
        return self.folder("LOCALAPPDATA") / "Tirnak" / "Ravak" / "x64" / "Kerrak.dll"

    def shortcuts(self):
        menus = [self.folder(v) / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Ravak.lnk"
                 for v in ("APPDATA", "ProgramData")]
        return [m for m in menus if m.exists()]

    def run_value(self, all_users):
        return self.desktop.reg_query(("HKLM\\" if all_users else "HKCU\\") + RUN_KEY, "Ravak")

    def mark(self, all_users):
        return self.desktop.reg_query(("HKLM\\" if all_users else "HKCU\\") + MARK_KEY,
                                      "Installed")

    def batch_files(self):
        """Every batch script on drive C:."""
        drive = self.desktop.prefix / "drive_c"
        return {p for p in drive.rglob("*") if p.suffix.lower() in (".bat", ".cmd")}


@pytest.fixture
def machine(desktop):
    return Machine(desktop)


@pytest.mark.parametrize("all_users", [True, False], ids=["all_users", "per_user"])
def test_uninstall_stops_ravak_and_removes_its_files_in_process(machine, all_users):
    machine.msiexec("/i", all_users)
    program = machine.program_file()
    assert program.is_file() and machine.program_file("Kerrak.dll").is_file()
    assert len(machine.shortcuts()) == 1
    assert machine.run_value(all_users) == ("REG_SZ", '"C:\\Program Files\\Ravak\\Ravak.exe"')
    assert machine.run_value(not all_users) is None
    assert machine.mark(all_users) == ("REG_SZ", "x64")

    # The user's own copy of Kerrak, as a Ravak run without elevation leaves it, and Ravak
    # running from the installed program.
    machine.kerrak_copy().parent.mkdir(parents=True)
    machine.kerrak_copy().write_bytes(machine.program_file("Kerrak.dll").read_bytes())
    app = Ravak(machine.desktop, exe=program)
    folder = machine.place_stub(all_users, STUB, INI)
    scripts_before = machine.batch_files()
    machine.msiexec("/x", all_users)

    # Ravak was asked to exit as its Exit does (its settings stored), before its files went.
    assert app.wait_exit() == 0
    assert machine.desktop.reg_query(GENERAL, "chkSlowSystem.Checked") is not None
    assert not program.exists() and not program.parent.exists()
    assert machine.shortcuts() == []
    assert machine.run_value(all_users) is None and machine.mark(all_users) is None
    assert not folder.exists()
    assert folder.parent.is_dir()  # only the product's own folder goes
    assert not (machine.folder("LOCALAPPDATA") / "Tirnak").exists()
    # Removed by the action itself: no script was written anywhere, none left running.
    assert machine.batch_files() - scripts_before == set()


def test_a_stub_folder_holding_another_file_keeps_it(machine):
    machine.msiexec("/i", all_users=False)
    folder = machine.place_stub(False, STUB, INI, "notes.txt")
    machine.msiexec("/x", all_users=False)
    assert sorted(p.name for p in folder.iterdir()) == ["notes.txt"]


def test_uninstall_follows_no_planted_link(machine):
    # A link for a folder of the stub's path, and a stub that is a link to another file: what
    # they lead to stays untouched.
    machine.msiexec("/i", all_users=False)
    elsewhere = machine.desktop.dir / "elsewhere"
    (elsewhere / machine.product_code).mkdir(parents=True)
    for name in (STUB, INI):
        (elsewhere / machine.product_code / name).write_text("keep")
    pellory = machine.stub_folder(False).parent
    pellory.parent.mkdir(parents=True)
    pellory.symlink_to(elsewhere, target_is_directory=True)
    machine.msiexec("/x", all_users=False)
    assert sorted(p.name for p in (elsewhere / machine.product_code).iterdir()) == sorted([STUB, INI])

    machine.msiexec("/i", all_users=False)
    pellory.unlink()
    victim = machine.desktop.dir / "victim.txt"
    victim.write_text("keep")
    machine.stub_folder(False).mkdir(parents=True)
    (machine.stub_folder(False) / STUB).symlink_to(victim)
    machine.msiexec("/x", all_users=False)
    assert victim.read_text() == "keep"


def test_scopes_and_architectures_do_not_mix(machine):
    # Each install marks its scope and architecture (see the first test); another version of
    # Ravak installed in the other scope, or the other architecture's, refuses the install.
    conditions = {r["Description"]: r["Condition"] for r in msi_table(machine.msi, "LaunchCondition")}
    for mark, data, all_users, message in (
            ("HKLM", "x64", False, "Ravak is installed for all users of this computer. Remove it "
                                   "before installing it for your account alone."),
            ("HKCU", "x64", True, "Ravak is installed for your account alone. Remove it before "
                                  "installing it for all users."),
            ("HKCU", "x86", False, "The 32-bit (x86) Ravak is installed. Remove it before "
                                   "installing the 64-bit one.")):
        assert message in conditions
        machine.desktop.reg("add", f"{mark}\\{MARK_KEY}", "/v", "Installed", "/d", data, "/f")
        machine.refused(all_users)
        machine.desktop.reg("delete", f"{mark}\\{MARK_KEY}", "/v", "Installed", "/f")
    assert not machine.program_file().exists()
    machine.msiexec("/i", all_users=False)  # with no other install, it installs


def next_version_package(current):
    """The package of this tree built as the next version (in a build folder of its own,
    kept for the next run): its path and its Ravak.exe."""
    major, minor, patch = map(int, current.split("."))
    version = f"{major}.{minor}.{patch + 1}"
    build = harness.BUILD.with_name(harness.BUILD.name + "-next")
    subprocess.run(["cmake", "-S", harness.REPO, "-B", build, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=MinSizeRel", f"-DRAVAK_VERSION={version}",
                    f"-DCMAKE_TOOLCHAIN_FILE={harness.REPO / 'cmake' / 'mingw-x86_64.cmake'}"],
                   check=True, capture_output=True)
    subprocess.run(["nice", "cmake", "--build", build, "--target", "ravak_msi"], check=True,
                   capture_output=True, timeout=3600)
    return build / "setupaction" / f"Ravak-{version}-x64.msi", build / "app" / "Ravak.exe"


def test_upgrade_replaces_every_file_and_leaves_one_product(machine):
    current = properties(machine.msi)["ProductVersion"]
    next_msi, next_program = next_version_package(current)
    next_code = properties(next_msi)["ProductCode"]
    machine.msiexec("/i", all_users=True)
    machine.msiexec("/i", all_users=True, msi=next_msi)
    assert machine.program_file().read_bytes() == next_program.read_bytes()
    registered = machine.desktop.reg("query", UNINSTALL_KEY).stdout.decode(errors="replace")
    assert machine.product_code not in registered and next_code in registered


def test_packages_upgrade_in_place_and_the_architectures_are_two_products():
    # What Wine's installer does not show: Windows Installer keeps a file on disk whose
    # version is not lower than the package's, and a file without one in the File table is
    # never newer. The old product goes first, inside the installation, and every file has
    # the project's version; the x64 and x86 packages are two products.
    upgrade_codes = []
    for dist, arch in ((harness.DIST, "x64"), (harness.DIST.with_name("win32"), "x86")):
        msi = package(dist, arch)
        version = properties(msi)["ProductVersion"] + ".0"
        sequence = {r["Action"]: int(r["Sequence"]) for r in msi_table(msi, "InstallExecuteSequence")}
        assert sequence["InstallInitialize"] < sequence["RemoveExistingProducts"] < sequence["InstallFinalize"]
        assert {r["FileName"]: r["Version"] for r in msi_table(msi, "File")} == \
            {"Ravak.exe": version, "Kerrak.dll": version}
        upgrade_codes.append(properties(msi)["UpgradeCode"])
    assert upgrade_codes[0] != upgrade_codes[1]
