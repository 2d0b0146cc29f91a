#!/usr/bin/env bash
# Opens Brixtel's .CSV logs in a real spreadsheet (LibreOffice Calc, headless) and checks that
# each one reads as a well-formed table whose cells are exactly the fields of the file: the
# spreadsheet saves the sheet again as tab-separated text, and the cells are compared with the
# file's comma-separated fields, row by row.
#
#   scripts/check-csv-spreadsheet.sh [file.CSV ...]
#
# Without files it runs the Export View log test of the end-to-end suite (which keeps its logs
# among the run's artefacts) and checks those: that needs the windows build in
# ${BRIXTEL_BUILD:-build/windows}. LibreOffice is installed from Debian's packages when missing
# (as root). Not part of scripts/test.sh: the install alone takes minutes.
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
started=$(date +%s)

if ! command -v soffice >/dev/null 2>&1; then
    echo "check-csv: installing LibreOffice Calc (no GUI) from Debian's packages"
    if [ "$(id -u)" != 0 ]; then
        echo "check-csv: soffice is missing and installing it needs root" >&2
        exit 2
    fi
    apt-get update -qq >/dev/null &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            libreoffice-calc-nogui >/dev/null ||
        {
            echo "check-csv: apt-get could not install libreoffice-calc-nogui" >&2
            exit 2
        }
    echo "check-csv: installed in $(($(date +%s) - started)) s"
fi

files=("$@")
if [ ${#files[@]} = 0 ]; then
    build_dir="${BRIXTEL_BUILD:-$root/build/windows}"
    if ! "$here/run-e2e.sh" "$build_dir" --gtest_filter='Columns/ExportViewLogTest.*'; then
        echo "check-csv: the end-to-end run that makes the logs failed" >&2
        exit 1
    fi
    for file in "$build_dir"/e2e-artifacts/*.CSV; do
        [ -f "$file" ] && files+=("$file")
    done
    if [ ${#files[@]} = 0 ]; then
        echo "check-csv: the run kept no .CSV logs in $build_dir/e2e-artifacts" >&2
        exit 1
    fi
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A profile of its own, so no user's LibreOffice settings take part.
profile="file://$work/profile"

failed=0
for file in "${files[@]}"; do
    name=$(basename "$file")
    mkdir -p "$work/in" "$work/out"
    cp "$file" "$work/in/$name"
    # Read as a spreadsheet reads a .CSV a user opens: comma-separated, '"' quoting, special
    # numbers (dates, times) left as the text they are; saved back tab-separated, cells as
    # shown.
    if ! timeout 300 soffice -env:UserInstallation="$profile" --headless \
        --infilter="CSV:44,34,76,1,,0,false,false,false" \
        --convert-to "csv:Text - txt - csv (StarCalc):9,34,76,1,,0,false,true,true" \
        --outdir "$work/out" "$work/in/$name" >"$work/soffice.log" 2>&1; then
        echo "check-csv: $name: soffice failed" >&2
        cat "$work/soffice.log" >&2
        failed=1
        continue
    fi
    sheet="$work/out/${name%.*}.csv"
    if [ ! -f "$sheet" ]; then
        echo "check-csv: $name: soffice wrote no sheet" >&2
        cat "$work/soffice.log" >&2
        failed=1
        continue
    fi
    # Trailing empty cells are dropped on both sides: every log row ends with a comma, and the
    # sheet pads its rows to its widest.
    if ! python3 - "$work/in/$name" "$sheet" <<'EOF'; then
import sys

def rows(path, separator):
    with open(path, newline="", encoding="latin-1") as f:
        text = f.read()
    if not text.endswith("\r\n") and path.upper().endswith(".CSV") and separator == ",":
        print(f"{path}: the last line does not end with CR LF")
        sys.exit(1)
    lines = text.split("\r\n") if separator == "," else text.replace("\r\n", "\n").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    table = []
    for line in lines:
        cells = line.split(separator)
        cells = [c[1:-1] if len(c) >= 2 and c[0] == '"' and c[-1] == '"' else c for c in cells]
        while cells and cells[-1] == "":
            cells.pop()
        table.append(cells)
    return table

log, sheet = rows(sys.argv[1], ","), rows(sys.argv[2], "\t")
name = sys.argv[1].rsplit("/", 1)[-1]
if len(log) != len(sheet):
    print(f"{name}: {len(log)} lines in the log, {len(sheet)} rows in the sheet")
    sys.exit(1)
for number, (a, b) in enumerate(zip(log, sheet), 1):
    if a != b:
        print(f"{name}: row {number} differs\n  log:   {a}\n  sheet: {b}")
        sys.exit(1)
data = log[3:]
width = max(len(r) for r in log)
if not data or any(len(r) != len(data[0]) for r in data):
    print(f"{name}: the data rows are not all as wide")
    sys.exit(1)
print(f"{name}: {len(log)} rows (3 header rows), {width} columns; every cell as in the log")
print("  header: " + " | ".join(log[2]) + "\n  first row: " + " | ".join(data[0]))
EOF
        failed=1
    fi
    rm -rf "$work/in" "$work/out"
done

echo "check-csv: $([ $failed = 0 ] && echo passed || echo FAILED) in $(($(date +%s) - started)) s"
exit $failed
