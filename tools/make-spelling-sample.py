#!/usr/bin/env python3
"""Builds the English sample text with planted typos that measures the spell checker.

The sentences are WordNet's usage examples of words met in its sense-tagged text (package
wordnet-base), shuffled with a fixed seed
and joined into paragraphs up to 1 MiB, the examples taken again in a new order when one pass
over them is not enough. About one word in thirty of four or
more small letters gets one edit after its first letter (a letter dropped, added, changed, or
two neighbours swapped) that makes no word known to the American English word list (package wamerican) or to WordNet.
Run by hand; the output is committed:

    apt-get install wamerican wordnet-base
    tools/make-spelling-sample.py      # writes tests/data/spelling/

sample.txt is the text (ASCII, CR LF between paragraphs); typos.tsv holds one line per planted
typo, in text order: the typo, a tab, the word it replaced.
"""

import argparse
import os
import random
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORD_LIST = "/usr/share/dict/american-english"
WORDNET = "/usr/share/wordnet"
SIZE = 1 << 20
TYPO_RATE = 1 / 30
SEED = 20261210
LETTERS = "abcdefghijklmnopqrstuvwxyz"
# Examples are taken of synsets with a word met at least this often in tagged text.
COMMON_USE = 1


def fail(message):
    print("make-spelling-sample: " + message, file=sys.stderr)
    sys.exit(1)


def tagged_counts(pos):
    """How often each lemma's senses were met in WordNet's sense-tagged text."""
    counts = {}
    with open(os.path.join(WORDNET, "index." + pos), encoding="latin-1") as handle:
        for line in handle:
            if line.startswith("  "):
                continue
            fields = line.split()
            counts[fields[0]] = int(fields[5 + int(fields[3])])
    return counts


def read_sentences():
    sentences = []
    lemmas = set()
    for pos in ("noun", "verb", "adj", "adv"):
        counts = tagged_counts(pos)
        with open(os.path.join(WORDNET, "data." + pos), encoding="latin-1") as handle:
            for line in handle:
                if line.startswith("  ") or " | " not in line:
                    continue
                head, gloss = line.rstrip("\n").split(" | ", 1)
                fields = head.split()
                names = [re.sub(r"\(.*\)$", "", fields[4 + 2 * i]).lower()
                         for i in range(int(fields[3], 16))]
                lemmas.update(names)
                # Everyday English: the examples of words met often in running text.
                if max(counts.get(name, 0) for name in names) < COMMON_USE:
                    continue
                for part in gloss.split(";"):
                    # Usage examples only: definitions are full of scientific names.
                    part = part.strip()
                    if len(part) < 3 or part[0] != '"' or part[-1] != '"':
                        continue
                    part = part[1:-1].strip()
                    # Whole sentences of plain printable ASCII with a few words.
                    if len(part.split()) < 4 or not re.fullmatch(r"[ -~]+", part):
                        continue
                    if '"' in part or "`" in part or "_" in part:
                        continue
                    sentence = part[0].upper() + part[1:]
                    if sentence[-1] not in ".!?":
                        sentence += "."
                    sentences.append(sentence)
    return sentences, lemmas


def one_edit(word, rng):
    # Writers rarely get the first letter wrong, so the edit falls after it.
    i = rng.randrange(1, len(word))
    kind = rng.randrange(4)
    if kind == 0:
        return word[:i] + word[i + 1:]
    if kind == 1:
        return word[:i] + rng.choice(LETTERS) + word[i:]
    if kind == 2:
        return word[:i] + rng.choice(LETTERS.replace(word[i], "")) + word[i + 1:]
    if i == len(word) - 1:
        i -= 1
    return word[:i] + word[i + 1] + word[i] + word[i + 2:]


def build(out_folder):
    with open(WORD_LIST, encoding="utf-8") as handle:
        known = {line.strip().lower() for line in handle}
    sentences, lemmas = read_sentences()
    if len(sentences) < 1000:
        fail("WordNet gave only %d usage examples" % len(sentences))
    known |= lemmas
    rng = random.Random(SEED)

    def shuffled_again_and_again():
        while True:
            order = list(sentences)
            rng.shuffle(order)
            yield from order

    paragraphs, paragraph, typos, size = [], [], [], 0
    for sentence in shuffled_again_and_again():
        words = sentence.split(" ")
        for index, word in enumerate(words):
            match = re.fullmatch(r"([a-z]{4,})([,.;:!?)]?)", word)
            if not match or rng.random() >= TYPO_RATE:
                continue
            for _ in range(10):
                typo = one_edit(match.group(1), rng)
                if typo not in known and len(typo) >= 3:
                    words[index] = typo + match.group(2)
                    typos.append((typo, match.group(1)))
                    break
        text = " ".join(words)
        paragraph.append(text)
        size += len(text) + 1
        if len(paragraph) == 6:
            paragraphs.append(" ".join(paragraph))
            paragraph = []
            size += 1
        if size >= SIZE:
            break
    if paragraph:
        paragraphs.append(" ".join(paragraph))

    os.makedirs(out_folder, exist_ok=True)
    with open(os.path.join(out_folder, "sample.txt"), "w", encoding="ascii", newline="") as out:
        out.write("\r\n".join(paragraphs))
    with open(os.path.join(out_folder, "typos.tsv"), "w", encoding="ascii", newline="\n") as out:
        for typo, word in typos:
            out.write("%s\t%s\n" % (typo, word))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "tests", "data", "spelling"))
    args = parser.parse_args()
    for path in (WORD_LIST, WORDNET):
        if not os.path.exists(path):
            fail("%s is missing; install it with: apt-get install wamerican wordnet-base" % path)
    build(args.out)


if __name__ == "__main__":
    main()
