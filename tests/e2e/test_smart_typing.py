"""The typing tab and the orthography hotkey, end to end: a program on the list is left alone
(nothing switched, nothing replaced) and its tray item ticks; an exception removed in the settings
window switches again; the orthography hotkey fixes a selection in Wine's notepad and text just
typed into a plain edit."""
import subprocess

from harness import Notepad, Testpad, clipboard_sequence, clipboard_text, reset_keys, set_clipboard, wait_for
from ravak_app import AUTOCORRECT, GENERAL, TABS, Ravak
from test_auto_detect import undo_a_switch
from test_autocorrect import focus

PAD = "ravak-testpad.exe"
MARK = "RavakSwitchMark"
FIX = "ctrl+alt+Scroll_Lock"


def start(desktop, detect=True, autocorrect=False):
    for name, on in (("chkRavak.Checked", True), ("chkAutoDetect.Checked", detect)):
        desktop.reg("add", GENERAL, "/v", name, "/t", "REG_SZ", "/d", str(on), "/f")
    if autocorrect:
        desktop.reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
        desktop.reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d", "3",
                    "/f")
        for i, text in enumerate(("", "with thanks", "tks")):
            desktop.reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d",
                        text, "/f")
    return Ravak(desktop)


def menu_picture(app, name):
    """A screenshot of the open tray menu alone; the menu is closed again."""
    x, y, w, h = app.open_menu()
    shot = app.desktop.screenshot(name)
    app.desktop.key("Escape")
    wait_for(lambda: app.desktop.probe("menu-rect") is None, what="the menu to close")
    crop = shot.with_name(f"{name}-menu.png")
    subprocess.run(["convert", str(shot), "-crop", f"{w}x{h}+{x}+{y}", "+repage", str(crop)],
                   check=True)
    return crop


def differing_pixels(a, b):
    out = subprocess.run(["compare", "-metric", "AE", str(a), str(b), "null:"],
                         capture_output=True, text=True)
    return int(float(out.stderr.split()[0]))


def test_a_listed_program_is_left_alone_and_its_tray_item_ticks(desktop):
    app = start(desktop, autocorrect=True)
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type("sghl tks ")
    pad.wait_text("سلام with thanks ")
    unticked = menu_picture(app, "unticked")

    app.menu("not_in_program")
    wait_for(lambda: desktop.reg_query(GENERAL, "lstExcludedPrograms.Items[0]") == ("REG_SZ", PAD),
             what="the testpad listed")
    ticked = menu_picture(app, "ticked")
    assert differing_pixels(unticked, ticked) > 0  # the same caption, now with its tick
    reset_keys(desktop)
    focus(desktop, pad)
    desktop.type("sghl tks ")
    pad.wait_text("سلام with thanks sghl tks ")

    # The ticked item takes the program off the list again.
    app.menu("not_in_program")
    wait_for(lambda: desktop.reg_query(GENERAL, "lstExcludedPrograms.Items_Count")
             == ("REG_DWORD", "0x0"), what="the testpad unlisted")
    assert differing_pixels(unticked, menu_picture(app, "unticked-again")) == 0
    reset_keys(desktop)
    focus(desktop, pad)
    desktop.type("sghl ")
    pad.wait_text("سلام with thanks sghl tks سلام ")


def test_an_exception_removed_in_the_settings_window_switches_again(desktop):
    app = start(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    undo_a_switch(desktop, pad)

    desktop.focus(app.open_settings())
    app.select_tab(TABS["typing"])
    x, y, w, h, _, _ = app.control("EXCEPTIONS_LIST")
    desktop.xdotool("mousemove", x + w // 2, y + 8)
    desktop.xdotool("click", 1)
    wait_for(lambda: app.control("EXCEPTION_REMOVE")[5], what="the exception selected")
    app.screenshot("exception-selected")
    app.click("EXCEPTION_REMOVE")
    wait_for(lambda: desktop.reg_query(GENERAL, "lstDetectExceptions.Items_Count")
             == ("REG_DWORD", "0x0"), what="the exception removed from the store")
    app.click("OK_BUTTON")
    wait_for(lambda: not app.settings_visible(), what="the window to close")

    reset_keys(desktop)
    focus(desktop, pad)
    desktop.type("sghl ")
    pad.wait_text("sghl سلام ")
    # The mark of the switch shows by the caret, and the keyboard stays with the pad.
    wait_for(lambda: desktop.win32_visible(MARK), timeout=1.5, interval=0.02, what="the mark")
    desktop.type("x")
    pad.wait_text("sghl سلام x")


def test_orthography_hotkey_fixes_a_selection_in_notepad(desktop):
    start(desktop, detect=False)
    notepad = Notepad(desktop)
    notepad.focus()
    set_clipboard(desktop, "کتاب ها را می خواهم")
    desktop.key("ctrl+v")
    notepad.wait_text("کتاب ها را می خواهم")
    set_clipboard(desktop, "mine")
    desktop.key("shift+Home")
    desktop.key(FIX)
    notepad.wait_text("کتاب\u200cها را می\u200cخواهم")
    wait_for(lambda: clipboard_text(desktop) == "mine", what="the user's clipboard back")
    # The fixed text stays selected: what is typed next replaces it.
    reset_keys(desktop)
    desktop.type("x")
    notepad.wait_text("x")


def test_orthography_hotkey_fixes_what_was_just_typed(desktop):
    start(desktop, detect=False)
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type(";jhf ih")
    pad.wait_text(";jhf ih")
    desktop.key("alt+a")
    pad.wait_text("کتاب ها")
    sequence = clipboard_sequence(desktop)
    desktop.key(FIX)
    pad.wait_text("کتاب\u200cها")
    assert clipboard_sequence(desktop) == sequence  # erased and typed again: no clipboard
    assert pad.state()[1:] == (7, 7)
