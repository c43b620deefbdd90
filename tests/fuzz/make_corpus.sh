#!/usr/bin/env bash
# Regenerates the seed corpora (tests/fuzz/corpus/<harness>) with the
# project's own tools: the native launcher-tool writes update sets (ZIP and
# RAR packs, update.xml, update.rxml as ZIP and RAR), a RAR 2.9 archive, a
# compiled string table and an enciphered CUD.dat; the theme tool draws the
# theme whose profiles, values and small pictures are seeds; the test
# server gives its maintenance page; fuzz_seeds (in this folder) writes the
# rest with the product's encoders.
# usage: tests/fuzz/make_corpus.sh   (builds what it needs in build/native and build/fuzz)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${LAUNCHER_BUILD_DIR:-$repo/build}
corpus=$repo/tests/fuzz/corpus

cmake -S "$repo" -B "$build/native" -G Ninja >/dev/null
cmake --build "$build/native" --target launcher-tool
cmake -S "$repo/tests/fuzz" -B "$build/fuzz" -G Ninja -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build/fuzz" --target fuzz_seeds
tool=$build/native/bin/launcher-tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$corpus"
mkdir -p "$corpus"/{manifest,zip,rar,lso,cud,theme_config,png,entry_name,page_503}

# A tiny client: two programs, data in a folder, an add-on with its setup.
client=$work/client
mkdir -p "$client/bin" "$client/data/levels" "$client/addons/voice"
printf 'MZ client program\n' >"$client/bin/game.exe"
printf 'level one\n%.0s' {1..20} >"$client/data/levels/one.pak"
printf 'volume=7\n' >"$client/data/settings.cfg"
printf 'MZ voice setup\n' >"$client/addons/voice/setup.exe"
cat >"$work/description.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<updateSet clientVersion="5.2.101">
  <pack type="ext" file="voice.pkg">
    <include path="addons/voice"/>
    <info lang="en" sel="false"><name>Voice chat</name><exec>addons\voice\setup.exe</exec><cmdl>/quiet</cmdl></info>
  </pack>
  <pack type="full" file="client.pkg"><include path="**"/></pack>
  <ignore file="*\*.cfg"/>
</updateSet>
XML
"$tool" make-update-set "$client" "$work/description.xml" "$work/zipset" >/dev/null
"$tool" make-update-set "$client" "$work/description.xml" "$work/rarset" --rar5 --manifest-rar >/dev/null
cp "$work/zipset/update.xml" "$corpus/manifest/update.xml"
cp "$work/zipset/update.rxml" "$corpus/manifest/update_zip.rxml"
cp "$work/rarset/update.rxml" "$corpus/manifest/update_rar.rxml"
cp "$work/zipset/voice.pkg" "$corpus/zip/voice.pkg"
cp "$work/zipset/update.rxml" "$corpus/zip/update.rxml"
cp "$work/rarset/voice.pkg" "$corpus/rar/voice_rar5.pkg"
"$tool" rar-create "$client/data" "$corpus/rar/data_rar29.rar" >/dev/null
"$tool" archive-list "$work/zipset/client.pkg" | head -n 4 | awk '{print $NF}' >"$work/names"
n=0
while read -r name; do printf '%s' "$name" >"$corpus/entry_name/listed_$((n++))"; done <"$work/names"

"$tool" lso-compile "$repo/assets/strings/en.txt" "$corpus/lso/en.lso" >/dev/null
cp "$repo/assets/strings/en.txt" "$corpus/lso/en.txt"

/usr/bin/python3 "$repo/tools/theme/make_theme.py" --out "$work/theme" >/dev/null
for picture in pictures/separator.png controls/progress.png controls/flags.png; do
  cp "$work/theme/$picture" "$corpus/png/$(basename "$picture")"
done

# The maintenance page the project's test server answers with.
/usr/bin/python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import net_test_server as s; sys.stdout.write(s.MAINTENANCE)' \
  "$repo/tests/helpers" >"$corpus/page_503/maintenance.xhtml"

"$build/fuzz/bin/fuzz_seeds" "$repo" "$corpus" "$work"
"$tool" cud-encrypt "$work/cud.xml" "$corpus/cud/CUD.dat" >/dev/null
du -sh "$corpus"
