#!/usr/bin/env python3
"""Packaging helpers for scripts/package (Python standard library only).

zip SRC OUT             a zip of the folder SRC under its own name, reproducibly: entries in
                        sorted order, every time stamp and permission the same
uninstall-list SRC OUT  the NSIS lines that delete exactly the files of SRC, folders after
                        their content, keeping the user's config.ini and service.ini
"""
import os
import sys
import zipfile

FIXED_TIME = (2020, 1, 1, 0, 0, 0)
USER_FILES = {"config.ini", "service.ini"}


def walk(src):
    """Files and folders below src, relative, sorted."""
    files, folders = [], []
    for root, dirs, names in os.walk(src):
        dirs.sort()
        rel = os.path.relpath(root, src)
        if rel != ".":
            folders.append(rel)
        for name in sorted(names):
            files.append(os.path.normpath(os.path.join(rel, name)))
    return sorted(files), sorted(folders)


def make_zip(src, out):
    top = os.path.basename(os.path.normpath(src))
    files, folders = walk(src)
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for folder in [""] + folders:
            name = "/".join(filter(None, [top] + folder.split(os.sep))) + "/"
            info = zipfile.ZipInfo(name, FIXED_TIME)
            info.external_attr = (0o40755 << 16) | 0x10
            archive.writestr(info, b"")
        for rel in files:
            info = zipfile.ZipInfo("/".join([top] + rel.split(os.sep)), FIXED_TIME)
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(src, rel), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


def uninstall_list(src, out):
    files, folders = walk(src)
    lines = []
    for rel in files:
        if rel in USER_FILES:
            continue
        lines.append('Delete "$INSTDIR\\%s"' % rel.replace(os.sep, "\\"))
    # Deepest first, so each folder is empty when its turn comes.
    for rel in sorted(folders, key=lambda f: f.count(os.sep), reverse=True):
        lines.append('RMDir "$INSTDIR\\%s"' % rel.replace(os.sep, "\\"))
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("zip", "uninstall-list"):
        sys.exit(__doc__)
    (make_zip if sys.argv[1] == "zip" else uninstall_list)(sys.argv[2], sys.argv[3])


if __name__ == "__main__":
    main()
