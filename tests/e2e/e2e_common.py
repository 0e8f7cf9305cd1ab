"""The real program under Xvfb and openbox, driven through the accessibility bus.

Run a driver inside a private session bus, with the system Python (dogtail):

    dbus-run-session -- /usr/bin/python3 SCRIPT --program quadrilo
        --archivio quadrilo-archivio --workbook e2e-workbook --workdir DIR

Desktop() starts Xvfb on a free display, the accessibility bus and openbox,
and stops them again at the end of the `with` block, also after a failure.
Program() starts quadrilo on a fresh copy of the folder that e2e-workbook
writes. Buttons that open a modal box are pressed with a real mouse click
(xdotool): an AT-SPI action would wait until the box is closed. Each check
prints a PASS or FAIL line; finish() prints "N passed, M failed" and gives
the exit code.
"""

import argparse
import ctypes
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # keep the source tree clean of __pycache__

WAIT = 15.0          # seconds to wait for a window, a box or a file change
POLL = 0.1
LIMIT = 45           # seconds for starting the desktop, and for each scenario
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

tree = None          # dogtail.tree, imported once the display exists


# Records of the generated register of the search scenario (e2e-workbook --large).
LARGE_REGISTER = 3000

class E2eError(RuntimeError):
    """The program did not show what a scenario waited for."""


_libc = ctypes.CDLL("libc.so.6", use_errno=True)


def _die_with_parent():
    # A helper must not outlive the driver, even when the driver is killed.
    _libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def _reap_orphans():
    # What the helpers started and left behind came to us (child subreaper).
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def _start(command, env=None, **kwargs):
    # Each helper leads a process group of its own, so that stopping it also
    # stops what it started (the accessibility bus launcher starts a bus).
    return subprocess.Popen(command, env=env, preexec_fn=_die_with_parent, start_new_session=True, **kwargs)


def _signal_group(process, number):
    try:
        os.killpg(process.pid, number)
    except ProcessLookupError:
        pass


def _stop(process, grace=3.0):
    if process is None:
        return
    _signal_group(process, signal.SIGTERM)
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        pass
    _signal_group(process, signal.SIGKILL)
    process.wait()


def arguments():
    """The command line; also writes the scenario folder afresh, workdir/base."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--archivio", required=True)
    parser.add_argument("--workbook", required=True)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("scenarios", nargs="*", help="the scenarios to run (all when none is named)")
    args = parser.parse_args()
    args.workdir = os.path.abspath(args.workdir)
    shutil.rmtree(args.workdir, ignore_errors=True)
    subprocess.run([args.workbook, os.path.join(args.workdir, "base")], check=True)
    subprocess.run([args.workbook, os.path.join(args.workdir, "base-large"), "--large", str(LARGE_REGISTER)], check=True)
    return args


# ---------------------------------------------------------------- checks

_results = []


def check(name, ok, detail=""):
    _results.append(bool(ok))
    print("%s %s%s" % ("PASS" if ok else "FAIL", name, "" if ok else "  " + str(detail)), flush=True)
    return ok


def finish():
    failed = _results.count(False)
    print("%d passed, %d failed" % (len(_results) - failed, failed), flush=True)
    return 1 if failed or not _results else 0


# ---------------------------------------------------------------- desktop

class Desktop:
    """Xvfb, the accessibility bus and openbox, inside the caller's session bus."""

    def __init__(self):
        self.processes = []
        self.runtime = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.close()
            raise
        return self

    def _start(self):
        if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
            raise E2eError("no session bus: run the driver under dbus-run-session")
        missing = [tool for tool in ("Xvfb", "openbox", "xdotool", "xprop", BUS_LAUNCHER) if not shutil.which(tool)]
        if missing:
            raise E2eError("missing %s (scripts/setup-debian.sh installs them)" % ", ".join(missing))
        _libc.prctl(36, 1)  # PR_SET_CHILD_SUBREAPER: orphans are ours to reap
        # The bus launcher and Qt keep their sockets here rather than in $HOME.
        self.runtime = tempfile.mkdtemp(prefix="quadrilo-e2e-")
        os.environ["XDG_RUNTIME_DIR"] = self.runtime
        # Without -noreset the server resets when its last client leaves, and
        # openbox then at times could not open the display at all.
        read, write = os.pipe()
        try:
            self.processes.append(_start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1366x768x24",
                                          "-nolisten", "tcp", "-noreset"], pass_fds=(write,), stderr=subprocess.DEVNULL))
        finally:
            os.close(write)
        with os.fdopen(read) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise E2eError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + display
        os.environ.pop("QT_QPA_PLATFORM", None)
        self.processes.append(_start([BUS_LAUNCHER, "--launch-immediately"]))
        openbox = _start(["openbox"])
        self.processes.append(openbox)
        self._wait_for_window_manager(openbox)
        global tree
        from dogtail import config
        config.config.checkForA11y = False
        config.config.logDebugToFile = False
        config.config.logDebugToStdOut = False
        from dogtail import tree as dogtail_tree
        tree = dogtail_tree
        sys.excepthook = sys.__excepthook__   # dogtail sends tracebacks to its log

    def _wait_for_window_manager(self, openbox):
        def running():
            if openbox.poll() is not None:
                raise E2eError("openbox ended with code %d" % openbox.returncode)
            probe = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                   capture_output=True, text=True)
            return probe.returncode == 0 and "window id" in probe.stdout
        wait_for("openbox", running)

    def close(self):
        for process in reversed(self.processes):
            _stop(process)
        self.processes = []
        _reap_orphans()
        if self.runtime:
            shutil.rmtree(self.runtime, ignore_errors=True)
            self.runtime = None

    def __exit__(self, *exc):
        self.close()
        return False


# ---------------------------------------------------------------- program

class Program:
    """quadrilo on a fresh copy of the e2e-workbook folder, workdir/NAME."""

    def __init__(self, args, name, base="base"):
        self.args = args
        self.folder = os.path.join(args.workdir, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.copytree(os.path.join(args.workdir, base), self.folder)
        self.workbook = os.path.join(self.folder, "Protocollo.xls")
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        env.pop("QT_QPA_PLATFORM", None)
        self.process = _start([args.program, "--cartella", self.folder], env=env)
        try:
            self.app = wait_for("the program on the accessibility bus", self._application)
        except BaseException:
            self.kill()
            raise

    def _application(self):
        if not self.running():
            raise E2eError("the program ended with code %d" % self.process.returncode)
        for app in tree.root.children:
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except Exception:
                pass
        return None

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait()

    def close(self):
        # The program asks before it ends: a scenario that is done kills it.
        self.kill()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # The windows of the program: its top-level accessible children.
    def windows(self):
        try:
            return list(self.app.children)
        except Exception:
            return []

    def find_window(self, name, prefix=False):
        """The showing top-level window whose title is name (or starts with it), or None."""
        for window in self.windows():
            title = window.name or ""
            if (title.startswith(name) if prefix else title == name) and window.showing:
                return window
        return None

    def window(self, name, prefix=False, timeout=WAIT):
        return wait_for("the window %r" % name, lambda: self.find_window(name, prefix), timeout)

    def boxes(self):
        """The message boxes showing now, as (title, text, node)."""
        found = []
        for window in self.windows():
            try:
                if window.roleName not in ("alert", "dialog") or not window.showing:
                    continue
                labels = [child.name for child in window.children if child.roleName == "label" and child.showing]
            except Exception:
                continue
            found.append((window.name, labels[0] if labels else "", window))
        return found

    def message_box(self, text, timeout=WAIT):
        """Waits for a box whose text is exactly text; returns (title, node)."""
        def find():
            for title, shown, node in self.boxes():
                if shown == text:
                    return title, node
            return None
        try:
            return wait_for("the box %r" % text, find, timeout)
        except E2eError as error:
            raise E2eError("%s; showing: %r" % (error, [(t, x) for t, x, _ in self.boxes()]))

    def answer(self, text, button, timeout=WAIT):
        """Waits for the box with text, presses button; returns the box's title."""
        title, box = self.message_box(text, timeout)
        # Until the window manager has shown it, a click there hits the window below.
        wait_for("the box %r to be active" % text, lambda: active(box))
        press(button_of(box, button))
        wait_for("the box %r to close" % text, lambda: not _alive(box))
        return title


def _alive(node):
    try:
        return node.showing
    except Exception:
        return False


def wait_for(what, probe, timeout=WAIT):
    """probe()'s first true answer; E2eError after timeout seconds."""
    deadline = time.monotonic() + timeout
    failure = None
    while True:
        try:
            found = probe()
        except E2eError:
            raise
        except Exception as error:   # e.g. a node that went away in the middle of a look
            found, failure = None, error
        if found:
            return found
        if time.monotonic() > deadline:
            raise E2eError("timed out waiting for %s%s" % (what, " (%s)" % failure if failure else ""))
        time.sleep(POLL)


def within(what, probe, timeout=WAIT):
    """Whether probe() comes true within timeout seconds."""
    try:
        wait_for(what, probe, timeout)
        return True
    except E2eError:
        return False


def child(node, name=None, role=None, timeout=WAIT):
    """The first showing descendant of node with the name and role."""
    def matches(candidate):
        if role and candidate.roleName != role:
            return False
        if name is not None and candidate.name != name:
            return False
        return candidate.showing
    return wait_for("%s %r" % (role or "a node", name),
                    lambda: node.findChild(matches, retry=False, requireResult=False), timeout)


def active(node):
    from pyatspi import STATE_ACTIVE
    return node.getState().contains(STATE_ACTIVE)


def has_button(box, caption):
    try:
        button_of(box, caption)
        return True
    except E2eError:
        return False


def button_of(box, caption):
    # A mnemonic may stay in the accessible name ("&Sì") or not ("Sì").
    for candidate in box.findChildren(lambda n: n.roleName == "push button"):
        if candidate.name.replace("&", "") == caption:
            return candidate
    raise E2eError("no button %r in %r" % (caption, box.name))


# ---------------------------------------------------------------- input

def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=WAIT)


def press(node):
    """A real left click in the middle of node."""
    x, y, width, height = node.extents
    if width <= 0 or height <= 0:
        raise E2eError("%r %r is not on the screen" % (node.roleName, node.name))
    # No --sync: it waits for the pointer to move, forever when it is already there.
    xdotool("mousemove", x + width // 2, y + height // 2, "click", "1")


def type_keys(text):
    """Real key events into the focused widget."""
    xdotool("type", "--delay", "20", text)


def key(*names):
    xdotool("key", "--delay", "20", *names)


def type_into(field, text):
    """Clicks into field, selects what it holds and types text."""
    press(field)
    wait_for("the focus in %r" % field.name, lambda: field.focused)
    key("ctrl+a")
    type_keys(text)
    if field.roleName != "password text":   # a password is not readable
        wait_for("%r to hold %r" % (field.name, text), lambda: field.text == text, 5)


# ---------------------------------------------------------------- workbook

def cells(args, path):
    """{(sheet, address): (type, value)} for every non-empty cell of path."""
    shown = subprocess.run([args.archivio, "mostra", path], capture_output=True, text=True, check=True)
    out = {}
    for line in shown.stdout.splitlines():
        sheet, address, kind, value = line.split("\t", 3)
        out[(sheet, address)] = (kind, value)
    return out


def wait_for_cells(args, path, probe, what, timeout=WAIT):
    """Reads the file until probe(cells) holds; returns the last cells read."""
    last = {}

    def look():
        nonlocal last
        try:
            last = cells(args, path)
        except subprocess.CalledProcessError:  # the program is writing it
            return False
        return probe(last)
    within(what, look, timeout)
    return last


def _terminate_on_signal(number, frame):
    raise SystemExit(128 + number)


def _overdue(number, frame):
    raise E2eError("still running after %d seconds" % LIMIT)


def watchdog(seconds=LIMIT):
    """From now on, E2eError in seconds: a hang ends with a traceback, and the
    helpers are stopped, before CTest's TIMEOUT kills the run. 0 disarms it."""
    signal.signal(signal.SIGALRM, _overdue)
    signal.alarm(seconds)


signal.signal(signal.SIGTERM, _terminate_on_signal)
signal.signal(signal.SIGHUP, _terminate_on_signal)
