import os
import re

import pytest

import harness


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


@pytest.fixture
def desktop(request, display, template):
    name = re.sub(r"[^A-Za-z0-9_.-]", "_", request.node.name)
    d = harness.Desktop(display, template, name)
    yield d
    if getattr(request.node, "failed_call", False):
        try:  # what the screen showed when the test failed
            d.screenshot("failure")
        except Exception:  # pylint: disable=broad-except
            pass
    d.close()


def pytest_configure(config):
    config.addinivalue_line("markers", "bench: end-to-end figures (run by make bench)")


def pytest_collection_modifyitems(config, items):
    if os.environ.get("RAVAK_E2E_BENCH"):
        return
    skip = pytest.mark.skip(reason="benchmark: run with make bench")
    for item in items:
        if "bench" in item.keywords:
            item.add_marker(skip)
