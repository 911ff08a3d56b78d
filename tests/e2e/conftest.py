import json
import os
import re
import time

import pytest

import harness

# Each worker (pytest-xdist) has its own Xvfb display; every desktop its own prefix and server.
WORKER = os.environ.get("PYTEST_XDIST_WORKER", "main")
TIMINGS = harness.ARTIFACTS / "timings"


@pytest.fixture(scope="session")
def display():
    d = harness.Display().start()
    yield d
    d.stop()


@pytest.fixture(scope="session")
def template(display):
    return harness.template_prefix(display)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    if report.when == "call":
        item.failed_call = report.failed


def desktop_name(request):
    return re.sub(r"[^A-Za-z0-9_.-]", "_", request.node.name)


@pytest.fixture
def desktop(request, display, template):
    d = harness.Desktop(display, template, desktop_name(request))
    yield d
    if getattr(request.node, "failed_call", False):
        try:  # what the screen showed when the test failed
            d.screenshot("failure")
        except Exception:  # pylint: disable=broad-except
            pass
    d.close()


def pytest_configure(config):
    config.addinivalue_line("markers", "bench: end-to-end figures (run by make bench)")
    if not hasattr(config, "workerinput"):  # the controller (or the only process)
        TIMINGS.mkdir(parents=True, exist_ok=True)
        for old in TIMINGS.glob("*.jsonl"):
            old.unlink()
        config.pluginmanager.register(Progress(config), "ravak-progress")


def pytest_collection_modifyitems(config, items):
    if os.environ.get("RAVAK_E2E_BENCH"):
        return
    skip = pytest.mark.skip(reason="benchmark: run with make bench")
    for item in items:
        if "bench" in item.keywords:
            item.add_marker(skip)


# --- where the time goes ---------------------------------------------------------------------

@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_protocol(item, nextitem):
    harness.STEP_TIMES.clear()
    started = time.monotonic()
    yield
    record = {"test": item.nodeid, "worker": WORKER, "total": time.monotonic() - started,
              **harness.STEP_TIMES}
    TIMINGS.mkdir(parents=True, exist_ok=True)
    with open(TIMINGS / f"{WORKER}.jsonl", "a") as out:
        out.write(json.dumps(record) + "\n")


STEPS = ["prefix", "wine start", "ravak start", "registry", "typing", "waits", "close"]


def pytest_terminal_summary(terminalreporter, config):
    if hasattr(config, "workerinput"):
        return
    records = []
    for path in TIMINGS.glob("*.jsonl"):
        records += [json.loads(line) for line in path.read_text().splitlines()]
    if not records:
        return
    records.sort(key=lambda r: -r["total"])
    table = ["test\ttotal\t" + "\t".join(STEPS) + "\tother"]
    for r in records:
        other = r["total"] - sum(r.get(s, 0.0) for s in STEPS)
        table.append(f"{r['test']}\t{r['total']:.2f}\t" +
                     "\t".join(f"{r.get(s, 0.0):.2f}" for s in STEPS) + f"\t{other:.2f}")
    (TIMINGS / "timings.tsv").write_text("\n".join(table) + "\n")
    total = sum(r["total"] for r in records)
    write = terminalreporter.write_line
    write(f"e2e: {len(records)} tests, {total:.0f} s of test time in "
          f"{len({r['worker'] for r in records})} worker(s); per step:")
    for s in STEPS:
        spent = sum(r.get(s, 0.0) for r in records)
        write(f"  {s:<12} {spent:7.1f} s  {100 * spent / total:5.1f}%")
    write(f"  per test: {TIMINGS / 'timings.tsv'}")


# --- progress: "[37/90] passed test_x.py::test_y  12.3 s", a line per test -------------------

class Progress:
    """Counts the tests as they end, in the controller when the workers run them."""

    def __init__(self, config):
        self.config = config
        self.total = None
        self.done = 0
        self.outcome = {}
        self.seconds = {}

    @pytest.hookimpl
    def pytest_collection_finish(self, session):
        self.total = self.total or len(session.items)

    @pytest.hookimpl(optionalhook=True)
    def pytest_xdist_node_collection_finished(self, node, ids):
        self.total = len(ids)

    @pytest.hookimpl
    def pytest_report_teststatus(self, report, config):
        # No dot or letter per test: the line below says it.
        if report.when == "call" or report.outcome != "passed":
            return report.outcome, "", report.outcome.upper()
        return None

    @pytest.hookimpl
    def pytest_runtest_logreport(self, report):
        rank = {"passed": 0, "skipped": 1, "failed": 2}
        worst = self.outcome.get(report.nodeid, "passed")
        if rank[report.outcome] > rank[worst]:
            worst = report.outcome
        self.outcome[report.nodeid] = worst
        self.seconds[report.nodeid] = self.seconds.get(report.nodeid, 0.0) + report.duration
        if report.when != "teardown":
            return
        self.done += 1
        reporter = self.config.pluginmanager.get_plugin("terminalreporter")
        if reporter is None:
            return
        reporter.ensure_newline()
        reporter.write_line(f"[{self.done}/{self.total or '?'}] {self.outcome.pop(report.nodeid):<7} "
                            f"{report.nodeid}  {self.seconds.pop(report.nodeid):.1f} s")
