#!/usr/bin/env bash
# Writes the demo input as raw float32 stereo with the build machine's marrowfold-process, then
# runs it through the first preset of every factory program twice: with the build machine's
# tool and module, and with marrowfold-process.exe and marrowfold.dll under wine.
# Usage: process-on-both.sh NATIVE_TOOL OUTPUT_FOLDER WINDOWS_TOOL EMULATOR...
set -euo pipefail
native_tool=$1
folder=$2
windows_tool=$3
shift 3
factory_programs=(0 1 2 3)

mkdir -p "$folder"
"$native_tool" --write-demo "$folder/demo.raw"
for program in "${factory_programs[@]}"; do
    "$native_tool" "$folder/demo.raw" "$folder/native-$program.raw" --program "$program" --preset 0
    "$@" "$windows_tool" "$folder/demo.raw" "$folder/windows-$program.raw" \
        --program "$program" --preset 0
done
echo "processed ${#factory_programs[@]} programs in $folder"
