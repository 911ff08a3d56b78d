#!/usr/bin/env python3
"""Measures the Persian orthography fixes (`ravak-tool fix`) on running text they were not made
from: the Persian strings of Debian's Firefox and LibreOffice translations, the corpora of
tools/eval_detect.py (fetched the same way, into the same cache). Strings with placeholders or
markup are left out, since taking those out leaves spaces the translator never typed. Each line
goes to the tuning or the test split by its MD5, so the two never share a line.

With --as-you-type the same figures are taken of `ravak-tool fix --as-you-type`, the fixes made as
each word is typed (each line typed a character at a time, each word fixed as it ends, seeing only
the text before it), against their own, stricter targets.

Per line of the split, each figure from correct text and from a damaged copy of it:
  unchanged        correct lines that come out as they went in. The translations have faults of
                   their own (Latin digits, a ZWNJ typed as a space, the Arabic ي): the lines of
                   the test split that do are listed, read by hand, in tools/orthography_review.tsv
                   with the line corrected, and count as faulty, not correct; the figure for all
                   lines is given too (with Persian digits on, the default, and off). As typed,
                   the faulty lines that change are those changed only where the review does
  zwnj-as-space    every ZWNJ typed as a space: the ZWNJs restored, and the other spaces changed
                   (as typed: those after می/نمی and before ها/های/هایی/تر/ترین, which the fixes
                   as typed are for, measured apart)
  zwnj-left-out    every ZWNJ left out: the ZWNJs restored, and ZWNJs put where there was none
                   (as typed: those after می/نمی measured)
  arabic-letters   ی and ک typed as the Arabic ي and ك: lines that come out as the correct line
                   does
The damaged copies are made of the lines as they should read (a reviewed line as corrected). A gap
between two characters is compared with the same gap of the correct line (the text aligned on
everything but spaces and ZWNJs, digits read alike).

Run after `make host`:
  tools/eval_orthography.py [--split test|tune] [--as-you-type] [--tool build/host/tools/ravak-tool]
                            [-v]
"""

import argparse
import collections
import difflib
import glob
import hashlib
import os
import re
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import eval_detect as corpus  # noqa: E402  (the corpora, their cache and the split)

ZWNJ = "\u200c"
PLACEHOLDER = re.compile(r"<[^>]*>|&[a-z]+;|\$\([A-Za-z0-9_]+\)|%[0-9A-Za-z_]+%?|"
                         r"\$[A-Za-z0-9_]+\$?|\{[^{}]*\}")
FLUENT_ENTRY = re.compile(r"^\s*(?:-?[A-Za-z][\w-]*|\.[\w-]+)\s*=\s*(.*)$")
DIGITS = str.maketrans("۰۱۲۳۴۵۶۷۸۹٠١٢٣٤٥٦٧٨٩", "01234567890123456789")
SUFFIXES = set("ها های هایی هایم هایت هایش هایمان هایتان هایشان هاست تر ترین تری ای ام ات اش ایم "
               "اید اند مان تان شان ی".split())
VERBAL_PREFIX = re.compile("^(?:بر|در|باز|فرا|فرو|وا|ور)?ن?می$")
PLURAL_COMPARATIVE = set("ها های هایی تر ترین".split())
KIND_PREFIX, KIND_PLURAL = "after می/نمی", "before ها/های/هایی/تر/ترین"
TARGETS = {"unchanged": 0.99, "zwnj-as-space": 0.90, "other-spaces": 0.005, "arabic-letters": 0.995}
# The fixes as typed: only the affixes' ZWNJs, and never at the cost of correct text.
TARGETS_AS_TYPED = {"unchanged": 0.998, "zwnj-as-space": 0.97, "other-spaces": 0.0005,
                    "zwnj-left-out": 0.90, "arabic-letters": 0.995}
ARABIC = str.maketrans("يكى", "یکی")


def fluent_strings(text):
    """Message and attribute values of a Fluent file, continuation lines joined."""
    current = None
    for line in text.split("\n"):
        m = FLUENT_ENTRY.match(line)
        if m or not line.strip() or line.startswith("#"):
            if current is not None:
                yield current
            current = m.group(1) if m else None
        elif current is not None and line.startswith(" "):
            current += " " + line.strip()
    if current is not None:
        yield current


def persian_lines(root):
    strings = []
    for mo in sorted(glob.glob(os.path.join(root, "usr/lib/libreoffice/program/resource/fa/"
                                                   "LC_MESSAGES/*.mo"))):
        strings.extend(msgstr.replace("~", "") for msgid, msgstr in corpus.read_mo(mo) if msgid)
    for xpi in glob.glob(os.path.join(root, "usr/lib/firefox-esr/browser/extensions/"
                                            "langpack-fa@*.xpi")):
        with zipfile.ZipFile(xpi) as z:
            for name in sorted(n for n in z.namelist() if n.endswith(".ftl")):
                strings.extend(fluent_strings(z.read(name).decode("utf-8", "replace")))
    return corpus.dedupe(s for s in strings if not PLACEHOLDER.search(s) and
                         any(c in corpus.PERSIAN_LETTERS for c in s))


def read_review(path):
    """The reviewed faulty lines: {MD5 of the line: the line corrected}."""
    review = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                digest, corrected = line.rstrip("\n").split("\t", 1)
                review[digest] = corrected
    return review


def md5(line):
    return hashlib.md5(line.encode("utf-8")).hexdigest()


def fix(args, lines, extra=()):
    mode = ["--as-you-type"] if args.as_you_type else []
    res = subprocess.run([args.tool, "fix"] + mode + list(extra), input="\n".join(lines) + "\n",
                         capture_output=True, text=True, check=True)
    out = res.stdout.split("\n")[:-1]
    assert len(out) == len(lines)
    return out


def gaps(line):
    """(characters, the separator before each: '', 's' for spaces, 'z' for ZWNJs only)."""
    chars, seps, sep = [], [], ""
    for c in line:
        if c in (" ", ZWNJ):
            sep += c
            continue
        chars.append(c.translate(DIGITS))
        seps.append("" if not sep else "s" if " " in sep else "z")
        sep = ""
    return chars, seps


def aligned_gaps(correct, out):
    """For each gap of the correct line: (its separator, the output's at that gap, or None)."""
    a, sa = gaps(correct)
    b, sb = gaps(out)
    if a == b:
        return list(zip(sa, sb))
    result = [(s, None) for s in sa]
    for block in difflib.SequenceMatcher(None, a, b, autojunk=False).get_matching_blocks():
        for k in range(1, block.size):
            result[block.a + k] = (sa[block.a + k], sb[block.b + k])
    return result


def context(line, index):
    """The pieces either side of the index-th gap of a line, for the lists of misses."""
    chars, seps = gaps(line)
    start = max([k for k in range(index) if seps[k]] or [0])
    end = min([k for k in range(index + 1, len(chars)) if seps[k]] or [len(chars)])
    return "".join(chars[start:index]) + "_" + "".join(chars[index:end])


def kind(piece):
    """The kind of ZWNJ a context names: after the verbal prefix می/نمی, before a plural or
    comparative suffix, before another suffix, or other."""
    left, right = piece.split("_", 1)
    left, right = left.lstrip("(«\"'"), right.rstrip(".،؛؟!:)»\"'")
    if VERBAL_PREFIX.match(left):
        return KIND_PREFIX
    if right in PLURAL_COMPARATIVE:
        return KIND_PLURAL
    return "other suffix" if right in SUFFIXES else "compound and other"


def changed_as_reviewed(line, out, reviewed):
    """Whether a faulty line changed only where its reviewed form has it changed: the same
    letters (Arabic ones read as Persian, digits alike) and each gap either as typed or as
    reviewed."""
    a, sa = gaps(line.translate(ARABIC))
    b, sb = gaps(out)
    c, sc = gaps(reviewed)
    return a == b == c and all(y in (x, z) for x, y, z in zip(sa, sb, sc))


CHANGE_KINDS = ["digits only", "only ZWNJs put for spaces or nothing (digits too)", "other"]


def change_kind(line, fixed, latin):
    """How a correct line was changed: its digits only; only ZWNJs put where it had a space or
    nothing (the orthography's own joins, which the line had left out), digits or not; or more."""
    if line == latin:
        return CHANGE_KINDS[0]
    a, sa = gaps(line)
    b, sb = gaps(fixed)
    if a == b and all(x == y or y == "z" for x, y in zip(sa, sb)) and sa != sb and \
            (ZWNJ + " " not in line and " " + ZWNJ not in line):
        return CHANGE_KINDS[1]
    return CHANGE_KINDS[2]


def rate(n, d):
    return n / d if d else 1.0


def report(name, value, target, fmt="{:.2%}", higher=True):
    met = value >= target if higher else value <= target
    print(f"  {name}: {fmt.format(value)} (target {'>=' if higher else '<='} "
          f"{fmt.format(target)}: {'met' if met else 'NOT met'})")
    return met


def main():
    root_dir = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--split", choices=["tune", "test"], default="test")
    ap.add_argument("--as-you-type", action="store_true",
                    help="measure the fixes made as each word is typed")
    ap.add_argument("--tool", default=os.path.join(root_dir, "build", "host", "tools",
                                                   "ravak-tool"))
    ap.add_argument("--cache", default=os.path.join(root_dir, "build", "detect-eval"))
    ap.add_argument("--review", default=os.path.join(root_dir, "tools", "orthography_review.tsv"),
                    help="the test split's reviewed faulty lines")
    ap.add_argument("--verbose", "-v", action="store_true")
    args = ap.parse_args()
    targets = TARGETS_AS_TYPED if args.as_you_type else TARGETS
    root = corpus.fetch(args.cache)
    print("sources:", ", ".join(open(os.path.join(args.cache, "versions.txt")).read().split()))
    lines = [l for l in persian_lines(root) if corpus.split_of(l) == args.split]
    print(f"Persian {args.split} split{', fixed as typed' if args.as_you_type else ''}: "
          f"{len(lines)} lines, "
          f"{sum(len(l.split()) for l in lines)} words, {sum(l.count(ZWNJ) for l in lines)} ZWNJs")
    ok = True

    fixed = fix(args, lines)
    changes = collections.Counter()
    for l, f in zip(lines, fixed):
        if f != l:
            for op in difflib.SequenceMatcher(None, l, f, autojunk=False).get_opcodes():
                if op[0] != "equal":
                    i, j = op[1], op[2]
                    changes[f"{l[max(0, i - 6):j + 6]!r}->{f[max(0, op[3] - 6):op[4] + 6]!r}"] += 1
    review = read_review(args.review) if args.split == "test" else {}
    faulty = [(l, f) for l, f in zip(lines, fixed) if md5(l) in review]
    correct = [(l, f) for l, f in zip(lines, fixed) if md5(l) not in review]
    print("correct text:")
    label = "correct lines unchanged" if review else "lines unchanged (no reviewed faults here)"
    ok &= report(f"{label} ({len(correct)} lines)",
                 rate(sum(l == f for l, f in correct), len(correct)), targets["unchanged"])
    if args.as_you_type:
        touched = [(l, f) for l, f in faulty if f != l]
        good = sum(changed_as_reviewed(l, f, review[md5(l)]) for l, f in touched)
        print(f"  lines with faults of their own (reviewed): {len(faulty)}, {len(touched)} "
              f"changed, {good} of them only where the review changes them")
        print(f"  all lines unchanged, faulty ones too: "
              f"{rate(sum(l == f for l, f in zip(lines, fixed)), len(lines)):.2%}")
    else:
        latin = fix(args, lines, ["--latin-digits"])
        print(f"  lines with faults of their own (reviewed): {len(faulty)}, "
              f"{rate(sum(f == review[md5(l)] for l, f in faulty), len(faulty)):.2%} "
              f"come out as reviewed")
        print(f"  all lines unchanged, faulty ones too: "
              f"{rate(sum(l == f for l, f in zip(lines, fixed)), len(lines)):.2%}; with Latin "
              f"digits kept: {rate(sum(l == f for l, f in zip(lines, latin)), len(lines)):.2%}")
        kinds = collections.Counter(change_kind(l, f, g) for l, f, g in zip(lines, fixed, latin)
                                    if l != f)
        print("  lines changed, by what changed (a breakdown, not a measure): " +
              ", ".join(f"{k} {kinds[k]}" for k in CHANGE_KINDS))
    if args.verbose:
        print("  commonest changes:", "  ".join(f"{k} x{n}" for k, n in changes.most_common(30)))
        for l, f in correct:
            if l != f:
                print(f"  correct line changed: {l!r} -> {f!r}")
        for l, f in faulty:
            if args.as_you_type and f != l and not changed_as_reviewed(l, f, review[md5(l)]):
                print(f"  faulty line changed elsewhere: {l!r} -> {f!r}, reviewed "
                      f"{review[md5(l)]!r}")
            elif not args.as_you_type and f != review[md5(l)]:
                print(f"  faulty line not as reviewed: {f!r}, reviewed {review[md5(l)]!r}")

    # The damaged copies are made from the lines as they should read: a reviewed line corrected.
    truths = [review.get(md5(l), l) for l in lines]
    with_zwnj = [l for l in truths if ZWNJ in l]
    for damage, label in ((" ", "ZWNJ typed as a space"), ("", "ZWNJ left out")):
        out = fix(args, [l.replace(ZWNJ, damage) for l in with_zwnj])
        restored = total = spaces = changed = spurious = 0
        misses, false = collections.Counter(), collections.Counter()
        by_kind = collections.defaultdict(lambda: [0, 0])
        for l, o in zip(with_zwnj, out):
            for i, (want, got) in enumerate(aligned_gaps(l, o)):
                if want == "z":
                    total += 1
                    restored += got == "z"
                    by_kind[kind(context(l, i))][0] += got == "z"
                    by_kind[kind(context(l, i))][1] += 1
                    if got != "z":
                        misses[context(l, i)] += 1
                elif want == "s":
                    spaces += 1
                    changed += got != "s"
                    if got != "s":
                        false[context(l, i)] += 1
                elif got == "z":
                    spurious += 1
                    false[context(l, i)] += 1
        print(f"{label}: {len(with_zwnj)} lines, {total} ZWNJs")
        prefix, plural = by_kind[KIND_PREFIX], by_kind[KIND_PLURAL]
        if damage and args.as_you_type:
            ok &= report(f"ZWNJs {KIND_PREFIX} and {KIND_PLURAL} restored",
                         rate(prefix[0] + plural[0], prefix[1] + plural[1]),
                         targets["zwnj-as-space"])
            print(f"  all ZWNJs restored: {rate(restored, total):.2%}")
        elif damage:
            ok &= report("ZWNJs restored", rate(restored, total), targets["zwnj-as-space"])
        if damage:
            ok &= report(f"other spaces changed ({changed} of {spaces})", rate(changed, spaces),
                         targets["other-spaces"], "{:.3%}", higher=False)
        else:
            if args.as_you_type:
                ok &= report(f"ZWNJs {KIND_PREFIX} restored", rate(*prefix),
                             targets["zwnj-left-out"])
            print(f"  all ZWNJs restored: {rate(restored, total):.2%}; ZWNJs put where there was "
                  f"none: {spurious}")
        print("  by kind:", "; ".join(f"{k} {n}/{d} = {rate(n, d):.2%}"
                                      for k, (n, d) in sorted(by_kind.items())))
        if args.verbose:
            print("  commonest misses:", " ".join(f"{k} x{n}" for k, n in misses.most_common(40)))
            print("  commonest changes:", " ".join(f"{k} x{n}" for k, n in false.most_common(25)))

    arabic = [l for l in lines if "ی" in l or "ک" in l]
    out = fix(args, [l.replace("ی", "ي").replace("ک", "ك") for l in arabic])
    reference = dict(zip(lines, fixed))
    good = sum(o == reference[l] for l, o in zip(arabic, out))
    print(f"Arabic yeh and kaf: {len(arabic)} lines")
    ok &= report("lines fixed", rate(good, len(arabic)), targets["arabic-letters"])
    print("targets:", "met" if ok else "NOT all met")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
