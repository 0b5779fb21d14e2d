"""The harness itself: a start that Wine broke is made again in a new Wine
session, a bounded number of times, and a program's own failure is not.
No Wine runs here: Wine's logs are written by the tests."""

import shutil
import subprocess
import sys
from pathlib import Path

import pytest

import harness

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
import wine_session  # noqa: E402

SHARED_DATA = "wine: failed to map the shared user data: c0000018"
EXPLORER = '0080:err:winediag:nodrv_CreateWindow L"The explorer process failed to start."'
NO_DRIVER = "0080:err:winediag:nodrv_CreateWindow Application tried to create a window, but no driver could be loaded."
NO_DISPLAY = ("0024:err:winediag:x11drv_init_thread_data x11drv: Can't open display: :97. Please ensure that your "
              "X server is running and that $DISPLAY is set correctly.")
CRASH = "wine: Unhandled page fault on read access to 0000000000000000 at address 00000001400123AB (thread 0128)"
HARMLESS = ('0024:err:module:import_dll Library MSVCR100.dll (which is needed by L"C:\\\\x.dll") not found\n'
            '0030:err:wineboot:process_run_key failed to open L"C:\\\\windows\\\\syswow64\\\\rundll32.exe"\n'
            "0024:err:ole:CoGetClassObject class {00000000-0000-0000-0000-000000000000} not registered")
WINE_FAULTS = [SHARED_DATA, EXPLORER, NO_DRIVER, NO_DISPLAY]
FAULT_NAMES = ["shared user data", "explorer", "no window driver", "no display"]


@pytest.mark.parametrize("log, kinds", [
    (SHARED_DATA, ["shared user data not mapped"]),
    (NO_DRIVER + "\n" + EXPLORER, ["desktop process failed", "no window driver"]),
    (NO_DISPLAY, ["display not opened"]),
    (HARMLESS + "\n" + SHARED_DATA + "\n" + HARMLESS, ["shared user data not mapped"]),
    (HARMLESS, []),
    (CRASH, []),
    ("", []),
], ids=["shared user data", "desktop process", "display", "among other errors", "other errors", "a crash", "empty"])
def test_wines_own_faults_are_told_from_other_lines(log, kinds):
    assert wine_session.fault_kinds(log) == kinds
    assert wine_session.fault_lines(log) == [line for line in log.splitlines() if line in WINE_FAULTS]


def test_the_command_names_the_fault_lines_of_logs(tmp_path, capsys):
    faulty, sound = tmp_path / "faulty.log", tmp_path / "sound.log"
    faulty.write_text(HARMLESS + "\n" + EXPLORER + "\n")
    sound.write_text(HARMLESS + "\n" + CRASH + "\n")
    assert wine_session.main(["faults", str(sound), str(tmp_path / "missing.log")]) == 1
    assert capsys.readouterr().out == ""
    assert wine_session.main(["faults", str(sound), str(faulty)]) == 0
    assert capsys.readouterr().out == EXPLORER + "\n"


@pytest.mark.parametrize("outcomes, attempts, sessions_ended, result", [
    ([[]], 1, 0, 0),
    ([[SHARED_DATA], []], 2, 1, 1),
    ([[EXPLORER], [NO_DISPLAY], [SHARED_DATA], []], 4, 3, 3),
    ([[SHARED_DATA]] * 10, wine_session.RESTARTS + 1, wine_session.RESTARTS, wine_session.RESTARTS),
], ids=["sound", "one fault", "three faults", "always faulty"])
def test_a_start_wine_broke_is_made_again_in_new_sessions_a_bounded_number_of_times(outcomes, attempts,
                                                                                   sessions_ended, result):
    calls, ended, said = [], [], []

    def attempt():
        calls.append(len(ended))  # how many sessions had been ended before this attempt
        return len(calls) - 1, outcomes[len(calls) - 1]

    got = wine_session.retry_while_wine_fails(attempt, lambda: ended.append(1), "the start", say=said.append)
    assert got == result
    assert calls == list(range(attempts))
    assert len(ended) == sessions_ended
    # Every fault is said with Wine's own line, also the last one given up on.
    faulty = [faults for faults in outcomes[:attempts] if faults]
    assert len(said) == len(faulty)
    assert all(faults[0] in text for faults, text in zip(faulty, said))


class FakeProcess:
    def __init__(self, log_path, code):
        self.log_path, self.code = log_path, code
        self.driver_log_start = 0

    def poll(self):
        return self.code


class FakeDriverLog:
    def __init__(self, path):
        self.log_path = path


def scenario_with(tmp_path, starts, driver_log=""):
    """A Scenario whose starts are scripted: each (Wine's log, exit code or
    None while running, window shown, paths it asks for). Counts the new
    Wine sessions it makes."""
    app = harness.Scenario.__new__(harness.Scenario)
    app.name, app.tmp, app.processes, app.site, app.earlier_requests = "fake", tmp_path, [], None, []
    app.start_trouble = None
    (tmp_path / "driver.log").write_text(driver_log)
    app._driver = FakeDriverLog(tmp_path / "driver.log")
    app.sessions = 0
    script = iter(starts)

    def launch():
        log, code, shown, asks = next(script)
        path = tmp_path / ("wine-%d.log" % len(app.processes))
        path.write_text(log)
        proc = FakeProcess(path, code)
        proc.driver_log_start = 0
        app.processes.append(proc)
        app.earlier_requests += asks
        app.shown = shown
        return proc

    def new_wine_session():
        app.sessions += 1
        app.processes.clear()

    app.launch, app.wait_started, app.new_wine_session = launch, lambda proc: app.shown, new_wine_session
    app.backtraces = lambda: "(threads)"
    app.screenshot = lambda label: None
    return app


@pytest.mark.parametrize("fault", WINE_FAULTS, ids=FAULT_NAMES)
def test_a_program_start_that_wine_broke_is_made_in_a_new_session(tmp_path, fault):
    app = scenario_with(tmp_path, [(HARMLESS + "\n" + fault, 1, False, []), ("", None, True, [])])
    proc = app.start()
    assert app.sessions == 1
    assert proc.code is None and app.processes == [proc]


def test_a_session_that_stays_broken_is_given_up_after_the_bounded_restarts(tmp_path):
    app = scenario_with(tmp_path, [(SHARED_DATA, 1, False, [])] * (wine_session.RESTARTS + 2))
    proc = app.start()
    assert app.sessions == wine_session.RESTARTS
    assert proc.code == 1


@pytest.mark.parametrize("log, code, asks", [
    (CRASH, 0xC0000005, []),                      # crashed by itself before asking for anything
    ("", 3, ["/Epiloom/lastversion.dat"]),        # asked for something, then ended without a window
    (EXPLORER, 1, ["/Epiloom/lastversion.dat"]),  # its own code ran: what happened is its own
    ("", 0, []),                                  # a second copy that leaves quietly
], ids=["crash", "asked then ended", "asked then Wine's line", "second copy"])
def test_a_programs_own_failure_is_not_started_again(tmp_path, log, code, asks):
    app = scenario_with(tmp_path, [(log, code, False, asks), ("", None, True, [])])
    proc = app.start()
    assert app.sessions == 0
    assert proc.code == code


def test_wines_lines_in_the_drivers_log_count_from_the_launch_on(tmp_path):
    # The desktop process writes to the log of the process that started it,
    # here the driver's. What the driver's log held before the launch is not
    # this start's.
    before = scenario_with(tmp_path, [("", 1, False, [])], driver_log=EXPLORER + "\n")
    original_launch = before.launch

    def launch_after_the_line():
        proc = original_launch()
        proc.driver_log_start = len(EXPLORER) + 1
        return proc

    before.launch = launch_after_the_line
    before.start()
    assert before.sessions == 0

    after = scenario_with(tmp_path, [("", 1, False, []), ("", None, True, [])], driver_log=EXPLORER + "\n")
    after.start()
    assert after.sessions == 1


def test_a_warm_session_that_wine_broke_is_ended_and_started_again(tmp_path, monkeypatch):
    """The spare session a scenario takes is started while the previous one
    runs; its desktop process can fail there already."""
    session = harness.WineSession("Epiloom.exe", "driver.exe", "recorder.exe", tmp_path / "artifacts")
    prefix = tmp_path / "prefix-1"
    env = {"WINEPREFIX": str(prefix)}
    runs, ended = [], []

    def run(args, stdout=None, **kwargs):
        runs.append(args[0])
        if args[0] == "wine" and runs.count("wine") <= 2:  # the first two sessions lose their desktop
            stdout.write((NO_DRIVER + "\n" + EXPLORER + "\n").encode())
        return subprocess.CompletedProcess(args, 0)

    monkeypatch.setattr(harness.subprocess, "run", run)
    monkeypatch.setattr(wine_session, "end_session", lambda e: ended.append(e["WINEPREFIX"]))
    try:
        session.start_wine(env, "the spare")
    finally:
        shutil.rmtree(session.workdir)
    assert runs == ["wineserver", "wine"] * 3
    assert ended == [str(prefix)] * 2


@pytest.mark.parametrize("program_running", [False, True], ids=["no program", "program running"])
def test_a_driver_whose_start_wine_broke_gets_a_new_session_unless_that_would_end_the_program(
        tmp_path, monkeypatch, program_running):
    logs = iter([NO_DRIVER + "\n" + EXPLORER + "\n", ""])  # what Wine writes for each driver started
    drivers = []

    class FakeDriver:
        def __init__(self, exe, env, log_path):
            self.log_path, self.log_start = Path(log_path), Path(log_path).stat().st_size
            with open(log_path, "a") as log:
                log.write(next(logs))
            self.stopped = False
            drivers.append(self)

        def __call__(self, *args, timeout_s=None):
            return 0, "[]"

        def stop(self):
            self.stopped = True

    monkeypatch.setattr(harness, "Driver", FakeDriver)
    app = scenario_with(tmp_path, [])
    app.session = harness.WineSession.__new__(harness.WineSession)
    app.session.driver, app.env, app.watching = "driver.exe", {}, False
    if program_running:
        app.processes.append(FakeProcess(tmp_path / "wine-0.log", None))
        with pytest.raises(harness.HarnessError, match="explorer process failed"):
            app.start_driver()
        assert app.sessions == 0
        assert [d.stopped for d in drivers] == [True]
    else:
        driver = app.start_driver()
        assert app.sessions == 1
        assert driver is drivers[1] and [d.stopped for d in drivers] == [True, False]
