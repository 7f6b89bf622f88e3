# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
"""make_zip.py ZIP DIR FILE...: the FILEs of DIR in a zip, in the order given.

The same files give the same bytes at any time and from any folder: every
entry has the time SOURCE_DATE_EPOCH names, plain permissions and no extra
fields, and is compressed at a fixed level.
"""
import datetime
import os
import sys
import zipfile


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    out, folder, names = argv[1], argv[2], argv[3:]
    stamp = datetime.datetime.fromtimestamp(int(os.environ["SOURCE_DATE_EPOCH"]), datetime.timezone.utc)
    # A zip time cannot lie before 1980; it has two-second steps and no zone.
    stamp = max(stamp.replace(tzinfo=None), datetime.datetime(1980, 1, 1))
    date_time = (stamp.year, stamp.month, stamp.day, stamp.hour, stamp.minute, stamp.second - stamp.second % 2)
    with zipfile.ZipFile(out, "w") as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # Unix, so that the permissions below are read
            info.external_attr = 0o100644 << 16
            with open(os.path.join(folder, name), "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
