"""The demo's helpers for windows and pictures: the desktop colour, notepad's edit, window
rectangles, and the README's cropped pictures and animation (ImageMagick)."""
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from harness import E2EError  # noqa: E402

OUT = REPO / "build" / "demo"
KEY_CAPTION = "press Alt+A"  # the animation's frame between before and after


def paint_desktop(display, rgb=0x3A6EA5):
    """Gives the bare X root window a desktop colour, so that the pictures do not show black
    around a menu or a card."""
    import ctypes
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSetWindowBackground.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    xlib.XClearWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = xlib.XOpenDisplay(display.name.encode())
    if not dpy:
        raise E2EError("cannot open the X display")
    root = xlib.XDefaultRootWindow(dpy)
    xlib.XSetWindowBackground(dpy, root, rgb)  # a 24-bit TrueColor screen: the pixel is RGB
    xlib.XClearWindow(dpy, root)
    xlib.XCloseDisplay(dpy)


def window_rect(desktop, window):
    out = desktop.xdotool("getwindowgeometry", window).stdout
    pos = out.split("Position: ")[1].split()[0]
    size = out.split("Geometry: ")[1].split()[0]
    x, y = map(int, pos.split(","))
    w, h = map(int, size.split("x"))
    return x, y, w, h


def union(a, b, margin=0):
    left, top = min(a[0], b[0]) - margin, min(a[1], b[1]) - margin
    right = max(a[0] + a[2], b[0] + b[2]) + margin
    bottom = max(a[1] + a[3], b[1] + b[3]) + margin
    return max(left, 0), max(top, 0), right - max(left, 0), bottom - max(top, 0)


def geometry(rect):
    x, y, w, h = rect
    return f"{w}x{h}+{x}+{y}"


def magick(*args):
    subprocess.run(["convert", *map(str, args)], check=True, capture_output=True, timeout=60)


def make_crop(shot, rect, out):
    """A small copy of one area of a screenshot, for the README."""
    out.parent.mkdir(parents=True, exist_ok=True)
    magick(shot, "-crop", geometry(rect), "+repage", "-colors", "64", "-strip", f"png8:{out}")


def make_gif(frames, rect, out):
    """A looping animation of (screenshot, caption) frames, cropped to rect, each frame with its
    caption in a band below."""
    parts = []
    for i, (shot, caption) in enumerate(frames):
        part = OUT / "frames" / f"{i}.png"
        part.parent.mkdir(parents=True, exist_ok=True)
        font = "DejaVu-Sans-Bold" if caption == KEY_CAPTION else "DejaVu-Sans"
        magick(shot, "-crop", geometry(rect), "+repage", "-background", "#f0f0f0", "-gravity",
               "south", "-splice", "0x34", "-font", font, "-pointsize", "17", "-annotate", "+0+7",
               caption, part)
        parts.append(part)
    delays = [70 if caption == KEY_CAPTION else 150 for _, caption in frames]
    delays[-1] = 300
    args = []
    for part, delay in zip(parts, delays):
        args += ["-delay", delay, part]
    out.parent.mkdir(parents=True, exist_ok=True)
    magick(*args, "-loop", "0", "+dither", "-colors", "64", "-layers", "Optimize", out)
