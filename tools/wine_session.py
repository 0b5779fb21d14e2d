"""Wine's own start-up faults: how to tell them from a program's, and what to
do about them. Shared by the end-to-end harness (tests/e2e/harness.py), the
tools that start Wine through it, the demo script and the measurement of how
often the faults come (tools/measure_wine_starts.py).

Now and then a Wine process fails before any code of the program runs:

- the process cannot map Wine's shared user data at its fixed address
  ("wine: failed to map the shared user data: c0000018"; the address is
  taken by something the kernel placed there at random) and ends at once;
- when that process was the session's desktop process (explorer.exe), every
  window of the session then fails ("The explorer process failed to start.",
  "Application tried to create a window, but no driver could be loaded") for
  as long as the session lives;
- the display could not be opened ("Can't open display"); the program's
  windows then fail too ("no driver could be loaded").

None of these is the program's doing, and only a new Wine session
(`wineserver -k`, then start again) recovers. A program that asked for
something, or ended without one of these lines, failed by itself: that is
never started again.

As a command, for shell scripts:

    python3 tools/wine_session.py faults LOG...   prints Wine's fault lines
                                                  of the logs; exit code 0
                                                  when there were any, 1 when not
"""

import re
import subprocess
import sys

# How many times a start that Wine broke is made again, each in a new session.
RESTARTS = 3

# (what went wrong, the lines Wine writes about it). Wine writes the first
# always (a MESSAGE) and the others on its err channel, which the harness
# and the tools keep on (WINEDEBUG=-all,err+all).
FAULTS = (
    ("shared user data not mapped", re.compile(r"failed to map the shared user data")),
    ("desktop process failed", re.compile(r"explorer process failed to start")),
    ("display not opened", re.compile(r"Can't open display")),
    # Said by every window of a session whose display or desktop failed.
    ("no window driver", re.compile(r"no driver could be loaded")),
)


def fault_lines(text):
    """The lines of a Wine log that say a start failed for Wine's own
    reasons; empty when there are none."""
    return [line.strip() for line in text.splitlines() if any(p.search(line) for _, p in FAULTS)]


def fault_kinds(text):
    """The kinds of Wine's own faults named in a log, in FAULTS order."""
    return [kind for kind, pattern in FAULTS if pattern.search(text)]


def read_log(path, start=0):
    """A log's text from byte `start` on; empty when there is no log."""
    try:
        with open(path, "rb") as f:
            f.seek(start)
            return f.read().decode("utf-8", errors="replace")
    except FileNotFoundError:
        return ""


def end_session(env, timeout_s=30):
    """Ends the Wine session of env's WINEPREFIX: all its processes and its
    wineserver. Returns when the server has gone (or after timeout_s)."""
    try:
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout_s)
    except subprocess.TimeoutExpired:
        pass


def retry_while_wine_fails(attempt, end, what, say=print, restarts=RESTARTS):
    """Runs attempt(), which returns (its result, Wine's fault lines of it).
    While those lines are there, says so with the lines, ends the Wine session
    (end()) and runs attempt() again: at most `restarts` times. Returns the
    last result; a failure without Wine's lines is the caller's to judge."""
    for restart in range(restarts + 1):
        result, faults = attempt()
        if not faults:
            return result
        lines = "\n".join("    " + line for line in faults)
        if restart == restarts:
            say("%s failed for Wine's own reasons again after %d new Wine sessions (%s):\n%s"
                % (what, restarts, ", ".join(fault_kinds("\n".join(faults))), lines))
            return result
        say("%s failed for Wine's own reasons (%s); ending the Wine session and starting afresh (%d of %d):\n%s"
            % (what, ", ".join(fault_kinds("\n".join(faults))), restart + 1, restarts, lines))
        end()
    return result


def main(argv):
    if len(argv) < 2 or argv[0] != "faults":
        sys.stderr.write("usage: wine_session.py faults LOG...\n")
        return 2
    lines = [line for path in argv[1:] for line in fault_lines(read_log(path))]
    for line in lines:
        print(line)
    return 0 if lines else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
