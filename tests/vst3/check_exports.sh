#!/usr/bin/env bash
# The Linux VST3 module exports exactly its three entry points (everything
# else stays inside, so it cannot clash with a host's or another plug-in's
# symbols). It carries the editor (the view, the web view host, the news
# store) but no UI toolkit: only the web helper, a process of its own, loads
# GTK and WebKit, so none of them may be among the libraries it brings into
# a host.
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

# The full symbol table names the module's own functions: the engine's and
# each part of the editor's must be there.
symbols=$("$nm" -C "$binary")
for name in wah_engine_process vst3_view_new 'webview::create' news_page_handler \
  news_store_serve; do
  if ! grep -Eq "$name" <<<"$symbols"; then
    echo "$binary: no symbol matching '$name'" >&2
    status=1
  fi
done

# Every library the module loads, its dependencies' included.
toolkit=$(ldd "$binary" | grep -Ei 'gtk|gdk|glib|gobject|webkit|javascriptcore|Qt' || true)
if [ -n "$toolkit" ]; then
  echo "$binary brings UI toolkit libraries into the host:" >&2
  echo "$toolkit" >&2
  status=1
fi
if ! ldd "$binary" | grep -q 'libxcb\.so'; then
  echo "$binary: no XCB among its libraries (is the editor missing?)" >&2
  status=1
fi
echo "$binary exports: $exported"
exit $status
