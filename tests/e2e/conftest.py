"""End-to-end harness: the built executable in a temporary program directory, a virtual display,
a private print server, and the dialogs answered from the keyboard as a person would."""

import os
import pathlib
import shutil
import subprocess
import time

import pytest

from quillet_e2e import Display, PrintServer, Quillet

REPO = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("QUILLET_BUILD_DIR", REPO / "build"))


@pytest.fixture(scope="session")
def display():
    with Display() as d:
        yield d


@pytest.fixture(scope="session")
def print_server(tmp_path_factory):
    server = PrintServer(REPO / "scripts" / "print-server", tmp_path_factory.mktemp("cups"))
    server.start()
    yield server
    server.stop()


@pytest.fixture
def quillet(tmp_path, display, print_server):
    """A fresh program directory holding the executable (and the web engine module when built),
    with a private home directory; the print server's capture folder starts empty."""
    print_server.clear()
    program_dir = tmp_path / "program"
    home = tmp_path / "home"
    program_dir.mkdir()
    home.mkdir()
    for name in ["quillet", "libquillet_web.so"]:
        if (BUILD / name).exists():
            shutil.copy2(BUILD / name, program_dir / name)
    return Quillet(program_dir, home, display, print_server)
