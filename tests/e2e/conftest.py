"""Fixtures of the end-to-end scenarios.

The build passes the paths through the environment:
  EPILOOM_E2E_EXE        Epiloom.exe (x86_64 build with the test settings)
  EPILOOM_E2E_DRIVER     epiloom_driver.exe
  EPILOOM_E2E_RECORDER   recorder.exe
  EPILOOM_E2E_UPDATER    the one updater this build accepts (its MD5 is built in)
  EPILOOM_E2E_ARTIFACTS  folder for screenshots
"""

import os
import time
from pathlib import Path

import pytest

import harness


def required_path(variable):
    value = os.environ.get(variable)
    if not value:
        pytest.fail("%s is not set: run the scenarios through ctest (preset win64-e2e)" % variable, pytrace=False)
    if not Path(value).is_file():
        pytest.fail("%s=%s does not exist: build it first" % (variable, value), pytrace=False)
    return value


@pytest.fixture(scope="session")
def wine_session():
    session = harness.WineSession(
        exe=required_path("EPILOOM_E2E_EXE"),
        driver=required_path("EPILOOM_E2E_DRIVER"),
        recorder=required_path("EPILOOM_E2E_RECORDER"),
        artifacts=os.environ.get("EPILOOM_E2E_ARTIFACTS", str(Path.cwd() / "e2e-artifacts")),
    )
    try:
        session.start()
        yield session
    finally:
        session.stop()
        for what, seconds in session.timings.items():
            print("\n[e2e] %s: %.1f s" % (what, seconds))


@pytest.fixture(scope="session")
def updater_bytes():
    """The bytes of the updater whose digest the program under test accepts."""
    return Path(required_path("EPILOOM_E2E_UPDATER")).read_bytes()


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "report_" + report.when, report)


@pytest.fixture
def app(wine_session, tmp_path, request):
    """A scenario: its own prefix copy, program folder and fixture site."""
    started = time.monotonic()
    scenario = harness.Scenario(wine_session, tmp_path, request.node.name)
    try:
        yield scenario
    finally:
        report = getattr(request.node, "report_call", None)
        if report is not None and report.failed:
            scenario.screenshot("failed")
        scenario.teardown()
        print("\n[e2e] %s: %.1f s" % (request.node.name, time.monotonic() - started))
