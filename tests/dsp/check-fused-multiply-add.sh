#!/bin/sh
# Fails when a fused multiply-add instruction of the signal-processing library lies outside the
# resampling kernels and the shaping between them (from the smooth curve): a fused product and
# sum rounds once where the reference kernels round twice, so the factor-1 lane kernels (filters,
# shaping, band sum) would no longer match them bit for bit. The resampling kernels of the AVX
# sets and their shaping round fused on purpose, so the library must
# hold some there (in an unoptimised build, also in the rounding helpers they call, which then
# stay functions of their own); it must also hold 512-bit and 256-bit instructions, or the lane
# kernels were not disassembled at all.
set -eu
library=$1
listing=$("${OBJDUMP:-objdump}" -d -C --no-show-raw-insn "$library")
fused='[[:space:]]vf(n)?m(add|sub)[a-z0-9]*[[:space:]]'
misplaced=$(printf '%s\n' "$listing" | awk -v fused="$fused" '
    /^[0-9a-f]+ <.*>:$/ { name = $0; next }
    $0 ~ fused && name !~ /(up|down)sample|[mM]ulAdd|[sS]moothly/ { print name " " $0 }')
if [ -n "$misplaced" ]; then
    echo "fused multiply-add instructions outside the resampling kernels in $library:"
    printf '%s\n' "$misplaced" | head -20
    exit 1
fi
if ! printf '%s\n' "$listing" | grep -qE "$fused"; then
    echo "no fused multiply-add in $library: the fused resampling kernels are missing"
    exit 1
fi
for register in zmm ymm; do
    if ! printf '%s\n' "$listing" | grep -q "%$register"; then
        echo "no $register instructions in $library: the lane kernels are missing"
        exit 1
    fi
done
echo "fused multiply-add only in the resampling kernels of $library"
