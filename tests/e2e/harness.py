"""End-to-end harness: the Windows build under Wine, on a private Xvfb display.

One template Wine prefix is made per machine (cached under the work directory and rebuilt when
the set-up below changes); every test gets its own fresh copy. Tests wait for conditions with a
deadline (`wait_for`), never for fixed times.
"""
import contextlib
import fcntl
import hashlib
import os
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
REPO = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("RAVAK_BUILD", REPO / "build" / "win64"))
DIST = Path(os.environ.get("RAVAK_DIST", REPO / "dist" / "win64"))
E2E_BIN = BUILD / "e2e"
WORK = Path(os.environ.get("RAVAK_E2E_WORK", "/tmp/ravak-e2e"))
ARTIFACTS = Path(os.environ.get("RAVAK_E2E_ARTIFACTS", REPO / "build" / "e2e-artifacts"))

# Registry set-up of the template prefix. Changing it rebuilds the template.
PREFIX_SETUP = [
    # Wine's own Tahoma has no Persian glyphs: map the UI faces to DejaVu Sans.
    *[["reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", face, "/d", "DejaVu Sans", "/f"]
      for face in ("Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Segoe UI", "Microsoft Sans Serif")],
    # Without a window manager, this makes `xdotool windowfocus` give Wine windows the keyboard.
    ["reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseTakeFocus", "/d", "N", "/f"],
]


class E2EError(AssertionError):
    pass


# Where each test's time goes: seconds per step (prefix, wine start, ravak start, registry,
# typing, waits, close), the outermost step counting when steps nest. conftest.py reports them.
STEP_TIMES = {}
_open_steps = []


@contextlib.contextmanager
def step(name):
    if _open_steps:  # inside another step: that one counts the time
        yield
        return
    _open_steps.append(name)
    started = time.monotonic()
    try:
        yield
    finally:
        _open_steps.pop()
        STEP_TIMES[name] = STEP_TIMES.get(name, 0.0) + time.monotonic() - started


def wait_for(condition, timeout=10.0, interval=0.05, what="condition"):
    """Polls condition() until it returns a truthy value; returns it, or fails after timeout."""
    with step("waits"):
        return _wait_for(condition, timeout, interval, what)


def _wait_for(condition, timeout, interval, what):
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = condition()
        except (OSError, ValueError, subprocess.SubprocessError) as exc:  # not there yet
            last = exc
        if last and not isinstance(last, Exception):
            return last
        if time.monotonic() > deadline:
            raise E2EError(f"timed out after {timeout}s waiting for {what} (last: {last!r})")
        time.sleep(interval)


def win_path(path):
    """The Windows name of a Linux path inside Wine (drive Z: is the root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# Characters the tests type that the US keymap lacks: the most frequent Persian letters. Wine
# gives such keys virtual-key codes from a small pool of spare codes, so the list stays short;
# rarer characters are still typed through xdotool's temporary binding.
EXTRA_KEY_CHARS = "\u0627\u06CC\u0646\u0631\u0645\u0647\u0648\u062F\u062A\u0628\u0633\u0644\u06A9\u0632\u0634\u06AF\u0641\u062E\u0642\u067E"


def add_extra_keys(display_name):
    """Gives every character of EXTRA_KEY_CHARS a key of its own on the display's keymap.

    Without this, xdotool types such a character by binding it to a spare key for a moment;
    a Wine program that reads the keymap after xdotool has already unbound it receives no
    character (under load, a Persian letter now and then went missing). Done before Wine
    starts, so Wine sees one stable keymap."""
    import ctypes
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
    xlib.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                         ctypes.POINTER(ctypes.c_int)]
    xlib.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
    dpy = xlib.XOpenDisplay(display_name.encode())
    if not dpy:
        raise E2EError("cannot open the X display")
    try:
        dpy = ctypes.c_void_p(dpy)
        lowest, highest = ctypes.c_int(), ctypes.c_int()
        xlib.XDisplayKeycodes(dpy, ctypes.byref(lowest), ctypes.byref(highest))
        count = highest.value - lowest.value + 1
        per = ctypes.c_int()
        syms = xlib.XGetKeyboardMapping(dpy, lowest.value, count, ctypes.byref(per))
        # Keys with nothing on them, then the multimedia keys (XF86*), which no test presses.
        def spare(i):
            found = [syms[i * per.value + j] for j in range(per.value) if syms[i * per.value + j]]
            return all(0x1008FF00 <= k <= 0x1008FFFF for k in found)
        free = [lowest.value + i for i in range(count) if spare(i)]
        xlib.XFree(syms)
        if len(free) < len(EXTRA_KEY_CHARS):
            raise E2EError(f"only {len(free)} free keys for {len(EXTRA_KEY_CHARS)} characters")
        for keycode, ch in zip(free, EXTRA_KEY_CHARS):
            keysym = 0x01000000 | ord(ch)
            xlib.XChangeKeyboardMapping(dpy, keycode, 2, (ctypes.c_ulong * 2)(keysym, keysym), 1)
        xlib.XSync(dpy, 0)
    finally:
        xlib.XCloseDisplay(dpy)


class Display:
    """A private Xvfb server."""

    def __init__(self, size="1024x768"):
        self.size = size
        self.number = None
        self.proc = None

    def start(self):
        # Xvfb picks a free display itself and reports its number on a pipe.
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{self.size}x24", "-noreset",
             "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            self.stop()
            raise E2EError("Xvfb could not start")
        self.number = int(number)
        wait_for(lambda: subprocess.run(["xdpyinfo", "-display", self.name], capture_output=True).returncode == 0
                 or self.proc.poll() is not None, timeout=20, what="Xvfb to start")
        if self.proc.poll() is not None:
            raise E2EError("Xvfb could not start")
        add_extra_keys(self.name)
        return self

    @property
    def name(self):
        return f":{self.number}"

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()


def _base_env(prefix, display):
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": os.environ.get("WINEDEBUG", "-all"),
        # No Mono or Gecko; and Wine's menu builder would copy Start menu entries into the host's menus.
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "DISPLAY": display.name,
        "WINEARCH": "win64",
        "LANG": "C.UTF-8",
    })
    return env


def template_prefix(display):
    """The template prefix, made once and reused while its set-up is unchanged. Parallel
    workers take turns: the first builds it, the others wait for it."""
    version = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()
    key = hashlib.sha256((version + repr(PREFIX_SETUP)).encode()).hexdigest()[:12]
    template = WORK / f"template-{key}"
    if (template / ".ready").exists():
        return template
    WORK.mkdir(parents=True, exist_ok=True)
    with open(WORK / f"template-{key}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not (template / ".ready").exists():
            _build_template(template, version, display)
    return template


def _build_template(template, version, display):
    """Makes the template under a temporary name beside it, renamed when complete."""
    building = template.with_name(f"{template.name}.building-{os.getpid()}")
    shutil.rmtree(building, ignore_errors=True)
    env = _base_env(building, display)
    subprocess.run([WINE, "wineboot", "-i"], env=env, check=True, capture_output=True, timeout=300)
    for cmd in PREFIX_SETUP:
        subprocess.run([WINE, *cmd], env=env, check=True, capture_output=True, timeout=60)
    subprocess.run([WINESERVER, "-w"], env=env, timeout=120)
    (building / ".ready").write_text(version + "\n")
    try:
        building.rename(template)
    except OSError:  # made meanwhile by another run
        shutil.rmtree(building, ignore_errors=True)


# Files of a prefix that Wine only ever reads (the system's programs and libraries): a test's
# prefix shares them with the template by hard link. Everything else (the registry, .ini files,
# folders) is copied, so no test writes into the template.
_READ_ONLY_SUFFIXES = {".dll", ".exe", ".drv", ".sys", ".ocx", ".cpl", ".acm", ".ax", ".tlb",
                       ".nls", ".mui", ".ds", ".msstyles", ".com", ".vxd", ".tsp", ".ttf", ".fon"}


def copy_prefix(template, dest):
    windows = template / "drive_c" / "windows"
    for root, dirs, files in os.walk(template):
        root = Path(root)
        target = dest / root.relative_to(template)
        target.mkdir(exist_ok=True)
        shutil.copystat(root, target)
        for name in dirs:  # links (dosdevices) as links; folders are walked
            if (root / name).is_symlink():
                os.symlink(os.readlink(root / name), target / name)
        for name in files:
            source = root / name
            if source.is_symlink():
                os.symlink(os.readlink(source), target / name)
            elif windows in source.parents and source.suffix.lower() in _READ_ONLY_SUFFIXES:
                os.link(source, target / name)
            else:
                shutil.copy2(source, target / name)


class Desktop:
    """One test's Windows: a fresh prefix on the shared display, with helpers to act as a user."""

    def __init__(self, display, template, name):
        self.display = display
        self.dir = WORK / "runs" / f"{name}-{os.getpid()}"
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir.mkdir(parents=True)
        self.prefix = self.dir / "pfx"
        with step("prefix"):
            copy_prefix(template, self.prefix)
        self.env = _base_env(self.prefix, display)
        self.artifacts = ARTIFACTS / name
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.artifacts.mkdir(parents=True)
        self.procs = []
        # One wine server for the whole test (close ends it): each program then starts in a
        # fraction of a second instead of bringing the prefix up again. Wine's services, which
        # the first program starts, live as long as the server and keep the output handles
        # they were given: programs run here write to files, never to pipes (run()).
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=30)
        with step("wine start"):
            self.run("cmd", "/c", "exit", check=False)

    # --- processes ---------------------------------------------------------------------------
    def start(self, exe, *args):
        log = open(self.dir / (Path(exe).stem + ".log"), "ab")
        proc = subprocess.Popen([WINE, str(exe), *map(str, args)], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                cwd=self.dir)
        log.close()
        self.procs.append(proc)
        return proc

    def run(self, exe, *args, timeout=60, check=True, input=b""):
        """Runs a Windows program to its end: its exit code, stdout and stderr (as bytes)."""
        with tempfile.TemporaryFile(dir=self.dir) as out, \
                tempfile.TemporaryFile(dir=self.dir) as err, \
                tempfile.TemporaryFile(dir=self.dir) as given:
            given.write(input)
            given.seek(0)
            proc = subprocess.run([WINE, str(exe), *map(str, args)], env=self.env, cwd=self.dir,
                                  stdin=given, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(proc.args, proc.returncode, out.read(), err.read())
        if check and result.returncode != 0:
            raise E2EError(f"{Path(exe).name} {args} exited {result.returncode}: {result.stderr[-500:]!r}")
        return result

    def install(self, folder, *files):
        """Copies files into C:\\Program Files\\<folder> of the prefix, as an installer would (a
        folder ordinary users cannot write: an elevated program loads its Kerrak only from such
        a folder, and under Wine every program runs elevated); the Windows path of the first."""
        target = self.prefix / "drive_c" / "Program Files" / folder
        target.mkdir(parents=True, exist_ok=True)
        for f in files:
            if not (target / Path(f).name).exists():
                shutil.copy(f, target / Path(f).name)
        return "C:\\Program Files\\" + folder + "\\" + Path(files[0]).name

    def installed(self, folder, name):
        """The Linux path of an installed file."""
        return self.prefix / "drive_c" / "Program Files" / folder / name

    def run_setup(self, exe, *args, tries=3, timeout=60):
        """Runs a command that can safely run again (reg add, cmd, msiexec, a probe), again when
        it fails: under Wine such commands now and then exit 1 as they shut down, after their work
        ("ShellExecuteEx failed: Internal error", "Inconsistency detected by ld.so")."""
        for _ in range(tries):
            result = self.run(exe, *args, check=False, timeout=timeout)
            if result.returncode == 0:
                return result
        raise E2EError(f"{Path(exe).name} {args} exited {result.returncode}: {result.stderr[-500:]!r}")

    def close(self):
        with step("close"):
            subprocess.run([WINESERVER, "-k"], env=self.env, capture_output=True, timeout=30)
            for proc in self.procs:
                try:
                    proc.wait(10)
                except subprocess.TimeoutExpired:
                    proc.kill()
            subprocess.run([WINESERVER, "-w"], env=self.env, capture_output=True, timeout=30)
            shutil.rmtree(self.dir, ignore_errors=True)

    # --- registry ----------------------------------------------------------------------------
    def reg(self, *args, check=True):
        """`reg`; a change that must succeed (check) goes through run_setup."""
        with step("registry"):
            return self.run_setup("reg", *args) if check else self.run("reg", *args, check=False)

    def reg_query(self, key, name):
        """(type, data) of a value as `reg query` prints it, or None."""
        out = self.reg("query", key, "/v", name, check=False)
        if out.returncode != 0:
            return None
        for line in out.stdout.decode(errors="replace").splitlines():
            parts = line.split(None, 2)
            if len(parts) >= 2 and parts[0] == name and parts[1].startswith("REG_"):
                return parts[1], parts[2] if len(parts) > 2 else ""
        return None

    # --- X11: windows, keyboard, screen ------------------------------------------------------
    def xdotool(self, *args, timeout=20):
        with step("typing"):
            return subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                                  text=True, timeout=timeout)

    def find_window(self, title, timeout=20):
        """The newest visible top-level window with exactly this title. Only for the test
        programs' own windows, whose titles nothing else shares; Ravak's windows are found by
        class (find_win32)."""
        def found():
            out = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$")
            ids = out.stdout.split()
            return ids[-1] if ids else None
        return wait_for(found, timeout=timeout, what=f"window {title!r}")

    def probe_command(self, *args):
        """Runs an idempotent ravak-probe command (see run_setup)."""
        return self.run_setup(E2E_BIN / "ravak-probe.exe", *args, timeout=20)

    def probe(self, *args):
        """Runs ravak-probe; its output file's text, or None when it fails."""
        out = self.dir / "probe.out"
        if out.exists():
            out.unlink()
        # A short limit: a probe that hangs (seen once, with a modal box up) is tried again by
        # the caller's wait_for rather than eating its whole deadline.
        r = self.run(E2E_BIN / "ravak-probe.exe", *args, win_path(out), check=False, timeout=10)
        return out.read_bytes().decode("utf-8") if r.returncode == 0 and out.exists() else None

    def win32_visible(self, window):
        """Whether a visible top-level window is named by "CLASS" or "CLASS|TITLE"."""
        return self.run(E2E_BIN / "ravak-probe.exe", "visible", window, check=False,
                        timeout=10).returncode == 0

    def find_win32(self, window, timeout=20):
        """The X window of the visible top-level window named by "CLASS" or "CLASS|TITLE"."""
        return wait_for(lambda: (self.probe("xid", window) or "").strip(), timeout=timeout,
                        what=f"window {window!r}")

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)
        wait_for(lambda: self.xdotool("getwindowfocus").stdout.strip() == str(int(window)),
                 timeout=10, what="keyboard focus")

    def focus_under_pointer(self):
        """Gives the keyboard to whatever window is under the pointer, as X does by default.
        Needed for windows that never take the focus themselves, such as pop-up menus."""
        import ctypes
        xlib = ctypes.CDLL("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        dpy = xlib.XOpenDisplay(self.display.name.encode())
        if not dpy:
            raise E2EError("cannot open the X display")
        pointer_root = 1
        xlib.XSetInputFocus(ctypes.c_void_p(dpy), ctypes.c_ulong(pointer_root), 1, 0)
        xlib.XCloseDisplay(ctypes.c_void_p(dpy))

    def type(self, text, delay_ms=40):
        self.xdotool("type", "--delay", delay_ms, text, timeout=60)

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def key_down(self, key):
        self.xdotool("keydown", key)

    def key_up(self, key):
        self.xdotool("keyup", key)

    def screenshot(self, name):
        path = self.artifacts / f"{name}.png"
        subprocess.run(["import", "-display", self.display.name, "-window", "root", f"png:{path}"],
                       check=True, capture_output=True, timeout=30)
        return path


class Testpad:
    __test__ = False
    """The test target: an edit window that reports its text, selection and key messages."""

    TITLE = "Ravak Testpad"

    def __init__(self, desktop, text="", title=TITLE, slow_chords_ms=0, slow_keys_ms=0,
                 no_cut=False, password=False, rich=False, custom_class=False, lazy_state=False,
                 limit=0, digits=False):
        self.desktop = desktop
        self.title = title
        self.state_path = desktop.dir / f"{title.replace(' ', '_')}.state"
        self.keys_path = desktop.dir / f"{title.replace(' ', '_')}.keys"
        self.times_path = desktop.dir / f"{title.replace(' ', '_')}.times"
        args = ["--state", win_path(self.state_path), "--keys", win_path(self.keys_path), "--title", title,
                "--times", win_path(self.times_path)]
        if text:
            args += ["--text", text]
        if slow_chords_ms:
            args += ["--slow-chords", str(slow_chords_ms)]
        if slow_keys_ms:
            args += ["--slow-keys", str(slow_keys_ms)]
        if no_cut:
            args += ["--no-cut", "1"]
        if password:
            args += ["--password", "1"]
        self.rtf_path = desktop.dir / f"{title.replace(' ', '_')}.rtf"
        if rich:
            args += ["--rich", win_path(self.rtf_path)]
        if custom_class:
            args += ["--custom-class", "1"]
        if lazy_state:  # a pad that answers each key quickly, for figures
            args += ["--lazy-state", "1"]
        if limit:  # a field that takes that many characters at most
            args += ["--limit", str(limit)]
        if digits:  # a field that takes digits only
            args += ["--digits", "1"]
        self.proc = desktop.start(E2E_BIN / "ravak-testpad.exe", *args)
        self.window = desktop.find_window(title)
        wait_for(self.state_path.exists, what="testpad state")

    def state(self):
        raw = self.state_path.read_bytes().decode("utf-8")
        head, _, text = raw.partition("\n")
        _, start, end = head.split()
        return text, int(start), int(end)

    @property
    def text(self):
        return self.state()[0]

    def focus(self):
        self.desktop.focus(self.window)

    def wait_text(self, expected, timeout=10):
        return wait_for(lambda: self.text == expected, timeout=timeout,
                        what=f"testpad text {expected!r} (now {self._safe_text()!r})")

    def _safe_text(self):
        try:
            return self.text
        except OSError:
            return None

    def rtf(self):
        """A rich pad's text with its formatting, as RTF."""
        return self.rtf_path.read_bytes().decode("latin-1")

    def key_log(self):
        try:
            return self.keys_path.read_text().splitlines()
        except FileNotFoundError:
            return []

    def timeline(self):
        """[(ms, "key", "keydown 0x12") or (ms, "text", TEXT)], as the pad saw them; line breaks
        in TEXT read as the escapes \\r and \\n."""
        try:
            lines = self.times_path.read_bytes().decode("utf-8").splitlines()
        except FileNotFoundError:
            return []
        events = []
        for line in lines:
            ms, kind, rest = line.split(" ", 2)
            events.append((float(ms), kind, rest))
        return events


class Consolepad:
    """A console program reading its input line as a command prompt does, in a console window."""
    TITLE = "Ravak Consolepad"

    def __init__(self, desktop):
        self.desktop = desktop
        self.out = desktop.dir / "consolepad.txt"
        self.proc = desktop.start("wineconsole", E2E_BIN / "ravak-consolepad.exe", win_path(self.out))
        wait_for(lambda: "ready" in self.lines(), timeout=30, what="the console program")
        self.window = desktop.find_window(self.TITLE)

    def lines(self):
        try:
            return self.out.read_bytes().decode("utf-8").splitlines()
        except FileNotFoundError:
            return []

    def focus(self):
        self.desktop.focus(self.window)

    def wait_line(self, expected, timeout=10):
        return wait_for(lambda: f"line {expected}" in self.lines(), timeout=timeout,
                        what=f"the console to read {expected!r} (read {self.lines()[-3:]!r})")


class Notepad:
    """Wine's own notepad.exe, an application nobody here wrote."""
    WINDOW = "Notepad"  # class of its top-level window

    def __init__(self, desktop):
        self.desktop = desktop
        self.proc = desktop.start("notepad")
        self.window = desktop.find_win32(self.WINDOW)
        self.edit_id = wait_for(self._find_edit, what="notepad's edit control")

    def _find_edit(self):
        """The control id of the edit: the large child (0 in Wine's notepad here)."""
        for control in (15, 0):
            raw = self.desktop.probe("rect", self.WINDOW, str(control))
            if raw and int(raw.split()[3]) > 100:
                return str(control)
        return None

    @property
    def text(self):
        return self.desktop.probe("text", self.WINDOW, self.edit_id)

    def focus(self):
        self.desktop.focus(self.window)
        self.desktop.run(E2E_BIN / "ravak-probe.exe", "foreground", self.WINDOW, check=False)

    def wait_text(self, expected, timeout=10):
        return wait_for(lambda: self.text == expected, timeout=timeout,
                        what=f"notepad text {expected!r} (now {self.text!r})")


def clipboard_text(desktop):
    out = desktop.dir / "clip.txt"
    desktop.probe_command("clip-get", win_path(out))
    return out.read_bytes().decode("utf-8")


def clipboard_sequence(desktop):
    """The clipboard's sequence number: it changes with every write."""
    out = desktop.dir / "clip-seq.txt"
    desktop.probe_command("clip-seq", win_path(out))
    return int(out.read_text())


def set_clipboard(desktop, text):
    desktop.probe_command("clip-set", text)


def reset_keys(desktop):
    """Releases every modifier, in X and in Wine's own key state."""
    desktop.xdotool("keyup", "shift", "ctrl", "alt", "super", "Shift_R", "Control_R", "Alt_R")
    desktop.probe_command("keys-reset")
