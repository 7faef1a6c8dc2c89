"""What the benchmarks share: a private display and print server, Quillet run from its own
program folder with its Print dialog answered from the other core, peers run under
/usr/bin/time, and the figures read back. Every measured program is pinned to core 0 (the
machine's cores differ in speed); whatever watches it runs on core 1 or in this process.

The drivers say what is measured and compared; nothing here decides that."""

import contextlib
import os
import pathlib
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

from quillet_e2e import Display, PrintServer  # noqa: E402

PINNED = ["taskset", "-c", "0"]
WATCHER = ["taskset", "-c", "1"]
# One marked line, so that what a program writes on stderr is never read as a figure.
TIME_FORMAT = "quillet-bench %e %U %S %M"


def build_folder():
    """The build folder named on the command line (relative to the repository), by default
    build; the print server needs root, so the benchmark stops here without it."""
    build = (REPO / sys.argv[1]).resolve() if len(sys.argv) > 1 else REPO / "build"
    if os.geteuid() != 0:
        script = pathlib.Path(sys.argv[0]).resolve().parent.relative_to(REPO) / "run"
        sys.exit(f"The private print server needs root: run {script} with sudo.")
    return build


def rounds(default):
    return int(os.environ.get("ROUNDS", str(default)))


def alternating_rounds(plan, count, run):
    """{item: [run(*item) of each round]}: the plan count times, every other round backwards so
    that no run always meets the machine in the same state; each round's end is reported on
    stderr."""
    results = {item: [] for item in plan}
    for number in range(count):
        for item in (plan if number % 2 == 0 else list(reversed(plan))):
            results[item].append(run(*item))
        round_done(number, count)
    return results


def round_done(number, count):
    print(f"round {number + 1} of {count} done", file=sys.stderr)


def heading(subject, count):
    """The title of a table of runs from start to job handed over, measured as here."""
    return (f"{subject}, start to job handed to the print server; median of {count} rounds, "
            "pinned to core 0")


def median(runs, field):
    return statistics.median(run[field] for run in runs)


def medians_of(results):
    """median(key, field): the median over the rounds of results[key]."""
    return lambda key, field: median(results[key], field)


def pages_of(job):
    """Pages of a PDF (pdfinfo) or of a PostScript job (its %%Page: comments)."""
    data = job.read_bytes()
    if data.startswith(b"%PDF"):
        out = subprocess.run(["pdfinfo", str(job)], capture_output=True, text=True).stdout
        return int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))
    return data.count(b"\n%%Page: ")


class Run:
    """One measured process: moments in timing (started, exited, and what was watched for),
    CPU seconds and peak KiB from /usr/bin/time, and what the watches found."""

    def __init__(self, timing, found, returncode, stderr):
        self.timing = timing
        self.found = found
        self.returncode = returncode
        self.stderr = stderr
        line = [l for l in stderr.splitlines() if l.startswith("quillet-bench ")][-1]
        _, _, user, system, peak = line.split()
        self.cpu = float(user) + float(system)
        self.peak_kib = int(peak)

    def seconds(self, start, end):
        return self.timing[end] - self.timing[start]

    @property
    def wall(self):
        return self.seconds("started", "exited")

    @property
    def handed_over(self):
        """From the start to the job's arrival at the print server, when a job was watched for
        (see Session.job_arrival); otherwise to the process's end."""
        return self.seconds("started", "job") if "job" in self.timing else self.wall

    @property
    def answering(self):
        """From the Print dialog on screen to its answer: a person's time, not the program's."""
        return self.seconds("shown", "confirmed")


def _answer_print_dialog(display, timing):
    # On the other core, so that watching for the dialog does not slow the program.
    env = {**os.environ, **display.env()}
    while "shown" not in timing and "exited" not in timing:
        found = subprocess.run([*WATCHER, "xdotool", "search", "--onlyvisible", "--name",
                                "^Print$"], env=env, capture_output=True, text=True).stdout.split()
        if found:
            timing["shown"] = time.monotonic()
            subprocess.run([*WATCHER, "xdotool", "windowfocus", "--sync", found[-1], "key",
                            "Return"], env=env, check=True)
            timing["confirmed"] = time.monotonic()
        else:
            time.sleep(0.01)


def _watch(name, look, timing, found):
    while name not in timing and "exited" not in timing:
        seen = look()
        if seen:
            timing[name] = time.monotonic()
            found[name] = seen
        else:
            time.sleep(0.005)


def measure(command, env, cwd=None, timeout=None, dialog_on=None, watch=None):
    """Runs command pinned to core 0 under /usr/bin/time. With dialog_on (a Display), its Print
    dialog is answered the moment it is on screen. watch maps a name to a function polled while
    the process runs: the moment it first returns something is timing[name], the thing
    found[name]."""
    timing, found = {}, {}
    threads = [threading.Thread(target=_watch, args=(name, look, timing, found))
               for name, look in (watch or {}).items()]
    if dialog_on is not None:
        threads.append(threading.Thread(target=_answer_print_dialog, args=(dialog_on, timing)))
    timing["started"] = time.monotonic()
    process = subprocess.Popen([*PINNED, "/usr/bin/time", "-f", TIME_FORMAT, *command], env=env,
                               cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                               text=True)
    for thread in threads:
        thread.start()
    try:
        _, err = process.communicate(timeout=timeout)
    finally:
        if process.poll() is None:  # timed out: the watchers stop with it
            process.kill()
            process.communicate()
        timing["exited"] = time.monotonic()
        for thread in threads:
            thread.join()
    if dialog_on is not None and "confirmed" not in timing:
        raise RuntimeError(f"{command[0]} ended without showing its Print dialog: {err[-2000:]}")
    return Run(timing, found, process.returncode, err)


class Session:
    """A benchmark's work folder, display and print server, and the build under test."""

    def __init__(self, build, work, display, server):
        self.build = build
        self.work = work
        self.display = display
        self.server = server

    def home(self, name, fresh=False):
        """A home folder with its runtime folder; fresh empties it first."""
        home = self.work / name
        if fresh and home.exists():
            shutil.rmtree(home)
        (home / ".runtime").mkdir(parents=True, exist_ok=True)
        return home

    def program_env(self, home, display=True):
        """The environment a person's session gives a program: this home, the private print
        server and, with display, the private display."""
        env = {"PATH": os.environ["PATH"], "HOME": str(home), "LANG": "C.UTF-8",
               "XDG_RUNTIME_DIR": str(home / ".runtime"), **self.server.env()}
        if display:
            env.update(self.display.env())
        return env

    def quillet(self, args, inputs, folder="program", libraries=(), home="home",
                fresh_home=False, timeout=900, watch=None):
        """Quillet started as a person would: a fresh program folder holding the executable
        (and libraries) with the inputs linked in, an empty print server, and the Print dialog
        answered on sight."""
        program = self.work / folder
        if program.exists():
            shutil.rmtree(program)
        program.mkdir()
        for name in ["quillet", *libraries]:
            shutil.copy2(self.build / name, program / name)
        for item in inputs:
            os.link(item, program / item.name)
        home = self.home(home, fresh=fresh_home)
        env = self.program_env(home)
        self.server.clear()
        return measure([str(program / "quillet"), *args], env, cwd=str(home), timeout=timeout,
                       dialog_on=self.display, watch=watch)

    def job_arrival(self):
        """A watch for the first job to reach the print server's capture folder (whole files
        only), the moment a job counts as handed over."""
        return {"job": lambda: next(self.server.jobs_dir.glob("job-*.pdf"), None)}

    def shell(self, shell_command, doc, env, watch=None):
        """A peer as a shell command that reads $DOC, may write to the empty folder $OUT, and
        hands its job to lp; it starts with an empty print server and must succeed."""
        self.server.clear()
        out = self.work / "out"
        if out.exists():
            shutil.rmtree(out)
        out.mkdir()
        run = measure(["sh", "-c", "set -e; " + shell_command],
                      {**env, "DOC": str(doc), "OUT": str(out)}, watch=watch)
        if run.returncode != 0:
            raise RuntimeError(f"{shell_command} failed: {run.stderr[-2000:]}")
        return run

    def job(self):
        """The one job the print server received."""
        jobs = self.server.jobs()
        if len(jobs) != 1:
            raise RuntimeError(f"expected one job, the server has {len(jobs)}")
        return jobs[0]


@contextlib.contextmanager
def session(build, prefix):
    """A temporary work folder, a private display and a private print server, for one run of a
    benchmark."""
    with tempfile.TemporaryDirectory(prefix=prefix) as tmp, Display() as display:
        work = pathlib.Path(tmp)
        server = PrintServer(REPO / "scripts" / "print-server", work / "cups")
        server.start()
        try:
            yield Session(build, work, display, server)
        finally:
            server.stop()
