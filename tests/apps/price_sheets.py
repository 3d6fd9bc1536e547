"""Spreadsheets of prices made by openpyxl, as users keep them, and openpyxl's reading of those we write.

    price_sheets.py KIND OUT.xlsx   writes a workbook of that kind
    price_sheets.py read FILE.xlsx  prints each sheet's name and rows as openpyxl reads them

KIND:
  headed    sheet "Prices": a heading row "Description | Unit price | BLOCK" (another order and case), then DESK
            250 (a number), CHAIR "45.50" (text), ROOM "abc", A|B (a bar in the name), LAMP without a price, an
            empty row, TWO with a line break in its description, TINY 12.300000000000001, and a second sheet that
            is not read
  plain     sheet "Sheet1" without headings: name, price and description in that order, rich and inline text
  nameless  a heading row that names the description and the price but no block name
"""
import sys

import openpyxl


def headed(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Prices"
    sheet.append(["Description", "Unit price", "BLOCK"])
    sheet.append(["Oak desk", 250, "DESK"])
    sheet.append(["Chair, oak", "45.50", "CHAIR"])
    sheet.append(["Room", "abc", "ROOM"])
    sheet.append(["Bad", 3, "A|B"])
    sheet.append(["Lamp", None, "LAMP"])
    sheet.append([None, None, None])
    sheet.append(["Two\nlines", 1.1, "TWO"])
    sheet.append(["Tiny", 12.300000000000001, "TINY"])
    book.create_sheet("Other").append(["DESK", 1, "not this one"])
    book.save(path)


def plain(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.append(["desk", 250.5, "Oak desk"])
    sheet.append(["Стол", 99, "Table, ash"])
    sheet["A4"] = "CHAIR"  # row 3 left empty
    sheet["B4"] = 45
    book.save(path)


def nameless(path):
    book = openpyxl.Workbook()
    book.active.append(["Description", "Price"])
    book.active.append(["Oak desk", 250])
    book.save(path)


def read(path):
    book = openpyxl.load_workbook(path)
    for sheet in book.worksheets:
        print("sheet", sheet.title, "frozen", sheet.freeze_panes)
        for row in sheet.iter_rows():
            print([cell.value for cell in row])


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2])
    else:
        {"headed": headed, "plain": plain, "nameless": nameless}[sys.argv[1]](sys.argv[2])
