# Sourced by the scripts that need the stand-in video site. fh_site_start
# starts build/host/samplesite/fh_samplesite (or $FH_SAMPLESITE) on a free
# port of 127.0.0.1 and waits until it has written that port; fh_site_stop
# ends it by process id. Both are safe to call more than once.

FH_SITE_PID=""
FH_SITE_BIN_DEFAULT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/host/samplesite/fh_samplesite"

# Usage: fh_site_start DIR LIFETIME_SECONDS [SITE OPTION...]
# Keeps site.port, site.log (its output) and site-requests.log in DIR. Sets
# FH_SITE_PID and exports FH_SITE_PORT; when no port comes (the site is
# missing, exits or hangs), says so with the end of its output and returns 1.
fh_site_start() {
  local dir=$1 lifetime=$2; shift 2
  local site=${FH_SAMPLESITE:-$FH_SITE_BIN_DEFAULT} i
  mkdir -p "$dir"
  rm -f "$dir/site.port"
  FH_SITE_PORT=""
  "$site" --port 0 --port-file "$dir/site.port" --lifetime "$lifetime" \
      --log "$dir/site-requests.log" "$@" >"$dir/site.log" 2>&1 &
  FH_SITE_PID=$!
  # Ten seconds: the machine may be busy with builds; a site that has died
  # is reported at once.
  for i in $(seq 1 200); do
    [ -s "$dir/site.port" ] && break
    kill -0 "$FH_SITE_PID" 2>/dev/null || break
    sleep 0.05
  done
  FH_SITE_PORT=$(cat "$dir/site.port" 2>/dev/null)
  export FH_SITE_PORT
  if [ -z "$FH_SITE_PORT" ]; then
    echo "The stand-in site ($site) did not start: no port in $dir/site.port." >&2
    tail -5 "$dir/site.log" | sed 's/^/  site: /' >&2
    fh_site_stop
    return 1
  fi
}

fh_site_stop() {
  [ -n "$FH_SITE_PID" ] || return 0
  kill "$FH_SITE_PID" 2>/dev/null
  wait "$FH_SITE_PID" 2>/dev/null
  FH_SITE_PID=""
}
