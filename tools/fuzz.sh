#!/bin/sh
# Fuzzes the sayings block reader with libFuzzer (clang, ASan and UBSan) for a number of
# seconds (default 60). Builds in build/fuzz; the corpus grows in build/fuzz/corpus, seeded with
# the carried block and a few small blocks. A crash leaves its input in build/fuzz/ and fails.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: tools/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
out=build/fuzz
mkdir -p "$out/corpus"

clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tests/fuzz/sayings_fuzzer.cpp sayings/sayings_block.cpp -o "$out/sayings_fuzzer"

python3 tools/make_sayings_block.py sayings/sayings.txt --bin "$out/corpus/seed-carried"
python3 - "$out/corpus" <<'PY'
import struct, sys
d = sys.argv[1]
def header(count, version=1.91):
    return b"Ver" + struct.pack("<di", version, count)
def desc(name, kind=20):
    n = name.encode() + b"\0"
    return struct.pack("<ihh", 600, kind, len(n)) + n
def text(s):
    b = s.encode("utf-16-le")
    return b"\x01" + struct.pack("<i", len(b) // 2) + b
seeds = {
    "seed-empty": header(1) + desc("Name"),
    "seed-two": header(1) + desc("Name") + text("one\r\ntwo") + b"\x00" + text("x" * 700),
    "seed-fields": header(2) + desc("Id") + desc("NAME") + text("1") + text("a") + b"\x00\x00",
    "seed-none": header(0) + b"tail",
}
for name, data in seeds.items():
    with open(f"{d}/{name}", "wb") as f:
        f.write(data)
PY

cd "$out"
./sayings_fuzzer -max_total_time="$seconds" -max_len=32768 -print_final_stats=1 corpus
