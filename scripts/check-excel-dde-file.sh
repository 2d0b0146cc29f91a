#!/usr/bin/env bash
# Opens Excel DDE files written by Brixtel's own writer in a real spreadsheet (LibreOffice Calc,
# headless) and checks that each reads as the table it is meant to be: the file is read as
# semicolon-separated text with formulas kept as written, saved again as CSV with ";" between
# cells, and every row must have exactly the three cells of the file, the third of each point
# row being its link formula text (=Brixtel|Output!'Module l,p,m Block b').
#
#   scripts/check-excel-dde-file.sh [file.TXT ...]
#
# Without files it builds the native `excel-dde-sample` tool (tools/excel-dde-sample), which
# writes a file through the program's writer, and checks that. It also reports how Calc takes
# the third column when it evaluates formulas (as formulas, not as text). LibreOffice is
# installed from Debian's packages when missing (as root). Not part of scripts/test.sh: the
# install alone takes minutes.
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
started=$(date +%s)

if ! command -v soffice >/dev/null 2>&1; then
    echo "check-excel-dde: installing LibreOffice Calc (no GUI) from Debian's packages"
    if [ "$(id -u)" != 0 ]; then
        echo "check-excel-dde: soffice is missing and installing it needs root" >&2
        exit 2
    fi
    apt-get update -qq >/dev/null &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            libreoffice-calc-nogui >/dev/null ||
        {
            echo "check-excel-dde: apt-get could not install libreoffice-calc-nogui" >&2
            exit 2
        }
    echo "check-excel-dde: installed in $(($(date +%s) - started)) s"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A profile of its own, so no user's LibreOffice settings take part.
profile="file://$work/profile"

files=("$@")
if [ ${#files[@]} = 0 ]; then
    build_dir="${BRIXTEL_NATIVE_BUILD:-$root/build/native}"
    if [ ! -d "$build_dir" ]; then
        (cd "$root" && cmake --preset native >/dev/null) || exit 1
    fi
    if ! cmake --build "$build_dir" --target excel-dde-sample >"$work/build.log" 2>&1; then
        echo "check-excel-dde: building excel-dde-sample failed" >&2
        cat "$work/build.log" >&2
        exit 1
    fi
    "$build_dir/tools/excel-dde-sample/excel-dde-sample" "$work/ExcelDDE.txt" || exit 1
    files=("$work/ExcelDDE.txt")
fi

# Semicolons, '"' quoting, UTF-8 (76) natively written files; a file from Windows is in the
# ANSI code page: set CHECK_EXCEL_DDE_CHARSET=1252 (Western) for it.
charset="${CHECK_EXCEL_DDE_CHARSET:-76}"
# Import token 13: evaluate formulas (false keeps the text as written).
read_as_text="Text - txt - csv (StarCalc):59,34,$charset,1,,0,false,false,false,false,false,0,false"
read_as_formulas="Text - txt - csv (StarCalc):59,34,$charset,1,,0,false,false,false,false,false,0,true"
write_csv="csv:Text - txt - csv (StarCalc):59,34,76,1,,0,false,true,true,false"

convert() { # <infilter> <file> <outdir>
    timeout 300 soffice -env:UserInstallation="$profile" --headless --infilter="$1" \
        --convert-to "$write_csv" --outdir "$3" "$2" >"$work/soffice.log" 2>&1
}

failed=0
for file in "${files[@]}"; do
    name=$(basename "$file")
    rm -rf "$work/in" "$work/text" "$work/formulas"
    mkdir -p "$work/in" "$work/text" "$work/formulas"
    cp "$file" "$work/in/$name"
    if ! convert "$read_as_text" "$work/in/$name" "$work/text" ||
        ! convert "$read_as_formulas" "$work/in/$name" "$work/formulas"; then
        echo "check-excel-dde: $name: soffice failed" >&2
        cat "$work/soffice.log" >&2
        failed=1
        continue
    fi
    sheet="$work/text/${name%.*}.csv"
    evaluated="$work/formulas/${name%.*}.csv"
    if [ ! -f "$sheet" ] || [ ! -f "$evaluated" ]; then
        echo "check-excel-dde: $name: soffice wrote no sheet" >&2
        cat "$work/soffice.log" >&2
        failed=1
        continue
    fi
    if ! python3 - "$work/in/$name" "$sheet" "$evaluated" "$charset" <<'EOF'; then
import re
import sys

source, sheet, evaluated, charset = sys.argv[1:5]
encoding = "utf-8" if charset == "76" else "cp1252"
with open(source, "rb") as f:
    raw = f.read()
name = source.rsplit("/", 1)[-1]
if raw.startswith(b"\xef\xbb\xbf"):
    print(f"{name}: the file starts with a byte-order mark")
    sys.exit(1)
text = raw.decode(encoding)
if not text.endswith("\r\n") or "\n" in text.replace("\r\n", ""):
    print(f"{name}: not every line ends with CR LF")
    sys.exit(1)
lines = text.split("\r\n")[:-1]

def rows(path):
    with open(path, newline="", encoding="utf-8") as f:
        out = f.read().replace("\r\n", "\n").split("\n")
    if out and out[-1] == "":
        out.pop()
    return [r.split(";") for r in out]

table = rows(sheet)
if len(table) != len(lines):
    print(f"{name}: {len(lines)} lines in the file, {len(table)} rows in the sheet")
    sys.exit(1)
if table[0] != ["Tag Information", "Tag Name", "Data Value"]:
    print(f"{name}: header row {table[0]}")
    sys.exit(1)
formula = re.compile(r"=Brixtel\|Output!'(Module -?\d+,-?\d+,-?\d+ Block -?\d+)'")
for number, (line, row) in enumerate(zip(lines, table), 1):
    if len(row) != 3:
        print(f"{name}: row {number} has {len(row)} cells: {row}")
        sys.exit(1)
    if row != line.split(";"):
        print(f"{name}: row {number} differs\n  file:  {line}\n  sheet: {row}")
        sys.exit(1)
    if number > 1:
        match = formula.fullmatch(row[2])
        if not match or match.group(1) != row[0]:
            print(f"{name}: row {number}: third cell is not the link to its address: {row[2]}")
            sys.exit(1)
print(f"{name}: {len(table)} rows of 3 cells; every point row links to its own address")
print("  first row: " + " | ".join(table[1]) if len(table) > 1 else "  header only")
third = [r[2] for r in rows(evaluated)[1:]]
as_text = sum(1 for cell, line in zip(third, lines[1:]) if cell == line.split(";")[2])
print(f"  with formulas evaluated Calc takes {len(third) - as_text} of {len(third)} link cells "
      f"as formulas (it shows {third[0] if third else '-'}: Calc writes DDE links as DDE())")
EOF
        failed=1
    fi
done

echo "check-excel-dde: $([ $failed = 0 ] && echo passed || echo FAILED) in $(($(date +%s) - started)) s"
exit $failed
