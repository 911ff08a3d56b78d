"""Wrong-layout detection and the two narrower conversions, end to end: a user types into the
test pad with detection on, undoes a switch with Backspace, and converts a selection and the last
word on their own hotkeys."""
import pytest

from harness import Testpad, wait_for
from ravak_app import GENERAL, Ravak
from test_app import idle_memory_kib
from test_autocorrect import focus


def start(desktop, detect=True):
    desktop.reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    desktop.reg("add", GENERAL, "/v", "chkAutoDetect.Checked", "/t", "REG_SZ", "/d", str(detect),
                "/f")
    return Ravak(desktop)


def typing_pad(desktop, text=""):
    pad = Testpad(desktop, text=text)
    focus(desktop, pad)
    return pad


def test_persian_typed_on_the_english_layout_reads_as_persian_and_english_stays(desktop):
    start(desktop)
    pad = typing_pad(desktop)
    desktop.type("hlv,c i,h o,f hsj. this is a test ")
    pad.wait_text("امروز هوا خوب است. this is a test ")


def undo_a_switch(desktop, pad):
    """Types sghl, which is switched, and undoes the switch with Backspace: sghl becomes an
    exception, kept at once in the settings."""
    desktop.type("sghl ")
    pad.wait_text("سلام ")
    desktop.key("BackSpace")
    pad.wait_text("sghl ")
    wait_for(lambda: desktop.reg_query(GENERAL, "lstDetectExceptions.Items_Count")
             == ("REG_DWORD", "0x1"), what="the exception stored")


def test_backspace_right_after_a_switch_undoes_it_for_good(desktop):
    start(desktop)
    pad = typing_pad(desktop)
    undo_a_switch(desktop, pad)
    # Never switched again.
    desktop.type("sghl ")
    pad.wait_text("sghl sghl ")


def test_tray_item_turns_detection_on(desktop):
    app = start(desktop, detect=False)
    pad = typing_pad(desktop)
    desktop.type("sghl ")
    pad.wait_text("sghl ")
    app.menu("auto_detect")
    focus(desktop, pad)
    desktop.type("sghl ")
    pad.wait_text("sghl سلام ")


def test_selection_converts_whole_and_stays_selected(desktop):
    start(desktop, detect=False)
    pad = typing_pad(desktop, text="say sghl now")
    desktop.key("ctrl+Home")
    for _ in range(4):
        desktop.key("Right")
    for _ in range(4):
        desktop.key("shift+Right")
    wait_for(lambda: pad.state()[1:] == (4, 8), what="sghl selected")
    desktop.key("alt+Scroll_Lock")
    try:
        pad.wait_text("say سلام now")
    finally:
        print("\n".join(pad.key_log()))
    wait_for(lambda: pad.state()[1:] == (4, 8), what="the converted word still selected")


def test_last_word_of_hello_sghl_converts_alone(desktop):
    start(desktop, detect=False)
    pad = typing_pad(desktop)
    desktop.type("hello sghl")
    pad.wait_text("hello sghl")
    desktop.key("alt+Pause")
    pad.wait_text("hello سلام")


@pytest.mark.bench
def test_bench_private_memory_with_detection_on_and_off(desktop):
    """Ravak's private memory after typing a sentence with detection off, then on (the model
    read and used): medians of idle readings."""
    figures = {}
    for detect in (False, True):
        app = start(desktop, detect=detect)
        pad = typing_pad(desktop)
        desktop.type("hlv,c i,h o,f hsj. this is a test ")
        pad.wait_text("امروز هوا خوب است. this is a test " if detect
                      else "hlv,c i,h o,f hsj. this is a test ")
        figures[detect] = idle_memory_kib(["Ravak.exe"])["Ravak.exe"][1]
        app.menu("exit")
        app.wait_exit()
        pad.proc.kill()
    print(f"\nprivate memory: detection off {figures[False]} KiB, on {figures[True]} KiB, "
          f"difference {(figures[True] - figures[False]) / 1024:.2f} MiB")
