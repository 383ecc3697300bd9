#!/usr/bin/python3
"""Saves an .xlsx workbook as a legacy .xls one: save_as_xls.py <workbook.xlsx> <workbook.xls>.

The sample plant's signal list as a plant keeps it from before the .xlsx format: the same
sheets and cell values, written by xlwt (Debian's python3-xlwt). Formulas keep their last
value only.
"""
import os
import posixpath
import sys
import zipfile
import xml.etree.ElementTree as ET

import xlwt

MAIN = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
RELATIONS = '{http://schemas.openxmlformats.org/package/2006/relationships}'
RELATION_ID = '{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id'
ERRORS = {'#NULL!': 0x00, '#DIV/0!': 0x07, '#VALUE!': 0x0F, '#REF!': 0x17, '#NAME?': 0x1D,
          '#NUM!': 0x24, '#N/A': 0x2A}


def text_of(item):
    """A string item's text: its plain text or its runs joined, phonetic hints left out."""
    hints = {id(t) for hint in item.iter(MAIN + 'rPh') for t in hint.iter(MAIN + 't')}
    return ''.join(t.text or '' for t in item.iter(MAIN + 't') if id(t) not in hints)


def position(reference):
    letters = reference.rstrip('0123456789')
    column = 0
    for letter in letters:
        column = column * 26 + ord(letter.upper()) - ord('A') + 1
    return int(reference[len(letters):]) - 1, column - 1


def sheets_of(package):
    workbook = ET.fromstring(package.read('xl/workbook.xml'))
    relations = ET.fromstring(package.read('xl/_rels/workbook.xml.rels'))
    targets = {r.get('Id'): r.get('Target') for r in relations.iter(RELATIONS + 'Relationship')}
    shared = []
    if 'xl/sharedStrings.xml' in package.namelist():
        shared = [text_of(item) for item in
                  ET.fromstring(package.read('xl/sharedStrings.xml')).iter(MAIN + 'si')]
    for sheet in workbook.iter(MAIN + 'sheet'):
        target = targets[sheet.get(RELATION_ID)]
        part = target.lstrip('/') if target.startswith('/') else posixpath.join('xl', target)
        yield sheet.get('name'), ET.fromstring(package.read(part)), shared


def main():
    source, target = sys.argv[1], sys.argv[2]
    book = xlwt.Workbook()
    with zipfile.ZipFile(source) as package:
        for name, xml, shared in sheets_of(package):
            sheet = book.add_sheet(name)
            for cell in xml.iter(MAIN + 'c'):
                row, column = position(cell.get('r'))
                kind = cell.get('t', 'n')
                value = cell.find(MAIN + 'v')
                if kind == 'inlineStr':
                    sheet.write(row, column, text_of(cell.find(MAIN + 'is')))
                elif value is None or value.text is None:
                    continue
                elif kind == 's':
                    sheet.write(row, column, shared[int(value.text)])
                elif kind == 'str':
                    sheet.write(row, column, value.text)
                elif kind == 'b':
                    sheet.write(row, column, value.text in ('1', 'true'))
                elif kind == 'e':
                    sheet.row(row).set_cell_error(column, ERRORS[value.text])
                else:
                    sheet.write(row, column, float(value.text))
    partial = target + '.part'
    book.save(partial)
    os.replace(partial, target)


if __name__ == '__main__':
    main()
