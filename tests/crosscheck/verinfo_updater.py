#!/usr/bin/python3
"""Checks that verinfo.exe shows updater.exe's own version resource as the updater declares it,
and a program named and written in other scripts (whose fixed part is the updater's).

Runs `wine verinfo.exe PROGRAM` through a pipe and compares its output, decoded from UTF-8, line
by line with the lines expected below; prints each difference and exits non-zero on any, on a
crash or on a timeout.

  verinfo_updater.py --verinfo verinfo.exe --updater updater.exe --scripts 程序.exe
"""
import argparse
import difflib
import sys

from wine_run import run_under_wine

TIMEOUT = 120  # seconds
FIXED = """\
signature: 0xfeef04bd
structure version: 0x00010000
file version: 0x00010001 0x0003000b
product version: 0x00010001 0x0003000b
valid flags: 0x0000003f debug infoinferred patched prerelease privatebuild specialbuild
flags: 0x00000000
file os: 0x00000004 unknown windows32
file type: 0x00000001 application
file subtype: 0x00000000
file date: 0x00000000 0x00000000
creation date: -109205.000000""".splitlines()
# The copyright sign is byte A9 of Windows Latin-1, the resource's code page.
STRINGS = [("CompanyName", "Veltmark Development"),
           ("FileDescription", "Updates programs from Internet"),
           ("FileVersion", "1.1.3.11"), ("InternalName", ""),
           ("LegalCopyright", "\xa9 2026 Veltmark Development"),
           ("LegalTrademarks", ""), ("OriginalFilename", "updater.exe"),
           ("ProductName", "Quintarel"), ("ProductVersion", "1.1.3.11"), ("Comments", ""),
           ("BuildFlags", "")]
NUMBERS = ["file version number: 1.1.3.11", "product version number: 1.1.3.11"]
SCRIPTS = [("CompanyName", "ООО «Ромашка»"), ("FileDescription", "Ενημέρωση προγραμμάτων"),
           ("FileVersion", "1.1 бета"), ("ProductName", "程序更新 𝄞"), ("Comments", "a\\x85z")]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    parser.add_argument("--updater", required=True, help="updater.exe")
    parser.add_argument("--scripts", required=True, help="the program of other scripts")
    args = parser.parse_args()
    scripts = [(key, dict(SCRIPTS).get(key, "")) for key, _ in STRINGS]
    differences = []
    for program, table, strings, numbers in (
            (args.updater, "040904E4", STRINGS, NUMBERS),
            (args.scripts, "041904B0", scripts, ["file version number: 1.1 бета", NUMBERS[1]])):
        output, problem = run_under_wine([args.verinfo, program], TIMEOUT)
        expected = ([f"file: {program}"] + FIXED + [f"translations: {table}"]
                    + [f"string {table} {key}: {value}" for key, value in strings] + numbers)
        got = output.replace("\r\n", "\n").rstrip("\n").split("\n")
        got += [f"verinfo: {problem}"] if problem else []
        differences += difflib.unified_diff(expected, got, "expected", "verinfo", lineterm="")
    print("\n".join(differences) if differences else "all lines as expected")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
