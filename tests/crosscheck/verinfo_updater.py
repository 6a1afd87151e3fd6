#!/usr/bin/python3
"""Checks that verinfo.exe shows updater.exe's own version resource as the updater declares it.

Runs `wine verinfo.exe UPDATER` and compares its output line by line with the lines expected
below; prints each difference and exits non-zero on any, on a crash or on a timeout.

  verinfo_updater.py --verinfo BUILD/versinfo/verinfo.exe --updater BUILD/update/updater.exe
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
creation date: -109205.000000
translations: 040904E4""".splitlines()
# The copyright sign is byte A9 of Windows Latin-1, the resource's code page.
STRINGS = [("CompanyName", "Veltmark Development"),
           ("FileDescription", "Updates programs from Internet"),
           ("FileVersion", "1.1.3.11"), ("InternalName", ""),
           ("LegalCopyright", "\xa9 2026 Veltmark Development"),
           ("LegalTrademarks", ""), ("OriginalFilename", "updater.exe"),
           ("ProductName", "Quintarel"), ("ProductVersion", "1.1.3.11"), ("Comments", ""),
           ("BuildFlags", "")]
NUMBERS = ["file version number: 1.1.3.11", "product version number: 1.1.3.11"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    parser.add_argument("--updater", required=True, help="updater.exe")
    args = parser.parse_args()
    output, problem = run_under_wine([args.verinfo, args.updater], TIMEOUT)
    if problem:
        print(f"verinfo: {problem}")
        return 1
    expected = ([f"file: {args.updater}"] + FIXED
                + [f"string 040904E4 {key}: {value}" for key, value in STRINGS] + NUMBERS)
    got = output.replace("\r\n", "\n").rstrip("\n").split("\n")
    differences = list(difflib.unified_diff(expected, got, "expected", "verinfo", lineterm=""))
    print("\n".join(differences) if differences else f"{len(expected)} lines as expected")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
