"""Ravak edits by typing: what was typed is erased with Backspace and the other layout's text typed
in its place, so a rich editor keeps its formatting, a console is served, and the clipboard is
left alone; text Ravak never saw typed is converted through the clipboard as before."""
from harness import Consolepad, Testpad, clipboard_sequence, clipboard_text, set_clipboard, wait_for
from ravak_app import GENERAL
from test_autocorrect import focus
from test_keep_typing import KEYWORD, REPLACEMENT, alt_a_then_type, start


def test_a_rich_edit_keeps_its_bold_word_and_the_clipboard_is_left_alone(desktop):
    start(desktop)
    pad = Testpad(desktop, text="سلام ", rich=True)
    focus(desktop, pad)
    sequence = clipboard_sequence(desktop)
    desktop.type("sghl")
    pad.wait_text("سلام sghl")
    alt_a_then_type(desktop, 40, f" {KEYWORD}")
    pad.wait_text(f"سلام سلام {REPLACEMENT}")
    assert "\\b" in pad.rtf(), pad.rtf()  # the first word is still bold
    assert clipboard_sequence(desktop) == sequence


def test_a_console_converts_and_expands_a_keyword(desktop):
    start(desktop)
    console = Consolepad(desktop)
    console.focus()
    desktop.type("sghl")
    alt_a_then_type(desktop, 40, f" {KEYWORD}!")
    desktop.key("Return")
    console.wait_line(f"سلام {REPLACEMENT}!")


def test_every_edit_of_typed_text_leaves_the_clipboard_alone(desktop):
    desktop.reg("add", GENERAL, "/v", "chkAutoDetect.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    start(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    set_clipboard(desktop, "mine")
    sequence = clipboard_sequence(desktop)
    desktop.type("sghl o,fd ")  # switched as each word ends
    pad.wait_text("سلام خوبی ")
    desktop.type(f"{KEYWORD} ")  # a keyword
    pad.wait_text(f"سلام خوبی {REPLACEMENT} ")
    desktop.type("hello")
    desktop.key("alt+Pause")  # the last word
    pad.wait_text(f"سلام خوبی {REPLACEMENT} اثممخ")
    desktop.key("alt+a")  # and the line's run back
    pad.wait_text(f"سلام خوبی {REPLACEMENT} hello")
    assert clipboard_sequence(desktop) == sequence
    assert clipboard_text(desktop) == "mine"


def test_text_not_seen_typed_is_converted_through_the_clipboard(desktop):
    """The pad's edit is of a class of its own: its text cannot be read from outside, and after
    a click the record knows nothing of it."""
    start(desktop)
    pad = Testpad(desktop, custom_class=True)
    focus(desktop, pad)
    set_clipboard(desktop, "mine")
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.xdotool("mousemove", "--window", pad.window, 200, 20, "click", "1")
    desktop.key("End")
    alt_a_then_type(desktop, 40, " ok")
    pad.wait_text("سلام ok")
    assert wait_for(lambda: clipboard_text(desktop) == "mine", what="the user's clipboard back")
