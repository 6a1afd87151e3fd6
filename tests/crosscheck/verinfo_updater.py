#!/usr/bin/python3
"""Checks that verinfo.exe shows updater.exe's own version resource as the updater declares it.

Runs `wine verinfo.exe PROGRAM` through a pipe, for updater.exe and for a program named and
written in other scripts, and compares its output, decoded from UTF-8, line by line with the
lines expected below; prints each difference and exits non-zero on any, on a crash or on a
timeout.

  verinfo_updater.py --verinfo BUILD/versinfo/verinfo.exe --updater BUILD/update/updater.exe
                     --scripts BUILD/tests/fixtures/versinfo/Программы/程序.exe
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
# Each program's translation, strings and version texts. The updater's copyright sign is byte A9
# of Windows Latin-1, the resource's code page.
PROGRAMS = {
    "updater": ("040904E4", [
        ("CompanyName", "Veltmark Development"),
        ("FileDescription", "Updates programs from Internet"), ("FileVersion", "1.1.3.11"),
        ("InternalName", ""), ("LegalCopyright", "\xa9 2026 Veltmark Development"),
        ("LegalTrademarks", ""), ("OriginalFilename", "updater.exe"), ("ProductName", "Quintarel"),
        ("ProductVersion", "1.1.3.11"), ("Comments", ""), ("BuildFlags", "")], "1.1.3.11"),
    "scripts": ("041904B0", [
        ("CompanyName", "ООО «Ромашка»"), ("FileDescription", "Ενημέρωση προγραμμάτων"),
        ("FileVersion", "1.1 бета"), ("InternalName", ""), ("LegalCopyright", "© 2026 Ромашка"),
        ("LegalTrademarks", ""), ("OriginalFilename", ""), ("ProductName", "程序更新 𝄞"),
        ("ProductVersion", ""), ("Comments", "a\\x85z"), ("BuildFlags", "")], "1.1 бета")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    parser.add_argument("--updater", required=True, help="updater.exe")
    parser.add_argument("--scripts", required=True, help="the program of other scripts")
    args = parser.parse_args()
    failed = False
    for program, (translation, strings, file_version) in PROGRAMS.items():
        path = getattr(args, program)
        output, problem = run_under_wine([args.verinfo, path], TIMEOUT)
        if problem:
            print(f"verinfo {program}: {problem}")
            failed = True
            continue
        expected = ([f"file: {path}"] + FIXED + [f"translations: {translation}"]
                    + [f"string {translation} {key}: {value}" for key, value in strings]
                    + [f"file version number: {file_version}", "product version number: 1.1.3.11"])
        got = output.replace("\r\n", "\n").rstrip("\n").split("\n")
        differences = list(difflib.unified_diff(expected, got, "expected", "verinfo", lineterm=""))
        print("\n".join(differences) if differences
              else f"{program}: {len(expected)} lines as expected")
        failed = failed or bool(differences)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
