#!/usr/bin/env python3
"""Tag database files for the tag benchmarks (scripts/bench-tags.sh).

  tag_databases.py good FOLDER RECORDS DBF_WRITER
      tags.csv (Python's csv writer) and tags.dbf (DBF_WRITER, a shapelib program) with the
      same RECORDS records, and the same records again in dBASE tables of at most
      PART_RECORDS records each (tags-part-1.dbf, ...).
  tag_databases.py bad FOLDER
      huge.csv, at least 100 MiB of records, and long-line.csv, a small database with three
      lines of 1 MiB each among its rows.

Records have the columns TAGNAME, LOOP, PCU, MODULE, BLOCK and DESCRIPTION. Record n is
named like a plant tag ("12-FIC-345": unit, instrument kind, number), every name and every
address is different, and the descriptions hold no commas (tag database rows are split at
every comma, quoted or not).
"""
import csv
import os
import subprocess
import sys

# Far enough below the 32,767 records a dBASE table may hold for Brixtel (the header's count
# is read in 16 bits).
PART_RECORDS = 25000
HEADER = ["TAGNAME", "LOOP", "PCU", "MODULE", "BLOCK", "DESCRIPTION"]
KINDS = [
    ("FIC", "flow control"), ("TIC", "temperature control"), ("LIC", "level control"),
    ("PIC", "pressure control"), ("FI", "flow"), ("TI", "temperature"), ("PI", "pressure"),
    ("XV", "on-off valve"), ("HS", "hand switch"), ("FY", "flow relay"),
]
MEBIBYTE = 1 << 20


def record(n):
    unit = 10 + n // 10000
    kind, what = KINDS[n % 10]
    number = (n // 10) % 1000
    return (f"{unit}-{kind}-{number:03d}", 1 + (n // 8000000) % 250, 1 + (n // 32000) % 250,
            (n // 1000) % 32, n % 1000, f"Unit {unit} {what} {number}")


def write_csv(path, rows):
    with open(path, "w", newline="", encoding="ascii") as f:
        writer = csv.writer(f)  # lines end with CR LF, as on Windows
        writer.writerow(HEADER)
        writer.writerows(rows)


def write_dbf(writer, path, rows):
    with subprocess.Popen([writer, path], stdin=subprocess.PIPE, text=True) as process:
        for row in rows:
            process.stdin.write("\t".join(str(value) for value in row) + "\n")
        process.stdin.close()
        if process.wait() != 0:
            sys.exit(f"tag_databases: {writer} failed on {path}")


def good(folder, count, writer):
    write_csv(os.path.join(folder, "tags.csv"), (record(n) for n in range(count)))
    write_dbf(writer, os.path.join(folder, "tags.dbf"), (record(n) for n in range(count)))
    for part, start in enumerate(range(0, count, PART_RECORDS), 1):
        end = min(start + PART_RECORDS, count)
        write_dbf(writer, os.path.join(folder, f"tags-part-{part}.dbf"),
                  (record(n) for n in range(start, end)))


def bad(folder):
    with open(os.path.join(folder, "huge.csv"), "w", newline="", encoding="ascii") as f:
        writer = csv.writer(f)
        writer.writerow(HEADER)
        n = 0
        while f.tell() < 100 * MEBIBYTE:
            writer.writerows(record(m) for m in range(n, n + 10000))
            n += 10000
    with open(os.path.join(folder, "long-line.csv"), "w", newline="", encoding="ascii") as f:
        writer = csv.writer(f)
        writer.writerow(HEADER)
        writer.writerows(record(n) for n in range(1000))
        # A row whose tag name is 1 MiB long, a line of commas alone, a line without any.
        writer.writerow(["T" * MEBIBYTE, 1, 2, 3, 4, "long name"])
        f.write("," * MEBIBYTE + "\r\n")
        f.write("x" * MEBIBYTE + "\r\n")
        writer.writerows(record(n) for n in range(1000, 2000))


def main(argv):
    if len(argv) == 5 and argv[1] == "good" and argv[3].isdigit():
        good(argv[2], int(argv[3]), argv[4])
    elif len(argv) == 3 and argv[1] == "bad":
        bad(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
