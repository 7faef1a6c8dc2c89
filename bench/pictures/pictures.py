"""Pictures from start to job handed to the print server: Quillet beside ImageMagick
(convert x.jpg x.pdf, then lp) and cups-filters imagetopdf run standalone (piped to lp), on a
6000 x 4000 and a 1000 x 800 JPEG photograph. Every tool submits to the same private print
server; wall time and peak memory (/usr/bin/time) are the median of the rounds, all pinned to
core 0; the job's size is what the server received.

Quillet's Print dialog is answered the moment it is seen; the time from its appearance to the
answer is a person's, not the program's, and is left out of Quillet's wall time. The time until
the dialog is on screen is reported apart (it is included in the wall time)."""

import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from quillet_e2e import Display, PrintServer  # noqa: E402

ROUNDS = int(os.environ.get("ROUNDS", "3"))
PINNED = ["taskset", "-c", "0"]
IMAGETOPDF = "/usr/lib/cups/filter/imagetopdf"

PEERS = {
    "imagemagick": "/usr/bin/convert \"$DOC\" \"$OUT/x.pdf\" && lp -s \"$OUT/x.pdf\"",
    "imagetopdf": f"{IMAGETOPDF} 1 bench bench 1 '' \"$DOC\" | lp -s",
}


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


def peak_kib(time_output):
    numbers = [line for line in time_output.strip().splitlines() if line.strip().isdigit()]
    return int(numbers[-1])


class Bench:
    def __init__(self, build, display, server, work):
        self.build = build
        self.display = display
        self.server = server
        self.work = work
        self.peer_home = work / "peer-home"
        # Debian's ImageMagick policy forbids writing PDF. A policy in MAGICK_CONFIGURE_PATH is
        # read before Debian's, whose refusal then wins; the user's own is read after it.
        policy_dir = self.peer_home / ".config" / "ImageMagick"
        policy_dir.mkdir(parents=True)
        shutil.copy2(pathlib.Path(__file__).with_name("policy.xml"), policy_dir / "policy.xml")
        self.env = {**os.environ, **server.env(), "HOME": str(self.peer_home),
                    "MAGICK_CONFIGURE_PATH": str(pathlib.Path(__file__).parent)}

    def job(self):
        jobs = self.server.jobs()
        if len(jobs) != 1:
            raise RuntimeError(f"expected one job, the server has {len(jobs)}")
        return jobs[0]

    def quillet(self, picture):
        program = self.work / "program"
        if program.exists():
            shutil.rmtree(program)
        program.mkdir()
        shutil.copy2(self.build / "quillet", program / "quillet")
        os.link(picture, program / picture.name)
        home = self.work / "home"
        (home / ".runtime").mkdir(parents=True, exist_ok=True)
        env = {"PATH": os.environ["PATH"], "HOME": str(home), "LANG": "C.UTF-8",
               "XDG_RUNTIME_DIR": str(home / ".runtime"), **self.display.env(),
               **self.server.env()}
        self.server.clear()
        timing = {}

        def answer_print_dialog():
            # On the other core, so that watching for the dialog does not slow the program.
            while "shown" not in timing and "exited" not in timing:
                found = subprocess.run(["taskset", "-c", "1", "xdotool", "search",
                                        "--onlyvisible", "--name", "^Print$"],
                                       env={**os.environ, **self.display.env()},
                                       capture_output=True, text=True).stdout.split()
                if found:
                    timing["shown"] = time.monotonic()
                    subprocess.run(["taskset", "-c", "1", "xdotool", "windowfocus", "--sync",
                                    found[-1], "key", "Return"],
                                   env={**os.environ, **self.display.env()}, check=True)
                    timing["confirmed"] = time.monotonic()
                else:
                    time.sleep(0.01)

        answerer = threading.Thread(target=answer_print_dialog)
        timing["started"] = time.monotonic()
        process = subprocess.Popen([*PINNED, "/usr/bin/time", "-f", "%M",
                                    str(program / "quillet"), picture.name], env=env,
                                   cwd=str(home), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, text=True)
        answerer.start()
        _, err = process.communicate(timeout=900)
        timing["exited"] = time.monotonic()
        answerer.join()
        answering = timing["confirmed"] - timing["shown"]
        return {"wall": timing["exited"] - timing["started"] - answering,
                "to_dialog": timing["shown"] - timing["started"],
                "peak_kib": peak_kib(err), "job_bytes": self.job().stat().st_size}

    def command(self, shell_command, picture, submits=True):
        """A peer: shell_command reads $DOC and, when it submits, hands the result to lp."""
        self.server.clear()
        out = self.work / "out"
        if out.exists():
            shutil.rmtree(out)
        out.mkdir()
        started = time.monotonic()
        result = subprocess.run([*PINNED, "/usr/bin/time", "-f", "%M", "sh", "-c",
                                 "set -e; " + shell_command],
                                env={**self.env, "DOC": str(picture), "OUT": str(out)},
                                capture_output=True, text=True)
        wall = time.monotonic() - started
        if result.returncode != 0:
            raise RuntimeError(f"{shell_command} failed: {result.stderr[-2000:]}")
        return {"wall": wall, "peak_kib": peak_kib(result.stderr),
                "job_bytes": self.job().stat().st_size if submits else 0}


def main():
    build = (REPO / sys.argv[1]).resolve() if len(sys.argv) > 1 else REPO / "build"
    if os.geteuid() != 0:
        sys.exit("The private print server needs root: run bench/pictures/run with sudo.")
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

    with tempfile.TemporaryDirectory(prefix="quillet-bench-pictures-") as tmp, \
            Display() as display:
        work = pathlib.Path(tmp)
        server = PrintServer(REPO / "scripts" / "print-server", work / "cups")
        server.start()
        try:
            bench = Bench(build, display, server, work)
            bench.quillet(inputs["1000x800 q92 4:2:0"])  # warms the caches: not measured
            plan = [(name, tool) for name in inputs
                    for tool in ["quillet", *PEERS, "djpeg"]]
            results = {key: [] for key in plan}
            for round_number in range(ROUNDS):
                order = plan if round_number % 2 == 0 else list(reversed(plan))
                for name, tool in order:
                    picture = inputs[name]
                    if tool == "quillet":
                        run = bench.quillet(picture)
                    elif tool == "djpeg":
                        run = bench.command("djpeg -outfile /dev/null \"$DOC\"", picture,
                                            submits=False)
                    else:
                        run = bench.command(PEERS[tool], picture)
                    results[(name, tool)].append(run)
                print(f"round {round_number + 1} of {ROUNDS} done", file=sys.stderr)
            camera_job = bench.quillet(camera)["job_bytes"]
        finally:
            server.stop()

    def median(key, field):
        return statistics.median(r[field] for r in results[key])

    print(f"Pictures, start to job handed to the print server; median of {ROUNDS} rounds, "
          "pinned to core 0")
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
    print(f"6000x4000 q97 4:2:2 (a camera's finest): JPEG file {camera.stat().st_size / 1e6:.2f} "
          f"MB, quillet's job {camera_job / 1e6:.2f} MB, "
          f"{camera_job / camera.stat().st_size:.2f} x the file")

    large, small = inputs
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
