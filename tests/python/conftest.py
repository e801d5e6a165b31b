"""Shared fixtures of the Python module's tests: the paths of the sources
and of the built program (set by CTest; by hand, the defaults of a build in
build/), and a run of the command line in a scratch folder."""
import os
import pathlib
import subprocess

import pytest

SOURCE = pathlib.Path(os.environ.get("SLUG_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))
EXE = pathlib.Path(os.environ.get("SLUGWELL_EXE", SOURCE / "build" / "slugwell"))
EXAMPLES = sorted((SOURCE / "examples").glob("*.txt"))
DATA = SOURCE / "tests" / "data"


@pytest.fixture
def cli(tmp_path):
    """Runs slugwell with the arguments in a scratch folder (the exit status
    must be `status`); returns that folder, with the output and error
    streams in stdout.txt and stderr.txt."""

    def run(*args, status=0):
        done = subprocess.run([str(EXE), *map(str, args)], cwd=tmp_path, capture_output=True, text=True)
        assert done.returncode == status, done.stderr
        (tmp_path / "stdout.txt").write_text(done.stdout)
        (tmp_path / "stderr.txt").write_text(done.stderr)
        return tmp_path

    return run
