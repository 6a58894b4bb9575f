#!/usr/bin/env bash
# Regenerates the translation tables into a scratch folder and compares them
# byte for byte with the checked-in ones, so a stale table is caught.
# Usage: check-generated-tables.sh <source dir>. Exit 77 (skipped) without python3.
set -euo pipefail
source_dir=$1
if ! command -v python3 >/dev/null 2>&1; then
    echo "python3 is missing: the generated tables are not checked"
    exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 "$source_dir/scripts/gen-tables.py" --out "$scratch"

status=0
generated=("$scratch"/data/*.tbl "$scratch"/src/terminal/*.inc)
for file in "${generated[@]}"; do
    relative=${file#"$scratch"/}
    if ! cmp "$file" "$source_dir/$relative"; then
        echo "stale: $relative (run scripts/gen-tables.py)"
        status=1
    fi
done
# A table file the generator no longer makes is stale as well.
for file in "$source_dir"/data/*.tbl; do
    name=$(basename "$file")
    if [ ! -e "$scratch/data/$name" ]; then
        echo "not generated: data/$name"
        status=1
    fi
done
[ "$status" -eq 0 ] && echo "${#generated[@]} generated files match"
exit "$status"
