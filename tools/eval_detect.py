#!/usr/bin/env python3
"""Measures wrong-layout detection on running prose that the model was not built from.

Corpora (Debian packages, fetched with apt-get download into the cache folder):
  Persian  firefox-esr-l10n-fa (the browser's Fluent messages), libreoffice-l10n-fa (msgstr)
  English  libreoffice-l10n-fa (msgid, the English source strings), manpages (section 7 pages)
Each line of text goes to the tuning or the test split by its MD5, so the two never share a line.

For each language, through `ravak-tool detect` (each line a field, so a word is judged after the
words before it on its line):
  restored  words of 3+ letters typed in the wrong layout (the same keys shown in the other
            layout) that come back as they were meant
  changed   words typed in the right layout that are changed
  both again for the first word of a line alone (it has no context), the commonest misses and
  changes, and the words of the other language inside the lines (typed in their own layout
  amid the wrong-layout words or the right ones), which should stay.

The keys are those of a typist on the layouts given (US and the old Persian layout unless told;
--persian-layout 00050429 measures a Persian (Standard) typist): a word typed in the wrong layout
shows what the same keys type on the other one, and ravak-tool reads them through the same pair.

Run after `make host`:
  tools/eval_detect.py [--split test|tune] [--tool build/host/tools/ravak-tool] [--model FILE]
                       [--no-context] [--english-layout KLID] [--persian-layout KLID]
  tools/eval_detect.py --split tune --sweep     margins by letter count, for choosing thresholds
"""

import argparse
import collections
import glob
import hashlib
import os
import re
import struct
import subprocess
import sys

DEB_PACKAGES = ["firefox-esr-l10n-fa", "libreoffice-l10n-fa", "manpages"]

PERSIAN_LETTERS = set("\u0627\u0628\u067e\u062a\u062b\u062c\u0686\u062d\u062e\u062f\u0630\u0631"
                      "\u0632\u0698\u0633\u0634\u0635\u0636\u0637\u0638\u0639\u063a\u0641\u0642"
                      "\u06a9\u06af\u0644\u0645\u0646\u0648\u0647\u06cc\u0622\u0621\u0623\u0624"
                      "\u0626\u0629\u06c0\u0625\u064a\u0643")
SPACE_BAR = "39"
# The layout map's tables, as `ravak-tool keys` gives them for the layouts measured: each
# character's first key, the space bar left out (a word holds none).
ENGLISH, FARSI, EN_INDEX, FA_INDEX = [], [], {}, {}


def load_tables(args):
    out = subprocess.run([args.tool, "keys"] + layout_args(args), capture_output=True, text=True,
                         check=True).stdout
    for line in out.splitlines():
        scan, _, en, fa, _, _ = line.split("\t")
        i = len(ENGLISH)
        ENGLISH.append(chr(int(en, 16)))
        FARSI.append(chr(int(fa, 16)))
        if scan != SPACE_BAR:
            EN_INDEX.setdefault(ENGLISH[i], i)
            FA_INDEX.setdefault(FARSI[i], i)
    # The Arabic yeh and kaf read as the Persian ones, as the map reads them.
    for arabic, persian in (("\u064a", "\u06cc"), ("\u0643", "\u06a9")):
        if persian in FA_INDEX:
            FA_INDEX[arabic] = FA_INDEX[persian]


def layout_args(args):
    return ["--english-layout", args.english_layout, "--persian-layout", args.persian_layout]


def fetch(cache):
    root = os.path.join(cache, "root")
    if os.path.isdir(root):
        return root
    debs = os.path.join(cache, "debs")
    os.makedirs(debs, exist_ok=True)
    subprocess.run(["apt-get", "download"] + DEB_PACKAGES, cwd=debs, check=True)
    for f in sorted(os.listdir(debs)):
        subprocess.run(["dpkg-deb", "-x", os.path.join(debs, f), root + ".tmp"], check=True)
    with open(os.path.join(cache, "versions.txt"), "w") as out:
        for f in sorted(os.listdir(debs)):
            out.write(f + "\n")
    os.rename(root + ".tmp", root)
    return root


def read_mo(path):
    data = open(path, "rb").read()
    _, _, n, ids, strs = struct.unpack("<5I", data[:20])
    for i in range(n):
        l1, o1 = struct.unpack("<2I", data[ids + 8 * i:ids + 8 * i + 8])
        l2, o2 = struct.unpack("<2I", data[strs + 8 * i:strs + 8 * i + 8])
        msgid = data[o1:o1 + l1].decode("utf-8", "replace").split("\x04")[-1]
        yield msgid.split("\0")[0], data[o2:o2 + l2].decode("utf-8", "replace").split("\0")[0]


def clean(text):
    text = re.sub(r"<[^>]*>", " ", text)
    text = re.sub(r"&[a-z]+;", " ", text)
    text = re.sub(r"\$\([A-Za-z0-9_]+\)|%[0-9A-Za-z_]+%?|\$[A-Za-z0-9_]+\$?", " ", text)
    return text.replace("~", "").replace("\u200c", " ")


def fluent_values(path):
    """Message and attribute values of a Fluent file, placeables removed."""
    values, current = [], None
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        m = re.match(r"^\s*(?:-?[A-Za-z][\w-]*|\.[\w-]+)\s*=\s*(.*)$", line)
        if m:
            if current is not None:
                values.append(current)
            current = m.group(1)
        elif current is not None and line.startswith(" ") and line.strip():
            current += " " + line.strip()
        elif not line.strip() or line.startswith("#"):
            if current is not None:
                values.append(current)
            current = None
    if current is not None:
        values.append(current)
    out = []
    for v in values:
        while True:
            w = re.sub(r"\{[^{}]*\}", " ", v)
            if w == v:
                break
            v = w
        out.append(clean(v))
    return out


def troff_text(path):
    import gzip
    lines = []
    with gzip.open(path, "rt", encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith((".", "'")):
                continue
            line = re.sub(r"\\f(\[[^\]]*\]|\(..|.)", "", line)
            line = re.sub(r"\\\*?\((..)|\\\*\[[^\]]*\]|\\\[[^\]]*\]", " ", line)
            line = re.sub(r"\\[-e&|^0 ]", lambda m: "-" if m.group(0) == "\\-" else " ", line)
            lines.append(line.strip())
    # Paragraphs, joined, then cut into sentences.
    text = " ".join(lines)
    return [s for s in re.split(r"(?<=[.!?])\s+", text) if s]


def corpora(root):
    fa, en = [], []
    for mo in sorted(glob.glob(os.path.join(root, "usr/lib/libreoffice/program/resource/fa/"
                                                   "LC_MESSAGES/*.mo"))):
        for msgid, msgstr in read_mo(mo):
            if msgid:
                en.append(clean(msgid))
                fa.append(clean(msgstr))
    xpi = glob.glob(os.path.join(root, "usr/lib/firefox-esr/browser/extensions/langpack-fa@*.xpi"))
    if xpi:
        import zipfile
        with zipfile.ZipFile(xpi[0]) as z:
            for name in sorted(z.namelist()):
                if name.endswith(".ftl"):
                    tmp = z.read(name).decode("utf-8", "replace")
                    path = os.path.join(root, "ftl.tmp")
                    open(path, "w", encoding="utf-8").write(tmp)
                    fa.extend(fluent_values(path))
    for page in sorted(glob.glob(os.path.join(root, "usr/share/man/man7/*.7.gz"))):
        en.extend(troff_text(page))
    fa = [l for l in fa if any(c in PERSIAN_LETTERS for c in l)]
    en = [l for l in en if re.search(r"[a-z]{3}", l)]
    return {"English": dedupe(en), "Persian": dedupe(fa)}


def dedupe(lines):
    seen, out = set(), []
    for l in lines:
        l = " ".join(l.split())
        if l and l not in seen:
            seen.add(l)
            out.append(l)
    return out


def split_of(line):
    return "tune" if hashlib.md5(line.encode("utf-8")).digest()[0] % 2 == 0 else "test"


def letters(word, lang):
    if lang == "English":
        return sum(c.isascii() and c.isalpha() for c in word)
    return sum(c in PERSIAN_LETTERS for c in word)


def is_plain_word(word, lang):
    """Letters only, between punctuation (an English word may hold apostrophes)."""
    ok = (lambda c: c.isascii() and c.isalpha()) if lang == "English" else \
        (lambda c: c in PERSIAN_LETTERS)
    core = [i for i, c in enumerate(word) if ok(c)]
    if not core:
        return False
    inner = word[core[0]:core[-1] + 1]
    return all(ok(c) or (lang == "English" and c == "'") for c in inner)


def other_layout(word, lang):
    """The word as its keys type it on the other layout; nothing when a character is on no key
    of the map. Latin digits outside the map are typed alike on both layouts (the old Persian
    layout's number row) and stay."""
    src, dst = (EN_INDEX, FARSI) if lang == "English" else (FA_INDEX, ENGLISH)
    if not all(c in src or "0" <= c <= "9" for c in word):
        return None
    return "".join(dst[src[c]] if c in src else c for c in word)


def run_tool(args, lines, extra=()):
    cmd = [args.tool, "detect"] + layout_args(args) + (["--model", args.model] if args.model else [])
    cmd += list(extra)
    if args.no_context:
        cmd.append("--no-context")
    res = subprocess.run(cmd, input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True)
    return res.stdout


def evaluate(args, lang, lines):
    right = [l.split(" ") for l in lines]
    wrong, targets, kept = [], [], []
    for words in right:
        shown, target = [], []
        for w in words:
            o = other_layout(w, lang)
            # A word with a digit is a token (IPv6) that never switches, whatever the layouts.
            counted = (o is not None and letters(w, lang) >= 3 and is_plain_word(w, lang)
                       and not any(c.isdigit() for c in w))
            shown.append(o if o is not None else w)
            target.append(w if counted else None)
        wrong.append(shown)
        targets.append(target)
        # Words the layout table cannot give (those of the other script) stay as they stand.
        kept.append([other_layout(w, lang) is None for w in words])
    if args.sweep:
        return sweep(args, lang, right, wrong, targets)
    out_right = run_tool(args, [" ".join(w) for w in right]).split("\n")
    out_wrong = run_tool(args, [" ".join(w) for w in wrong]).split("\n")
    other = "Persian" if lang == "English" else "English"
    # [first word of a line, later words]: right-layout words (changed, total), wrong-layout words
    # (restored, counted); other-language words (changed, total).
    right_n, wrong_n, mixed_n = [[0, 0], [0, 0]], [[0, 0], [0, 0]], [0, 0]
    changes, misses, mixed_changes = (collections.Counter() for _ in range(3))
    for words, out in zip(right, out_right):
        first = True
        for w, o in zip(words, out.split(" ")):
            if letters(w, lang) == 0:
                if letters(w, other):
                    mixed_n[1] += 1
                    mixed_n[0] += o != w
                    mixed_changes[f"{w}->{o}"] += o != w
                continue
            n = right_n[0 if first else 1]
            first = False
            n[1] += 1
            if o != w:
                n[0] += 1
                changes[f"{w}->{o}"] += 1
    for words, target, stays, out in zip(wrong, targets, kept, out_wrong):
        first = True
        for w, t, k, o in zip(words, target, stays, out.split(" ")):
            position = 0 if first else 1
            if letters(w, lang) or letters(w, other):
                first = False
            if t is None:
                if k and letters(w, other):
                    # A word of the other language, typed in its own layout amid the line.
                    mixed_n[1] += 1
                    mixed_n[0] += o != w
                    mixed_changes[f"{w}->{o}"] += o != w
                continue
            n = wrong_n[position]
            n[1] += 1
            # Shift+R and Shift+X type the same characters as R and D in the Persian layout, so
            # such a word comes back as its keys read: a switched word that reads the same,
            # ignoring case, counts as restored.
            back = other_layout(w, other)
            if o == t or (o != w and o == back and o.lower() == t.lower()):
                n[0] += 1
            else:
                misses[f"{t} (shown {w}, left {o})"] += 1

    def rate(pairs):
        done = sum(p[0] for p in pairs)
        of = sum(p[1] for p in pairs)
        return done, of, done / max(of, 1)

    restored, counted, r_rate = rate(wrong_n)
    changed, total, c_rate = rate(right_n)
    print(f"{lang}: {len(lines)} lines; restored {restored}/{counted} = {100.0 * r_rate:.2f}%; "
          f"changed {changed}/{total} = {100.0 * c_rate:.3f}%")
    for label, i in (("first word of a line", 0), ("later words", 1)):
        fr, fc, frr = rate([wrong_n[i]])
        cc, ct, ccr = rate([right_n[i]])
        print(f"  {label}: restored {fr}/{fc} = {100.0 * frr:.2f}%; changed {cc}/{ct} = "
              f"{100.0 * ccr:.3f}%")
    print(f"  {other} words in the lines, in their own layout: changed {mixed_n[0]}/{mixed_n[1]}"
          f" = {100.0 * mixed_n[0] / max(mixed_n[1], 1):.3f}%")
    print("  commonest misses:", "; ".join(f"{k} x{v}" for k, v in misses.most_common(20)))
    if args.verbose:
        print("  commonest changes:", "; ".join(f"{k} x{v}" for k, v in changes.most_common(30)))
        print("  other-language changes:",
              "; ".join(f"{k} x{v}" for k, v in (+mixed_changes).most_common(20)))
    return r_rate, c_rate


def sweep(args, lang, right, wrong, targets):
    """Prints, per letter count, the margins' quantiles: right-layout words (should stay below the
    threshold) and wrong-layout words (should be above it)."""
    def margins(seqs):
        out = run_tool(args, [" ".join(w) for w in seqs], ["--margins"]).split("\n")
        return [tuple(l.split("\t")) for l in out if l]
    mr = margins(right)
    mw = margins(wrong)
    flat_targets = [t for ts in targets for t in ts]
    flat_right = [w for ws in right for w in ws]
    by_len_right, by_len_wrong = {}, {}
    for w, (n, m) in zip(flat_right, mr):
        if m != "-" and letters(w, lang):
            by_len_right.setdefault(min(int(n), 4), []).append(float(m))
    for t, (n, m) in zip(flat_targets, mw):
        if t is not None:
            by_len_wrong.setdefault(min(int(n), 4), []).append(float(m) if m != "-" else -1e9)
    for n in sorted(set(by_len_right) | set(by_len_wrong)):
        r = sorted(by_len_right.get(n, []))
        w = sorted(by_len_wrong.get(n, []))
        q = lambda xs, p: xs[min(len(xs) - 1, int(p * len(xs)))] if xs else float("nan")
        print(f"{lang} letters {n}: right {len(r)} p99.7={q(r, 0.997):.1f} max={q(r, 1):.1f}; "
              f"wrong {len(w)} p1={q(w, 0.01):.1f} p3={q(w, 0.03):.1f} p5={q(w, 0.05):.1f}")
        for t in (0, 2, 4, 6, 8, 10, 12, 14, 16, 20, 24):
            fr = sum(x > t for x in r) / max(len(r), 1)
            fw = sum(x > t for x in w) / max(len(w), 1)
            print(f"    T={t:3d}: changed {100 * fr:.3f}%  restored {100 * fw:.2f}%")
    return None


def main():
    root_dir = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--split", choices=["tune", "test"], default="test")
    ap.add_argument("--tool", default=os.path.join(root_dir, "build", "host", "tools",
                                                   "ravak-tool"))
    ap.add_argument("--model", help="a model file in place of the carried one")
    ap.add_argument("--cache", default=os.path.join(root_dir, "build", "detect-eval"))
    ap.add_argument("--sweep", action="store_true")
    ap.add_argument("--no-context", action="store_true", help="judge each word alone")
    ap.add_argument("--english-layout", default="00000409", help="the typist's Latin layout")
    ap.add_argument("--persian-layout", default="00000429",
                    help="the typist's Persian layout (00050429: Persian (Standard))")
    ap.add_argument("--verbose", "-v", action="store_true")
    args = ap.parse_args()
    load_tables(args)
    print("layouts:", args.english_layout, args.persian_layout)
    root = fetch(args.cache)
    print("sources:", ", ".join(open(os.path.join(args.cache, "versions.txt")).read().split()))
    results = {}
    for lang, lines in corpora(root).items():
        lines = [l for l in lines if split_of(l) == args.split]
        words = sum(len(l.split(" ")) for l in lines)
        print(f"{lang} {args.split} split: {len(lines)} lines, {words} words")
        results[lang] = evaluate(args, lang, lines)
    if not args.sweep:
        ok = all(r >= 0.99 and c <= 0.001 for r, c in results.values())
        print("targets (restored >= 99%, changed <= 0.1%):", "met" if ok else "NOT met")
        return 0 if ok else 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
