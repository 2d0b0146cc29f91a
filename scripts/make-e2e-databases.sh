#!/usr/bin/env bash
# Writes the dBASE tag databases of the end-to-end suite into <folder> with shapelib's
# dbfcreate and dbfadd, a writer independent of the program's reader, then damages copies of
# them the ways files are found damaged.
#
#   scripts/make-e2e-databases.sh <folder>
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <folder>" >&2
    exit 2
fi
folder=$1
mkdir -p "$folder"
cd "$folder"

# A table with the five tag columns and the given records ("tag loop pcu module block" each).
make_table() {
    local file=$1
    shift
    rm -f "$file"
    dbfcreate "$file" -s TAGNAME 12 -n LOOP 3 0 -n PCU 3 0 -n MODULE 3 0 -n BLOCK 5 0
    local record
    for record in "$@"; do
        # shellcheck disable=SC2086 # the record's words are the field values
        dbfadd "$file" $record
    done
}

# Overwrites bytes of a file in place: put_bytes <file> <offset> <printf escapes>.
put_bytes() {
    printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

make_table plant.dbf "FIC-101 1 2 5 100" "TIC-102 1 2 5 101" "PIC-103 1 2 5 106"
make_table second.dbf "LIC-201 1 2 5 103" "FIC-202 1 2 9 17"
make_table other.dbf "AIC-301 1 2 5 100"

# Header length: 32 bytes, 32 per field, the terminator.
header=$((32 + 5 * 32 + 1))

# Cut inside the 32-byte file header.
make_table truncated-header.dbf "CUT-1 1 2 5 100"
truncate -s 20 truncated-header.dbf

# Claims 30000 records (0x7530) where three are: the three are read.
make_table overcount.dbf "OVR-1 1 2 5 120" "OVR-2 1 2 5 121" "OVR-3 1 2 5 122"
put_bytes overcount.dbf 4 '\x30\x75\x00\x00'

# The descriptor array's terminator overwritten: the header length still bounds the fields.
make_table no-terminator.dbf "NOT-1 1 2 5 130" "NOT-2 1 2 5 131"
put_bytes no-terminator.dbf $((header - 1)) '\x20'

# Ends right after the last descriptor: no terminator and no records, the header length
# pointing past the end of the file.
make_table descriptors-only.dbf "DSC-1 1 2 5 140"
truncate -s $((header - 1)) descriptors-only.dbf
