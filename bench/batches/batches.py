"""PRINT_DIRECTORY over 30 and 300 pictures of 640 x 480, and lp with the same 300 files, against
one private print server. The Print dialog is answered as soon as it is on screen; the time spent
before it appears is reported apart from the printing."""

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

ROUNDS = 3
PINNED = ["taskset", "-c", "0"]


def make_pictures(folder, count):
    """count distinct 640 x 480 JPEG pictures, made once and reused."""
    folder.mkdir(parents=True, exist_ok=True)
    names = [f"photo{n:03d}.jpg" for n in range(count)]
    missing = [n for n in names if not (folder / n).exists()]
    for number, name in enumerate(missing):
        subprocess.run(["/usr/bin/convert", "-size", "640x480",
                        f"gradient:hsb({number * 37 % 360},80%,70%)-white",
                        "-fill", "black", "-pointsize", "96", "-gravity", "center",
                        "-annotate", "+0+0", name[5:8], "-quality", "85",
                        str(folder / name)], check=True)
    return [folder / n for n in names]


class Jobs:
    """The capture folder of the print server, counted."""

    def __init__(self, server):
        self.server = server

    def clear(self):
        self.server.clear()

    def count(self):
        return sum(1 for _ in self.server.jobs_dir.glob("job-*.pdf"))

    def wait_for(self, count, timeout=900):
        deadline = time.monotonic() + timeout
        while self.count() < count:
            if time.monotonic() > deadline:
                raise RuntimeError(f"only {self.count()} of {count} jobs arrived")
            time.sleep(0.02)
        return time.monotonic()


def peak_kib(time_output):
    return int(time_output.strip().splitlines()[-1])


def run_quillet(build, pictures, display, server, jobs, work):
    program = work / f"program{len(pictures)}"
    if program.exists():
        shutil.rmtree(program)
    program.mkdir()
    shutil.copy2(build / "quillet", program / "quillet")
    for picture in pictures:
        os.link(picture, program / picture.name)
    home = work / "home"
    (home / ".runtime").mkdir(parents=True, exist_ok=True)
    env = {"PATH": os.environ["PATH"], "HOME": str(home), "LANG": "C.UTF-8",
           "XDG_RUNTIME_DIR": str(home / ".runtime"), **display.env(), **server.env()}
    jobs.clear()
    timing = {}

    def answer_print_dialog():
        # Pinned to the other core, so that watching for the dialog does not slow the program.
        while "shown" not in timing:
            found = subprocess.run(["taskset", "-c", "1", "xdotool", "search", "--onlyvisible",
                                    "--name", "^Print$"], env={**os.environ, **display.env()},
                                   capture_output=True, text=True).stdout.split()
            if found:
                timing["shown"] = time.monotonic()
                subprocess.run(["xdotool", "windowfocus", "--sync", found[-1], "key", "Return"],
                               env={**os.environ, **display.env()}, check=True)
                timing["confirmed"] = time.monotonic()
            else:
                time.sleep(0.01)

    answerer = threading.Thread(target=answer_print_dialog)
    timing["started"] = time.monotonic()
    process = subprocess.Popen([*PINNED, "/usr/bin/time", "-f", "%M", str(program / "quillet"),
                                "PRINT_DIRECTORY"], env=env, cwd=str(home),
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    answerer.start()
    answerer.join(timeout=120)
    _, err = process.communicate(timeout=900)
    timing["exited"] = time.monotonic()
    last_job = jobs.wait_for(len(pictures))
    printing = last_job - timing["confirmed"]
    return {
        "jobs": len(pictures),
        "until_dialog": timing["shown"] - timing["started"],
        "answer": timing["confirmed"] - timing["shown"],
        "printing": printing,
        "jobs_per_s": len(pictures) / printing,
        "peak_kib": peak_kib(err),
    }


def run_lp(pictures, server, jobs):
    """One lp per picture, as one print job each, as fast as lp goes."""
    jobs.clear()
    peak = 0
    started = time.monotonic()
    for picture in pictures:
        result = subprocess.run([*PINNED, "/usr/bin/time", "-f", "%M", "lp", "-s", str(picture)],
                                env={**os.environ, **server.env()}, capture_output=True,
                                text=True, check=True)
        peak = max(peak, peak_kib(result.stderr))
    last_job = jobs.wait_for(len(pictures))
    printing = last_job - started
    return {"jobs": len(pictures), "printing": printing,
            "jobs_per_s": len(pictures) / printing, "peak_kib": peak}


def median_of(runs, key):
    return statistics.median(r[key] for r in runs)


def main():
    build = (REPO / sys.argv[1]).resolve() if len(sys.argv) > 1 else REPO / "build"
    if os.geteuid() != 0:
        sys.exit("The private print server needs root: run bench/batches/run with sudo.")
    cache = pathlib.Path(tempfile.gettempdir()) / "quillet-bench-pictures"
    pictures = make_pictures(cache, 300)
    with tempfile.TemporaryDirectory(prefix="quillet-bench-") as tmp, Display() as display:
        work = pathlib.Path(tmp)
        server = PrintServer(REPO / "scripts" / "print-server", work / "cups")
        server.start()
        try:
            jobs = Jobs(server)
            results = {"quillet 30": [], "quillet 300": [], "lp 300": []}
            for round_number in range(ROUNDS):
                # Alternated, so that each one meets the machine in the same states.
                results["quillet 30"].append(
                    run_quillet(build, pictures[:30], display, server, jobs, work))
                results["quillet 300"].append(
                    run_quillet(build, pictures, display, server, jobs, work))
                results["lp 300"].append(run_lp(pictures, server, jobs))
                print(f"round {round_number + 1} of {ROUNDS} done", file=sys.stderr)
        finally:
            server.stop()

    print(f"PRINT_DIRECTORY over 640 x 480 JPEG pictures, median of {ROUNDS} rounds, pinned to "
          "core 0")
    print(f"{'':12} {'jobs':>5} {'to dialog s':>12} {'answer ms':>10} {'printing s':>11} "
          f"{'jobs/s':>8} {'peak MiB':>9}")
    for name, runs in results.items():
        to_dialog = f"{median_of(runs, 'until_dialog'):12.2f}" if "until_dialog" in runs[0] \
            else f"{'':>12}"
        answer = f"{median_of(runs, 'answer') * 1000:10.0f}" if "answer" in runs[0] \
            else f"{'':>10}"
        print(f"{name:12} {runs[0]['jobs']:5d} {to_dialog} {answer} "
              f"{median_of(runs, 'printing'):11.2f} {median_of(runs, 'jobs_per_s'):8.1f} "
              f"{median_of(runs, 'peak_kib') / 1024:9.1f}")
    q30, q300, lp = (results[k] for k in ("quillet 30", "quillet 300", "lp 300"))
    memory_ratio = median_of(q300, "peak_kib") / median_of(q30, "peak_kib")
    speed_ratio = median_of(q300, "jobs_per_s") / median_of(lp, "jobs_per_s")
    print(f"\npeak memory 300 / 30 pictures: {memory_ratio:.2f} (target: at most 1)")
    print(f"throughput quillet / lp over 300 pictures: {speed_ratio:.2f} (target: at least 1)")


if __name__ == "__main__":
    main()
