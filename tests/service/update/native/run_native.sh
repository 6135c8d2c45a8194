#!/usr/bin/env bash
# Builds the window-free update logic natively with AddressSanitizer and UBSan, runs its unit
# tests there and its fuzz target over a fixed set of inputs; with QB_FUZZ_SECONDS set, also
# fuzzes it with libFuzzer for that long. Usage: run_native.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
source_dir=$1
out=$2
mkdir -p "$out"
flags=(-std=c++17 -O1 -g -Wall -Wextra -Werror -fsanitize=address,undefined -fno-sanitize-recover=all
       -I "$source_dir/recorder_app")
logic=("$source_dir"/recorder_app/service/request/device_names.cpp "$source_dir"/recorder_app/service/update/{update_reply,zip_names,zip_entry_meta}.cpp)
clang++ "${flags[@]}" "${logic[@]}" "$source_dir/tests/service/update/native/update_fuzz.cpp" -o "$out/update_fuzz"
clang++ "${flags[@]}" "${logic[@]}" "$source_dir"/tests/service/update/{update_reply,zip_names}_test.cpp \
  -lgtest -lgtest_main -pthread -o "$out/update_pure_tests"
"$out/update_pure_tests" --gtest_brief=1
"$out/update_fuzz"
if [ -n "${QB_FUZZ_SECONDS:-}" ]; then
  clang++ "${flags[@]}" -fsanitize=fuzzer -DQB_WITH_LIBFUZZER "${logic[@]}" \
    "$source_dir/tests/service/update/native/update_fuzz.cpp" -o "$out/update_libfuzzer"
  mkdir -p "$out/corpus"
  "$out/update_libfuzzer" "$out/corpus" -max_total_time="$QB_FUZZ_SECONDS" -max_len=512 -print_final_stats=1
fi
