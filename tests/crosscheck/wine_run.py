"""Runs a Windows console program under Wine for the cross-checks."""
import os
import signal
import subprocess


def add_prefix_argument(parser):
    """Gives parser the option --prefix, by default the WINEPREFIX that tools/with-wine sets."""
    parser.add_argument("--prefix", default=os.environ.get("WINEPREFIX"), help="Wine prefix")


def system_folder(parser, prefix):
    """The 32-bit system folder of the Wine prefix; a usage error when there is no prefix."""
    if not prefix:
        parser.error("no Wine prefix: give --prefix or set WINEPREFIX")
    return os.path.join(prefix, "drive_c", "windows", "system32")


# Runs a program under Wine and ends with its exit code as Windows reports it.
WINE_TEST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                         "wine-test")


def run_under_wine(arguments, timeout, cwd=None, overrides=None):
    """Runs `wine ARGUMENTS...` (the program a Unix path) in the folder cwd, with the DLL
    overrides given (a text in WINEDLLOVERRIDES' form) beside those of the environment; answers
    (its output decoded from UTF-8, any byte that is not UTF-8 kept as a lone surrogate, and a
    problem or None). The exit code is the one Windows reports, read through the build's
    exit_code_relay.exe, which EXIT_CODE_RELAY names. A crash ends the program at once, without
    Wine's debugger opening a dialog; the locale is fixed, since Wine reads the version block of
    the user's language where a file holds one per language."""
    overrides = ";".join(
        filter(None, [os.environ.get("WINEDLLOVERRIDES"), overrides, "winedbg.exe=d"]))
    env = dict(os.environ, LC_ALL="C.UTF-8", WINEDLLOVERRIDES=overrides)
    command = [WINE_TEST, "wine", os.environ["EXIT_CODE_RELAY"]] + arguments
    process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, start_new_session=True)
    problem = None
    try:
        out, _ = process.communicate(timeout=timeout)
        if process.returncode != 0:
            problem = f"exit status {process.returncode}"
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)  # the program and all it started
        out, _ = process.communicate()
        problem = f"no end after {timeout} s"
    return out.decode("utf-8", "surrogateescape"), problem
