"""Writes a zip whose bytes depend on the files' names and contents only.

    python3 windows_zip.py <zip> <folder> <epoch> <name>...

Each name (relative to <folder>, in the order given) becomes one entry,
dated <epoch> (seconds since 1970, shown as UTC), with the permissions of a
plain or an executable file and no extra fields: an archive tool would add
the files' access and change times, which differ from build to build.
"""

import os
import sys
import time
import zipfile


def main(zip_path, folder, epoch, names):
    # A zip cannot date a file before 1980.
    date_time = time.gmtime(max(int(epoch), 315532800))[:6]
    with zipfile.ZipFile(zip_path, "w") as archive:
        for name in names:
            path = os.path.join(folder, name)
            entry = zipfile.ZipInfo(name.replace(os.sep, "/"), date_time)
            entry.create_system = 3  # Unix, so that the permissions below count
            executable = os.access(path, os.X_OK) or name.endswith(".exe")
            entry.external_attr = (0o100755 if executable else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                archive.writestr(entry, source.read(), compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:])
