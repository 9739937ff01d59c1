#!/usr/bin/env bash
# The Linux VST3 module exports exactly its three entry points (everything
# else stays inside, so it cannot clash with a host's or another plug-in's
# symbols), and carries no editor code: no web view host, no news store.
# usage: check_exports.sh <nm> <module.so>
set -eu
nm=$1
binary=$2
if [ ! -f "$binary" ]; then
  echo "missing: $binary" >&2
  exit 1
fi
status=0

exported=$("$nm" -D --defined-only "$binary" | awk '{print $NF}' | sort | tr '\n' ' ')
expected='GetPluginFactory ModuleEntry ModuleExit '
if [ "$exported" != "$expected" ]; then
  echo "$binary exports: $exported" >&2
  echo "expected exactly: $expected" >&2
  status=1
fi

# The full symbol table names the module's own functions; the engine's must be
# there (else the check below would pass on a stripped file), the editor's not.
symbols=$("$nm" -C "$binary")
if ! grep -q 'wah_engine_process' <<<"$symbols"; then
  echo "$binary: no symbol table to check for editor code" >&2
  status=1
fi
editor_names='vst3_view_|news[A-Z]|WebViewHost|web_view_'
editor=$(grep -E "$editor_names" <<<"$symbols" || true)
if [ -n "$editor" ]; then
  echo "$binary carries editor code:" >&2
  echo "$editor" >&2
  status=1
fi
echo "$binary exports: $exported"
exit $status
