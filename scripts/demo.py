"""Quillet's demo: every road, run for real, with the dialogs answered from the keyboard."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

REPO = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from quillet_e2e import Display, PrintServer, Quillet  # noqa: E402

OUTPUT = REPO / "build" / "demo"


class Demo:
    def __init__(self, display, server, work):
        self.display = display
        self.server = server
        self.work = pathlib.Path(work)
        self.count = 0

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
        return Quillet(program_dir, home, self.display, self.server)

    def confirm(self, q, argument, scene, key="Return"):
        """Runs quillet with argument, answers its Print dialog with key, and collects the jobs."""
        self.server.clear()
        run = q.start(argument)
        q.display.key(q.print_dialog(), key)
        assert run.wait(timeout=120) == 0
        self.collect(scene)

    def collect(self, scene):
        """Copies the jobs the print server received into the output folder."""
        jobs = self.server.jobs()
        kept = []
        for number, job in enumerate(jobs, 1):
            target = OUTPUT / f"{scene}-job{number}.pdf"
            shutil.copy2(job, target)
            kept.append(target)
        print(f"    {len(jobs)} print job(s)" + "".join(f"\n      {k}" for k in kept))


def startup_roads(demo):
    print("Start-up")
    q = demo.quillet()
    print("  quillet            (no argument: ends at once)")
    assert q.start().wait() == 0
    print("  quillet a.jp       (fewer than five characters: ends at once)")
    assert q.start("a.jp").wait() == 0
    print("  quillet photo.jpg  (the Print dialog appears; Escape cancels)")
    demo.confirm(q, "photo.jpg", "startup-cancel", key="Escape")


def picture_road(demo):
    print("Picture")
    q = demo.quillet()
    subprocess.run(["/usr/bin/convert", "-size", "378x283", "gradient:navy-darkorange", "-fill",
                    "white", "-pointsize", "48", "-gravity", "center", "-annotate", "+0+0",
                    "10 cm", str(q.program_dir / "photo.jpg")], check=True)
    print("  quillet photo.jpg  (378 x 283 pixels, 10 cm wide at 96 per inch; Return prints it")
    print("                      centred across 21 cm, 5 cm below the printable area's top)")
    demo.confirm(q, "photo.jpg", "picture")

    q.add_file("notes.jpg", "A text file named like a picture.\n")
    print("  quillet notes.jpg  (a text file named like a picture; Return: nothing printed)")
    demo.confirm(q, "notes.jpg", "picture-not-a-picture")


def add_picture(q, name, colour, label):
    """A 640 x 480 picture with its label written on it."""
    subprocess.run(["/usr/bin/convert", "-size", "640x480", f"xc:{colour}", "-fill", "white",
                    "-pointsize", "96", "-gravity", "center", "-annotate", "+0+0", label,
                    str(q.program_dir / name)], check=True)


def batch_roads(demo):
    print("Batches")
    q = demo.quillet()
    add_picture(q, "sunrise.jpg", "darkorange", "sunrise")
    add_picture(q, "harbour.gif", "steelblue", "harbour")
    add_picture(q, "forest.bmp", "darkgreen", "forest")
    q.add_file("notes.txt", "not a picture\n")
    q.add_file("list.txt", "forest.bmp\nmissing.jpg\n  sunrise.jpg  \n")
    print("  quillet PRINT_LIST       (list.txt: forest.bmp, missing.jpg, sunrise.jpg; Return)")
    demo.confirm(q, "PRINT_LIST", "batch-list")

    print("  quillet PRINT_DIRECTORY  (every *.jpg, *.gif, *.bmp, *.tif by name; Return)")
    demo.confirm(q, "PRINT_DIRECTORY", "batch-directory")

    demo.server.clear()
    print('  quillet PRINT_DIALOG     (Open dialog: "harbour.gif" "sunrise.jpg" typed, Return;')
    print("                            then Return in the Print dialog)")
    run = q.start("PRINT_DIALOG")
    dialog = q.display.wait_window("^Open$")
    q.display.type(dialog, '"harbour.gif" "sunrise.jpg"')
    q.display.key(dialog, "Return")
    q.display.key(q.print_dialog(), "Return")
    assert run.wait(timeout=120) == 0
    demo.collect("batch-dialog")

    demo.server.clear()
    print("  quillet PRINT_DIALOG     (Escape in the Open dialog: no Print dialog, nothing printed)")
    run = q.start("PRINT_DIALOG")
    q.display.key(q.display.wait_window("^Open$"), "Escape")
    assert run.wait(timeout=30) == 0
    demo.collect("batch-dialog-cancel")


def web_page(demo):
    print("Web page")
    q = demo.quillet()
    q.add_file("style.css", "body { font-family: serif; margin: 2em; }\n"
               "h1 { color: darkred; border-bottom: 2px solid #444; }\n"
               "td, th { border: 1px solid #666; padding: 4px 10px; }\n"
               "table { border-collapse: collapse; }\n")
    q.add_file("frame.html", "<p>Framed greetings from the cellar</p>")
    subprocess.run(["/usr/bin/convert", "-size", "320x160", "gradient:navy-gold",
                    str(q.program_dir / "orchard.png")], check=True)
    q.add_file("harvest.html", """<!doctype html><html><head><meta charset="utf-8">
<title>Harvest report</title><link rel="stylesheet" href="style.css"></head><body>
<h1>Harvest report</h1><p>Gathered in the orchard behind the mill.</p>
<table><tr><th>Fruit</th><th>Crates</th></tr><tr><td>Quinces</td><td>42</td></tr>
<tr><td>Medlars</td><td>17</td></tr></table>
<p><img src="orchard.png" alt="orchard"></p>
<iframe src="frame.html" width="400" height="80"></iframe></body></html>
""")
    print("  quillet harvest.html     (the small Quillet window, then the browser's print dialog;")
    print("                            Return; the program closes itself about 4 s later)")
    run = q.start("harvest.html")
    q.display.wait_window("^Quillet$")
    q.display.key(q.print_dialog(), "Return")
    assert run.wait(timeout=60) == 0
    demo.collect("web-page")


def document_roads(demo):
    print("Documents")
    q = demo.quillet()
    lines = [f"{n:3d}\tThe quick brown fox jumps over the lazy dog, line after line." for n in
             range(1, 151)]
    q.add_file("notes.txt", "\n".join(lines) + "\n")
    print("  quillet notes.txt   (150 lines of plain text; Return prints them on 3 pages with")
    print("                       half-inch margins)")
    demo.confirm(q, "notes.txt", "document-text")

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
    demo.confirm(q, "letter.rtf", "document-rtf")


def main():
    if os.geteuid() != 0:
        sys.exit("The demo's private print server needs root: run scripts/demo with sudo.")
    if OUTPUT.exists():
        shutil.rmtree(OUTPUT)
    OUTPUT.mkdir(parents=True)
    with tempfile.TemporaryDirectory(prefix="quillet-demo-") as work, Display(use_existing=True) as display:
        server = PrintServer(REPO / "scripts" / "print-server", pathlib.Path(work) / "cups")
        server.start()
        try:
            demo = Demo(display, server, work)
            startup_roads(demo)
            picture_road(demo)
            batch_roads(demo)
            document_roads(demo)
            web_page(demo)
        finally:
            server.stop()
    print(f"\nPrinted output, one PDF per print job as the print server received it: {OUTPUT}")


if __name__ == "__main__":
    main()
