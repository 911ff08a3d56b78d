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


@pytest.fixture
def desktop(request, display, template):
    name = re.sub(r"[^A-Za-z0-9_.-]", "_", request.node.name)
    d = harness.Desktop(display, template, name)
    yield d
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
