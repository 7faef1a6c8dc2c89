"""Batch printing as a person uses it: PRINT_LIST, PRINT_DIRECTORY and PRINT_DIALOG build a list
of pictures, the Print dialog confirms it, and each picture arrives as a print job of its own."""

import re
import subprocess


def add_picture(quillet, name, width, height=40, colour="gray40"):
    """A picture whose pixel width tells its print job apart from the others."""
    path = quillet.program_dir / name
    subprocess.run(["/usr/bin/convert", "-size", f"{width}x{height}", f"xc:{colour}", str(path)],
                   check=True)
    return path


def image_widths(job):
    """The pixel widths of the pictures a job's PDF holds."""
    out = subprocess.run(["pdfimages", "-list", str(job)], capture_output=True, text=True,
                         check=True).stdout
    rows = [line.split() for line in out.splitlines()[2:] if line.strip()]
    return [int(row[3]) for row in rows if row[2] == "image"]


def printed_widths(quillet):
    return [image_widths(job) for job in quillet.print_server.jobs()]


def confirm_print(quillet, run):
    quillet.display.key(quillet.print_dialog(), "Return")
    assert run.wait(timeout=120) == 0
    assert run.stdout == b"" and run.stderr == b""


def test_print_list_prints_the_listed_pictures_in_list_order_without_the_missing_one(quillet):
    add_picture(quillet, "first.jpg", 120)
    add_picture(quillet, "third.gif", 80)
    quillet.add_file("list.txt", "first.jpg\n  missing.jpg\nthird.gif\n")
    before = quillet.snapshot()

    confirm_print(quillet, quillet.start("PRINT_LIST"))

    assert printed_widths(quillet) == [[120], [80]]
    assert quillet.snapshot() == before


def test_print_directory_prints_every_matching_picture_in_name_order(quillet):
    add_picture(quillet, "b.jpg", 110)
    add_picture(quillet, "A.gif", 120)
    add_picture(quillet, "d.TIF", 140)
    add_picture(quillet, "c.bmp", 130)
    add_picture(quillet, "e.tiff", 150)  # "*.tif" does not match it
    quillet.add_file("notes.txt", "not a picture\n")
    before = quillet.snapshot()

    confirm_print(quillet, quillet.start("PRINT_DIRECTORY"))

    assert printed_widths(quillet) == [[120], [110], [130], [140]]
    assert quillet.snapshot() == before


def test_print_directory_without_pictures_still_asks_and_prints_nothing(quillet):
    quillet.add_file("notes.txt", "not a picture\n")
    before = quillet.snapshot()

    confirm_print(quillet, quillet.start("PRINT_DIRECTORY"))

    assert quillet.print_server.jobs() == []
    assert quillet.snapshot() == before


def open_dialog(quillet):
    return quillet.display.wait_window("^Open$")


def test_print_dialog_prints_the_names_typed_into_the_open_dialog(quillet):
    add_picture(quillet, "a.jpg", 90)
    add_picture(quillet, "b.gif", 150)
    add_picture(quillet, "c.bmp", 60)
    before = quillet.snapshot()
    run = quillet.start("PRINT_DIALOG")

    dialog = open_dialog(quillet)
    quillet.display.type(dialog, '"b.gif" "a.jpg"')
    quillet.display.key(dialog, "Return")
    confirm_print(quillet, run)

    assert printed_widths(quillet) == [[150], [90]]
    assert quillet.snapshot() == before


def test_escape_in_the_open_dialog_ends_without_the_print_dialog(quillet):
    add_picture(quillet, "a.jpg", 90)
    before = quillet.snapshot()
    run = quillet.start("PRINT_DIALOG")

    quillet.display.key(open_dialog(quillet), "Escape")

    # A Print dialog would wait for an answer; the program ends on its own instead.
    assert run.wait(timeout=10) == 0
    assert run.stdout == b"" and run.stderr == b""
    assert quillet.display.visible_windows("^Print$") == []
    assert quillet.print_server.jobs() == []
    assert quillet.snapshot() == before
