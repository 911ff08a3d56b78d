"""Driving Ravak.exe as a user: the tray icon, its menu and the settings window."""
import re
import time

import harness
from harness import DIST, E2E_BIN, REPO, wait_for, win_path

# Ravak's windows, by class: the settings window and the error box share the title "Tirnak Ravak".
SETTINGS = "RavakSettings"
ERROR_BOX = "#32770|Tirnak Ravak"
SPLASH = "RavakSplash"
KEYBOARD_TYPE = "RavakKeyboardType"
TRAY_TITLE = "Wine System Tray"
REG_KEY = r"HKCU\Software\Tirnak\Ravak"
GENERAL = REG_KEY + r"\General"
AUTOCORRECT = REG_KEY + r"\AutoCorrect"

def _control_ids():
    """The controls' identifiers, read from app/resource.h: {"CONVERSION_ENABLED": 1100, ...}."""
    ids = {}
    for line in (REPO / "app" / "resource.h").read_text().splitlines():
        m = re.match(r"#define IDC_(\w+) (\d+)", line)
        if m:
            ids[m[1]] = int(m[2])
    return ids


IDC = _control_ids()
CHECK_BOXES = {"CONVERSION_ENABLED", "SWITCH_LANGUAGE", "SAYING_AT_START", "SLOW_SYSTEM",
               "COPY_STACK_ENABLED", "AUTOCORRECT_ENABLED", "RIGHT_TO_LEFT", "SKIP_FULL_SCREEN",
               "SWITCH_MARK", "FIX_NON_JOINERS"}

# Items of the tray menu, top to bottom (separators not counted).
MENU = {"active": 0, "auto_detect": 1, "not_in_program": 2, "settings": 3, "next": 4,
        "previous": 5, "about": 6, "exit": 7}
# The settings window's tabs, right to left.
TABS = {"general": 0, "copy_stack": 1, "autocorrect": 2, "typing": 3, "about": 4}


class Ravak:
    def __init__(self, desktop, *args, wait_icon=True, exe=None):
        """Ravak, by default as installed (C:\\Program Files\\Ravak, with its Kerrak beside it)."""
        self.desktop = desktop
        if exe is None:
            exe = desktop.install("Ravak", DIST / "Ravak.exe", DIST / "Kerrak.dll")
        self.started = time.monotonic()
        with harness.step("ravak start"):
            self.proc = desktop.start(exe, *args)
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
        return self.desktop.probe(*args)

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
        return self.desktop.find_win32(SETTINGS)

    def settings_visible(self):
        return self.desktop.win32_visible(SETTINGS)

    def control(self, name, window=SETTINGS):
        """(x, y, w, h, checked, enabled) of a visible control of the settings window."""
        raw = wait_for(lambda: self._probe("rect", window, str(IDC[name])), what=f"control {name}")
        x, y, w, h, checked, enabled = raw.split()
        return int(x), int(y), int(w), int(h), checked == "checked", enabled == "enabled"

    def text(self, name, window=SETTINGS):
        return wait_for(lambda: self._probe("text", window, str(IDC[name])), what=f"text of {name}")

    def hotkey(self, name, window=SETTINGS):
        """The combination a hotkey edit holds, as HKM_GETHOTKEY gives it (modifiers << 8 | key)."""
        return int(wait_for(lambda: self._probe("hotkey", window, str(IDC[name])),
                            what=f"the combination of {name}"))

    def click(self, name, window=SETTINGS):
        x, y, w, h, _, _ = self.control(name, window)
        window = self.desktop.find_win32(window)
        self.desktop.xdotool("mousemove", x + min(w // 2, 8) if name in CHECK_BOXES else x + w // 2,
                             y + h // 2)
        # The window must be on the screen where Windows thinks it is before the click.
        wait_for(lambda: f"window:{int(window)}" in self.desktop.xdotool("getmouselocation").stdout,
                 what=f"the pointer over {name}")
        self.desktop.xdotool("click", 1)

    def checked(self, name):
        return self.control(name)[4]

    def set_checked(self, name, value):
        if self.checked(name) != value:
            self.click(name)
            wait_for(lambda: self.checked(name) == value, what=f"{name} to change")

    def select_tab(self, index):
        """Clicks a tab of the settings window (0 General ... 4 About, see TABS)."""
        self.desktop.probe_command("tab", SETTINGS, str(index))

    def error_box(self, timeout=20):
        """The X window of the error box ("Tirnak Ravak", not the settings window)."""
        return self.desktop.find_win32(ERROR_BOX, timeout=timeout)

    def dismiss_error_box(self):
        box = self.error_box()
        self.desktop.focus(box)
        self.desktop.key("Return")
        wait_for(lambda: not self.desktop.win32_visible(ERROR_BOX), what="the error box to close")

    def screenshot(self, name, window=SETTINGS):
        """A screenshot once the window has painted itself."""
        self.desktop.run(E2E_BIN / "ravak-probe.exe", "refresh", window, check=False)
        return self.desktop.screenshot(name)

    # --- end -----------------------------------------------------------------------------------
    def wait_exit(self, timeout=20):
        wait_for(lambda: self.proc.poll() is not None, timeout=timeout, what="Ravak to exit")
        return self.proc.returncode
