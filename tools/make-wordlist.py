#!/usr/bin/python3
"""Writes assets/wordlist.txt: the 2075 words the generator can speak, one per line.

The words come from SCOWL's size-10 English list (the most common English words), as Debian's
`scowl` package installs it (`apt-get install scowl`); run this script with /usr/bin/python3 after
installing that package. The build never runs it: the committed wordlist.txt is what ships.

Selection, each step fixed so that the same input always gives the same file:
  1. words of lower-case letters a-z only, at least two letters (no names, abbreviations,
     possessives or single letters);
  2. without inflected and derived forms whose base word is also in the list (plurals and third
     persons, -ed, -ing, comparatives in -er and -est, adverbs in -ly), since the base word is
     what the generator should say; the words in KEPT stay all the same;
  3. without the few entries in EXCLUDED below (vulgar words and fragments that are not words
     when spoken on their own);
  4. the shortest words first, so that the words longest to say are the ones left out when more
     remain than the list holds; among words of the same length the order is that of their
     SHA-256 digests, which favours no part of the alphabet.
The list's order: the generator can only reach indices 0 to 2048, so the last 26 chosen by step 4
(long words) go last (indices 2049 to 2074) and the other 2049 come before them in alphabetical
order.

Usage: tools/make-wordlist.py [SOURCE] [OUTPUT]
"""

import hashlib
import re
import sys
from pathlib import Path

WORD_COUNT = 2075
REACHABLE = 2049
DEFAULT_SOURCE = Path("/usr/share/dict/scowl/english-words.10")
DEFAULT_OUTPUT = Path(__file__).resolve().parent.parent / "assets" / "wordlist.txt"

EXCLUDED = {
    # vulgar
    "cumming", "cums",
    # fragments, abbreviations and rare forms that do not stand as spoken words
    "char", "cs", "datum", "ditto", "doe", "lain", "leach", "mod", "numbest", "pi", "putt", "re",
}
# Words the source also lists as forms of another word, whose everyday sense is their own.
KEPT = {"friendly", "its", "later", "news", "number", "ours", "really", "yours"}


def derived(word, words):
    """True when `word` is an inflected or derived form of another word of `words`.

    Stems must be long enough that short words are not taken for forms of shorter ones
    ("bed" is not "be" + "d", "thing" not "the" + "ing", "best" not "be" + "st").
    """

    def has(stem, ending=""):
        return len(stem) >= (3 if ending else 2) and stem + ending in words

    def doubled(stem):
        # "stopped" -> "stop", "running" -> "run"
        return len(stem) >= 3 and stem[-1] == stem[-2] and has(stem[:-1])

    if word in KEPT:
        return False
    if word.endswith("ies") and has(word[:-3], "y"):
        return True
    if word.endswith("es") and has(word[:-2]):
        return True
    if word.endswith("s") and not word.endswith("ss") and has(word[:-1]):
        return True
    for suffix in ("ed", "ing", "est"):
        if word.endswith(suffix):
            stem = word[: -len(suffix)]
            if has(stem) or has(stem, "e") or doubled(stem):
                return True
            if suffix != "ing" and stem.endswith("i") and has(stem[:-1], "y"):
                return True
    # Comparatives only: "-er" words that have an "-est" form beside them ("bigger", "nicer"),
    # not nouns such as "letter", "offer" or "teacher".
    if word.endswith("er") and word[:-2] + "est" in words:
        return True
    if word.endswith("ly"):
        stem = word[:-2]
        if len(stem) >= 3 and (has(stem) or (stem.endswith("i") and has(stem[:-1], "y"))):
            return True
        if word.endswith("bly") and has(word[:-1], "e"):
            return True
    return False


def choose(lines):
    candidates = sorted({line.strip() for line in lines if re.fullmatch(r"[a-z]{2,}", line.strip())})
    words = set(candidates)
    kept = [w for w in candidates if not derived(w, words) and w not in EXCLUDED]
    if len(kept) < WORD_COUNT:
        raise SystemExit(f"only {len(kept)} words qualify; {WORD_COUNT} are needed")
    by_length = sorted(kept, key=lambda w: (len(w), hashlib.sha256(w.encode()).hexdigest()))
    by_length = by_length[:WORD_COUNT]
    unreachable = by_length[REACHABLE:]
    reachable = sorted(by_length[:REACHABLE])
    return reachable + unreachable


def main(argv):
    source = Path(argv[1]) if len(argv) > 1 else DEFAULT_SOURCE
    output = Path(argv[2]) if len(argv) > 2 else DEFAULT_OUTPUT
    if not source.is_file():
        raise SystemExit(f"{source} is missing; install Debian's scowl package (apt-get install scowl)")
    chosen = choose(source.read_text(encoding="utf-8").splitlines())
    output.write_bytes("".join(word + "\n" for word in chosen).encode("ascii"))
    print(f"{output}: {len(chosen)} words from {source}")


if __name__ == "__main__":
    main(sys.argv)
