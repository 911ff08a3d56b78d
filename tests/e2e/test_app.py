"""Ravak.exe as a user meets it: tray icon, menu, settings window, registry, single instance."""
import pytest

import os
import shutil
import struct
import time

from harness import DIST, E2E_BIN, Testpad, reset_keys, wait_for, win_path
from ravak_app import AUTOCORRECT, ERROR_BOX, GENERAL, SPLASH, Ravak


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
    assert app.text("KEYBOARD_TYPE") == "کلید پیش فرض ویندوز"
    # The two layouts converted between: Wine's one layout, read from it, and Ravak's own
    # Persian table (Wine has none).
    assert app.text("KEYBOARD_PAIR") == "تبدیل میان US\u200e و Persian\u200e"
    for tab in (1, 2, 3, 4):
        app.select_tab(tab)
        app.screenshot(f"settings-tab{tab}")
    app.select_tab(0)


def test_conversion_follows_its_tick_and_the_master_switch(desktop):
    app = Ravak(desktop)
    app.open_settings()
    app.set_checked("CONVERSION_ENABLED", True)
    app.click("OK_BUTTON")
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
    box = desktop.find_win32("#32770|Ravak")
    desktop.screenshot("already-running")
    desktop.focus(box)
    desktop.key("Return")
    assert second.wait_exit() == 0
    assert first.proc.poll() is None
    third = Ravak(desktop, "again", wait_icon=False)
    # A full second copy: two running programs, both past their start.
    wait_for(lambda: len(running_copies(desktop)) == 2 and min(running_copies(desktop)) > 8 * 1024,
             what="a second full copy")
    assert third.proc.poll() is None and first.proc.poll() is None
    assert not desktop.win32_visible("#32770|Ravak")


def test_exit_from_menu_saves_general_and_removes_icon(desktop):
    app = Ravak(desktop)
    app.open_settings()
    app.set_checked("SLOW_SYSTEM", True)  # changed, never applied
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
    app.error_box()
    desktop.screenshot("bad-boolean")
    app.dismiss_error_box()
    app.wait_tray_icon()
    app.open_settings()
    assert app.checked("CONVERSION_ENABLED") and app.checked("SLOW_SYSTEM")
    assert not app.checked("SAYING_AT_START")
    assert app.text("KEYBOARD_TYPE") == "کلید پیش فرض ویندوز"
    # Cancel loads the stored settings again, and reports the bad value again.
    app.click("CANCEL_BUTTON")
    wait_for(lambda: not app.settings_visible(), what="Cancel to hide the window")
    app.dismiss_error_box()
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


def dependent_load_flags(image):
    """The DependentLoadFlags of a PE image's load configuration (0 without one)."""
    data = image.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    plus = struct.unpack_from("<H", data, pe + 24)[0] == 0x20B
    rva, size = struct.unpack_from("<II", data, pe + 24 + (112 if plus else 96) + 8 * 10)
    if size == 0:
        return 0
    for i in range(sections):
        vsize, vaddr, _, raw = struct.unpack_from("<IIII", data, pe + 24 + optional_size + 40 * i + 8)
        if vaddr <= rva < vaddr + vsize:
            return struct.unpack_from("<H", data, raw + rva - vaddr + (78 if plus else 54))[0]
    return 0


def test_libraries_come_from_system32_not_from_the_programs_folder(desktop):
    # Ravak started from a download folder, with its Kerrak beside it: elevated (under Wine every
    # program is), it loads no Kerrak from a folder the user can write, and says so.
    downloads = desktop.dir / "Downloads"
    downloads.mkdir()
    for name in ("Ravak.exe", "Kerrak.dll"):
        shutil.copy(DIST / name, downloads)
    refused = Ravak(desktop, exe=downloads / "Ravak.exe", wait_icon=False)
    desktop.find_win32("#32770|Ravak")
    assert "elevated" in wait_for(lambda: desktop.probe("text", "#32770|Ravak", "65535"),
                                  what="the error's text")
    refused.proc.kill()  # it cannot start without a Kerrak
    refused.proc.wait()
    # Installed, with a gdiplus.dll and a shcore.dll someone left in its folder.
    exe = desktop.install("Ravak", DIST / "Ravak.exe", DIST / "Kerrak.dll")
    folder = desktop.installed("Ravak", "Ravak.exe").parent
    for name in ("gdiplus.dll", "shcore.dll"):
        shutil.copy(E2E_BIN / "ravak-planted.dll", folder / name)
    app = Ravak(desktop, exe=exe)
    app.menu("next")  # a saying: its card is drawn with GDI+
    wait_for(lambda: desktop.win32_visible("RavakTip"), what="the saying's card")
    app.open_settings()  # laid out for the monitor's DPI (shcore.dll)
    assert sorted(p.name for p in folder.glob("*.loaded")) == []
    # The libraries the system loads with the program come from System32 too (Windows 10 and
    # later read this; Wine does not).
    assert dependent_load_flags(DIST / "Ravak.exe") == 0x800  # LOAD_LIBRARY_SEARCH_SYSTEM32


def test_stored_values_past_the_limits_are_reported_and_left_unread(desktop):
    huge = "x" * 40000  # 80 KB stored
    lines = ["after", huge, "btw"]
    reg = "\r\n".join(["Windows Registry Editor Version 5.00", "",
                        "[HKEY_CURRENT_USER\\Software\\Tirnak\\Ravak\\General]",
                        f'"chkSlowSystem.Checked"="{huge}"', '"chkRavak.Checked"="True"', "",
                        "[HKEY_CURRENT_USER\\Software\\Tirnak\\Ravak\\AutoCorrect]",
                        '"lstSaveAC.Items_Count"=dword:00000003',
                        *[f'"lstSaveAC.Items[{i}]"="{t}"' for i, t in enumerate(lines)], ""])
    (desktop.dir / "huge.reg").write_bytes(b"\xff\xfe" + reg.encode("utf-16-le"))
    desktop.reg("import", win_path(desktop.dir / "huge.reg"))
    app = Ravak(desktop, wait_icon=False)
    texts = []
    for _ in range(2):  # one box for each value
        app.error_box()
        texts.append(wait_for(lambda: desktop.probe("text", ERROR_BOX, "65535"),
                              what="the error box's text"))
        app.dismiss_error_box()
    assert texts == ["The stored value 'chkSlowSystem.Checked' is longer than 64 KiB and was not read.",
                     "The stored value 'lstSaveAC.Items[1]' is longer than 64 KiB and was not read."]
    app.wait_tray_icon()
    app.open_settings()
    assert app.checked("CONVERSION_ENABLED")  # the rest was read


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


def running_copies(desktop):
    """Resident sets (KiB) of the Ravak.exe processes running in the desktop's prefix (other
    tests run their own beside it)."""
    sizes = []
    prefix = b"WINEPREFIX=" + str(desktop.prefix).encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if b"Ravak.exe" not in open(f"/proc/{pid}/cmdline", "rb").read().split(b"\0")[0]:
                continue
            if prefix not in open(f"/proc/{pid}/environ", "rb").read().split(b"\0"):
                continue
            for line in open(f"/proc/{pid}/status"):
                if line.startswith("VmRSS:"):
                    sizes.append(int(line.split()[1]))
        except OSError:
            continue
    return sizes


def memory_kib(exe_name):
    """(resident set, private memory) in KiB of the Wine process running exe_name (the largest
    if several). Private memory is Private_Clean + Private_Dirty of smaps_rollup: what the
    process alone costs, without the shared Wine libraries that the resident set counts."""
    best = (0, 0)
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if exe_name.encode() not in open(f"/proc/{pid}/cmdline", "rb").read():
                continue
            fields = {}
            for line in open(f"/proc/{pid}/smaps_rollup"):
                parts = line.split()
                if len(parts) >= 2 and parts[1].isdigit():
                    fields[parts[0].rstrip(":")] = int(parts[1])
            best = max(best, (fields.get("Rss", 0),
                              fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0)))
        except OSError:
            continue
    return best


def idle_memory_kib(exe_names, idle_s=10, readings=3):
    """{exe: (resident, private)}: medians of several readings taken after every program has
    been idle for idle_s seconds (a measurement protocol, not a wait for a condition)."""
    time.sleep(idle_s)
    samples = {name: [] for name in exe_names}
    for _ in range(readings):
        for name in exe_names:
            samples[name].append(memory_kib(name))
        time.sleep(1)
    median = lambda values: sorted(values)[len(values) // 2]
    return {name: (median([r for r, _ in s]), median([p for _, p in s])) for name, s in samples.items()}


@pytest.mark.bench
def test_bench_start_up_and_memory(desktop):
    """Start-up to tray icon, and memory against a minimal Win32 program."""
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
    memory = idle_memory_kib(["Ravak.exe", "ravak-minimal.exe"])
    (ravak_rss, ravak_private), (minimal_rss, minimal_private) = memory["Ravak.exe"], memory["ravak-minimal.exe"]
    print(f"\nstart-up to tray icon: {cold * 1000:.0f} ms in a fresh prefix, "
          f"{warm * 1000:.0f} ms once Wine runs")
    print(f"private memory: Ravak {ravak_private} KiB, minimal program {minimal_private} KiB, "
          f"difference {(ravak_private - minimal_private) / 1024:.2f} MiB")
    print(f"resident set: Ravak {ravak_rss} KiB, minimal program {minimal_rss} KiB, "
          f"difference {(ravak_rss - minimal_rss) / 1024:.2f} MiB")
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
    app.click("OK_BUTTON")
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
    splash = desktop.find_win32(SPLASH)
    assert "500x184" in desktop.xdotool("getwindowgeometry", splash).stdout
    desktop.screenshot("about-splash")
    # A second request while it shows does nothing; it goes by itself after about 6.5 s.
    app.menu("about")
    assert desktop.find_win32(SPLASH) == splash
    wait_for(lambda: not desktop.win32_visible(SPLASH), timeout=20, what="the splash to close")


def test_hotkey_edit_refuses_a_key_without_modifier(desktop):
    app = Ravak(desktop)
    desktop.focus(app.open_settings())
    app.click("CONVERSION_HOTKEY")
    desktop.key("b")  # no modifier: the edit puts in Alt
    app.screenshot("hotkey-edit")
    app.click("OK_BUTTON")
    wait_for(lambda: desktop.reg_query(GENERAL, "hk1.HotKey") == ("REG_DWORD", "0x8042"),
             what="Alt+B stored")
