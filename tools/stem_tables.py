#!/usr/bin/env python3
"""Builds the stemmer's two word tables as C++ source.

The keep-tail endings are taken as they are from stem_keep_tails.txt (one
upper-case ending a line). The exception word forms are derived from a
Russian Hunspell dictionary (Debian package hunspell-ru):

1. Every dictionary entry is expanded through its suffix rules into its word
   forms; the forms of one entry form a paradigm. Forms are upper-cased, Ё is
   read as Е (catalogue texts mostly write Е), and forms with any other
   character than А..Я and the hyphen are dropped.
2. The target stem of a paradigm is the longest common prefix of its forms:
   a truncated search on it finds every form and nothing shorter would.
3. A form is over-cut when the stemmer's rules (without exceptions) leave
   less than the target stem. Declaring its word an exception makes the rules
   cut one letter or none; it becomes a candidate when that stays within
   the target stem and is longer than the plain cut. A word that would end
   up longer than the target stem in any paradigm where it occurs (a
   homonym) is never a candidate, so an exception never costs recall.
4. Candidates are chosen paradigm by paradigm, worst first: a paradigm is
   worse the shorter the stem that the rules leave (a short truncated stem
   floods a search with noise) and the larger the share of its forms that
   are over-cut. All candidates of a chosen paradigm are taken together, so
   that its forms reach one stem, until the table holds --count words.
5. The word forms in stem_exception_seeds.txt (forms the catalogue has always
   treated as exceptions, some of them missing from the dictionary) are
   always in the table and count towards --count.

Usage: stem_tables.py [--dic PATH] [--aff PATH] [--count N] [--report]
       [--out-dir src/text]
Writes stem_keep_tails.cc and stem_exception_words.cc into the output folder
and, with --report, prints how well paradigms are stemmed with and without
the exceptions.
"""

import argparse
import collections
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LETTERS = set("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ-")
MIN_LEN, MAX_LEN = 3, 17

ENDINGS4 = ["ЬЕГО", "ЬЯМИ", "ЬЕМУ", "ЬИМИ"]
ENDINGS3_A = ["ЫМИ", "УМЯ", "ЬМЯ", "ЬЕЙ", "ЬЯХ", "ЬЯМ", "ЬИМ"]
ENDINGS3_B = ["ОГО", "АМИ", "ЕГО", "ЯМИ", "ИМИ", "ОМУ", "ЕМЯ", "ЕМУ", "ЕМИ"]
ENDINGS3_C = ["ЬЕВ", "ЬЕМ", "ЬИХ"]
ENDINGS2_A = ["ЬЮ", "ЬЕ", "ЬЯ", "ЬИ", "ЮЮ"]
ENDINGS2_B = ["ИЕ", "ОЙ", "ЫЕ", "ИЙ", "АЯ", "ЕЙ", "ОЕ", "ЫЙ", "ЕЕ", "УЮ", "ЯЯ", "ОЮ", "ЕЮ"]
ENDINGS2_C = ["ЫХ", "ОВ", "ОМ", "ИХ", "ЕМ", "АХ", "ЫМ", "ЯХ", "ИМ", "АМ", "ЯМ", "УХ", "ЕВ",
              "ЕХ", "УМ"]
ENDINGS1 = ["И", "Я", "Е", "А", "Й", "О", "Ы", "Ь", "Ю", "У"]


def ends_in_keep_tail(word, tails):
    return any(len(word) >= k and word[-k:] in tails for k in range(10, 2, -1))


def stem_cut(word, exceptions, tails):
    """The stemmer's rules, as the C++ StemCut implements them."""
    word = word.upper()
    if len(word) <= 3 or any(c not in LETTERS for c in word):
        return 0
    result = 0
    if word.endswith("СЯ"):
        result, word = 2, word[:-2]
    n = len(word)
    exc = word in exceptions
    if n >= 5 and word[-4:] in ENDINGS4:
        return result + (1 if word[-4:] == "ЬЕМУ" and exc else 4)
    if n >= 4:
        e = word[-3:]
        if e in ENDINGS3_A:
            return result + 3
        if e in ENDINGS3_B:
            if exc:
                return result + 1
            if e != "ЕМУ":
                return result + 3
            return result + (1 if ends_in_keep_tail(word, tails) else 3)
        if e in ENDINGS3_C:
            return result + (0 if exc else 3)
    if n >= 3:
        e = word[-2:]
        if e in ENDINGS2_A:
            return result + 2
        if e in ENDINGS2_B:
            if exc:
                return result + 1
            if e in ("ИЕ", "ИЙ", "ЕЕ") and ends_in_keep_tail(word, tails):
                return result + 1
            return result + 2
        if e in ENDINGS2_C:
            if not exc:
                return result + 2
            return result + (2 if e == "ЕВ" and not ends_in_keep_tail(word, tails) else 0)
        if word[-1] in ENDINGS1:
            return result + (0 if word[-1] == "Й" and exc else 1)
    return result


def shortened(word):
    return word[:-2] if word.endswith("СЯ") and len(word) > 3 else word


def read_affixes(path):
    rules = collections.defaultdict(list)
    with open(path, encoding="utf-8") as aff:
        for line in aff:
            parts = line.split()
            if len(parts) < 5 or parts[0] != "SFX":
                continue
            flag, strip, add, cond = parts[1], parts[2], parts[3], parts[4]
            strip = "" if strip == "0" else strip
            add = "" if add == "0" else add.split("/")[0]
            rules[flag].append((strip, add, re.compile("(?:" + cond + ")$")))
    return rules


def read_paradigms(dic_path, rules):
    paradigms = []
    with open(dic_path, encoding="utf-8") as dic:
        next(dic)  # the entry count
        for line in dic:
            entry = line.strip()
            if not entry:
                continue
            word, _, flags = entry.partition("/")
            forms = {word}
            for flag in flags:
                for strip, add, cond in rules.get(flag, ()):
                    if word.endswith(strip) and cond.search(word):
                        forms.add(word[: len(word) - len(strip)] + add)
            norm = set()
            for form in forms:
                form = form.upper().replace("Ё", "Е")
                if form and all(c in LETTERS for c in form):
                    norm.add(form)
            if len(norm) >= 2:
                paradigms.append(sorted(norm))
    return paradigms


def stems(forms, exceptions, tails):
    return [f[: len(f) - stem_cut(f, exceptions, tails)] for f in forms]


def choose_exceptions(paradigms, tails, count, seeds):
    none = frozenset()
    # word -> list of (paradigm index, good?)
    verdicts = collections.defaultdict(list)
    badness = {}
    for index, forms in enumerate(paradigms):
        target = len(os.path.commonprefix(forms))
        plain = stems(forms, none, tails)
        overcut = [f for f, s in zip(forms, plain) if len(s) < target]
        if overcut:
            shortest = min(len(s) for s in plain)
            badness[index] = (shortest, -len(overcut) / len(forms))
        for form, stem in zip(forms, plain):
            key = shortened(form)
            if not MIN_LEN <= len(key) <= MAX_LEN or len(form) <= 3:
                continue
            with_exc = len(form) - stem_cut(form, {key}, tails)
            if with_exc > target:
                verdicts[key].append((index, False))
            elif len(stem) < with_exc:
                verdicts[key].append((index, True))
    safe = {k: {i for i, good in v if good} for k, v in verdicts.items()
            if all(good for _, good in v)}
    by_paradigm = collections.defaultdict(set)
    for key, indexes in safe.items():
        for index in indexes:
            by_paradigm[index].add(key)
    chosen = set(seeds)
    for index in sorted(by_paradigm, key=lambda i: (badness.get(i, (99, 0)), paradigms[i][0])):
        words = by_paradigm[index] - chosen
        if len(chosen) + len(words) > count:
            continue
        chosen |= words
        if len(chosen) >= count:
            break
    return sorted(chosen, key=lambda w: w.encode("cp1251"))


def report(paradigms, tails, exceptions):
    for title, exc in (("without exceptions", frozenset()), ("with exceptions", exceptions)):
        one_stem = overcut_forms = forms_total = 0
        stem_owner = collections.defaultdict(set)
        for index, forms in enumerate(paradigms):
            target = len(os.path.commonprefix(forms))
            st = stems(forms, exc, tails)
            forms_total += len(forms)
            overcut_forms += sum(1 for s in st if len(s) < target)
            if len(set(st)) == 1:
                one_stem += 1
            for s in set(st):
                stem_owner[s].add(index)
        shared = sum(1 for owners in stem_owner.values() if len(owners) > 1)
        print(f"{title}: {len(paradigms)} paradigms, {one_stem} with one stem for all forms; "
              f"{overcut_forms} of {forms_total} forms cut below their paradigm's common "
              f"prefix; {shared} stems shared by different paradigms")


def cpp_literal(word):
    return '"' + "".join(f"\\x{b:02X}" for b in word.encode("cp1251")) + '"'


def write_table(path, name, words, what):
    with open(path, "w", encoding="utf-8") as out:
        out.write("// Generated by tools/stem_tables.py; do not edit by hand.\n")
        out.write(f"// {what}\n\n")
        out.write('#include "text/stem_tables.h"\n\n#include <iterator>\n\n')
        out.write("namespace talor {\n\n")
        out.write("// clang-format off\n")
        out.write(f"const std::string_view {name}[] = {{\n")
        for word in words:
            out.write(f"    {cpp_literal(word)},  // {word}\n")
        out.write("};\n")
        out.write("// clang-format on\n\n")
        out.write(f"const size_t {name}Count = std::size({name});\n\n")
        out.write("}  // namespace talor\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--dic", default="/usr/share/hunspell/ru_RU.dic")
    parser.add_argument("--aff", default="/usr/share/hunspell/ru_RU.aff")
    parser.add_argument("--count", type=int, default=1986)
    parser.add_argument("--out-dir", default=os.path.join(HERE, "..", "src", "text"))
    parser.add_argument("--report", action="store_true")
    args = parser.parse_args()

    with open(os.path.join(HERE, "stem_keep_tails.txt"), encoding="utf-8") as f:
        tail_list = [line.strip() for line in f if line.strip()]
    tails = set(tail_list)
    if not os.path.exists(args.dic):
        sys.exit(f"{args.dic} is missing: install the Debian package hunspell-ru")
    paradigms = read_paradigms(args.dic, read_affixes(args.aff))
    with open(os.path.join(HERE, "stem_exception_seeds.txt"), encoding="utf-8") as f:
        seeds = {line.strip() for line in f if line.strip()}
    exceptions = choose_exceptions(paradigms, tails, args.count, seeds)

    write_table(os.path.join(args.out_dir, "stem_keep_tails.cc"), "kStemKeepTails",
                sorted(tail_list, key=lambda w: w.encode("cp1251")),
                "Word endings that belong to the stem, upper case, Windows-1251, sorted.")
    write_table(os.path.join(args.out_dir, "stem_exception_words.cc"), "kStemExceptionWords",
                exceptions,
                "Word forms whose ending the rules would cut too far, upper case, "
                "Windows-1251, sorted.")
    if args.report:
        report(paradigms, tails, frozenset(exceptions))


if __name__ == "__main__":
    main()
