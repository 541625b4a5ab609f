"""The exceptions of lxcamerautils. Bad input raises a subclass of both
``lxcamerautils.Error`` and ``ValueError``; a file that cannot be read or
written raises Python's own ``OSError`` subclasses."""

from __future__ import annotations

import re
from typing import Optional


class Error(Exception):
    """Base class of the exceptions this package raises for bad input."""


_QUOTED = r'"(?:[^"\\]|\\.)*"'
# `missing key "focus"`, `invalid value "x" for key "type"`, `missing section "camera"`
_KEY = re.compile(r'\b(?:key|section) (' + _QUOTED + ")")
_SECTION = re.compile(r" in section ((?:[^\s\"]|" + _QUOTED + r")+)")
_LINE = re.compile(r"\(line (\d+)\)|^line (\d+), column (\d+):")
_ESCAPE = re.compile(r"\\(x[0-9A-Fa-f]{2}|.)")
_ESCAPED = {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}


def _unquote(quoted: str) -> str:
    def replace(match):
        code = match.group(1)
        if code[0] == "x" and len(code) == 3:
            return chr(int(code[1:], 16))
        return _ESCAPED.get(code, code)

    return _ESCAPE.sub(replace, quoted[1:-1])


class DocumentError(Error, ValueError):
    """A document that cannot be read, or a record that cannot be written.

    Attributes: ``message`` (the library's text), ``key`` (the entry named,
    or None), ``section`` (its section path from the root, as
    ``/camera/int_or``, or None), ``line`` and ``column`` (1-based, or None),
    ``path`` (the file, or None).
    """

    def __init__(self, message: str, path: Optional[str] = None):
        self.message = message
        self.path = path
        key = _KEY.search(message)
        self.key: Optional[str] = _unquote(key.group(1)) if key else None
        section = _SECTION.search(message)
        self.section: Optional[str] = section.group(1) if section else None
        line = _LINE.search(message)
        self.line: Optional[int] = int(line.group(1) or line.group(2)) if line else None
        self.column: Optional[int] = int(line.group(3)) if line and line.group(3) else None
        super().__init__(f"{path}: {message}" if path else message)

    def __reduce__(self):
        return type(self), (self.message, self.path)


class ExchangeError(Error, ValueError):
    """Another tool's camera file that cannot be read or written: malformed
    text, a missing or invalid item, an unsupported model or an option that
    does not fit. ``line`` is the file's line (1-based) where known, else None."""

    def __init__(self, message: str, line: Optional[int] = None):
        self.message = message
        self.line = line or None
        super().__init__(message)

    def __reduce__(self):
        return type(self), (self.message, self.line)


class IntOrError(Error, ValueError):
    """An interior orientation that cannot be solved; the message names the
    mark or field at fault."""


class FitError(Error, ValueError):
    """A distortion that cannot be fitted or converted."""
