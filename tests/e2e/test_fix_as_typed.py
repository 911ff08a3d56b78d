"""The fixes as typed, end to end: with detection on, Persian typed on the English layout comes
out with its non-joiners as each word ends, in the test pad and in Wine's notepad, the keys
typed meanwhile following in order; Backspace right after a fix gives the text back as typed,
and it is never fixed again."""
import pytest

from harness import Notepad, Testpad, reset_keys, wait_for
from ravak_app import GENERAL, Ravak
from test_autocorrect import focus

Z = "\u200c"  # the non-joiner
MI_RAVAM, KETAB_HA = f"می{Z}روم", f"کتاب{Z}ها"


def start(desktop):
    for name in ("chkAutoDetect.Checked", "chkFixAsTyped.Checked"):
        desktop.reg("add", GENERAL, "/v", name, "/t", "REG_SZ", "/d", "True", "/f")
    return Ravak(desktop)


def exceptions_stored(desktop, count):
    wait_for(lambda: desktop.reg_query(GENERAL, "lstFixExceptions.Items_Count")
             == ("REG_DWORD", hex(count)), what=f"{count} exceptions stored")


def test_words_switched_from_the_english_layout_come_out_with_the_non_joiner(desktop):
    start(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    # In one go at 40 ms a key: what is typed while a word is fixed follows it.
    desktop.type("ld v,l ;jhf ih ")
    pad.wait_text(f"{MI_RAVAM} {KETAB_HA} ")

    notepad = Notepad(desktop)
    reset_keys(desktop)
    notepad.focus()
    desktop.type("ld v,l ;jhf ih ")
    notepad.wait_text(f"{MI_RAVAM} {KETAB_HA} ")
    desktop.key("BackSpace")
    notepad.wait_text(f"{MI_RAVAM} کتاب ها ")
    exceptions_stored(desktop, 1)
    desktop.type(";jhf ih ")
    notepad.wait_text(f"{MI_RAVAM} کتاب ها کتاب ها ")

    reset_keys(desktop)
    focus(desktop, pad)
    desktop.key("Return")  # the record then holds the line whole
    desktop.type("ld v,l ")
    first = f"{MI_RAVAM} {KETAB_HA} \r\n"
    pad.wait_text(f"{first}{MI_RAVAM} ")
    desktop.key("BackSpace")
    pad.wait_text(f"{first}می روم ")
    exceptions_stored(desktop, 2)
    desktop.type("ld v,l ")
    pad.wait_text(f"{first}می روم می روم ")


@pytest.mark.bench
def test_bench_latency_from_the_word_end_to_the_fixed_text(desktop):
    """The space after v,l to می‌روم in the pad, the word switched and fixed in one retyping; and,
    to compare, the space after sghl to سلام, a switch alone."""
    def runs(typed, shown, count=10):
        times = []
        for _ in range(count):
            seen = len(pad.timeline())
            desktop.type(typed)
            wait_for(lambda: pad.text.endswith(shown), what=repr(shown))
            events = pad.timeline()[seen:]
            done = next(ms for ms, kind, what in events if kind == "text" and what.endswith(shown))
            space = [ms for ms, kind, what in events
                     if kind == "key" and what.startswith("keydown 0x20") and ms < done][-1]
            times.append(done - space)
            desktop.key("Return")
        times.sort()
        return (f"min {times[0]:.1f} ms, median {times[len(times) // 2]:.1f} ms, "
                f"max {times[-1]:.1f} ms over {count} runs")

    start(desktop)
    pad = Testpad(desktop, lazy_state=True)
    focus(desktop, pad)
    print(f"\nword end to the switched and fixed text: {runs('ld v,l ', f'{MI_RAVAM} ')}")
    print(f"word end to the switched text alone: {runs('sghl ', 'سلام ')}")
