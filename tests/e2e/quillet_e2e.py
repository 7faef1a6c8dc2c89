"""Helpers for the end-to-end tests: Xvfb, xdotool, the private CUPS server, PDF inspection."""

import ctypes
import hashlib
import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile
import time


class Display:
    """A private Xvfb display; maps of top-level windows are logged for the whole session. With
    use_existing, the display of the session is used instead when there is one."""

    def __init__(self, use_existing=False):
        self.use_existing = use_existing and bool(os.environ.get("DISPLAY"))
        self.process = None

    def __enter__(self):
        if self.use_existing:
            self.name = os.environ["DISPLAY"]
            return self
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as reader:
            number = reader.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = f":{number}"
        self._map_log = tempfile.NamedTemporaryFile(prefix="xmaps", suffix=".log", delete=False)
        self._watcher = subprocess.Popen(
            ["xev", "-display", self.name, "-root", "-event", "substructure"],
            stdout=self._map_log, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
        return self

    def __exit__(self, *exc):
        if self.process is None:
            return
        self._watcher.terminate()
        self._watcher.wait()
        self.process.terminate()
        self.process.wait()
        os.unlink(self._map_log.name)

    def env(self):
        return {"DISPLAY": self.name}

    def map_count(self):
        """How many times a top-level window has been mapped on this display so far."""
        self._map_log.flush()
        time.sleep(0.2)  # let xev write what it has seen
        return pathlib.Path(self._map_log.name).read_text(errors="replace").count("MapNotify event")

    def xdotool(self, *args, check=True, timeout=20):
        return subprocess.run(["xdotool", *args], env={**os.environ, **self.env()},
                              capture_output=True, text=True, check=check, timeout=timeout)

    def visible_windows(self, name):
        result = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in result.stdout.split() if w]

    def wait_window(self, name, timeout=20):
        """The id of a visible window whose title matches the regular expression name."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            windows = self.visible_windows(name)
            if windows:
                return windows[-1]
            time.sleep(0.1)
        raise AssertionError(f"no window named {name!r} appeared within {timeout} s")

    def window_name(self, window):
        return self.xdotool("getwindowname", window).stdout.strip()

    def window_geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window).stdout
        return dict(line.split("=", 1) for line in out.split())

    def key(self, window, *keys):
        """Focuses the window and presses keys on the keyboard."""
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.2)
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, window, text):
        self.xdotool("windowfocus", "--sync", window)
        time.sleep(0.2)
        self.xdotool("type", "--delay", "20", text)

    def close(self, window):
        """Closes the window from outside, as a window manager's close button does: sends the
        client WM_DELETE_WINDOW (xdotool's windowclose destroys the window instead)."""
        x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

        # Xlib's own error handler ends the process, the test runner with it: a window that is
        # gone by now is an error of the test instead.
        errors = []
        handler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
            lambda _display, _event: errors.append(1) or 0)
        x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler.restype = ctypes.c_void_p
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        previous = x11.XSetErrorHandler(ctypes.cast(handler, ctypes.c_void_p))
        connection = x11.XOpenDisplay(self.name.encode())
        if not connection:
            x11.XSetErrorHandler(previous)
            raise RuntimeError(f"cannot open display {self.name}")
        try:
            event = Event()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = int(window)
            event.xclient.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
            event.xclient.format = 32
            event.xclient.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
            event.xclient.data[1] = 0  # CurrentTime
            x11.XSendEvent(connection, int(window), 0, 0, ctypes.byref(event))
            x11.XSync(connection, 0)
        finally:
            x11.XCloseDisplay(connection)
            x11.XSetErrorHandler(previous)
        if errors:
            raise AssertionError(f"window {window} is gone")


class PrintServer:
    """The private CUPS server of scripts/print-server, with a capture printer as default."""

    def __init__(self, script, directory):
        self.script = str(script)
        self.directory = pathlib.Path(directory)
        self.jobs_dir = self.directory / "jobs"

    def start(self):
        subprocess.run([self.script, "start", str(self.directory)], check=True)

    def stop(self):
        subprocess.run([self.script, "stop", str(self.directory)], check=False)

    def env(self):
        return {"CUPS_SERVER": str(self.directory / "cups.sock")}

    def wait_idle(self):
        subprocess.run([self.script, "wait", str(self.directory)], check=True)

    def clear(self):
        self.wait_idle()
        for job in self.jobs_dir.glob("job-*"):
            job.unlink()

    def jobs(self):
        """The documents received so far, in the order the server numbered them."""
        self.wait_idle()
        return sorted(self.jobs_dir.glob("job-*.pdf"))


class Run:
    """A started Quillet process."""

    def __init__(self, process, display):
        self.process = process
        self.display = display
        self.stdout = b""
        self.stderr = b""

    def wait(self, timeout=30):
        try:
            self.stdout, self.stderr = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.stdout, self.stderr = self.process.communicate()
            raise AssertionError(f"quillet still running after {timeout} s")
        return self.process.returncode

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.communicate()


class Quillet:
    """The executable in its program directory, run as a person would start it."""

    def __init__(self, program_dir, home, display, print_server):
        self.program_dir = pathlib.Path(program_dir)
        self.home = pathlib.Path(home)
        self.display = display
        self.print_server = print_server
        self._runs = []

    @property
    def executable(self):
        return self.program_dir / "quillet"

    def env(self, extra=None):
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": str(self.home / ".runtime"),
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
            **self.display.env(),
            **self.print_server.env(),
        }
        (self.home / ".runtime").mkdir(mode=0o700, exist_ok=True)
        env.update(extra or {})
        return env

    def start(self, *args, env=None):
        """Starts quillet with raw arguments (str or bytes), from an unrelated working folder."""
        process = subprocess.Popen([str(self.executable), *args], env=self.env(env),
                                   cwd=str(self.home), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        run = Run(process, self.display)
        self._runs.append(run)
        return run

    def add_file(self, name, content):
        path = self.program_dir / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content if isinstance(content, bytes) else content.encode())
        return path

    def snapshot(self):
        """Names and contents of every file under the program and home directories."""
        files = {}
        for root in (self.program_dir, self.home):
            for path in root.rglob("*"):
                if path.is_file() and ".runtime" not in path.parts:
                    files[str(path)] = hashlib.sha256(path.read_bytes()).hexdigest()
        return files

    def print_dialog(self, timeout=20):
        return self.display.wait_window("^Print$", timeout)

    def cleanup(self):
        for run in self._runs:
            run.kill()


def pdf_pages(path):
    out = subprocess.run(["pdfinfo", str(path)], capture_output=True, text=True, check=True).stdout
    return int(re.search(r"^Pages:\s+(\d+)", out, re.M).group(1))


def pdf_page_size_points(path):
    out = subprocess.run(["pdfinfo", str(path)], capture_output=True, text=True, check=True).stdout
    match = re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", out, re.M)
    return float(match.group(1)), float(match.group(2))


def pdf_text(path, first=None, last=None):
    args = ["pdftotext", "-layout"]
    if first:
        args += ["-f", str(first)]
    if last:
        args += ["-l", str(last)]
    return subprocess.run([*args, str(path), "-"], capture_output=True, text=True,
                          check=True).stdout


def pdf_fonts(path):
    return subprocess.run(["pdffonts", str(path)], capture_output=True, text=True,
                          check=True).stdout


def ink_box_cm(path, page=1, dpi=100, threshold=200):
    """The bounding box (left, top, right, bottom) of the ink on a page, in centimetres from the
    paper's top-left corner."""
    with tempfile.TemporaryDirectory() as tmp:
        prefix = pathlib.Path(tmp) / "page"
        subprocess.run(["pdftoppm", "-gray", "-r", str(dpi), "-f", str(page), "-l", str(page),
                        str(path), str(prefix)], check=True)
        pgm = next(pathlib.Path(tmp).glob("page*.pgm")).read_bytes()
    header = re.match(rb"P5\s+(\d+)\s+(\d+)\s+\d+\s", pgm)
    width, height = int(header.group(1)), int(header.group(2))
    pixels = pgm[header.end():]
    left, top, right, bottom = width, height, -1, -1
    for y in range(height):
        row = pixels[y * width:(y + 1) * width]
        xs = [x for x, v in enumerate(row) if v < threshold]
        if xs:
            top = min(top, y)
            bottom = y
            left = min(left, xs[0])
            right = max(right, xs[-1])
    if right < 0:
        return None
    to_cm = 2.54 / dpi
    return (left * to_cm, top * to_cm, (right + 1) * to_cm, (bottom + 1) * to_cm)
