"""Auto-correct, end to end: Kerrak reports the keys typed in an ordinary edit window, and a
keyword typed there is replaced by the entry's text with the caret at the marked point."""
from harness import E2E_BIN, Testpad, reset_keys, wait_for, win_path
from test_kerrak import hook_host

ENTRIES = [
    # (after text, before text, keyword)
    ("", "by the way", "btw"),
    ("</b>", "<b>", "bld"),
    ("", "سلام", "slm"),
    (" عزیز!", "دوست", "dst"),
]


def escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r")


class HookHost:
    def __init__(self, desktop, entries=ENTRIES, name="hookhost", hooked=True):
        self.log = desktop.dir / f"{name}.log"
        ready = desktop.dir / f"{name}.ready"
        listing = desktop.dir / f"{name}.list.txt"
        listing.write_text("".join(escape(t) + "\n" for entry in entries for t in entry),
                           encoding="utf-8")
        self.proc = desktop.start(hook_host(desktop), "--list", win_path(listing),
                                  "--ready", win_path(ready), "--log", win_path(self.log))
        wait_for(lambda: ready.exists() or self.proc.poll() is not None, timeout=30,
                 what="hook host")
        assert ("hooked" in self.lines()) == hooked, self.lines()

    def lines(self):
        return self.log.read_text().splitlines() if self.log.exists() else []

    def keys(self):
        return [line for line in self.lines() if line.startswith("key ")]

    def replacements(self):
        return [line for line in self.lines() if line == "replaced"]

    def wait_replacements(self, count):
        return wait_for(lambda: len(self.replacements()) == count, what=f"{count} replacements")


def codes(host):
    """The key codes reported so far (the modifier state Ravak's thread sees at that moment
    is left out: it depends on timing)."""
    return [line.split()[1] for line in host.keys()]


def focus(desktop, pad):
    """Gives pad the keyboard and waits until Wine delivers keys to it. X focus reaches Wine
    asynchronously, and a window that has just started may still take the foreground after
    it: focus again until a Shift tap (which types nothing) arrives at the pad."""
    seen = len(pad.key_log())

    def shift_arrived():
        if any(line.startswith("keydown 0x10") for line in pad.key_log()[seen:]):
            return True
        pad.focus()
        desktop.run(E2E_BIN / "ravak-probe.exe", "foreground", f"RavakTestpad|{pad.title}", check=False)
        desktop.key("shift")
        return False
    wait_for(shift_arrived, timeout=20, interval=0.3, what="keys to reach the testpad")


def typed(desktop, pad, host, text, expected):
    """Types text (a user at the keyboard) and waits for the pad to show expected."""
    desktop.type(text)
    pad.wait_text(expected)


def test_english_keyword_is_replaced_and_caret_ends_after_it(desktop):
    host = HookHost(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    typed(desktop, pad, host, "I said btw", "I said by the way")
    assert pad.state()[1:] == (17, 17)
    host.wait_replacements(1)
    # Typing goes on normally after the replacement.
    reset_keys(desktop)
    typed(desktop, pad, host, " ok", "I said by the way ok")


def test_after_text_leaves_caret_between(desktop):
    host = HookHost(desktop)
    pad = Testpad(desktop, text="x ")
    focus(desktop, pad)
    typed(desktop, pad, host, "bld", "x <b></b>")
    wait_for(lambda: pad.state()[1:] == (5, 5), what="caret between <b> and </b>")
    reset_keys(desktop)
    typed(desktop, pad, host, "Bold", "x <b>Bold</b>")


def test_persian_replacement_with_and_without_after_text(desktop):
    host = HookHost(desktop)
    pad = Testpad(desktop)
    focus(desktop, pad)
    typed(desktop, pad, host, "slm", "سلام")
    assert pad.state()[1:] == (4, 4)
    reset_keys(desktop)
    typed(desktop, pad, host, " dst", "سلام دوست عزیز!")
    wait_for(lambda: pad.state()[1:] == (9, 9), what="caret after دوست")
    host.wait_replacements(2)


def test_keys_are_reported_once_each_and_nothing_is_discarded(desktop):
    host = HookHost(desktop, entries=[])
    pad = Testpad(desktop)
    focus(desktop, pad)
    typed(desktop, pad, host, "aB\t", "aB\t")
    # Presses only (releases are not reported); Shift itself is a key too.
    wait_for(lambda: codes(host)[-4:] == ["0x41", "0x10", "0x42", "0x09"],
             what=f"the keys reported once each (now {codes(host)[-8:]})")


def test_switching_windows_between_keys_prevents_the_match(desktop):
    host = HookHost(desktop)
    # The window started last is the foreground one: start the one typed into first last.
    second = Testpad(desktop, title="Ravak Testpad B")
    first = Testpad(desktop, title="Ravak Testpad A")
    try:
        focus(desktop, first)
        typed(desktop, first, host, "bt", "bt")
        focus(desktop, second)
        typed(desktop, second, host, "w", "w")
        wait_for(lambda: codes(host)[-1:] == ["0x57"], what="the w to be reported")
        assert host.replacements() == []
        assert first.text == "bt"
        # The whole keyword in one window is replaced.
        reset_keys(desktop)
        typed(desktop, second, host, " btw", "w by the way")
    finally:
        print("\n".join(host.lines()))


def test_second_instance_leaves_the_keys_to_the_first_even_after_it_ends(desktop):
    first = HookHost(desktop, entries=[], name="first")
    second = HookHost(desktop, entries=[], name="second", hooked=False)
    pad = Testpad(desktop)
    focus(desktop, pad)
    typed(desktop, pad, first, "abc", "abc")
    wait_for(lambda: codes(first)[-3:] == ["0x41", "0x42", "0x43"],
             what=f"the keys reported to the first, once each (now {codes(first)[-6:]})")
    assert second.keys() == []
    # The second ends without a word (killed): the record still names the first's windows.
    second.proc.kill()
    second.proc.wait()
    reset_keys(desktop)
    typed(desktop, pad, first, "de", "abcde")
    wait_for(lambda: codes(first)[-2:] == ["0x44", "0x45"],
             what=f"the keys still reported to the first (now {codes(first)[-6:]})")
