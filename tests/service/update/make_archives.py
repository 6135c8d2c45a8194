#!/usr/bin/env python3
"""Makes the update archives the tests unpack, with Python's zipfile, into OUTDIR:
  layout.zip    folders, nested files, DOS and Unix host attributes, DOS and "UT" times,
                a file larger than one 65536-byte piece (its CRC in layout.crc)
  damaged.zip   three entries, the second one's compressed data broken
  escape.zip    names that try to leave the folder, beside two that may be written
  update.zip    a stand-in patcher.exe (PATCHER, if given) and a data file
  crc.zip       a whole entry, then a stored entry whose data no longer matches its CRC
  empty.zip     an archive without entries
  truncated.zip the first half of update.zip
  many.zip      3000 small entries, for a Cancel in the middle of unpacking
  twice.zip     a read-only file, then the same name in other letter case, then one more
  large.zip     SIZE_MB megabytes in 500 entries of noise (only with --large SIZE_MB)
Usage: make_archives.py OUTDIR [PATCHER] [--large SIZE_MB]"""
import os
import random
import struct
import sys
import zipfile
import zlib


def info(name, system=3, attr=0, date_time=(2020, 5, 17, 10, 30, 42), extra=b""):
    entry = zipfile.ZipInfo(name, date_time)
    entry.create_system = system
    entry.external_attr = attr
    entry.extra = extra
    entry.compress_type = zipfile.ZIP_DEFLATED
    return entry


def noise(size, seed):
    return random.Random(seed).randbytes(size)


def ut_field(modified, accessed, created):
    body = struct.pack("<Biii", 7, modified, accessed, created)
    return struct.pack("<HH", 0x5455, len(body)) + body


def layout(out):
    big = noise(100000, 1)
    with zipfile.ZipFile(os.path.join(out, "layout.zip"), "w") as z:
        z.writestr(info("docs/", attr=(0o40755 << 16) | 0x10), b"")
        z.writestr(info("docs/sub/readme.txt", attr=0o100644 << 16), b"nested\n")
        z.writestr(info("big.bin", attr=0o100644 << 16), big)
        z.writestr(info("dos_readonly.txt", system=0, attr=0x21), b"r")
        z.writestr(info("dos_hidden.txt", system=0, attr=0x22), b"h")
        z.writestr(info("dos_folder", system=0, attr=0x10), b"")
        z.writestr(info("unix_readonly.txt", attr=0o100444 << 16), b"u")
        z.writestr(info("unix_folder", attr=0o40755 << 16), b"")
        z.writestr(info("stamped.txt", attr=0o100644 << 16,
                        extra=ut_field(1600000000, 1600000100, 1500000000)), b"t")
    with open(os.path.join(out, "layout.crc"), "w") as f:
        f.write("%08x\n" % (zlib.crc32(big) & 0xFFFFFFFF))


def damaged(out):
    path = os.path.join(out, "damaged.zip")
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(info("first.txt"), b"first\n" * 1000)
        z.writestr(info("second.txt"), noise(50000, 2).hex().encode())
        z.writestr(info("third.txt"), b"third\n" * 1000)
    with zipfile.ZipFile(path) as z:
        second = z.getinfo("second.txt")
    data = bytearray(open(path, "rb").read())
    start = second.header_offset + 30 + len(second.filename) + len(second.extra)
    middle = start + second.compress_size // 2
    data[middle:middle + 64] = b"\xff" * 64
    open(path, "wb").write(bytes(data))


def escape(out):
    with zipfile.ZipFile(os.path.join(out, "escape.zip"), "w") as z:
        for name in ["../escape1.txt", "..\\escape2.txt", "sub/../../escape3.txt", "a/.../escape4.txt",
                     "inside.txt:stream", "NUL.txt", "C:/x/drive.txt", "../../evil.exe",
                     "long/" + "a" * 250 + "/" + "b" * 60 + ".txt"]:
            z.writestr(info(name), b"escape")


def update(out, patcher):
    with zipfile.ZipFile(os.path.join(out, "update.zip"), "w") as z:
        if patcher:
            z.write(patcher, "patcher.exe")
        z.writestr(info("data/new_version.txt"), b"2.9\n")


def crc(out):
    path = os.path.join(out, "crc.zip")
    with zipfile.ZipFile(path, "w") as z:
        z.writestr(info("whole.txt"), b"whole\n")
        stored = info("bad.txt")
        stored.compress_type = zipfile.ZIP_STORED
        z.writestr(stored, b"the data this entry's checksum was made for\n")
    with zipfile.ZipFile(path) as z:
        bad = z.getinfo("bad.txt")
    data = bytearray(open(path, "rb").read())
    data[bad.header_offset + 30 + len(bad.filename) + len(bad.extra) + 4] ^= 0x20
    open(path, "wb").write(bytes(data))


def empty_and_truncated(out):
    zipfile.ZipFile(os.path.join(out, "empty.zip"), "w").close()
    whole = open(os.path.join(out, "update.zip"), "rb").read()
    open(os.path.join(out, "truncated.zip"), "wb").write(whole[:len(whole) // 2])


def many(out):
    with zipfile.ZipFile(os.path.join(out, "many.zip"), "w") as z:
        for i in range(3000):
            z.writestr(info("many/file%04d.txt" % i), b"%d\n" % i)


def twice(out):
    with zipfile.ZipFile(os.path.join(out, "twice.zip"), "w") as z:
        z.writestr(info("same.txt", system=0, attr=0x21), b"first\n")
        z.writestr(info("SAME.TXT", system=0, attr=0x20), b"second\n")
        z.writestr(info("last.txt", system=0, attr=0x20), b"last\n")


def large(out, size_mb):
    entries = 500
    each = size_mb * 1024 * 1024 // entries
    with zipfile.ZipFile(os.path.join(out, "large.zip"), "w") as z:
        for i in range(entries):
            z.writestr(info("folder%02d/file%03d.bin" % (i % 20, i)), noise(each, 100 + i))


def main():
    args = sys.argv[1:]
    size_mb = None
    if "--large" in args:
        at = args.index("--large")
        size_mb = int(args[at + 1])
        del args[at:at + 2]
    out = args[0]
    os.makedirs(out, exist_ok=True)
    if size_mb:
        large(out, size_mb)
        return
    layout(out)
    damaged(out)
    escape(out)
    update(out, args[1] if len(args) > 1 else None)
    crc(out)
    empty_and_truncated(out)
    many(out)
    twice(out)


if __name__ == "__main__":
    main()
