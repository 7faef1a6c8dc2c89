"""Pictures from start to job handed to the print server: Quillet beside ImageMagick
(convert x.jpg x.pdf, then lp) and cups-filters imagetopdf run standalone (piped to lp), on a
6000 x 4000 and a 1000 x 800 JPEG photograph. Every tool submits to the same private print
server; wall time runs from the start to the job's arrival at the print server (for every tool
alike; djpeg, which prints nothing, to its end), peak memory is /usr/bin/time's; both are the
median of the rounds, all pinned to core 0; the job's size is what the server received.

Quillet's Print dialog is answered the moment it is seen; the time from its appearance to the
answer is a person's, not the program's, and is left out of Quillet's wall time. The time until
the dialog is on screen is reported apart (it is included in the wall time), beside that of a
Qt program that does nothing but show the same dialog: the floor under Quillet's start."""

import os
import pathlib
import shutil
import statistics
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import (alternating_rounds, build_folder, heading, measure,  # noqa: E402
                      medians_of, rounds, session)

ROUNDS = rounds(3)
IMAGETOPDF = "/usr/lib/cups/filter/imagetopdf"
DIALOG_ALONE = "no picture"

PEERS = {
    "imagemagick": "/usr/bin/convert \"$DOC\" \"$OUT/x.pdf\" && lp -s \"$OUT/x.pdf\"",
    "imagetopdf": f"{IMAGETOPDF} 1 bench bench 1 '' \"$DOC\" | lp -s",
    # Decoding alone, for reference; it submits nothing.
    "djpeg": "djpeg -outfile /dev/null \"$DOC\"",
}


def print_dialog_alone(folder):
    """The Qt program that only shows the Print dialog, built once into folder."""
    program = folder / "print-dialog-alone"
    source = pathlib.Path(__file__).with_name("print_dialog_alone.cpp")
    if program.exists() and program.stat().st_mtime >= source.stat().st_mtime:
        return program
    folder.mkdir(parents=True, exist_ok=True)
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets", "Qt6PrintSupport"],
                           check=True, capture_output=True, text=True).stdout.split()
    subprocess.run(["c++", "-std=c++20", "-O2", "-fPIC", str(source), "-o", str(program), *flags],
                   check=True)
    return program


def photograph(path, width, height, quality, sampling):
    """A photograph-like JPEG: a fractal landscape of colour with sensor noise, made once and
    kept in the build folder (the large one takes half a minute)."""
    if path.exists():
        return path
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["/usr/bin/convert", "-size", f"{width}x{height}", "-seed", "7",
                    "plasma:fractal", "-blur", "0x1", "-attenuate", "0.3", "+noise", "Gaussian",
                    "-sampling-factor", sampling, "-quality", str(quality), str(path)],
                   check=True)
    return path


class Bench:
    def __init__(self, session, dialog_program):
        self.session = session
        self.dialog_program = dialog_program
        peer_home = session.work / "peer-home"
        # Debian's ImageMagick policy forbids writing PDF. A policy in MAGICK_CONFIGURE_PATH is
        # read before Debian's, whose refusal then wins; the user's own is read after it.
        policy_dir = peer_home / ".config" / "ImageMagick"
        policy_dir.mkdir(parents=True)
        shutil.copy2(pathlib.Path(__file__).with_name("policy.xml"), policy_dir / "policy.xml")
        self.env = {**os.environ, **session.server.env(), "HOME": str(peer_home),
                    "MAGICK_CONFIGURE_PATH": str(pathlib.Path(__file__).parent)}

    def quillet(self, picture):
        run = self.session.quillet([picture.name], [picture], watch=self.session.job_arrival())
        # The person answering the dialog is left out of the wall time.
        return {"wall": run.handed_over - run.answering,
                "to_dialog": run.seconds("started", "shown"),
                "peak_kib": run.peak_kib, "job_bytes": self.session.job().stat().st_size}

    def run(self, tool, picture):
        if tool == "quillet":
            return self.quillet(picture)
        if tool == "dialog alone":
            return self.dialog_alone()
        return self.peer(tool, picture)

    def dialog_alone(self):
        session = self.session
        run = measure([str(self.dialog_program)], session.program_env(session.home("home")),
                      dialog_on=session.display)
        if run.returncode != 0:
            raise RuntimeError(f"the Print dialog alone failed: {run.stderr[-2000:]}")
        return {"wall": run.seconds("started", "shown"), "peak_kib": run.peak_kib,
                "job_bytes": 0}

    def peer(self, tool, picture):
        run = self.session.shell(PEERS[tool], picture, self.env, watch=self.session.job_arrival())
        return {"wall": run.handed_over, "peak_kib": run.peak_kib,
                "job_bytes": self.session.job().stat().st_size if tool != "djpeg" else 0}


def main():
    build = build_folder()
    cache = build / "bench-pictures"
    inputs = {
        "6000x4000 q92 4:2:0": photograph(cache / "large.jpg", 6000, 4000, 92, "2x2"),
        "1000x800 q92 4:2:0": photograph(cache / "small.jpg", 1000, 800, 92, "2x2"),
    }
    # The same photograph as a camera's finest setting saves it: job size only.
    camera = cache / "camera.jpg"
    if not camera.exists():
        subprocess.run(["/usr/bin/convert", str(inputs["6000x4000 q92 4:2:0"]), "-quality", "97",
                        "-sampling-factor", "2x1", str(camera)], check=True)

    with session(build, "quillet-bench-pictures-") as bench_session:
        bench = Bench(bench_session, print_dialog_alone(cache))
        bench.quillet(inputs["1000x800 q92 4:2:0"])  # warms the caches: not measured
        plan = [(name, tool) for name in inputs for tool in ["quillet", *PEERS]]
        plan.append((DIALOG_ALONE, "dialog alone"))
        results = alternating_rounds(plan, ROUNDS,
                                     lambda name, tool: bench.run(tool, inputs.get(name)))
        dialog_alone = results.pop((DIALOG_ALONE, "dialog alone"))
        camera_job = bench.quillet(camera)["job_bytes"]

    median = medians_of(results)
    large, small = inputs

    print(heading("Pictures", ROUNDS))
    print(f"{'picture':20} {'tool':12} {'wall s':>7} {'peak MiB':>9} {'job MB':>7} "
          f"{'job/jpeg':>9} {'quillet x faster':>17}")
    for name, tool in results:
        jpeg = inputs[name].stat().st_size
        job = median((name, tool), "job_bytes")
        ratio = median((name, tool), "wall") / median((name, "quillet"), "wall")
        job_text = f"{job / 1e6:7.2f} {job / jpeg:9.2f}" if job else f"{'-':>7} {'-':>9}"
        print(f"{name:20} {tool:12} {median((name, tool), 'wall'):7.2f} "
              f"{median((name, tool), 'peak_kib') / 1024:9.1f} {job_text} {ratio:17.2f}")
    for name, picture in inputs.items():
        to_dialog = median((name, "quillet"), "to_dialog")
        after = statistics.median(r["wall"] - r["to_dialog"] for r in results[(name, "quillet")])
        print(f"{name}: JPEG file {picture.stat().st_size / 1e6:.2f} MB; quillet until the "
              f"Print dialog is on screen {to_dialog:.2f} s (included above), from the answer "
              f"to the job handed over {after:.2f} s "
              f"(ImageMagick / that: {median((name, 'imagemagick'), 'wall') / after:.2f})")
    floor = statistics.median(r["wall"] for r in dialog_alone)
    print(f"A Qt program that only shows the Print dialog has it on screen after {floor:.2f} s "
          f"(ImageMagick's whole 1000x800 run / that: "
          f"{median((small, 'imagemagick'), 'wall') / floor:.2f})")
    print(f"6000x4000 q97 4:2:2 (a camera's finest): JPEG file {camera.stat().st_size / 1e6:.2f} "
          f"MB, quillet's job {camera_job / 1e6:.2f} MB, "
          f"{camera_job / camera.stat().st_size:.2f} x the file")

    decoded_mib = 6000 * 4000 * 4 / 2**20
    checks = [
        ("ImageMagick / quillet, 6000x4000 (at least 1)",
         median((large, "imagemagick"), "wall") / median((large, "quillet"), "wall"),
         lambda r: r >= 1),
        ("ImageMagick / quillet, 1000x800 (at least 1)",
         median((small, "imagemagick"), "wall") / median((small, "quillet"), "wall"),
         lambda r: r >= 1),
        ("quillet / imagetopdf, 6000x4000 (at most 2)",
         median((large, "quillet"), "wall") / median((large, "imagetopdf"), "wall"),
         lambda r: r <= 2),
        ("job / JPEG file, 6000x4000 (at most 1.5)",
         median((large, "quillet"), "job_bytes") / inputs[large].stat().st_size,
         lambda r: r <= 1.5),
        ("job / JPEG file, 1000x800 (at most 1.5)",
         median((small, "quillet"), "job_bytes") / inputs[small].stat().st_size,
         lambda r: r <= 1.5),
        (f"peak / decoded size ({decoded_mib:.0f} MiB), 6000x4000 (under 3)",
         median((large, "quillet"), "peak_kib") / 1024 / decoded_mib, lambda r: r < 3),
    ]
    print()
    for name, value, met in checks:
        print(f"{name:55} {value:8.2f}  {'met' if met(value) else 'NOT MET'}")


if __name__ == "__main__":
    main()
