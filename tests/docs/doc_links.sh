#!/bin/sh
# The links of the README and the guide: committed files must exist, files
# under dist/ must be ones the main job writes (its steps run with stand-ins
# for the renderers, main_job_files.sh).
# usage: doc_links.sh SOURCE_ROOT NATIVE_TREE NODE
set -eu
here=$(dirname "$0")
list=$(mktemp)
trap 'rm -f "$list"' EXIT
bash "$here/main_job_files.sh" "$1" "$2" "$list"
"$3" "$here/check_links.mjs" "$1" "$list" README.md docs/guide.md
