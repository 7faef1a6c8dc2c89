"""Quillet's demo: every road, run for real, with the dialogs answered from the keyboard."""

import os
import pathlib
import shutil
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
    run = q.start("photo.jpg")
    q.display.key(q.print_dialog(), "Escape")
    assert run.wait() == 0
    demo.collect("startup-cancel")


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
        finally:
            server.stop()
    print(f"\nPrinted output, one PDF per print job as the print server received it: {OUTPUT}")


if __name__ == "__main__":
    main()
