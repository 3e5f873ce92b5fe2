#!/bin/sh
# Fails when the signal-processing library holds a fused multiply-add instruction: a fused
# product and sum rounds once where the reference kernels round twice, so the lane kernels would
# no longer match them bit for bit. The library must also hold 512-bit and 256-bit instructions,
# or the lane kernels were not disassembled at all.
set -eu
library=$1
listing=$("${OBJDUMP:-objdump}" -d --no-show-raw-insn "$library")
fused=$(printf '%s\n' "$listing" | grep -E '[[:space:]]vf(n)?m(add|sub)[a-z0-9]*[[:space:]]' || true)
if [ -n "$fused" ]; then
    echo "fused multiply-add instructions in $library:"
    printf '%s\n' "$fused" | head -20
    exit 1
fi
for register in zmm ymm; do
    if ! printf '%s\n' "$listing" | grep -q "%$register"; then
        echo "no $register instructions in $library: the lane kernels are missing"
        exit 1
    fi
done
echo "no fused multiply-add in $library"
