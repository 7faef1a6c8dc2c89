"""The web page road as a person meets it: the small "Quillet" window, the browser's print
dialog, one print job with the page's text, and the program closing itself about 4 s after the
print command returned."""

import os
import pathlib
import subprocess
import time

from quillet_e2e import Run, pdf_fonts, pdf_pages, pdf_text

PAGE = """<!doctype html>
<html><head><meta charset="utf-8"><title>Harvest report</title>
<style>
  body { font-family: serif; margin: 2em; }
  h1 { color: darkred; border-bottom: 2px solid #444; }
  .note { font-style: italic; color: #335; }
  table { border-collapse: collapse; }
  td, th { border: 1px solid #666; padding: 4px 10px; }
</style></head>
<body>
  <h1>Harvest report</h1>
  <p class="note">Gathered in the orchard behind the mill.</p>
  <table>
    <tr><th>Fruit</th><th>Crates</th></tr>
    <tr><td>Quinces</td><td>42</td></tr>
    <tr><td>Medlars</td><td>17</td></tr>
  </table>
  <p><img src="orchard.png" alt="orchard" width="240" height="120"></p>
  <iframe src="frame.html" width="400" height="80"></iframe>
</body></html>
"""

FRAME = """<!doctype html><html><body><p>Framed greetings from the cellar</p></body></html>"""

WORDS = ["Harvest report", "Gathered in the orchard", "Quinces", "42", "Medlars", "17",
         "Framed greetings from the cellar"]


def add_page(quillet, name="page.html"):
    quillet.add_file(name, PAGE)
    quillet.add_file("frame.html", FRAME)
    subprocess.run(["convert", "-size", "240x120", "gradient:navy-gold",
                    str(quillet.program_dir / "orchard.png")], check=True)


def wait_for_job(quillet, timeout=30):
    """The first job's file, as soon as the print server has it, and the moment it arrived."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        jobs = sorted(quillet.print_server.jobs_dir.glob("job-*.pdf"))
        if jobs:
            return jobs[0], time.monotonic()
        time.sleep(0.05)
    raise AssertionError("no print job arrived")


def wait_for_exit(run, timeout=30):
    run.wait(timeout)
    return time.monotonic()


def mapped_files(run):
    return pathlib.Path(f"/proc/{run.process.pid}/maps").read_text()


def test_return_in_the_browsers_dialog_prints_the_page_and_the_program_closes(quillet, display):
    add_page(quillet)
    before = quillet.snapshot()
    run = quillet.start("page.html")

    window = display.wait_window("^Quillet$")
    assert display.window_name(window) == "Quillet"
    geometry = display.window_geometry(window)
    assert int(geometry["HEIGHT"]) <= 4 and int(geometry["WIDTH"]) <= 200

    dialog = quillet.print_dialog()
    assert "libquillet_web.so" in mapped_files(run)
    display.key(dialog, "Return")
    job, handed_over = wait_for_job(quillet)
    exited = wait_for_exit(run)

    assert run.process.returncode == 0
    assert 3.5 <= exited - handed_over <= 10
    assert run.stdout == b"" and run.stderr == b""
    jobs = quillet.print_server.jobs()
    assert jobs == [job]
    text = pdf_text(job)
    for words in WORDS:
        assert words in text
    # Text stays text, and no header or footer with the address or the date is added.
    assert "Type 3" not in pdf_fonts(job) and len(pdf_fonts(job).splitlines()) > 2
    assert "file:" not in text and "page.html" not in text and time.strftime("%Y") not in text
    assert pdf_pages(job) == 1
    assert quillet.snapshot() == before


def test_escape_in_the_browsers_dialog_prints_nothing_and_still_closes(quillet, display):
    add_page(quillet, "page.htm")
    before = quillet.snapshot()
    run = quillet.start("page.htm")
    dialog = quillet.print_dialog()
    display.key(dialog, "Escape")
    cancelled = time.monotonic()
    exited = wait_for_exit(run)
    assert run.process.returncode == 0
    assert 3.5 <= exited - cancelled <= 10
    assert quillet.print_server.jobs() == []
    assert quillet.snapshot() == before


def test_a_capitalised_extension_takes_the_picture_road(quillet, display):
    # The executable does not link the web engine; only the web page road loads its module.
    linked = subprocess.run(["ldd", str(quillet.executable)], capture_output=True, text=True,
                            check=True).stdout
    assert "WebEngine" not in linked and "libquillet_web" not in linked
    add_page(quillet, "page.HTM")
    run = quillet.start("page.HTM")
    dialog = quillet.print_dialog()
    # Quillet's own confirmation, with the web engine never loaded.
    maps = mapped_files(run)
    assert "libquillet_web.so" not in maps and "WebEngine" not in maps
    assert display.visible_windows("^Quillet$") == []
    display.key(dialog, "Return")
    assert run.wait() == 0
    assert quillet.print_server.jobs() == []


def test_a_missing_page_leaves_the_window_until_it_is_closed(quillet, display):
    before = quillet.snapshot()
    run = quillet.start("gone.htm")
    display.wait_window("^Quillet$")
    time.sleep(6)
    assert run.running()
    assert display.visible_windows("^Print$") == []
    # The window as it is now: the browser may have replaced the one first shown.
    display.close(display.wait_window("^Quillet$"))
    assert run.wait(timeout=10) == 0
    assert run.stderr == b""
    assert quillet.print_server.jobs() == []
    assert quillet.snapshot() == before


def test_root_needs_no_sandbox_setting_of_its_own(quillet, display):
    # The harness turns Chromium's sandbox off; a person running as root would not have.
    assert os.geteuid() == 0  # the private print server already needs root
    add_page(quillet)
    env = quillet.env()
    del env["QTWEBENGINE_DISABLE_SANDBOX"]
    process = subprocess.Popen([str(quillet.executable), "page.html"], env=env,
                               cwd=str(quillet.home), stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    run = Run(process, display)
    try:
        display.key(quillet.print_dialog(), "Escape")
        assert run.wait() == 0
        assert run.stderr == b""
    finally:
        run.kill()
