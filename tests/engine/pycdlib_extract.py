"""Extracts every file of an ISO image's Joliet tree (or its ISO 9660 tree
with --iso) into a folder with pycdlib, and prints one line per directory
entry: the path and the size."""
import os
import sys

import pycdlib


def main():
    args = sys.argv[1:]
    use_iso = "--iso" in args
    args = [a for a in args if a != "--iso"]
    image, target = args
    iso = pycdlib.PyCdlib()
    iso.open(image)
    facade = iso.get_iso9660_facade() if use_iso else iso.get_joliet_facade()
    pending = ["/"]
    while pending:
        folder = pending.pop()
        for child in facade.list_children(folder):
            if child is None or child.is_dot() or child.is_dotdot():
                continue
            name = child.file_identifier().decode("utf-16_be" if not use_iso else "utf-8")
            path = folder.rstrip("/") + "/" + name
            local = os.path.join(target, path.lstrip("/").split(";")[0])
            if child.is_dir():
                os.makedirs(local, exist_ok=True)
                pending.append(path)
                print("D", path)
            else:
                os.makedirs(os.path.dirname(local), exist_ok=True)
                facade.get_file_from_iso(local, **{"iso_path" if use_iso else "joliet_path": path})
                print("F", path, child.get_data_length())
    iso.close()


if __name__ == "__main__":
    main()
