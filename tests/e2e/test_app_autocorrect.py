"""Auto-correct in Ravak.exe: the list edited on its tab, kept in the registry, brought in from
a CSV file and taken out to one, and used everywhere on the desktop, Ravak's own settings window
included, with the variables of its texts filled in."""
import time

from harness import (DIST, Testpad, clipboard_sequence, clipboard_text, reset_keys, set_clipboard,
                     wait_for, win_path)
from ravak_app import AUTOCORRECT, IDC, SETTINGS, Ravak
from test_autocorrect import focus

# The Open and Save As dialogs, and the boxes that end an import or an export: the only dialogs
# of the system's own class that Ravak shows.
FILE_DIALOG = "#32770"


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


def store_list(desktop, entries):
    """Auto-correct on, with entries (after text, before text, keyword) stored as its list."""
    desktop.reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    texts = [text for entry in entries for text in entry]
    desktop.reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d",
                str(len(texts)), "/f")
    for i, text in enumerate(texts):
        desktop.reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d", text, "/f")


def test_variables_type_todays_solar_date_and_the_clipboard_left_as_it_was(desktop):
    store_list(desktop, [("", "{{date}}", "dt1"), ("!", "<{{clipboard}}>", "cb1")])
    Ravak(desktop)
    set_clipboard(desktop, "copied text")
    sequence = clipboard_sequence(desktop)
    solar = desktop.run(DIST / "ravak-tool.exe", "date").stdout.decode().split()[0]
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type("dt1")
    pad.wait_text(solar)
    reset_keys(desktop)
    desktop.type(" cb1")
    pad.wait_text(f"{solar} <copied text>!")
    caret = len(solar) + 14  # before the "!"
    wait_for(lambda: pad.state()[1:] == (caret, caret), what="the caret before the after text")
    assert clipboard_text(desktop) == "copied text"
    assert clipboard_sequence(desktop) == sequence  # read, never written


# --- the list brought in from a CSV file and taken out to one ----------------------------------

LIST_VIEW = "AUTOCORRECT_LIST"


def rows(app):
    return int(wait_for(lambda: app.desktop.probe("count", SETTINGS, str(IDC[LIST_VIEW])),
                        what="the list's rows"))


def through_file_dialog(app, button, path):
    """Clicks an import or export button and names path in the file dialog it opens; the text of
    the box that ends the import or export, which is then closed."""
    app.click(button)
    dialog = app.desktop.find_win32(FILE_DIALOG)
    app.desktop.focus(dialog)
    app.desktop.key("End", "shift+Home")  # the name the dialog offers, replaced
    app.desktop.type(win_path(path), delay_ms=15)
    app.desktop.key("Return")
    started = time.monotonic()
    text = wait_for(lambda: app.desktop.probe("text", FILE_DIALOG, "65535"), timeout=30,
                    what=f"the box that ends the {button}")
    took = time.monotonic() - started
    app.desktop.focus(app.desktop.find_win32(FILE_DIALOG))
    app.desktop.key("Return")
    wait_for(lambda: not app.desktop.win32_visible(FILE_DIALOG), what="the box to close")
    return text, took


def csv_of(entries):
    """The bytes of a CSV file of (keyword, before, after) rows, in the form an export writes."""
    def field(text):
        return f'"{text.replace(chr(34), chr(34) * 2)}"' if any(c in text for c in ',"\r\n') else text
    lines = ["keyword,before,after"] + [",".join(map(field, entry)) for entry in entries]
    return b"\xef\xbb\xbf" + "".join(line + "\r\n" for line in lines).encode()


def test_a_thousand_rows_imported_are_searched_expand_and_export_as_the_same_bytes(desktop):
    # Persian words of letters with keys of their own on the test display (typed reliably).
    entries = [(f"k{i:04d}", f"{'سلام' if i % 2 == 0 else 'دیدار'} {i}, \"{i}\"", "" if i % 3 else "!")
               for i in range(1000)]
    source = desktop.dir / "list.csv"
    source.write_bytes(csv_of(entries))
    desktop.reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
    app = Ravak(desktop)
    app.desktop.focus(app.open_settings())
    app.select_tab(2)
    text, took = through_file_dialog(app, "AUTOCORRECT_IMPORT", source)
    print(f"1,000 rows imported in {took:.2f} s (from the file's name to the box)")
    assert text.startswith("۱۰۰۰ مورد افزوده شد"), text
    assert rows(app) == 1000

    # The search shows the rows holding what is typed, Persian or English; cleared, all of them.
    app.click("AUTOCORRECT_SEARCH")
    desktop.type("سلام")
    wait_for(lambda: rows(app) == 500, what="the even rows")
    desktop.type(" 12,")
    wait_for(lambda: rows(app) == 1, what="row 12 alone")
    desktop.key(*["BackSpace"] * 8)
    wait_for(lambda: rows(app) == 1000, what="every row again")

    # A keyword of the list expands at once, before the list is stored.
    pad = Testpad(desktop)
    focus(desktop, pad)
    desktop.type("k0123")
    pad.wait_text('دیدار 123, "123"!')

    # The export gives back the very bytes imported (the form an export writes): so an export
    # of its import, into an empty list as this one was, gives the same bytes again.
    exported = desktop.dir / "exported.csv"
    app.desktop.focus(app.open_settings())
    text, _ = through_file_dialog(app, "AUTOCORRECT_EXPORT", exported)
    assert text == "۱۰۰۰ مورد در پرونده نوشته شد."
    assert exported.read_bytes() == source.read_bytes()
