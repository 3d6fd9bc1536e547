"""The placed table as LibreCAD shows it: a table of attribute definitions is an empty grid there, one of plain
texts (--table-text) shows its texts.

    librecad_table.py VANTOREL AUDIT_SCRIPT WORKDIR

Prints each drawing to PDF with `librecad dxf2pdf` under Xvfb, renders it small with pdftoppm, and compares the
dark pixels: the texts must add at least 30 % to the rules (they add about half). Exit 77 (skipped) when LibreCAD or poppler is not installed.
"""
import os
import shutil
import subprocess
import sys


def dark_pixels(pgm):
    with open(pgm, "rb") as f:
        data = f.read()
    magic, size, depth, pixels = data.split(b"\n", 3)
    return sum(1 for b in pixels if b < 200)


def render(dxf, work):
    pdf = dxf[:-4] + ".pdf"
    subprocess.run(["xvfb-run", "-a", "librecad", "dxf2pdf", "-a", "-m", "-o", pdf, dxf], check=True,
                   capture_output=True, timeout=120)
    stem = os.path.join(work, os.path.basename(dxf)[:-4])
    subprocess.run(["pdftoppm", "-scale-to", "1200", "-gray", pdf, stem], check=True, timeout=120)
    return dark_pixels(stem + "-1.pgm")


def main(vantorel, audit, work):
    if not shutil.which("librecad") or not shutil.which("pdftoppm") or not shutil.which("xvfb-run"):
        print("librecad, pdftoppm or xvfb-run is not here; install librecad and poppler-utils to run this test")
        return 77
    os.makedirs(work, exist_ok=True)
    drawing = os.path.join(work, "chairs.dxf")
    subprocess.run(["/usr/bin/python3", audit, "chairs", drawing], check=True)
    counts = {}
    for name, extra in (("attributes", []), ("texts", ["--table-text"])):
        out = os.path.join(work, name + ".dxf")
        subprocess.run([vantorel, "report", drawing, "--table", "0,-20", "--scale", "5", "-o", out, *extra], check=True,
                       capture_output=True)
        counts[name] = render(out, work)
    print(f"dark pixels: attribute definitions {counts['attributes']}, texts {counts['texts']}")
    return 0 if counts["texts"] >= 1.3 * counts["attributes"] > 0 else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
