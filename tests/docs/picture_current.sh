#!/bin/sh
# Fails when docs/signal-path.svg was drawn from another version of
# docs/signal-path.dot than the committed one (the picture carries the hash
# of the description it was drawn from).
# usage: picture_current.sh DOCS_DIR
want=$(sha256sum "$1/signal-path.dot" | cut -d' ' -f1)
if grep -q "^<!-- drawn from signal-path.dot sha256 $want -->$" "$1/signal-path.svg"; then
  echo "signal-path.svg is drawn from the current signal-path.dot"
  exit 0
fi
echo "docs/signal-path.svg is not drawn from the current docs/signal-path.dot;" \
  "redraw it: bash scripts/docs-pictures.sh"
exit 1
