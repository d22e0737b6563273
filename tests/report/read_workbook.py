#!/usr/bin/python3
"""Reads a Velmora workbook back with openpyxl and compares it with CSV files.

    read_workbook.py BOOK.xlsx SYMBOL SHEET=FILE.csv [SHEET=FILE.csv ...]

Each named sheet must hold, row by row, the figures of its CSV file: the
numbers of each CSV line that has any, in order, are the numbers of the next
sheet row that has any, each reading back as exactly the same number, every
figure a number (not text) in the format its column's header calls for (a
month as "M" and its number, subscribers grouped, money in the currency
SYMBOL). Header rows are frozen and every column is wider than its widest
text. Prints the number of cells compared; exits 1 at the first difference.
"""
import csv
import sys

import openpyxl

NUMBER_FORMATS = {
    "Month": lambda f: '"M"0' in f,
    "First Month at 90%": lambda f: '"M"0' in f,
    "Active": lambda f: "#,##0" in f,
    "Subscribers": lambda f: "#,##0" in f,
    "Change": lambda f: f.startswith("+#,##0"),
}
MONEY = ("Proceeds", "Annualized", "Monthly Proceeds")


def fail(message):
    print(message)
    sys.exit(1)


def numbers_of_csv(path):
    rows = []
    with open(path, newline="") as f:
        for line in csv.reader(f):
            found = []
            for field in line:
                try:
                    found.append(float(field))
                except ValueError:
                    pass
            if found:
                rows.append(found)
    return rows


def shown_length(cell, symbol):
    """About the characters a spreadsheet shows of the cell."""
    if cell.data_type != "n":
        return len(str(cell.value))
    if "General" in cell.number_format:
        return len(f"{cell.value:.10g}")  # General shows about ten digits
    digits = f"{abs(cell.value):,.0f}"
    decimals = 3 if ".00" in cell.number_format else 0
    return len(digits) + decimals + len(symbol) + 1


def check_sheet(sheet, expected, symbol):
    if sheet.freeze_panes != "A2":
        fail(f"{sheet.title}: frozen at {sheet.freeze_panes}, not below the header row")
    compared = 0
    headers = {}
    at = 0
    for row in sheet.iter_rows():
        if all(c.data_type == "s" or c.value is None for c in row) and any(c.value for c in row):
            headers = {c.column: c.value for c in row}
            continue
        found = [c for c in row if c.data_type == "n" and c.value is not None]
        if not found:
            continue
        if at >= len(expected):
            fail(f"{sheet.title}!{row[0].coordinate}: a row the CSV does not have")
        want = expected[at]
        at += 1
        if len(found) != len(want):
            fail(f"{sheet.title}!{row[0].coordinate}: {len(found)} numbers, the CSV has {len(want)}")
        for cell, value in zip(found, want):
            if cell.value != value:
                fail(f"{sheet.title}!{cell.coordinate}: {cell.value!r}, the CSV has {value!r}")
            header = headers.get(cell.column, "")
            form = cell.number_format
            if header in NUMBER_FORMATS and not NUMBER_FORMATS[header](form):
                fail(f"{sheet.title}!{cell.coordinate} ({header}): format {form!r}")
            if header in MONEY and (symbol not in form or "#,##0" not in form):
                fail(f"{sheet.title}!{cell.coordinate} ({header}): format {form!r}, not money")
            compared += 1
    if at != len(expected):
        fail(f"{sheet.title}: {at} rows of figures, the CSV has {len(expected)}")
    for column in sheet.iter_cols():
        widest = max(shown_length(c, symbol) for c in column if c.value is not None)
        letter = column[0].column_letter
        width = sheet.column_dimensions[letter].width
        if width <= widest:
            fail(f"{sheet.title}!{letter}: {width} wide for {widest} characters")
    return compared


def main():
    book = openpyxl.load_workbook(sys.argv[1])
    symbol = sys.argv[2]
    compared = 0
    for pair in sys.argv[3:]:
        name, path = pair.split("=", 1)
        if name not in book.sheetnames:
            fail(f"no sheet {name!r} among {book.sheetnames}")
        compared += check_sheet(book[name], numbers_of_csv(path), symbol)
    print(f"{compared} cells compared")


main()
