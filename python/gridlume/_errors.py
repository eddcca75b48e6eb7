"""The exception and warning classes through which the library speaks."""


class Error(Exception):
    """A failure reported by the Gridlume library.

    ``message`` is the library's text (its error messages joined by newlines
    when it sent several) and ``code`` the code of the first error message,
    or the status of the failing call when the library sent none (-1 error,
    -5 memory exhausted).
    """

    def __init__(self, message, code=-1):
        super().__init__(message, code)
        self.message = message
        self.code = code

    def __str__(self):
        return f"{self.message} (code {self.code})"


class MessageWarning(UserWarning):
    """A warning of the library (a message with a positive code, such as 2101
    for a keyword file without "End"); the code ends the text."""
