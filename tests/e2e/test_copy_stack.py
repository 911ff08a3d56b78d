"""Advanced copy and paste: Ctrl+Alt+C pushes the selection, Ctrl+Alt+V pastes the newest item."""
from harness import Testpad, clipboard_text, reset_keys, wait_for
from ravak_app import GENERAL, Ravak


def start(desktop, active=True):
    desktop.reg("add", GENERAL, "/v", "chkActivePro.Checked", "/t", "REG_SZ", "/d",
                "True" if active else "False", "/f")
    return Ravak(desktop)


def select_line(desktop, pad, line):
    """Puts the caret on a line and selects it, as a user does with the keys."""
    reset_keys(desktop)
    pad.focus()
    desktop.key("ctrl+Home")
    for _ in range(line):
        desktop.key("Down")
    desktop.key("Home")
    desktop.key("shift+End")


def test_three_copies_paste_back_newest_first(desktop):
    start(desktop)
    pad = Testpad(desktop, text="one\r\ntwo\r\nthree\r\n")
    for line, word in enumerate(("one", "two", "three")):
        select_line(desktop, pad, line)
        wait_for(lambda: pad.state()[2] - pad.state()[1] == len(word), what=f"{word} selected")
        desktop.key("ctrl+alt+c")
        wait_for(lambda: any("0x43" in l for l in pad.key_log()[-6:]), what="the copy")
        # The copy has reached the clipboard: Ravak pushes it right after. A paste pressed while
        # the copy still runs is ignored by design, so the pastes below wait for this.
        wait_for(lambda: clipboard_text(desktop) == word, what=f"{word} on the clipboard")
    reset_keys(desktop)
    pad.focus()
    desktop.key("ctrl+End")
    for expected in ("three", "threetwo", "threetwoone"):
        desktop.key("ctrl+alt+v")
        pad.wait_text("one\r\ntwo\r\nthree\r\n" + expected)
        reset_keys(desktop)
    # The list is empty now: a fourth paste does nothing.
    keys = len(pad.key_log())
    desktop.key("ctrl+alt+v")
    wait_for(lambda: len(pad.key_log()) > keys, what="the keys")
    assert pad.text == "one\r\ntwo\r\nthree\r\nthreetwoone"


def test_master_switch_off_swallows_the_keys_and_does_nothing(desktop):
    app = start(desktop)
    app.menu("active")
    pad = Testpad(desktop, text="abc")
    pad.focus()
    desktop.key("shift+Home")
    desktop.key("ctrl+alt+c")
    desktop.key("End")
    desktop.key("ctrl+alt+v")
    desktop.type("x")
    pad.wait_text("abcx")
    assert not any(line.endswith(("0x43", "0x56")) and "down" in line for line in pad.key_log())


def test_feature_off_leaves_the_keys_to_the_application(desktop):
    start(desktop, active=False)
    pad = Testpad(desktop, text="abc")
    pad.focus()
    desktop.key("ctrl+alt+c")
    wait_for(lambda: any(line.startswith("keydown 0x43") for line in pad.key_log()),
             what="Ctrl+Alt+C to reach the edit")


def test_item_edited_in_place_is_pasted_as_edited(desktop):
    app = start(desktop)
    pad = Testpad(desktop, text="first")
    select_line(desktop, pad, 0)
    wait_for(lambda: pad.state()[2] == 5, what="the word selected")
    desktop.key("ctrl+alt+c")
    desktop.focus(app.open_settings())
    app.select_tab(1)
    x, y, w, h, _, _ = app.control("COPY_STACK_LIST")
    # Click the item to select it, then again to edit it in place.
    desktop.xdotool("mousemove", x + w // 2, y + 8)
    desktop.xdotool("click", 1)
    desktop.xdotool("click", 1)
    desktop.key("ctrl+a")
    desktop.type("edited")
    desktop.key("Return")
    app.screenshot("edited-item")
    app.click("OK_BUTTON")
    reset_keys(desktop)
    pad.focus()
    desktop.key("End")
    desktop.key("ctrl+alt+v")
    pad.wait_text("firstedited")
