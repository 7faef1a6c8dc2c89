"""Adversarial documents: RTF and plain text files under 1 MB made to be expensive (thousands of
fonts and sizes, deep nesting, huge binary data, giant tables, words without end, a format for
every word, an equation of thousands of parts, text written twice nested deep, paragraph styles
based on one another and named over and over). Each is timed
from the start to its job handed to the print server (the person answering the Print dialog left
out), with its pages and peak memory. No such file may take more than 2 s; the slowest is reported."""

import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import (alternating_rounds, build_folder, heading, medians_of,  # noqa: E402
                      pages_of, rounds, session)

ROUNDS = rounds(3)
LIMIT_BYTES = 1000 * 1000
LIMIT_SECONDS = 2.0


def repeat_to_limit(head, unit, tail):
    """head, then unit as often as fits under the size limit, then tail."""
    count = (LIMIT_BYTES - 1000 - len(head) - len(tail)) // len(unit)
    return head + unit * count + tail


def fonts_and_sizes():
    """3,000 fonts, and a font and a size (up to 50,000 points) for every character."""
    rng = random.Random(1)
    table = "".join(f"{{\\f{i}\\fswiss\\fcharset0 Family {i};}}" for i in range(3000))
    text = "".join(f"\\f{rng.randrange(3000)}\\fs{rng.randrange(2, 100000)} {c}"
                   for c in ("The quick brown fox jumps over the lazy dog. " * 1000)[:40000])
    return f"{{\\rtf1\\ansi{{\\fonttbl{table}}}{text}\\par}}"


def deep_nesting():
    depth = 160000
    return "{\\rtf1 " + "{\\b x" * depth + "}" * depth + "}"


def huge_binary():
    data = bytes(random.Random(2).randrange(256) for _ in range(990000))
    return b"{\\rtf1 before {\\*\\blipuid\\bin990000 " + data + b"} after\\par}"


def giant_table():
    """A table of 64 columns, as many rows as fit."""
    row = ("\\trowd" + "".join(f"\\cellx{150 * (i + 1)}" for i in range(64)) + "\\pard\\intbl" +
           "c\\cell " * 64 + "\\row\n")
    return repeat_to_limit("{\\rtf1 ", row, "}")


def long_table():
    """A table of four columns and thousands of rows."""
    row = ("\\trowd\\cellx2000\\cellx4000\\cellx6000\\cellx8000\\pard\\intbl "
           "one\\cell two\\cell three\\cell four\\cell\\row\n")
    return repeat_to_limit("{\\rtf1 ", row, "}")


def long_word_rtf():
    return repeat_to_limit("{\\rtf1 ", "abcdefghij", "\\par}")


def long_word_bold_runs():
    """A word without end whose letters switch between bold and not."""
    return repeat_to_limit("{\\rtf1 ", "abcd{\\b efgh}", "\\par}")


def colour_every_word():
    rng = random.Random(3)
    table = "".join(f"\\red{rng.randrange(256)}\\green{rng.randrange(256)}"
                    f"\\blue{rng.randrange(256)};" for _ in range(5000))
    words = "".join(f"\\cf{rng.randrange(5000)} word " for _ in range(50000))
    return f"{{\\rtf1{{\\colortbl;{table}}}{words}\\par}}"


def equation_parts():
    """One equation of as many parts as fit: a delimiter of empty elements, then fractions."""
    return repeat_to_limit("{\\rtf1 {\\mmath{\\*\\moMath{\\md" + "{\\me}" * 30000,
                           "{\\mf{\\mnum{\\mr a+b}}{\\mden{\\mr c}}}", "}}}\\par}")


def text_versions():
    """ANSI versions of text (\\upr) nested deep, none followed by its Unicode version."""
    depth = 45000
    return "{\\rtf1 " + "{\\upr{x " * depth + "}" * (2 * depth) + "}"


def styles_every_paragraph():
    """A chain of 39 paragraph styles of 70 words each, every paragraph naming four of them."""
    words = "".join(f"\\b\\i\\fs{20 + i}\\li{i * 10}\\sb{i}\\f0\\cf0\\ql" for i in range(10))
    sheet = "".join(f"{{\\s{k}\\sbasedon{k - 1}{words} s{k};}}" for k in range(1, 40))
    return repeat_to_limit("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\stylesheet" + sheet + "}",
                           "\\pard\\s39\\s38\\s37\\s36 x\\par\n", "}")


def long_line_text():
    return "abcdefghij" * 99000


DOCUMENTS = {
    "fonts-and-sizes.rtf": fonts_and_sizes,
    "deep-nesting.rtf": deep_nesting,
    "huge-binary.rtf": huge_binary,
    "giant-table.rtf": giant_table,
    "long-table.rtf": long_table,
    "long-word.rtf": long_word_rtf,
    "long-word-bold-runs.rtf": long_word_bold_runs,
    "colour-every-word.rtf": colour_every_word,
    "equation-parts.rtf": equation_parts,
    "text-versions.rtf": text_versions,
    "styles-every-paragraph.rtf": styles_every_paragraph,
    "long-line.txt": long_line_text,
}


def main():
    build = build_folder()
    with session(build, "quillet-bench-adversarial-") as bench_session:
        inputs = {}
        for name, make in DOCUMENTS.items():
            content = make()
            data = content if isinstance(content, bytes) else content.encode("latin-1")
            assert len(data) < LIMIT_BYTES, f"{name} is {len(data)} bytes"
            inputs[name] = bench_session.work / name
            inputs[name].write_bytes(data)

        def run(name):
            measured = bench_session.quillet([name], [inputs[name]],
                                             watch=bench_session.job_arrival())
            return {"wall": measured.handed_over - measured.answering, "cpu": measured.cpu,
                    "peak_kib": measured.peak_kib, "pages": pages_of(bench_session.job()),
                    "bytes": inputs[name].stat().st_size}

        results = alternating_rounds([(name,) for name in inputs], ROUNDS, run)

    median = medians_of(results)
    print(heading("Adversarial documents", ROUNDS))
    print(f"{'document':26} {'KB':>5} {'pages':>6} {'wall s':>7} {'cpu s':>6} {'peak MiB':>9}")
    for (name,) in results:
        print(f"{name:26} {results[(name,)][0]['bytes'] / 1000:5.0f} "
              f"{results[(name,)][0]['pages']:6d} {median((name,), 'wall'):7.2f} "
              f"{median((name,), 'cpu'):6.2f} {median((name,), 'peak_kib') / 1024:9.1f}")
    slowest = max(results, key=lambda key: median(key, "wall"))
    wall = median(slowest, "wall")
    print(f"\nslowest: {slowest[0]}, {wall:.2f} s "
          f"({'met' if wall <= LIMIT_SECONDS else 'NOT MET'}: at most {LIMIT_SECONDS:.0f} s)")


if __name__ == "__main__":
    main()
