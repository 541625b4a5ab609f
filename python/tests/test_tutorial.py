"""The tutorial of the user guide runs as printed."""

import os
import pathlib
import subprocess
import sys

import lxcamerautils as lx
from conftest import EXAMPLES

TUTORIAL = pathlib.Path(os.environ.get("LX_PYTHON_DIR", pathlib.Path(__file__).parents[1])) / "examples" / "tutorial.py"


def test_the_tutorial_runs_from_start_to_end(tmp_path):
    run = subprocess.run([sys.executable, str(TUTORIAL), str(EXAMPLES)], cwd=tmp_path,
                         env={**os.environ, "PYTHONPATH": str(pathlib.Path(lx.__file__).parents[1])},
                         capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    assert "refused: key 'focus'" in run.stdout
    assert list(tmp_path.iterdir()) == []
