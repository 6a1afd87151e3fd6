#!/usr/bin/python3
"""Checks that updater.exe and verinfo.exe load Windows' DLLs only from the system folder.

Copies of a planted library, named after Windows' DLLs that are not KnownDLLs, lie beside the
programs or in their current folder. Wine is told to prefer such a file to its own DLL, as
Windows would. Loaded, the library leaves "<name>.loaded" beside itself and fails its load.
Each row runs a program and checks that no marker appeared and that the program did its work:
the update check reached the server, the install step ended with one of its outcomes, verinfo
printed a version. Prints one line per row; exits non-zero when a row failed.

  dll_planting.py --updater UPDATER.EXE --verinfo VERINFO.EXE --planted PLANTED.DLL
"""
import argparse
import os
import shutil
import socket
import sys
import tempfile
import threading

from wine_run import run_under_wine

PLANTED_NAMES = ["version", "wininet", "bcrypt", "crypt32", "wintrust", "uxtheme", "dbghelp"]
OVERRIDES = ",".join(PLANTED_NAMES) + "=n,b"
SERVER = "127.0.5.1"  # nothing else in the tests listens here
SETTINGS = ("[Updater]\r\nAppTitle=Planted\r\n"
            f"VersionFile=http://{SERVER}/version\r\nDownloadFile=http://{SERVER}/host.exe\r\n")
CHECK_TIME = 20  # seconds the update check is given before it is ended; it shows a box
TIMEOUT = 120
INSTALL_OUTCOMES = range(4096, 4106)  # TInstallOutcome

# program, arguments ({host}, {updater} are paths in the program's folder), where the DLLs lie
ROWS = [
    ("updater.exe", ["1", "{host}"], "beside the program"),
    ("updater.exe", ["/install", "a", "b"], "beside the program"),
    ("verinfo.exe", ["{updater}"], "beside the program"),
    ("updater.exe", ["1", "{host}"], "in the current folder"),
    ("updater.exe", ["/install", "a", "b"], "in the current folder"),
    ("verinfo.exe", ["{updater}"], "in the current folder"),
]


class RequestCounter:
    """Counts the requests on SERVER:80 and drops each, so that the check fails at once."""

    def __init__(self):
        self.count = 0
        self.listener = socket.create_server((SERVER, 80))
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            connection, _ = self.listener.accept()
            with connection:
                if connection.recv(4096):
                    self.count += 1


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def run_row(args, server, root, row):
    program, arguments, where = row
    program_folder = os.path.join(root, "program")
    current_folder = os.path.join(root, "current")
    for folder in (program_folder, current_folder):
        os.makedirs(folder)
    for source, name in ((args.updater, "updater.exe"), (args.verinfo, "verinfo.exe"),
                         (args.verinfo, "host.exe")):
        shutil.copy(source, os.path.join(program_folder, name))
    with open(os.path.join(program_folder, "updater.ini"), "w", encoding="ascii") as settings:
        settings.write(SETTINGS)
    planted_folder = program_folder if where.startswith("beside") else current_folder
    for name in PLANTED_NAMES:
        shutil.copy(args.planted, os.path.join(planted_folder, name + ".dll"))

    paths = {"host": windows_path(os.path.join(program_folder, "host.exe")),
             "updater": windows_path(os.path.join(program_folder, "updater.exe"))}
    command = [os.path.join(program_folder, program)] + [a.format(**paths) for a in arguments]
    requests_before = server.count
    checks = arguments[0] == "1"
    output, problem = run_under_wine(command, CHECK_TIME if checks else TIMEOUT,
                                     cwd=current_folder, overrides=OVERRIDES)
    loaded = sorted(name for name in os.listdir(planted_folder) if name.endswith(".loaded"))
    if loaded:
        return "loaded " + ", ".join(loaded)
    if checks:
        return None if server.count > requests_before else (
            f"the check reached no server ({problem or 'the updater ended by itself'})")
    if program == "verinfo.exe":
        return problem or (None if "file version number: 1.1.3.11" in output else
                           "printed no version")
    # Wine hands on the exit code's low byte only.
    if problem and problem not in [f"exit status {code & 0xff}" for code in INSTALL_OUTCOMES]:
        return f"no outcome of the install step: {problem}"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--updater", required=True, help="updater.exe")
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    parser.add_argument("--planted", required=True, help="the planted library")
    args = parser.parse_args()
    server = RequestCounter()
    failures = 0
    for row in ROWS:
        with tempfile.TemporaryDirectory() as root:
            failure = run_row(args, server, root, row)
        failures += failure is not None
        print(f"{'FAILED' if failure else 'ok'}: {row[0]} {' '.join(row[1])}, DLLs {row[2]}"
              + (f": {failure}" if failure else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
