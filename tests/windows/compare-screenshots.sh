#!/usr/bin/env bash
# Compares the Windows editor's screenshots with the Linux editor's reference pictures:
# compare-screenshots.sh GOLDEN_FOLDER SCREENSHOT_FOLDER. Each editor_NAME.bmp that the Windows
# editor test saved must match GOLDEN_FOLDER/editor_NAME.png but for a small share of pixels.
# For people it leaves editor_NAME_side_by_side.png beside the screenshots: the reference, the
# screenshot and the differing pixels in red.
set -euo pipefail
golden_folder=$1
shot_folder=$2
pictures=(compact expanded splash)

# Colour distance below which two pixels count as equal. The bitmaps are the same on both
# platforms; GDI and cairo blend the drawn parts' antialiased edges a few levels apart. It stays
# small: the panel is dark, and at 15% a picture blank in the host's grey already passes for it
# in nine pixels of ten.
fuzz_percent=5
# Share of differing pixels allowed, in per mille. GDI rasterises the text drawn over the bitmaps
# (values, preset name, version) with other glyph shapes and hinting than cairo: measured at this
# fuzz, 625 of 77532 pixels (8 per mille) compact, 1563 of 155064 (10) expanded and 259 of 77532
# (3) for the splash. A picture moved by a single pixel differs in 59 to 95 per mille.
allowed_per_mille=20
# A picture that is clearly wrong must fail: the reference moved by this many pixels, or blank.
shift_pixels=4

failures=0

differing_pixels() {
    # compare prints the count on stderr and exits 1 when the pictures differ, 2 on trouble.
    local count
    count=$(compare -metric AE -fuzz "$fuzz_percent%" "$1" "$2" null: 2>&1 >/dev/null) ||
        [ $? -eq 1 ] || { echo "cannot compare $1 with $2: $count" >&2; return 1; }
    printf '%.0f\n' "$count"
}

pixel_count() {
    identify -format '%[fx:w*h]' "$1"
}

within_limit() {  # differing total
    [ $(($1 * 1000)) -le $((allowed_per_mille * $2)) ]
}

# The limit is of use only if it tells a wrong picture from a right one.
check_limit_catches() {  # reference description picture
    local total wrong
    total=$(pixel_count "$1")
    wrong=$(differing_pixels "$3" "$1")
    if within_limit "$wrong" "$total"; then
        echo "FAIL: a $2 picture differs in only $wrong of $total pixels: the limit is too loose"
        failures=$((failures + 1))
    fi
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for name in "${pictures[@]}"; do
    golden=$golden_folder/editor_$name.png
    shot=$shot_folder/editor_$name.bmp
    if [ ! -f "$shot" ]; then
        echo "FAIL: $shot is missing"
        failures=$((failures + 1))
        continue
    fi
    golden_size=$(identify -format '%wx%h' "$golden")
    shot_size=$(identify -format '%wx%h' "$shot")
    if [ "$golden_size" != "$shot_size" ]; then
        echo "FAIL: $name is $shot_size, the reference $golden_size"
        failures=$((failures + 1))
        continue
    fi
    total=$(pixel_count "$golden")
    differing=$(differing_pixels "$shot" "$golden")
    compare -fuzz "$fuzz_percent%" -highlight-color red -lowlight-color none \
        "$shot" "$golden" "$scratch/diff.png" 2>/dev/null || true
    convert "$golden" "$shot" "$scratch/diff.png" +append \
        "$shot_folder/editor_${name}_side_by_side.png"

    convert "$golden" -roll +${shift_pixels}+${shift_pixels} "$scratch/shifted.png"
    check_limit_catches "$golden" "shifted" "$scratch/shifted.png"
    convert "$golden" -fill '#202020' -colorize 100 "$scratch/blank.png"
    check_limit_catches "$golden" "blank" "$scratch/blank.png"

    if within_limit "$differing" "$total"; then
        echo "ok: $name differs in $differing of $total pixels (at most $allowed_per_mille per mille)"
    else
        echo "FAIL: $name differs in $differing of $total pixels (at most $allowed_per_mille per mille)"
        failures=$((failures + 1))
    fi
done

exit $((failures > 0))
