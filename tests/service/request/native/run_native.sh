#!/usr/bin/env bash
# Builds the window-free service logic natively with AddressSanitizer and UBSan and runs its
# fuzz target over a fixed set of inputs. Usage: run_native.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
source_dir=$1
out=$2
mkdir -p "$out"
clang++ -std=c++17 -O1 -g -Wall -Wextra -Werror -fsanitize=address,undefined -fno-sanitize-recover=all \
  -I "$source_dir/recorder_app" \
  "$source_dir/recorder_app/service/request/reply_grammar.cpp" "$source_dir/recorder_app/service/request/form_values.cpp" \
  "$source_dir/tests/service/request/native/reply_grammar_fuzz.cpp" -o "$out/reply_grammar_fuzz"
"$out/reply_grammar_fuzz"
