"""Ravak acts on the keys in the order they were typed: a key typed after a keyword's last one
never reaches a slow application before the replacement; keys that type no text end a word; a
password field is never retyped; a program that does not cut keeps its line; and Backspace undoes
a switch only when it comes right after it."""
from harness import Testpad, reset_keys, wait_for
from ravak_app import GENERAL
from test_autocorrect import focus
from test_keep_typing import KEYWORD, REPLACEMENT, alt_a_then_type, start


def pad_for(desktop, **options):
    pad = Testpad(desktop, **options)
    focus(desktop, pad)
    return pad


def test_keys_typed_past_a_keyword_wait_for_its_replacement_in_a_slow_application(desktop):
    """The pad takes 60 ms over each key; the user types at 30 ms a key."""
    start(desktop)
    pad = pad_for(desktop, slow_keys_ms=60)
    desktop.type(f" {KEYWORD} next", delay_ms=30)
    pad.wait_text(f" {REPLACEMENT} next", timeout=20)


def test_a_shortcut_ends_the_word_so_its_letter_completes_no_keyword(desktop):
    start(desktop, keyword="tks", replacement="thanks")
    pad = pad_for(desktop)
    desktop.type("x tk")
    desktop.key("ctrl+s")
    desktop.type(" ok")
    pad.wait_text("x tk ok")
    desktop.type(" tks")
    pad.wait_text("x tk ok thanks")


def test_a_keyword_typed_into_a_password_field_stays_as_typed(desktop):
    start(desktop)
    pad = pad_for(desktop, password=True)
    desktop.type(f"{KEYWORD} {KEYWORD}x")
    pad.wait_text(f"{KEYWORD} {KEYWORD}x")


def test_a_program_that_does_not_cut_keeps_its_line_and_the_keys_typed_on(desktop):
    """A field of the program's own class, whose text Ravak can only take through the clipboard
    (the caret key ends what Ravak saw typed)."""
    start(desktop)
    pad = pad_for(desktop, no_cut=True, custom_class=True)
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.key("End")
    alt_a_then_type(desktop, 40, " hi")
    pad.wait_text("sghl hi")


def test_backspace_undoes_a_switch_only_right_after_it(desktop):
    desktop.reg("add", GENERAL, "/v", "chkAutoDetect.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    start(desktop)
    pad = pad_for(desktop)
    desktop.type("keep sghl ")
    pad.wait_text("keep سلام ")
    desktop.key("Home")
    desktop.key("BackSpace")
    desktop.type("x")
    pad.wait_text("xkeep سلام ")
    reset_keys(desktop)
    desktop.key("End")
    desktop.type("sghl ")
    pad.wait_text("xkeep سلام سلام ")
    desktop.key("BackSpace")
    pad.wait_text("xkeep سلام sghl ")
    assert wait_for(lambda: desktop.reg_query(GENERAL, "lstDetectExceptions.Items_Count")
                    == ("REG_DWORD", "0x1"), what="the exception stored")
