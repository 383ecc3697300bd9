#!/usr/bin/python3
"""Writes the legacy workbooks (.xls) the reader's tests read: make_xls_fixtures.py <folder>.

They are written by xlwt (Debian's python3-xlwt), a writer of the binary format that is
not ours. xlwt calculates nothing and leaves every formula without its last value; a
spreadsheet program stores that value, so the formulas of signals.xls get it put into their
records the way such a program writes it, a text result in the records that follow. Nor does
xlwt write the phonetic readings that spreadsheet programs of East Asian languages keep with
texts; texts.xls gets them put into its list of texts the same way. The damaged copies are
made by the tests from these.
"""
import datetime
import os
import struct
import sys

import xlwt
from xlwt import Cell, Workbook

STRING, CONTINUE, FILEPASS, BOF = 0x0207, 0x003C, 0x002F, 0x0809
MAX_RECORD = 8224  # the largest record of the format; longer texts run on in CONTINUE records

# (row, column) -> (kind, value) of the formulas whose last value is stored.
last_values = {}
_formula_record = Cell.FormulaCell.get_biff_data


def record(kind, data):
    return struct.pack('<HH', kind, len(data)) + data


def text_records(text):
    """A formula's text result: a STRING record and, for a long text, CONTINUE records,
    each of which starts again with the flags byte (1: two bytes a character)."""
    wide = any(ord(c) > 0xFF for c in text)
    width = 2 if wide else 1
    encode = (lambda s: s.encode('utf-16-le')) if wide else (lambda s: s.encode('latin-1'))
    out = b''
    head = struct.pack('<HB', len(text), int(wide))
    kind = STRING
    while True:
        room = (MAX_RECORD - len(head)) // width
        out += record(kind, head + encode(text[:room]))
        text = text[room:]
        if not text:
            return out
        kind, head = CONTINUE, struct.pack('<B', int(wide))


def formula_with_last_value(cell):
    data = _formula_record(cell)
    stored = last_values.get((cell.rowx, cell.colx))
    if stored is None:
        return data
    kind, value = stored
    if kind == 'number':
        result = struct.pack('<d', value)
    else:
        code = {'text': 0, 'bool': 1, 'error': 2}[kind]
        byte = int(value) if kind != 'text' else 0
        result = bytes([code, 0, byte, 0, 0, 0, 0xFF, 0xFF])
    # The record's header (4 bytes), row, column and format (6), then the value (8).
    data = data[:10] + result + data[18:]
    return data + (text_records(value) if kind == 'text' else b'')


Cell.FormulaCell.get_biff_data = formula_with_last_value

# text -> its phonetic reading, for the texts that carry one.
phonetic_readings = {}
_add_to_sst = xlwt.BIFFRecords.SharedStringTable._add_to_sst


def phonetic_block(reading, length):
    """A reading as the list of texts keeps it after the text's characters (ExtRst): a
    version and the size of the rest, the reading's font and kind, the reading as a counted
    UTF-16 text, and one run of it over the whole text."""
    rest = (struct.pack('<HH', 0, 1) +
            struct.pack('<HHH', 1, len(reading), len(reading)) + reading.encode('utf-16-le') +
            struct.pack('<hhh', 0, 0, length))
    return struct.pack('<HH', 1, len(rest)) + rest


def add_to_sst_with_reading(self, text):
    reading = phonetic_readings.get(text)
    if reading is None:
        return _add_to_sst(self, text)
    # Length, flags (the phonetic one added), the reading's size, then the characters; as
    # xlwt does, the first character stays with the header and the rest may run on.
    packed = xlwt.UnicodeUtils.upack2(text)
    wide = packed[2] & 1
    block = phonetic_block(reading, len(text))
    self._save_atom(packed[:2] + bytes([packed[2] | 0x04]) + struct.pack('<i', len(block)) +
                    packed[3:4 + wide])
    self._save_splitted(packed[4 + wide:], wide)
    self._save_atom(block)


xlwt.BIFFRecords.SharedStringTable._add_to_sst = add_to_sst_with_reading


def formula(sheet, row, column, text, kind=None, value=None):
    if kind:
        last_values[(row, column)] = (kind, value)
    sheet.write(row, column, xlwt.Formula(text))


def signals(path):
    """A signal list behind unrelated sheets, with a cell of every kind (rows and columns
    count from 0 here)."""
    book = Workbook(encoding='utf-8')
    book.add_sheet('Info').write(0, 0, 'not this sheet')
    book.add_sheet('alarmEnums').write(0, 0, 'alarms')
    s = book.add_sheet('dcEnums')
    for row, text in enumerate(['name', 'PAR_SPEED', 'PAR_SPEED', '  padded  ', '0012',
                                'ctrl\x01 and _x0041_ kept', 'Ümlaut € ♥', 'two\r\nlines']):
        s.write(row, 0, text)
    for row, number in enumerate([1500, 0.1 + 0.2, -12.5, 2.0, 1 / 3, 1e-5, 1e15,
                                  123456789012345678.0, -0.0, -536870912, 536870912,
                                  2147483648, 70000.25], start=1):
        s.write(row, 2, number)
    s.write(14, 2, datetime.date(2026, 1, 5), xlwt.easyxf(num_format_str='YYYY-MM-DD'))
    s.write(15, 2, datetime.datetime(2026, 1, 5, 12, 30, 15),
            xlwt.easyxf(num_format_str='YYYY-MM-DD hh:mm:ss'))
    s.write(16, 2, datetime.time(6, 0), xlwt.easyxf(num_format_str='hh:mm'))
    s.write(17, 2, 12.5, xlwt.easyxf(num_format_str='0.00'))
    s.write(18, 2, 0.25, xlwt.easyxf(num_format_str='0%'))
    s.write(1, 3, True)
    s.write(2, 3, False)
    s.row(1).set_cell_error(4, 0x2A)  # #N/A
    s.row(2).set_cell_error(4, '#DIV/0!')
    s.row(3).set_cell_error(4, '#NULL!')
    formula(s, 1, 5, 'C2*2', 'number', 3000)
    formula(s, 2, 5, 'A2&"!"', 'text', 'PAR_SPEED!')
    formula(s, 3, 5, 'C2>0', 'bool', True)
    formula(s, 4, 5, '1/0', 'error', 0x07)
    formula(s, 5, 5, 'C2+1')
    formula(s, 6, 5, 'REPT("Zähler ♥ ",700)', 'text', 'Zähler ♥ ' * 700)
    formula(s, 7, 5, 'C2<0', 'bool', False)
    formula(s, 8, 5, 'C3*10', 'number', 3.0000000000000004)
    s.write(11, 27, 'AB12')
    s.write(11, 255, 256)
    book.save(path)


def texts(path):
    """Texts of the list of shared texts in every form: one whose cell was written over
    (xlwt leaves an empty text in its place), long ones that run on over several records,
    formatting runs, phonetic readings, and enough of both to fall on the records' ends."""
    book = Workbook(encoding='utf-8')
    s = book.add_sheet('texts', cell_overwrite_ok=True)
    bold = xlwt.Font()
    bold.bold = True
    s.write(0, 0, 'first text')
    s.write(0, 0, 'written over')
    s.write(1, 0, 'Latin text ' * 1000)
    s.write(2, 0, 'Zähler ♥ ' * 2000)
    s.write_rich_text(3, 0, ['rated ', ('speed', bold), ' in rpm'])
    phonetic_readings['漢字'] = 'カンジ'
    s.write(4, 0, '漢字')
    s.write(5, 0, 'after the long texts')
    for n in range(1, 501):
        s.write_rich_text(n, 1, ['rich %d ' % n, ('part' + '!' * (n % 5), bold), ' end'])
        phonetic_readings['名前 %d' % n] = 'ナマエ %d' % n
        s.write(n, 2, '名前 %d' % n)
    book.save(path)


def far_cell(path, row, column):
    """Two texts: the header cell and one at the given place."""
    book = Workbook()
    s = book.add_sheet('dcEnums')
    s.write(0, 0, 'name')
    s.write(row, column, 'last cell')
    book.save(path)


def plain_book(after_bof=b''):
    """A one-sheet workbook whose globals may carry a record right after their first."""
    book = Workbook()
    s = book.add_sheet('dcEnums')
    s.write(0, 0, 'name')
    s.write(1, 0, 'PAR_SPEED')
    s.write(1, 1, 750)
    first = book._Workbook__intf_hdr_rec
    book._Workbook__intf_hdr_rec = lambda: after_bof + first()
    return book


def with_record_after_bof(path, data):
    plain_book(data).save(path)


def in_mini_stream(path):
    """xlwt's workbook stream as it is (under 4096 bytes, which xlwt pads away) in a compound
    file that keeps it in its mini stream, as writers of small files do."""
    stream = plain_book().get_biff_data()
    assert len(stream) < 4096
    end, free, fat_sector, none = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF
    mini = stream + bytes(-len(stream) % 64)
    data = mini + bytes(-len(mini) % 512)
    data_sectors = len(data) // 512
    # Sector 0 the allocation table, 1 the directory, 2 the mini stream's table, 3 on its data.
    fat = [fat_sector, end, end] + list(range(4, 3 + data_sectors)) + [end]
    mini_fat = list(range(1, len(mini) // 64)) + [end]

    def table(entries):
        return struct.pack('<128I', *(entries + [free] * (128 - len(entries))))

    def entry(name, kind, child, start, size):
        encoded = (name + '\0').encode('utf-16-le') if name else b''
        return struct.pack('<64sHBBIII16sIQQIQ', encoded, len(encoded), kind, 1, none, none,
                           child, bytes(16), 0, 0, 0, start, size)

    directory = (entry('Root Entry', 5, 1, 3, len(mini)) +
                 entry('Workbook', 2, none, 0, len(stream)) +
                 entry('', 0, none, end, 0) * 2)
    header = (b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(16) +
              struct.pack('<HHHHH6xIIIIIIIII', 0x3E, 3, 0xFFFE, 9, 6, 0, 1, 1, 0, 4096, 2, 1,
                          end, 0) +
              struct.pack('<109I', *([0] + [free] * 108)))
    with open(path, 'wb') as out:
        out.write(header + table(fat) + directory + table(mini_fat) + data)


def older_format(path):
    """The plain workbook as one of version 5 of the format begins."""
    original = xlwt.BIFFRecords.Biff8BOFRecord.__init__

    def biff5(self, rec_type):
        original(self, rec_type)
        self._rec_data = struct.pack('<H', 0x0500) + self._rec_data[2:]

    xlwt.BIFFRecords.Biff8BOFRecord.__init__ = biff5
    try:
        with_record_after_bof(path, b'')
    finally:
        xlwt.BIFFRecords.Biff8BOFRecord.__init__ = original


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    signals(os.path.join(folder, 'signals.xls'))
    texts(os.path.join(folder, 'texts.xls'))
    # A sheet that reaches the last cell of the format (IV65536), and one that does not.
    far_cell(os.path.join(folder, 'last_cell.xls'), 65535, 255)
    far_cell(os.path.join(folder, 'next_cell.xls'), 0, 1)
    # A password to open: RC4 encryption (its salt and verifier left zero) and the older XOR
    # obfuscation.
    with_record_after_bof(os.path.join(folder, 'encrypted.xls'),
                          record(FILEPASS, struct.pack('<HHH', 1, 1, 1) + bytes(48)))
    with_record_after_bof(os.path.join(folder, 'obfuscated.xls'),
                          record(FILEPASS, struct.pack('<HHH', 0, 0x1234, 0x5678)))
    older_format(os.path.join(folder, 'biff5.xls'))
    with_record_after_bof(os.path.join(folder, 'plain.xls'), b'')
    in_mini_stream(os.path.join(folder, 'mini_stream.xls'))


if __name__ == '__main__':
    main()
