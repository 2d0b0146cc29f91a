#!/usr/bin/env bash
# Runs the native vexrun on files of each kind and checks its exit codes.
set -u
vexrun="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

expect() {
    local want="$1"
    shift
    "$vexrun" "$@" >/dev/null 2>&1
    local got=$?
    if [ "$got" -ne "$want" ]; then
        echo "vexrun $*: exit code $got, expected $want"
        failures=$((failures + 1))
    fi
}

printf 'tagname,Loop,PCU,MODULE,BLOCK\r\nFIC-101,1,2,3,4\r\n' >"$dir/good tags.csv"
printf 'TAGNAME,LOOP,MODULE,BLOCK\r\nFIC-101,1,3,4\r\n' >"$dir/no pcu.csv"
printf 'TAGNAME,LOOP,PCU,MODULE,BLOCK\n' >"$dir/misnamed.dbf"
expect 0 "$dir/good tags.csv"
expect 1 "$dir/no pcu.csv"
expect 1 "$dir/misnamed.dbf"
expect 2
expect 3 "$dir/absent.csv"
expect 3 "$dir"
if command -v dbfcreate >/dev/null 2>&1; then
    dbfcreate "$dir/tags.dbf" -s TAGNAME 10 -n LOOP 3 0 -n PCU 3 0 -n MODULE 3 0 -n BLOCK 5 0
    dbfcreate "$dir/other.dbf" -s TAGNAME 10 -n LOOP 3 0
    expect 0 "$dir/tags.dbf"
    expect 1 "$dir/other.dbf"
fi
[ "$failures" -eq 0 ] && echo "vexrun: all exit codes as expected"
exit "$failures"
