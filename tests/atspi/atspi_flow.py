#!/usr/bin/python3
# The tool as a screen reader meets it, through AT-SPI alone.
#
# Run by run_atspi.sh inside a private D-Bus session on an X server of its own.
# It starts the device simulator on loopback and the tool, then:
#
# 1. walks every window a user meets (the start window, the main window of
#    both models, the network window and an information window) and fails on
#    any interactive node whose name is empty, equals its value, or is shared
#    with another node of the same window;
# 2. drives a whole configuration through AT-SPI calls alone, without screen
#    coordinates or keystrokes: choose "Ethernet Modem", continue, connect to
#    the simulator, read, change a baud rate and a mode, apply, confirm; then
#    it finds the write with those values in the simulator's log.
#
# Exit status: 0 passed, 1 failed, 77 AT-SPI could not be started (skipped).

import argparse
import os
import subprocess
import sys
import time

SKIP = 77


def skip(message):
    if os.environ.get("TELVOR_REQUIRE_ATSPI") == "1":
        print("FAILED: AT-SPI is required here, but " + message, flush=True)
        sys.exit(1)
    print("SKIP: " + message, flush=True)
    sys.exit(SKIP)


try:
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi, GLib
    import pyatspi
except (ImportError, ValueError) as error:
    skip("the Python AT-SPI bindings are missing (python3-pyatspi): %s" % error)


class Failure(Exception):
    pass


INTERACTIVE = {
    pyatspi.ROLE_PUSH_BUTTON,
    pyatspi.ROLE_TOGGLE_BUTTON,
    pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON,
    pyatspi.ROLE_COMBO_BOX,
    pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_SLIDER,
    pyatspi.ROLE_TEXT,
    pyatspi.ROLE_ENTRY,
    pyatspi.ROLE_PASSWORD_TEXT,
}
# The list inside a combo box belongs to its box: its items are the box's
# value, not controls of their own.
OPAQUE = {pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON}


def pump():
    """Handles the accessibility events that have arrived (applications and
    windows coming and going), which keep the client's view up to date."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait_for(condition, what, timeout=15.0, interval=0.1):
    end = time.monotonic() + timeout
    while True:
        pump()
        try:
            result = condition()
        except (Failure, GLib.Error):
            result = None
        if result:
            return result
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


def children(node):
    try:
        return [c for c in node if c is not None]
    except GLib.Error:
        return []


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False


def enabled(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, text.characterCount)
    except NotImplementedError:
        return None


def values_of(node):
    """Every form in which the node reports its current value."""
    values = []
    text = text_of(node)
    if text:
        values.append(text.strip())
    try:
        number = node.queryValue().currentValue
        values.append("%g" % number)
    except NotImplementedError:
        pass
    if node.getRole() == pyatspi.ROLE_COMBO_BOX:
        # A combo box's value is one of its items: a box named like one of
        # them is named by a value.
        for list_node in children(node):
            for item in children(list_node):
                if item.getState().contains(pyatspi.STATE_SELECTED) or item.name == node.name:
                    values.append(item.name.strip())
    return [v for v in values if v]


def interactive_nodes(window):
    found = []

    def visit(node):
        if not showing(node):
            return
        if node.getRole() in INTERACTIVE:
            found.append(node)
        if node.getRole() in OPAQUE:
            return
        for child in children(node):
            visit(child)

    for child in children(window):
        visit(child)
    return found


def audit(window, label):
    """Returns the number of interactive nodes of one window, the number of
    those that are unnamed, named by their value or share their name, and a
    line per problem."""
    nodes = interactive_nodes(window)
    problems = []
    bad = 0
    names = {}
    for node in nodes:
        name = node.name or ""
        role = node.getRoleName()
        if not name.strip():
            problems.append("%s: a %s without a name (value %r)" % (label, role, values_of(node)))
            bad += 1
            continue
        if name.strip() in values_of(node):
            problems.append("%s: %s %r is named by its value" % (label, role, name))
            bad += 1
        elif name != name.strip() or "  " in name:
            problems.append("%s: %s %r has stray spaces" % (label, role, name))
        names.setdefault(name.strip(), []).append(node)
    for name, same in sorted(names.items()):
        if len(same) > 1:
            problems.append("%s: %d nodes share the name %r (%s)"
                            % (label, len(same), name, ", ".join(n.getRoleName() for n in same)))
            bad += sum(1 for n in same if name not in values_of(n))
    print("%s: %d interactive nodes, %d unnamed or duplicate-named" % (label, len(nodes), bad), flush=True)
    for problem in problems:
        print("  " + problem, flush=True)
    return len(nodes), bad, problems


def announce_accessibility_bus():
    """Puts the accessibility bus's address on the X root window, where Qt
    looks for it first: found there, Qt joins the bus while it starts. (Asked
    for on the session bus instead, the answer may come after Qt has given up
    on the registry.) It is set just before each start, since a bus launcher
    that ends elsewhere removes the property from the display."""
    address = subprocess.run(
        ["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus", "/org/a11y/bus",
         "org.a11y.Bus.GetAddress"], capture_output=True, text=True, timeout=30)
    if address.returncode != 0 or not address.stdout.strip():
        skip("the accessibility bus did not start: " + address.stderr.strip())
    address = address.stdout.strip()
    subprocess.run(["xprop", "-root", "-f", "AT_SPI_BUS", "8s", "-set", "AT_SPI_BUS", address], check=True)
    shown = subprocess.run(["xprop", "-root", "AT_SPI_BUS"], capture_output=True, text=True).stdout
    if address not in shown:
        raise Failure("AT_SPI_BUS could not be set on the X root window: " + shown)


class Tool:
    def __init__(self, program, env):
        announce_accessibility_bus()
        self.process = subprocess.Popen([program], env=env)
        try:
            self.app = wait_for(self.find_app, "the tool on the accessibility bus", 30, 1.0)
        except Failure:
            desktop = pyatspi.Registry.getDesktop(0)
            seen = [(a.name, a.get_process_id()) for a in children(desktop)]
            raise Failure("the tool (process %d) is not among the applications on the accessibility bus: %s"
                          % (self.process.pid, seen))

    def find_app(self):
        if self.process.poll() is not None:
            raise SystemExit("FAILED: the tool exited with status %d before it was seen" % self.process.returncode)
        desktop = pyatspi.Registry.getDesktop(0)
        # Without an event loop here the list of applications is not kept up
        # to date: ask the registry again.
        desktop.clearCache()
        for app in children(desktop):
            try:
                if app.get_process_id() == self.process.pid:
                    return app
            except GLib.Error:
                continue
        return None

    def windows(self):
        self.app.clearCache()
        return [w for w in children(self.app) if showing(w)]

    def window(self, predicate, what, timeout=15.0):
        def find():
            for w in self.windows():
                if predicate(w):
                    return w
            return None

        return wait_for(find, what, timeout)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


def find(window, name, roles=None, timeout=10.0, visible=True):
    """The first node of the window with that name (and one of the roles)."""
    def search():
        window.clearCache()
        found = pyatspi.findDescendant(
            window,
            lambda n: n.name == name and (roles is None or n.getRole() in roles) and (not visible or showing(n)))
        return found

    return wait_for(search, "a node named %r" % name, timeout)


def act(node, *names):
    action = node.queryAction()
    available = [action.getName(i) for i in range(action.nActions)]
    for i, action_name in enumerate(available):
        if action_name.lower() in [n.lower() for n in names]:
            if not action.doAction(i):
                raise Failure("%r refused the action %s" % (node.name, action_name))
            return
    raise Failure("%r offers no action among %s, only %s" % (node.name, names, available))


def press(node):
    wait_for(lambda: enabled(node), "%r to be enabled" % node.name)
    act(node, "Press", "click", "activate")


def choose(node, index):
    """Commits a combo-box item through the AT-SPI value interface."""
    wait_for(lambda: enabled(node), "%r to be enabled" % node.name)
    try:
        value = node.queryValue()
    except NotImplementedError:
        raise Failure("the combo box %r cannot be set through AT-SPI" % node.name)
    value.currentValue = float(index)
    wait_for(lambda: int(node.queryValue().currentValue) == index, "%r to take item %d" % (node.name, index))


EDITABLE = {pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY}


def set_text(node, text):
    wait_for(lambda: enabled(node), "%r to be enabled" % node.name)
    node.queryEditableText().setTextContents(text)
    wait_for(lambda: text_of(node) == text, "%r to read %r" % (node.name, text))


def combo_text(node):
    node.clearCache()
    return text_of(node)


def start_simulator(program, log_path):
    log = open(log_path, "w")
    process = subprocess.Popen(
        [program, "--model", "both", "--host", "127.0.0.1", "--config-port", "0", "--port232", "0",
         "--port485", "0", "--no-usb"],
        stdout=log, stderr=subprocess.STDOUT)

    def endpoints():
        found = {}
        with open(log_path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 2 and parts[0] in ("config-service", "rs232", "rs485"):
                    found[parts[0]] = parts[1]
        return found if len(found) == 3 else None

    return process, wait_for(endpoints, "the simulator's endpoints", 15)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--simulator", required=True)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    os.makedirs(args.workdir, exist_ok=True)

    try:
        pyatspi.Registry.getDesktop(0)
        Atspi.get_desktop(0).get_child_count()
    except Exception as error:  # the bus or the registry did not come up
        skip("AT-SPI could not be started: %s" % error)

    env = dict(os.environ)
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    env["QT_ACCESSIBILITY"] = "1"
    env["QT_QPA_PLATFORM"] = "xcb"
    env["QT_XCB_GL_INTEGRATION"] = "none"
    home = os.path.join(args.workdir, "home")
    os.makedirs(home, exist_ok=True)
    env["HOME"] = home
    env["XDG_CONFIG_HOME"] = os.path.join(home, ".config")

    sim_log = os.path.join(args.workdir, "devicesim.log")
    simulator, endpoints = start_simulator(args.simulator, sim_log)
    tool = None
    figures = []
    failures = []

    def check(window, label):
        count, bad, problems = audit(window, label)
        figures.append((label, count, bad))
        failures.extend(problems)

    try:
        tool = Tool(args.tool, env)
        start = tool.window(lambda w: find(w, "Devam Et", timeout=1), "the start window", 30)
        check(start, "start window")

        models = find(start, "Kullanmak istediğiniz cihazı seçiniz.", {pyatspi.ROLE_COMBO_BOX})
        choose(models, 1)
        if combo_text(models) != "Ethernet Modem":
            raise Failure("the model list shows %r after choosing item 1" % combo_text(models))
        press(find(start, "Devam Et"))

        main_window = tool.window(lambda w: find(w, "Apply Configuration", timeout=1), "the main window", 30)
        check(main_window, "main window, Ethernet model")

        host, port = endpoints["config-service"].rsplit(":", 1)
        set_text(find(main_window, "ETHERNET SERVER IP", EDITABLE), host)
        set_text(find(main_window, "ETHERNET SERVER PORT", EDITABLE), port)
        press(find(main_window, "Connect ETHERNET"))
        apply_button = find(main_window, "Apply Configuration")
        wait_for(lambda: enabled(apply_button), "the page to open after connecting", 15)
        # Both ports are enabled in the simulator's record, so both columns
        # can be edited. Its RS-485 baud index is 5 (9600): a box moved away
        # from it shows the read's reply when it comes back.
        baud = find(main_window, "RS485 BAUDRATE")
        wait_for(lambda: enabled(baud) and int(baud.queryValue().currentValue) == 5, "the device's record")
        choose(baud, 2)
        press(find(main_window, "Read Configuration"))
        wait_for(lambda: int(baud.queryValue().currentValue) == 5, "the record read again")
        if combo_text(baud) != "9600":
            raise Failure("RS485 BAUDRATE shows %r after the read, not 9600" % combo_text(baud))

        # Baud index 7 is 38400; mode 4 is Full Transparent.
        choose(baud, 7)
        mode = find(main_window, "RS232 MOD")
        choose(mode, 4)
        press(apply_button)
        question = tool.window(lambda w: w.name == "Dikkat !", "the confirmation question")
        press(find(question, "Yes", {pyatspi.ROLE_PUSH_BUTTON}))

        def written():
            with open(sim_log) as f:
                for line in f:
                    if "config-service <- AT+WRITEALL=" in line:
                        return line.split("AT+WRITEALL=", 1)[1].split("\\r\\n")[0]
            return None

        # The simulator's own Ethernet record (11 values per port, RS-485
        # first, then the information response) with the RS-485 baud index
        # (7th value) at 7 and the RS-232 mode (3rd value of its block) at 4.
        expected = "1,502,0,8,0,1,7,8,400,100,0,1,503,4,8,0,1,5,8,400,100,0,0"
        record = wait_for(written, "the write to reach the simulator", 10)
        if record != expected:
            raise Failure("the simulator received WRITEALL=%s, expected %s" % (record, expected))
        print("write received: " + record, flush=True)

        press(find(main_window, "Static IP Settings"))
        network = tool.window(lambda w: w.name == "Static IP Configurations", "the network window")
        check(network, "network window")

        info_item = find(main_window, "GET INFO", {pyatspi.ROLE_MENU_ITEM}, visible=False)
        act(info_item, "Press", "Trigger", "click")
        info = tool.window(lambda w: w.name == "Device Infos", "an information window")
        check(info, "information window")

        press(find(main_window, "Disconnect ETHERNET"))
        gsm_item = find(main_window, "GSM Modem", {pyatspi.ROLE_MENU_ITEM}, visible=False)
        wait_for(lambda: enabled(gsm_item), "the model choice after disconnecting")
        act(gsm_item, "Press", "Trigger", "click")
        find(main_window, "Connect PORT 485")
        check(main_window, "main window, GSM model")

        # The GSM model's route after the Ethernet one: the APN can be edited.
        host, port = endpoints["rs485"].rsplit(":", 1)
        set_text(find(main_window, "TCP SERVER IP", EDITABLE), host)
        set_text(find(main_window, "PORT 485", EDITABLE), port)
        press(find(main_window, "Connect PORT 485"))
        apn = find(main_window, "APN", EDITABLE)
        wait_for(lambda: text_of(apn) == "internet", "the GSM record's APN", 15)
        state = apn.getState()
        if not (state.contains(pyatspi.STATE_SENSITIVE) and state.contains(pyatspi.STATE_EDITABLE)):
            raise Failure("the APN cannot be edited on the RS-485 data port after the model switch")
        find(main_window, "Disconnect PORT 485")
    except Failure as error:
        failures.append("flow: %s" % error)
    finally:
        if tool:
            tool.stop()
        simulator.terminate()
        simulator.wait(10)

    total = sum(f[1] for f in figures)
    bad = sum(f[2] for f in figures)
    print("AT-SPI walk: %d interactive nodes, %d unnamed or duplicate-named" % (total, bad), flush=True)
    if failures:
        print("FAILED:", flush=True)
        for failure in failures:
            print("  " + failure, flush=True)
        return 1
    print("PASSED", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
