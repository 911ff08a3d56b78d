"""Auto-correct in Ravak.exe: the list edited on its tab, kept in the registry, and used
everywhere on the desktop, Ravak's own settings window included."""
from harness import Testpad, reset_keys, wait_for
from ravak_app import AUTOCORRECT, Ravak
from test_autocorrect import focus


def type_into(app, control, text):
    app.click(control)
    app.desktop.type(text)


def test_tab_edits_survive_a_restart_and_replace_everywhere(desktop):
    app = Ravak(desktop)
    desktop.focus(app.open_settings())
    app.select_tab(2)
    type_into(app, "KEYWORD", "sig")
    type_into(app, "BEFORE_TEXT", "Best")
    wait_for(lambda: app.control("AUTOCORRECT_ADD")[5], what="Add to be enabled")
    app.click("AUTOCORRECT_ADD")
    type_into(app, "KEYWORD", "\b\b\bbrb")
    wait_for(lambda: app.text("KEYWORD") == "brb", what="the second keyword")
    app.click("AUTOCORRECT_ADD")
    # Select the first row, change its before text, store it; delete the second row.
    x, y, w, h, _, _ = app.control("AUTOCORRECT_LIST")
    desktop.xdotool("mousemove", x + w // 2, y + 30)
    desktop.xdotool("click", 1)
    wait_for(lambda: app.text("KEYWORD") == "sig", what="the first row's texts")
    type_into(app, "BEFORE_TEXT", " regards")
    app.click("AUTOCORRECT_SAVE")
    desktop.xdotool("mousemove", x + w // 2, y + 47)
    desktop.xdotool("click", 1)
    wait_for(lambda: app.text("KEYWORD") == "brb", what="the second row's texts")
    app.click("AUTOCORRECT_DELETE")
    app.click("AUTOCORRECT_ENABLED")
    app.screenshot("autocorrect-tab")
    app.click("OK_BUTTON")
    wait_for(lambda: desktop.reg_query(AUTOCORRECT, "lstSaveAC.Items_Count") == ("REG_DWORD", "0x3"),
             what="the list stored")
    assert desktop.reg_query(AUTOCORRECT, "chkACEN.Checked") == ("REG_SZ", "True")
    app.menu("exit")
    assert app.wait_exit() == 0

    Ravak(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type("sig")
    pad.wait_text("Best regards")
    reset_keys(desktop)
    desktop.type(" brb")
    pad.wait_text("Best regards brb")


def test_keys_typed_in_ravaks_own_window_are_reported(desktop):
    desktop.reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    desktop.reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d", "3", "/f")
    for i, text in enumerate(("!", "hello", "hlo")):
        desktop.reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d", text, "/f")
    app = Ravak(desktop)
    desktop.focus(app.open_settings())
    app.select_tab(2)
    type_into(app, "AFTER_TEXT", "say hlo")
    wait_for(lambda: app.text("AFTER_TEXT") == "say hello!", what="the replacement in Ravak's own edit")
