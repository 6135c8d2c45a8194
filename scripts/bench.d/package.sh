# The size of the installer a user downloads, made with NSIS from the build's dist/.
set -euo pipefail
build=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
setup=$(QB_BUILD_DIR="$build" "$top/scripts/package" --no-build 2>/dev/null | tail -n 1)
[ -f "$setup" ] || { echo "the installer was not made" >&2; exit 1; }
echo "package.installer_kb: $(( ($(stat -c %s "$setup") + 1023) / 1024 )) KB"
