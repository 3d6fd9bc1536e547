"""An independent reading of the report files vantorel exports, a fact per line.

    export_check.py csv FILE     the rows as Python's csv module reads them (UTF-8), one list per line
    export_check.py json FILE    the document as Python's json module reads it, keys sorted
    export_check.py xlsx FILE    openpyxl's reading: values, cached values of formulas, number formats, bold
                                 headings, the frozen cell, and whether every column is wide enough
    export_check.py sums REPORT.json REFERENCES.json
                                 whether each row's quantity is the sum of the counts its references add, as
                                 the list of references (csv or json) gives them
"""
import csv
import json
import sys

import openpyxl


def read_csv(path):
    with open(path, newline="", encoding="utf-8") as f:
        raw = f.read()
    print("line ends", "CRLF" if raw.count("\r\n") == raw.count("\n") else "mixed")
    with open(path, newline="", encoding="utf-8") as f:
        for row in csv.reader(f):
            print(row)


def read_json(path):
    with open(path, encoding="utf-8") as f:
        print(json.dumps(json.load(f), sort_keys=True, ensure_ascii=False))


def read_xlsx(path):
    sheet = openpyxl.load_workbook(path).active
    cached = openpyxl.load_workbook(path, data_only=True).active
    print("sheet", sheet.title, "frozen", sheet.freeze_panes)
    print("bold headings", all(c.font.b for c in sheet[1]))
    for row, values in zip(sheet.iter_rows(), cached.iter_rows(values_only=True)):
        cells = []
        for cell, value in zip(row, values):
            text = repr(cell.value)
            if cell.data_type == "f":
                text += f" cached {value!r}"
            if cell.data_type == "n" and cell.value is not None:
                text += f" [{cell.number_format}]"
            cells.append(text)
        print(" | ".join(cells))
    narrow = []
    for column in cached.iter_cols():  # what is shown: a formula's value, not its text
        letter = column[0].column_letter
        longest = max(len(f"{c.value:.2f}" if isinstance(c.value, float) else str(c.value))
                      for c in column if c.value is not None)
        if sheet.column_dimensions[letter].width < longest:
            narrow.append(letter)
    print("narrow columns", narrow)


def row_name(row):
    values = list(row.get("attributes", {}).values())
    return row["blockName"] + (" (" + ", ".join(values) + ")" if any(values) else "")


def sums(report_path, references_path):
    with open(report_path, encoding="utf-8") as f:
        rows = json.load(f)["rows"]
    counted = {}
    if references_path.endswith(".json"):
        with open(references_path, encoding="utf-8") as f:
            listed = [(r["countedName"], r["count"]) for r in json.load(f)["references"]]
    else:
        with open(references_path, newline="", encoding="utf-8") as f:
            listed = [(r["Counted name"], int(r["Count"])) for r in csv.DictReader(f)]
    for name, count in listed:
        counted[name] = counted.get(name, 0) + count
    wrong = []
    for row in rows:
        name = row_name(row)
        added = counted.pop(name, 0)
        if added != row["quantity"]:
            wrong.append(f"{name}: quantity {row['quantity']}, references add up to {added}")
    wrong += [f"{name}: {count} listed, no row" for name, count in counted.items()]
    print("\n".join(wrong) if wrong else f"sums agree: {len(rows)} rows, {len(listed)} references")


if __name__ == "__main__":
    if sys.argv[1] == "sums":
        sums(sys.argv[2], sys.argv[3])
    else:
        {"csv": read_csv, "json": read_json, "xlsx": read_xlsx}[sys.argv[1]](sys.argv[2])
