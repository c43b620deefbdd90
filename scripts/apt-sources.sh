#!/usr/bin/env bash
# Prints the apt sources the build adds to this machine's own Debian
# sources: the non-free component (for rar) and deb-src entries (for the
# dependency build). They use the same URIs, suites and keyrings as the
# Debian sources already configured, so a machine set up with another
# mirror or a package proxy keeps using it. Prints nothing when nothing is
# missing. Usage: apt-sources.sh <file to leave out (the build's own)>
# APT_ETC names another apt configuration folder (the scripts' own test).
set -euo pipefail
own=${1:-}
etc=${APT_ETC:-/etc/apt}
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || { echo "apt-sources: no VERSION_CODENAME in /etc/os-release" >&2; exit 1; }

inputs=()
for f in "$etc/sources.list" "$etc"/sources.list.d/*.list "$etc"/sources.list.d/*.sources; do
  [ -f "$f" ] && [ "$f" != "$own" ] && inputs+=("$f")
done
[ ${#inputs[@]} -gt 0 ] || { echo "apt-sources: no apt sources configured" >&2; exit 1; }

# One line per configured (type, URI, suite, component, keyring), from both
# the one-line and the deb822 formats; disabled deb822 entries are skipped.
entries() {
  for f in "${inputs[@]}"; do
    case $f in
      *.sources) awk '
        function flush(   t, u, s, c, nt, nu, ns, nc, i, j, k, l) {
          if (enabled != "no" && types != "" && uris != "" && suites != "") {
            nt = split(types, t, " "); nu = split(uris, u, " ")
            ns = split(suites, s, " "); nc = split(comps, c, " ")
            for (i = 1; i <= nt; i++) for (j = 1; j <= nu; j++)
              for (k = 1; k <= ns; k++) for (l = 1; l <= nc; l++)
                print t[i], u[j], s[k], c[l], (signed == "" ? "-" : signed)
          }
          types = uris = suites = comps = signed = enabled = ""; key = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[ \t]/ { if (key == "components") comps = comps " " $0; next }
        {
          key = tolower(substr($0, 1, index($0, ":") - 1)); val = substr($0, index($0, ":") + 1)
          gsub(/^[ \t]+|[ \t]+$/, "", val)
          if (key == "types") types = val
          else if (key == "uris") uris = val
          else if (key == "suites") suites = val
          else if (key == "components") comps = val
          else if (key == "signed-by") signed = val
          else if (key == "enabled") enabled = tolower(val)
        }
        END { flush() }' "$f" ;;
      *) awk '
        /^[ \t]*(#|$)/ { next }
        {
          line = $0; signed = "-"
          if (match(line, /\[[^]]*\]/)) {
            opts = substr(line, RSTART + 1, RLENGTH - 2)
            line = substr(line, 1, RSTART - 1) substr(line, RSTART + RLENGTH)
            n = split(opts, o, " ")
            for (i = 1; i <= n; i++) if (o[i] ~ /^signed-by=/) signed = substr(o[i], 11)
          }
          n = split(line, w, " ")
          for (i = 4; i <= n; i++) print w[1], w[2], w[3], w[i], signed
        }' "$f" ;;
    esac
  done
}

# Per Debian URI of the release suite: add what is missing. Only that suite
# is needed (rar is in its non-free, the dependency sources in its main);
# mirrors of the update suites may not carry their source pool.
entries | awk -v codename="$codename" '
  $3 == codename || index($3, codename "-") == 1 {
    uri = $2; sub(/\/$/, "", uri)
    key = uri " " $3
    if (!(key in keyring)) { order[++n] = key; keyring[key] = $5 }
    if ($3 == codename) release = 1
    have[key, $1, $4] = 1
  }
  END {
    if (!release) { print "apt-sources: no Debian source for " codename " is configured" > "/dev/stderr"; exit 1 }
    for (i = 1; i <= n; i++) {
      key = order[i]; split(key, p, " ")
      if (p[2] != codename) continue
      if (!have[key, "deb", "non-free"]) out("deb", p[1], p[2], "non-free", keyring[key])
      if (!have[key, "deb-src", "main"]) out("deb-src", p[1], p[2], "main", keyring[key])
    }
  }
  function out(type, uri, suite, comp, signed) {
    if (printed++) print ""
    print "Types: " type; print "URIs: " uri; print "Suites: " suite; print "Components: " comp
    if (signed != "-") print "Signed-By: " signed
  }'
