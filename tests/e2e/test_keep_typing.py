"""Typing on while Ravak works, as a user does: keys typed during a conversion or an auto-correct
replacement land after it, in the order typed, with no modifier left down; a slow application is
waited for; and all of it in Wine's own notepad too."""
import pytest

from harness import Notepad, Testpad, clipboard_text, set_clipboard, wait_for
from ravak_app import AUTOCORRECT, GENERAL, Ravak
from test_autocorrect import focus

KEYWORD, REPLACEMENT = "zz1", "with love"


def start(desktop, slow=False, keyword=KEYWORD, replacement=REPLACEMENT):
    """Ravak with the conversion on and one auto-correct entry, as a user leaves it. On a system
    marked slow its sequences keep long pauses, and keys typed meanwhile must wait for them."""
    reg = desktop.reg
    reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    reg("add", GENERAL, "/v", "chkSlowSystem.Checked", "/t", "REG_SZ", "/d", str(slow), "/f")
    reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    items = ["", replacement, keyword]  # after text, before text, keyword
    reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d",
        str(len(items)), "/f")
    for i, text in enumerate(items):
        reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d", text, "/f")
    return Ravak(desktop)


def alt_a_then_type(desktop, gap_ms, text, delay_ms=40):
    """Alt+A, and gap_ms later the user types on, in one go: no modifier reset in between."""
    desktop.xdotool("keydown", "alt", "key", "a", "keyup", "alt", "sleep", f"{gap_ms / 1000:.3f}",
                    "type", "--delay", str(delay_ms), text)


@pytest.mark.parametrize("gap_ms, slow", [(30, False), (150, False), (400, False), (30, True)],
                         ids=["30ms", "150ms", "400ms", "30ms-slow-system"])
def test_typing_on_right_after_alt_a_follows_the_converted_line(desktop, gap_ms, slow):
    start(desktop, slow)
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type("sghl")
    pad.wait_text("sghl")
    alt_a_then_type(desktop, gap_ms, " hi there")
    pad.wait_text("سلام hi there")
    # Nothing of Ravak's stays pressed: the next keys are plain letters too.
    desktop.type(" ok")
    pad.wait_text("سلام hi there ok")


@pytest.mark.parametrize("slow", [False, True], ids=["", "slow-system"])
def test_keyword_followed_at_once_by_more_text(desktop, slow):
    start(desktop, slow)
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type(f"a {KEYWORD} next", delay_ms=30)
    pad.wait_text(f"a {REPLACEMENT} next")


def test_slow_application_gets_its_line_and_the_user_the_clipboard(desktop):
    """An application that takes 400 ms over each Ctrl chord."""
    start(desktop)
    pad = Testpad(desktop, slow_chords_ms=400)
    focus(desktop, pad)
    set_clipboard(desktop, "mine")
    desktop.type("sghl")
    pad.wait_text("sghl")
    alt_a_then_type(desktop, 30, " x")
    pad.wait_text("سلام x")
    assert wait_for(lambda: clipboard_text(desktop) == "mine", what="the user's clipboard back")


def test_conversion_and_auto_correct_in_notepad(desktop):
    start(desktop)
    notepad = Notepad(desktop)
    notepad.focus()
    set_clipboard(desktop, "mine")
    desktop.type("sghl")
    notepad.wait_text("sghl")
    alt_a_then_type(desktop, 40, f" {KEYWORD} and more")
    notepad.wait_text(f"سلام {REPLACEMENT} and more")
    assert wait_for(lambda: clipboard_text(desktop) == "mine", what="the user's clipboard back")


@pytest.mark.bench
def test_bench_latency_from_the_hotkey_to_the_text(desktop):
    """Hotkey to converted text, and last key of a keyword to its 20-character replacement, as the
    application sees them: the conversion from the record of what was typed, and through the
    clipboard (in a field whose text cannot be read, the record ended by a caret key); then the
    clipboard's conversion with the pauses of a system marked slow."""
    def conversions(pad, runs=10, unseen=False):
        times = []
        for _ in range(runs):
            seen = len(pad.timeline())
            desktop.type("sghl ")
            wait_for(lambda: pad.text.endswith("sghl "), what="the typed word")
            if unseen:
                desktop.key("End")  # the record no longer holds the word
            # Alt and A together: the hotkey is pressed with A, which the application never
            # sees, so its Alt stands for it (xdotool would otherwise wait 6 ms between them).
            desktop.xdotool("key", "--clearmodifiers", "--delay", "0", "alt+a")
            wait_for(lambda: pad.text.endswith("سلام "), what="the conversion")
            events = pad.timeline()[seen:]
            # The hotkey's own Alt: Ravak may press it again afterwards for a user who still
            # holds it.
            pressed = [ms for ms, kind, what in events if kind == "key" and what.startswith("syskeydown 0x12")][0]
            done = next(ms for ms, kind, what in events if kind == "text" and what.endswith("سلام ") and ms > pressed)
            times.append(done - pressed)
            desktop.key("Return")
        return sorted(times)

    def replacements(pad, runs=10):
        times = []
        for _ in range(runs):
            seen = len(pad.timeline())
            desktop.type(f" {KEYWORD}")
            wait_for(lambda: pad.text.endswith(" " + REPLACEMENT20), what="the replacement")
            events = pad.timeline()[seen:]
            last_key = [ms for ms, kind, what in events if kind == "key" and what.startswith("keydown 0x31")][-1]
            done = next(ms for ms, kind, what in events if kind == "text" and what.endswith(REPLACEMENT20))
            times.append(done - last_key)
            desktop.key("Return")
        return sorted(times)

    def report(name, times):
        print(f"\n{name} over {len(times)} runs: min {times[0]:.1f} ms, median {times[len(times) // 2]:.1f} ms, "
              f"max {times[-1]:.1f} ms")

    REPLACEMENT20 = "twenty characters!!!"
    reg = desktop.reg
    reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d", "3", "/f")
    for i, text in enumerate(["", REPLACEMENT20, KEYWORD]):
        reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d", text, "/f")
    app = Ravak(desktop)
    pad = Testpad(desktop, lazy_state=True)
    focus(desktop, pad)
    report("conversion from the record, hotkey to converted text", conversions(pad))
    report("auto-correct, last key to 20-character replacement", replacements(pad))
    other = Testpad(desktop, title="Ravak Testpad B", custom_class=True, lazy_state=True)
    focus(desktop, other)
    report("conversion through the clipboard, hotkey to converted text",
           conversions(other, unseen=True))
    app.menu("exit")
    app.wait_exit()
    reg("add", GENERAL, "/v", "chkSlowSystem.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    Ravak(desktop)
    focus(desktop, other)
    report("conversion through the clipboard on a system marked slow (the fixed pauses)",
           conversions(other, unseen=True))
