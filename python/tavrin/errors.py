"""The exceptions of the tavrin module."""

from typing import Optional


class TavrinError(Exception):
    """An error of the control or of its library.

    ``number`` is the automation error number the control raised (20002 for a bad
    ``Function``, 381 for a data index out of range, 438 for an unknown member, ...), or the
    library's negative return code for a failed call; ``None`` when the library gave none.
    ``message`` is the control's own text and ``member`` the property or method called.
    """

    def __init__(self, number: Optional[int], message: str, member: Optional[str] = None):
        self.number = number
        self.message = message
        self.member = member
        text = message if number is None else f"error {number}: {message}"
        super().__init__(f"{member}: {text}" if member else text)


class LibraryError(TavrinError):
    """The control library cannot be found, loaded or used (missing, another version, not
    the control library at all, or the class name is not one of its classes)."""


class ReleasedError(TavrinError):
    """The control was used after it was released."""

    def __init__(self) -> None:
        super().__init__(None, "the control has been released")


class WrongThreadError(TavrinError):
    """The control was called from a thread other than the one that created it: its events
    are delivered on that thread only."""


class TavrinTimeout(TavrinError, TimeoutError):
    """No ``Complete`` event came within the time-out. The transaction may still be
    running: its ``Complete`` is delivered by a later ``wait()``."""


class MemberNotFound(TavrinError, AttributeError):
    """The control has no property or method of that name (error 438)."""


class IndexOutOfRange(TavrinError, IndexError):
    """A data index outside the view's range (error 381); iterating a view ends there."""


def automation_error(number: int, message: str, member: Optional[str] = None) -> TavrinError:
    """The exception for an error the control raised."""
    kind = {438: MemberNotFound, 381: IndexOutOfRange}.get(number, TavrinError)
    return kind(number, message, member)
