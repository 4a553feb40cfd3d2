# SPDX-FileCopyrightText: 2026 Tarnwick developers
# SPDX-License-Identifier: MIT
"""A private Xvfb server and the environment a program needs to run in it.

Shared by the end-to-end test, the screenshot script and the start-up
benchmark, so that all three see the same 1280 x 1024 screen.
"""
import os
import select
import shutil
import subprocess
import tempfile
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 1024


class XvfbError(RuntimeError):
    pass


def require_tools(*names):
    missing = [name for name in names if shutil.which(name) is None]
    if missing:
        raise XvfbError("missing %s; scripts/install-deps installs it" % ", ".join(missing))


class Xvfb:
    """Starts Xvfb on a display number it picks itself; stops it on exit.

    -displayfd makes the server choose a free display and write its number
    once it accepts connections, so there is neither a race for the number
    nor a sleep while it starts. There is no window manager: the program's
    windows are plain children of the root window.
    """

    def __init__(self, start_timeout=10.0):
        self.start_timeout = start_timeout
        self.process = None
        self.display = None
        self.home = None
        self.log = None

    def __enter__(self):
        require_tools("Xvfb")
        self.home = tempfile.mkdtemp(prefix="tarnwick-x-home-")
        # a file, not a pipe: a pipe nobody reads would stall the server once full
        self.log = tempfile.TemporaryFile()
        read_end, write_end = os.pipe()
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                 "-screen", "0", "%dx%dx24" % (SCREEN_WIDTH, SCREEN_HEIGHT)],
                pass_fds=[write_end], stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=self.log)
            os.close(write_end)
            write_end = None
            self.display = ":" + self._read_display_number(read_end)
        except BaseException:
            self.__exit__()
            raise
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        return self

    def _read_display_number(self, fd):
        deadline = time.monotonic() + self.start_timeout
        text = b""
        while not text.endswith(b"\n"):
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                raise XvfbError("Xvfb did not start within %.0f s" % self.start_timeout)
            chunk = os.read(fd, 16)
            if not chunk:
                self.process.wait(timeout=self.start_timeout)
                self.log.seek(0)
                raise XvfbError("Xvfb exited at start: %s"
                                % self.log.read().decode(errors="replace").strip())
            text += chunk
        return text.decode().strip()

    def __exit__(self, *exc):
        self._stop()
        if self.log:
            self.log.close()
        if self.home:
            shutil.rmtree(self.home, ignore_errors=True)
        return False

    def _stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def environment(self, **extra):
        """The environment for a client of this server.

        Everything that could change what the program shows or where it writes
        is set here rather than inherited: the display, the Qt platform (a test
        run may have QT_QPA_PLATFORM=offscreen), a throwaway home and runtime
        folder, a UTF-8 locale, and no Qt scaling. Only PATH and the library
        path come from the caller.
        """
        runtime = os.path.join(self.home, "runtime")
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env = {name: os.environ[name] for name in ("PATH", "LD_LIBRARY_PATH") if name in os.environ}
        env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "HOME": self.home,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "LC_ALL": "C.UTF-8",
        })
        env.update(extra)
        return env
