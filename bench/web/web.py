"""A web page of about five printed pages, with CSS, a table and a picture, from start to job
handed to the print server: Quillet beside Debian's headless Chromium (--print-to-pdf) and a
minimal Qt WebEngine program that loads the page and calls printToPdf. Wall time and peak memory
(/usr/bin/time, the largest process of the tree) are the median of the rounds, every program
pinned to core 0 and the runs interleaved.

Quillet's print dialog is answered the moment it is seen; the time from its appearance to the
answer is a person's and is left out of Quillet's wall time. Quillet's run ends when the print
server has the job (Quillet itself stays 4 s longer, by design); the peers' when the PDF is
written."""

import pathlib
import random
import shutil
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import build_folder, measure, median, pages_of, rounds, session  # noqa: E402

ROUNDS = rounds(5)
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync"]

WORDS = ("orchard harvest quince medlar cellar mill river meadow barn ladder basket crate "
         "autumn frost cider press orchardist grafting pruning blossom bee hive wagon market "
         "village lane hedge stone wall gate field furrow plough sheaf granary winnow thresh "
         "lantern evening morning weather rain wind sun shade branch root leaf bark seed fruit "
         "sweet sour ripe green golden russet heavy light early late year season").split()


def prose(rng, words):
    text = " ".join(rng.choice(WORDS) for _ in range(words))
    return text[0].upper() + text[1:] + "."


def make_page(folder):
    """page.html with its stylesheet and picture: about five A4 pages when printed."""
    rng = random.Random(7)
    subprocess.run(["convert", "-size", "640x360", "-seed", "3", "plasma:green-gold",
                    str(folder / "orchard.jpg")], check=True)
    (folder / "style.css").write_text("""
body { font-family: "DejaVu Serif", serif; font-size: 11pt; line-height: 1.45; margin: 0 1em; }
h1 { font-family: "DejaVu Sans", sans-serif; color: #7a1010; border-bottom: 3px double #555; }
h2 { font-family: "DejaVu Sans", sans-serif; color: #223a6a; margin-top: 1.4em; }
p.lead { font-style: italic; color: #333; }
figure { text-align: center; } figcaption { font-size: 9pt; color: #555; }
table { border-collapse: collapse; width: 100%; font-size: 10pt; }
th { background: #dde4ee; } td, th { border: 1px solid #889; padding: 3px 8px; }
tr:nth-child(even) td { background: #f4f4f4; }
""")
    parts = ["<!doctype html><html><head><meta charset='utf-8'><title>Harvest ledger</title>",
             "<link rel='stylesheet' href='style.css'></head><body>",
             "<h1>Harvest ledger of the mill orchard</h1>",
             f"<p class='lead'>{prose(rng, 60)}</p>",
             "<figure><img src='orchard.jpg' width='480' height='270' alt='orchard'>",
             "<figcaption>The orchard behind the mill.</figcaption></figure>"]
    for section in range(1, 6):
        parts.append(f"<h2>Section {section}: {rng.choice(WORDS)} and {rng.choice(WORDS)}</h2>")
        for _ in range(3):
            parts.append(f"<p>{prose(rng, rng.randint(70, 110))}</p>")
        if section in (2, 4):
            parts.append("<table><tr><th>Row</th><th>Fruit</th><th>Crates</th><th>Note</th></tr>")
            for row in range(1, 21):
                parts.append(f"<tr><td>{row}</td><td>{rng.choice(WORDS)}</td>"
                             f"<td>{rng.randint(1, 90)}</td><td>{prose(rng, 5)}</td></tr>")
            parts.append("</table>")
    parts.append("</body></html>")
    (folder / "page.html").write_text("\n".join(parts))


class Bench:
    def __init__(self, session, minimal):
        self.session = session
        self.minimal = minimal
        self.work = session.work
        self.page_dir = self.work / "page"
        self.page_dir.mkdir()
        make_page(self.page_dir)

    def quillet(self):
        jobs_dir = self.session.server.jobs_dir
        run = self.session.quillet(
            ["page.html"], list(self.page_dir.iterdir()), libraries=["libquillet_web.so"],
            home="home-quillet", fresh_home=True, timeout=300,
            watch={"job": lambda: next(jobs_dir.glob("job-*.pdf"), None)})
        if "job" not in run.timing:
            raise RuntimeError("Quillet printed nothing")
        job = run.found["job"]
        # Quillet's run ends when the server has the job; the person answering is left out.
        return {"wall": run.seconds("started", "job") - run.answering,
                "to_dialog": run.seconds("started", "shown"),
                "answering": run.answering,
                "peak_kib": run.peak_kib, "bytes": job.stat().st_size, "pages": pages_of(job)}

    def timed(self, command, env, output):
        """Runs a peer; its wall time ends when its PDF is there, and apart when it exits."""
        if output.exists():
            output.unlink()
        run = measure(command, env, timeout=300, watch={"written": output.exists})
        if not output.exists() or "written" not in run.timing:
            raise RuntimeError(f"{command[0]} wrote no PDF: {run.stderr[-2000:]}")
        return {"wall": run.seconds("started", "written"), "to_exit": run.wall,
                "peak_kib": run.peak_kib, "bytes": output.stat().st_size,
                "pages": pages_of(output)}

    def minimal_program(self):
        home = self.session.home("home-minimal", fresh=True)
        output = self.work / "minimal.pdf"
        # Chromium's sandbox cannot run as root; Quillet turns it off itself there.
        env = {**self.session.program_env(home), "QTWEBENGINE_DISABLE_SANDBOX": "1"}
        return self.timed([str(self.minimal), str(self.page_dir / "page.html"), str(output)],
                          env, output)

    def chromium(self):
        home = self.session.home("home-chromium", fresh=True)
        output = self.work / "chromium.pdf"
        profile = self.work / "chromium-profile"
        if profile.exists():
            shutil.rmtree(profile)
        return self.timed(["chromium", *CHROMIUM_FLAGS, f"--user-data-dir={profile}",
                           f"--print-to-pdf={output}",
                           (self.page_dir / "page.html").as_uri()],
                          self.session.program_env(home, display=False), output)


def main():
    build = build_folder()
    minimal = pathlib.Path(sys.argv[2]).resolve()
    with session(build, "quillet-bench-web-") as bench_session:
        bench = Bench(bench_session, minimal)
        tools = {"Quillet": bench.quillet, "minimal printToPdf": bench.minimal_program,
                 "chromium --headless": bench.chromium}
        results = {name: [] for name in tools}
        for name, tool in tools.items():  # one warm-up each: page cache, font cache
            tool()
        for _ in range(ROUNDS):
            for name, tool in tools.items():
                results[name].append(tool())

    quillet = results["Quillet"]
    print(f"\nWeb page of about 5 printed pages, median of {ROUNDS} rounds, pinned to core 0")
    print(f"Quillet: start to dialog {median(quillet, 'to_dialog'):.2f} s; answering the dialog "
          f"(left out) {median(quillet, 'answering'):.2f} s\n")
    print("wall s: start to job at the print server (Quillet) or PDF written (peers); "
          "exit s: start to the process's end\n")
    print(f"{'program':<22}{'wall s':>8}{'exit s':>8}{'peak MB':>9}{'PDF KB':>9}{'pages':>7}"
          f"{'time x':>8}{'memory x':>10}{'size x':>8}")
    reference = results["minimal printToPdf"]
    for name, runs in results.items():
        wall = median(runs, "wall")
        peak = median(runs, "peak_kib")
        size = median(runs, "bytes")
        exit_s = f"{median(runs, 'to_exit'):>8.2f}" if "to_exit" in runs[0] else f"{'-':>8}"
        print(f"{name:<22}{wall:>8.2f}{exit_s}{peak / 1024:>9.0f}{size / 1024:>9.0f}"
              f"{median(runs, 'pages'):>7.0f}{wall / median(reference, 'wall'):>8.2f}"
              f"{peak / median(reference, 'peak_kib'):>10.2f}"
              f"{size / median(reference, 'bytes'):>8.2f}")
    chromium = median(results["chromium --headless"], "wall")
    print(f"\nQuillet / Chromium wall time: {median(quillet, 'wall') / chromium:.2f} "
          f"(target below 1); Quillet / minimal: "
          f"{median(quillet, 'wall') / median(reference, 'wall'):.2f} (target at most 1.5); "
          f"job / minimal PDF: {median(quillet, 'bytes') / median(reference, 'bytes'):.2f} "
          f"(target at most 2)")


if __name__ == "__main__":
    main()
