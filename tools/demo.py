#!/usr/bin/env python3
"""A short scripted session with Ravak under Wine, played as a user would at the keyboard.

On a private Xvfb display, in a fresh Wine prefix, Ravak runs in the tray and Wine's own notepad
is the application typed into. Every step prints what it did and what notepad holds afterwards
(read back with WM_GETTEXT), and saves a screenshot under build/demo/. A step whose result is not
the expected one ends the demo with a message and exit status 1: what the pictures show has
happened.

build/demo/ ends up with:
  NN-<step>.png    the whole screen after each step
  docs/            the pictures the README shows, cropped and reduced: the conversion as a short
                   animation (conversion.gif), notepad at the end, the tray menu, the settings
                   window and the tip card. `cp build/demo/docs/* docs/` refreshes the README's.

Usage: tools/demo.py (or make demo). Uses the x64 build in build/win64 and dist/win64, or the
folders named by RAVAK_BUILD and RAVAK_DIST.
"""
import shutil
import sys
import traceback
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402
from harness import E2E_BIN, E2EError, Notepad, wait_for, win_path  # noqa: E402
from ravak_app import AUTOCORRECT, GENERAL, MENU, SETTINGS, Ravak  # noqa: E402
from demo_pictures import (KEY_CAPTION, make_crop, make_gif, paint_desktop,  # noqa: E402
                           union, window_rect)

OUT = REPO / "build" / "demo"
TYPING_MS = 50  # a key every 50 ms: typing speed
NOTEPAD = Notepad.WINDOW
NOTEPAD_SETTINGS = r"HKCU\Software\Microsoft\Notepad"
TIP = "RavakTip"
TABS = ["General", "Advanced memory", "Auto-correct", "Smart typing", "About"]

# What the user types, on the English layout, and what Ravak makes of it.
WORD = ("sghl", "سلام")
SENTENCE = ("hlv,c i,h o,f hsj", "امروز هوا خوب است")  # "the weather is fine today"
KEYWORD = ("tks", "با تشکر فراوان")  # an auto-correct entry: "with many thanks"
DETECTED = ("lk fi lnvsi ldv,l ", "من به مدرسه میروم ")  # "I am going to school"


class DemoFailure(Exception):
    pass


class Demo:
    def __init__(self, desktop):
        self.desktop = desktop
        self.count = 0
        self.edit_id = None
        self.notepad = None
        self.app = None

    # --- reporting ---------------------------------------------------------------------------
    def step(self, title):
        self.count += 1
        self.title = title
        print(f"\n[{self.count}] {title}", flush=True)

    def shot(self, name, painted=None):
        """The whole screen after the current step, as build/demo/NN-name.png; once the window
        `painted` has painted itself, when given."""
        name = f"{self.count:02d}-{name}"
        path = self.app.screenshot(name, painted) if painted else self.desktop.screenshot(name)
        print(f"    screenshot: {path.relative_to(REPO)}", flush=True)
        return path

    def expect(self, condition, what, now=lambda: None, timeout=15):
        try:
            return wait_for(condition, timeout=timeout, what=what)
        except E2EError as exc:
            shown = now()
            raise DemoFailure(f"step {self.count} ({self.title}): expected {what} within "
                              f"{timeout} s, " + (f"but it is {shown!r}" if shown is not None
                                                  else f"in vain ({exc})")) from None

    # --- notepad -----------------------------------------------------------------------------
    def notepad_text(self):
        return self.desktop.probe("text", NOTEPAD, str(self.edit_id))

    def expect_notepad(self, lines):
        expected = "\r\n".join(lines)
        self.expect(lambda: self.notepad_text() == expected, f"notepad to read {lines}",
                    now=lambda: self.notepad_text())
        print("    notepad reads:")
        for line in lines:
            print(f"      | {line}")

    # --- Wine chores, each tried again when a helper process fails ---------------------------
    def probe_ok(self, *args):
        """Runs ravak-probe until it succeeds: under load a Wine process now and then fails as
        it exits, after its work or before it."""
        self.expect(lambda: self.desktop.run(E2E_BIN / "ravak-probe.exe", *args, check=False,
                                             timeout=10).returncode == 0,
                    f"ravak-probe {' '.join(args)} to succeed")

    def reset_keys(self):
        """Releases every modifier, in X and in Wine's key state: Wine can leave a right Shift
        down after Ravak's own key sequences, and the next letters would come out capitals."""
        self.desktop.xdotool("keyup", "shift", "ctrl", "alt", "super", "Shift_R", "Control_R",
                             "Alt_R")
        self.probe_ok("keys-reset")

    def clipboard(self):
        out = self.desktop.dir / "clip.txt"
        out.unlink(missing_ok=True)
        r = self.desktop.run(E2E_BIN / "ravak-probe.exe", "clip-get", win_path(out), check=False,
                             timeout=10)
        return out.read_bytes().decode("utf-8") if r.returncode == 0 and out.exists() else None

    def open_menu(self):
        """Right-clicks the tray icon (as Ravak.open_menu, with the patient key reset); the
        menu's (x, y, w, h)."""
        self.reset_keys()
        self.desktop.focus_under_pointer()  # a pop-up menu never takes the X focus itself
        self.app.click_tray(3)
        rect = self.expect(lambda: self.desktop.probe("menu-rect"), "the tray menu")
        x, y, w, h = map(int, rect.split())
        self.desktop.xdotool("mousemove", x + w // 2, y + 1)  # on its edge: no item picked
        return x, y, w, h

    def menu(self, item):
        """Chooses an item of the tray menu with the keys, as a user can."""
        self.open_menu()
        for _ in range(MENU[item] + 1):
            self.desktop.xdotool("key", "Down")
        self.desktop.xdotool("key", "Return")
        self.expect(lambda: self.desktop.probe("menu-rect") is None, "the menu to close")

    def focus_notepad(self):
        self.reset_keys()
        self.desktop.focus(self.notepad)
        self.desktop.run(E2E_BIN / "ravak-probe.exe", "foreground", NOTEPAD, check=False)

    def type(self, text):
        print(f"    types {text!r} at {TYPING_MS} ms a key")
        self.desktop.type(text, delay_ms=TYPING_MS)

    def key(self, keys, say=True):
        if say:
            print(f"    presses {keys}")
        self.desktop.key(keys)

    def notepad_rect(self):
        """(x, y, w, h) of notepad's window on the screen."""
        return window_rect(self.desktop, self.notepad)

    # --- the session -------------------------------------------------------------------------
    def prepare(self):
        """Settings a user would make once, written before Ravak starts: the conversion
        hotkey and advanced copy ticked, auto-correct on with one entry, no saying at start;
        and a larger font for notepad so the pictures read well."""
        reg = self.desktop.reg
        for name, value in (("chkRavak.Checked", "True"), ("chkActivePro.Checked", "True"),
                            ("chkShowTips.Checked", "False")):
            reg("add", GENERAL, "/v", name, "/t", "REG_SZ", "/d", value, "/f")
        reg("add", AUTOCORRECT, "/v", "chkACEN.Checked", "/t", "REG_SZ", "/d", "True", "/f")
        # One entry is three items: the text after the caret, the text before it, the keyword.
        items = ["", KEYWORD[1], KEYWORD[0]]
        reg("add", AUTOCORRECT, "/v", "lstSaveAC.Items_Count", "/t", "REG_DWORD", "/d",
            str(len(items)), "/f")
        for i, text in enumerate(items):
            reg("add", AUTOCORRECT, "/v", f"lstSaveAC.Items[{i}]", "/t", "REG_SZ", "/d", text, "/f")
        reg("add", NOTEPAD_SETTINGS, "/v", "lfFaceName", "/t", "REG_SZ", "/d", "DejaVu Sans", "/f")
        for name, value in (("iPointSize", 160), ("iWindowPosX", 40), ("iWindowPosY", 220),
                            ("iWindowPosDX", 520), ("iWindowPosDY", 250)):
            reg("add", NOTEPAD_SETTINGS, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")

    def start(self):
        self.step("Ravak starts and puts its icon in the tray")
        self.app = Ravak(self.desktop)
        print("    the tray icon is there")
        self.shot("tray-icon")
        self.step("notepad starts")
        notepad = Notepad(self.desktop)
        self.notepad, self.edit_id = notepad.window, notepad.edit_id
        self.focus_notepad()
        self.expect_notepad([""])
        self.shot("notepad")

    def conversion(self):
        frames = []
        self.step(f"type {WORD[0]} (meaning {WORD[1]}) on the English layout")
        self.type(WORD[0])
        self.expect_notepad([WORD[0]])
        frames.append((self.shot("word-typed"), f"{WORD[0]} typed on the English layout"))
        frames.append((frames[-1][0], KEY_CAPTION))

        self.step("press Alt+A: the line turns Persian")
        self.key("alt+a")
        self.expect_notepad([WORD[1]])
        frames.append((self.shot("word-converted"), "the word now reads Persian"))

        self.step("type a Persian sentence on the English layout")
        self.reset_keys()
        self.key("Return")
        self.type(SENTENCE[0])
        self.expect_notepad([WORD[1], SENTENCE[0]])
        frames.append((self.shot("sentence-typed"), "a sentence typed on the English layout"))
        frames.append((frames[-1][0], KEY_CAPTION))

        self.step("press Alt+A: the sentence turns Persian")
        self.key("alt+a")
        self.expect_notepad([WORD[1], SENTENCE[1]])
        frames.append((self.shot("sentence-converted"), "the sentence now reads Persian"))
        make_gif(frames, self.notepad_rect(), OUT / "docs" / "conversion.gif")
        print(f"    animation: {(OUT / 'docs' / 'conversion.gif').relative_to(REPO)}")

    def autocorrect(self):
        self.step(f"type the auto-correct keyword {KEYWORD[0]}")
        self.reset_keys()
        self.key("Return")
        self.type(KEYWORD[0])
        self.expect_notepad([WORD[1], SENTENCE[1], KEYWORD[1]])
        self.shot("autocorrect")

    def copy_and_paste(self):
        lines = [WORD[1], SENTENCE[1], KEYWORD[1]]
        # Something else on the clipboard first, so that each copy shows there. Only now, while
        # Ravak is idle: it reads the clipboard a moment after its own Ctrl+C.
        self.probe_ok("clip-set", "(nothing copied yet)")
        for index, line in enumerate(lines):
            self.step(f"select line {index + 1} and copy it with Ctrl+Alt+C")
            self.focus_notepad()
            keys = ["ctrl+Home"] + ["Down"] * index + ["Home", "shift+End"]
            print(f"    presses {', '.join(keys)}")
            for key in keys:
                self.key(key, say=False)
            self.key("ctrl+alt+c")
            self.expect(lambda: self.clipboard() == line, f"the clipboard to hold {line!r}",
                        now=self.clipboard)
            print(f"    the clipboard holds: {line}")
            self.shot(f"copied-{index + 1}")
        self.focus_notepad()
        self.key("ctrl+End", say=False)
        pasted = []
        for line in reversed(lines):
            self.step(f"new line, Ctrl+Alt+V: the newest copy left ({len(pasted) + 1} of 3)")
            self.reset_keys()
            self.key("Return")
            self.key("ctrl+alt+v")
            pasted.append(line)
            self.expect_notepad(lines + pasted)
            self.shot(f"pasted-{len(pasted)}")

    def detection(self):
        lines = [WORD[1], SENTENCE[1], KEYWORD[1], KEYWORD[1], SENTENCE[1], WORD[1]]
        self.step("tray menu: turn wrong-layout detection on")
        self.menu("auto_detect")
        self.step("type a Persian sentence on the English layout: each word turns Persian as it "
                  "ends, no hotkey")
        self.focus_notepad()
        self.key("ctrl+End", say=False)
        self.key("Return")
        self.type(DETECTED[0])
        self.expect_notepad(lines + [DETECTED[1]])
        make_crop(self.shot("detected"), self.notepad_rect(), OUT / "docs" / "notepad.png")

    def tray_menu(self):
        self.step("right-click the tray icon: Ravak's menu")
        x, y, w, h = self.open_menu()
        print(f"    the menu is open at {x},{y} ({w}x{h})")
        tray = window_rect(self.desktop, self.app.wait_tray_icon()[0])
        make_crop(self.shot("tray-menu"), union((x, y, w, h), tray, margin=6),
                  OUT / "docs" / "tray-menu.png")
        self.desktop.xdotool("key", "Escape")
        self.expect(lambda: self.desktop.probe("menu-rect") is None, "the menu to close")

    def settings(self):
        self.step("choose the settings from the tray menu")
        self.menu("settings")
        window = self.desktop.find_win32(SETTINGS)
        self.expect(self.app.settings_visible, "the settings window")
        label = self.app.text("KEYBOARD_TYPE")
        print(f"    the settings window is open; keyboard type: {label}")
        self.shot("settings", painted=SETTINGS)
        rect = window_rect(self.desktop, window)
        for index, name in enumerate(TABS):
            self.step(f"settings: the {name} tab")
            self.probe_ok("tab", SETTINGS, str(index))
            slug = name.lower().replace(" ", "-")
            shot = self.shot(f"settings-{slug}", painted=SETTINGS)
            if index == 0:
                make_crop(shot, rect, OUT / "docs" / "settings.png")
        self.probe_ok("tab", SETTINGS, "0")
        self.step("close the settings window with OK")
        self.app.click("OK_BUTTON")
        self.expect(lambda: not self.app.settings_visible(), "the settings window to close")
        print("    closed")
        self.shot("settings-closed")

    def saying(self):
        self.step("tray menu, next saying: the tip card slides up")
        self.menu("next")
        screen_w, screen_h = map(int, self.desktop.display.size.split("x"))

        def at_rest():
            x, y, w, h = window_rect(self.desktop, self.desktop.find_win32(TIP))
            return (x, y, w, h) if (x + w, y + h) == (screen_w, screen_h) else None
        rect = self.expect(at_rest, "the tip card to rest at the bottom right", timeout=20)
        print(f"    the card rests at {rect[0]},{rect[1]} ({rect[2]}x{rect[3]})")
        # The pointer on the card keeps it there while it is photographed.
        self.desktop.xdotool("mousemove", "--sync", rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)
        make_crop(self.shot("tip"), rect, OUT / "docs" / "tip.png")

    def finish(self):
        self.step("Exit from the tray menu")
        self.desktop.xdotool("mousemove", "--sync", 100, 600)
        self.menu("exit")
        code = self.expect(lambda: self.app.proc.poll() is not None and [self.app.proc.returncode],
                           "Ravak to exit", timeout=20)[0]
        if code != 0:
            raise DemoFailure(f"Ravak exited with status {code}")
        print("    Ravak has exited (status 0)")
        self.expect(lambda: not self.app.tray_visible(), "the tray icon to go")
        self.shot("ravak-exited")


def main():
    missing = [tool for tool in (harness.WINE, "Xvfb", "xdotool", "xdpyinfo", "import", "convert")
               if not shutil.which(tool)]
    if missing:
        print(f"demo: {', '.join(missing)} missing (make deps installs them)", file=sys.stderr)
        return 1
    if not (harness.DIST / "Ravak.exe").exists() or not (E2E_BIN / "ravak-probe.exe").exists():
        print(f"demo: build the x64 build first (make win64): {harness.DIST / 'Ravak.exe'} or "
              f"{E2E_BIN / 'ravak-probe.exe'} is missing", file=sys.stderr)
        return 1
    display = harness.Display().start()
    desktop = None
    try:
        paint_desktop(display)
        template = harness.template_prefix(display)
        harness.ARTIFACTS = OUT.parent  # the screenshots go to build/demo
        desktop = harness.Desktop(display, template, OUT.name)
        print(f"Ravak demo: {harness.DIST / 'Ravak.exe'} under Wine, display {display.name}, "
              f"a fresh prefix in {desktop.prefix}")
        demo = Demo(desktop)
        try:
            demo.prepare()
            demo.start()
            demo.conversion()
            demo.autocorrect()
            demo.copy_and_paste()
            demo.detection()
            demo.tray_menu()
            demo.settings()
            demo.saying()
            demo.finish()
        except Exception as exc:  # pylint: disable=broad-except  # reported, then exit status 1
            try:
                shot = desktop.screenshot("failure")
                print(f"\nThe screen at the failure: {shot}", file=sys.stderr)
            except Exception:  # pylint: disable=broad-except
                pass
            if not isinstance(exc, DemoFailure):
                traceback.print_exc()
            print(f"\nDEMO FAILED: {exc}", file=sys.stderr)
            return 1
    finally:
        if desktop:
            desktop.close()
        display.stop()
    print(f"\nThe demo ran {demo.count} steps, all as expected. Screenshots (the README's pictures "
          f"in docs/):\n{OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
