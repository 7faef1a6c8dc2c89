"""Quillet's demo: every road, run for real, with the dialogs answered from the keyboard."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from demo_samples import Canvas  # noqa: E402
from quillet_e2e import Display, PrintServer, Quillet, pdf_pages  # noqa: E402

OUTPUT = REPO / "build" / "demo"

NAVY, DARK_ORANGE, STEEL_BLUE, DARK_GREEN, GOLD, OLIVE = (
    (0, 0, 128), (255, 140, 0), (70, 130, 180), (0, 100, 0), (255, 215, 0), (85, 107, 47))


class SceneFailed(Exception):
    """A scene did not give what it announced."""


def describe(pages):
    """Print jobs by their page counts, as a person would say them."""
    if not pages:
        return "no print job"
    jobs = f"{len(pages)} print job" + ("s" if len(pages) > 1 else "")
    return f"{jobs} of " + ", ".join(str(n) for n in pages) + " page(s)"


class Demo:
    def __init__(self, display, server, work):
        self.display = display
        self.server = server
        self.work = pathlib.Path(work)
        self.count = 0
        self.quillets = []

    def quillet(self):
        """A fresh program directory with the executable in it."""
        self.count += 1
        program_dir = self.work / f"program{self.count}"
        home = self.work / f"home{self.count}"
        program_dir.mkdir()
        home.mkdir()
        for name in ["quillet", "libquillet_web.so"]:
            if (REPO / "build" / name).exists():
                shutil.copy2(REPO / "build" / name, program_dir / name)
        self.server.clear()
        q = Quillet(program_dir, home, self.display, self.server)
        self.quillets.append(q)
        return q

    def stop_all(self):
        """Ends every quillet still running, after a scene failed halfway."""
        for q in self.quillets:
            q.cleanup()

    def confirm(self, q, argument, scene, pages, key="Return"):
        """Runs quillet with argument, answers its Print dialog with key, and checks that the
        print jobs are the ones announced: pages holds each job's page count."""
        self.server.clear()
        run = q.start(argument)
        q.display.key(q.print_dialog(), key)
        self.finish(run, scene, timeout=120)
        self.collect(scene, pages)

    def finish(self, run, scene, timeout=30):
        code = run.wait(timeout=timeout)
        if code != 0:
            raise SceneFailed(f"{scene}: quillet exited with status {code}\n"
                              + run.stderr.decode(errors="replace"))

    def collect(self, scene, pages):
        """Copies the jobs the print server received into the output folder and fails unless
        their page counts are the announced ones."""
        jobs = self.server.jobs()
        kept = []
        for number, job in enumerate(jobs, 1):
            target = OUTPUT / f"{scene}-job{number}.pdf"
            shutil.copy2(job, target)
            kept.append(target)
        got = [pdf_pages(job) for job in kept]
        print(f"    {describe(got)}" + "".join(f"\n      {k}" for k in kept))
        if got != pages:
            raise SceneFailed(f"{scene}: announced {describe(pages)}, the print server received "
                              f"{describe(got)}")


def add_photo(q):
    """378 x 283 pixels: 10 cm wide at 96 pixels per inch."""
    photo = Canvas(378, 283, NAVY, DARK_ORANGE)
    photo.label("10 CM", 8)
    photo.save(q.program_dir / "photo.jpg")


def startup_roads(demo):
    print("Start-up")
    q = demo.quillet()
    add_photo(q)
    print("  quillet            (no argument: ends at once)")
    demo.finish(q.start(), "startup-no-argument")
    demo.collect("startup-no-argument", [])
    print("  quillet a.jp       (fewer than five characters: ends at once)")
    demo.finish(q.start("a.jp"), "startup-short")
    demo.collect("startup-short", [])
    print("  quillet photo.jpg  (the Print dialog appears; Escape cancels)")
    demo.confirm(q, "photo.jpg", "startup-cancel", [], key="Escape")


def picture_road(demo):
    print("Picture")
    q = demo.quillet()
    add_photo(q)
    print("  quillet photo.jpg  (378 x 283 pixels, 10 cm wide at 96 per inch; Return prints it")
    print("                      centred across 21 cm, 5 cm below the printable area's top)")
    demo.confirm(q, "photo.jpg", "picture", [1])

    q.add_file("notes.jpg", "A text file named like a picture.\n")
    print("  quillet notes.jpg  (a text file named like a picture; Return: nothing printed)")
    demo.confirm(q, "notes.jpg", "picture-not-a-picture", [])


def add_picture(q, name, colour):
    """A 640 x 480 picture of one colour with its name written on it."""
    picture = Canvas(640, 480, colour)
    picture.label(name.split(".")[0].upper(), 12)
    picture.save(q.program_dir / name)


def batch_roads(demo):
    print("Batches")
    q = demo.quillet()
    add_picture(q, "sunrise.jpg", DARK_ORANGE)
    add_picture(q, "harbour.gif", STEEL_BLUE)
    add_picture(q, "forest.bmp", DARK_GREEN)
    add_picture(q, "meadow.tif", OLIVE)
    q.add_file("notes.txt", "not a picture\n")
    q.add_file("list.txt", "forest.bmp\nmissing.jpg\n  sunrise.jpg  \n")
    print("  quillet PRINT_LIST       (list.txt: forest.bmp, missing.jpg, sunrise.jpg; Return")
    print("                            prints the two that exist, one job each)")
    demo.confirm(q, "PRINT_LIST", "batch-list", [1, 1])

    print("  quillet PRINT_DIRECTORY  (every *.jpg, *.gif, *.bmp, *.tif by name: forest, harbour,")
    print("                            meadow, sunrise; Return prints them, one job each)")
    demo.confirm(q, "PRINT_DIRECTORY", "batch-directory", [1, 1, 1, 1])

    demo.server.clear()
    print('  quillet PRINT_DIALOG     (Open dialog: "harbour.gif" "sunrise.jpg" typed, Return;')
    print("                            then Return in the Print dialog: two jobs)")
    run = q.start("PRINT_DIALOG")
    dialog = q.display.wait_window("^Open$")
    q.display.type(dialog, '"harbour.gif" "sunrise.jpg"')
    q.display.key(dialog, "Return")
    q.display.key(q.print_dialog(), "Return")
    demo.finish(run, "batch-dialog", timeout=120)
    demo.collect("batch-dialog", [1, 1])

    demo.server.clear()
    print("  quillet PRINT_DIALOG     (Escape in the Open dialog: no Print dialog, nothing printed)")
    run = q.start("PRINT_DIALOG")
    q.display.key(q.display.wait_window("^Open$"), "Escape")
    demo.finish(run, "batch-dialog-cancel")
    demo.collect("batch-dialog-cancel", [])


def web_page(demo):
    print("Web page")
    q = demo.quillet()
    q.add_file("style.css", "body { font-family: serif; margin: 2em; }\n"
               "h1 { color: darkred; border-bottom: 2px solid #444; }\n"
               "td, th { border: 1px solid #666; padding: 4px 10px; }\n"
               "table { border-collapse: collapse; }\n")
    q.add_file("frame.html", "<p>Framed greetings from the cellar</p>")
    Canvas(320, 160, NAVY, GOLD).save(q.program_dir / "orchard.png")
    q.add_file("harvest.html", """<!doctype html><html><head><meta charset="utf-8">
<title>Harvest report</title><link rel="stylesheet" href="style.css"></head><body>
<h1>Harvest report</h1><p>Gathered in the orchard behind the mill.</p>
<table><tr><th>Fruit</th><th>Crates</th></tr><tr><td>Quinces</td><td>42</td></tr>
<tr><td>Medlars</td><td>17</td></tr></table>
<p><img src="orchard.png" alt="orchard"></p>
<iframe src="frame.html" width="400" height="80"></iframe></body></html>
""")
    print("  quillet harvest.html     (the small Quillet window, then the browser's print dialog;")
    print("                            Return prints 1 page; the program closes itself about 4 s")
    print("                            later)")
    run = q.start("harvest.html")
    q.display.wait_window("^Quillet$")
    q.display.key(q.print_dialog(), "Return")
    demo.finish(run, "web-page", timeout=60)
    demo.collect("web-page", [1])


def document_roads(demo):
    print("Documents")
    q = demo.quillet()
    lines = [f"{n:3d}\tThe quick brown fox jumps over the lazy dog, line after line." for n in
             range(1, 151)]
    q.add_file("notes.txt", "\n".join(lines) + "\n")
    print("  quillet notes.txt   (150 lines of plain text; Return prints them on 3 pages with")
    print("                       half-inch margins)")
    demo.confirm(q, "notes.txt", "document-text", [3])

    q.add_file("letter.rtf", rb"""{\rtf1\ansi\ansicpg1252\deff0
{\fonttbl{\f0\froman\fcharset0 DejaVu Serif;}{\f1\fswiss\fcharset0 DejaVu Sans;}}
{\colortbl;\red180\green0\blue0;\red0\green60\blue160;}
\pard\qc\f1\fs36\b A letter from the mill\b0\par
\pard\sa120\f0\fs24 Dear reader, this is {\b bold}, {\i italic}, {\ul underlined}, 
{\cf1 red} and {\cf2 blue}. Caf\'e9, na\'efve, Stra\'dfe; 
\u945?\u946?\u947?, \u1084?\u1080?\u1088?, \u26085?\u26412?\u35486?.\par
\trowd\cellx3000\cellx6000\pard\intbl Quinces\cell 42 crates\cell\row
\trowd\cellx3000\cellx6000\pard\intbl Medlars\cell 17 crates\cell\row
\pard\page
\f0\fs24 The second page, after a page break.\par
}""")
    print("  quillet letter.rtf  (RTF: formats, colours, accents, Greek, Cyrillic, Japanese, a")
    print("                       table and a page break; Return prints 2 pages)")
    demo.confirm(q, "letter.rtf", "document-rtf", [2])


ROADS = [startup_roads, picture_road, batch_roads, document_roads, web_page]


def run_roads(demo):
    """Runs every road, going on after one fails; returns what failed."""
    failures = []
    for road in ROADS:
        try:
            road(demo)
        except (SceneFailed, AssertionError, subprocess.SubprocessError) as failure:
            failures.append(f"{road.__name__.replace('_', ' ')}: {failure}")
            print(f"    FAILED: {failures[-1]}")
            demo.stop_all()
    return failures


def main():
    if os.geteuid() != 0:
        sys.exit("The demo's private print server needs root: run scripts/demo with sudo.")
    if OUTPUT.exists():
        shutil.rmtree(OUTPUT)
    OUTPUT.mkdir(parents=True)
    started = time.monotonic()
    with (tempfile.TemporaryDirectory(prefix="quillet-demo-") as work,
          Display(use_existing=True) as display):
        server = PrintServer(REPO / "scripts" / "print-server", pathlib.Path(work) / "cups")
        server.start()
        try:
            failures = run_roads(Demo(display, server, work))
        finally:
            server.stop()
    print(f"\nPrinted output, one PDF per print job as the print server received it: {OUTPUT}")
    print(f"The demo took {time.monotonic() - started:.0f} s.")
    if failures:
        print(f"\nThe demo FAILED: {len(failures)} road(s) did not give what they announced:",
              *failures, sep="\n  ", file=sys.stderr)
        sys.exit(1)


if __name__ == "__main__":
    main()
