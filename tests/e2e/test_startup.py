"""Start-up as a person meets it: short arguments end at once without a window, any other name
asks for confirmation in the Print dialog, and no argument makes the program crash or talk."""

import time

import pytest


def test_no_argument_or_a_short_one_ends_at_once_without_a_window(quillet, display):
    maps_before = display.map_count()
    for args in ([], ["abcd"], ["\u00e9\u00e8.\u00fc"]):
        started = time.monotonic()
        run = quillet.start(*args)
        assert run.wait(timeout=5) == 0
        assert time.monotonic() - started < 1.0
        assert run.stdout == b"" and run.stderr == b""
    assert display.map_count() == maps_before
    assert quillet.print_server.jobs() == []


def test_escape_in_the_print_dialog_cancels(quillet):
    quillet.add_file("photo.jpg", b"not looked at before the dialog")
    run = quillet.start("photo.jpg")
    dialog = quillet.print_dialog()
    quillet.display.key(dialog, "Escape")
    assert run.wait() == 0
    assert run.stderr == b""
    assert quillet.print_server.jobs() == []


def test_return_in_the_print_dialog_confirms_and_the_program_ends(quillet):
    run = quillet.start("missing.jpg")
    dialog = quillet.print_dialog()
    quillet.display.key(dialog, "Return")
    assert run.wait() == 0
    assert run.stderr == b""
    assert quillet.print_server.jobs() == []  # no such picture: nothing to print


def test_only_the_print_dialog_is_mapped_on_the_picture_road(quillet, display):
    maps_before = display.map_count()
    run = quillet.start("photo.jpg")
    quillet.display.key(quillet.print_dialog(), "Escape")
    assert run.wait() == 0
    assert quillet.display.visible_windows("^Quillet$") == []
    assert display.map_count() - maps_before >= 1  # the dialog itself


@pytest.mark.parametrize("argument", [
    b"\xff\xfe\xfd.jpg",                # not UTF-8
    b"caf\xc3\xa9 \"quoted\" name.png",  # quotes and spaces stay in the name
    b"x" * 40000 + b".html",            # longer than a 16-bit position
    b"-platform offscreen.jpg",         # looks like an option of the toolkit
    b"../../etc/passwd",
])
def test_odd_arguments_never_crash_and_never_talk(quillet, argument):
    run = quillet.start(argument)
    quillet.display.key(quillet.print_dialog(), "Escape")
    assert run.wait() == 0
    assert run.stdout == b"" and run.stderr == b""
    assert quillet.print_server.jobs() == []


def test_several_arguments_form_one_command_text(quillet):
    # "a b.txt" is the name of one document here, not two arguments.
    run = quillet.start("my", "notes.txt")
    quillet.display.key(quillet.print_dialog(), "Escape")
    assert run.wait() == 0
