#!/usr/bin/env bash
# Writes tag databases for the tag benchmarks into a folder: tags.dbf, a dBASE table written
# with shapelib (a program of our own linked against its library), tags.csv with the same
# records written with Python's csv module, and the same records split into dBASE tables of
# at most 25,000 records (tags-part-1.dbf, ...). See scripts/lib/tag_databases.py.
#
#   scripts/make-tag-databases.sh FOLDER [records]     # records: default 100000
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
if [ $# -lt 1 ] || [ $# -gt 2 ] || ! [[ "${2:-100000}" =~ ^[1-9][0-9]{0,7}$ ]]; then
    echo "usage: $0 FOLDER [records]   (records 1 to 99999999, default 100000)" >&2
    exit 2
fi
folder="$1"
records="${2:-100000}"

source "$top/scripts/lib/packages.sh"
install_missing_packages gcc python3 shapelib libshp-dev

mkdir -p "$folder"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cc -O2 -Wall -Wextra -o "$work/write-tag-dbf" "$top/scripts/lib/write-tag-dbf.c" -lshp
python3 "$top/scripts/lib/tag_databases.py" good "$folder" "$records" "$work/write-tag-dbf"
