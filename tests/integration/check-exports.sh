#!/usr/bin/env bash
# The module exports exactly one dynamic symbol: main.
set -euo pipefail
symbols=$(nm -D --defined-only "$1" | awk '{print $3}')
if [ "$symbols" != "main" ]; then
    echo "exported symbols of $1:"
    echo "$symbols"
    exit 1
fi
