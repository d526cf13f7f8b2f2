#!/usr/bin/env python3
"""Builds the editing control's word lists (resource type USDICTIONARY) from Debian data.

Words come from the American English list of the wamerican package, synonyms from the
wordnet-base package; tools/wordlist-overrides.txt pins a few words. The output is committed,
so the build needs neither package. Run by hand:

    apt-get install wamerican wordnet-base
    tools/make-wordlists.py            # writes resources/XrRichTextBox/USDICTIONARY/

Every list is Windows-1252 text with CR LF after each line, except the one-line "DOTS"
pattern and the "ZERO" filler, which have no line break.
"""

import argparse
import os
import re
import shutil
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORD_LIST = "/usr/share/dict/american-english"
WORDNET = "/usr/share/wordnet"
COPYRIGHTS = {
    "wamerican.copyright": "/usr/share/doc/wamerican/copyright",
    "wordnet-base.copyright": "/usr/share/doc/wordnet-base/copyright",
}

# The abbreviations, in the order of their list; they are the only entries with a full stop.
ABBREVIATIONS = (
    "A.D. Abbr. Acad. Ala. Alt. Apr. Apt. Ariz. Ark. Assn. Aug. Ave. a.m. B.A. B.C. B.S. Bldg. "
    "Blvd. bbl. C.E. Cal. Calif. Capt. Cent. Cmdr. Co. Col. Colo. Conn. Cpl. certifs. corp. cu. "
    "D.C. Dec. Del. Dept. Dist. Div. Dr. doz. Ed. Est. e.g. etc. Feb. Fla. Fri. Fwy. fl. ft. "
    "Ga. gal. gr. gro. H.I. H.Q. Hr. Hwy. I.Q. Ia. Ida. Ill. Inc. Ind. Is. i.e. in. Jan. Jr. "
    "Jul. Jun. Kans. Ky. kt. L.A. La. Ltd. lb. M.D. Mar. Mass. Md. Me. Mich. Min. Minn. Miss. "
    "Mo. Mon. Mont. Mr. Mrs. Ms. Mt. mi. misc. N.C. N.D. N.H. N.J. N.Mex. N.Y. Nat. Natl. "
    "Nebr. Nev. Nov. n.m. Oct. Ok. Ore. oz. P.A. P.S. Pen. Penn. Pk. Pkwy. Prov. Pt. p.m. qt. "
    "R.I. R.R. Rd. Rt. Rte. S.C. S.D. Sat. Sec. Sept. Sq. Sr. St. Sun. Tenn. Terr. Tex. "
    "Thurs. Tues. tbsp. tsp. U.S. Ut. Va. Vt. vs. Wash. Wed. Wis. Wisc. Wk. Wyo. Yr. yd."
).split()

# Letters an entry may hold besides A-Z and a-z: the apostrophe and the accented small letters
# the lists are allowed to carry (the right single quotation mark is added for twins).
ENTRY = re.compile(r"^[A-Za-z][A-Za-z'\u00e8\u00e9\u00ea\u00ef]*$")
RIGHT_QUOTE = "\u2019"
MAX_SYNONYMS = 6
FILLER_LENGTH = 8370

# WordNet's detachment rules, per part of speech, tried in order.
SUFFIX_RULES = {
    "noun": [("s", ""), ("ses", "s"), ("xes", "x"), ("zes", "z"), ("ches", "ch"),
             ("shes", "sh"), ("men", "man"), ("ies", "y")],
    "verb": [("s", ""), ("ies", "y"), ("es", "e"), ("es", ""), ("ed", "e"), ("ed", ""),
             ("ing", "e"), ("ing", "")],
    "adj": [("er", ""), ("est", ""), ("er", "e"), ("est", "e")],
    "adv": [],
}


def fail(message):
    print("make-wordlists: " + message, file=sys.stderr)
    sys.exit(1)


def read_words(path):
    with open(path, encoding="utf-8") as handle:
        return [line.strip() for line in handle if line.strip()]


def apply_overrides(words, path):
    """The word list with the overrides applied, and the pinned synonyms by head word."""
    words = set(words)
    synonyms = {}
    with open(path, encoding="utf-8") as handle:
        for line in handle:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line[0] == "+":
                words.add(line[1:])
            elif line[0] == "-":
                words.discard(line[1:])
            elif line[0] == "=":
                head, *pinned = line[1:].split(" ")
                if not pinned or len(pinned) > MAX_SYNONYMS or "" in pinned:
                    fail("synonym override needs 1 to %d synonyms: %s" % (MAX_SYNONYMS, line))
                synonyms[head] = pinned
            else:
                fail("override line must start with +, - or =: " + line)
    for head in synonyms:
        if head not in words:
            fail("synonym override for a word not in the list: " + head)
    return words, synonyms


def with_quote_twins(words):
    """Every entry with an apostrophe also stands with the right single quotation mark."""
    twins = {w.replace("'", RIGHT_QUOTE) for w in words if "'" in w}
    return words | twins


def cp1252_key(word):
    return word.encode("cp1252")


class WordNet:
    def __init__(self, folder):
        self.folder = folder
        self.index = {}  # (pos, lemma) -> synset offsets in sense order
        self.exceptions = {}  # (pos, inflected) -> bases
        self.synsets = {}  # (pos, offset) -> lemmas
        self.tagged = {}  # (pos, lemma) -> how often its senses were met in tagged text
        for pos in ("noun", "verb", "adj", "adv"):
            self._read_index(pos)
            self._read_exceptions(pos)
            self._read_data(pos)

    def _lines(self, name):
        with open(os.path.join(self.folder, name), encoding="latin-1") as handle:
            for line in handle:
                if not line.startswith("  "):
                    yield line.rstrip("\n")

    def _read_index(self, pos):
        for line in self._lines("index." + pos):
            fields = line.split()
            lemma, synset_count, pointer_count = fields[0], int(fields[2]), int(fields[3])
            offsets = fields[6 + pointer_count:6 + pointer_count + synset_count]
            self.index[(pos, lemma)] = offsets
            self.tagged[(pos, lemma)] = int(fields[5 + pointer_count])

    def _read_exceptions(self, pos):
        for line in self._lines(pos + ".exc"):
            fields = line.split()
            if len(fields) >= 2:
                self.exceptions.setdefault((pos, fields[0]), []).extend(fields[1:])

    def _read_data(self, pos):
        for line in self._lines("data." + pos):
            fields = line.split(" | ")[0].split()
            count = int(fields[3], 16)
            lemmas = [fields[4 + 2 * i] for i in range(count)]
            # Adjective lemmas may carry a syntactic marker such as "(a)".
            self.synsets[(pos, fields[0])] = [re.sub(r"\(.*\)$", "", l).lower() for l in lemmas]

    def bases(self, word, pos):
        found = []
        if (pos, word) in self.index:
            found.append(word)
        for base in self.exceptions.get((pos, word), []):
            if (pos, base) in self.index and base not in found:
                found.append(base)
        for suffix, ending in SUFFIX_RULES[pos]:
            if word.endswith(suffix) and len(word) > len(suffix):
                base = word[: len(word) - len(suffix)] + ending
                if (pos, base) in self.index and base not in found:
                    found.append(base)
        return found

    def synonyms(self, head, known):
        # The part of speech a word is met in most often gives its synonyms first.
        def usage(pos):
            return max((self.tagged[(pos, b)] for b in self.bases(head, pos)), default=-1)

        result = []
        for pos in sorted(("noun", "verb", "adj", "adv"), key=usage, reverse=True):
            bases = self.bases(head, pos)
            for base in bases:
                for offset in self.index[(pos, base)]:
                    for lemma in self.synsets[(pos, offset)]:
                        # One token of plain letters that the word lists know, not the head.
                        if not re.fullmatch(r"[a-z]+", lemma) or lemma not in known:
                            continue
                        if lemma == head or lemma in bases or lemma in result:
                            continue
                        result.append(lemma)
                        if len(result) == MAX_SYNONYMS:
                            return result
        return result


def write_list(folder, name, lines, final_break=True):
    text = "\r\n".join(lines) + ("\r\n" if final_break and lines else "")
    with open(os.path.join(folder, name), "wb") as handle:
        handle.write(text.encode("cp1252"))


def build(out_folder, overrides):
    words, pinned_synonyms = apply_overrides(read_words(WORD_LIST), overrides)
    words = {w for w in words if ENTRY.match(w) and "A" <= w[0].upper() <= "Z"}
    words = with_quote_twins(words)
    words |= set(ABBREVIATIONS)
    wordnet = WordNet(WORDNET)

    os.makedirs(out_folder, exist_ok=True)
    capitals = []
    known_small = {w for w in words if w[0].islower()}
    for letter in "ABCDEFGHIJKLMNOPQRSTUVWXYZ":
        mine = [w for w in words if w[0].upper() == letter]
        capital_block = sorted((w for w in mine if w[0].isupper()), key=cp1252_key)
        small_block = sorted((w for w in mine if w[0].islower()), key=cp1252_key)
        drawable = [w for w in mine if len(w) >= 4 and not re.search(r"['.\u2019]", w)]
        if not drawable:
            fail("letter %s has no word a random draw can return" % letter)
        write_list(out_folder, letter, capital_block + small_block)
        write_list(out_folder, letter + "$", ["$%s<" % w for w in small_block])
        capitals.extend(capital_block)

        synonym_lines = []
        for head in small_block:
            if not re.fullmatch(r"[a-z]{2,}", head):
                continue
            synonyms = pinned_synonyms.get(head) or wordnet.synonyms(head, known_small)
            if synonyms:
                synonym_lines.append("$%s< %s >" % (head, " ".join(synonyms)))
        write_list(out_folder, letter + "SYN", synonym_lines)

    write_list(out_folder, "101", ["$%s<" % w for w in capitals])
    pattern = "(" + "|".join(a.replace(".", "\\.") for a in ABBREVIATIONS) + ")"
    write_list(out_folder, "DOTS", [pattern], final_break=False)
    write_list(out_folder, "DOTS2", ["$%s<" % a for a in ABBREVIATIONS])
    with open(os.path.join(out_folder, "ZERO"), "wb") as handle:
        handle.write(b"\xd8" * FILLER_LENGTH)

    notices = os.path.join(os.path.dirname(out_folder), "USDICTIONARY-sources")
    os.makedirs(notices, exist_ok=True)
    for name, source in COPYRIGHTS.items():
        shutil.copyfile(source, os.path.join(notices, name))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "resources", "XrRichTextBox",
                                                      "USDICTIONARY"))
    parser.add_argument("--overrides", default=os.path.join(ROOT, "tools",
                                                            "wordlist-overrides.txt"))
    args = parser.parse_args()
    for path in [WORD_LIST, WORDNET] + list(COPYRIGHTS.values()):
        if not os.path.exists(path):
            fail("%s is missing; install it with: apt-get install wamerican wordnet-base" % path)
    build(args.out, args.overrides)


if __name__ == "__main__":
    main()
