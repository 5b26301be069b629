"""Kestrel: the HX-9302 line-scan camera from Python."""

from types import TracebackType
from typing import Optional, Type, Union

__version__: str

class Error(Exception):
    """A camera operation did not do what was asked."""

class NoAnswer(Error):
    """The camera did not answer within the time-out."""

class Rejected(Error):
    """The camera answered with something other than an acknowledgement."""

    reply: str
    """The camera's own line."""

class Lost(Error):
    """The device or the relay went away, or the port cannot be opened."""

class UnreadableReply(Error):
    """A reply that cannot be read as what was asked."""

class BadInput(Error):
    """A name, a value or a file that is not what it must be; nothing was sent."""

Value = Union[int, str]

class Camera:
    """One camera on one port, kept open until close() or the end of a with block."""

    def __init__(
        self, port: str, baud: Optional[int] = None, timeout_ms: Optional[int] = None
    ) -> None: ...
    def __enter__(self) -> "Camera": ...
    def __exit__(
        self,
        exc_type: Optional[Type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> None: ...
    def close(self) -> None: ...
    @property
    def port(self) -> str: ...
    @property
    def baud(self) -> int: ...
    def query(self, name: str) -> Value: ...
    def set(self, name: str, value: Value) -> None: ...
    def apply(self, path: str) -> None: ...
    def read_all(self, factory: bool = False) -> dict[str, Union[Value, list[Optional[Value]]]]: ...
    def diff(self, path: str) -> list[dict[str, Optional[str]]]: ...
    def correction_read(self, kind: str, sensor: int) -> list[int]: ...
    def correction_write(self, kind: str, sensor: int, values: list[int]) -> None: ...
    def lut_read(self, channel: int) -> list[int]: ...
    def lut_write(self, channel: int, values: list[int]) -> None: ...
    def info(self) -> dict[str, str]: ...
    def temperature(self) -> dict[str, float]: ...
