"""A user's session in the live editor on a virtual display: KXBOMC with a catalogue, a sort by a heading, the
report saved as text, a table inserted by a pick and a drag, the drawing saved; ezdxf reads what was saved.

    gui_session.py VANTOREL MODULE EXAMPLES WORKDIR

The editor runs under Xvfb and is driven by xdotool, as a user's mouse and keys would drive it; with --trace it
says what it asks and where each dialog's controls lie, which is where the clicks go.
"""
import os
import queue
import re
import shutil
import subprocess
import sys
import threading
import time

import ezdxf

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screen_image  # noqa: E402

vantorel, module_source, examples, work = sys.argv[1:5]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAILED:", what, flush=True)


class Editor:
    def __init__(self, display):
        # In a sanitizer build the leak checker's own tracer falls over the display libraries' threads at exit;
        # memory errors are still caught.
        asan = os.environ.get("ASAN_OPTIONS", "")
        self.env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11",
                        ASAN_OPTIONS=(asan + ":" if asan else "") + "detect_leaks=0")
        self.process = subprocess.Popen(
            [vantorel, "--module", os.path.join(work, "libvantorel.so"), "gui", os.path.join(examples, "office.dxf"),
             "--trace", "--width", "1280", "--height", "800"],
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, cwd=work, env=self.env)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()
        self.window = None

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))

    def wait(self, pattern, timeout=20.0):
        """The first line from now on that matches, and the lines after it that belong to it (indented)."""
        end = time.time() + timeout
        while time.time() < end:
            try:
                line = self.lines.get(timeout=0.1)
            except queue.Empty:
                continue
            self.seen.append(line)
            if re.search(pattern, line):
                block = [line]
                time.sleep(0.05)
                while True:
                    try:
                        more = self.lines.get(timeout=0.2)
                    except queue.Empty:
                        break
                    self.seen.append(more)
                    if not more.startswith("  "):
                        self.lines.queue.appendleft(more)
                        break
                    block.append(more)
                return block
        raise SystemExit(f"timed out waiting for {pattern!r}; the editor said:\n" + "\n".join(self.seen[-30:]))

    def xdo(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True, text=True)

    def find_window(self):
        out = subprocess.run(["xdotool", "search", "--sync", "--name", "^Vantorel$"], env=self.env, check=True,
                             capture_output=True, text=True, timeout=20).stdout.split()
        self.window = out[0]
        subprocess.run(["xdotool", "windowfocus", self.window], env=self.env, capture_output=True)

    def click(self, x, y):
        self.xdo("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def drag(self, x1, y1, x2, y2):
        self.xdo("mousemove", "--window", self.window, str(x1), str(y1), "mousedown", "1",
                 "mousemove", "--window", self.window, str((x1 + x2) // 2), str((y1 + y2) // 2),
                 "mousemove", "--window", self.window, str(x2), str(y2), "mouseup", "1")

    def type(self, text):
        self.xdo("type", "--delay", "15", text)

    def key(self, name):
        self.xdo("key", name)

    def screenshot(self, path):
        with open(path + ".xwd", "wb") as out:
            subprocess.run(["xwd", "-id", self.window, "-silent"], env=self.env, check=True, stdout=out)
        return screen_image.read_xwd(path + ".xwd")


def controls(block):
    """Control id -> (x, y, width, height) and heading number -> the same, from a traced dialog."""
    found = {}
    for line in block:
        m = re.match(r'\s+(control|heading) (-?\d+)(?: ".*")? at (\d+),(\d+) size (\d+),(\d+)', line)
        if m:
            found[(m.group(1), int(m.group(2)))] = tuple(map(int, m.groups()[2:]))
    return found


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def main():
    os.makedirs(work, exist_ok=True)
    shutil.copy(module_source, os.path.join(work, "libvantorel.so"))
    shutil.copy(os.path.join(examples, "office.prc"), os.path.join(work, "office.prc"))
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1400x900x24", "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    display = ":" + os.read(read, 16).decode().strip()
    os.close(read)
    editor = None
    try:
        editor = Editor(display)
        view = editor.wait(r"^view at")[0]
        width, height = map(int, re.search(r"size (\d+),(\d+)", view).groups())
        editor.wait(r"^ready$")
        editor.find_window()

        editor.type("KXBOMC")
        editor.key("Return")
        chooser = controls(editor.wait(r'^modal "Open"'))
        editor.type("office.prc")
        editor.click(*centre(chooser[("control", 1)]))
        editor.wait(r'^file ".*/office.prc"$')
        editor.wait(r'^request selection')
        # A window over the whole view, left to right: everything wholly inside it.
        editor.drag(3, 3, width - 3, height - 3)
        selected = editor.wait(r"^selected \d+")[0]
        check(selected == "selected 49", f"the window selects every entity: {selected}")
        editor.key("Return")
        report = controls(editor.wait(r'^modal "BOM Report"'))
        # Total is heading 4: two clicks sort it down.
        editor.click(*centre(report[("heading", 4)]))
        time.sleep(0.7)
        editor.click(*centre(report[("heading", 4)]))
        time.sleep(0.7)
        dialog = re.search(r"at (\d+),(\d+) size (\d+),(\d+)", editor.seen[[i for i, l in enumerate(editor.seen)
                                                                            if l.startswith('modal "BOM Report"')][-1]])
        left, top, w, h = map(int, dialog.groups())
        shot = editor.screenshot(os.path.join(work, "report")).crop(left, top, w, h)
        screen_image.write_png(shot, os.path.join(work, "report-live.png"))
        # The same dialog in the same state, painted without a display: the screen shows it pixel for pixel.
        headless = os.path.join(work, "report-headless.png")
        subprocess.run([vantorel, "--module", os.path.join(work, "libvantorel.so"), "report",
                        os.path.join(examples, "office.dxf"), "--catalog", os.path.join(work, "office.prc"),
                        "--sort", "Total:desc", "--snapshot", headless], check=True, capture_output=True, cwd=work)
        painted = screen_image.read_png(headless)
        differing = sum(1 for y in range(h) for x in range(w) if shot.at(x, y) != painted.at(x, y))
        check((painted.width, painted.height) == (w, h) and differing == 0,
              f"the live dialog is the headless one: {differing} pixels differ (see {work}/report-live.png)")

        editor.click(*centre(report[("control", 200)]))
        saver = controls(editor.wait(r'^modal "Save as"'))
        editor.key("ctrl+a")
        editor.type("report.txt")
        editor.click(*centre(saver[("control", 1)]))
        editor.wait(r'^file ".*/report.txt"$')
        time.sleep(0.3)
        editor.click(*centre(report[("control", 207)]))
        editor.wait(r'^request point "Upper left corner of table: "')
        editor.click(width // 2, height // 4)
        editor.wait(r'^request event')
        editor.xdo("mousemove", "--window", editor.window, str(width // 2 + 200), str(height // 4 + 120))
        time.sleep(0.3)
        editor.click(width // 2 + 300, height // 4 + 200)
        editor.wait(r"^ready$")
        editor.type("SAVEAS")
        editor.key("Return")
        saver = controls(editor.wait(r'^modal "Save drawing as"'))
        editor.key("ctrl+a")
        editor.type(os.path.join(work, "placed.dxf"))
        editor.click(*centre(saver[("control", 1)]))
        editor.wait(r'^saved ".*placed.dxf"$')
        editor.wait(r"^ready$")
        editor.type("QUIT")
        editor.key("Return")
        code = editor.process.wait(timeout=20)
        time.sleep(0.2)
        rest = []
        while not editor.lines.empty():
            rest.append(editor.lines.get())
        check(code == 0, f"the editor ends cleanly on QUIT, not with {code}:\n" + "\n".join(rest[-40:]))
    finally:
        if editor and editor.process.poll() is None:
            editor.process.kill()
        xvfb.terminate()
        xvfb.wait()

    text = open(os.path.join(work, "report.txt")).read()
    expected = ("Block name Item Price   Quantity          Description      Total\n"
                "      desk     245.00         12 Office desk oak 160x80    2940.00\n"
                "     chair      89.50         24         Swivel chair    2148.00\n"
                "   cabinet     120.00          0       Filing cabinet       0.00\n"
                "      door     310.00          0           Door 90 cm       0.00\n"
                "      room       0.00         12                            0.00\n"
                "  Summary:                                               5088.00\n")
    check(text == expected, "the report file follows the sort by Total, down:\n" + text)

    doc = ezdxf.readfile(os.path.join(work, "placed.dxf"))
    check(len(doc.audit().errors) == 0, "ezdxf's audit finds no error")
    check(len(doc.modelspace()) == 50, f"the drawing keeps its 49 entities and gains the table: {len(doc.modelspace())}")
    tables = [e for e in doc.modelspace().query("INSERT") if e.dxf.name == "QVT0001"]
    check(len(tables) == 1, "one reference of the table block QVT0001")
    if tables:
        values = [a.dxf.text for a in tables[0].attribs]
        check(values[:5] == ["Block name", "Item Price", "Quantity", "Description", "Total"], f"headings {values[:5]}")
        check(values[5:10] == ["desk", "245.00", "12", "Office desk oak 160x80", "2940.00"], f"first row {values[5:10]}")
        check(values[-1] == "5088.00", f"the grand total closes the table: {values[-1]}")
        check(tables[0].dxf.xscale > 0 and abs(tables[0].dxf.xscale - tables[0].dxf.yscale) < 1e-9,
              "the drag scales the table alike both ways")
    print(f"{1 if not failures else 0} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
