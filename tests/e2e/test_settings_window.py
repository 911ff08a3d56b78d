"""The settings window keeps what the user typed or stored: hotkey edits across refreshes, Enter
and Esc, the keyword box, the direction tick, a damaged stored list and odd stored shortcuts. It
fits a small screen at a high DPI, and its logo drags it."""
import subprocess

from harness import Testpad, set_clipboard, wait_for
from ravak_app import AUTOCORRECT, GENERAL, KEYBOARD_TYPE, SETTINGS, Ravak
from test_dpi import layout, set_dpi


def open_autocorrect_tab(app):
    app.desktop.focus(app.open_settings())
    app.select_tab(2)
    app.control("KEYWORD")  # the page is up


def type_into(app, control, text, expected):
    app.click(control)
    app.desktop.type(text)
    wait_for(lambda: app.text(control) == expected, what=f"{control} to read {expected!r}")


def test_typed_shortcut_survives_the_keyboard_type_dialog(desktop):
    app = Ravak(desktop)
    desktop.focus(app.open_settings())
    app.click("CONVERSION_HOTKEY")
    desktop.key("alt+b")
    alt_b = (4 << 8) | ord("B")  # HOTKEYF_ALT
    wait_for(lambda: app.hotkey("CONVERSION_HOTKEY") == alt_b, what="the edit to hold Alt+B")
    app.click("CHANGE_KEYBOARD_TYPE")
    app.click("DEFAULT_KEYBOARD", window=KEYBOARD_TYPE)
    wait_for(lambda: not desktop.win32_visible(KEYBOARD_TYPE), what="the dialog to close")
    assert app.hotkey("CONVERSION_HOTKEY") == alt_b
    app.click("OK_BUTTON")
    wait_for(lambda: desktop.reg_query(GENERAL, "hk1.HotKey") == ("REG_DWORD", "0x8042"),
             what="Alt+B stored")


def test_enter_adds_the_entry_and_neither_enter_nor_esc_closes_the_window(desktop):
    app = Ravak(desktop)
    open_autocorrect_tab(app)
    type_into(app, "KEYWORD", "sig", "sig")
    type_into(app, "BEFORE_TEXT", "Best", "Best")
    desktop.key("Return")
    desktop.key("Escape")
    # Keys typed after Enter and Esc arrive in the same edit: the window stayed and kept them.
    desktop.type("!")
    wait_for(lambda: app.text("BEFORE_TEXT") == "Best!", what="typing to go on after Enter and Esc")
    assert app.settings_visible()
    app.click("OK_BUTTON")
    wait_for(lambda: desktop.reg_query(AUTOCORRECT, "lstSaveAC.Items_Count") == ("REG_DWORD", "0x3"),
             what="the entry added by Enter stored")
    assert desktop.reg_query(AUTOCORRECT, "lstSaveAC.Items[2]") == ("REG_SZ", "sig")
    assert desktop.reg_query(AUTOCORRECT, "lstSaveAC.Items[1]") == ("REG_SZ", "Best")


def test_keyword_box_shows_only_what_is_typed_into_it(desktop):
    app = Ravak(desktop)
    open_autocorrect_tab(app)
    set_clipboard(desktop, "pasted")
    type_into(app, "KEYWORD", "sig", "sig")
    desktop.key("shift+Insert")
    desktop.type("n")
    wait_for(lambda: app.text("KEYWORD") == "sign", what="the keyword as typed (now "
             f"{app.text('KEYWORD')!r})")


def ink_left_and_right(desktop, app, control, name):
    """Where the text of an edit is drawn: the first and last inked column, as fractions of
    the edit's width."""
    x, y, w, h, _, _ = app.control(control)
    shot = app.screenshot(name)
    out = subprocess.run(
        ["convert", str(shot), "-crop", f"{w - 8}x{h - 6}+{x + 4}+{y + 3}", "+repage",
         "-colorspace", "gray", "-threshold", "60%", "-negate", "-trim", "-format", "%X %w",
         "info:"], capture_output=True, text=True, check=True).stdout.split()
    left, width = int(out[0]), int(out[1])
    return left / (w - 8), (left + width) / (w - 8)


def test_direction_tick_visibly_turns_both_text_edits(desktop):
    app = Ravak(desktop)
    open_autocorrect_tab(app)
    type_into(app, "BEFORE_TEXT", "abc", "abc")
    type_into(app, "AFTER_TEXT", "xyz", "xyz")
    app.click("KEYWORD")  # no caret in the edits measured
    for control in ("BEFORE_TEXT", "AFTER_TEXT"):
        left, right = ink_left_and_right(desktop, app, control, f"ltr-{control}")
        assert right < 0.5, (control, left, right)  # left to right: the text starts at the left
    app.click("RIGHT_TO_LEFT")
    wait_for(lambda: app.checked("RIGHT_TO_LEFT"), what="the tick")
    for control in ("BEFORE_TEXT", "AFTER_TEXT"):
        left, right = ink_left_and_right(desktop, app, control, f"rtl-{control}")
        assert left > 0.5, (control, left, right)  # right to left: the text ends at the right
    assert app.text("BEFORE_TEXT") == "abc" and app.text("AFTER_TEXT") == "xyz"
    # The edits still work after the change: typing goes on where it was.
    type_into(app, "BEFORE_TEXT", "d", "abcd")
    app.click("RIGHT_TO_LEFT")
    wait_for(lambda: not app.checked("RIGHT_TO_LEFT"), what="the tick to clear")
    app.click("KEYWORD")
    left, right = ink_left_and_right(desktop, app, "BEFORE_TEXT", "ltr-again")
    assert right < 0.5, (left, right)


def test_damaged_stored_line_loses_nothing_readable(desktop):
    texts = ["after1", "before1", "k1", None, "before2", "k2"]
    desktop.reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d", "6", "/f")
    for i, text in enumerate(texts):
        value = ["/t", "REG_SZ", "/d", text] if text else ["/t", "REG_DWORD", "/d", "7"]
        desktop.reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", *value, "/f")
    app = Ravak(desktop, wait_icon=False)
    app.dismiss_error_box()  # the damaged line is reported
    app.wait_tray_icon()
    desktop.focus(app.open_settings())
    app.set_checked("SLOW_SYSTEM", True)  # an OK made for a General setting
    app.click("OK_BUTTON")
    wait_for(lambda: desktop.reg_query(GENERAL, "chkSlowSystem.Checked") == ("REG_SZ", "True"),
             what="the settings stored")
    assert desktop.reg_query(AUTOCORRECT, "lstSaveAC.Items_Count") == ("REG_DWORD", "0x6")
    for i, text in enumerate(texts):
        if text:
            assert desktop.reg_query(AUTOCORRECT, f"lstSaveAC.Items[{i}]") == ("REG_SZ", text)


def test_stored_shortcut_goes_through_the_edit_rules(desktop):
    # Key code bits above the low byte and no modifier: the edit makes that Alt+A.
    desktop.reg("add", GENERAL, "/v", "hk1.HotKey", "/t", "REG_DWORD", "/d", str(0x1F41), "/f")
    desktop.reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    Ravak(desktop)
    pad = Testpad(desktop)
    pad.focus()
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.key("alt+a")
    pad.wait_text("سلام")


def test_at_144_dpi_on_a_1024x768_screen_the_window_fits_and_its_logo_drags_it(desktop):
    set_dpi(desktop, 144)
    app = Ravak(desktop)
    app.open_settings()
    app.select_tab(2)
    app.screenshot("settings-144-on-1024x768")
    # Drawn as at 117 DPI, the highest density at which the whole window fits (its texts are
    # measured in the fonts of that density).
    settings = layout(desktop, SETTINGS, dpi=117)
    assert 0 <= settings.x and settings.x + settings.width <= 1024, vars(settings)
    assert 0 <= settings.y and settings.y + settings.height <= 768, vars(settings)
    assert settings.width > 1000
    assert settings.problems() == []

    # A press on the logo moves the window with the pointer.
    x, y, w, h, _, _ = app.control("LOGO")
    window = desktop.find_win32(SETTINGS)
    desktop.xdotool("mousemove", x + w // 2, y + h // 2)
    wait_for(lambda: f"window:{int(window)}" in desktop.xdotool("getmouselocation").stdout,
             what="the pointer over the logo")
    desktop.xdotool("mousedown", 1)
    for step in range(1, 6):
        desktop.xdotool("mousemove", x + w // 2 - 8 * step, y + h // 2 + 6 * step)
    desktop.xdotool("mouseup", 1)
    wait_for(lambda: app.control("LOGO")[:2] == (x - 40, y + 30),
             what=f"the window dragged (logo now at {app.control('LOGO')[:2]}, was {(x, y)})")

    # The keyboard-type dialog's heading is bold (seen in the screenshot).
    app.select_tab(0)
    app.click("CHANGE_KEYBOARD_TYPE")
    dialog = desktop.find_win32(KEYBOARD_TYPE)
    app.screenshot("keyboard-type-heading", window=KEYBOARD_TYPE)
    desktop.focus(dialog)
    desktop.key("Escape")
    wait_for(lambda: not desktop.win32_visible(KEYBOARD_TYPE), what="the dialog to close")
