#!/bin/sh
# Fails when the committed guide differs from what the generator writes from
# the tables (the build writes that into the native tree), and says how to
# bring it up to date.
# usage: guide_current.sh COMMITTED_GUIDE GENERATED_GUIDE
if diff -u "$1" "$2"; then
  echo "the guide's generated sections match the tables"
  exit 0
fi
echo "docs/guide.md differs from what the tables give (above: - committed, + generated)."
echo "Edit the hand-written parts in docs/guide.md and the texts in engine/parameter_guide.cc;"
echo "then rewrite the generated sections: cmake --build build/native --target oka_guide_update"
exit 1
