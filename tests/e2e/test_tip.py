"""The tip window under Wine: where it rests, how it slides, what makes it leave.

ravak-tiphost runs a sayings command with the program's own components and logs every step of
each tip ("<window> <phase> <left> <top>"). The screen is 1024x768 with no taskbar, so the work
area is the whole screen and a 300x188 tip rests at (724, 580).
"""
import re

import harness
from harness import E2E_BIN, wait_for, win_path

TITLE = "Ravak Tip"
SCREEN_W, SCREEN_H = 1024, 768
TIP_W, TIP_H = 300, 188
REST = (SCREEN_W - TIP_W, SCREEN_H - TIP_H)
# A point well inside the resting card, on the saying, and one well away from it.
ON_TIP = (REST[0] + 150, REST[1] + 110)
OFF_TIP = (100, 100)


class TipHost:
    def __init__(self, desktop, *args):
        self.desktop = desktop
        self.log_path = desktop.dir / "tiphost.log"
        self.proc = desktop.start(E2E_BIN / "ravak-tiphost.exe", "--log", win_path(self.log_path),
                                  *map(str, args))

    def lines(self):
        try:
            return self.log_path.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []

    def steps(self):
        """{window: [(phase, left, top), ...]} in the order logged."""
        steps = {}
        for line in self.lines():
            m = re.fullmatch(r"(\d+) (\w+) (-?\d+) (-?\d+)", line)
            if m:
                steps.setdefault(m[1], []).append((m[2], int(m[3]), int(m[4])))
        return steps

    def phases(self):
        return {w: s[-1][0] for w, s in self.steps().items()}

    def wait_phases(self, expected, timeout=20):
        """Waits until the tips' latest phases, sorted, are `expected`."""
        return wait_for(lambda: sorted(self.phases().values()) == sorted(expected), timeout=timeout,
                        what=f"tip phases {expected} (now {self.phases()})")

    def shown(self):
        return [line[len("shown "):].split("|", 2) for line in self.lines() if line.startswith("shown ")]


def tip_windows(desktop):
    """[(left, top, width, height)] of the mapped X windows titled like the tip."""
    found = []
    for wid in desktop.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$").stdout.split():
        out = desktop.xdotool("getwindowgeometry", wid).stdout
        pos = re.search(r"Position: (-?\d+),(-?\d+)", out)
        size = re.search(r"Geometry: (\d+)x(\d+)", out)
        if pos and size:
            found.append((int(pos[1]), int(pos[2]), int(size[1]), int(size[2])))
    return found


def move_pointer(desktop, point):
    # Not `mousemove --sync`: that waits for a motion, and none comes when the pointer is
    # there already (it then returns only after 15 s).
    desktop.xdotool("mousemove", *point)
    wait_for(lambda: "x:%d y:%d " % point in desktop.xdotool("getmouselocation").stdout,
             what=f"the pointer at {point}")


def click(desktop, point):
    move_pointer(desktop, point)
    desktop.xdotool("click", "1")


def test_tip_slides_in_to_the_bottom_right_rests_and_slides_out(desktop):
    move_pointer(desktop, OFF_TIP)
    host = TipHost(desktop, "--move", "next", "--position", 5, "--date", "2026/12/9",
                   "--interval", 1500)
    host.wait_phases(["rest"])
    (window, steps), = host.steps().items()
    # From just below the screen, 20 pixels every step, snapping onto the resting place.
    tops = [top for phase, _, top in steps if phase == "in"]
    assert tops == list(range(SCREEN_H, REST[1], -20))
    assert steps[-1] == ("rest", *REST)
    assert all(left == REST[0] for _, left, _ in steps)
    assert wait_for(lambda: tip_windows(desktop) == [(*REST, TIP_W, TIP_H)], timeout=10,
                    what=f"the tip at rest on screen (now {tip_windows(desktop)})")

    (weekday, date, text), = host.shown()
    assert (weekday, date) == ("چهارشنبه", "05/09/18")  # 9 December 2026 is 18 Azar 1405
    assert text and "position 6" in host.lines()
    desktop.screenshot("tip_at_rest")

    # The pointer is elsewhere: the first check after the interval sends it down and away.
    host.wait_phases(["closed"], timeout=15)
    steps = host.steps()[window]
    out = [top for phase, _, top in steps if phase in ("out", "closed")]
    assert out == list(range(REST[1], SCREEN_H + 20, 20))
    wait_for(lambda: not tip_windows(desktop), timeout=10, what="the tip window to go")
    wait_for(lambda: host.proc.poll() is not None, timeout=10, what="tiphost to end")
    assert host.proc.returncode == 0


def test_tip_stays_while_the_pointer_rests_on_it(desktop):
    move_pointer(desktop, ON_TIP)
    host = TipHost(desktop, "--interval", 300)
    # Four pointer checks find the pointer on the tip: it stays.
    wait_for(lambda: [p for p, _, _ in next(iter(host.steps().values()), [])].count("rest") >= 5,
             timeout=20, what=f"pointer checks (now {host.steps()})")
    assert list(host.phases().values()) == ["rest"]
    assert tip_windows(desktop) == [(*REST, TIP_W, TIP_H)]
    move_pointer(desktop, OFF_TIP)
    host.wait_phases(["closed"], timeout=10)
    wait_for(lambda: not tip_windows(desktop), timeout=10, what="the tip window to go")


def test_a_click_sends_the_tip_away_at_once(desktop):
    move_pointer(desktop, OFF_TIP)
    host = TipHost(desktop, "--interval", 30000)
    host.wait_phases(["rest"])
    wait_for(lambda: tip_windows(desktop), timeout=10, what="the tip on screen")
    click(desktop, ON_TIP)
    # Long before the 30-second check.
    host.wait_phases(["closed"], timeout=5)
    wait_for(lambda: not tip_windows(desktop), timeout=10, what="the tip window to go")
    wait_for(lambda: host.proc.poll() is not None, timeout=10, what="tiphost to end")


def test_two_tips_stack_and_close_independently(desktop):
    move_pointer(desktop, OFF_TIP)
    host = TipHost(desktop, "--move", "next", "--tips", 2, "--interval", 30000)
    host.wait_phases(["rest", "rest"])
    assert wait_for(lambda: tip_windows(desktop) == [(*REST, TIP_W, TIP_H)] * 2, timeout=10,
                    what=f"two tips on screen (now {tip_windows(desktop)})")
    assert "position 2" in host.lines()
    assert host.shown()[0][2] != host.shown()[1][2]  # sayings 1 and 2

    # The later tip lies on top and takes the click; the other one stays.
    click(desktop, ON_TIP)
    host.wait_phases(["closed", "rest"], timeout=5)
    later = list(host.steps())[1]
    assert host.phases()[later] == "closed"
    wait_for(lambda: len(tip_windows(desktop)) == 1, timeout=10, what="one tip left")

    click(desktop, ON_TIP)
    host.wait_phases(["closed", "closed"], timeout=5)
    wait_for(lambda: host.proc.poll() is not None, timeout=10, what="tiphost to end")


def test_dragging_moves_the_tip_without_closing_it(desktop):
    move_pointer(desktop, OFF_TIP)
    host = TipHost(desktop, "--interval", 30000)
    host.wait_phases(["rest"])
    move_pointer(desktop, ON_TIP)
    desktop.xdotool("mousedown", "1")
    for dx in (-10, -100, -200):
        move_pointer(desktop, (ON_TIP[0] + dx, ON_TIP[1] - 50))
    # The user lets go once the card is where they dragged it.
    moved = (REST[0] - 200, REST[1] - 50)
    wait_for(lambda: tip_windows(desktop) == [(*moved, TIP_W, TIP_H)], timeout=10,
             what=f"the tip at {moved} (now {tip_windows(desktop)})")
    desktop.xdotool("mouseup", "1")
    wait_for(lambda: tip_windows(desktop) == [(*moved, TIP_W, TIP_H)], timeout=10,
             what=f"the tip at {moved} (now {tip_windows(desktop)})")
    assert host.phases() == {next(iter(host.steps())): "rest"}
    # A plain click where it now lies still sends it away, down from there.
    click(desktop, (ON_TIP[0] - 200, ON_TIP[1] - 50))
    host.wait_phases(["closed"], timeout=5)
    (steps,) = host.steps().values()
    assert steps[-1] == ("closed", moved[0], 770)  # 530 + 12 steps of 20
