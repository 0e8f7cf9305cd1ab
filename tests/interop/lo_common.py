"""Private headless LibreOffice for the interoperability scripts.

Office() starts its own soffice with a throw-away user profile, connects to it
over a named pipe and shuts it down again (terminate, then kill) when the
`with` block ends. Documents are loaded hidden; a password-protected document
whose password is wrong or missing fails to load with LoadError instead of
waiting for a dialog.

The `uno` module belongs to the system Python (python3-uno). When a script is
started with another interpreter that cannot import it, reexec_with_uno_python()
runs the same command again with the system one.
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean of __pycache__

SYSTEM_PYTHONS = ("/usr/bin/python3",)
XLS_FILTER = "MS Excel 97"
START_TIMEOUT = 60.0


class OfficeError(RuntimeError):
    """LibreOffice could not be started or reached."""


class OfficeCrash(OfficeError):
    """soffice died or dropped the connection during a call."""


class LoadError(RuntimeError):
    """A document could not be loaded (wrong password, damaged file...)."""


def reexec_with_uno_python():
    try:
        import uno  # noqa: F401
        return
    except ImportError:
        pass
    here = os.path.realpath(sys.executable)
    for candidate in SYSTEM_PYTHONS:
        if os.access(candidate, os.X_OK) and os.path.realpath(candidate) != here:
            probe = subprocess.run([candidate, "-c", "import uno"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if probe.returncode == 0:
                sys.stdout.flush()
                sys.stderr.flush()
                os.execv(candidate, [candidate] + sys.argv)
    raise OfficeError("the Python module 'uno' is missing (install python3-uno)")


def find_soffice():
    for name in ("soffice", "libreoffice"):
        path = shutil.which(name)
        if path:
            return path
    return None


def _props(**values):
    import uno  # noqa: F401  (makes the com.sun.star modules importable)
    from com.sun.star.beans import PropertyValue
    out = []
    for name, value in values.items():
        p = PropertyValue()
        p.Name = name
        p.Value = value
        out.append(p)
    return tuple(out)


def _abort_handler():
    """An InteractionHandler that answers every request with Abort."""
    import uno
    import unohelper
    from com.sun.star.task import XInteractionHandler
    abort = uno.getTypeByName("com.sun.star.task.XInteractionAbort")

    class AbortingHandler(unohelper.Base, XInteractionHandler):
        def __init__(self):
            self.requests = []

        def handle(self, request):
            try:
                self.requests.append(request.getRequest())
            except Exception:
                pass
            for cont in request.getContinuations():
                if cont.queryInterface(abort) is not None:
                    cont.select()
                    return

    return AbortingHandler()


def file_url(path):
    return Path(os.path.abspath(path)).as_uri()


class Office:
    def __init__(self, timeout=START_TIMEOUT):
        self.timeout = timeout
        self.proc = None
        self.profile = None
        self.desktop = None
        self.ctx = None
        self.log_path = None
        self.crashes = 0

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        import uno
        from com.sun.star.connection import NoConnectException

        soffice = find_soffice()
        if soffice is None:
            raise OfficeError("soffice not found on PATH (install libreoffice-calc-nogui)")
        self.profile = tempfile.mkdtemp(prefix="quadrilo-lo-profile-")
        pipe = "quadrilo_lo_%d_%s" % (os.getpid(), uuid.uuid4().hex[:12])
        self.log_path = os.path.join(self.profile, "soffice.log")
        log = open(self.log_path, "wb")
        args = [soffice, "--headless", "--invisible", "--norestore", "--nologo",
                "--nodefault", "--nolockcheck",
                "--accept=pipe,name=%s;urp;" % pipe,
                "-env:UserInstallation=" + Path(self.profile, "user").as_uri()]
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=subprocess.STDOUT, start_new_session=True)
        log.close()

        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        url = "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe
        deadline = time.monotonic() + self.timeout
        while True:
            try:
                self.ctx = resolver.resolve(url)
                break
            except NoConnectException:
                pass
            # The first start with a new profile exits once and restarts
            # itself; only a non-zero exit is a failure.
            rc = self.proc.poll()
            if rc not in (None, 0, 81):
                raise OfficeError("soffice exited with status %d: %s" % (rc, self._log_tail()))
            if time.monotonic() > deadline:
                raise OfficeError("soffice did not answer within %.0f s: %s"
                                  % (self.timeout, self._log_tail()))
            time.sleep(0.25)
        self.desktop = self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", self.ctx)

    def _log_tail(self):
        try:
            with open(self.log_path, "rb") as f:
                return f.read()[-2000:].decode("utf-8", "replace").strip() or "(no output)"
        except OSError:
            return "(no log)"

    def stop(self):
        if self.desktop is not None:
            try:
                self.desktop.terminate()
            except Exception:
                pass  # the bridge drops while soffice quits
            self.desktop = None
            self.ctx = None
        if self.proc is not None:
            try:
                self.proc.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self._kill_group(signal.SIGTERM)
                try:
                    self.proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    self._kill_group(signal.SIGKILL)
                    self.proc.wait()
            # oosplash may leave soffice.bin behind in the same group
            self._kill_group(signal.SIGKILL)
            self.proc = None
        if self.profile is not None:
            shutil.rmtree(self.profile, ignore_errors=True)
            self.profile = None

    def restart(self):
        self.stop()
        self.start()

    def crashed(self, exc=None):
        """True when soffice is gone (exc: the exception just seen)."""
        if isinstance(exc, OfficeCrash):
            return True
        if exc is not None:
            message = str(getattr(exc, "Message", "") or exc)
            if type(exc).__name__.endswith("DisposedException") or "bridge disposed" in message:
                return True
        return self.proc is None or self.proc.poll() is not None

    def check_alive(self, exc=None):
        if self.crashed(exc):
            raise OfficeCrash("soffice died: %s" % self._log_tail()[-600:])

    def run(self, task, attempts=3):
        """task(self); after a crash of soffice, again with a new soffice, up
        to `attempts` times in all."""
        for attempt in range(1, attempts + 1):
            try:
                return task(self)
            except Exception as e:
                if attempt == attempts or not self.crashed(e):
                    raise
            self.crashes += 1
            self.restart()

    def on_main_thread(self, fn, timeout=60.0):
        """Runs fn() with its calls into soffice made on soffice's main thread
        (through com.sun.star.awt.AsyncCallback) and returns its result.
        View changes made from the bridge's own thread race with the main
        loop and can crash LibreOffice 7.4."""
        import threading
        import unohelper
        from com.sun.star.awt import XCallback

        class Call(unohelper.Base, XCallback):
            def __init__(self):
                self.done = threading.Event()
                self.result = None
                self.error = None

            def notify(self, data):
                try:
                    self.result = fn()
                except BaseException as e:  # handed to the waiting thread
                    self.error = e
                finally:
                    self.done.set()

        call = Call()
        self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.awt.AsyncCallback", self.ctx).addCallback(call, None)
        deadline = time.monotonic() + timeout
        while not call.done.wait(0.2):
            self.check_alive()
            if time.monotonic() > deadline:
                raise OfficeError("soffice did not run a call within %.0f s" % timeout)
        if call.error is not None:
            raise call.error
        return call.result

    def reflection_method(self, interface, name):
        """An IDL method to call through core reflection; for interfaces that
        an object answers to but does not list, which pyuno cannot call."""
        refl = self.ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.reflection.CoreReflection", self.ctx)
        return refl.forName(interface).getMethod(name)

    def _kill_group(self, sig):
        try:
            os.killpg(self.proc.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass

    def load(self, path, password=None, read_only=True):
        """Loads a spreadsheet hidden; raises LoadError when it cannot."""
        if not os.path.isfile(path):
            raise LoadError("no such file: %s" % path)
        handler = _abort_handler()
        values = dict(Hidden=True, ReadOnly=read_only, InteractionHandler=handler,
                      MacroExecutionMode=0, UpdateDocMode=0)
        if str(path).lower().endswith(".xls"):
            values["FilterName"] = XLS_FILTER
        if password is not None:
            values["Password"] = password
        try:
            doc = self.desktop.loadComponentFromURL(file_url(path), "_blank", 0,
                                                    _props(**values))
        except Exception as e:  # IOException, IllegalArgumentException, ...
            self.check_alive(e)
            raise LoadError("LibreOffice could not load %s: %s" % (path, _describe(e)))
        if doc is None:
            self.check_alive()
            why = "; ".join(_describe(r) for r in handler.requests)
            raise LoadError("LibreOffice could not load %s: %s" % (
                path, why or "wrong or missing password, or not a readable workbook"))
        if not doc.supportsService("com.sun.star.sheet.SpreadsheetDocument"):
            close(doc)
            raise LoadError("%s did not load as a spreadsheet" % path)
        return doc

    def new_spreadsheet(self):
        return self.desktop.loadComponentFromURL(
            "private:factory/scalc", "_blank", 0, _props(Hidden=True))

    def store_xls(self, doc, path, password=None):
        values = dict(FilterName=XLS_FILTER, Overwrite=True)
        if password is not None:
            values["Password"] = password
        doc.storeToURL(file_url(path), _props(**values))


def close(doc):
    try:
        doc.close(True)
    except Exception:
        try:
            doc.dispose()
        except Exception:
            pass


def _describe(obj):
    msg = getattr(obj, "Message", None)
    if msg is None:
        return "%s %s" % (type(obj).__name__, obj)
    return "%s %s" % (type(obj).__name__, msg)
