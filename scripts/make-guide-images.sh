#!/usr/bin/env bash
# Regenerates the pictures of the user guide (docs/images/*.png): builds the Windows tree, runs
# the end-to-end suite's GuideImagesTest under Wine (a fresh prefix and virtual display, as
# scripts/run-e2e.sh makes them) and copies the pictures it took, stripped and optimised, into
# docs/images. Nothing is copied when a test fails: its pictures may show the wrong thing.
#
#   scripts/make-guide-images.sh
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
build=build/windows
images=docs/images

cmake --preset windows >/dev/null
cmake --build --preset windows -j2

# Wine draws the caption buttons with its Marlett font. Without Wine's own fonts installed
# (Debian fonts-wine) they come out as boxes and digits, so the font is taken from that package
# for the run's prefix only.
fonts=""
if [ ! -f /usr/share/wine/fonts/marlett.ttf ]; then
    fonts="$top/build/guide-fonts"
    if [ ! -f "$fonts/marlett.ttf" ]; then
        download=$(mktemp -d)
        if (cd "$download" && apt-get download fonts-wine >/dev/null 2>&1) &&
            dpkg-deb -x "$download"/fonts-wine_*.deb "$download/package"; then
            mkdir -p "$fonts"
            cp "$download/package/usr/share/wine/fonts/marlett.ttf" "$fonts/"
        fi
        rm -rf "$download"
    fi
    if [ ! -f "$fonts/marlett.ttf" ]; then
        echo "make-guide-images: no Marlett font (install fonts-wine); caption buttons will look wrong" >&2
        fonts=""
    fi
fi

status=0
BRIXTEL_E2E_FONTS="$fonts" scripts/run-e2e.sh "$build" --gtest_filter='GuideImagesTest.*' ||
    status=$?
if [ "$status" != 0 ]; then
    echo "make-guide-images: the suite failed (status $status); $images left as it was" >&2
    exit "$status"
fi

mkdir -p "$images"
copied=0
for picture in "$build"/e2e-artifacts/guide/*.png; do
    [ -f "$picture" ] || continue
    target="$images/$(basename "$picture")"
    # No text chunks (dates) in the files, so an unchanged picture stays byte for byte the same.
    convert "$picture" -strip "$target"
    if command -v optipng >/dev/null; then
        optipng -quiet -o2 "$target"
    fi
    copied=$((copied + 1))
done
if [ "$copied" = 0 ]; then
    echo "make-guide-images: the suite took no pictures" >&2
    exit 1
fi
echo "make-guide-images: $copied pictures in $images ($(du -sh "$images" | cut -f1))"
