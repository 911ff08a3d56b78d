#!/bin/sh
# Fuzzes the readers of bytes from outside with libFuzzer (clang, ASan and UBSan), each for a
# number of seconds (default 60): the sayings block reader, its corpus in build/fuzz/corpus
# seeded with the carried block and a few small blocks; the auto-correct list's CSV import,
# its corpus in build/fuzz/csv-corpus seeded with a few small files; and the packed orthography
# word lists' reader, its corpus in build/fuzz/words-corpus seeded with the carried lists and a
# small block. Builds in build/fuzz. A crash leaves its input in build/fuzz/ and fails.
set -eu
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: tools/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
out=build/fuzz
mkdir -p "$out/corpus" "$out/csv-corpus" "$out/words-corpus"

clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tests/fuzz/sayings_fuzzer.cpp sayings/sayings_block.cpp -o "$out/sayings_fuzzer"

clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tests/fuzz/csv_fuzzer.cpp autocorrect/autocorrect_csv.cpp autocorrect/autocorrect_list.cpp \
  platform/utf.cpp -o "$out/csv_fuzzer"
printf '\357\273\277keyword,before,after\r\nbtw,by the way,\r\nb,<b>,</b>\r\n' > "$out/csv-corpus/seed-export"
printf 'sig,"Best, ""regards""\r\nSara",\nx,"open\r\n,,\r' > "$out/csv-corpus/seed-quotes"

clang++ -std=c++20 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  tests/fuzz/orthography_words_fuzzer.cpp orthography/orthography_words.cpp platform/utf.cpp \
  -o "$out/orthography_words_fuzzer"
python3 tools/pack_orthography_words.py orthography/orthography_words.txt \
  --out "$out/words-corpus/seed-carried"
printf '[present-stems]\nکن\nکنار\n[compounds]\nنرم\342\200\214افزار\n' > "$out/words-corpus/seed.txt"
python3 tools/pack_orthography_words.py "$out/words-corpus/seed.txt" --out "$out/words-corpus/seed-small"
rm "$out/words-corpus/seed.txt"

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
./csv_fuzzer -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 csv-corpus
./orthography_words_fuzzer -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
  words-corpus
