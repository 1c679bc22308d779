#!/usr/bin/env python3
"""Writes a large synthetic catalogue source for talor-server benchmarks.

Usage: tools/make_bench_catalogue.py [RECORDS] [OUTPUT_DIR]
       (default 1000000 records into /tmp/talor-bench-source)
Then:  talor-server init --data DIR --from OUTPUT_DIR
       TALOR_BENCH_DATA=DIR build/bench/server_bench

One database, BENCH. Titles are three to eight words drawn from a vocabulary
of 5000 words with a Zipf-like distribution (word 0 is the most frequent), so
"K=WA" and "K=WB" are frequent terms and "K=WE" a truncation with many
terms (words are "W" and the word number in letters, A = 0). Every record has one author of 20000 and a year.
"""

import os
import random
import sys

VOCABULARY = 5000
AUTHORS = 20000

FST = """200 4 |K=|v200^a
700 0 |A=|v700^a
210 0 |G=|v210^d
"""


def letters(index):
    """0 -> A, 25 -> Z, 26 -> BA: words hold letters only, so that each is one term."""
    text = ""
    while True:
        text = chr(ord("A") + index % 26) + text
        index //= 26
        if index == 0:
            return text


def word(rng):
    # Zipf-like: index = floor(V ** u) - 1 for uniform u.
    return "W" + letters(int(VOCABULARY ** rng.random()) - 1)


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 1000000
    out = sys.argv[2] if len(sys.argv) > 2 else "/tmp/talor-bench-source"
    folder = os.path.join(out, "db", "BENCH")
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(42)
    with open(os.path.join(folder, "BENCH.txt"), "w", encoding="utf-8", newline="\r\n") as f:
        for _ in range(count):
            title = " ".join(word(rng) for _ in range(rng.randint(3, 8)))
            f.write("#200: ^A{}\n#700: ^AA{}\n#210: ^D{}\n*****\n".format(
                title, rng.randrange(AUTHORS), rng.randint(1900, 2024)))
    with open(os.path.join(folder, "BENCH.fst"), "w", encoding="cp1251", newline="\r\n") as f:
        f.write(FST)
    with open(os.path.join(out, "users.txt"), "w", encoding="utf-8") as f:
        f.write("bench bench - write\n")


if __name__ == "__main__":
    main()
