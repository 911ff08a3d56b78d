#!/usr/bin/env python3
"""Builds orthography/orthography_words.txt, the word lists behind the Persian orthography fixes.

Sources: the Persian word lists the detection model is built from (tools/build_detect_model.py
fetches them, versions pinned, into the same cache folder):
  @cspell/dict-fa-ir 4.0.5, npm (Apache-2.0)             a large inflected lexicon, no ZWNJ
  Debian tesseract-ocr-fas 1:4.1.0-2 (Apache-2.0)        about 14,000 frequent words, some
                                                         written with a zero-width non-joiner
  Debian chromium-l10n (BSD-3-Clause): its Persian user-interface strings (fa.pak), the .deb in
  the cache folder (the lists were made from 156.0.8078.129-1~deb12u1)
  Firefox and LibreOffice Persian translations (MPL-2.0), fetched by tools/eval_orthography.py
  into its cache folder, only the lines of its tuning split (the lists were made from
  firefox-esr-l10n-fa 153.8.0esr-1~deb12u1 and libreoffice-l10n-fa 4:7.4.7-1+deb12u14)

Run (as root on Debian 12, network to the Debian and npm registries):
  tools/build_orthography_words.py [--cache build/detect-sources]
                                   [--translations build/detect-eval] [--out FILE]
Python standard library only; the output is deterministic for the same sources.

The output is UTF-8 text: '#' comment lines, then sections, each a "[name]" line followed by one
word a line, sorted:
  present-stems    present stems of verbs (شو، کن، رو): a stem s whose forms s+ending and
                   ب+s+ending (بی for a stem that begins with آ or ا: بیاید) the lexicon both
                   holds for four of the six personal endings
  past-stems       past stems (شد، کرد، رفت): an infinitive s+ن whose forms s+ending the lexicon
                   holds for four of the five personal endings
  not-verbs        words that read as می/نمی before a verb but are words of their own (میلاد،
                   میهمانی), unless the OCR list writes a می form of that verb: common verbs win
  pronounced-heh   words whose final ه is a consonant (دستگاه، ماه): the lexicon writes their
                   plural joined; ه after ا or و counts as pronounced without a list
  joined-words     words that end like a silent ه with a suffix joined (ه + ها، اند، تر) but are
                   written so in the lexicon
  comparatives     adjectives the lexicon gives a superlative (بزرگ for بزرگترین)
  compounds        the OCR list's two-part words with a non-joiner, less those whose parts are
                   function words; and the two-part words (three with و in the middle: جست‌وجو)
                   that the user-interface strings and the translations' tuning lines write
                   with a non-joiner, each source more often than with a space, less verbal
                   prefixes, suffixes and participles, which the fixes join by rule
The decisions that use these lists (the verb endings, the suffixes) are in orthography/.
"""

import argparse
import collections
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import build_detect_model as sources  # noqa: E402  (fetching and reading the pinned lists)
import eval_orthography as translations  # noqa: E402  (the translations and their tuning split)

ZWNJ = "\u200c"
ALIASES = {"\u064a": "\u06cc", "\u0649": "\u06cc", "\u0643": "\u06a9"}
LETTERS = set("\u0621\u0622\u0623\u0624\u0625\u0626\u0627\u0628\u0629\u062a\u062b\u062c\u062d"
              "\u062e\u062f\u0630\u0631\u0632\u0633\u0634\u0635\u0636\u0637\u0638\u0639\u063a"
              "\u0641\u0642\u0644\u0645\u0646\u0648\u0647\u067e\u0686\u0698\u06a9\u06af\u06c0"
              "\u06cc")

# Mirrors orthography/persian_orthography.cpp: the endings a verb form may carry after its stem.
PRESENT_ENDINGS = ["\u0645", "\u06cc", "\u062f", "\u06cc\u0645", "\u06cc\u062f", "\u0646\u062f"]
PAST_ENDINGS = [""] + [e for e in PRESENT_ENDINGS if e != "\u062f"]
OBJECT_CLITICS = ["", "\u0634", "\u062a", "\u0645", "\u0634\u0627\u0646", "\u062a\u0627\u0646",
                  "\u0645\u0627\u0646"]
MI, NAMI = "\u0645\u06cc", "\u0646\u0645\u06cc"
PLURALS = ["\u0647\u0627" + s for s in ["", "\u06cc", "\u06cc\u06cc", "\u06cc\u0645", "\u06cc\u062a",
                                        "\u06cc\u0634", "\u06cc\u0645\u0627\u0646",
                                        "\u06cc\u062a\u0627\u0646", "\u06cc\u0634\u0627\u0646",
                                        "\u0633\u062a"]]
# After a silent ه, joined: the plurals, the perfect's اند/اید, and تر/ترین.
HEH_SUFFIXES = PLURALS + ["\u0627\u0646\u062f", "\u0627\u06cc\u062f", "\u062a\u0631",
                          "\u062a\u0631\u06cc\u0646"]
# What a silent ه takes with a non-joiner when written apart (the copula, the possessives).
ATTACHED = set("ای ام ات اش ایم اید اند مان تان شان ی".split())
# Parts that make no compound: prepositions, conjunctions, the copula and auxiliaries.
# Phrases the OCR list writes as one word although they are a noun and its adjective.
NOT_COMPOUNDS = {w.replace("_", ZWNJ) for w in
                 "صفحه_اصلی تیم_ملی بازارهای_جهانی مصالح_ساختمانی بندر_انزلی سکه_وطلا".split()}
# The translations the lists were made from; security updates replace them in the archive, and
# the build says so when the cache holds others.
TRANSLATIONS = ["firefox-esr-l10n-fa_153.8.0esr-1~deb12u1_all.deb",
                "libreoffice-l10n-fa_4%3a7.4.7-1+deb12u14_all.deb"]
# A participle after a word stays apart but with the ezafe (انتخاب‌شدهٔ): the translations write
# "فایل انتخاب شده" apart as often as not, and joining it changes more spaces than it restores.
PARTICIPLES = {"\u0634\u062f\u0647", "\u0646\u0634\u062f\u0647"}
# A compound from running text: written with a ZWNJ at least MIN_JOINED times and more than
# SPACED_RATIO times as often as with a space.
MIN_JOINED = 1
SPACED_RATIO = 1
FUNCTION_WORDS = set("به در از با برای تا که و را هر چه بر است اند بود بودند باشد باشند شد شدند "
                     "شود شوند ام ایم اید ای هست هستند نیست بوده گردید گردد می نمی".split())


def normalise(word):
    word = "".join(ALIASES.get(c, c) for c in word)
    return word if word and all(c in LETTERS or c == ZWNJ for c in word) else None


def read_cspell(cache):
    sources.persian_words(cache)  # makes the listing on first use
    words = set()
    with open(os.path.join(cache, "fa-cspell.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("~"):  # the list's accent-folded duplicates
                continue
            w = normalise(line)
            if w:
                words.add(w)
    return words


def read_ocr(cache):
    out = set()
    with open(sources.tesseract_words(cache, "fas"), encoding="utf-8") as f:
        for line in f:
            w = normalise(line.strip().strip(ZWNJ))
            if w and ZWNJ * 2 not in w:
                out.add(w)
    return out


def stems(lexicon):
    counts = {}
    for w in lexicon:
        if not w.startswith("\u0628"):
            continue
        for e in PRESENT_ENDINGS:
            if w.endswith(e) and len(w) > len(e) + 1:
                s = w[1:len(w) - len(e)]
                if s + e in lexicon:
                    counts[s] = counts.get(s, 0) + 1
    present = {s for s, n in counts.items() if n >= 4 and (len(s) >= 2 or s == "\u0622")}
    past = set()
    for w in lexicon:
        if len(w) >= 3 and w[-1] == "\u0646" and w[-2] in "\u062a\u062f":
            s = w[:-1]
            if sum(s + e in lexicon for e in PAST_ENDINGS[1:]) >= 4:
                past.add(s)
    # A stem that begins with آ or ا takes بی before it: بیاید for آی، بیندازد for انداز.
    counts = {}
    for w in lexicon:
        if not w.startswith("\u0628\u06cc") or len(w) < 4:
            continue
        for e in PRESENT_ENDINGS:
            if w.endswith(e) and len(w) > len(e) + 3:
                rest = w[2:len(w) - len(e)]
                s = "\u0622" + rest[1:] if rest[0] == "\u0627" else "\u0627" + rest
                if s + e in lexicon:
                    counts[s] = counts.get(s, 0) + 1
    present |= {s for s, n in counts.items() if n >= 4 and s not in past}
    # A negated stem (نشد) is the stem with the negation, which the fixes read apart.
    present = {s for s in present if not (s[0] == "\u0646" and s[1:] in present)}
    past = {s for s in past if not (s[0] == "\u0646" and s[1:] in past)}
    return present, past


def verb_stem(x, present, past):
    """The stem of x read as a verb form after می (stem + ending + object clitic), or None."""
    for c in OBJECT_CLITICS:
        if not x.endswith(c):
            continue
        y = x[:len(x) - len(c)]
        for e in PRESENT_ENDINGS:
            if y.endswith(e) and y[:len(y) - len(e)] in present:
                return y[:len(y) - len(e)]
        for e in PAST_ENDINGS:
            if y.endswith(e) and y[:len(y) - len(e)] in past:
                return y[:len(y) - len(e)]
    return None


def split_mi(w):
    """(prefix, rest) when w begins with می or نمی, else None."""
    for p in (NAMI, MI):
        if w.startswith(p) and len(w) > len(p) + 1:
            return p, w[len(p):]
    return None


def not_verbs(lexicon, ocr, present, past):
    common = set()
    for w in ocr:
        parts = w.split(ZWNJ)
        if len(parts) == 2 and parts[0] in (MI, NAMI):
            s = verb_stem(parts[1], present, past)
            if s:
                common.add(s)
    out = set()
    for w in lexicon:
        m = split_mi(w)
        if m:
            s = verb_stem(m[1], present, past)
            if s and s not in common:
                out.add(w)
    return out


def heh_suffix(w):
    """The longest silent-ه suffix w ends with, after a ه, or None."""
    for s in sorted(HEH_SUFFIXES, key=len, reverse=True):
        if w.endswith(s) and len(w) > len(s) + 2 and w[-len(s) - 1] == "\u0647":
            return s
    return None


# A run of Persian words with single spaces between them, as running text has it.
WORD_RUN = re.compile("[%s%s]+(?: [%s%s]+)*" % ("".join(sorted(LETTERS)), ZWNJ,
                                               "".join(sorted(LETTERS)), ZWNJ))
# The parts that the fixes join by rule: the suffixes after a word, the verbal prefixes before.
SUFFIX_PARTS = set(HEH_SUFFIXES) | ATTACHED | {"\u062a\u0631\u06cc"}
PREFIX_PARTS = {MI, NAMI} | {p + MI for p in "\u0628\u0631 \u062f\u0631 \u0628\u0627\u0632".split()}
# The preposition به stays apart from its noun (به طور، به علت، به سرعت: both spellings are
# written, and the standard orthography writes them apart), but makes one word with a ZWNJ where
# the two are one adjective or noun: به‌روز (up to date) and its derivatives, به‌سازی.
BEH = "\u0628\u0647"
JOINED_AFTER_BEH = {"\u0631\u0648\u0632", "\u0631\u0648\u0632\u0631\u0633\u0627\u0646",
                    "\u0631\u0648\u0632\u0631\u0633\u0627\u0646\u06cc",
                    "\u0631\u0648\u0632\u0634\u062f\u0647", "\u0633\u0627\u0632\u06cc"}


def word_parts(word):
    """The parts of a word between its ZWNJs, its verbal prefix and suffix parts taken away."""
    parts = [p for p in word.split(ZWNJ) if p]
    while len(parts) > 1 and parts[0] in PREFIX_PARTS:
        parts = parts[1:]
    while len(parts) > 1 and parts[-1] in SUFFIX_PARTS:
        parts = parts[:-1]
    return parts


def pair_counts(texts):
    """In running text: how often each two parts stand joined by a ZWNJ inside a word (a three-part
    word counts its two pairs, and its whole when the middle part is و: جست‌وجو), and how often
    the last part of a word stands before the first of the next with a space between."""
    joined, spaced = collections.Counter(), collections.Counter()
    for text in texts:
        text = "".join(ALIASES.get(c, c) for c in text)
        for run in WORD_RUN.findall(text):
            words = [w.strip(ZWNJ) for w in run.split(" ")]
            for w in words:
                parts = word_parts(w)
                for a, b in zip(parts, parts[1:]):
                    joined[(a, b)] += 1
                if len(parts) == 3 and parts[1] == "\u0648":
                    joined[tuple(parts)] += 1
            for w1, w2 in zip(words, words[1:]):
                if w1 and w2:
                    spaced[(w1.split(ZWNJ)[-1], w2.split(ZWNJ)[0])] += 1
    return joined, spaced


def is_compound_pair(parts):
    a, b = parts[0], parts[-1]
    return (len(a) >= 2 and len(b) >= 2 and b not in FUNCTION_WORDS and
            (a not in FUNCTION_WORDS or a == BEH and b in JOINED_AFTER_BEH) and
            a not in PREFIX_PARTS and b not in SUFFIX_PARTS and b not in PARTICIPLES and
            ZWNJ.join(parts) not in NOT_COMPOUNDS)


def written_compounds(counts):
    """The compounds that running text writes with a ZWNJ: each of counts, a (joined, spaced)
    pair of pair_counts for one source, writes it so more often than with a space, or not at all."""
    out = set()
    for parts in set().union(*(joined for joined, _ in counts)):
        if not is_compound_pair(parts):
            continue
        total = sum(joined[parts] for joined, _ in counts)
        apart = [spaced[parts] if len(parts) == 2 else 0 for _, spaced in counts]
        if total >= MIN_JOINED and all(joined[parts] > SPACED_RATIO * n or n == 0 and
                                       joined[parts] == 0 for (joined, _), n in
                                       zip(counts, apart)):
            out.add(ZWNJ.join(parts))
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap.add_argument("--cache", default=os.path.join(root, "build", "detect-sources"))
    ap.add_argument("--out", default=os.path.join(root, "orthography", "orthography_words.txt"))
    ap.add_argument("--translations", default=os.path.join(root, "build", "detect-eval"))
    args = ap.parse_args()
    sources.fetch(args.cache)
    translations_root = translations.corpus.fetch(args.translations)
    with open(os.path.join(args.translations, "versions.txt"), encoding="utf-8") as f:
        held = f.read().split()
    if any(t not in held for t in TRANSLATIONS):
        print(f"note: the translations are {held}, not {TRANSLATIONS}", file=sys.stderr)
    tune = [line for line in translations.persian_lines(translations_root)
            if translations.corpus.split_of(line) == "tune"]
    counts = [pair_counts(sources.ui_strings(args.cache, "fa")), pair_counts(tune)]
    lexicon = read_cspell(args.cache)
    ocr = read_ocr(args.cache)

    present, past = stems(lexicon)
    pronounced = {w for w in lexicon if w.endswith("\u0647") and len(w) >= 2 and
                  w[-2] not in "\u0627\u0648\u0647" and w + "\u0647\u0627" in lexicon}
    joined = set()
    for w in lexicon:
        s = heh_suffix(w)
        if s and w[:-len(s)] not in pronounced and w[-len(s) - 2] not in "\u0627\u0648\u0647":
            joined.add(w)
    comparatives = {w[:-4] for w in lexicon if w.endswith("\u062a\u0631\u06cc\u0646") and
                    w[:-4] in lexicon}
    compounds = set()
    for w in ocr:
        parts = w.split(ZWNJ)
        if len(parts) == 2 and all(len(p) >= 2 for p in parts) and \
                not any(p in FUNCTION_WORDS for p in parts) and \
                MI not in w and w not in NOT_COMPOUNDS and parts[1] not in HEH_SUFFIXES and \
                parts[1] not in ATTACHED:
            compounds.add(w)
    compounds |= written_compounds(counts)

    sections = [
        ("present-stems", present), ("past-stems", past),
        ("not-verbs", not_verbs(lexicon, ocr, present, past)),
        ("pronounced-heh", pronounced), ("joined-words", joined),
        ("comparatives", comparatives), ("compounds", compounds),
    ]
    lines = ["# Made by tools/build_orthography_words.py from @cspell/dict-fa-ir 4.0.5 and",
             "# tesseract-ocr-fas 1:4.1.0-2 (both Apache-2.0), chromium-l10n (BSD-3-Clause) and",
             "# the Firefox and LibreOffice Persian translations (MPL-2.0), see SOURCES.txt.",
             "# Do not edit."]
    for name, words in sections:
        lines.append(f"[{name}]")
        lines.extend(sorted(words, key=lambda w: w.encode("utf-16-be")))
    data = ("\n".join(lines) + "\n").encode("utf-8")
    with open(args.out + ".tmp", "wb") as f:
        f.write(data)
    os.replace(args.out + ".tmp", args.out)
    print(f"{args.out}: {len(data)} bytes; " +
          ", ".join(f"{name} {len(words)}" for name, words in sections), file=sys.stderr)


if __name__ == "__main__":
    main()
