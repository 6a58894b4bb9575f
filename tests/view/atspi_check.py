"""The desktop program on the demo host, read as a screen reader reads it:
through the AT-SPI accessibility tree. Finds the sign-on screen's text and
its fields by their labels, types a user name and Enter, hears the next
screen's title announced, and presses a menu item's hotspot button. Run by atspi-check.sh inside a virtual X server
and a private D-Bus session; exits 77 when the accessibility bus cannot be
reached there."""

import os
import re
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
bin_dir = sys.argv[1]
work = tempfile.mkdtemp(prefix="quenlix-atspi-")
started = []  # the processes this check started, ended by PID at the end


def log(text):
    print("atspi-check: " + text, flush=True)


def stop_started():
    for proc in reversed(started):
        if proc.poll() is None:
            os.kill(proc.pid, signal.SIGTERM)
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.kill(proc.pid, signal.SIGKILL)
                proc.wait()


def finish(code, text):
    log(text)
    stop_started()
    sys.exit(code)


def wait_for(what, seconds, probe):
    """probe() until it gives something true, pumping nothing; None on time out."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = probe()
        except Exception:  # the tree changes under us while the program starts
            found = None
        if found:
            return found
        time.sleep(0.1)
    log("timed out waiting for " + what)
    return None


try:
    import pyatspi
except ImportError:
    finish(SKIP, "SKIP: python3-pyatspi is not installed")

# The accessibility bus and its registry: started on demand by the session bus.
try:
    desktop = pyatspi.Registry.getDesktop(0)
    desktop.childCount
except Exception as error:
    finish(SKIP, "SKIP: the AT-SPI accessibility bus did not start: %s" % error)

# The demo host on a free loopback port, for one terminal.
host_log = open(os.path.join(work, "host.log"), "w+")
host = subprocess.Popen([os.path.join(bin_dir, "quenlix-demo-host"), "--port", "0", "--once"],
                        stderr=host_log, stdout=subprocess.DEVNULL)
started.append(host)


def host_port():
    host_log.flush()
    with open(host_log.name) as text:
        match = re.search(r"listening on 127\.0\.0\.1:(\d+)", text.read())
    return match.group(1) if match else None


port = wait_for("the demo host", 10, host_port)
if not port:
    finish(1, "FAIL: the demo host did not start")
with open(os.path.join(bin_dir, "demo.stn")) as src:
    session = re.sub(r"(?m)^Port=.*$", "Port=" + port, src.read())
session_path = os.path.join(work, "demo.stn")
with open(session_path, "w") as dst:
    dst.write(session)

env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
           XDG_CONFIG_HOME=os.path.join(work, "config"))
program = subprocess.Popen([os.path.join(bin_dir, "quenlix-telnet"), session_path], env=env,
                           stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "app.log"), "w"))
started.append(program)


def find_terminal():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == "quenlix-telnet":
            return pyatspi.findDescendant(app, lambda a: a.getRole() == pyatspi.ROLE_TERMINAL)
    return None


terminal = wait_for("the program's terminal in the accessibility tree", 20, find_terminal)
if terminal is None:
    finish(1, "FAIL: no terminal object of quenlix-telnet in the accessibility tree")


def screen_text():
    text = terminal.queryText()
    return text.getText(0, text.characterCount)


if not wait_for("the sign-on screen", 15, lambda: "Sign On" in screen_text()):
    finish(1, "FAIL: the sign-on screen never reached the terminal's text")
children = [terminal.getChildAtIndex(i) for i in range(terminal.childCount)]
fields = {c.name: c for c in children
          if c.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_PASSWORD_TEXT)}
log("fields: " + ", ".join("%s (%s)" % (n, f.getRoleName()) for n, f in fields.items()))
for label in ("User", "Password", "Program/procedure", "Menu", "Current library"):
    if label not in fields:
        finish(1, "FAIL: no field labelled %r" % label)
if fields["Password"].getRole() != pyatspi.ROLE_PASSWORD_TEXT:
    finish(1, "FAIL: the password field is a %s" % fields["Password"].getRoleName())
if fields["Password"].queryText().characterCount != 0:
    finish(1, "FAIL: the password field has text")
status = [c for c in children if c.getRole() == pyatspi.ROLE_STATUS_BAR]
if not status or "Row 6 Column 53" not in status[0].name:
    finish(1, "FAIL: no status bar with the cursor's place")
announcer = [c for c in children if c.getRole() == pyatspi.ROLE_NOTIFICATION]
if not announcer:
    finish(1, "FAIL: no announcer")

# Type a user and Enter as the operator would, through the X server: a click
# in the User field (no window manager gives the window the focus), the name,
# Return.
box = fields["User"].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
log("user field at %r" % ((box.x, box.y, box.width, box.height),))
pyatspi.Registry.generateMouseEvent(box.x + 2, box.y + box.height // 2, "b1c")
if not wait_for("the focus in the User field", 5,
                lambda: fields["User"].getState().contains(pyatspi.STATE_FOCUSED)):
    finish(1, "FAIL: the User field, under the cursor, does not get the focus")
heard = []
pyatspi.Registry.registerEventListener(
    lambda e: heard.append(e.source.name) if e.detail1 else None, "object:state-changed:showing")
pyatspi.Registry.generateKeyboardEvent(0, "demo", pyatspi.KEY_STRING)
pyatspi.Registry.generateKeyboardEvent(0xFF0D, None, pyatspi.KEY_SYM)  # Return: Enter


def title_heard():
    # Events arrive through the GLib loop; give it a turn.
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)
    return any("Main Menu" in name for name in heard)


if not wait_for("the next screen's title", 15, title_heard):
    finish(1, "FAIL: no announcement of the next screen; heard %r, name %r" %
           (heard, terminal.name))
log("announced: " + " | ".join(heard))


def menu_ready():
    kids = [terminal.getChildAtIndex(i) for i in range(terminal.childCount)]
    bar = [c for c in kids if c.getRole() == pyatspi.ROLE_STATUS_BAR]
    named = [c.name for c in kids if c.getRole() == pyatspi.ROLE_TEXT]
    # The host has unlocked the keyboard and the command line is there.
    return bar and "X-System" not in bar[0].name and "Selection or command" in named


if not wait_for("the menu's command line with the keyboard unlocked", 10, menu_ready):
    finish(1, "FAIL: the menu's field or the unlocked keyboard is not in the tree")

# The menu's hotspots: buttons named as the screen shows them, described by
# what they do, whose one action does what a click does.
kids = [terminal.getChildAtIndex(i) for i in range(terminal.childCount)]
buttons = {c.name: c for c in kids if c.getRole() == pyatspi.ROLE_PUSH_BUTTON}
log("buttons: " + ", ".join(sorted(buttons)))
if "F3=Exit" not in buttons or buttons["F3=Exit"].description != "presses F3":
    finish(1, "FAIL: no button F3=Exit that presses F3")
item = [b for n, b in buttons.items() if n.startswith("1. Data entry")]
if not item:
    finish(1, "FAIL: no button for the menu's item 1")
action = item[0].queryAction()
if action.nActions < 1:
    finish(1, "FAIL: the menu item's button has no action")
log("item 1: %r, action %r" % (item[0].description, action.getName(0)))
action.doAction(0)
if not wait_for("the data-entry screen after the item's action", 10,
                lambda: "Data Entry" in screen_text()):
    finish(1, "FAIL: the menu item's action did not bring the data-entry screen")
finish(0, "PASS: sign-on read, next screen announced, a hotspot's action performed")
