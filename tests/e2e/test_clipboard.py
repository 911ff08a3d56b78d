"""The user's clipboard survives a conversion whole: a picture and a private format come back
with the same bytes, and an empty clipboard stays empty."""
from harness import Testpad, wait_for
from ravak_app import GENERAL, Ravak

PRIVATE = "Ravak Test Private"
CF_DIB = 8


def start_converter(desktop):
    desktop.reg("add", GENERAL, "/v", "chkRavak.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    return Ravak(desktop)


def clipboard_formats(desktop):
    """{format: "SIZE/CHECKSUM" or "handle"} of the clipboard, predefined formats by number,
    registered ones by name; None when the probe cannot read it."""
    dump = desktop.probe("clip-dump")
    if dump is None:
        return None
    formats = {}
    for line in dump.splitlines():
        number, data, name = line.split(" ", 2)
        formats[name if int(number) >= 0xC000 else int(number)] = data
    return formats


def convert_typed_line(desktop):
    pad = Testpad(desktop)
    pad.focus()
    desktop.type("sghl")
    pad.wait_text("sghl")
    desktop.key("alt+a")
    pad.wait_text("سلام")
    return pad


def test_picture_and_private_format_come_back_after_conversion(desktop):
    start_converter(desktop)
    desktop.probe_command("clip-picture", PRIVATE, "private words")
    before = clipboard_formats(desktop)
    assert CF_DIB in before and PRIVATE in before, before
    convert_typed_line(desktop)

    def restored():
        now = clipboard_formats(desktop)
        return now and now.get(CF_DIB) == before[CF_DIB] and now.get(PRIVATE) == before[PRIVATE]

    try:
        wait_for(restored, what="the picture and the private format back on the clipboard")
    finally:
        print("before:", before, "\nafter:", clipboard_formats(desktop))
    # Nothing of the conversion was left behind: no text, no history exclusion.
    after = clipboard_formats(desktop)
    assert 13 not in after and "CanIncludeInClipboardHistory" not in after, after


def test_empty_clipboard_stays_empty_after_conversion(desktop):
    start_converter(desktop)
    assert clipboard_formats(desktop) == {}
    convert_typed_line(desktop)
    wait_for(lambda: clipboard_formats(desktop) == {}, what="the clipboard empty again")
