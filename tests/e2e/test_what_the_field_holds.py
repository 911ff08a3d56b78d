"""Ravak erases only what the user just typed, as the field holds it: a field that refused keys, a
program typing Unicode text between the user's keys, a clipboard another program holds, a hotkey
held down, a caret at a line's start, keys that belong to another window, a word processor's
formatting."""
import re

from harness import E2E_BIN, Testpad, reset_keys, wait_for, win_path
from ravak_app import ERROR_BOX
from test_autocorrect import focus
from test_keep_typing import KEYWORD, REPLACEMENT, start


def pad_for(desktop, **options):
    pad = Testpad(desktop, **options)
    focus(desktop, pad)
    return pad


def test_a_conversion_erases_nothing_the_field_does_not_hold(desktop):
    start(desktop)
    # A field that takes five characters holds "abc s" of what was typed: Alt+A converts what it
    # holds, the clipboard's way, rather than erasing the four characters typed last.
    short = pad_for(desktop, title="Ravak Testpad Short", limit=5)
    desktop.type("abc sghl")
    short.wait_text("abc s")
    desktop.key("alt+a")
    short.wait_text("شذز س")
    # A field that takes digits only kept "12" of "12 sghl": nothing of it is erased.
    digits = pad_for(desktop, title="Ravak Testpad Digits", digits=True)
    desktop.type("12 sghl")
    digits.wait_text("12")
    keys = len(digits.key_log())
    desktop.key("alt+a")
    # The line is cut and pasted back, the clipboard's way; nothing is erased by Backspace.
    wait_for(lambda: any("0x56" in line for line in digits.key_log()[keys:]),
             what="the line pasted back")
    digits.wait_text("12")
    assert not any(line.startswith("keydown 0x08") for line in digits.key_log()[keys:])


def test_text_another_program_typed_between_the_keys_survives(desktop):
    start(desktop)
    pad = pad_for(desktop)
    desktop.key("Return")
    desktop.type("ab")
    pad.wait_text("\r\nab")
    # An on-screen keyboard types a word as Unicode input, then the user goes on.
    desktop.run(E2E_BIN / "ravak-probe.exe", "type-unicode", "سلام")
    pad.wait_text("\r\nabسلام")
    desktop.type(" sghl")
    pad.wait_text("\r\nabسلام sghl")
    desktop.key("alt+a")
    pad.wait_text("\r\nabسلام سلام")


def test_an_error_box_left_open_stops_no_later_keyword(desktop):
    start(desktop)
    pad = pad_for(desktop, text="sghl")
    desktop.key("shift+Home")
    wait_for(lambda: pad.state()[1:] == (0, 4), what="the word selected")
    ready = desktop.dir / "hold.ready"
    desktop.start(E2E_BIN / "ravak-probe.exe", "clip-hold", "2000", win_path(ready))
    wait_for(ready.exists, what="the clipboard holder")
    desktop.key("alt+Scroll_Lock")  # the selection's conversion cannot open the clipboard
    app_box = desktop.find_win32(ERROR_BOX)
    assert "clipboard" in wait_for(lambda: desktop.probe("text", ERROR_BOX, "65535"),
                                   what="the error's text")
    # The box stays open; the user clicks back into the field and types on.
    desktop.xdotool("mousemove", "--window", pad.window, 200, 40, "click", "1")
    reset_keys(desktop)
    focus(desktop, pad)
    desktop.key("End")
    desktop.type(f" {KEYWORD} ")
    pad.wait_text(f"sghl {REPLACEMENT} ")
    assert desktop.win32_visible(ERROR_BOX)
    desktop.focus(app_box)
    desktop.key("Return")


def test_alt_a_held_down_converts_once_and_a_line_start_keeps_the_caret(desktop):
    start(desktop)
    pad = pad_for(desktop)
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.xdotool("keydown", "alt", "keydown", "a", "sleep", "1.5", "keyup", "a", "keyup", "alt")
    pad.wait_text("سلام")
    reset_keys(desktop)
    # A field whose selection cannot be read, the caret at its line's start after Home: nothing
    # is cut, and the caret stays where it was.
    other = pad_for(desktop, title="Ravak Testpad B", custom_class=True)
    desktop.type("sghl")
    other.wait_text("sghl")
    desktop.key("Home")
    wait_for(lambda: other.state()[1:] == (0, 0), what="the caret at the line's start")
    keys = len(other.key_log())
    desktop.key("alt+a")
    wait_for(lambda: any("0x58" in line for line in other.key_log()[keys:]),
             what="the line's cut, the clipboard's way")
    wait_for(lambda: len(other.key_log()) > keys + 8, what="the conversion's keys")
    reset_keys(desktop)
    desktop.type("x")
    other.wait_text("xsghl")
    assert pad.text == "سلام"


def test_a_keyword_begun_in_one_window_does_not_fire_in_another(desktop):
    start(desktop)
    second = Testpad(desktop, title="Ravak Testpad B")
    first = pad_for(desktop, title="Ravak Testpad A")
    desktop.type(" zz")
    first.wait_text(" zz")
    # The other window takes the keyboard by itself: no click, no key.
    focus(desktop, second)
    desktop.type("1 ")
    second.wait_text("1 ")
    assert first.text == " zz"
    desktop.type(f"{KEYWORD} ")
    second.wait_text(f"1 {REPLACEMENT} ")


def test_a_word_processor_keeps_the_runs_own_format(desktop):
    """Wine's WordPad: a bold Persian word, then " sghl" typed in plain, then Alt+A. Only the
    run's letters are retyped, so the space and the converted word stay plain; the document saved
    as RTF shows it."""
    start(desktop)
    wordpad = desktop.start("C:\\Program Files\\Windows NT\\Accessories\\wordpad.exe")
    desktop.focus(desktop.find_win32("WORDPADTOP"))
    desktop.key("ctrl+b")
    desktop.type("سلام")
    desktop.key("ctrl+b")
    desktop.type(" sghl")
    desktop.key("alt+a")
    # Ctrl+S comes after the conversion (Ravak holds the keys while it types), then the file's
    # name goes into the save dialog.
    desktop.key("ctrl+s")
    desktop.focus(desktop.find_win32("#32770"))
    saved = desktop.dir / "wordpad.rtf"
    desktop.type(win_path(saved), delay_ms=20)
    desktop.key("Return")
    word = "\\u1587?\\u1604?\\u1575?\\u1605?"
    text = wait_for(lambda: saved.exists() and saved.read_bytes().decode("latin-1").endswith("}\0")
                    and saved.read_bytes().decode("latin-1"), timeout=20, what="the document saved")
    assert wordpad.poll() is None
    # The bold word (its control words, then their closing space), bold off, the space, the
    # converted word in plain.
    word = re.escape(word)
    assert re.search(rf"\\b(\\[a-z]+\d*)* {word}\\b0  {word}\\par", text), text
