"""Documents on paper as a person prints them: a text or RTF file named on the command line,
confirmed in the Print dialog, arrives at the print server as one job of laid-out pages."""

import pathlib
import re
import subprocess
import tempfile
import unicodedata

from quillet_e2e import ink_box_cm, pdf_fonts, pdf_page_size_points, pdf_pages, pdf_text

HALF_INCH_CM = 1.27


def print_confirmed(quillet, name):
    """Starts quillet with name, confirms the Print dialog, and answers the jobs it printed."""
    before = quillet.snapshot()
    run = quillet.start(name)
    quillet.display.key(quillet.print_dialog(), "Return")
    assert run.wait(timeout=120) == 0
    assert run.stdout == b"" and run.stderr == b""
    assert quillet.snapshot() == before  # no input changed, nothing written
    return quillet.print_server.jobs()


def text_lines(pdf, first=None, last=None):
    return [line.strip() for line in pdf_text(pdf, first, last).splitlines() if line.strip()]


def colour_pixels(pdf, page, predicate, dpi=50):
    """How many pixels of a page rendered in colour satisfy predicate(r, g, b)."""
    with tempfile.TemporaryDirectory() as tmp:
        prefix = pathlib.Path(tmp) / "page"
        subprocess.run(["pdftoppm", "-r", str(dpi), "-f", str(page), "-l", str(page), str(pdf),
                        str(prefix)], check=True)
        ppm = next(pathlib.Path(tmp).glob("page*.ppm")).read_bytes()
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+\d+\s", ppm)
    pixels = ppm[header.end():]
    return sum(1 for i in range(0, len(pixels), 3) if predicate(*pixels[i:i + 3]))


def test_a_text_file_prints_page_after_page_with_half_inch_margins(quillet):
    # 165 lines of ten-point text: three pages of A4 or Letter between half-inch margins.
    lines = [f"Line {n:03d}: the quick brown fox jumps over the lazy dog" for n in range(1, 166)]
    quillet.add_file("notes.txt", "\n".join(lines) + "\n")

    jobs = print_confirmed(quillet, "notes.txt")

    assert len(jobs) == 1
    assert pdf_pages(jobs[0]) == 3
    assert text_lines(jobs[0]) == lines
    width_cm, height_cm = (points * 2.54 / 72 for points in pdf_page_size_points(jobs[0]))
    for page in (1, 2, 3):
        left, top, right, bottom = ink_box_cm(jobs[0], page, dpi=300)
        assert abs(left - HALF_INCH_CM) <= 0.1, f"page {page}: text starts {left:.2f} cm in"
        assert HALF_INCH_CM <= top <= HALF_INCH_CM + 0.3
        assert right <= width_cm - HALF_INCH_CM
        assert bottom <= height_cm - HALF_INCH_CM
    # Pages break between lines: the first two are full, the last holds the rest.
    assert text_lines(jobs[0], 1, 1)[0] == lines[0]
    per_page = len(text_lines(jobs[0], 1, 1))
    assert len(text_lines(jobs[0], 2, 2)) == per_page
    assert text_lines(jobs[0], 3, 3)[-1] == lines[-1]


RTF = rb"""{\rtf1\ansi\ansicpg1252\deff0
{\fonttbl{\f0\froman\fcharset0 DejaVu Serif;}{\f1\fswiss\fcharset0 DejaVu Sans;}}
{\colortbl;\red220\green0\blue0;\red0\green0\blue220;}
\pard\plain\f0\fs28 Plain words, {\b bold words}, {\i italic words},
{\cf1 red words} and {\cf2 blue words}.\par
\pard\f1\fs24 Accents: caf\'e9 na\'efve Stra\'dfe \u8364? \par
Greek \u945?\u955?\u966?\u945? Cyrillic \u1084?\u1080?\u1088? Japanese \u26085?\u26412?\u35486?\par
\page
Second page: the end.\par
}"""


def test_an_rtf_file_prints_its_formats_letters_and_page_break(quillet):
    quillet.add_file("letter.rtf", RTF)

    jobs = print_confirmed(quillet, "letter.rtf")

    assert len(jobs) == 1
    assert pdf_pages(jobs[0]) == 2
    # A glyph shared by a CJK ideograph and its radical may come back as the radical: compare
    # compatibility forms.
    first = unicodedata.normalize("NFKC", pdf_text(jobs[0], 1, 1))
    for words in ["Plain words", "bold words", "italic words", "red words", "blue words",
                  "café", "naïve", "Straße", "€", "αλφα", "мир", "日本語"]:
        assert words in first
    assert "Second page: the end." in pdf_text(jobs[0], 2, 2)
    assert "Second page" not in first

    fonts = pdf_fonts(jobs[0])
    assert re.search(r"DejaVuSerif-Bold\b", fonts)
    assert re.search(r"DejaVuSerif-Italic\b", fonts)
    assert "DejaVuSans" in fonts
    assert re.search(r"CJK|Droid|Noto", fonts)  # the Japanese words in a font that has them

    assert colour_pixels(jobs[0], 1, lambda r, g, b: r > 150 and g < 90 and b < 90) > 0
    assert colour_pixels(jobs[0], 1, lambda r, g, b: b > 150 and r < 90 and g < 90) > 0
    left, _, _, _ = ink_box_cm(jobs[0], 1, dpi=300)
    assert abs(left - HALF_INCH_CM) <= 0.1


def test_an_upper_case_extension_takes_the_picture_road(quillet):
    quillet.add_file("notes.TXT", "a text file, not a picture\n")
    assert print_confirmed(quillet, "notes.TXT") == []


def test_a_missing_document_prints_nothing(quillet):
    assert print_confirmed(quillet, "notes.txt") == []
