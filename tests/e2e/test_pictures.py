"""The picture road as a person uses it: a picture beside the program, named on the command line,
confirmed in the Print dialog, arrives as one print job with the picture at its natural size,
centred across 21 cm and 5 cm from the top of the printable area."""

import re
import subprocess
import zlib

import pytest

from quillet_e2e import ink_box_cm, pdf_pages, pdf_page_size_points

CM_PER_POINT = 2.54 / 72


def make_picture(path, width, height, fmt=None):
    """A dark picture (every pixel counts as ink) of the given pixel size."""
    target = f"{fmt}:{path}" if fmt else str(path)
    subprocess.run(["/usr/bin/convert", "-size", f"{width}x{height}", "gradient:navy-darkred",
                    target], check=True)


def printable_origin_cm(job):
    """Where the printable area starts on the job's first page, in centimetres from the paper's
    top-left corner: read from the page's first transformation, which maps the printer's device
    pixels, whose origin is that corner of the printable area, onto the page."""
    data = job.read_bytes()
    for match in re.finditer(rb"stream\r?\n", data):
        blob = data[match.end():data.find(b"endstream", match.end())]
        try:
            content = zlib.decompress(blob)
        except zlib.error:
            continue
        cm = re.search(rb"([-\d.]+) ([-\d.]+) ([-\d.]+) ([-\d.]+) ([-\d.]+) ([-\d.]+) cm", content)
        if cm and float(cm.group(4)) < 0:  # the y axis flipped: device space, top down
            _, page_height = pdf_page_size_points(job)
            return (float(cm.group(5)) * CM_PER_POINT,
                    (page_height - float(cm.group(6))) * CM_PER_POINT)
    raise AssertionError(f"no page transformation found in {job}")


def confirm(quillet, *args):
    run = quillet.start(*args)
    quillet.display.key(quillet.print_dialog(), "Return")
    assert run.wait(timeout=120) == 0
    assert run.stdout == b"" and run.stderr == b""


def test_return_prints_the_picture_once_at_its_place(quillet):
    make_picture(quillet.program_dir / "photo.jpg", 378, 189)  # 10 by 5 cm at 96 per inch
    before = quillet.snapshot()

    confirm(quillet, "photo.jpg")

    jobs = quillet.print_server.jobs()
    assert len(jobs) == 1
    assert pdf_pages(jobs[0]) == 1
    origin_x, origin_y = printable_origin_cm(jobs[0])
    assert 0 <= origin_x < 1.5 and 0 <= origin_y < 1.5
    left, top, right, bottom = ink_box_cm(jobs[0], dpi=150)
    assert left - origin_x == pytest.approx(5.5, abs=0.1)
    assert top - origin_y == pytest.approx(5.0, abs=0.1)
    assert right - left == pytest.approx(10.0, abs=0.1)
    assert bottom - top == pytest.approx(5.0, abs=0.1)
    assert quillet.snapshot() == before


@pytest.mark.parametrize("name, fmt", [
    ("logo.gif", "gif"), ("scan.bmp", "bmp"), ("scan.tif", "tiff"), ("scan.tiff", "tiff"),
    ("drawing.png", "png"), ("photo.webp", "webp"),
    ("\udcff\udcfe caf\u00e9.jpg", "jpg"),  # a name that is not UTF-8
])
def test_every_picture_format_prints_at_its_natural_width(quillet, name, fmt):
    raw_name = name.encode("utf-8", "surrogateescape")
    make_picture(quillet.program_dir / raw_name.decode("utf-8", "surrogateescape"), 189, 100, fmt)

    confirm(quillet, raw_name)

    jobs = quillet.print_server.jobs()
    assert len(jobs) == 1
    origin_x, _ = printable_origin_cm(jobs[0])
    left, _, right, _ = ink_box_cm(jobs[0], dpi=150)
    assert right - left == pytest.approx(5.0, abs=0.1)
    assert left - origin_x == pytest.approx(8.0, abs=0.1)


def test_escape_prints_nothing(quillet):
    make_picture(quillet.program_dir / "photo.jpg", 378, 189)
    run = quillet.start("photo.jpg")
    quillet.display.key(quillet.print_dialog(), "Escape")
    assert run.wait() == 0
    assert quillet.print_server.jobs() == []


@pytest.mark.parametrize("name, content", [
    ("corrupt.jpg", b"\xff\xd8\xff\xe0" + bytes(range(256)) * 40),
    ("notes.jpg", b"A text file named like a picture.\n"),
    ("empty.gif", b""),
    ("missing.jpg", None),
])
def test_a_file_that_is_no_picture_prints_nothing(quillet, name, content):
    if content is not None:
        quillet.add_file(name, content)
    before = quillet.snapshot()

    confirm(quillet, name)

    assert quillet.print_server.jobs() == []
    assert quillet.snapshot() == before


def test_without_a_default_printer_nothing_prints_and_the_program_ends(quillet):
    make_picture(quillet.program_dir / "photo.jpg", 378, 189)
    run = quillet.start("photo.jpg", env={"PRINTER": "no-such-printer"})
    quillet.display.key(quillet.print_dialog(), "Return")
    assert run.wait(timeout=60) == 0
    assert run.stdout == b"" and run.stderr == b""
    assert quillet.print_server.jobs() == []
