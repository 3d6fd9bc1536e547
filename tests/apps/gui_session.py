"""Users' sessions in the live editor on a virtual display, checked by what they leave behind.

    gui_session.py report VANTOREL MODULE EXAMPLES WORKDIR
        a wheel zoom; KXBOMC with a catalogue and a selection of all, a sort by a heading, the report saved as
        text through Alt+S, a table inserted by a pick and RETURN, the drawing saved; U, Ctrl+Y, Ctrl+Z, HELP,
        Enter again, Escape at a prompt, REDRAW; ezdxf reads what was saved, and the dialog on screen is the
        headless one
    gui_session.py template VANTOREL MODULE EXAMPLES WORKDIR
        KXBOMT: a catalogue opened, a row added with a name from the drop list and a typed price, a column
        widened, the rows sorted by price, an incomplete row refused in blinking red, the changes saved on Close

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

scenario, vantorel, module_source, examples, work = sys.argv[1:6]
# The module finds its settings files through its own path made lower case: the folder must be lower case too.
if work != work.lower():
    work = f"/tmp/vantorel-gui-{scenario}-{os.getpid()}"
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

    def layout(self, title):
        """The controls, headings and cells of the dialog as last told, after what is on its way has come."""
        time.sleep(0.3)
        while not self.lines.empty():
            self.seen.append(self.lines.get())
        start = max(i for i, line in enumerate(self.seen) if line.startswith(f'modal "{title}"'))
        block = [self.seen[start]]
        for line in self.seen[start + 1:]:
            if not line.startswith("  "):
                break
            block.append(line)
        return controls(block)

    def xdo(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True, text=True)

    def find_window(self):
        out = subprocess.run(["xdotool", "search", "--sync", "--name", " - Vantorel$"], env=self.env, check=True,
                             capture_output=True, text=True, timeout=20).stdout.split()
        self.window = out[0]
        # Without a window manager the keys go where the pointer is: into the window with it, and the focus too.
        subprocess.run(["xdotool", "mousemove", "--window", self.window, "20", "20"], env=self.env, capture_output=True)
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], env=self.env, capture_output=True,
                       timeout=10)

    def command(self, name):
        """Types a command at the command line, again if the keys did not arrive (a busy machine, a slow map)."""
        for _ in range(5):
            self.type(name)
            self.key("Return")
            try:
                return self.wait(f"^command {name}$", timeout=3.0)
            except SystemExit:
                self.find_window()
                self.key("Escape")
        raise SystemExit(f"the command {name} was never taken; the editor said:\n" + "\n".join(self.seen[-30:]))

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
    """("control", id), ("heading", column) and ("cell", column, row) -> (x, y, width, height), from a traced dialog."""
    found = {}
    for line in block:
        m = re.match(r'\s+(control|heading) (-?\d+)(?: ".*")? at (\d+),(\d+) size (\d+),(\d+)', line)
        if m:
            found[(m.group(1), int(m.group(2)))] = tuple(map(int, m.groups()[2:]))
        m = re.match(r'\s+cell (\d+) (\d+) at (\d+),(\d+) size (\d+),(\d+)', line)
        if m:
            found[("cell", int(m.group(1)), int(m.group(2)))] = tuple(map(int, m.groups()[2:]))
    return found


def centre(rect):
    return rect[0] + rect[2] // 2, rect[1] + rect[3] // 2


def count_colour(shot, rect, colour):
    left, top, w, h = rect
    return sum(1 for y in range(top, top + h) for x in range(left, left + w) if shot.at(x, y)[:3] == colour)


def save_as(editor, name):
    editor.command("SAVEAS")
    saver = controls(editor.wait(r'^modal "Save drawing as"'))
    editor.key("ctrl+a")
    editor.type(os.path.join(work, name))
    editor.click(*centre(saver[("control", 1)]))
    editor.wait(f'^saved ".*{name}"$')
    editor.wait(r"^ready$")


def report_session(editor, width, height):
    # The wheel zooms about the pointer over the view, though typing goes to the command line.
    editor.xdo("mousemove", "--window", editor.window, str(width // 2), str(height // 3), "click", "4")
    zoom = editor.wait(r"^zoom scale ")[0]
    check(zoom.startswith("zoom scale "), f"the wheel zooms the view: {zoom}")
    # ZOOM's default, Enter, shows the whole drawing again.
    editor.command("ZOOM")
    editor.wait(r'^request text "Zoom ')
    editor.key("Return")
    editor.wait(r"^ready$")
    editor.command("KXBOMC")
    chooser = controls(editor.wait(r'^modal "Open"'))
    editor.type("office.prc")
    editor.click(*centre(chooser[("control", 1)]))
    editor.wait(r'^file ".*/office.prc"$')
    editor.wait(r'^request selection')
    # A window over the whole view, left to right: everything wholly inside it.
    editor.drag(3, 3, width - 3, height - 3)
    selected = editor.wait(r"^selected \d+")[0]
    check(selected == "selected 49", f"the window selects every entity: {selected}")
    # "all" adds everything and asks on; Enter ends the selection.
    editor.type("all")
    editor.key("Return")
    editor.wait(r'^line "Select objects: all"$')
    editor.wait(r'^line "49 found \(49 duplicate\), 49 total"$')
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

    # Alt+S is "&Save to file". The name chosen is taken by a file already: the chooser asks before it replaces
    # it, and No goes back to choosing with the file as it was.
    with open(os.path.join(work, "report.txt"), "w") as older:
        older.write("an older report\n")
    editor.key("alt+s")
    saver = controls(editor.wait(r'^modal "Save as"'))
    editor.key("ctrl+a")
    editor.type("report.txt")
    editor.click(*centre(saver[("control", 1)]))
    editor.wait(r'"report\.txt already exists\. Do you want to replace it\?"')
    editor.click(*centre(editor.layout("Save as")[("control", 7)]))
    time.sleep(0.3)
    check(open(os.path.join(work, "report.txt")).read() == "an older report\n", "No replaced the file all the same")
    editor.click(*centre(saver[("control", 1)]))
    editor.wait(r'"report\.txt already exists\. Do you want to replace it\?"')
    editor.click(*centre(editor.layout("Save as")[("control", 6)]))
    editor.wait(r'^file ".*/report.txt"$')
    time.sleep(0.3)
    editor.click(*centre(report[("control", 207)]))
    editor.wait(r'^request point "Upper left corner of table: "')
    editor.click(width // 2, height // 4)
    editor.wait(r'^request event')
    # RETURN before any motion: scale 1, and the rubber band is gone with the command.
    editor.key("Return")
    editor.wait(r"^ready$")
    time.sleep(0.5)
    view = editor.screenshot(os.path.join(work, "placed"))
    band = count_colour(view, (0, 0, width, height), (255, 220, 60))
    check(band == 0, f"no temporary vector is left in the view: {band} pixels of the rubber band")
    # Leaving with the new table unsaved is asked about; Cancel stays.
    editor.command("QUIT")
    question = controls(editor.wait(r'^  control -?\d+ "Save changes to .*office.dxf\?"'))
    editor.click(*centre(question[("control", 2)]))
    editor.wait(r"^ready$")
    save_as(editor, "placed.dxf")
    # U takes the whole table back; Ctrl+Y brings it again, Ctrl+Z takes it back again.
    editor.command("U")
    editor.wait(r"^ready$")
    editor.wait(r'^line "KXBOMC"$')
    editor.key("ctrl+y")
    editor.wait(r"^command REDO$")
    editor.wait(r"^ready$")
    editor.wait(r'^line "KXBOMC"$')
    editor.key("ctrl+z")
    editor.wait(r"^command U$")
    editor.wait(r"^ready$")
    editor.wait(r'^line "KXBOMC"$')
    save_as(editor, "undone.dxf")
    # HELP lists the commands; Enter on an empty line runs it again.
    editor.command("HELP")
    editor.wait(r"^ready$")
    editor.wait(r'^line "  KXBOMC - command of VirivIdiro_Group"$')
    editor.key("Return")
    editor.wait(r"^command HELP$")
    editor.wait(r"^ready$")
    # Escape at a prompt says so after the prompt.
    editor.command("ERASE")
    editor.wait(r'^request selection')
    editor.key("Escape")
    editor.wait(r"^ready$")
    editor.wait(r'^line "Select objects: \*Cancel\*"$')
    editor.command("REDRAW")
    editor.wait(r"^ready$")

def check_report():
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
        check(tables[0].dxf.xscale == 1 and tables[0].dxf.yscale == 1, "RETURN leaves the table at scale 1")
    undone = ezdxf.readfile(os.path.join(work, "undone.dxf"))
    check(len(undone.audit().errors) == 0, "ezdxf's audit finds no error after U")
    check(len(undone.modelspace()) == 49, f"U took the table back: {len(undone.modelspace())} entities")
    check("QVT0001" not in undone.blocks, "and its block definition")


def template_session(editor, width, height):
    editor.command("KXBOMT")
    dialog = editor.layout("BOM Template")
    editor.click(*centre(dialog[("control", 203)]))
    chooser = controls(editor.wait(r'^modal "Open"'))
    editor.type("office.prc")
    editor.click(*centre(chooser[("control", 1)]))
    editor.wait(r'^file ".*/office.prc"$')
    grid = editor.layout("BOM Template")
    check(("cell", 2, 3) in grid and ("heading", 1) in grid, "the grid shows the four entries under three headings")
    # A new row after the first, its name from the drop list: the drawing's one block no row names yet.
    editor.click(*centre(grid[("control", 207)]))
    time.sleep(0.3)
    editor.key("Escape")
    grid = editor.layout("BOM Template")
    x, y, w, h = grid[("cell", 0, 1)]
    editor.click(x + w - 6, y + h // 2)
    time.sleep(0.3)
    editor.key("Down")
    editor.key("Return")
    time.sleep(0.3)
    x, y, w, h = grid[("cell", 1, 1)]
    editor.click(x + 4, y + h // 2)
    time.sleep(0.3)
    editor.type("15.5x")  # the letter is refused
    editor.key("Return")
    time.sleep(0.3)
    editor.key("Escape")
    # The block name column 40 pixels wider, by its heading's right edge; then sorted by price.
    x, y, w, h = grid[("heading", 0)]
    editor.xdo("mousemove", "--window", editor.window, str(x + w - 1), str(y + h // 2), "mousedown", "1",
               "mousemove", "--window", editor.window, str(x + w + 19), str(y + h // 2),
               "mousemove", "--window", editor.window, str(x + w + 39), str(y + h // 2), "mouseup", "1")
    time.sleep(0.7)
    grid = editor.layout("BOM Template")
    check(grid[("heading", 0)][2] == w + 40, f"the heading is 40 pixels wider: {grid[('heading', 0)]}")
    editor.click(*centre(grid[("heading", 1)]))
    time.sleep(0.7)
    # A row without a name cannot be saved: the message blinks in red above the grid.
    editor.click(*centre(grid[("control", 207)]))
    time.sleep(0.3)
    editor.key("Escape")
    editor.click(*centre(grid[("control", 200)]))
    time.sleep(0.1)
    label = grid[("control", 1001)]
    shot = editor.screenshot(os.path.join(work, "absent"))
    red = sum(1 for yy in range(label[1], label[1] + label[3]) for xx in range(label[0], label[0] + label[2])
              if shot.at(xx, yy)[0] > 200 and shot.at(xx, yy)[1] < 80 and shot.at(xx, yy)[2] < 80)
    check(red > 20, f"the message label shows red text: {red} red pixels")
    check(not os.path.exists(os.path.join(work, "vantorel1.set")), "nothing is written yet")
    # The incomplete row is the active one: a click in it stops the blinking, Delete Row takes it away.
    grid = editor.layout("BOM Template")
    x, y, w, h = grid[("cell", 2, 3)]
    editor.click(x + 10, y + h // 2)
    time.sleep(0.3)
    editor.click(*centre(grid[("control", 208)]))
    time.sleep(0.3)
    editor.click(*centre(grid[("control", 205)]))
    question = controls(editor.wait(r'^  control -?\d+ "Save changes to '))
    editor.click(*centre(question[("control", 6)]))
    editor.wait(r"^ready$")
    # A drawing that cannot be read is said once, with where it went wrong.
    broken = os.path.join(work, "broken.dxf")
    with open(broken, "w") as out:
        out.write("  0\nSECTION\n  2\nENTITIES\nnot a group code\n")
    editor.command("OPEN")
    chooser = controls(editor.wait(r'^modal "Open drawing"'))
    editor.key("ctrl+a")
    editor.type(broken)
    editor.click(*centre(chooser[("control", 1)]))
    editor.wait(r"^ready$")
    said = editor.wait(r'^line ".*broken.dxf')[0]
    check(said.count("broken.dxf") == 1 and ", line 5: " in said, f"the broken drawing is said once: {said}")


def check_template():
    text = open(os.path.join(work, "office.prc")).read()
    check(text == "ROOM|15.5|\nCHAIR|89.50|Swivel chair\nCABINET|120|Filing cabinet\n"
                  "DESK|245.00|Office desk oak 160x80\nDOOR|310.00|Door 90 cm\n",
          "the catalogue holds the new row and the price order:\n" + text)
    check(open(os.path.join(work, "vantorel1.set")).read() == "214 58 232 ", "the widened column is remembered")
    check(open(os.path.join(work, "filename.set")).read() == os.path.join(work, "office.prc"), "and the catalogue")


def start_display():
    """A virtual display of our own, on a number no other server holds: sessions run side by side, and two
    servers on one display would mix their users' keys."""
    for attempt in range(40):
        number = 100 + (os.getpid() * 7 + attempt * 131) % 800
        if os.path.exists(f"/tmp/.X{number}-lock"):
            continue
        display = f":{number}"
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1400x900x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if xvfb.poll() is not None:
                break
            probe = subprocess.run(["xdotool", "getdisplaygeometry"], env=dict(os.environ, DISPLAY=display),
                                   capture_output=True)
            if probe.returncode == 0:
                break
            time.sleep(0.05)
        # Served, and by our server: one that lost the race for the number has ended by now.
        time.sleep(0.3)
        if xvfb.poll() is None:
            return xvfb, display
        xvfb.wait()
    raise SystemExit("no virtual display could be started")


def main():
    # What an earlier run saved would be asked about before it is replaced: each run starts with nothing.
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work, exist_ok=True)
    shutil.copy(module_source, os.path.join(work, "libvantorel.so"))
    shutil.copy(os.path.join(examples, "office.prc"), os.path.join(work, "office.prc"))
    xvfb, display = start_display()
    editor = None
    try:
        editor = Editor(display)
        view = editor.wait(r"^view at")[0]
        width, height = map(int, re.search(r"size (\d+),(\d+)", view).groups())
        editor.wait(r"^ready$")
        editor.find_window()
        (report_session if scenario == "report" else template_session)(editor, width, height)
        editor.command("QUIT")
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
    (check_report if scenario == "report" else check_template)()
    print(f"{1 if not failures else 0} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
