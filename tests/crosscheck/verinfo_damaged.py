#!/usr/bin/python3
"""Runs verinfo.exe over damaged copies of programs that carry version data.

Copies the 32-bit DLLs of the Wine prefix's system folder that hold a version resource, and
updater.exe, with a few bytes changed at random (seeded, so every run damages the same bytes):
half of the copies inside the version resource, half anywhere in the file. verinfo must print a
block for each copy, and each block must be either "version data: none" or complete. A batch
that crashes or hangs is run again file by file; each failing copy is kept in --keep. Exits
non-zero on any crash, hang, missing or incomplete block.

  verinfo_damaged.py --verinfo verinfo.exe --updater updater.exe --keep DIR [--prefix PREFIX]
"""
import argparse
import os
import random
import shutil
import sys
import tempfile

import pefile

from wine_run import add_prefix_argument, run_under_wine, system_folder

SEED = 20261207
COPIES = 400  # of the DLLs; the updater adds UPDATER_COPIES
UPDATER_COPIES = 16
SOURCES = 40  # DLLs damaged, the smallest ones with version data
BATCH = 50  # files on one command line
BATCH_TIMEOUT, FILE_TIMEOUT = 30, 15  # seconds
FIXED = ["signature", "structure version", "file version", "product version", "valid flags",
         "flags", "file os", "file type", "file subtype", "file date", "creation date"]
KEYS = ("CompanyName FileDescription FileVersion InternalName LegalCopyright LegalTrademarks "
        "OriginalFilename ProductName ProductVersion Comments BuildFlags").split()
NUMBERS = ["file version number", "product version number"]


def version_resource(path):
    """The file offset and size of the first version resource's data, or None."""
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
        version = [e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == 16][0]
        data = version.directory.entries[0].directory.entries[0].data.struct
        return pe.get_offset_from_rva(data.OffsetToData), data.Size
    except (pefile.PEFormatError, AttributeError, IndexError):
        return None


def damage(rng, data, start, size):
    """Changes 1 to 8 bytes within data[start:start + size]; answers the changes as text."""
    changes = []
    for offset in rng.sample(range(start, start + size), rng.randint(1, 8)):
        new = data[offset] ^ rng.randint(1, 255)
        changes.append(f"0x{offset:x}: {data[offset]:02x}->{new:02x}")
        data[offset] = new
    return ", ".join(changes)


def make_copies(rng, sources, updater, folder):
    """Writes the damaged copies; answers {path: (source, changes)}."""
    copies = {}
    plan = [(rng.choice(sources), n % 2 == 0) for n in range(COPIES)]
    plan += [((updater, version_resource(updater)), True)] * UPDATER_COPIES
    for n, ((source, (start, size)), in_resource) in enumerate(plan):
        data = bytearray(open(source, "rb").read())
        where = (start, size) if in_resource else (0, len(data))
        changes = damage(rng, data, *where)
        path = os.path.join(folder, f"{n:03d}-{os.path.basename(source)}")
        with open(path, "wb") as copy:
            copy.write(data)
        copies[path] = (source, changes)
    return copies


def split_blocks(output):
    """verinfo's blocks by file name: each the list of its lines as (key, value)."""
    blocks, lines = {}, None
    for line in output.replace("\r\n", "\n").split("\n"):
        key, sep, value = line.partition(":")
        if key == "file" and sep:
            lines = blocks.setdefault(value.strip(), [])
        elif lines is not None and sep:
            lines.append((key, value.strip()))
    return blocks


def block_problem(lines):
    """What is wrong with one block, or None for "version data: none" or a complete one."""
    if lines == [("version data", "none")]:
        return None
    keys = [key for key, _ in lines]
    fixed = ["fixed info"] if keys[:1] == ["fixed info"] else FIXED
    at = len(fixed)
    ids = lines[at][1].split() if len(lines) > at and keys[at] == "translations" else []
    strings = [f"string {i} {key}" for i in ids or ["040904E4"] for key in KEYS]
    want = fixed + ["translations"] + strings + NUMBERS
    return None if keys == want else f"incomplete: {len(keys)} of {len(want)} lines, {keys}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    parser.add_argument("--updater", required=True, help="updater.exe")
    parser.add_argument("--keep", required=True, help="folder for the copies that fail")
    add_prefix_argument(parser)
    args = parser.parse_args()
    system_dir = system_folder(parser, args.prefix)
    paths = sorted((os.path.join(system_dir, n) for n in os.listdir(system_dir)
                    if n.lower().endswith(".dll")), key=lambda p: (os.path.getsize(p), p))
    sources = []
    for path in paths:
        resource = version_resource(path)
        sources += [(path, resource)] if resource and len(sources) < SOURCES else []
    rng = random.Random(SEED)
    problems, blocks = [], {}
    with tempfile.TemporaryDirectory() as folder:
        copies = make_copies(rng, sources, args.updater, folder)
        names = list(copies)
        for batch in (names[i:i + BATCH] for i in range(0, len(names), BATCH)):
            out, problem = run_under_wine([args.verinfo] + batch, BATCH_TIMEOUT)
            if not problem:
                blocks.update(split_blocks(out))
                continue
            for name in batch:  # to find the one that crashes or hangs
                out, problem = run_under_wine([args.verinfo, name], FILE_TIMEOUT)
                blocks.update(split_blocks(out))
                if problem:
                    problems.append((name, problem))
        crashed = {name for name, _ in problems}
        for name in [n for n in names if n not in crashed]:
            lines = blocks.get(name)
            problem = "no block" if lines is None else block_problem(lines)
            if problem:
                problems.append((name, problem))
        for name, problem in problems:
            os.makedirs(args.keep, exist_ok=True)
            shutil.copy(name, args.keep)
            source, changes = copies[name]
            print(f"{os.path.basename(name)} (from {source}; {changes}): {problem}")
    none = sum(blocks.get(n) == [("version data", "none")] for n in names)
    print(f"sources: {len(sources)} DLLs and updater.exe\ncopies: {len(names)}\n"
          f"with data: {len(names) - none - len(problems)}\nnone: {none}\n"
          f"problems: {len(problems)}" + (f" (copies kept in {args.keep})" if problems else ""))
    return 1 if problems or len(sources) < SOURCES else 0


if __name__ == "__main__":
    sys.exit(main())
