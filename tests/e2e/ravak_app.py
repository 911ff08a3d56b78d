"""Driving Ravak.exe as a user: the tray icon, its menu and the settings window."""
import time

import harness
from harness import DIST, E2E_BIN, wait_for, win_path

SETTINGS_TITLE = "Tirnak Ravak"
TRAY_TITLE = "Wine System Tray"
REG_KEY = r"HKCU\Software\Tirnak\Ravak"
GENERAL = REG_KEY + r"\General"
AUTOCORRECT = REG_KEY + r"\AutoCorrect"

# Control identifiers (app/resource.h).
IDC = {
    "btnOK": 1002, "btnApply": 1003, "btn1": 1004,
    "chkRavak": 1100, "hk1": 1103, "chkAutoChangeLng": 1105, "lblKey": 1108,
    "btnChangeKey": 1109, "chkShowTips": 1111, "chkSlowSystem": 1113,
    "chkActivePro": 1200, "lstPr": 1205, "btnPrAdd": 1206, "btnPrDel": 1207,
    "chkACEN": 1300, "edtKey": 1302, "edtPreStr": 1304, "edtPostStr": 1307, "chkRTL": 1308,
    "lvAC": 1309, "btnACAdd": 1310, "btnACSave": 1311, "btnACDelete": 1312,
}
# Items of the tray menu, top to bottom (separators not counted).
MENU = {"active": 0, "settings": 1, "next": 2, "previous": 3, "about": 4, "exit": 5}


class Ravak:
    def __init__(self, desktop, *args, wait_icon=True):
        self.desktop = desktop
        self.started = time.monotonic()
        self.proc = desktop.start(DIST / "Ravak.exe", *args)
        if wait_icon:
            self.wait_tray_icon()

    # --- tray ------------------------------------------------------------------------------
    def tray_visible(self):
        out = self.desktop.xdotool("search", "--onlyvisible", "--name", f"^{TRAY_TITLE}$")
        return out.stdout.split()

    def wait_tray_icon(self, timeout=30):
        return wait_for(self.tray_visible, timeout=timeout, what="the tray icon")

    def click_tray(self, button=3, double=False):
        tray = self.wait_tray_icon()[0]
        self.desktop.xdotool("mousemove", "--window", tray, 10, 10)
        self.desktop.xdotool("click", *(["--repeat", "2", "--delay", "80"] if double else []), button)

    def _probe(self, *args):
        out = self.desktop.dir / "probe.out"
        if out.exists():
            out.unlink()
        r = self.desktop.run(E2E_BIN / "ravak-probe.exe", *args, win_path(out), check=False)
        return out.read_bytes().decode("utf-8") if r.returncode == 0 and out.exists() else None

    def menu(self, item):
        """Opens the tray menu with a right click and chooses one of its items with the keys."""
        self.open_menu()
        for _ in range(MENU[item] + 1):
            self.desktop.xdotool("key", "Down")
        self.desktop.xdotool("key", "Return")
        wait_for(lambda: self._probe("menu-rect") is None, what="the menu to close")

    def open_menu(self):
        """Right-clicks the tray icon; returns the menu's (x, y, w, h). The pointer rests on the
        menu's edge so the keyboard reaches it and no item is picked by the pointer."""
        harness.reset_keys(self.desktop)
        self.desktop.focus_under_pointer()
        self.click_tray(3)
        rect = wait_for(lambda: self._probe("menu-rect"), what="the tray menu")
        x, y, w, h = map(int, rect.split())
        self.desktop.xdotool("mousemove", x + w // 2, y + 1)
        return x, y, w, h

    # --- settings window ---------------------------------------------------------------------
    def open_settings(self):
        self.menu("settings")
        return self.desktop.find_window(SETTINGS_TITLE)

    def settings_visible(self):
        out = self.desktop.xdotool("search", "--onlyvisible", "--name", f"^{SETTINGS_TITLE}$")
        return bool(out.stdout.split())

    def control(self, name, title=SETTINGS_TITLE):
        """(x, y, w, h, checked, enabled) of a visible control of the settings window."""
        raw = wait_for(lambda: self._probe("rect", title, str(IDC[name])), what=f"control {name}")
        x, y, w, h, checked, enabled = raw.split()
        return int(x), int(y), int(w), int(h), checked == "checked", enabled == "enabled"

    def text(self, name, title=SETTINGS_TITLE):
        return wait_for(lambda: self._probe("text", title, str(IDC[name])), what=f"text of {name}")

    def click(self, name, title=SETTINGS_TITLE):
        x, y, w, h, _, _ = self.control(name, title)
        window = self.desktop.find_window(title)
        self.desktop.xdotool("mousemove", x + min(w // 2, 8) if name.startswith("chk") else x + w // 2,
                             y + h // 2)
        # The window must be on the screen where Windows thinks it is before the click.
        wait_for(lambda: f"window:{int(window)}" in self.desktop.xdotool("getmouselocation").stdout,
                 what=f"the pointer over {title!r}")
        self.desktop.xdotool("click", 1)

    def checked(self, name):
        return self.control(name)[4]

    def set_checked(self, name, value):
        if self.checked(name) != value:
            self.click(name)
            wait_for(lambda: self.checked(name) == value, what=f"{name} to change")

    def select_tab(self, index):
        """Clicks a tab of the settings window (0 General ... 3 About)."""
        self.desktop.run(E2E_BIN / "ravak-probe.exe", "tab", SETTINGS_TITLE, str(index))

    def screenshot(self, name, title=SETTINGS_TITLE):
        """A screenshot once the window has painted itself."""
        self.desktop.run(E2E_BIN / "ravak-probe.exe", "refresh", title, check=False)
        return self.desktop.screenshot(name)

    # --- end -----------------------------------------------------------------------------------
    def wait_exit(self, timeout=20):
        wait_for(lambda: self.proc.poll() is not None, timeout=timeout, what="Ravak to exit")
        return self.proc.returncode
