#!/usr/bin/python3
"""Cross-checks verinfo.exe against pefile, a reader of version resources of its own.

Runs `wine verinfo.exe` over every program and DLL of the Wine prefix's system folder, in
batches, and wants a block for each of them. Where pefile reads the file, each fixed field, the
translation list and each string value of printable ASCII must agree with what pefile reads;
a file without version resource must print "version data: none". Wine's 16-bit (NE) files are
beyond pefile: for them only the block is required. Exits non-zero on any difference, crash,
timeout or missing block, and when nothing was compared.

  verinfo_pefile.py --verinfo BUILD/versinfo/verinfo.exe [--prefix WINEPREFIX]
"""
import argparse
import os
import re
import sys

import pefile

from wine_run import add_prefix_argument, run_under_wine, system_folder

KEYS = ("CompanyName FileDescription FileVersion InternalName LegalCopyright LegalTrademarks "
        "OriginalFilename ProductName ProductVersion Comments BuildFlags").split()
# verinfo's line for each field of VS_FIXEDFILEINFO, and pefile's names of its 32-bit values.
FIXED = [("signature", ["Signature"]), ("structure version", ["StrucVersion"]),
         ("file version", ["FileVersionMS", "FileVersionLS"]),
         ("product version", ["ProductVersionMS", "ProductVersionLS"]),
         ("valid flags", ["FileFlagsMask"]), ("flags", ["FileFlags"]), ("file os", ["FileOS"]),
         ("file type", ["FileType"]), ("file subtype", ["FileSubtype"]),
         ("file date", ["FileDateMS", "FileDateLS"])]
SYSTEM_DIR = "C:\\windows\\system32\\"
BATCH_CHARS = 4000  # of file names on one command line, far below Windows' 32767
BATCH_TIMEOUT = 120  # seconds
LISTED = 40  # mismatches and problems listed of each
LANG_NEUTRAL, LANG_EN_US = 0x0000, 0x0409


def run_verinfo(verinfo, names, problems):
    """Runs verinfo over the files in batches; answers its output as text."""
    batches, batch = [], []
    for name in names:
        if batch and sum(len(SYSTEM_DIR) + len(n) + 3 for n in batch + [name]) > BATCH_CHARS:
            batches.append(batch)
            batch = []
        batch.append(name)
    batches.append(batch)
    output = ""
    for batch in batches:
        out, problem = run_under_wine([verinfo] + [SYSTEM_DIR + n for n in batch], BATCH_TIMEOUT)
        if problem:
            problems.append(f"batch {batch[0]} .. {batch[-1]}: {problem}")
        output += out + "\n"
    return output


def unescape(value):
    """Undoes verinfo's escaping of backslashes (\\\\) and control characters (\\xNN)."""
    return re.sub(r"\\(\\|x[0-9a-f]{2})",
                  lambda m: "\\" if m[1] == "\\" else chr(int(m[1][1:], 16)), value)


def parse_blocks(output):
    """verinfo's blocks by the file name they start with: each a dict of line key to value."""
    blocks, block = {}, None
    for line in output.replace("\r\n", "\n").split("\n"):
        key, sep, value = line.partition(":")
        if not sep:
            continue
        value = value[1:] if value.startswith(" ") else value
        if key == "file":
            block = blocks.setdefault(value[len(SYSTEM_DIR):], {})
        elif block is not None:
            block[key] = value
    return blocks


def translation_ids(data, var):
    """The identifiers of the Translation value's pairs, as verinfo writes them (a language of
    0 taken as 0409, a code page of 0 as 04E4). pefile keeps only the last pair, so the value is
    read from the file: it starts after the 6-byte header and the key, on a 4-byte boundary."""
    start = var.get_file_offset() + 32  # 6 + len("Translation\0") * 2 = 30, aligned to 32
    words = [int.from_bytes(data[i:i + 2], "little")
             for i in range(start, start + var.ValueLength - var.ValueLength % 4, 2)]
    return [f"{lang or 0x0409:04X}{cp or 0x04E4:04X}" for lang, cp in zip(words[::2], words[1::2])]


def expected_block(path):
    """What pefile reads: None for a file that is no PE image, {} for one without version data,
    else the fields, translations and strings (value None where it is not printable ASCII)."""
    try:
        pe = pefile.PE(path, fast_load=True)
    except pefile.PEFormatError:
        return None
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "VS_VERSIONINFO"):
        return {}
    # One block per language: Wine reads the neutral one, else the user's (English, US).
    version_type = [e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.id == 16][0]
    langs = [e.id for e in version_type.directory.entries[0].directory.entries]
    index = next((langs.index(lang) for lang in (LANG_NEUTRAL, LANG_EN_US) if lang in langs), 0)
    parsed = (len(pe.VS_VERSIONINFO), len(pe.VS_FIXEDFILEINFO), len(pe.FileInfo))
    index = index if parsed == (len(langs),) * 3 else 0
    block = {"fixed": None, "translations": [], "strings": {}}
    if pe.VS_VERSIONINFO[index].ValueLength:
        fixed = pe.VS_FIXEDFILEINFO[index]
        block["fixed"] = {line: " ".join(f"0x{getattr(fixed, f):08x}" for f in fields)
                          for line, fields in FIXED}
    tables = []
    for info in pe.FileInfo[index]:
        if info.Key == b"StringFileInfo":
            tables += info.StringTable
        elif info.Key == b"VarFileInfo" and not block["translations"]:
            block["translations"] = next((translation_ids(pe.__data__, var) for var in info.Var
                                          if b"Translation" in getattr(var, "entry", {})), [])
    for tid in block["translations"] or ["040904E4"]:
        table = next((t.entries for t in tables if t.LangID.decode().upper() == tid), {})
        for key in KEYS:
            value = next((v for k, v in table.items() if k.decode().lower() == key.lower()), b"")
            printable = all(32 <= c < 127 for c in value)
            block["strings"][f"string {tid} {key}"] = value.decode() if printable else None
    return block


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--verinfo", required=True, help="verinfo.exe")
    add_prefix_argument(parser)
    args = parser.parse_args()
    system_dir = system_folder(parser, args.prefix)
    names = sorted(n for n in os.listdir(system_dir) if n.lower().endswith((".dll", ".exe")))
    problems, mismatches = [], []
    blocks = parse_blocks(run_verinfo(args.verinfo, names, problems))
    count = dict.fromkeys(["files", "not PE", "with version data", "fixed fields",
                           "translation lists", "string values", "of them not empty",
                           "skipped"], 0)

    def compare(name, field, want, got):
        if want != got:
            mismatches.append(f"{name}: {field}: pefile {want!r}, verinfo {got!r}")

    for name in names:
        count["files"] += 1
        got = blocks.get(name)
        want = expected_block(os.path.join(system_dir, name))
        if got is None:
            problems.append(f"{name}: no block")
        elif "error" in got:
            problems.append(f"{name}: error: {got['error']}")
        elif want is None:
            count["not PE"] += 1
        elif not want or "version data" in got:
            got_value = got.get("version data", "read")
            compare(name, "version data", "read" if want else "none", got_value)
        else:
            count["with version data"] += 1
            if not want["fixed"]:
                compare(name, "fixed info", "none", got.get("fixed info"))
            for line, fields in FIXED if want["fixed"] else []:
                count["fixed fields"] += len(fields)
                got_value = " ".join(got.get(line, "").split()[:len(fields)])
                compare(name, line, want["fixed"][line], got_value)
            count["translation lists"] += 1
            compare(name, "translations", want["translations"], got.get("translations", "").split())
            for key, want_value in want["strings"].items():
                if want_value is None:
                    count["skipped"] += 1
                    continue
                count["string values"] += 1
                count["of them not empty"] += want_value != ""
                got_value = got.get(key)
                compare(name, key, want_value, got_value and unescape(got_value))

    print("\n".join(f"{what}: {n}" for what, n in count.items()))
    for what, found in (("mismatches", mismatches), ("problems", problems)):
        more = [f"... and {len(found) - LISTED} more"] if len(found) > LISTED else []
        print(f"{what}: {len(found)}", *found[:LISTED], *more, sep="\n  ")
    nothing = not count["fixed fields"] or not count["string values"]
    if nothing:
        print("nothing was compared")
    return 1 if mismatches or problems or nothing else 0


if __name__ == "__main__":
    sys.exit(main())
