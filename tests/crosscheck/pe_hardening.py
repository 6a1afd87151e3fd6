#!/usr/bin/python3
"""Checks the hardening of the built programs as Windows sees it, with python3-pefile.

For each program: ASLR (DYNAMIC_BASE, with base relocations to apply), DEP (NX_COMPAT), no
structured exception handlers (NO_SEH), TERMINAL_SERVER_AWARE, and imports, at start or
delayed, of Windows' own DLLs only (no runtime DLL such as libssp-0.dll or libstdc++). Prints
one line per failed check.

  pe_hardening.py A.EXE B.EXE
"""
import argparse
import sys

import pefile

FLAGS = ["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE", "IMAGE_DLLCHARACTERISTICS_NX_COMPAT",
         "IMAGE_DLLCHARACTERISTICS_NO_SEH", "IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE"]
WINDOWS_DLLS = {"kernel32.dll", "msvcrt.dll", "advapi32.dll", "user32.dll", "gdi32.dll",
                "comctl32.dll", "shell32.dll", "wininet.dll", "version.dll", "wintrust.dll",
                "crypt32.dll", "bcrypt.dll"}


def program_problems(path):
    pe = pefile.PE(path)
    characteristics = pe.OPTIONAL_HEADER.DllCharacteristics
    problems = [f"lacks {flag}" for flag in FLAGS
                if not characteristics & pefile.DLL_CHARACTERISTICS[flag]]
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if relocations.Size == 0:
        problems.append("has no base relocations")
    imports = (getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
               + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []))
    problems += [f"imports {name}" for name in
                 sorted({entry.dll.decode().lower() for entry in imports} - WINDOWS_DLLS)]
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    failures = [f"{path}: {problem}" for path in args.programs
                for problem in program_problems(path)]
    print("\n".join(failures) if failures else f"{len(args.programs)} programs hardened")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
