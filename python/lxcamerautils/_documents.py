"""Reading and writing document files.

A file is never left half written: a regular file is replaced by a complete
temporary file beside it, keeping its permission bits, owner and group; a
symbolic link is followed and its final target written by these rules; a
FIFO, device or socket is written through, never replaced.
"""

from __future__ import annotations

import itertools
import os
import stat

_counter = itertools.count()


def read_file(path) -> bytes:
    """The bytes of the file at ``path``; OSError when it cannot be read."""
    with open(path, "rb") as file:
        return file.read()


def write_file(path, text: str) -> None:
    """Writes ``text`` (UTF-8) to ``path``; OSError when it cannot."""
    data = text.encode("utf-8", "surrogateescape")
    target = os.path.realpath(path)
    try:
        existing = os.stat(target)
    except FileNotFoundError:
        existing = None
    if existing is not None and not stat.S_ISREG(existing.st_mode):
        with open(target, "wb") as file:
            file.write(data)
        return
    temporary = f"{target}.tmp.{os.getpid()}.{next(_counter)}"
    fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC, 0o666)
    try:
        with os.fdopen(fd, "wb") as file:
            file.write(data)
            file.flush()
            os.fsync(file.fileno())
        if existing is not None:
            _keep_attributes(temporary, existing)
        os.replace(temporary, target)
    except BaseException:
        os.unlink(temporary)
        raise


def _keep_attributes(path: str, original: os.stat_result) -> None:
    os.chmod(path, stat.S_IMODE(original.st_mode))
    mine = os.stat(path)
    if (mine.st_uid, mine.st_gid) != (original.st_uid, original.st_gid):
        os.chown(path, original.st_uid, original.st_gid)
