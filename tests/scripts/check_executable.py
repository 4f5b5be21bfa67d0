#!/usr/bin/env python3
"""Checks the client executable in a package's zip (Python standard library only):

check_executable.py ZIP ARCH VERSION

ZIP holds TOP/Tarnwick.exe; it must be a Windows program for ARCH (win32: an i386 PE32,
win64: an AMD64 PE32+) whose version resource gives VERSION (major.minor.patch) as file
and product version, in numbers and in text. Beside it, TOP/licenses/ must hold the
licence of every library linked into it. Prints what it found; exits 1 on a mismatch.
"""
import struct
import sys
import zipfile

MACHINES = {"win32": (0x14C, 0x10B), "win64": (0x8664, 0x20B)}
FIXED_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)
# Each linked library's licence file, with a phrase its licence text carries.
LICENCES = {
    "libjpeg-turbo.txt": "Independent JPEG Group",
    "stb.txt": "stb",
    "nlohmann-json.txt": "MIT",
    "rapidxml.txt": "Boost",
    "gcc-runtime.txt": "GCC",
    "mingw-w64-runtime.txt": "MinGW",
}


def executable(zip_path):
    with zipfile.ZipFile(zip_path) as archive:
        names = [n for n in archive.namelist() if n.count("/") == 1 and n.endswith("/Tarnwick.exe")]
        if len(names) != 1:
            raise ValueError("no Tarnwick.exe at the top of the zip")
        return archive.read(names[0])


def machine_and_magic(data):
    if data[:2] != b"MZ":
        raise ValueError("not an MZ executable")
    header = struct.unpack_from("<I", data, 0x3C)[0]
    if data[header:header + 4] != b"PE\0\0":
        raise ValueError("no PE header")
    machine = struct.unpack_from("<H", data, header + 4)[0]
    magic = struct.unpack_from("<H", data, header + 24)[0]
    return machine, magic


def fixed_versions(data):
    """File and product version of VS_FIXEDFILEINFO, as (a, b, c, d) tuples."""
    start = data.find("VS_VERSION_INFO\0".encode("utf-16-le"))
    if start < 0:
        raise ValueError("no version resource")
    at = data.find(FIXED_INFO_SIGNATURE, start)
    if at < 0:
        raise ValueError("no fixed file information in the version resource")
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", data, at + 8)

    def split(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    return split(file_ms, file_ls), split(product_ms, product_ls)


def string_value(data, key):
    """The value of a String entry of the version resource's StringFileInfo."""
    encoded = (key + "\0").encode("utf-16-le")
    at = data.find(encoded)
    if at < 6:
        raise ValueError("no %s in the version resource" % key)
    header = at - 6
    characters = struct.unpack_from("<H", data, header + 2)[0]
    value = at + len(encoded)
    value += (4 - (value - header) % 4) % 4
    return data[value:value + 2 * characters].decode("utf-16-le").rstrip("\0")


def check_licences(zip_path):
    with zipfile.ZipFile(zip_path) as archive:
        found = {n.rsplit("/", 1)[-1]: n for n in archive.namelist() if n.count("/") == 2 and "/licenses/" in n}
        for name, phrase in LICENCES.items():
            if name not in found:
                raise ValueError("no licenses/%s" % name)
            if phrase not in archive.read(found[name]).decode("utf-8", "replace"):
                raise ValueError("licenses/%s does not read as its licence (no %r)" % (name, phrase))
    print("  %s holds the licences of the %d linked libraries" % (zip_path.rsplit("/", 1)[-1], len(LICENCES)))


def check(zip_path, arch, version):
    check_licences(zip_path)
    data = executable(zip_path)
    machine, magic = machine_and_magic(data)
    if (machine, magic) != MACHINES[arch]:
        raise ValueError("machine 0x%x, optional header 0x%x: not a %s program" % (machine, magic, arch))
    numbers = tuple(int(part) for part in version.split(".")) + (0,)
    file_version, product_version = fixed_versions(data)
    if file_version != numbers or product_version != numbers:
        raise ValueError("version resource gives %s and %s, not %s" % (file_version, product_version, numbers))
    for key in ("FileVersion", "ProductVersion"):
        text = string_value(data, key)
        if text != version:
            raise ValueError("%s is %r, not %r" % (key, text, version))
    bits = 32 if arch == "win32" else 64
    print("  %s holds a %d-bit Tarnwick.exe of version %s" % (zip_path.rsplit("/", 1)[-1], bits, version))


def main():
    if len(sys.argv) != 4 or sys.argv[2] not in MACHINES:
        sys.exit(__doc__)
    try:
        check(*sys.argv[1:])
    except (ValueError, OSError, zipfile.BadZipFile, struct.error) as error:
        print("  %s: %s" % (sys.argv[1], error), file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
