#!/usr/bin/env bash
# Starts and stops the stand-in Quillbank service on free loopback ports, with optional real
# proxies in front of it. Two ways to use it:
#
#   tests/standin/standin.sh [--proxies] -- COMMAND [ARGS...]
#       runs COMMAND with the services up and stops them afterwards; exit code of COMMAND.
#   source tests/standin/standin.sh; standin_start [--proxies]; ...; standin_stop
#
# Exported for COMMAND (and after standin_start):
#   QB_STANDIN_HOST        127.0.0.1:PORT of the service ("ServerHost" for the program)
#   QB_STANDIN_DIR         its state: requests/ (one record per request, key=hex lines),
#                          uploads/ (published files), crash_reports/ (received dumps),
#                          files/ (served as /files/NAME), and
#                          what tests write: "behaviour" to make it misbehave (see router.php),
#                          "behaviour.update" and "behaviour.files" for the update query or
#                          the files alone, "update_reply" to replace the update query's reply,
#                          "update_unsigned" to leave out the offered update's signatures
#                          (those it names, one a line: "update_signature", "signature")
#   QB_STANDIN_DROP_PORT   a server that drops connections in the middle of an upload
#   QB_STANDIN_EXPECT_PORT the service behind a server that answers "Expect: 100-continue"
#                          with 417 once the body has begun, so the body must be sent again
#   QB_HTTP_PROXY_PORT     tinyproxy (--proxies); its requests come from 127.0.0.3
#   QB_SOCKS_PROXY_PORT    microsocks, SOCKS5 (--proxies); its requests come from 127.0.0.2
# Proxy variables of the environment are cleared, so only the proxies the tests set apply.
# QB_UPDATE_SIGNING_KEY, if set, names the private key (make_update_key.php) with which the
# update query's reply signs the update it offers (see update_reply in router.php).

standin_home=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
standin_pids=()

standin_free_port() {
  php -r '$s = stream_socket_server("tcp://127.0.0.1:0"); echo substr(strrchr(stream_socket_get_name($s, false), ":"), 1);'
}

standin_listening() {  # PORT
  (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts "COMMAND ... {port} ..." on a free port and waits until it listens there; a port
# taken by someone else in between makes the command exit, and another port is tried.
standin_launch() {  # VARIABLE LOGFILE COMMAND...: exports VARIABLE=port
  local variable=$1 log=$2 attempt port pid i args
  shift 2
  for attempt in 1 2 3 4 5; do
    port=$(standin_free_port) || return 1
    args=("${@//\{port\}/$port}")
    # A process group of its own, so that stopping it stops the workers it forked too (with
    # job control on, background jobs get one anyway).
    if [[ $- == *m* ]]; then "${args[@]}" >>"$log" 2>&1 & else setsid "${args[@]}" >>"$log" 2>&1 & fi
    pid=$!
    for i in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      if standin_listening "$port"; then
        standin_pids+=("$pid")
        export "$variable=$port"
        return 0
      fi
      sleep 0.05
    done
    kill -- -"$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  echo "standin: could not start: $*" >&2
  return 1
}

standin_start() {
  local proxies=0
  [ "${1:-}" = --proxies ] && proxies=1
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy NO_PROXY
  QB_STANDIN_DIR=$(mktemp -d "${TMPDIR:-/tmp}/standin.XXXXXX") || return 1
  mkdir -p "$QB_STANDIN_DIR"/{requests,uploads,files,tmp}
  export QB_STANDIN_DIR
  local log=$QB_STANDIN_DIR/servers.log
  local php_settings=(-d memory_limit=-1 -d post_max_size=0 -d display_errors=0 -d log_errors=1
                      -d "error_log=$QB_STANDIN_DIR/php-errors.log")

  standin_launch QB_STANDIN_PARSER_PORT "$log" php "${php_settings[@]}" -d upload_max_filesize=4G \
    -d max_file_uploads=50 -d "upload_tmp_dir=$QB_STANDIN_DIR/tmp" \
    -S "127.0.0.1:{port}" "$standin_home/form_parser.php" || return 1
  # Several workers, so that a reply told to hang holds up only its own request.
  PHP_CLI_SERVER_WORKERS=4 standin_launch QB_STANDIN_PORT "$log" php "${php_settings[@]}" -d enable_post_data_reading=0 \
    -S "127.0.0.1:{port}" "$standin_home/router.php" || return 1
  export QB_STANDIN_HOST=127.0.0.1:$QB_STANDIN_PORT
  standin_launch QB_STANDIN_DROP_PORT "$log" php "$standin_home/drop_server.php" "{port}" || return 1
  standin_launch QB_STANDIN_EXPECT_PORT "$log" php "$standin_home/expect_server.php" "{port}" "$QB_STANDIN_PORT" \
    || return 1

  if [ $proxies = 1 ]; then
    standin_launch QB_SOCKS_PROXY_PORT "$log" microsocks -i 127.0.0.1 -p "{port}" -b 127.0.0.2 || return 1
    standin_tinyproxy_conf >"$QB_STANDIN_DIR/tinyproxy.conf"
    standin_launch QB_HTTP_PROXY_PORT "$log" bash -c \
      'sed "s/@PORT@/$1/" "$2" >"$2.$1" && exec tinyproxy -d -c "$2.$1"' _ "{port}" "$QB_STANDIN_DIR/tinyproxy.conf" \
      || return 1
  fi
  # If this shell dies without stopping them, the servers follow it.
  local owner=$BASHPID
  local groups=("${standin_pids[@]/#/-}")
  ( while kill -0 "$owner" 2>/dev/null; do sleep 1; done; kill -- "${groups[@]}" 2>/dev/null ) \
    >/dev/null 2>&1 </dev/null &
  standin_pids+=("$!")
}

standin_tinyproxy_conf() {  # with @PORT@ for the port
  cat <<CONF
Port @PORT@
Listen 127.0.0.1
Bind 127.0.0.3
Allow 127.0.0.1
Timeout 60
MaxClients 20
LogLevel Info
ViaProxyName "standin-tinyproxy"
CONF
}

standin_stop() {
  local pid
  for pid in "${standin_pids[@]}"; do kill -- -"$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true; done
  for pid in "${standin_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  standin_pids=()
  if [ -n "${QB_STANDIN_DIR:-}" ] && [ -z "${QB_STANDIN_KEEP:-}" ]; then rm -rf "$QB_STANDIN_DIR"; fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -uo pipefail
  with_proxies=()
  [ "${1:-}" = --proxies ] && { with_proxies=(--proxies); shift; }
  [ "${1:-}" = -- ] && shift
  [ $# -gt 0 ] || { echo "usage: $0 [--proxies] -- COMMAND [ARGS...]" >&2; exit 2; }
  # Listing tests needs no services.
  for arg in "$@"; do [ "$arg" = --gtest_list_tests ] && exec "$@"; done
  trap standin_stop EXIT
  trap 'exit 130' INT TERM
  standin_start "${with_proxies[@]}" || exit 125
  "$@"
  exit $?
fi
