"""PRINT_DIRECTORY over 30 and 300 pictures of 640 x 480, and lp with the same 300 files, against
one private print server. The Print dialog is answered as soon as it is on screen; the time spent
before it appears is reported apart from the printing."""

import os
import pathlib
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1]))

from benchlib import build_folder, measure, median, round_done, session  # noqa: E402

ROUNDS = 3


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


def run_quillet(bench_session, pictures, jobs):
    run = bench_session.quillet(["PRINT_DIRECTORY"], pictures, folder=f"program{len(pictures)}")
    last_job = jobs.wait_for(len(pictures))
    printing = last_job - run.timing["confirmed"]
    return {
        "jobs": len(pictures),
        "until_dialog": run.seconds("started", "shown"),
        "answer": run.answering,
        "printing": printing,
        "jobs_per_s": len(pictures) / printing,
        "peak_kib": run.peak_kib,
    }


def run_lp(pictures, server, jobs):
    """One lp per picture, as one print job each, as fast as lp goes."""
    jobs.clear()
    peak = 0
    started = time.monotonic()
    for picture in pictures:
        run = measure(["lp", "-s", str(picture)], {**os.environ, **server.env()})
        if run.returncode != 0:
            raise RuntimeError(f"lp failed: {run.stderr[-2000:]}")
        peak = max(peak, run.peak_kib)
    last_job = jobs.wait_for(len(pictures))
    printing = last_job - started
    return {"jobs": len(pictures), "printing": printing,
            "jobs_per_s": len(pictures) / printing, "peak_kib": peak}


def main():
    build = build_folder()
    cache = pathlib.Path(tempfile.gettempdir()) / "quillet-bench-pictures"
    pictures = make_pictures(cache, 300)
    with session(build, "quillet-bench-") as bench_session:
        jobs = Jobs(bench_session.server)
        results = {"quillet 30": [], "quillet 300": [], "lp 300": []}
        for round_number in range(ROUNDS):
            # Alternated, so that each one meets the machine in the same states.
            results["quillet 30"].append(run_quillet(bench_session, pictures[:30], jobs))
            results["quillet 300"].append(run_quillet(bench_session, pictures, jobs))
            results["lp 300"].append(run_lp(pictures, bench_session.server, jobs))
            round_done(round_number, ROUNDS)

    print(f"PRINT_DIRECTORY over 640 x 480 JPEG pictures, median of {ROUNDS} rounds, pinned to "
          "core 0")
    print(f"{'':12} {'jobs':>5} {'to dialog s':>12} {'answer ms':>10} {'printing s':>11} "
          f"{'jobs/s':>8} {'peak MiB':>9}")
    for name, runs in results.items():
        to_dialog = f"{median(runs, 'until_dialog'):12.2f}" if "until_dialog" in runs[0] \
            else f"{'':>12}"
        answer = f"{median(runs, 'answer') * 1000:10.0f}" if "answer" in runs[0] \
            else f"{'':>10}"
        print(f"{name:12} {runs[0]['jobs']:5d} {to_dialog} {answer} "
              f"{median(runs, 'printing'):11.2f} {median(runs, 'jobs_per_s'):8.1f} "
              f"{median(runs, 'peak_kib') / 1024:9.1f}")
    q30, q300, lp = (results[k] for k in ("quillet 30", "quillet 300", "lp 300"))
    memory_ratio = median(q300, "peak_kib") / median(q30, "peak_kib")
    speed_ratio = median(q300, "jobs_per_s") / median(lp, "jobs_per_s")
    print(f"\npeak memory 300 / 30 pictures: {memory_ratio:.2f} (target: at most 1)")
    print(f"throughput quillet / lp over 300 pictures: {speed_ratio:.2f} (target: at least 1)")


if __name__ == "__main__":
    main()
