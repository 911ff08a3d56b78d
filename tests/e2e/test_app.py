"""Ravak.exe as a user meets it: tray icon, menu, settings window, registry, single instance."""
import pytest

import os
import time

from harness import DIST, E2E_BIN, Testpad, reset_keys, wait_for
from ravak_app import AUTOCORRECT, GENERAL, Ravak


def test_tray_menu_and_settings_window_in_persian(desktop):
    app = Ravak(desktop)
    desktop.screenshot("tray")
    app.open_menu()
    desktop.screenshot("menu")
    desktop.key("Escape")
    window = app.open_settings()
    wait_for(app.settings_visible, what="the settings window")
    geometry = desktop.xdotool("getwindowgeometry", window).stdout
    assert "810x440" in geometry or "Geometry" in geometry
    app.screenshot("settings-general")
    assert app.text("lblKey") == "کلید پیش فرض ویندوز"
    for tab in (1, 2, 3):
        app.select_tab(tab)
        app.screenshot(f"settings-tab{tab}")
    app.select_tab(0)


def test_conversion_follows_its_tick_and_the_master_switch(desktop):
    app = Ravak(desktop)
    app.open_settings()
    app.set_checked("chkRavak", True)
    app.click("btnOK")
    wait_for(lambda: not app.settings_visible(), what="OK to hide the window")
    assert desktop.reg_query(GENERAL, "chkRavak.Checked") == ("REG_SZ", "True")
    assert desktop.reg_query(GENERAL, "hk1.HotKey") == ("REG_DWORD", "0x8041")
    assert desktop.reg_query(AUTOCORRECT, "chkACEN.Checked") == ("REG_SZ", "False")

    pad = Testpad(desktop)
    pad.focus()
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.key("alt+a")
    pad.wait_text("سلام")

    # Master switch off: Alt+A is still Ravak's, and does nothing.
    app.menu("active")
    reset_keys(desktop)
    pad.focus()
    desktop.type(" sghl")
    pad.wait_text("سلام sghl")
    keys_before = len(pad.key_log())
    desktop.key("alt+a")
    wait_for(lambda: len(pad.key_log()) > keys_before, what="the keys to arrive")
    assert not any(line.startswith("keydown 0x41") or line.startswith("syskeydown 0x41")
                   for line in pad.key_log()[keys_before:])
    assert pad.text == "سلام sghl"


def test_conversion_off_leaves_alt_a_to_other_programs(desktop):
    Ravak(desktop)
    pad = Testpad(desktop)
    pad.focus()
    keys_before = len(pad.key_log())
    desktop.key("alt+a")
    wait_for(lambda: any("0x41" in line for line in pad.key_log()[keys_before:]),
             what="Alt+A to reach the edit")


def test_second_instance_gives_way_unless_given_an_argument(desktop):
    first = Ravak(desktop)
    second = Ravak(desktop, wait_icon=False)
    box = desktop.find_window("Ravak")
    desktop.screenshot("already-running")
    desktop.focus(box)
    desktop.key("Return")
    assert second.wait_exit() == 0
    assert first.proc.poll() is None
    third = Ravak(desktop, "again", wait_icon=False)
    # A full second copy: two running programs, both past their start.
    wait_for(lambda: len(running_copies()) == 2 and min(running_copies()) > 8 * 1024,
             what="a second full copy")
    assert third.proc.poll() is None and first.proc.poll() is None
    assert not desktop.xdotool("search", "--onlyvisible", "--name", "^Ravak$").stdout.strip()


def test_exit_from_menu_saves_general_and_removes_icon(desktop):
    app = Ravak(desktop)
    app.open_settings()
    app.set_checked("chkSlowSystem", True)  # changed, never applied
    app.menu("exit")
    assert app.wait_exit() == 0
    assert desktop.reg_query(GENERAL, "chkSlowSystem.Checked") == ("REG_SZ", "True")
    assert desktop.reg_query(GENERAL, "dxmdt1.Tag") == ("REG_DWORD", "0x0")
    assert desktop.reg_query(AUTOCORRECT, "chkACEN.Checked") is None
    wait_for(lambda: not app.tray_visible(), what="the tray icon to go")


def test_preseeded_registry_loads_with_bad_values_reported(desktop):
    desktop.reg("add", GENERAL, "/v", "hk1.HotKey", "/t", "REG_SZ", "/d", "49238", "/f")
    desktop.reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "true", "/f")
    desktop.reg("add", GENERAL, "/v", "chkShowTips.Checked", "/t", "REG_SZ", "/d", "1", "/f")
    desktop.reg("add", GENERAL, "/v", "chkSlowSystem.Checked", "/t", "REG_SZ", "/d", "TRUE", "/f")
    desktop.reg("add", GENERAL, "/v", "lblKey.Tag", "/t", "REG_DWORD", "/d", "2", "/f")
    app = Ravak(desktop, wait_icon=False)
    box = desktop.find_window("Tirnak Ravak")
    desktop.screenshot("bad-boolean")
    desktop.focus(box)
    desktop.key("Return")
    app.wait_tray_icon()
    app.open_settings()
    assert app.checked("chkRavak") and app.checked("chkSlowSystem")
    assert not app.checked("chkShowTips")
    assert app.text("lblKey") == "کلید پیش فرض ویندوز"
    # Cancel loads the stored settings again, and reports the bad value again.
    app.click("btn1")
    wait_for(lambda: not app.settings_visible(), what="Cancel to hide the window")
    box = desktop.find_window("Tirnak Ravak")
    desktop.focus(box)
    desktop.key("Return")
    wait_for(lambda: not desktop.xdotool("search", "--onlyvisible", "--name", "^Tirnak Ravak$").stdout.strip(),
             what="the error box to close")
    # The conversion combination came from the text value: Ctrl+Alt+V converts.
    pad = Testpad(desktop)
    pad.focus()
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.key("ctrl+alt+v")
    pad.wait_text("سلام")
    app.menu("exit")
    assert app.wait_exit() == 0
    assert desktop.reg_query(GENERAL, "hk1.HotKey") == ("REG_SZ", "49238")
    assert desktop.reg_query(GENERAL, "lblKey.Tag") == ("REG_DWORD", "0x1")


def test_program_is_small():
    assert (DIST / "Ravak.exe").stat().st_size < 1024 * 1024


def resident_kib(exe_name):
    """Resident set of the Wine process running exe_name (largest, if several)."""
    best = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            cmdline = open(f"/proc/{pid}/cmdline", "rb").read()
            if exe_name.encode() not in cmdline:
                continue
            for line in open(f"/proc/{pid}/status"):
                if line.startswith("VmRSS:"):
                    best = max(best, int(line.split()[1]))
        except OSError:
            continue
    return best


def running_copies():
    """Resident sets (KiB) of the running Ravak.exe processes."""
    sizes = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if b"Ravak.exe" not in open(f"/proc/{pid}/cmdline", "rb").read().split(b"\0")[0]:
                continue
            for line in open(f"/proc/{pid}/status"):
                if line.startswith("VmRSS:"):
                    sizes.append(int(line.split()[1]))
        except OSError:
            continue
    return sizes


def settled_resident_kib(exe_name):
    """The resident set once it has stopped growing (two readings 0.25 s apart agree)."""
    last = [resident_kib(exe_name)]

    def steady():
        now = resident_kib(exe_name)
        same = abs(now - last[0]) < 64
        last[0] = now
        return same and now
    return wait_for(steady, timeout=20, interval=0.25, what="memory to settle")


@pytest.mark.bench
def test_bench_start_up_and_memory(desktop):
    """Start-up to tray icon, and resident memory against a minimal Win32 program."""
    started = time.monotonic()
    app = Ravak(desktop)
    cold = time.monotonic() - started
    app.menu("exit")
    app.wait_exit()
    wait_for(lambda: not app.tray_visible(), what="the icon to go")
    started = time.monotonic()
    app = Ravak(desktop)
    warm = time.monotonic() - started
    desktop.start(E2E_BIN / "ravak-minimal.exe")
    wait_for(lambda: resident_kib("ravak-minimal.exe") > 1024, what="the minimal program")
    minimal_kib = settled_resident_kib("ravak-minimal.exe")
    ravak_kib = settled_resident_kib("Ravak.exe")
    print(f"\nstart-up to tray icon: {cold * 1000:.0f} ms in a fresh prefix, "
          f"{warm * 1000:.0f} ms once Wine runs")
    print(f"resident set: Ravak {ravak_kib} KiB, minimal program {minimal_kib} KiB, "
          f"difference {(ravak_kib - minimal_kib) / 1024:.2f} MiB")
    print(f"Ravak.exe: {(DIST / 'Ravak.exe').stat().st_size / 1024:.0f} KiB")


def test_daily_saying_at_start_and_position_from_the_menu(desktop):
    desktop.reg("add", GENERAL, "/v", "chkShowTips.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    desktop.reg("add", GENERAL, "/v", "dxmdt1.Tag", "/t", "REG_DWORD", "/d", "5", "/f")
    app = Ravak(desktop)
    tip = desktop.find_window("Ravak Tip")
    wait_for(lambda: "724,580" in desktop.xdotool("getwindowgeometry", desktop.find_window("Ravak Tip")).stdout,
             what="the card to rest at the bottom right")
    desktop.screenshot("saying-at-start")
    assert tip
    app.menu("next")
    app.menu("next")
    app.menu("previous")
    app.open_settings()
    app.click("btnOK")
    # One step at start, two forward, one back.
    wait_for(lambda: desktop.reg_query(GENERAL, "dxmdt1.Tag") == ("REG_DWORD", "0x7"),
             what="the position stored at OK")
    app.menu("next")
    app.menu("exit")
    assert app.wait_exit() == 0
    assert desktop.reg_query(GENERAL, "dxmdt1.Tag") == ("REG_DWORD", "0x8")


def test_about_splash_fades_in_and_closes_by_itself(desktop):
    app = Ravak(desktop)
    app.menu("about")
    splash = desktop.find_window("Ravak")
    assert "500x184" in desktop.xdotool("getwindowgeometry", splash).stdout
    desktop.screenshot("about-splash")
    # A second request while it shows does nothing; it goes by itself after about 6.5 s.
    app.menu("about")
    assert len(desktop.xdotool("search", "--onlyvisible", "--name", "^Ravak$").stdout.split()) == 1
    wait_for(lambda: not desktop.xdotool("search", "--onlyvisible", "--name", "^Ravak$").stdout.strip(),
             timeout=20, what="the splash to close")


def test_hotkey_edit_refuses_a_key_without_modifier(desktop):
    app = Ravak(desktop)
    desktop.focus(app.open_settings())
    app.click("hk1")
    desktop.key("b")  # no modifier: the edit puts in Alt
    app.screenshot("hotkey-edit")
    app.click("btnOK")
    wait_for(lambda: desktop.reg_query(GENERAL, "hk1.HotKey") == ("REG_DWORD", "0x8042"),
             what="Alt+B stored")
