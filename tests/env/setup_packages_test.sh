#!/usr/bin/env bash
# The set-up's packages step against a package index in flux, without a network and without
# touching the machine: stand-ins for apt-get, dpkg, dpkg-query and id on the PATH play apt,
# and the set-up stops after the packages step (QB_SETUP_NEXT).
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

mkdir -p "$work/bin"
# apt-get: FAKE_UPDATE is ok, fail-once (one index fails at the first try) or fail-always;
# badsig fails a signature. FAKE_INSTALL is ok, main-suite (resolves only with -t) or never.
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE_DIR/calls"
bad='E: Failed to fetch http://mirror.test/debian-security/dists/x-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]'
case $1 in
  update)
    tries=$(grep -c '^apt-get update' "$FAKE_DIR/calls")
    case $FAKE_UPDATE in
      fail-once) [ "$tries" -gt 1 ] && exit 0 ;;
      fail-always) ;;
      badsig) echo "W: GPG error: http://mirror.test x InRelease: The following signatures were invalid: BADSIG 0123"
              echo "E: The repository 'http://mirror.test x InRelease' is not signed."; exit 100 ;;
      *) exit 0 ;;
    esac
    echo "$bad"; echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
    exit 100 ;;
  install)
    shift; target=; simulate=; pkgs=()
    while [ $# -gt 0 ]; do
      case $1 in -t) target=$2; shift ;; -s) simulate=1 ;; -*) ;; *) pkgs+=("$1") ;; esac; shift
    done
    if [ -z "$target" ] && [ "$FAKE_INSTALL" = main-suite ] || [ "$FAKE_INSTALL" = never ]; then
      echo "E: Unable to correct problems, you have held broken packages."; exit 100
    fi
    for p in "${pkgs[@]}"; do
      if [ -n "$simulate" ]; then echo "Inst $p (1.0 Debian:12.8/stable [amd64])"
      else echo "$p" >>"$FAKE_DIR/installed"; fi
    done ;;
esac
exit 0
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
grep -qx "${!#}" "$FAKE_DIR/installed" 2>/dev/null && printf 'install ok installed'
exit 0
EOF
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && echo i386\nexit 0\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin/"*

# One run of the set-up in a fresh fake machine (FAKE_DIR) unless KEEP is set.
run_setup() {
  export FAKE_DIR=$work/machine
  [ -n "${KEEP:-}" ] || { rm -rf "$FAKE_DIR"; mkdir -p "$FAKE_DIR"; }
  : >"$FAKE_DIR/calls"
  printf 'Types: deb\nURIs: http://mirror.test/debian\n' >"$FAKE_DIR/debian.sources"
  printf 'NAME="Debian GNU/Linux"\nVERSION_CODENAME=testrelease\n' >"$FAKE_DIR/os-release"
  PATH=$work/bin:$PATH QB_APT_SOURCES=$FAKE_DIR/debian.sources QB_OS_RELEASE=$FAKE_DIR/os-release \
    QB_SETUP_STATE=$FAKE_DIR/state QB_APT_RETRY_PAUSE=0 QB_SETUP_NEXT=true \
    "$top/scripts/setup" >"$FAKE_DIR/out" 2>&1
  status=$?
}
updates() { grep -c '^apt-get update' "$FAKE_DIR/calls"; }
said() { grep -q -- "$1" "$FAKE_DIR/out"; }
ends_with() { tail -n 4 "$FAKE_DIR/out" | grep -q -- "$1"; }

FAKE_UPDATE=fail-once FAKE_INSTALL=ok run_setup
check "an index that fails once is fetched again and the install goes on" \
  test "$status" = 0 -a "$(updates)" = 2
check "deb-src is added to the sources" grep -q '^Types: deb deb-src$' "$FAKE_DIR/debian.sources"

FAKE_UPDATE=fail-always FAKE_INSTALL=main-suite run_setup
check "an index that always fails is tried four times in all" test "$(updates)" = 4
check "the set-up names the index that failed" said 'binary-i386/Packages.xz'
check "the install is tried again with the os-release codename preferred" \
  grep -q '^apt-get install .*-t testrelease' "$FAKE_DIR/calls"
check "the packages from the main suite are named and remembered" \
  sh -c "grep -q 'may lack security fixes' '$FAKE_DIR/out' && grep -qx php-cli '$FAKE_DIR/state/from-main-suite'"
check "the set-up went on to the next step" test "$status" = 0 -a -n "$(grep -l 'third-party' "$FAKE_DIR/out")"

FAKE_UPDATE=ok FAKE_INSTALL=ok KEEP=1 run_setup
check "the next run with whole indexes upgrades the remembered packages" \
  sh -c "grep -q '^apt-get install .*--only-upgrade.*php-cli' '$FAKE_DIR/calls' && test ! -e '$FAKE_DIR/state/from-main-suite'"

FAKE_UPDATE=badsig FAKE_INSTALL=ok run_setup
check "a signature failure stops at once, saying what to do" \
  sh -c "test $status != 0 && test $(updates) = 1 && tail -n 4 '$FAKE_DIR/out' | grep -q 'signature'"
check "no install follows a signature failure" sh -c "! grep -q '^apt-get install' '$FAKE_DIR/calls'"

FAKE_UPDATE=fail-always FAKE_INSTALL=never run_setup
check "an install that cannot resolve at all fails, naming the step and the command to try" \
  sh -c "test $status != 0 && grep -q 'failed in step: packages' '$FAKE_DIR/out'" 
check "... and ends with the command that installs against the main suite" ends_with 'apt-get install -t testrelease'

[ "$failures" = 0 ] || { echo "--- last output:"; cat "$FAKE_DIR/out"; exit 1; }
